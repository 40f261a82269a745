// The command line: options start with "--"; every other word, joined by one blank, is the
// game's own command-line text (the ship's starting x).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_desktop.hpp"

namespace pw::app {

struct Options {
    bool help = false;
    bool version = false;
    bool headless = false;
    bool autopilot = false;  // the built-in player presses the keys
    headless::Options desktop;
    std::string script_path;
    std::string sprite_sheet;  // write the sprite sheet here and exit
    std::string command_line;
};

// Parses argv; throws std::runtime_error with a message for the user on bad input.
Options parse_options(const std::vector<std::string>& args);

// What --help prints.
std::string usage();

// Headless runs without --until stop here, so that a forgotten option cannot run forever.
inline constexpr std::uint64_t kDefaultUntilMs = 600'000;

}  // namespace pw::app
