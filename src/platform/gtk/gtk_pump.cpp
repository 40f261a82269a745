// The event pump, the rests between frames and the game's timers: window events reach the
// game only here, and the program sleeps rather than spins while it waits.
#include "platform/gtk/gtk_desktop.hpp"

#include <gdk/gdkx.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/display_scale.hpp"
#include "platform/gtk/gtk_window.hpp"
#include "platform/scope_exit.hpp"

namespace pw::gtk {

namespace {

// A pump lets everything pending through, but a pathological source that is always ready
// must not keep it from returning.
constexpr int kMaxIterationsPerPump = 100;
// The game pumps many times a frame. A pump goes through GLib's main loop only when something
// may be waiting there: a due timer, GTK work that a change of ours asked for, or, at this
// interval, anything else.
constexpr gint64 kQuietPumpUs = 250'000;
// Clicks and other X events wait at most this long for a pump to look for them.
constexpr gint64 kEventCheckUs = 4'000;
// What a frame changes waits at most this long in Xlib's buffer if the frame runs long.
constexpr gint64 kFlushIntervalUs = 10'000;

}  // namespace

void GtkDesktop::sleep_ms(std::uint32_t ms) {
    show_all_contents();
    flush();  // what the frame changed shows while we sleep
    g_usleep(static_cast<gulong>(ms) * 1000);
    keys_.invalidate();
}

// The title and the boss's entrance wait in turns of a millisecond; waking a thousand times a
// second for nothing cost the game 2% of a core on an idle title. After the turn's own sleep
// the rest goes on while neither X connection has anything and no timer is due.
void GtkDesktop::rest(std::uint32_t ms) {
    sleep_ms(ms);
    if (gtk_work_ ||
        (!wayland_ && (XEventsQueued(gdk_x11_display_get_xdisplay(display_), QueuedAlready) > 0 ||
                       keys_.has_queued_events())))
        return;
    const gint64 longest =
        static_cast<gint64>(kLongestRestMs - std::min(ms, kLongestRestMs)) * 1000;
    const gint64 wait_us = until_next_timer(longest);
    if (wait_us <= 0) return;
    std::array<pollfd, 2> connections{{{connection(), POLLIN, 0}, {keys_.connection(), POLLIN, 0}}};
    const nfds_t count = connections[1].fd < 0 ? 1 : 2;
    poll(connections.data(), count, static_cast<int>((wait_us + 999) / 1000));
    keys_.invalidate();
}

gint64 GtkDesktop::until_next_timer(gint64 limit) const {
    const gint64 now = g_get_monotonic_time();
    gint64 wait = limit;
    for (const auto& [id, t] : timers_) {
        if (t.due) return 0;
        const gint64 ready = g_source_get_ready_time(t.source.get());
        if (ready >= 0) wait = std::min(wait, ready - now);
    }
    return std::max<gint64>(wait, 0);
}

gboolean GtkDesktop::on_timeout(gpointer data) {
    static_cast<Timer*>(data)->due = true;
    return G_SOURCE_CONTINUE;
}

platform::TimerId GtkDesktop::add_timer(std::uint32_t interval_ms, std::function<void()> handler) {
    const platform::TimerId id = next_timer_++;
    Timer& timer = timers_[id];
    timer.handler = std::move(handler);
    timer.source.reset(g_timeout_source_new(std::max<std::uint32_t>(interval_ms, 1)));
    g_source_set_callback(timer.source.get(), on_timeout, &timer, nullptr);
    g_source_attach(timer.source.get(), nullptr);
    return id;
}

void GtkDesktop::remove_timer(platform::TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    g_source_destroy(it->second.source.get());
    timers_.erase(it);
}

int GtkDesktop::connection() const {
    return wayland_ ? wayland_connection()
                    : ConnectionNumber(gdk_x11_display_get_xdisplay(display_));
}

bool GtkDesktop::events_waiting() {
    if (!wayland_ && XEventsQueued(gdk_x11_display_get_xdisplay(display_), QueuedAlready) > 0)
        return true;
    // The server answers every move with an event; looking for them at every one of the
    // frame's pumps would cost a system call each.
    const gint64 now = g_get_monotonic_time();
    if (now - last_connection_check_ < kEventCheckUs) return false;
    last_connection_check_ = now;
    pollfd display{connection(), POLLIN, 0};
    return poll(&display, 1, 0) > 0;
}

void GtkDesktop::iterate_pending() {
    // X events are handed to GTK all in one go: a main-loop pass for each would cost a
    // poll and two reads of the connection. Wayland's go through GDK's own source.
    const bool waiting = events_waiting();
    if (waiting && !wayland_)
        for (int i = 0; i < kMaxIterationsPerPump; ++i) {
            GdkEvent* event = gdk_display_get_event(display_);
            if (!event) break;
            gtk_main_do_event(event);
            gdk_event_free(event);
        }
    const gint64 now = g_get_monotonic_time();
    if (!gtk_work_ && !(waiting && wayland_) && now - last_iteration_ < kQuietPumpUs &&
        until_next_timer(1) > 0)
        return;
    gtk_work_ = false;
    for (int i = 0; i < kMaxIterationsPerPump && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    last_iteration_ = g_get_monotonic_time();
}

void GtkDesktop::deliver_input() {
    if (inputs_.empty()) return;
    std::vector<Input> inputs;
    inputs.swap(inputs_);
    for (Input& input : inputs) {
        Window* win = find(input.window);
        if (!win) continue;  // unloaded by an earlier handler
        if (input.focus) {
            if (auto handler = win->events.got_focus) handler();
            continue;
        }
        auto handler = win->events.mouse_down;  // the handler may unload its window
        if (!handler) continue;
        current_click_ = input.event.get();
        ScopeExit done{[this] { current_click_ = nullptr; }};
        handler(input.button, input.x, input.y);
    }
}

void GtkDesktop::run_due_timers() {
    std::vector<platform::TimerId> due;
    for (const auto& [id, t] : timers_)
        if (t.due && !t.running) due.push_back(id);
    for (platform::TimerId id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end() || !it->second.due || it->second.running) continue;
        // Ticks that came while nobody pumped coalesce into this one.
        it->second.due = false;
        it->second.running = true;
        auto handler = it->second.handler;  // the handler may remove its own timer
        ScopeExit done{[this, id] {
            if (auto t = timers_.find(id); t != timers_.end()) t->second.running = false;
        }};
        handler();
    }
}

void GtkDesktop::pump() {
    show_all_contents();
    keys_.invalidate();
    iterate_pending();
    end_if_signalled();
    deliver_input();
    run_due_timers();
    // Xlib reads the connection at every flush: a frame's changes go out when it sleeps, or
    // after a while should a frame run long.
    if (g_get_monotonic_time() - last_flush_ >= kFlushIntervalUs) flush();
}

void GtkDesktop::flush() {
    if (stage_) stage_->commit();
    gdk_display_flush(display_);
    last_flush_ = g_get_monotonic_time();
}

void GtkDesktop::modal_loop(const bool& open) {
    while (open) {
        g_main_context_iteration(nullptr, TRUE);
        end_if_signalled();
        keys_.invalidate();
        run_due_timers();
    }
}

}  // namespace pw::gtk
