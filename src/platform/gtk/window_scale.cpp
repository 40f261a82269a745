#include "platform/gtk/window_scale.hpp"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/cairo/cairo_ptr.hpp"
#include "platform/display_scale.hpp"

namespace pw::gtk {
namespace {

// Xft.dpi from the X resources (what `xrdb` loaded), or 0.
int resource_dpi() {
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display) return 0;
    const char* resources = XResourceManagerString(display.get());
    if (!resources) return 0;
    XrmInitialize();
    std::unique_ptr<_XrmHashBucketRec, void (*)(XrmDatabase)> db(XrmGetStringDatabase(resources),
                                                                 XrmDestroyDatabase);
    char* type = nullptr;
    XrmValue value{};
    if (!db || !XrmGetResource(db.get(), "Xft.dpi", "Xft.Dpi", &type, &value) || !value.addr)
        return 0;
    return static_cast<int>(std::strtod(value.addr, nullptr) + 0.5);
}

}  // namespace

void choose_window_scale() {
    const char* chosen = std::getenv("GDK_SCALE");
    if (chosen && *chosen) return;
    const int scale = platform::scale_for_dpi(resource_dpi());
    // GDK reads the desktop's own scaling setting itself; this only adds what it ignores.
    if (scale > 1) setenv("GDK_SCALE", std::to_string(scale).c_str(), 1);
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
