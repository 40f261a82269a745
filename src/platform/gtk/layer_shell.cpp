#include "platform/gtk/layer_shell.hpp"

#include <gtk-layer-shell.h>
#include <wayland-client.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/gtk/gobject_ptr.hpp"

namespace pw::gtk {
namespace {

using WaylandPtr = std::unique_ptr<wl_display, Releaser<wl_display, wl_display_disconnect>>;
using RegistryPtr = std::unique_ptr<wl_registry, Releaser<wl_registry, wl_registry_destroy>>;

void on_global(void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0) *static_cast<bool*>(data) = true;
}

void on_global_remove(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener{on_global, on_global_remove};

}  // namespace

bool compositor_offers_layer_shell() {
    // Without a runtime folder there is no socket to find (and libwayland would say so).
    const char* name = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!(name && name[0] == '/') && !(runtime && *runtime)) return false;
    WaylandPtr display(wl_display_connect(nullptr));
    if (!display) return false;
    bool offered = false;
    RegistryPtr registry(wl_display_get_registry(display.get()));
    wl_registry_add_listener(registry.get(), &kRegistryListener, &offered);
    wl_display_roundtrip(display.get());
    return offered;
}

void make_layer_surface(GtkWindow* window, const char* name) {
    gtk_layer_init_for_window(window);
    gtk_layer_set_namespace(window, name);
    gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_OVERLAY);
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_TOP, TRUE);
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_LEFT, TRUE);
    // Placed from the output's corner whatever the panels reserve: the game sees the whole
    // screen, as on X11.
    gtk_layer_set_exclusive_zone(window, -1);
    gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
}

gboolean draw_nothing(GtkWidget*, cairo_t* cr, gpointer) {
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    return TRUE;
}

void cover_output(GtkWindow* window) {
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_RIGHT, TRUE);
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_BOTTOM, TRUE);
}

void place_layer_surface(GtkWindow* window, int left, int top) {
    gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_LEFT, left);
    gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_TOP, top);
}

void set_input_silhouette(GtkWidget* window, const std::optional<Region>& shape, int width,
                          int height) {
    GdkWindow* native = gtk_widget_get_window(window);
    if (!native) return;
    if (!shape) {
        gdk_window_input_shape_combine_region(native, nullptr, 0, 0);
        return;
    }
    Region inside = Region::rectangle({0, 0, width, height});
    inside.combine(inside, *shape, CombineMode::And);
    RegionPtr input(cairo_region_create());
    for (const Rect& r : inside.rects()) {
        const cairo_rectangle_int_t box{r.left, r.top, r.right - r.left, r.bottom - r.top};
        cairo_region_union_rectangle(input.get(), &box);
    }
    gdk_window_input_shape_combine_region(native, input.get(), 0, 0);
}

void set_keyboard_wish(GtkWindow* window, KeyboardWish wish) {
    GtkLayerShellKeyboardMode mode = GTK_LAYER_SHELL_KEYBOARD_MODE_NONE;
    if (wish == KeyboardWish::Take) mode = GTK_LAYER_SHELL_KEYBOARD_MODE_EXCLUSIVE;
    // Before version 4 of the protocol a surface either takes the keyboard or never has it.
    if (wish == KeyboardWish::Keep)
        mode = gtk_layer_get_protocol_version() >= 4 ? GTK_LAYER_SHELL_KEYBOARD_MODE_ON_DEMAND
                                                     : GTK_LAYER_SHELL_KEYBOARD_MODE_EXCLUSIVE;
    if (gtk_layer_get_keyboard_mode(window) != mode) gtk_layer_set_keyboard_mode(window, mode);
}

void keep_keyboard_once_taken(GtkWindow* window) {
    if (gtk_layer_get_keyboard_mode(window) == GTK_LAYER_SHELL_KEYBOARD_MODE_EXCLUSIVE)
        set_keyboard_wish(window, KeyboardWish::Keep);
}

bool asks_for_keyboard(GtkWindow* window) {
    return gtk_layer_get_keyboard_mode(window) != GTK_LAYER_SHELL_KEYBOARD_MODE_NONE;
}

}  // namespace pw::gtk
