#include "platform/headless/headless_desktop.hpp"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/cairo/painter.hpp"
#include "platform/display_scale.hpp"
#include "platform/json.hpp"
#include "platform/scope_exit.hpp"
#include "platform/user_text.hpp"

namespace pw::headless {

using platform::Key;
using platform::WindowHandle;

namespace {
// The clock starts at a reading derived from the seed, so runs with different seeds see
// different clock values (the game re-seeds its random numbers from the clock).
std::uint32_t clock_start_for(std::uint64_t seed) {
    return static_cast<std::uint32_t>(seed * 2654435761ULL + 100000ULL);
}

}  // namespace

HeadlessDesktop::HeadlessDesktop(Options options)
    : HeadlessDesktop(options, clock_start_for(options.seed)) {}

HeadlessDesktop::HeadlessDesktop(Options options, std::uint32_t clock_start)
    : options_(std::move(options)),
      clock_start_(clock_start),
      painter_(std::make_unique<paint::Painter>()) {
    std::sort(options_.shots.begin(), options_.shots.end());
    if (!options_.trace_path.empty()) trace_.emplace(options_.trace_path);
    painter_->set_dpi(options_.raw_dpi ? options_.dpi : platform::kLogicalDpi);
}

HeadlessDesktop::~HeadlessDesktop() = default;

std::uint32_t HeadlessDesktop::time_ms() {
    return clock_start_ + static_cast<std::uint32_t>(elapsed_);
}

void HeadlessDesktop::sleep_ms(std::uint32_t ms) {
    advance_to(elapsed_ + ms);
}

void HeadlessDesktop::advance_to(std::uint64_t target) {
    if (options_.until && *options_.until <= target) {
        take_due_shots(*options_.until);
        elapsed_ = std::max(elapsed_, *options_.until);
        platform::end_program(0);
    }
    take_due_shots(target);
    elapsed_ = std::max(elapsed_, target);
}

void HeadlessDesktop::take_due_shots(std::uint64_t upto) {
    while (next_shot_ < options_.shots.size() && options_.shots[next_shot_].first <= upto) {
        const auto& [at, path] = options_.shots[next_shot_++];
        elapsed_ = std::max(elapsed_, at);  // the picture shows that moment
        std::string error;
        if (!snapshot(path, &error)) {
            // A picture asked for and not taken is a failed run, not a quiet one.
            json::Fields f;
            f.str("path", path).str("error", error);
            trace("shot-failed", f.text());
            platform::end_program(kShotFailedExitCode,
                                  "--shot: cannot write " + platform::quoted(path) + ": " + error);
        }
    }
}

bool HeadlessDesktop::snapshot(const std::string& path, std::string* error) const {
    return write_png(scene(), path, *painter_, error);
}

Scene HeadlessDesktop::scene() const {
    Scene s;
    const platform::ScreenMetrics m = logical_screen();
    s.width = m.width_px;
    s.height = m.height_px;
    s.taskbar = m.height_px - (m.cy_fullscreen + m.cy_caption);
    s.scale = scale();
    s.screen_width = options_.width;
    s.screen_height = options_.height;
    for (WindowHandle h : z_order_) {
        const Window& w = windows_.at(h);
        if (!w.visible) continue;
        s.windows.push_back(
            {w.left, w.top, w.width, w.height, &w.shape, w.back, &w.picture, &w.items});
    }
    s.menu = open_menu_;
    if (open_dialog_) s.dialog = DialogView{open_dialog_};
    return s;
}

void HeadlessDesktop::apply_keys() {
    const auto& keys = options_.script.keys;
    while (next_key_ < keys.size() && keys[next_key_].at <= elapsed_) {
        const KeyEvent& e = keys[next_key_++];
        auto& bits = key_bits_[static_cast<int>(e.key)];
        if (e.down)
            bits |= platform::kKeyHeld | platform::kKeyPressedSinceQuery;
        else
            bits &= static_cast<std::uint16_t>(~platform::kKeyHeld);
    }
}

std::uint16_t HeadlessDesktop::key_state(Key key) {
    apply_keys();
    auto& bits = key_bits_[static_cast<int>(key)];
    const std::uint16_t state = bits;
    bits &= static_cast<std::uint16_t>(~platform::kKeyPressedSinceQuery);
    return state;
}

platform::ScreenMetrics HeadlessDesktop::screen() {
    return logical_screen();
}

int HeadlessDesktop::scale() const {
    return options_.raw_dpi ? 1 : platform::scale_for_dpi(options_.dpi);
}

// As a real desktop of the virtual one's resolution shows it to the game: 96 dpi, and the
// screen and its work area in pixels of the whole scale.
platform::ScreenMetrics HeadlessDesktop::logical_screen() const {
    platform::ScreenMetrics m;
    const int s = scale();
    m.width_px = options_.width / s;
    m.height_px = options_.height / s;
    m.twips_per_pixel_x = m.twips_per_pixel_y =
        options_.raw_dpi ? std::max(1, (1440 + options_.dpi / 2) / options_.dpi)
                         : platform::kLogicalTwipsPerPixel;
    m.cy_caption = 19;
    m.cy_fullscreen = (options_.height - options_.taskbar) / s - m.cy_caption;
    return m;
}

HeadlessDesktop::Window* HeadlessDesktop::find(WindowHandle w) {
    auto it = windows_.find(w);
    return it == windows_.end() ? nullptr : &it->second;
}

void HeadlessDesktop::raise(WindowHandle w) {
    std::erase(z_order_, w);
    z_order_.push_back(w);
}

WindowHandle HeadlessDesktop::create_window(std::string_view name, platform::WindowRole role,
                                            platform::WindowEvents events) {
    const WindowHandle h = next_handle_++;
    Window w;
    w.name = std::string(name);
    w.role = role;
    w.events = std::move(events);
    windows_.emplace(h, std::move(w));
    z_order_.push_back(h);
    return h;
}

void HeadlessDesktop::destroy_window(WindowHandle w) {
    windows_.erase(w);
    std::erase(z_order_, w);
    if (focused_ == w) focused_ = 0;
}

void HeadlessDesktop::set_geometry(WindowHandle w, int left, int top, int width, int height) {
    if (Window* win = find(w)) {
        win->left = left;
        win->top = top;
        win->width = std::max(0, width);
        win->height = std::max(0, height);
    }
}

void HeadlessDesktop::set_visible(WindowHandle w, bool visible) {
    Window* win = find(w);
    if (!win || win->visible == visible) return;
    win->visible = visible;
    if (visible) raise(w);
}

bool HeadlessDesktop::set_shape(WindowHandle w, std::optional<Region> shape) {
    Window* win = find(w);
    if (!win) return false;
    win->shape = std::move(shape);
    return true;
}

void HeadlessDesktop::set_background(WindowHandle w, platform::Colour colour) {
    if (Window* win = find(w)) win->back = colour;
}

void HeadlessDesktop::set_picture(WindowHandle w, platform::Picture picture) {
    if (Window* win = find(w)) win->picture = std::move(picture);
}

void HeadlessDesktop::set_items(WindowHandle w, std::vector<platform::DrawItem> items) {
    if (Window* win = find(w)) win->items = std::move(items);
}

void HeadlessDesktop::focus(WindowHandle w) {
    if (find(w)) focused_ = w;
}

int HeadlessDesktop::text_width(const platform::Font& font, std::string_view text) {
    return painter_->text_width(font, text);
}

platform::TimerId HeadlessDesktop::add_timer(std::uint32_t interval_ms,
                                             std::function<void()> handler) {
    const platform::TimerId id = next_timer_++;
    timers_.emplace(id, Timer{interval_ms, elapsed_ + interval_ms, std::move(handler), false});
    return id;
}

void HeadlessDesktop::remove_timer(platform::TimerId id) {
    timers_.erase(id);
}

void HeadlessDesktop::run_due_timers() {
    std::vector<platform::TimerId> due;
    for (const auto& [id, t] : timers_)
        if (!t.running && t.due <= elapsed_) due.push_back(id);
    for (platform::TimerId id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end() || it->second.running || it->second.due > elapsed_) continue;
        // Ticks that fell due while nobody pumped coalesce into this one.
        it->second.due = elapsed_ + it->second.interval;
        it->second.running = true;
        auto handler = it->second.handler;  // the handler may remove its own timer
        ScopeExit done{[this, id] {
            if (auto t = timers_.find(id); t != timers_.end()) t->second.running = false;
        }};
        handler();
    }
}

