// Paints what a window shows with cairo and Pango: its background colour, its picture and its
// draw items. Pictures are converted to cairo surfaces once and shared by every window.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/cairo/cairo_ptr.hpp"
#include "platform/platform.hpp"

namespace pw::paint {

class Painter {
  public:
    // Texts are laid out for this resolution, the one the twips are measured in.
    void set_dpi(double dpi) { dpi_ = dpi; }

    void paint_window(cairo_t* cr, platform::Colour back, const platform::Picture& picture,
                      const std::vector<platform::DrawItem>& items);
    void paint_items(cairo_t* cr, const std::vector<platform::DrawItem>& items);
    int text_width(const platform::Font& font, std::string_view text);

    void paint_picture(cairo_t* cr, const platform::Picture& picture, int x, int y);
    void paint_text(cairo_t* cr, int x, int y, const platform::Font& font, std::string_view text,
                    platform::Colour fore);

  private:
    cairo_surface_t* surface_for(const platform::Picture& picture);
    // True when a bold text in this font must be emboldened by hand.
    bool overstrike(PangoLayout* layout, const platform::Font& font);

    struct Cached {
        platform::Picture picture;  // keeps the bitmap, and so its identity, alive
        SurfacePtr surface;
    };
    std::unordered_map<const void*, Cached> surfaces_;
    std::unordered_map<std::string, bool> overstrike_;  // by font family
    double dpi_ = 96;
};

}  // namespace pw::paint
