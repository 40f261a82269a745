// Plays the game on a desktop until the program ends.
#pragma once

#include <functional>
#include <string>

#include "app/options.hpp"
#include "platform/platform.hpp"

namespace pw::app {

// Runs the game on `desktop` (with the built-in player when the options ask for it) and
// returns the program's exit code once every window is closed and the desktop has recorded
// the end. A run that fails (its trace cannot be written) hands its one line to `say`.
int play(platform::Desktop& desktop, const Options& options,
         const std::function<void(const std::string&)>& say);

}  // namespace pw::app
