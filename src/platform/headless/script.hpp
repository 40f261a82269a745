// The headless desktop's input script: timed key and mouse events, and the answers a user
// would give to popup menus and modal dialogs.
//
//   @1200 down Space          key down (Space Left Right Up Down Home Escape)
//   @1300 up Space            key up
//   @2000 press Right 500     down at 2000, up at 2500
//   @3000 rclick frmShe 5 5   right button down on a window at window-local pixels
//   @3000 lclick frmC 120 9   left button down
//   menu 終了                  answer for the next popup menu: an item's caption, or none
//   dialog 1500               the next modal dialog is closed 1500 ms after it opens
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

namespace pw::headless {

struct KeyEvent {
    std::uint64_t at = 0;
    platform::Key key{};
    bool down = false;
};

struct ClickEvent {
    std::uint64_t at = 0;
    int button = platform::kLeftButton;
    std::string window;
    int x = 0, y = 0;
};

struct Script {
    std::vector<KeyEvent> keys;                           // ordered by time
    std::vector<ClickEvent> clicks;                       // ordered by time
    std::deque<std::optional<std::string>> menu_answers;  // nullopt: dismiss the menu
    std::deque<std::uint64_t> dialog_delays;
};

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws ScriptError with the line number and what is wrong.
Script parse_script(std::string_view text);

std::optional<platform::Key> key_from_name(std::string_view name);

}  // namespace pw::headless
