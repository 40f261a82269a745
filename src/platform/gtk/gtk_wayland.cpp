// The GTK desktop's Wayland steps: each game window a layer surface that GTK draws from the
// window's picture, clicks only inside its silhouette, the keys from the surface that has the
// keyboard, and the work area from what the panels leave.
#include <gdk/gdkwayland.h>

#include <optional>

#include "platform/gtk/alpha_visual.hpp"
#include "platform/gtk/contents_image.hpp"
#include "platform/gtk/gtk_desktop.hpp"
#include "platform/gtk/gtk_window.hpp"
#include "platform/gtk/layer_shell.hpp"

namespace pw::gtk {

void GtkDesktop::make_layer_window(Window& win) {
    GtkWidget* widget = win.widget.get();
    make_layer_surface(GTK_WINDOW(widget), "petalwing");
    gtk_widget_add_events(widget, GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK);
    g_signal_connect(widget, "draw", G_CALLBACK(on_draw), &win);
    g_signal_connect(widget, "key-press-event", G_CALLBACK(on_key), &win);
    g_signal_connect(widget, "key-release-event", G_CALLBACK(on_key), &win);
    g_signal_connect(widget, "focus-out-event", G_CALLBACK(on_focus_out), &win);
    use_alpha_visual(widget);
    win.alpha = true;
    gtk_widget_realize(widget);
}

void GtkDesktop::send_input_shape(Window& win) {
    set_input_silhouette(win.widget.get(), win.shape, win.width, win.height);
}

namespace {

// What of a window changes from `shown` to `next` when only its silhouette does (in play the
// enemy shots' and debris' full-screen windows change nothing else every frame): the old and
// the new silhouette. Nothing when more changes: then all of it.
std::optional<Region> silhouette_change(const std::optional<WindowContents>& shown,
                                        const WindowContents& next) {
    if (!shown || !shown->silhouette || !next.silhouette) return std::nullopt;
    WindowContents same = next;
    same.silhouette = shown->silhouette;
    if (!(same == *shown)) return std::nullopt;
    Region change;
    change.combine(*shown->silhouette, *next.silhouette, CombineMode::Or);
    return change;
}

RegionPtr cairo_region_of(const Region& region, int scale) {
    RegionPtr out(cairo_region_create());
    for (const Rect& r : region.rects()) {
        const cairo_rectangle_int_t box{r.left * scale, r.top * scale, (r.right - r.left) * scale,
                                        (r.bottom - r.top) * scale};
        cairo_region_union_rectangle(out.get(), &box);
    }
    return out;
}

}  // namespace

// The picture is painted once per change, in the surface's own pixels; GTK copies it into
// the buffer it commits whenever it draws the window (a move by margins draws it again).
// Where only the silhouette changed, only the old and new silhouette are painted, drawn and
// sent to the compositor: a full-screen window costs what its dots cost.
void GtkDesktop::paint_surface(Window& win) {
    GtkWidget* widget = win.widget.get();
    const int scale = gtk_widget_get_scale_factor(widget);
    const auto change =
        win.surface_picture ? silhouette_change(win.shown, win.contents) : std::nullopt;
    if (!change) {
        win.surface_picture.reset(cairo_image_surface_create(
            CAIRO_FORMAT_ARGB32, win.contents.width * scale, win.contents.height * scale));
        cairo_surface_set_device_scale(win.surface_picture.get(), scale, scale);
    }
    {
        paint::ContextPtr cr(cairo_create(win.surface_picture.get()));
        cairo_scale(cr.get(), 1.0 / scale, 1.0 / scale);  // paint_contents counts in pixels
        if (change) {
            gdk_cairo_region(cr.get(), cairo_region_of(*change, scale).get());
            cairo_clip(cr.get());
        }
        paint_contents(cr.get(), win.contents, scale, painter_);
    }
    cairo_surface_mark_dirty(win.surface_picture.get());
    if (change)
        gtk_widget_queue_draw_region(widget, cairo_region_of(*change, 1).get());
    else
        gtk_widget_queue_draw(widget);
    gtk_work_ = true;
}

gboolean GtkDesktop::on_draw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    auto* win = static_cast<Window*>(data);
    double scale = 1;
    if (win->surface_picture)
        cairo_surface_get_device_scale(win->surface_picture.get(), &scale, nullptr);
    // A surface that went to an output of another scale is painted again in its pixels.
    if (win->shown && static_cast<int>(scale) != gtk_widget_get_scale_factor(widget))
        win->desktop->paint_surface(*win);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    if (win->surface_picture) {
        cairo_set_source_surface(cr, win->surface_picture.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    } else {
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
    }
    cairo_paint(cr);
    return TRUE;
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
        if (!asks_for_keyboard(GTK_WINDOW(widget))) continue;
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
