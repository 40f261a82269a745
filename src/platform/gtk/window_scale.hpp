// HiDPI on the X11 desktop: GDK enlarges every window, its position and its shape by a whole
// factor; the game's pictures and texts are painted at their own pixel size and enlarged
// nearest-neighbour, so the picture is the 96-dpi one with every pixel a square block.
#pragma once

#include <cairo.h>

#include <functional>

namespace pw::gtk {

// Before GTK opens the display: unless the user (GDK_SCALE) or the desktop's settings chose
// a scale, take the one the X resources' font resolution (Xft.dpi) calls for.
void choose_window_scale();

// Runs `paint` on a context in the game's pixels and puts what it painted into `cr`, whose
// device scale is `scale`.
void paint_enlarged(cairo_t* cr, int width, int height, int scale,
                    const std::function<void(cairo_t*)>& paint);

}  // namespace pw::gtk
