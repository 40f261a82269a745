// The Windows desktop: every game window is a borderless popup window cut by SetWindowRgn,
// timers are WM_TIMER, the event pump is a PeekMessage loop, and the menu, dialog and message
// box are the system's own. Game handlers run only inside pump() and the menu and dialog
// loops; an exception a handler throws (the program's end) is carried out of the system's
// message dispatching and thrown again in the game's own frames.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <utility>

#include "platform/focus_manners.hpp"
#include "platform/platform.hpp"
#include "platform/win32/gdi_handle.hpp"
#include "platform/win32/painter.hpp"

namespace pw::win32 {

// Registers a window class of the program; a class that already exists is kept.
void register_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc);

class Win32Desktop final : public platform::Desktop {
  public:
    Win32Desktop();
    ~Win32Desktop() override;
    Win32Desktop(const Win32Desktop&) = delete;
    Win32Desktop& operator=(const Win32Desktop&) = delete;

    std::uint32_t time_ms() override;
    void sleep_ms(std::uint32_t ms) override;
    std::uint16_t key_state(platform::Key key) override;
    platform::ScreenMetrics screen() override;

    platform::WindowHandle create_window(std::string_view name, platform::WindowRole role,
                                         platform::WindowEvents events) override;
    void destroy_window(platform::WindowHandle w) override;
    void set_geometry(platform::WindowHandle w, int left, int top, int width, int height) override;
    void set_visible(platform::WindowHandle w, bool visible) override;
    bool set_shape(platform::WindowHandle w, std::optional<Region> shape) override;
    void set_background(platform::WindowHandle w, platform::Colour colour) override;
    void set_picture(platform::WindowHandle w, platform::Picture picture) override;
    void set_items(platform::WindowHandle w, std::vector<platform::DrawItem> items) override;
    void focus(platform::WindowHandle w) override;
    int text_width(const platform::Font& font, std::string_view text) override;

    platform::TimerId add_timer(std::uint32_t interval_ms, std::function<void()> handler) override;
    void remove_timer(platform::TimerId id) override;
    void pump() override;

    std::optional<int> popup_menu(const std::vector<platform::MenuItem>& items) override;
    int run_dialog(const platform::DialogLayout& dialog) override;
    void message_box(std::string_view text, std::string_view caption) override;

    // The native window behind a handle (null for none), for tests that act as the user.
    HWND native_window(platform::WindowHandle w) const;

  private:
    struct Window;
    struct Timer {
        std::function<void()> handler;
        bool running = false;
        std::uint64_t fired_in = 0;  // the pump that last ran it
    };
    struct Dialog;
    // Marks a stretch in which game handlers may run; `serial` is the pump it belongs to (0
    // for the menu and dialog loops, where a timer fires whenever its message comes).
    class Dispatching {
      public:
        Dispatching(Win32Desktop& d, std::uint64_t serial)
            : d_(d), saved_(std::exchange(d.current_pump_, serial)) {
            ++d_.dispatch_depth_;
        }
        ~Dispatching() {
            --d_.dispatch_depth_;
            d_.current_pump_ = saved_;
        }
        Dispatching(const Dispatching&) = delete;
        Dispatching& operator=(const Dispatching&) = delete;

      private:
        Win32Desktop& d_;
        std::uint64_t saved_;
    };

    static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK host_proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK dialog_proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
    static void register_dialog_class(HINSTANCE instance);

    Window* find(platform::WindowHandle w);
    void on_timer(platform::TimerId id);
    // Runs a game handler if events may run now; keeps what it throws for rethrow_pending().
    template <class F>
    void deliver(F&& handler);
    void rethrow_pending();
    // Takes one message from the queue to its window; false when the queue is empty.
    bool dispatch_one(bool wait);

    bool game_has_focus() const;
    // The shown lamp window, which owns the dialog; nullptr before the first game.
    HWND lamp_window() const;

    HINSTANCE instance_;
    FontCache fonts_;
    OwnedWindow host_;  // hidden: owns the timers and the popup menu
    std::map<platform::WindowHandle, std::unique_ptr<Window>> windows_;
    platform::WindowHandle next_handle_ = 1;
    std::map<platform::TimerId, Timer> timers_;
    platform::TimerId next_timer_ = 1;

    int dispatch_depth_ = 0;  // inside pump(), the menu or a dialog: handlers may run
    int silenced_ = 0;        // inside a message box: they may not
    std::uint64_t pump_serial_ = 0;
    std::uint64_t current_pump_ = 0;  // 0 inside the menu and dialog loops
    bool menu_open_ = false;
    HWND open_dialog_ = nullptr;  // the innermost open dialog
    platform::FocusManners focus_manners_;
    std::exception_ptr pending_;
};

}  // namespace pw::win32
