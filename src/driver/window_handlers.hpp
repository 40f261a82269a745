// The windows' event handlers: which routine of which module answers a window's timer,
// click, menu command or focus. The modules define the handlers; this joins them to the
// windows, so the shared game state below knows none of the modules.
#pragma once

namespace pw {

class Game;

// Joins every window's events to its handler; each window picks them up when it loads.
void ConnectHandlers(Game& g);

}  // namespace pw
