// Game windows are drawn with the screen's visual that has an alpha channel, where it has one.
//
// Plasma 5.27's KWin, compositing X11 windows that come through Xwayland, takes a window
// without alpha to be opaque over its whole rectangle, X shape or not. Beneath a full-screen
// cut window (enemy shots, debris) it then stops painting anything, and where a sprite above
// it has been it never paints again: sprites freeze where they were and leave trails. A
// window with alpha is opaque only where it says so (nowhere, for the game's windows), while
// its X shape still cuts it on every X server and compositor. Whatever paints a game window
// must therefore paint to a 32-bit drawable and leave its silhouette's pixels opaque.
#pragma once

#include <gtk/gtk.h>

namespace pw::gtk {

// Before the window is realized: give it the alpha visual, if the screen offers one.
void use_alpha_visual(GtkWidget* window);

}  // namespace pw::gtk
