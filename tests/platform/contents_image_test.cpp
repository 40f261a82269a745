// A window's picture painted again only where its silhouette changed (the Wayland desktop's
// full-screen windows of dots, every frame) is the picture painted whole, at every scale.
#include "platform/gtk/contents_image.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace pw::gtk {
namespace {

Region dots(std::initializer_list<Rect> boxes) {
    Region out;
    for (const Rect& r : boxes)
        out.combine(out, Region::rectangle(r), CombineMode::Or);
    return out;
}

bool same_pixels(cairo_surface_t* a, cairo_surface_t* b) {
    cairo_surface_flush(a);
    cairo_surface_flush(b);
    const int stride = cairo_image_surface_get_stride(a);
    return std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b),
                       static_cast<std::size_t>(stride * cairo_image_surface_get_height(a))) == 0;
}

TEST(ContentsImage, RepaintedWhereTheSilhouetteChangedItIsThePicturePaintedWhole) {
    paint::Painter painter;
    WindowContents before{40, 30, {200, 40, 40}, {}, {}, dots({{2, 2, 6, 5}, {30, 20, 33, 29}})};
    WindowContents after = before;
    after.silhouette = dots({{3, 2, 7, 5}, {10, 10, 12, 12}});
    Region change;
    change.combine(*before.silhouette, *after.silhouette, CombineMode::Or);
    for (int scale : {1, 2, 3}) {
        SCOPED_TRACE(scale);
        const auto surface = [&] {
            return paint::SurfacePtr(
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40 * scale, 30 * scale));
        };
        const auto surface_again = surface(), whole = surface();
        {
            paint::ContextPtr cr(cairo_create(surface_again.get()));
            paint_contents(cr.get(), before, scale, painter);
            for (const Rect& r : change.rects())
                cairo_rectangle(cr.get(), r.left * scale, r.top * scale, (r.right - r.left) * scale,
                                (r.bottom - r.top) * scale);
            cairo_clip(cr.get());
            paint_contents(cr.get(), after, scale, painter);
        }
        {
            paint::ContextPtr cr(cairo_create(whole.get()));
            paint_contents(cr.get(), after, scale, painter);
        }
        EXPECT_TRUE(same_pixels(surface_again.get(), whole.get()));
    }
}

}  // namespace
}  // namespace pw::gtk