void HeadlessDesktop::deliver_click(const ClickEvent& click) {
    WindowHandle named = 0;
    for (auto it = z_order_.rbegin(); it != z_order_.rend(); ++it) {
        const Window& w = windows_.at(*it);
        if (w.visible && w.name == click.window) {
            named = *it;
            break;
        }
    }
    if (!named) return;
    const Window& nw = windows_.at(named);
    const int sx = nw.left + click.x, sy = nw.top + click.y;
    // The click lands on whatever is on top at that point of the screen.
    for (auto it = z_order_.rbegin(); it != z_order_.rend(); ++it) {
        const Window& w = windows_.at(*it);
        if (!w.visible) continue;
        const int lx = sx - w.left, ly = sy - w.top;
        if (lx < 0 || ly < 0 || lx >= w.width || ly >= w.height) continue;
        if (w.shape && !w.shape->contains(lx, ly)) continue;
        mouse_x_ = sx;
        mouse_y_ = sy;
        if (w.role == platform::WindowRole::Lamp) focused_ = *it;
        if (auto handler = w.events.mouse_down) handler(click.button, lx, ly);
        return;
    }
}

void HeadlessDesktop::pump() {
    apply_keys();
    take_due_shots(elapsed_);
    const auto& clicks = options_.script.clicks;
    while (next_click_ < clicks.size() && clicks[next_click_].at <= elapsed_) {
        const ClickEvent& click = clicks[next_click_++];
        if (modal_depth_ == 0) deliver_click(click);
    }
    run_due_timers();
}

