// The keyboard as GetAsyncKeyState sees it, on X11: a key is held while XQueryKeymap says it
// is down, and counts as pressed since the last query when XInput2 reported a raw key press
// for it meanwhile. Raw events arrive whichever window has the focus, so a key tapped between
// two frames still counts once. The keymap is read again only when raw key events came in,
// or after a while, so a loop polling a key does not cost a server round trip per turn. The
// watcher keeps its own X connection, apart from GDK's.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/platform.hpp"

// Xlib's display, declared here so that its macros stay out of the game's headers.
struct _XDisplay;

namespace pw::gtk {

class KeyWatcher {
  public:
    // Connects to the named display; without it (or without XInput2) keys read as up.
    explicit KeyWatcher(const char* display_name);
    // Watches nothing: keys read as up.
    KeyWatcher() = default;

    std::uint16_t state(platform::Key key);
    // The next query takes a fresh reading. Called whenever events may have happened (the
    // program slept or pumped), so the keys of one frame are read from one snapshot.
    void invalidate() { fresh_ = false; }
    // The watcher's X connection, for a wait to wake on a key (-1: none), and whether key
    // events already read from it wait in its queue.
    int connection() const;
    bool has_queued_events() const;

  private:
    void refresh();
    void take_raw_press(int keycode);
    void load_keycodes();

    struct CloseDisplay {
        void operator()(_XDisplay* d) const;
    };
    std::unique_ptr<_XDisplay, CloseDisplay> display_;
    int xi_opcode_ = -1;
    std::array<std::vector<int>, platform::kKeyCount> keycodes_;
    std::array<bool, platform::kKeyCount> pressed_{};
    char keymap_[32] = {};
    std::int64_t keymap_read_at_ = 0;  // monotonic microseconds; 0: never read
    bool fresh_ = false;
};

}  // namespace pw::gtk
