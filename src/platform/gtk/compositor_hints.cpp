#include "platform/gtk/compositor_hints.hpp"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <string_view>
#include <vector>

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

// GDK gives every top-level window the frame-sync counters of _NET_WM_SYNC_REQUEST and starts
// it in the middle of a frame (an odd extended counter) that ends when GTK first paints it. GTK
// never paints a game window, so a compositor that honours the counters waits for ever: mutter
// on Xwayland then holds back the window's commits (_XWAYLAND_ALLOW_COMMITS = 0) and shows the
// window as it was when it was first mapped, or not at all. Without the counters and the
// protocol nothing waits on a frame that never comes.
void leave_frame_sync(GdkWindow* window) {
    GdkDisplay* display = gdk_window_get_display(window);
    Display* x = gdk_x11_display_get_xdisplay(display);
    const ::Window id = gdk_x11_window_get_xid(window);
    XDeleteProperty(x, id,
                    gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_SYNC_REQUEST_COUNTER"));
    const Atom sync_request =
        gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_SYNC_REQUEST");
    Atom* protocols = nullptr;
    int count = 0;
    if (!XGetWMProtocols(x, id, &protocols, &count)) return;
    std::vector<Atom> kept(protocols, protocols + count);
    XFree(protocols);
    std::erase(kept, sync_request);
    if (static_cast<int>(kept.size()) != count)
        XSetWMProtocols(x, id, kept.data(), static_cast<int>(kept.size()));
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
    leave_frame_sync(window);
}

bool window_manager_running(GtkWidget* widget) {
    GdkScreen* screen = gtk_widget_get_screen(widget);
    return !GDK_IS_X11_SCREEN(screen) ||
           std::string_view(gdk_x11_screen_get_window_manager_name(screen)) != "unknown";
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
