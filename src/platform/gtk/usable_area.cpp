#include "platform/gtk/usable_area.hpp"

#include <gtk-layer-shell.h>

#include <utility>

#include "platform/gtk/alpha_visual.hpp"

namespace pw::gtk {
namespace {

// How long the first reading waits for the compositor's answer.
constexpr gint64 kFirstAnswerUs = 1'000'000;

gboolean clear(GtkWidget*, cairo_t* cr, gpointer) {
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    return TRUE;
}

}  // namespace

UsableArea::UsableArea(std::function<void()> changed)
    : changed_(std::move(changed)), window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)) {
    GtkWidget* widget = window_.get();
    GtkWindow* window = GTK_WINDOW(widget);
    gtk_layer_init_for_window(window);
    gtk_layer_set_namespace(window, "petalwing-work-area");
    gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_BACKGROUND);
    for (auto edge : {GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_RIGHT,
                      GTK_LAYER_SHELL_EDGE_TOP, GTK_LAYER_SHELL_EDGE_BOTTOM})
        gtk_layer_set_anchor(window, edge, TRUE);
    gtk_layer_set_exclusive_zone(window, 0);  // placed within what the panels leave
    gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
    use_alpha_visual(widget);
    gtk_widget_set_app_paintable(widget, TRUE);
    g_signal_connect(widget, "draw", G_CALLBACK(clear), nullptr);
    g_signal_connect(widget, "configure-event", G_CALLBACK(on_configure), this);
    gtk_widget_realize(widget);
    RegionPtr nothing(cairo_region_create());
    gdk_window_input_shape_combine_region(gtk_widget_get_window(widget), nothing.get(), 0, 0);
    gtk_widget_show(widget);
}

UsableArea::~UsableArea() {
    g_signal_handlers_disconnect_by_data(window_.get(), this);
}

gboolean UsableArea::on_configure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
    auto* self = static_cast<UsableArea*>(data);
    if (self->height_ == event->height) return FALSE;
    self->height_ = event->height;
    if (self->changed_) self->changed_();
    return FALSE;
}

std::optional<int> UsableArea::height() {
    if (!height_ && !waited_) {
        waited_ = true;
        const gint64 end = g_get_monotonic_time() + kFirstAnswerUs;
        while (!height_ && g_get_monotonic_time() < end)
            if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
    }
    return height_;
}

}  // namespace pw::gtk
