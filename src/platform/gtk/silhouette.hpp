// A game window shows only its silhouette. The X Shape extension cuts it for X servers and
// compositors that honour shapes; for those that ignore them (weston's and sway's XWayland)
// the window also has an alpha channel, where the screen offers one (alpha_visual.hpp), and is
// fully transparent outside its shape, so the desktop shows through either way.
#pragma once

#include <cairo.h>

#include <functional>
#include <optional>

#include "platform/region.hpp"

namespace pw::gtk {

// Clears the window to transparent and runs `paint` clipped to `shape` (all of it without
// a shape).
void paint_silhouette(cairo_t* cr, const std::optional<Region>& shape,
                      const std::function<void(cairo_t*)>& paint);

}  // namespace pw::gtk