void HeadlessDesktop::discard_due_clicks() {
    const auto& clicks = options_.script.clicks;
    while (next_click_ < clicks.size() && clicks[next_click_].at <= elapsed_)
        ++next_click_;
}

void HeadlessDesktop::wait_modal(std::uint64_t until) {
    while (elapsed_ < until) {
        std::uint64_t next = until;
        for (const auto& [id, t] : timers_)
            if (!t.running) next = std::min(next, std::max(t.due, elapsed_ + 1));
        advance_to(next);
        run_due_timers();
    }
}

std::optional<int> HeadlessDesktop::popup_menu(const std::vector<platform::MenuItem>& items) {
    std::optional<std::string> answer;
    auto& answers = options_.script.menu_answers;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    std::optional<int> chosen;
    for (std::size_t i = 0; answer && i < items.size(); ++i)
        if (items[i].caption != "-" && items[i].caption == *answer) chosen = static_cast<int>(i);

    open_menu_ = MenuView{mouse_x_, mouse_y_, items, chosen.value_or(-1)};
    ++modal_depth_;
    ScopeExit close{[this] {
        open_menu_.reset();
        --modal_depth_;
        discard_due_clicks();
    }};
    wait_modal(elapsed_ + kMenuPickMs);
    return chosen;
}

int HeadlessDesktop::run_dialog(const platform::DialogLayout& dialog) {
    std::uint64_t close_at = elapsed_;
    auto& delays = options_.script.dialog_delays;
    if (!delays.empty()) {
        close_at += delays.front();
        delays.pop_front();
    } else if (options_.until) {
        close_at = std::numeric_limits<std::uint64_t>::max();  // open until the run ends
    }
    const platform::DialogLayout* outer = std::exchange(open_dialog_, &dialog);
    ++modal_depth_;
    ScopeExit close{[this, outer] {
        open_dialog_ = outer;
        --modal_depth_;
        discard_due_clicks();
    }};
    wait_modal(close_at);
    return 0;
}

void HeadlessDesktop::message_box(std::string_view text, std::string_view caption) {
    json::Fields f;
    f.str("text", text).str("caption", caption);
    trace("msgbox", f.text());
}

void HeadlessDesktop::trace(std::string_view ev, std::string_view fields) {
    if (trace_) trace_->write(elapsed_, ev, fields);
}

void HeadlessDesktop::finish(int exit_code) {
    if (trace_) trace_->end(elapsed_, exit_code);
}

}  // namespace pw::headless
