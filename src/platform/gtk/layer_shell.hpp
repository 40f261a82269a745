// The Wayland desktop's windows: each game window is a layer surface (gtk-layer-shell) on the
// overlay layer, anchored to the output's top-left corner and placed by its margins, so the
// game, not the compositor, decides where it goes. Only the silhouette takes clicks; the
// rest of the surface is transparent and lets them through to whatever is below.
#pragma once

#include <gtk/gtk.h>

#include <optional>

#include "platform/region.hpp"

namespace pw::gtk {

// Whether WAYLAND_DISPLAY names a compositor that offers layer-shell; asked on a connection
// of its own, before GTK opens one.
bool compositor_offers_layer_shell();

// Before the window is realized: makes it a game layer surface named `name`, without the
// keyboard.
void make_layer_surface(GtkWindow* window, const char* name);

// A "draw" handler for a surface that is all transparent.
gboolean draw_nothing(GtkWidget* widget, cairo_t* cr, gpointer data);

// Stretches the surface over the whole output, panels included.
void cover_output(GtkWindow* window);

// Puts the surface's top-left corner at (left, top) on the output, in logical pixels.
void place_layer_surface(GtkWindow* window, int left, int top);

// Clicks reach the window only inside `shape` (everywhere without one), within its size.
void set_input_silhouette(GtkWidget* window, const std::optional<Region>& shape, int width,
                          int height);

// What the surface asks of the compositor's keyboard focus.
enum class KeyboardWish {
    Never,  // never the keyboard: it stays with the desktop
    Take,   // the keyboard now, from whatever has it
    Keep,   // the keyboard while it has it; a click on it gives it back, as on another window
};
void set_keyboard_wish(GtkWindow* window, KeyboardWish wish);
// The keyboard came: a surface that took it from now on keeps it only while the user leaves
// it there.
void keep_keyboard_once_taken(GtkWindow* window);
bool asks_for_keyboard(GtkWindow* window);

}  // namespace pw::gtk
