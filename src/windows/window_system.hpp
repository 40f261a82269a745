// The window runtime the game is written against: windows designed in advance, created on
// first use, positioned in twips, with their controls, timers and menus, on top of one
// platform desktop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace pw::json {
class Fields;
}

namespace pw::win {

class Form;
class Menu;

using platform::Colour;
constexpr Colour RGB(int r, int g, int b) {
    return Colour{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                  static_cast<std::uint8_t>(b)};
}

// Twips to whole screen pixels: to the nearest, halves up. Positions and sizes round alike,
// so pieces laid out in twips meet on whole pixels (the balloon's centre piece sits on rows 1
// to 15 of its caps), and a window moving half a pixel per frame steps evenly one pixel every
// second frame, where halves to even would step two pixels and then none.
int twips_to_screen_px(double twips, int twips_per_pixel);

class WindowSystem {
  public:
    explicit WindowSystem(platform::Desktop& desktop) : desktop_(desktop) {}
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    platform::Desktop& desktop() { return desktop_; }

    // The Screen object, in twips; read afresh at each use.
    int TwipsPerPixelX() { return desktop_.screen().twips_per_pixel_x; }
    int TwipsPerPixelY() { return desktop_.screen().twips_per_pixel_y; }
    float ScreenWidth();
    float ScreenHeight();

    // Lets pending window events through once.
    void DoEvents() { desktop_.pump(); }

    // Opens a menu as a popup at the mouse position and runs the chosen item's command.
    void PopupMenu(Menu& menu);

    // While a popup menu or a modal dialog is open, the program's other windows are disabled:
    // no click reaches them, so no second menu or dialog can open over the first.
    bool modal() const { return modal_depth_ > 0; }
    class ModalScope {
      public:
        explicit ModalScope(WindowSystem& ws) : ws_(ws) { ++ws_.modal_depth_; }
        ~ModalScope() { --ws_.modal_depth_; }
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

      private:
        WindowSystem& ws_;
    };

    // Every loaded window, in the order they were loaded.
    const std::vector<Form*>& forms() const { return forms_; }
    // The "windows" list of a trace record: name, visibility, pixel geometry, shape, colour,
    // picture of every loaded window.
    void trace_windows(json::Fields& record) const;

    void trace(std::string_view ev, std::string_view fields) {
        if (desktop_.tracing()) desktop_.trace(ev, fields);
    }

  private:
    friend class Form;
    void add(Form* form) { forms_.push_back(form); }
    void remove(Form* form);

    platform::Desktop& desktop_;
    std::vector<Form*> forms_;
    int modal_depth_ = 0;
};

}  // namespace pw::win
