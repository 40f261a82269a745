// Petalwing's entry: options, the choice of desktop, then the game.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/options.hpp"
#include "app/play.hpp"
#include "app/real_desktop.hpp"
#include "app/script_file.hpp"
#include "app/sprite_sheet.hpp"
#include "platform/headless/headless_desktop.hpp"
#include "platform/user_text.hpp"
#ifdef PETALWING_GTK
#include "platform/gtk/gtk_desktop.hpp"
#include "platform/gtk/layer_shell.hpp"
#endif

namespace {

#ifdef PETALWING_GTK
// Wayland where asked for, or where the session is Wayland's and its compositor offers
// layer-shell; X11 (or Xwayland) otherwise.
pw::gtk::DisplaySystem display_system(pw::app::RealDesktopKind kind) {
    using pw::app::RealDesktopKind;
    using pw::gtk::DisplaySystem;
    if (kind == RealDesktopKind::X11) return DisplaySystem::X11;
    const char* name = std::getenv("WAYLAND_DISPLAY");
    const bool named = name && *name;
    if (kind == RealDesktopKind::Auto && !named) return DisplaySystem::X11;
    if (pw::gtk::compositor_offers_layer_shell()) return DisplaySystem::Wayland;
    if (kind == RealDesktopKind::Auto) return DisplaySystem::X11;
    throw pw::gtk::NoDisplay(std::string("no Wayland compositor with layer-shell at ") +
                             (named ? name : "wayland-0") + "; use --desktop x11 or --headless");
}
#endif

std::unique_ptr<pw::platform::Desktop> make_desktop(pw::app::Options& o) {
    if (!o.script_path.empty())
        o.desktop.script = pw::headless::parse_script(pw::app::read_script_file(o.script_path));
#ifdef PETALWING_GTK
    if (!o.headless) {
        const auto system = display_system(o.real_desktop);
        if (system == pw::gtk::DisplaySystem::X11 && pw::gtk::wayland_session())
            std::cerr << "petalwing: on Wayland, keys reach the game only while its lamp window "
                         "(two green lights) has the focus: at the lower left, or, under weston, "
                         "wherever weston put it\n";
        return pw::app::real_desktop(
            o, [system] { return std::make_unique<pw::gtk::GtkDesktop>(system); });
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
