#include "platform/headless/compositor.hpp"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <memory>

#include "platform/font_map.hpp"

namespace pw::headless {
namespace {

using platform::Colour;

template <class T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Surface = std::unique_ptr<cairo_surface_t, Deleter<cairo_surface_t, cairo_surface_destroy>>;
using Context = std::unique_ptr<cairo_t, Deleter<cairo_t, cairo_destroy>>;
using FontDesc = std::unique_ptr<PangoFontDescription,
                                 Deleter<PangoFontDescription, pango_font_description_free>>;

void unref_layout(PangoLayout* l) {
    g_object_unref(l);
}
using Layout = std::unique_ptr<PangoLayout, Deleter<PangoLayout, unref_layout>>;

Layout make_layout(cairo_t* cr, const platform::Font& font, std::string_view text, int dpi) {
    Layout layout(pango_cairo_create_layout(cr));
    pango_cairo_context_set_resolution(pango_layout_get_context(layout.get()), dpi);
    pango_layout_context_changed(layout.get());
    FontDesc desc(pango_font_description_new());
    pango_font_description_set_family(desc.get(), platform::pango_family_for(font.family).c_str());
    pango_font_description_set_size(desc.get(), static_cast<int>(font.points * PANGO_SCALE + 0.5));
    pango_font_description_set_weight(desc.get(),
                                      font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), desc.get());
    pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
    return layout;
}

void set_colour(cairo_t* cr, Colour c) {
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void draw_text(cairo_t* cr, int x, int y, const platform::Font& font, std::string_view text,
               Colour fore, int dpi) {
    if (text.empty()) return;
    auto layout = make_layout(cr, font, text, dpi);
    set_colour(cr, fore);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout.get());
}

void draw_picture(cairo_t* cr, const platform::Picture& picture, int x, int y) {
    if (!picture) return;
    const int w = picture.width(), h = picture.height();
    Surface img(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    cairo_surface_flush(img.get());
    auto* data = cairo_image_surface_get_data(img.get());
    const int stride = cairo_image_surface_get_stride(img.get());
    const auto px = picture.pixels();
    for (int row = 0; row < h; ++row) {
        auto* dst = reinterpret_cast<std::uint32_t*>(data + row * stride);
        for (int col = 0; col < w; ++col) {
            const std::uint32_t p = px[static_cast<std::size_t>(row) * w + col];
            dst[col] = (p >> 24) ? p : 0;  // alpha is all or nothing: no premultiplying needed
        }
    }
    cairo_surface_mark_dirty(img.get());
    cairo_set_source_surface(cr, img.get(), x, y);
    cairo_paint(cr);
}

void clip_to_region(cairo_t* cr, const Region& region) {
    cairo_new_path(cr);
    for (const Rect& r : region.rects())
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_clip(cr);
}

void draw_items(cairo_t* cr, const std::vector<platform::DrawItem>& items, int dpi) {
    for (const auto& item : items) {
        if (const auto* label = std::get_if<platform::LabelItem>(&item)) {
            const Rect& b = label->box;
            if (label->back) {
                set_colour(cr, *label->back);
                cairo_rectangle(cr, b.left, b.top, b.right - b.left, b.bottom - b.top);
                cairo_fill(cr);
            }
            cairo_save(cr);
            cairo_rectangle(cr, b.left, b.top, b.right - b.left, b.bottom - b.top);
            cairo_clip(cr);
            draw_text(cr, b.left, b.top, label->font, label->text, label->fore, dpi);
            cairo_restore(cr);
        } else if (const auto* line = std::get_if<platform::LineItem>(&item)) {
            set_colour(cr, line->colour);
            cairo_set_line_width(cr, 1.0);
            cairo_move_to(cr, line->x1 + 0.5, line->y1 + 0.5);
            cairo_line_to(cr, line->x2 + 0.5, line->y2 + 0.5);
            cairo_stroke(cr);
        } else if (const auto* text = std::get_if<platform::TextItem>(&item)) {
            draw_text(cr, text->x, text->y, text->font, text->text, text->fore, dpi);
        } else if (const auto* fill = std::get_if<platform::FillItem>(&item)) {
            cairo_save(cr);
            clip_to_region(cr, fill->shape);
            set_colour(cr, fill->colour);
            cairo_paint(cr);
            cairo_restore(cr);
        } else if (const auto* image = std::get_if<platform::ImageItem>(&item)) {
            draw_picture(cr, image->picture, image->x, image->y);
        }
    }
}

void draw_window(cairo_t* cr, const WindowView& w, int dpi) {
    cairo_save(cr);
    cairo_translate(cr, w.left, w.top);
    cairo_rectangle(cr, 0, 0, w.width, w.height);
    cairo_clip(cr);
    if (w.shape && *w.shape) clip_to_region(cr, **w.shape);
    set_colour(cr, w.back);
    cairo_paint(cr);
    if (w.picture) draw_picture(cr, *w.picture, 0, 0);
    if (w.items) draw_items(cr, *w.items, dpi);
    cairo_restore(cr);
}

void draw_bevel(cairo_t* cr, int x, int y, int w, int h, bool raised) {
    const Colour light{255, 255, 255}, dark{128, 128, 128};
    cairo_set_line_width(cr, 1.0);
    set_colour(cr, raised ? light : dark);
    cairo_move_to(cr, x + 0.5, y + h - 0.5);
    cairo_line_to(cr, x + 0.5, y + 0.5);
    cairo_line_to(cr, x + w - 0.5, y + 0.5);
    cairo_stroke(cr);
    set_colour(cr, raised ? dark : light);
    cairo_move_to(cr, x + w - 0.5, y + 0.5);
    cairo_line_to(cr, x + w - 0.5, y + h - 0.5);
    cairo_line_to(cr, x + 0.5, y + h - 0.5);
    cairo_stroke(cr);
}

const platform::Font kUiFont{"ＭＳ Ｐゴシック", 9.0, false};
constexpr Colour kFace{212, 208, 200};

void draw_taskbar(cairo_t* cr, const Scene& s) {
    if (s.taskbar <= 0) return;
    const int y = s.height - s.taskbar;
    set_colour(cr, kFace);
    cairo_rectangle(cr, 0, y, s.width, s.taskbar);
    cairo_fill(cr);
    draw_bevel(cr, 0, y, s.width, s.taskbar, true);
    draw_bevel(cr, 2, y + 3, 60, s.taskbar - 6, true);
    draw_text(cr, 12, y + (s.taskbar - 14) / 2, {"ＭＳ Ｐゴシック", 9.0, true}, "start", {0, 0, 0},
              s.dpi);
}

void draw_menu(cairo_t* cr, const Scene& s, MenuView m) {
    const int dpi = s.dpi;
    constexpr int kItemH = 20, kSepH = 8, kPad = 24;
    int w = 0, h = 4;
    for (const auto& item : m.items) {
        h += item.caption == "-" ? kSepH : kItemH;
        w = std::max(w, measure_text(kUiFont, item.caption, dpi));
    }
    w += 2 * kPad;
    // Like a real popup menu, it opens upwards or leftwards where the screen ends.
    if (m.y + h > s.height) m.y = std::max(0, m.y - h);
    if (m.x + w > s.width) m.x = std::max(0, m.x - w);
    set_colour(cr, kFace);
    cairo_rectangle(cr, m.x, m.y, w, h);
    cairo_fill(cr);
    draw_bevel(cr, m.x, m.y, w, h, true);
    int y = m.y + 2;
    for (std::size_t i = 0; i < m.items.size(); ++i) {
        const auto& item = m.items[i];
        if (item.caption == "-") {
            draw_bevel(cr, m.x + 3, y + kSepH / 2 - 1, w - 6, 2, false);
            y += kSepH;
            continue;
        }
        Colour fore{0, 0, 0};
        if (static_cast<int>(i) == m.highlighted) {
            set_colour(cr, {10, 36, 106});
            cairo_rectangle(cr, m.x + 2, y, w - 4, kItemH);
            cairo_fill(cr);
            fore = {255, 255, 255};
        }
        draw_text(cr, m.x + kPad, y + 3, kUiFont, item.caption, fore, dpi);
        y += kItemH;
    }
}

void draw_dialog(cairo_t* cr, const Scene& s, const platform::DialogSpec& d) {
    const auto f = kDialogFrame;
    const int w = d.client_width + 2 * f.border, h = d.client_height + 2 * f.border + f.caption;
    const int x = (s.width - w) / 2, y = (s.height - s.taskbar - h) / 2;
    set_colour(cr, kFace);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    draw_bevel(cr, x, y, w, h, true);
    auto* grad = cairo_pattern_create_linear(x, 0, x + w, 0);
    cairo_pattern_add_color_stop_rgb(grad, 0, 10 / 255.0, 36 / 255.0, 106 / 255.0);
    cairo_pattern_add_color_stop_rgb(grad, 1, 166 / 255.0, 202 / 255.0, 240 / 255.0);
    cairo_set_source(cr, grad);
    cairo_rectangle(cr, x + f.border, y + f.border, w - 2 * f.border, f.caption - 2);
    cairo_fill(cr);
    cairo_pattern_destroy(grad);
    draw_text(cr, x + f.border + 4, y + f.border + 3, {"ＭＳ Ｐゴシック", 9.0, true}, d.title,
              {255, 255, 255}, s.dpi);
    cairo_save(cr);
    cairo_translate(cr, x + f.border, y + f.border + f.caption);
    cairo_rectangle(cr, 0, 0, d.client_width, d.client_height);
    cairo_clip(cr);
    draw_items(cr, d.items, s.dpi);
    for (const auto& b : d.buttons) {
        const int bw = b.box.right - b.box.left, bh = b.box.bottom - b.box.top;
        draw_bevel(cr, b.box.left, b.box.top, bw, bh, true);
        const int tw = measure_text(kUiFont, b.caption, s.dpi);
        draw_text(cr, b.box.left + (bw - tw) / 2, b.box.top + (bh - 14) / 2, kUiFont, b.caption,
                  {0, 0, 0}, s.dpi);
    }
    cairo_restore(cr);
}

}  // namespace

int measure_text(const platform::Font& font, std::string_view text, int dpi) {
    if (text.empty()) return 0;
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    Context cr(cairo_create(surface.get()));
    auto layout = make_layout(cr.get(), font, text, dpi);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout.get(), &w, &h);
    return w;
}

bool write_png(const Scene& scene, const std::string& path, std::string* error) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, scene.width, scene.height));
    Context cr(cairo_create(surface.get()));
    // The user's desktop behind the game: a plain wallpaper.
    cairo_set_source_rgb(cr.get(), 0x3a / 255.0, 0x6e / 255.0, 0xa5 / 255.0);
    cairo_paint(cr.get());
    for (const auto& w : scene.windows)
        draw_window(cr.get(), w, scene.dpi);
    draw_taskbar(cr.get(), scene);
    if (scene.dialog && scene.dialog->spec) draw_dialog(cr.get(), scene, *scene.dialog->spec);
    if (scene.menu) draw_menu(cr.get(), scene, *scene.menu);
    const auto status = cairo_surface_write_to_png(surface.get(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        if (error) *error = cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace pw::headless
