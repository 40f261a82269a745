// Plays the game on a desktop until the program ends.
#pragma once

#include "app/options.hpp"
#include "platform/platform.hpp"

namespace pw::app {

// Runs the game on `desktop` (with the built-in player when the options ask for it) and
// returns the program's exit code once every window is closed and the desktop has recorded
// the end.
int play(platform::Desktop& desktop, const Options& options);

}  // namespace pw::app
