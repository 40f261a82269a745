// A game window's whole picture, painted on this side: the X11 desktop sends it to the server
// as the window's background, the Wayland desktop draws its surface's buffer from it.
#pragma once

#include <cairo.h>

#include "platform/cairo/painter.hpp"
#include "platform/gtk/window_background.hpp"

namespace pw::gtk {

// Paints `contents` into `cr`, whose pixels are device pixels `scale` times the game's: the
// picture at the game's own pixel size, enlarged nearest-neighbour, transparent outside the
// silhouette.
void paint_contents(cairo_t* cr, const WindowContents& contents, int scale,
                    paint::Painter& painter);

}  // namespace pw::gtk
