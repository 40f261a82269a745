// What reaches the game from the user: the focus, mouse buttons, and which X events of the
// game windows GTK need not see.
#include "platform/gtk/gtk_desktop.hpp"

#include <X11/extensions/XInput2.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/gtk/gtk_window.hpp"
#include "platform/gtk/layer_shell.hpp"

namespace pw::gtk {

using platform::WindowHandle;

namespace {

bool is_key_event(const XEvent& e, int xi_opcode) {
    if (e.type == KeyPress || e.type == KeyRelease) return true;
    const XGenericEventCookie& c = e.xcookie;
    return e.type == GenericEvent && c.extension == xi_opcode &&
           (c.evtype == XI_KeyPress || c.evtype == XI_KeyRelease);
}

}  // namespace

int mouse_button_code(guint button) {
    switch (button) {
        case 1:
            return platform::kLeftButton;
        case 2:
            return platform::kMiddleButton;
        case 3:
            return platform::kRightButton;
        default:
            return 0;
    }
}

void GtkDesktop::focus(WindowHandle w) {
    Window* win = find(w);
    if (!win || win->role != platform::WindowRole::Lamp) return;  // sprites never take it
    if (!focus_manners_.may_take(game_has_focus())) return;
    if (win->viewable || wayland_)  // on Wayland the surface asks whenever it is mapped
        take_focus(*win);
    else
        win->wants_focus = true;
}

void GtkDesktop::take_focus(Window& win) {
    win.wants_focus = false;
    if (wayland_) {
        take_keyboard(win);
        return;
    }
    GdkWindow* native = gtk_widget_get_window(win.widget.get());
    gdk_window_focus(native, gdk_x11_get_server_time(native));
}

bool GtkDesktop::game_has_focus() const {
    return std::any_of(windows_.begin(), windows_.end(), [](const auto& entry) {
        const GtkWidget* widget = entry.second->widget.get();
        return widget && gtk_window_is_active(GTK_WINDOW(widget));
    });
}

gboolean GtkDesktop::on_button_press(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto* win = static_cast<Window*>(data);
    const int button = mouse_button_code(event->button);
    if (event->type != GDK_BUTTON_PRESS || button == 0) return TRUE;
    // On Wayland a click on the lamp gives the game the keyboard again (after Escape).
    if (win->desktop->wayland_ && win->role == platform::WindowRole::Lamp)
        win->desktop->take_keyboard(*win);
    win->desktop->inputs_.push_back(
        Input{win->handle, false, button, static_cast<int>(std::floor(event->x)),
              static_cast<int>(std::floor(event->y)),
              EventPtr(gdk_event_copy(reinterpret_cast<GdkEvent*>(event)))});
    return TRUE;
}

gboolean GtkDesktop::on_focus_in(GtkWidget* widget, GdkEventFocus*, gpointer data) {
    auto* win = static_cast<Window*>(data);
    if (win->desktop->wayland_) keep_keyboard_once_taken(GTK_WINDOW(widget));
    win->desktop->inputs_.push_back(Input{win->handle, true, 0, 0, 0, nullptr});
    return FALSE;
}

// What of a game window's X events GTK need not see:
// - exposures: the window's background is its picture, and what the server exposes it paints
//   itself;
// - the server's confirmation of every move, three a frame in play: GDK sets the place of a
//   window it moves without the window manager at once, and GTK wants only new sizes (every
//   new size still reaches it); a managed window may be moved by the window manager, so its
//   notices all go through;
// - keys: the game reads the keyboard on a connection of its own, and a held key repeats 25
//   times a second, each time through GDK (on a desktop without a window manager with a
//   round trip to the server) and GTK. Only an open menu or dialog, which holds GTK's grab,
//   takes them, through the window that has the focus.
GdkFilterReturn GtkDesktop::on_x_event(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    const auto& e = *static_cast<const XEvent*>(xevent);
    auto* win = static_cast<Window*>(data);
    if (e.type == Expose || e.type == GraphicsExpose) return GDK_FILTER_REMOVE;
    if (is_key_event(e, win->desktop->xi_opcode_))
        return gtk_grab_get_current() ? GDK_FILTER_CONTINUE : GDK_FILTER_REMOVE;
    if (e.type != ConfigureNotify) return GDK_FILTER_CONTINUE;
    const XConfigureEvent& c = e.xconfigure;
    if (!c.override_redirect) win->desktop->lamp_configured(*win, c.x, c.y);
    if (!c.override_redirect || c.event != c.window) return GDK_FILTER_CONTINUE;
    const std::pair size{c.width, c.height};
    if (win->notified_size == size) return GDK_FILTER_REMOVE;
    win->notified_size = size;
    return GDK_FILTER_CONTINUE;
}

gboolean GtkDesktop::on_map(GtkWidget*, GdkEvent*, gpointer data) {
    auto* win = static_cast<Window*>(data);
    if (!win->mapped) return FALSE;  // the mapping at birth that nobody saw
    win->viewable = true;
    win->desktop->place_lamp(*win);
    if (win->wants_focus) win->desktop->take_focus(*win);
    return FALSE;
}

}  // namespace pw::gtk
