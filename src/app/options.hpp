// The command line: options start with "--" (a few also have a one-letter form), their values
// follow as the next word or after '='; "--" ends the options. Every other word, joined by one
// blank, is the game's own command-line text (the ship's starting x).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_desktop.hpp"

namespace pw::app {

// Which real desktop to play on; Auto takes Wayland where the compositor offers layer-shell.
enum class RealDesktopKind { Auto, X11, Wayland };

struct Options {
    bool help = false;
    bool version = false;
    bool headless = false;
    bool autopilot = false;  // the built-in player presses the keys
    RealDesktopKind real_desktop = RealDesktopKind::Auto;
    headless::Options desktop;
    std::string script_path;
    std::string sprite_sheet;  // write the sprite sheet here and exit
    std::string command_line;
};

// What the program was built with: the Windows program has no virtual desktop, and refuses
// the options that only it takes.
enum class Build { WithVirtualDesktop, RealDesktopOnly };

// Parses argv; throws std::runtime_error with a one-line message for the user on bad input.
Options parse_options(const std::vector<std::string>& args,
                      Build build = Build::WithVirtualDesktop);

// What --help prints: the options this build takes.
std::string usage(Build build = Build::WithVirtualDesktop);

// The resolutions --dpi and --raw-dpi take.
inline constexpr int kMinDpi = 24, kMaxDpi = 1440;

// Headless runs without --until stop here, so that a forgotten option cannot run forever.
inline constexpr std::uint64_t kDefaultUntilMs = 600'000;

}  // namespace pw::app
