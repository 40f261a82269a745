// The virtual desktop: a deterministic screen with a virtual clock that only sleeping (and
// waiting in a menu or dialog) advances, scripted keys and clicks, a JSON Lines trace and
// PNG snapshots. Tests, CI and the demo run the game on it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/compositor.hpp"
#include "platform/headless/script.hpp"
#include "platform/platform.hpp"
#include "platform/trace_file.hpp"

namespace pw::headless {

struct Options {
    int width = 1024, height = 768, dpi = 96, taskbar = 30;
    // For tests: the game sees 1440/dpi twips to the pixel, unenlarged (a resolution that no
    // real desktop shows a program that declares no DPI awareness).
    bool raw_dpi = false;
    std::uint64_t seed = 1;
    Script script;
    std::string trace_path;                                    // empty: no trace
    std::vector<std::pair<std::uint64_t, std::string>> shots;  // virtual ms, PNG path
    std::optional<std::uint64_t> until;                        // end the run at this virtual ms
};

// The run's exit code when a --shot cannot be written.
inline constexpr int kShotFailedExitCode = 2;

// How long a scripted user takes to pick an item from a popup menu, in virtual ms.
inline constexpr std::uint32_t kMenuPickMs = 400;

class HeadlessDesktop final : public platform::Desktop {
  public:
    // Throws std::runtime_error when the trace cannot be opened.
    explicit HeadlessDesktop(Options options);
    // For tests: the clock's starting reading (it wraps at 2^32).
    HeadlessDesktop(Options options, std::uint32_t clock_start);
    ~HeadlessDesktop() override;

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

    bool tracing() const override { return trace_.has_value(); }
    void trace(std::string_view ev, std::string_view fields) override;
    void finish(int exit_code) override;

    // Virtual milliseconds since the run started.
    std::uint64_t elapsed() const { return elapsed_; }
    // Writes a picture of the desktop as it is now.
    bool snapshot(const std::string& path, std::string* error = nullptr) const;
    // Number of windows that exist (visible or not), for leak checks.
    std::size_t window_count() const { return windows_.size(); }
    std::size_t timer_count() const { return timers_.size(); }
    platform::WindowHandle focused() const { return focused_; }

  private:
    struct Window {
        std::string name;
        platform::WindowRole role{};
        platform::WindowEvents events;
        int left = 0, top = 0, width = 0, height = 0;
        bool visible = false;
        std::optional<Region> shape;
        platform::Colour back{};
        platform::Picture picture;
        std::vector<platform::DrawItem> items;
    };
    struct Timer {
        std::uint32_t interval = 0;
        std::uint64_t due = 0;
        std::function<void()> handler;
        bool running = false;
    };

    Window* find(platform::WindowHandle w);
    void raise(platform::WindowHandle w);
    void advance_to(std::uint64_t target);
    void take_due_shots(std::uint64_t upto);
    void apply_keys();
    void run_due_timers();
    void deliver_click(const ClickEvent& click);
    // Clicks made while a menu or dialog was open fell on disabled windows: they are lost.
    void discard_due_clicks();
    // Lets virtual time pass while a modal loop is open, firing timers as they fall due.
    void wait_modal(std::uint64_t until);
    Scene scene() const;
    int scale() const;
    platform::ScreenMetrics logical_screen() const;

    Options options_;
    std::uint32_t clock_start_;
    std::uint64_t elapsed_ = 0;
    std::size_t next_key_ = 0, next_click_ = 0, next_shot_ = 0;
    std::uint16_t key_bits_[platform::kKeyCount] = {};
    std::map<platform::WindowHandle, Window> windows_;
    std::vector<platform::WindowHandle> z_order_;  // bottom to top
    platform::WindowHandle next_handle_ = 1;
    platform::WindowHandle focused_ = 0;
    std::map<platform::TimerId, Timer> timers_;
    platform::TimerId next_timer_ = 1;
    int mouse_x_ = 0, mouse_y_ = 0;
    std::optional<MenuView> open_menu_;
    const platform::DialogLayout* open_dialog_ = nullptr;
    int modal_depth_ = 0;  // open menus and dialogs
    std::optional<platform::TraceFile> trace_;
    // Measures texts and paints snapshots; it keeps converted pictures between snapshots.
    std::unique_ptr<paint::Painter> painter_;
};

}  // namespace pw::headless
