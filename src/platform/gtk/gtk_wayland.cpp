// The GTK desktop's Wayland steps: the game's windows on the stage, clicks on the sprite under
// the pointer, the keys from the lamp's surface while it has the keyboard, and the work area
// from what the panels leave.
#include <gdk/gdkwayland.h>

#include <cmath>

#include "platform/gtk/alpha_visual.hpp"
#include "platform/gtk/gtk_desktop.hpp"
#include "platform/gtk/gtk_window.hpp"
#include "platform/gtk/layer_shell.hpp"

namespace pw::gtk {

void GtkDesktop::watch_stage() {
    GtkWidget* stage = stage_->widget();
    g_signal_connect(stage, "button-press-event", G_CALLBACK(on_stage_press), this);
    g_signal_connect(stage, "notify::scale-factor", G_CALLBACK(on_stage_scale), this);
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

void GtkDesktop::send_click_area(Window& win) {
    Region area = Region::rectangle({0, 0, win.width, win.height});
    if (win.shape) area.combine(area, *win.shape, CombineMode::And);
    if (win.widget) set_input_silhouette(win.widget.get(), win.shape, win.width, win.height);
    stage_->set_click_area(win.sprite, std::move(area));
}

// A click on the stage is the topmost sprite's under the pointer, in its own pixels.
gboolean GtkDesktop::on_stage_press(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto& desktop = *static_cast<GtkDesktop*>(data);
    const int x = static_cast<int>(std::floor(event->x)),
              y = static_cast<int>(std::floor(event->y));
    const auto sprite = desktop.stage_->hit(x, y);
    const int button = mouse_button_code(event->button);
    if (!sprite || event->type != GDK_BUTTON_PRESS || button == 0) return TRUE;
    for (const auto& [h, win] : desktop.windows_)
        if (win->sprite == *sprite)
            desktop.inputs_.push_back(
                Input{h, false, button, x - win->left, y - win->top,
                      EventPtr(gdk_event_copy(reinterpret_cast<GdkEvent*>(event)))});
    return TRUE;
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
