#include "platform/headless/compositor.hpp"

#include <cairo.h>

#include <algorithm>
#include <memory>

#include "platform/cairo/cairo_ptr.hpp"
#include "platform/cairo/painter.hpp"

namespace pw::headless {
namespace {

using platform::Colour;

using paint::Painter;

void set_colour(cairo_t* cr, Colour c) {
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void clip_to_region(cairo_t* cr, const Region& region) {
    cairo_new_path(cr);
    for (const Rect& r : region.rects())
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_clip(cr);
}

void draw_window(cairo_t* cr, Painter& painter, const WindowView& w) {
    cairo_save(cr);
    cairo_translate(cr, w.left, w.top);
    cairo_rectangle(cr, 0, 0, w.width, w.height);
    cairo_clip(cr);
    if (w.shape && *w.shape) clip_to_region(cr, **w.shape);
    painter.paint_window(cr, w.back, w.picture ? *w.picture : platform::Picture{},
                         w.items ? *w.items : std::vector<platform::DrawItem>{});
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

void draw_taskbar(cairo_t* cr, Painter& painter, const Scene& s) {
    if (s.taskbar <= 0) return;
    const int y = s.height - s.taskbar;
    set_colour(cr, kFace);
    cairo_rectangle(cr, 0, y, s.width, s.taskbar);
    cairo_fill(cr);
    draw_bevel(cr, 0, y, s.width, s.taskbar, true);
    draw_bevel(cr, 2, y + 3, 60, s.taskbar - 6, true);
    painter.paint_text(cr, 12, y + (s.taskbar - 14) / 2, {"ＭＳ Ｐゴシック", 9.0, true}, "start",
                       {0, 0, 0});
}

void draw_menu(cairo_t* cr, Painter& painter, const Scene& s, MenuView m) {
    constexpr int kItemH = 20, kSepH = 8, kPad = 24;
    int w = 0, h = 4;
    for (const auto& item : m.items) {
        h += item.caption == "-" ? kSepH : kItemH;
        w = std::max(w, painter.text_width(kUiFont, item.caption));
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
        painter.paint_text(cr, m.x + kPad, y + 3, kUiFont, item.caption, fore);
        y += kItemH;
    }
}

void draw_dialog(cairo_t* cr, Painter& painter, const Scene& s, const platform::DialogLayout& d) {
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
    painter.paint_text(cr, x + f.border + 4, y + f.border + 3, {"ＭＳ Ｐゴシック", 9.0, true},
                       d.title, {255, 255, 255});
    cairo_save(cr);
    cairo_translate(cr, x + f.border, y + f.border + f.caption);
    cairo_rectangle(cr, 0, 0, d.client_width, d.client_height);
    cairo_clip(cr);
    painter.paint_items(cr, d.items);
    for (const auto& b : d.buttons) {
        const int bw = b.box.right - b.box.left, bh = b.box.bottom - b.box.top;
        draw_bevel(cr, b.box.left, b.box.top, bw, bh, true);
        const int tw = painter.text_width(kUiFont, b.caption);
        painter.paint_text(cr, b.box.left + (bw - tw) / 2, b.box.top + (bh - 14) / 2, kUiFont,
                           b.caption, {0, 0, 0});
    }
    cairo_restore(cr);
}

// The user's desktop behind the game: a plain wallpaper.
void paint_wallpaper(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0x3a / 255.0, 0x6e / 255.0, 0xa5 / 255.0);
    cairo_paint(cr);
}

// The desktop as a HiDPI screen shows it: every pixel a square block, nearest-neighbour.
paint::SurfacePtr enlarged(cairo_surface_t* logical, const Scene& s) {
    paint::SurfacePtr screen(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.screen_width, s.screen_height));
    paint::ContextPtr context(cairo_create(screen.get()));
    cairo_t* cr = context.get();
    paint_wallpaper(cr);
    cairo_scale(cr, s.scale, s.scale);
    cairo_set_source_surface(cr, logical, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    return screen;
}

}  // namespace

bool write_png(const Scene& scene, const std::string& path, Painter& painter, std::string* error) {
    paint::SurfacePtr surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, scene.width, scene.height));
    paint::ContextPtr context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    paint_wallpaper(cr);
    for (const auto& w : scene.windows)
        draw_window(cr, painter, w);
    draw_taskbar(cr, painter, scene);
    if (scene.dialog && scene.dialog->layout)
        draw_dialog(cr, painter, scene, *scene.dialog->layout);
    if (scene.menu) draw_menu(cr, painter, scene, *scene.menu);
    if (scene.scale > 1) surface = enlarged(surface.get(), scene);
    const auto status = cairo_surface_write_to_png(surface.get(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        if (error) *error = cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace pw::headless
