// Sway places every floating X11 window itself (in the middle of the screen) and ignores the
// window's own moves; a command on its IPC socket moves one. Used for the lamp, a managed
// window: the sprites are override-redirect and keep their places anyway.
#pragma once

namespace pw::gtk {

// Whether this program runs under sway (its IPC socket is named in SWAYSOCK).
bool under_sway();

// Asks sway to put the X11 window `xid` at (x, y) in its layout. Best effort: false when sway
// cannot be reached or refuses; waits at most a second for the answer.
bool sway_move_x11_window(unsigned long xid, int x, int y);

}  // namespace pw::gtk
