#include "platform/cairo/painter.hpp"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdlib>

#include "platform/font_map.hpp"

namespace pw::paint {
namespace {

using platform::Colour;

// The game's pictures are a fixed set; a bound keeps the cache small should that change.
constexpr std::size_t kMaxCachedPictures = 128;

using LayoutPtr = ObjectPtr<PangoLayout>;

void set_colour(cairo_t* cr, Colour c) {
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

LayoutPtr make_layout(cairo_t* cr, const platform::Font& font, std::string_view text, double dpi) {
    LayoutPtr layout(pango_cairo_create_layout(cr));
    pango_cairo_context_set_resolution(pango_layout_get_context(layout.get()), dpi);
    pango_layout_context_changed(layout.get());
    FontPtr desc(pango_font_description_new());
    pango_font_description_set_family(desc.get(), platform::pango_family_for(font.family).c_str());
    pango_font_description_set_size(desc.get(), static_cast<int>(font.points * PANGO_SCALE + 0.5));
    pango_font_description_set_weight(desc.get(),
                                      font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), desc.get());
    pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
    return layout;
}

void add_rect(cairo_t* cr, const Rect& r) {
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

cairo_surface_t* Painter::surface_for(const platform::Picture& picture) {
    if (auto it = surfaces_.find(picture.id()); it != surfaces_.end())
        return it->second.surface.get();
    if (surfaces_.size() >= kMaxCachedPictures) surfaces_.clear();

    const int w = picture.width(), h = picture.height();
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const auto pixels = picture.pixels();
    for (int row = 0; row < h; ++row) {
        auto* dst = reinterpret_cast<std::uint32_t*>(data + row * stride);
        for (int col = 0; col < w; ++col) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(row) * w + col];
            dst[col] = (p >> 24) ? p : 0;  // alpha is all or nothing: already premultiplied
        }
    }
    cairo_surface_mark_dirty(surface.get());
    cairo_surface_t* raw = surface.get();
    surfaces_.emplace(picture.id(), Cached{picture, std::move(surface)});
    return raw;
}

void Painter::paint_picture(cairo_t* cr, const platform::Picture& picture, int x, int y) {
    if (!picture || picture.width() <= 0 || picture.height() <= 0) return;
    cairo_set_source_surface(cr, surface_for(picture), x, y);
    cairo_paint(cr);
}

bool Painter::overstrike(PangoLayout* layout, const platform::Font& font) {
    if (!font.bold) return false;
    auto [it, fresh] = overstrike_.try_emplace(font.family, false);
    if (fresh) {
        // The face fontconfig picked, and whether it is bold, or made bold by fontconfig.
        ObjectPtr<PangoFont> loaded(pango_context_load_font(
            pango_layout_get_context(layout), pango_layout_get_font_description(layout)));
        if (loaded) {
            FontPtr actual(pango_font_describe(loaded.get()));
            it->second = pango_font_description_get_weight(actual.get()) < PANGO_WEIGHT_SEMIBOLD;
        }
    }
    return it->second;
}

void Painter::paint_text(cairo_t* cr, int x, int y, const platform::Font& font,
                         std::string_view text, Colour fore) {
    if (text.empty()) return;
    auto layout = make_layout(cr, font, text, dpi_);
    set_colour(cr, fore);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout.get());
    // A font without a bold face is emboldened as Windows does it: struck twice, a pixel
    // apart.
    if (overstrike(layout.get(), font)) {
        cairo_move_to(cr, x + 1, y);
        pango_cairo_show_layout(cr, layout.get());
    }
}

void Painter::paint_window(cairo_t* cr, Colour back, const platform::Picture& picture,
                           const std::vector<platform::DrawItem>& items) {
    set_colour(cr, back);
    cairo_paint(cr);
    paint_picture(cr, picture, 0, 0);
    paint_items(cr, items);
}

void Painter::paint_items(cairo_t* cr, const std::vector<platform::DrawItem>& items) {
    for (const auto& item : items) {
        cairo_save(cr);
        if (const auto* label = std::get_if<platform::LabelItem>(&item)) {
            add_rect(cr, label->box);
            cairo_clip(cr);
            if (label->back) {
                set_colour(cr, *label->back);
                cairo_paint(cr);
            }
            paint_text(cr, label->box.left, label->box.top, label->font, label->text, label->fore);
        } else if (const auto* line = std::get_if<platform::LineItem>(&item)) {
            set_colour(cr, line->colour);
            const int dx = std::abs(line->x2 - line->x1), dy = std::abs(line->y2 - line->y1);
            if (dx == 0 || dy == 0) {
                // A level or upright line covers whole pixels from its start up to, not
                // including, its end, as a one-pixel pen draws it.
                cairo_rectangle(cr, std::min(line->x1, line->x2), std::min(line->y1, line->y2),
                                dy == 0 ? dx : 1, dy == 0 ? 1 : dy);
                cairo_fill(cr);
            } else {
                cairo_set_line_width(cr, 1.0);
                cairo_move_to(cr, line->x1 + 0.5, line->y1 + 0.5);
                cairo_line_to(cr, line->x2 + 0.5, line->y2 + 0.5);
                cairo_stroke(cr);
            }
        } else if (const auto* text = std::get_if<platform::TextItem>(&item)) {
            paint_text(cr, text->x, text->y, text->font, text->text, text->fore);
        } else if (const auto* fill = std::get_if<platform::FillItem>(&item)) {
            for (const Rect& r : fill->shape.rects())
                add_rect(cr, r);
            set_colour(cr, fill->colour);
            cairo_fill(cr);
        } else if (const auto* image = std::get_if<platform::ImageItem>(&item)) {
            paint_picture(cr, image->picture, image->x, image->y);
        }
        cairo_restore(cr);
    }
}

int Painter::text_width(const platform::Font& font, std::string_view text) {
    if (text.empty()) return 0;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    ContextPtr cr(cairo_create(surface.get()));
    auto layout = make_layout(cr.get(), font, text, dpi_);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout.get(), &w, &h);
    return overstrike(layout.get(), font) ? w + 1 : w;
}

}  // namespace pw::paint
