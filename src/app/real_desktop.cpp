#include "app/real_desktop.hpp"

#include <stdexcept>

#include "platform/recorded_desktop.hpp"

namespace pw::app {

std::unique_ptr<platform::Desktop> real_desktop(
    const Options& options, const std::function<std::unique_ptr<platform::Desktop>()>& make) {
    if (!options.desktop.shots.empty())
        throw std::runtime_error(
            "--shot pictures the virtual desktop; use it with --headless (on a real desktop, "
            "take a screenshot)");
    return std::make_unique<platform::RecordedDesktop>(make(), options.desktop.trace_path,
                                                       options.desktop.until);
}

}  // namespace pw::app
