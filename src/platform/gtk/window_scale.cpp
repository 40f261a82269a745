#include "platform/gtk/window_scale.hpp"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

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
    paint::SurfacePtr pixels(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    {
        paint::ContextPtr own(cairo_create(pixels.get()));
        paint(own.get());
    }
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, pixels.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
}

}  // namespace pw::gtk
