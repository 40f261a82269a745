#include "platform/gtk/key_events.hpp"

#include <cstddef>

namespace pw::gtk {

std::optional<platform::Key> game_key(guint keyval) {
    using platform::Key;
    switch (keyval) {
        case GDK_KEY_space:
            return Key::Space;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left:
            return Key::Left;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
            return Key::Up;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right:
            return Key::Right;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
            return Key::Down;
        case GDK_KEY_Home:
        case GDK_KEY_KP_Home:
            return Key::Home;
        case GDK_KEY_Escape:
            return Key::Escape;
        default:
            return std::nullopt;
    }
}

std::optional<platform::Key> KeyEvents::press(guint keyval) {
    const auto key = game_key(keyval);
    if (!key) return std::nullopt;
    const auto k = static_cast<std::size_t>(*key);
    if (!held_[k]) pressed_[k] = true;
    held_[k] = true;
    return key;
}

void KeyEvents::release(guint keyval) {
    if (const auto key = game_key(keyval)) held_[static_cast<std::size_t>(*key)] = false;
}

void KeyEvents::release_all() {
    held_.fill(false);
}

std::uint16_t KeyEvents::state(platform::Key key) {
    const auto k = static_cast<std::size_t>(key);
    std::uint16_t s = held_[k] ? platform::kKeyHeld : 0;
    if (pressed_[k]) s |= platform::kKeyPressedSinceQuery;
    pressed_[k] = false;
    return s;
}

}  // namespace pw::gtk
