// Petalwing's entry on Windows: the command line as Windows keeps it, the real desktop, then
// the game. A windowed program has no console of its own, so what the Linux program prints
// goes to the console it was started from, or into a message box.
#include <exception>
#include <memory>
#include <string>

#include "app/options.hpp"
#include "app/play.hpp"
#include "app/real_desktop.hpp"
#include "platform/win32/entry.hpp"

namespace {

constexpr const char* kTitle = "Petalwing";

}  // namespace

int main() {
    pw::app::Options options;
    std::unique_ptr<pw::platform::Desktop> desktop;
    try {
        options =
            pw::app::parse_options(pw::win32::program_arguments(), pw::app::Build::RealDesktopOnly);
        if (options.help) {
            pw::win32::show_text(pw::app::usage(pw::app::Build::RealDesktopOnly), kTitle);
            return 0;
        }
        if (options.version) {
            pw::win32::show_text(std::string("petalwing ") + PETALWING_VERSION + "\n", kTitle);
            return 0;
        }
        desktop = pw::app::real_desktop(options, pw::win32::make_desktop);
    } catch (const std::exception& e) {
        pw::win32::show_text(std::string("petalwing: ") + e.what() + "\n", kTitle);
        return 2;
    }

    return pw::app::play(*desktop, options, [](const std::string& line) {
        pw::win32::show_text("petalwing: " + line + "\n", kTitle);
    });
}
