// The bottom of the work area of the primary monitor: where the game's ground stands. Some
// window managers publish one work area for all monitors (openbox with two monitors of
// different heights puts its bottom on the shorter one), so the panels' own struts on the
// primary monitor decide wherever a panel declares one.
#pragma once

#include <gdk/gdk.h>

#include <vector>

namespace pw::gtk {

// A panel's claim on the bottom edge of the X screen (_NET_WM_STRUT_PARTIAL), in X pixels:
// `height` rows up from the screen's bottom, over the columns first_x to last_x.
struct BottomStrut {
    int height = 0;
    int first_x = 0, last_x = 0;
};

// Pixel rectangle of a monitor on the X screen.
struct MonitorBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// The y just above the highest panel that stands on the bottom part of `monitor`, or the
// monitor's bottom when none does. A strut whose edge lies outside the monitor's rows
// belongs to a taller or lower monitor beside it.
int bottom_above_struts(const MonitorBox& monitor, int screen_height,
                        const std::vector<BottomStrut>& struts);

// The bottom of the primary monitor's work area in GDK's (logical) pixels: from the panels'
// struts where any managed window declares one, else the window manager's work area
// `wm_bottom`.
int primary_work_area_bottom(GdkDisplay* display, const GdkRectangle& monitor, int scale,
                             int wm_bottom);

}  // namespace pw::gtk
