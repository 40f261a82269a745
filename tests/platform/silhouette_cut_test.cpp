// A window's picture cut to its silhouette on the Wayland desktop: cut from the picture painted
// whole, and brought from one silhouette to the next by what changed, it is the picture painted
// in its silhouette, at every scale.
#include "platform/gtk/silhouette_cut.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gtk/contents_image.hpp"

namespace pw::gtk {
namespace {

Region dots(std::initializer_list<Rect> boxes) {
    Region out;
    for (const Rect& r : boxes)
        out.combine(out, Region::rectangle(r), CombineMode::Or);
    return out;
}

paint::SurfacePtr painted(const WindowContents& contents, int scale, paint::Painter& painter) {
    paint::SurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, contents.width * scale,
                                                       contents.height * scale));
    paint::ContextPtr cr(cairo_create(image.get()));
    paint_contents(cr.get(), contents, scale, painter);
    return image;
}

bool same_pixels(cairo_surface_t* a, cairo_surface_t* b) {
    cairo_surface_flush(a);
    cairo_surface_flush(b);
    const int stride = cairo_image_surface_get_stride(a);
    return std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b),
                       static_cast<std::size_t>(stride * cairo_image_surface_get_height(a))) == 0;
}

TEST(SilhouetteCut, FromOneSilhouetteToTheNextItIsThePicturePaintedInTheNext) {
    paint::Painter painter;
    // A picture of a colour a pixel, so that a pixel from the wrong place shows.
    std::vector<std::uint32_t> argb(40 * 30);
    for (std::size_t i = 0; i < argb.size(); ++i)
        argb[i] = 0xff000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    WindowContents before{40,
                          30,
                          {200, 40, 40},
                          platform::Picture(40, 30, argb),
                          {},
                          dots({{2, 2, 6, 5}, {30, 20, 33, 29}})};
    WindowContents after = before;
    after.silhouette = dots({{3, 2, 7, 5}, {10, 10, 12, 12}, {15, 12, 19, 14}, {-5, 25, 60, 40}});
    for (int scale : {1, 2, 3}) {
        SCOPED_TRACE(scale);
        WindowContents whole_picture = before;
        whole_picture.silhouette.reset();
        const auto whole = painted(whole_picture, scale, painter);
        const auto whole_view = pixman_view(whole.get());
        // A buffer of leftovers, cut to the first silhouette, then brought to the second.
        const auto buffer = painted(whole_picture, scale, painter);
        const auto pixels = pixman_view(buffer.get());
        clear_region(pixels.get(), Region::rectangle({0, 0, 40, 30}), scale);
        copy_region(whole_view.get(), pixels.get(), visible_area(before), scale);
        cairo_surface_mark_dirty(buffer.get());
        EXPECT_TRUE(same_pixels(buffer.get(), painted(before, scale, painter).get()));
        Region left, gained;
        left.combine(visible_area(before), visible_area(after), CombineMode::Diff);
        gained.combine(visible_area(after), visible_area(before), CombineMode::Diff);
        clear_region(pixels.get(), left, scale);
        copy_region(whole_view.get(), pixels.get(), gained, scale);
        cairo_surface_mark_dirty(buffer.get());
        EXPECT_TRUE(same_pixels(buffer.get(), painted(after, scale, painter).get()));
    }
}

TEST(SilhouetteCut, OnlyTheSilhouetteMayDifferForAPictureToBeTheSame) {
    const WindowContents a{40, 30, {200, 40, 40}, {}, {}, dots({{2, 2, 6, 5}})};
    WindowContents b = a;
    b.silhouette.reset();
    EXPECT_TRUE(same_but_silhouette(a, b));
    b.back = {200, 40, 41};
    EXPECT_FALSE(same_but_silhouette(a, b));
    b = a;
    b.height = 31;
    EXPECT_FALSE(same_but_silhouette(a, b));
    b = a;
    b.items.push_back(platform::LineItem{0, 0, 1, 1, {}});
    EXPECT_FALSE(same_but_silhouette(a, b));
}

}  // namespace
}  // namespace pw::gtk
