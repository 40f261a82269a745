// What the game's windows tell window managers and compositors, so that none of them draws a
// shadow, a fade or a dimmed copy around a sprite: a full-screen window cut down to a few
// shots would otherwise shade the whole desktop.
#pragma once

#include <gtk/gtk.h>

namespace pw::gtk {

// Before the window is realized. Sprites say they are docks: picom's shipped settings and
// `xcompmgr -C` draw no shadows for docks, and window managers never manage a sprite anyway. The
// lamp stays a normal window that the window manager keeps above and lets take the focus.
void declare_window_type(GtkWindow* window, bool lamp);

// Once it is realized and before it is first shown: no shadow (_COMPTON_SHADOW, honoured by
// picom and compton), never drawn past the compositor (a full-screen sprite is mostly holes), and
// no frame-sync counters for a compositor to wait on (GTK never paints the window).
void turn_compositor_effects_off(GtkWidget* widget);

// `xcompmgr -c` draws no shadow for a window with an alpha channel, but it looks at a window's
// visual only when it sees the window mapped: one moved or resized before its first mapping gets
// the shadow of its whole rectangle and keeps it until it is next unmapped. So a sprite is mapped
// and unmapped once when it is made, cut to nothing, before the game first moves it. Once the
// window is realized and before it is first shown; only where the X server has the Shape
// extension. The lamp, a managed window, too where no window manager runs (it would take the
// window in and let it go again): otherwise the lamp cast a box shadow in most first games on a
// fresh X server.
void show_to_compositors_unseen(GtkWidget* widget);

// Whether a window manager runs on the widget's screen (GDK keeps the answer).
bool window_manager_running(GtkWidget* widget);

}  // namespace pw::gtk
