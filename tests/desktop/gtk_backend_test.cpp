// The X11 desktop's promises to the game, held in the test's own process on a private Xvfb:
// events and timers only inside the pump, timers never re-entered, clicks where the outline
// is, keys pressed between two queries counted once, and the screen's metrics.
#ifdef PETALWING_GTK

#include <gtest/gtest.h>

#include "desktop/x_session.hpp"
#include "platform/gtk/gtk_desktop.hpp"

namespace pw::desktop_test {
namespace {

using platform::Key;

// GDK keeps its display for the life of the process, so every test here shares one server.
const Xvfb* shared_server() {
    static const std::unique_ptr<Xvfb> server = [] {
        auto x = Xvfb::start();
        if (x) setenv("DISPLAY", x->display().c_str(), 1);
        return x;
    }();
    return server.get();
}

class GtkBackend : public ::testing::Test {
  protected:
    void SetUp() override {
        x_ = shared_server();
        if (!x_) GTEST_SKIP() << "Xvfb is not installed or did not start";
        desktop_ = std::make_unique<gtk::GtkDesktop>();
    }

    // Pumps, as the game does between frames, until `done` holds or a second has passed.
    bool pump_until(const std::function<bool()>& done) {
        for (int i = 0; i < 100; ++i) {
            desktop_->pump();
            if (done()) return true;
            desktop_->sleep_ms(10);
        }
        return false;
    }

    // A shown sprite window at (100, 100), 40 x 30, cut to its left half.
    platform::WindowHandle sprite(platform::WindowEvents events) {
        const auto w = desktop_->create_window("sprite", platform::WindowRole::Sprite, events);
        desktop_->set_geometry(w, 100, 100, 40, 30);
        EXPECT_TRUE(desktop_->set_shape(w, Region::rectangle({0, 0, 20, 30})));
        desktop_->set_background(w, {255, 0, 0});
        desktop_->set_visible(w, true);
        pump_until([&] { return window_geometry(*x_, "sprite").has_value(); });
        return w;
    }

    const Xvfb* x_ = nullptr;
    std::unique_ptr<gtk::GtkDesktop> desktop_;
};

TEST_F(GtkBackend, ScreenMetricsComeFromThePrimaryMonitorAndItsWorkArea) {
    const auto m = desktop_->screen();
    EXPECT_EQ(m.width_px, 1024);
    EXPECT_EQ(m.height_px, 768);
    EXPECT_EQ(m.twips_per_pixel_x, 15);  // 96 dpi
    EXPECT_EQ(m.twips_per_pixel_y, 15);
    EXPECT_EQ(m.cy_caption, 19);
    EXPECT_EQ(m.cy_fullscreen + m.cy_caption, 768);  // no panel: the work area is the screen
}

TEST_F(GtkBackend, TimersFireOnlyInsideThePumpAndTicksThatPiledUpCoalesce) {
    int ticks = 0;
    const auto id = desktop_->add_timer(10, [&] { ++ticks; });
    desktop_->sleep_ms(60);
    EXPECT_EQ(ticks, 0) << "a timer fired while the program slept";
    desktop_->pump();
    EXPECT_EQ(ticks, 1) << "six intervals passed: one tick";
    desktop_->pump();
    EXPECT_EQ(ticks, 1) << "nothing fell due since";
    desktop_->remove_timer(id);
    desktop_->sleep_ms(30);
    desktop_->pump();
    EXPECT_EQ(ticks, 1) << "a removed timer fired";
}

TEST_F(GtkBackend, ATimerIsNeverReenteredAndMayRemoveItself) {
    int depth = 0, deepest = 0, slow_runs = 0;
    desktop_->add_timer(5, [&] {
        ++slow_runs;
        deepest = std::max(deepest, ++depth);
        desktop_->sleep_ms(20);
        desktop_->pump();  // a handler that pumps, as the boss's timers do
        --depth;
    });
    int once = 0;
    platform::TimerId self = 0;
    self = desktop_->add_timer(5, [&] {
        ++once;
        desktop_->remove_timer(self);
    });
    EXPECT_TRUE(pump_until([&] { return slow_runs >= 3; }));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(once, 1);
}

TEST_F(GtkBackend, ClicksArriveInThePumpWithButtonAndLocalPositionOnlyInsideTheOutline) {
    if (!have_tool("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    std::vector<std::array<int, 3>> downs;
    platform::WindowEvents events;
    events.mouse_down = [&](int button, int x, int y) { downs.push_back({button, x, y}); };
    sprite(std::move(events));

    x_->run("xdotool mousemove 110 105 click 1");
    desktop_->sleep_ms(100);
    EXPECT_TRUE(downs.empty()) << "a click arrived outside the pump";
    ASSERT_TRUE(pump_until([&] { return !downs.empty(); }));
    EXPECT_EQ(downs[0], (std::array<int, 3>{platform::kLeftButton, 10, 5}));

    x_->run("xdotool mousemove 119 129 click 3");
    ASSERT_TRUE(pump_until([&] { return downs.size() == 2; }));
    EXPECT_EQ(downs[1], (std::array<int, 3>{platform::kRightButton, 19, 29}));

    x_->run("xdotool mousemove 130 110 click 1");  // inside the window, outside its outline
    pump_until([] { return false; });
    EXPECT_EQ(downs.size(), 2u);
}

TEST_F(GtkBackend, AClickQueuedForAWindowThatAnEarlierHandlerUnloadedIsDropped) {
    if (!have_tool("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    int calls = 0;
    platform::WindowHandle w = 0;
    platform::WindowEvents events;
    events.mouse_down = [&](int, int, int) {
        ++calls;
        desktop_->destroy_window(w);  // as closing a speech balloon does
    };
    w = sprite(std::move(events));
    x_->run("xdotool mousemove 105 105 click --repeat 2 --delay 30 1");
    desktop_->sleep_ms(200);  // both clicks are waiting now
    pump_until([] { return false; });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(window_geometry(*x_, "sprite").has_value());
}

TEST_F(GtkBackend, AKeyTappedBetweenTwoQueriesCountsOnceWithoutAnyWindowFocused) {
    if (!have_tool("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    desktop_->key_state(Key::Space);  // forget earlier presses
    x_->run("xdotool key space");
    std::uint16_t state = 0;
    ASSERT_TRUE(pump_until([&] { return (state = desktop_->key_state(Key::Space)) != 0; }));
    EXPECT_EQ(state, platform::kKeyPressedSinceQuery) << "tapped and released: not held";
    desktop_->pump();
    EXPECT_EQ(desktop_->key_state(Key::Space), 0) << "the query cleared it";

    x_->run("xdotool keydown Left");
    ASSERT_TRUE(pump_until([&] { return (state = desktop_->key_state(Key::Left)) != 0; }));
    EXPECT_EQ(state, platform::kKeyHeld | platform::kKeyPressedSinceQuery);
    desktop_->pump();
    EXPECT_EQ(desktop_->key_state(Key::Left), platform::kKeyHeld);
    x_->run("xdotool keyup Left");
    EXPECT_TRUE(pump_until([&] { return desktop_->key_state(Key::Left) == 0; }));
    EXPECT_EQ(desktop_->key_state(Key::Right), 0);
}

}  // namespace
}  // namespace pw::desktop_test

#endif  // PETALWING_GTK
