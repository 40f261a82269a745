// Petalwing's entry: options, the choice of desktop, then the game.
#include <cstdio>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "app/options.hpp"
#include "app/play.hpp"
#include "app/real_desktop.hpp"
#include "app/script_file.hpp"
#include "app/sprite_sheet.hpp"
#include "platform/headless/headless_desktop.hpp"
#include "platform/user_text.hpp"
#ifdef PETALWING_GTK
#include "platform/gtk/gtk_desktop.hpp"
#endif

namespace {

std::unique_ptr<pw::platform::Desktop> make_desktop(pw::app::Options& o) {
    if (!o.script_path.empty())
        o.desktop.script = pw::headless::parse_script(pw::app::read_script_file(o.script_path));
#ifdef PETALWING_GTK
    if (!o.headless) {
        if (pw::gtk::wayland_session())
            std::cerr << "petalwing: on Wayland, keys reach the game only while its lamp window "
                         "(two green lights) has the focus: at the lower left, or, under weston, "
                         "wherever weston put it\n";
        return pw::app::real_desktop(o, [] { return std::make_unique<pw::gtk::GtkDesktop>(); });
    }
#else
    if (!o.headless)
        throw std::runtime_error("this build has no real-desktop backend yet; run with --headless");
#endif
    if (!o.desktop.until) o.desktop.until = pw::app::kDefaultUntilMs;
    return std::make_unique<pw::headless::HeadlessDesktop>(std::move(o.desktop));
}

}  // namespace

int main(int argc, char** argv) {
    pw::app::Options options;
    std::unique_ptr<pw::platform::Desktop> desktop;
    try {
        options = pw::app::parse_options({argv + 1, argv + argc});
        if (options.help) {
            std::cout << pw::app::usage();
            return 0;
        }
        if (options.version) {
            std::cout << "petalwing " << PETALWING_VERSION << "\n";
            return 0;
        }
        if (!options.sprite_sheet.empty()) {
            std::string error;
            if (pw::app::write_sprite_sheet(options.sprite_sheet, &error)) return 0;
            std::cerr << "petalwing: cannot write " << pw::platform::quoted(options.sprite_sheet)
                      << ": " << error << "\n";
            return 2;
        }
        desktop = make_desktop(options);
#ifdef PETALWING_GTK
    } catch (const pw::gtk::NoDisplay& e) {
        std::cerr << "petalwing: " << e.what() << "\n";
        return 1;
#endif
    } catch (const std::exception& e) {
        std::cerr << "petalwing: " << e.what() << "\n";
        return 2;
    }

    return pw::app::play(*desktop, options, [](const std::string& line) {
        std::cerr << "petalwing: " << line << "\n";
    });
}
