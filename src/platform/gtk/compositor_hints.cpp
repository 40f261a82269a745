#include "platform/gtk/compositor_hints.hpp"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

namespace pw::gtk {
namespace {

// _NET_WM_BYPASS_COMPOSITOR: 2 asks the compositor never to unredirect the window.
constexpr long kNeverBypass = 2;
constexpr long kNoShadow = 0;

void set_cardinal(GdkWindow* window, const char* name, long value) {
    GdkDisplay* display = gdk_window_get_display(window);
    XChangeProperty(gdk_x11_display_get_xdisplay(display), gdk_x11_window_get_xid(window),
                    gdk_x11_get_xatom_by_name_for_display(display, name), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
}

}  // namespace

void declare_window_type(GtkWindow* window, bool lamp) {
    if (!lamp) gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DOCK);
}

void turn_compositor_effects_off(GtkWidget* widget) {
    GdkWindow* window = gtk_widget_get_window(widget);
    if (!window || !GDK_IS_X11_WINDOW(window)) return;
    set_cardinal(window, "_COMPTON_SHADOW", kNoShadow);
    set_cardinal(window, "_NET_WM_BYPASS_COMPOSITOR", kNeverBypass);
}

void show_to_compositors_unseen(GtkWidget* widget) {
    GdkWindow* window = gtk_widget_get_window(widget);
    if (!window || !GDK_IS_X11_WINDOW(window)) return;
    Display* x = GDK_WINDOW_XDISPLAY(window);
    const ::Window id = GDK_WINDOW_XID(window);
    XShapeCombineRectangles(x, id, ShapeBounding, 0, 0, nullptr, 0, ShapeSet, YXBanded);
    gtk_widget_show(widget);
    gtk_widget_hide(widget);
    XShapeCombineMask(x, id, ShapeBounding, 0, 0, None, ShapeSet);
}

}  // namespace pw::gtk
