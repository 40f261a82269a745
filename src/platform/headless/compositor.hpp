// Composes the virtual desktop into a picture with cairo: the wallpaper, the taskbar, every
// visible window in z-order cut to its shape, and an open menu or dialog on top.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

namespace pw::paint {
class Painter;
}

namespace pw::headless {

struct WindowView {
    int left = 0, top = 0, width = 0, height = 0;
    const std::optional<Region>* shape = nullptr;
    platform::Colour back;
    const platform::Picture* picture = nullptr;
    const std::vector<platform::DrawItem>* items = nullptr;
};

struct MenuView {
    int x = 0, y = 0;  // screen position of the top-left corner
    std::vector<platform::MenuItem> items;
    int highlighted = -1;
};

struct DialogView {
    const platform::DialogLayout* layout = nullptr;
};

// The desktop in the game's (logical) pixels; the picture enlarges it by `scale` to the
// screen's `screen_width` x `screen_height` pixels.
struct Scene {
    int width = 0, height = 0, taskbar = 0;
    int scale = 1, screen_width = 0, screen_height = 0;
    std::vector<WindowView> windows;  // bottom to top
    std::optional<MenuView> menu;
    std::optional<DialogView> dialog;
};

// Writes the scene as a PNG; returns false with a reason when the file cannot be written.
bool write_png(const Scene& scene, const std::string& path, paint::Painter& painter,
               std::string* error);

// The on-screen size of a dialog's frame around its client area.
struct DialogFrame {
    int border = 3, caption = 22;
};
inline constexpr DialogFrame kDialogFrame{};

}  // namespace pw::headless
