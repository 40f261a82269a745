// The keyboard as GetAsyncKeyState sees it, on Wayland: the compositor sends keys only to the
// surface that has the keyboard focus, as GDK key events. A key is held from its press to its
// release and counts as pressed since the last query when a press came meanwhile (a key's
// repeats are not new presses). When the keyboard goes elsewhere its keys read as up: their
// releases will never arrive.
#pragma once

#include <gdk/gdk.h>

#include <array>
#include <cstdint>
#include <optional>

#include "platform/platform.hpp"

namespace pw::gtk {

// The game's key a GDK key value stands for; the keypad's arrows and Home count as well.
std::optional<platform::Key> game_key(guint keyval);

class KeyEvents {
  public:
    // Returns the game's key that went down, if it is one.
    std::optional<platform::Key> press(guint keyval);
    void release(guint keyval);
    void release_all();
    std::uint16_t state(platform::Key key);

  private:
    std::array<bool, platform::kKeyCount> held_{};
    std::array<bool, platform::kKeyCount> pressed_{};
};

}  // namespace pw::gtk
