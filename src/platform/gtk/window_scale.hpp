// HiDPI on the X11 desktop: GDK enlarges every window, its position and its shape by a whole
// factor; the game's pictures and texts are painted at their own pixel size and enlarged
// nearest-neighbour, so the picture is the 96-dpi one with every pixel a square block.
#pragma once

#include <cairo.h>
#include <gdk/gdk.h>

#include <functional>

namespace pw::gtk {

// Unless the user (GDK_SCALE) or the desktop's settings chose a scale, takes the one the
// desktop's font resolution (Xft.dpi, from the X resources or the XSETTINGS) calls for.
// Before the first window is made.
void choose_window_scale(GdkDisplay* display);

// Runs `paint` on a context in the game's pixels and puts what it painted into `cr`, whose
// device scale is `scale`.
void paint_enlarged(cairo_t* cr, int width, int height, int scale,
                    const std::function<void(cairo_t*)>& paint);

}  // namespace pw::gtk
