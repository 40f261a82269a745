#include "platform/gtk/window_scale.hpp"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/cairo/cairo_ptr.hpp"
#include "platform/display_scale.hpp"

namespace pw::gtk {

void choose_window_scale(GdkDisplay* display) {
    const char* chosen = std::getenv("GDK_SCALE");
    if ((chosen && *chosen) || !GDK_IS_X11_DISPLAY(display)) return;
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (monitor && gdk_monitor_get_scale_factor(monitor) > 1) return;  // the desktop's choice
    gint xft_dpi = -1;                                                 // 1024ths of a dot per inch
    g_object_get(gtk_settings_get_default(), "gtk-xft-dpi", &xft_dpi, nullptr);
    const int scale = platform::scale_for_dpi(xft_dpi > 0 ? (xft_dpi + 512) / 1024 : 0);
    if (scale > 1) gdk_x11_display_set_window_scale(display, scale);
}

void paint_enlarged(cairo_t* cr, int width, int height, int scale,
                    const std::function<void(cairo_t*)>& paint) {
    if (scale <= 1) {
        paint(cr);
        return;
    }
    // Only what `cr` lets through is painted: a full-screen window whose dots alone changed
    // is painted where they were and are.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    const int left = std::max(0, static_cast<int>(std::floor(x1)));
    const int top = std::max(0, static_cast<int>(std::floor(y1)));
    const int right = std::min(width, static_cast<int>(std::ceil(x2)));
    const int bottom = std::min(height, static_cast<int>(std::ceil(y2)));
    if (right <= left || bottom <= top) return;
    paint::SurfacePtr pixels(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, right - left, bottom - top));
    {
        paint::ContextPtr own(cairo_create(pixels.get()));
        cairo_translate(own.get(), -left, -top);
        if (cairo_rectangle_list_t* clip = cairo_copy_clip_rectangle_list(cr)) {
            if (clip->status == CAIRO_STATUS_SUCCESS) {
                for (int i = 0; i < clip->num_rectangles; ++i) {
                    const cairo_rectangle_t& r = clip->rectangles[i];
                    cairo_rectangle(own.get(), r.x, r.y, r.width, r.height);
                }
                cairo_clip(own.get());
            }
            cairo_rectangle_list_destroy(clip);
        }
        paint(own.get());
    }
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, pixels.get(), left, top);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace pw::gtk
