// The cairo/Pango painter: bold texts are bold in every font the game names, emboldened
// where the font has no bold face.
#include "platform/cairo/painter.hpp"

#include <gtest/gtest.h>

#include <string>

namespace pw::paint {
namespace {

// How many pixels the text darkens on white.
int Ink(Painter& painter, const platform::Font& font, const std::string& text) {
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 40));
    ContextPtr cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    painter.paint_text(cr.get(), 4, 4, font, text, {0, 0, 0});
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    int ink = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            ink += 255 - data[y * stride + x * 4];
    return ink / 255;
}

TEST(Painter, BoldTextsAreBolderInEveryFontTheGameNames) {
    Painter painter;
    for (const char* family : {"ＭＳ Ｐ明朝", "ＭＳ Ｐゴシック", "Times New Roman"}) {
        SCOPED_TRACE(family);
        const int regular = Ink(painter, {family, 9.75, false}, "Petalwing");
        const int bold = Ink(painter, {family, 9.75, true}, "Petalwing");
        EXPECT_GT(regular, 0);
        EXPECT_GT(bold, regular * 5 / 4) << "regular " << regular << ", bold " << bold;
    }
}

}  // namespace
}  // namespace pw::paint
