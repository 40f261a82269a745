// The services the game relies on from the machine it runs on: clock, sleep, key state,
// screen metrics, native windows, timers, the event pump, popup menu, modal dialog, message
// box and program end. One interface, three backends (headless, GTK, Win32). Nothing here
// knows the game.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/picture.hpp"
#include "platform/region.hpp"

namespace pw::platform {

// The keys the game reads.
enum class Key { Space, Left, Up, Right, Down, Home, Escape };
inline constexpr int kKeyCount = 7;

// GetAsyncKeyState bits.
inline constexpr std::uint16_t kKeyHeld = 0x8000;
inline constexpr std::uint16_t kKeyPressedSinceQuery = 0x0001;

// Mouse button codes as the window events report them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

struct ScreenMetrics {
    int width_px = 1024;
    int height_px = 768;
    int twips_per_pixel_x = 15;
    int twips_per_pixel_y = 15;
    int cy_fullscreen = 719;  // SM_CYFULLSCREEN: work-area height less one caption
    int cy_caption = 19;      // SM_CYCAPTION
};

// A font as the game names it; each backend maps the family to one it has.
struct Font {
    std::string family;
    double points = 9.0;
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

// What a window shows over its background colour and picture, in window-local pixels, drawn
// in list order and clipped by the window's shape. Items compare equal when they draw alike,
// so a backend can skip repainting a window whose contents did not change.
struct LabelItem {
    Rect box;
    std::optional<Colour> back;  // nullopt: transparent
    std::string text;
    Font font;
    Colour fore;
    friend bool operator==(const LabelItem&, const LabelItem&) = default;
};
struct LineItem {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Colour colour;
    friend bool operator==(const LineItem&, const LineItem&) = default;
};
struct TextItem {
    int x = 0, y = 0;  // top-left of the text
    std::string text;
    Font font;
    Colour fore;
    friend bool operator==(const TextItem&, const TextItem&) = default;
};
struct FillItem {  // a shaped child area filled with one colour
    Region shape;
    Colour colour;
    friend bool operator==(const FillItem&, const FillItem&) = default;
};
struct ImageItem {
    int x = 0, y = 0;
    Picture picture;
    friend bool operator==(const ImageItem&, const ImageItem&) = default;
};
using DrawItem = std::variant<LabelItem, LineItem, TextItem, FillItem, ImageItem>;

using WindowHandle = std::uint32_t;  // 0 is no window

enum class WindowRole {
    Sprite,  // borderless, no taskbar button, never takes the focus
    Lamp,    // borderless, no taskbar button, keeps above, may take the focus
};

struct WindowEvents {
    std::function<void(int button, int x, int y)> mouse_down;  // window-local pixels
    std::function<void()> got_focus;
};

struct MenuItem {
    std::string caption;  // "-" is a separator
};

struct DialogButton {
    std::string caption;
    Rect box;
};
// A modal dialog with a caption bar: title, client size, contents and buttons.
struct DialogLayout {
    std::string title;
    Picture icon;
    int client_width = 0, client_height = 0;
    std::vector<DrawItem> items;
    std::vector<DialogButton> buttons;
};

using TimerId = std::uint32_t;

class Desktop {
  public:
    virtual ~Desktop() = default;

    // timeGetTime: milliseconds, 32 bits, wrapping.
    virtual std::uint32_t time_ms() = 0;
    // Blocks the whole program; no events are processed meanwhile.
    virtual void sleep_ms(std::uint32_t ms) = 0;
    // One turn of a loop that waits for a key or for a timer's handler: sleeps `ms`. A real
    // desktop may rest on, up to kLongestRestMs in all, until input arrives or a timer falls
    // due, since nothing such a loop looks at changes before then; it never spins.
    virtual void rest(std::uint32_t ms) { sleep_ms(ms); }
    static constexpr std::uint32_t kLongestRestMs = 50;
    // GetAsyncKeyState: kKeyHeld while down, kKeyPressedSinceQuery if pressed since the
    // previous query of this key (the query clears it).
    virtual std::uint16_t key_state(Key key) = 0;
    virtual ScreenMetrics screen() = 0;

    virtual WindowHandle create_window(std::string_view name, WindowRole role,
                                       WindowEvents events) = 0;
    virtual void destroy_window(WindowHandle w) = 0;
    // Position and size in screen pixels.
    virtual void set_geometry(WindowHandle w, int left, int top, int width, int height) = 0;
    // Showing a hidden window raises it to the top of the z-order.
    virtual void set_visible(WindowHandle w, bool visible) = 0;
    // SetWindowRgn: the window takes the region (nullopt: no shape, the whole window shows).
    // Returns false where the real call fails.
    virtual bool set_shape(WindowHandle w, std::optional<Region> shape) = 0;
    virtual void set_background(WindowHandle w, Colour colour) = 0;
    virtual void set_picture(WindowHandle w, Picture picture) = 0;
    virtual void set_items(WindowHandle w, std::vector<DrawItem> items) = 0;
    virtual void focus(WindowHandle w) = 0;

    // Width of a text in pixels in the given font.
    virtual int text_width(const Font& font, std::string_view text) = 0;

    // A timer calls its handler only inside pump(), at most once per pump when due, and is
    // never re-entered while its handler runs.
    virtual TimerId add_timer(std::uint32_t interval_ms, std::function<void()> handler) = 0;
    virtual void remove_timer(TimerId id) = 0;

    // Lets all pending window events through once and returns. May be nested.
    virtual void pump() = 0;

    // Popup menu at the mouse position; the chosen item's index, or nullopt.
    virtual std::optional<int> popup_menu(const std::vector<MenuItem>& items) = 0;
    // Modal dialog; timers keep running while it is open. Returns the pressed button's index.
    virtual int run_dialog(const DialogLayout& dialog) = 0;
    // Message box with an OK button only.
    virtual void message_box(std::string_view text, std::string_view caption) = 0;

    // One record of the run's trace ("t" and "ev" are added here). `fields` is the inside of
    // a JSON object without braces, empty or starting with a field.
    virtual bool tracing() const { return false; }
    virtual void trace(std::string_view /*ev*/, std::string_view /*fields*/) {}

    // Called once by main() when the program ends, with its exit code.
    virtual void finish(int /*exit_code*/) {}
    // For a desktop that may have to end the program on the spot, where nothing can unwind
    // (the X server went away): `last_words` writes out what the run still holds, given the
    // exit code, before the program exits.
    virtual void set_last_words(std::function<void(int exit_code)> /*last_words*/) {}
};

// Program end: thrown by end_program() and caught only in main(), so that every window is
// closed on the way out. A run that fails (its trace cannot be written) carries the one line
// that main() says.
struct ProgramEnd {
    int exit_code = 0;
    std::string message;
};
[[noreturn]] inline void end_program(int exit_code = 0, std::string message = {}) {
    throw ProgramEnd{exit_code, std::move(message)};
}

}  // namespace pw::platform
