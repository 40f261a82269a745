// A desktop that passes every call on to another one: the base for desktops that change or
// watch a few of the calls (a built-in player, a test's recorder) and leave the rest alone.
#pragma once

#include "platform/platform.hpp"

namespace pw::platform {

class DesktopDecorator : public Desktop {
  public:
    explicit DesktopDecorator(Desktop& inner) : inner_(inner) {}

    std::uint32_t time_ms() override { return inner_.time_ms(); }
    void sleep_ms(std::uint32_t ms) override { inner_.sleep_ms(ms); }
    void rest(std::uint32_t ms) override { inner_.rest(ms); }
    std::uint16_t key_state(Key key) override { return inner_.key_state(key); }
    ScreenMetrics screen() override { return inner_.screen(); }

    WindowHandle create_window(std::string_view name, WindowRole role,
                               WindowEvents events) override {
        return inner_.create_window(name, role, std::move(events));
    }
    void destroy_window(WindowHandle w) override { inner_.destroy_window(w); }
    void set_geometry(WindowHandle w, int left, int top, int width, int height) override {
        inner_.set_geometry(w, left, top, width, height);
    }
    void set_visible(WindowHandle w, bool visible) override { inner_.set_visible(w, visible); }
    bool set_shape(WindowHandle w, std::optional<Region> shape) override {
        return inner_.set_shape(w, std::move(shape));
    }
    void set_background(WindowHandle w, Colour colour) override {
        inner_.set_background(w, colour);
    }
    void set_picture(WindowHandle w, Picture picture) override {
        inner_.set_picture(w, std::move(picture));
    }
    void set_items(WindowHandle w, std::vector<DrawItem> items) override {
        inner_.set_items(w, std::move(items));
    }
    void focus(WindowHandle w) override { inner_.focus(w); }
    int text_width(const Font& font, std::string_view text) override {
        return inner_.text_width(font, text);
    }

    TimerId add_timer(std::uint32_t interval_ms, std::function<void()> handler) override {
        return inner_.add_timer(interval_ms, std::move(handler));
    }
    void remove_timer(TimerId id) override { inner_.remove_timer(id); }
    void pump() override { inner_.pump(); }

    std::optional<int> popup_menu(const std::vector<MenuItem>& items) override {
        return inner_.popup_menu(items);
    }
    int run_dialog(const DialogLayout& dialog) override { return inner_.run_dialog(dialog); }
    void message_box(std::string_view text, std::string_view caption) override {
        inner_.message_box(text, caption);
    }

    bool tracing() const override { return inner_.tracing(); }
    void trace(std::string_view ev, std::string_view fields) override { inner_.trace(ev, fields); }
    void finish(int exit_code) override { inner_.finish(exit_code); }
    void set_last_words(std::function<void(int exit_code)> last_words) override {
        inner_.set_last_words(std::move(last_words));
    }

  protected:
    Desktop& inner() { return inner_; }

  private:
    Desktop& inner_;
};

}  // namespace pw::platform
