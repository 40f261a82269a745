// The real desktops (X11, Windows) record a run as the virtual one does: --trace with real
// milliseconds and --until; what only a virtual desktop can do (--shot) is refused.
#pragma once

#include <functional>
#include <memory>

#include "app/options.hpp"
#include "platform/platform.hpp"

namespace pw::app {

// Checks the options, then makes the real desktop with `make` and wraps it in the run's
// recording. Throws std::runtime_error with a one-line message for an option the real
// desktop cannot honour or a trace that cannot be written.
std::unique_ptr<platform::Desktop> real_desktop(
    const Options& options, const std::function<std::unique_ptr<platform::Desktop>()>& make);

}  // namespace pw::app
