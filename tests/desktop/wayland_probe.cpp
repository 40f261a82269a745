// What the Wayland tests need beside the game on a compositor with layer-shell:
//
//   wayland_probe backdrop PANEL
//       the whole output striped (stripes.hpp) on the background layer, and, when PANEL is
//       above 0, a grey panel PANEL pixels tall along the bottom that reserves that much as
//       its exclusive zone; prints "ready" once both are drawn, then "click X Y BUTTON" for
//       every click that reaches the stripes. It also plugs in a virtual pointer, so that the
//       compositor's seat has one and the tests can click with `swaymsg seat - cursor`.
#include <gdk/gdkwayland.h>
#include <gtk-layer-shell.h>
#include <gtk/gtk.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "desktop/stripes.hpp"

namespace {

using namespace pw::desktop_test;

// The virtual pointer protocol (wlr-virtual-pointer-unstable-v1), of which the probe needs
// only the request that makes a pointer.
extern const wl_interface kPointerInterface;
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointerInterface};
const wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes},
                                       {"destroy", "", nullptr}};
const wl_interface kManagerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, kManagerRequests, 0, nullptr};
const wl_message kPointerRequests[] = {{"destroy", "", nullptr}};
const wl_interface kPointerInterface = {"zwlr_virtual_pointer_v1", 1, 1,
                                        kPointerRequests,          0, nullptr};

struct Globals {
    wl_proxy* manager = nullptr;
    wl_seat* seat = nullptr;
};

void on_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t) {
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, kManagerInterface.name) == 0)
        g->manager =
            static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManagerInterface, 1));
    if (std::strcmp(interface, "wl_seat") == 0 && !g->seat)
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}
void on_global_remove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kListener{on_global, on_global_remove};

void plug_in_pointer(wl_display* display) {
    static Globals g;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kListener, &g);
    wl_display_roundtrip(display);
    if (g.manager && g.seat)
        wl_proxy_marshal_constructor(g.manager, 0, &kPointerInterface, g.seat, nullptr);
    wl_display_roundtrip(display);
}

int drawn_left = 0;

gboolean draw_stripes(GtkWidget*, cairo_t* cr, gpointer) {
    // One tile of the stripes in logical pixels, repeated and enlarged pixel by pixel.
    constexpr int tile = 2 * stripes::kWidth;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, tile, tile);
    cairo_t* t = cairo_create(image);
    for (int y = 0; y < tile; ++y)
        for (int x = 0; x < tile; ++x) {
            const auto c = stripes::at(x, y);
            cairo_set_source_rgb(t, c.r / 255.0, c.g / 255.0, c.b / 255.0);
            cairo_rectangle(t, x, y, 1, 1);
            cairo_fill(t);
        }
    cairo_destroy(t);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_surface_destroy(image);
    return FALSE;
}

gboolean draw_panel(GtkWidget*, cairo_t* cr, gpointer) {
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_paint(cr);
    return FALSE;
}

gboolean after_draw(GtkWidget* widget, cairo_t*, gpointer) {
    if (g_object_get_data(G_OBJECT(widget), "drawn")) return FALSE;
    g_object_set_data(G_OBJECT(widget), "drawn", widget);
    if (--drawn_left == 0) {
        std::puts("ready");
        std::fflush(stdout);
    }
    return FALSE;
}

gboolean on_click(GtkWidget*, GdkEventButton* e, gpointer) {
    if (e->type != GDK_BUTTON_PRESS) return FALSE;
    std::printf("click %d %d %u\n", static_cast<int>(e->x), static_cast<int>(e->y), e->button);
    std::fflush(stdout);
    return TRUE;
}

GtkWindow* layer(GtkLayerShellLayer which, GCallback draw) {
    auto* window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    gtk_layer_init_for_window(window);
    gtk_layer_set_layer(window, which);
    gtk_widget_set_app_paintable(GTK_WIDGET(window), TRUE);
    g_signal_connect(window, "draw", draw, nullptr);
    g_signal_connect_after(window, "draw", G_CALLBACK(after_draw), nullptr);
    ++drawn_left;
    return window;
}

int backdrop(int panel) {
    plug_in_pointer(gdk_wayland_display_get_wl_display(gdk_display_get_default()));
    GtkWindow* stripes = layer(GTK_LAYER_SHELL_LAYER_BACKGROUND, G_CALLBACK(draw_stripes));
    for (auto edge : {GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_RIGHT,
                      GTK_LAYER_SHELL_EDGE_TOP, GTK_LAYER_SHELL_EDGE_BOTTOM})
        gtk_layer_set_anchor(stripes, edge, TRUE);
    gtk_layer_set_exclusive_zone(stripes, -1);  // under the panel too
    gtk_widget_add_events(GTK_WIDGET(stripes), GDK_BUTTON_PRESS_MASK);
    g_signal_connect(stripes, "button-press-event", G_CALLBACK(on_click), nullptr);
    gtk_widget_show(GTK_WIDGET(stripes));
    if (panel > 0) {
        GtkWindow* bar = layer(GTK_LAYER_SHELL_LAYER_BOTTOM, G_CALLBACK(draw_panel));
        for (auto edge :
             {GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_RIGHT, GTK_LAYER_SHELL_EDGE_BOTTOM})
            gtk_layer_set_anchor(bar, edge, TRUE);
        gtk_layer_set_exclusive_zone(bar, panel);
        gtk_widget_set_size_request(GTK_WIDGET(bar), 1, panel);
        gtk_widget_show(GTK_WIDGET(bar));
    }
    gtk_main();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    gdk_set_allowed_backends("wayland");
    if (!gtk_init_check(nullptr, nullptr) || !gtk_layer_is_supported()) {
        std::fprintf(stderr, "wayland_probe: no Wayland compositor with layer-shell\n");
        return 2;
    }
    if (argc == 3 && std::string(argv[1]) == "backdrop") return backdrop(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: wayland_probe backdrop PANEL\n");
    return 2;
}
