// The GTK desktop's Wayland steps: the game's windows on the stage, clicks on the sprite under
// the pointer, the keys from the lamp's surface while it has the keyboard, and the work area
// from what the panels leave.
#include <gdk/gdkwayland.h>

#include <linux/input-event-codes.h>

#include "platform/gtk/alpha_visual.hpp"
#include "platform/gtk/gtk_desktop.hpp"
#include "platform/gtk/gtk_window.hpp"
#include "platform/gtk/layer_shell.hpp"

namespace pw::gtk {

void GtkDesktop::make_stage() {
    stage_ = std::make_unique<Stage>(display_, [this](const Stage::Press& press) {
        for (const auto& [h, win] : windows_)
            if (win->sprite == press.sprite) pressed_on_stage(*win, press);
    });
    g_signal_connect(stage_->widget(), "notify::scale-factor", G_CALLBACK(on_stage_scale), this);
}

// The lamp's own surface shows nothing (the stage shows the lamp above every sprite); it is
// there for the keyboard and the lamp's clicks.
void GtkDesktop::make_layer_window(Window& win) {
    GtkWidget* widget = win.widget.get();
    make_layer_surface(GTK_WINDOW(widget), "petalwing-lamp");
    gtk_widget_add_events(widget, GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK);
    g_signal_connect(widget, "draw", G_CALLBACK(draw_nothing), nullptr);
    g_signal_connect(widget, "key-press-event", G_CALLBACK(on_key), &win);
    g_signal_connect(widget, "key-release-event", G_CALLBACK(on_key), &win);
    g_signal_connect(widget, "focus-out-event", G_CALLBACK(on_focus_out), &win);
    use_alpha_visual(widget);
    win.alpha = true;
    gtk_widget_realize(widget);
}

// A press on a sprite reaches the game as a click on its window would. GDK never heard of
// it, so the menu it may open is anchored by a click made up on the stage.
void GtkDesktop::pressed_on_stage(const Window& win, const Stage::Press& press) {
    const guint gdk_button = press.button == BTN_LEFT     ? 1
                             : press.button == BTN_MIDDLE ? 2
                             : press.button == BTN_RIGHT  ? 3
                                                          : 0;
    const int button = mouse_button_code(gdk_button);
    if (button == 0) return;
    EventPtr click(gdk_event_new(GDK_BUTTON_PRESS));
    GdkEventButton& e = click->button;
    e.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(stage_->widget())));
    e.send_event = TRUE;
    e.time = press.time;
    e.x = win.left + press.x;
    e.y = win.top + press.y;
    e.button = gdk_button;
    gdk_event_set_device(click.get(), gdk_seat_get_pointer(gdk_display_get_default_seat(display_)));
    inputs_.push_back(Input{win.handle, false, button, press.x, press.y, std::move(click)});
}

// Moved to an output of another scale: every picture again, in its pixels.
void GtkDesktop::on_stage_scale(GObject*, GParamSpec*, gpointer data) {
    auto& desktop = *static_cast<GtkDesktop*>(data);
    for (auto& [h, win] : desktop.windows_) {
        win->shown.reset();
        desktop.contents_changed(*win);
    }
}

// Escape gives the keyboard back to the desktop: the game sees it (and pauses), and the user
// types elsewhere until a click on the lamp hands the keyboard to the game again.
gboolean GtkDesktop::on_key(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* win = static_cast<Window*>(data);
    GtkDesktop& desktop = *win->desktop;
    if (event->type == GDK_KEY_RELEASE) {
        desktop.key_events_.release(event->keyval);
        return TRUE;
    }
    if (desktop.key_events_.press(event->keyval) != platform::Key::Escape) return TRUE;
    for (auto& [h, w] : desktop.windows_) {
        GtkWidget* widget = w->widget.get();
        if (!widget || !asks_for_keyboard(GTK_WINDOW(widget))) continue;
        set_keyboard_wish(GTK_WINDOW(widget), KeyboardWish::Never);
        // Sway 1.7 leaves the keyboard with a surface that stops asking for it until the
        // surface is mapped anew.
        if (w->mapped) {
            gtk_widget_hide(widget);
            gtk_widget_show(widget);
        }
    }
    desktop.gtk_work_ = true;
    return TRUE;
}

gboolean GtkDesktop::on_focus_out(GtkWidget*, GdkEventFocus*, gpointer data) {
    static_cast<Window*>(data)->desktop->key_events_.release_all();
    return FALSE;
}

void GtkDesktop::take_keyboard(Window& win) {
    set_keyboard_wish(GTK_WINDOW(win.widget.get()), KeyboardWish::Take);
    gtk_work_ = true;
}

int GtkDesktop::wayland_work_area_bottom(const GdkRectangle& output) {
    // Where the compositor does not say, the whole output.
    return output.y + usable_area_->height().value_or(output.height);
}

int GtkDesktop::wayland_connection() const {
    return wl_display_get_fd(gdk_wayland_display_get_wl_display(display_));
}

}  // namespace pw::gtk
