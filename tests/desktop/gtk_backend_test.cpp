// The X11 desktop's promises to the game, held in the test's own process on a private Xvfb:
// events and timers only inside the pump, timers never re-entered, clicks where the outline
// is, keys pressed between two queries counted once, and the screen's metrics.
#ifdef PETALWING_GTK

#include <gtest/gtest.h>

#include "desktop/x_session.hpp"
#include "platform/gtk/gtk_desktop.hpp"
#include "support/run_game.hpp"

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

// The metrics are not read again every frame, but a panel that comes or goes while the game
// runs moves the work area as soon as the window manager says so.
TEST_F(GtkBackend, TheWorkAreaFollowsAPanelThatComesAndGoes) {
    for (const char* tool : {"openbox", "tint2"})
        if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
    const auto bottom = [&] { return desktop_->screen().cy_fullscreen + 19; };
    const auto within = [&](int expected) {
        for (int i = 0; i < 400 && bottom() != expected; ++i) {
            desktop_->pump();
            desktop_->sleep_ms(10);
        }
        return bottom();
    };
    ASSERT_EQ(bottom(), 768);
    Child wm({"openbox"}, x_->display(), test::temp_path("openbox.log"));
    ASSERT_TRUE(eventually(
        [&] {
            return x_->run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
                   std::string::npos;
        },
        15s));
    {
        Child panel({"tint2"}, x_->display(), test::temp_path("tint2.log"));
        EXPECT_EQ(within(768 - 30), 768 - 30) << "the work area missed the new panel";
    }
    EXPECT_EQ(within(768), 768) << "the work area kept the panel that went away";
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

// The X server is sent only the part of an outline inside its window; what a later, larger
// size uncovers shows then.
TEST_F(GtkBackend, AnOutlineWiderThanItsWindowShowsMoreWhenTheWindowGrows) {
    if (!have_tool("import")) GTEST_SKIP() << "ImageMagick is not installed";
    const auto w = sprite({});
    ASSERT_TRUE(desktop_->set_shape(w, Region::rectangle({0, 0, 60, 30})));
    pump_until([] { return false; });
    const std::string path = test::temp_path("grown.png");
    EXPECT_EQ(screenshot(*x_, path).at(130, 110), (Rgb{255, 0, 0})) << "the whole window shows";
    desktop_->set_geometry(w, 100, 100, 60, 30);
    pump_until([] { return false; });
    const Image grown = screenshot(*x_, path);
    EXPECT_EQ(grown.at(150, 110), (Rgb{255, 0, 0})) << "the part the old size cut off";
    EXPECT_NE(grown.at(165, 110), (Rgb{255, 0, 0}));
}

// A wait for a key rests on while nothing happens, and wakes for a key or a due timer.
TEST_F(GtkBackend, ARestLastsUntilAKeyOrATimerAndNoLonger) {
    const auto rest_ms = [&] {
        const gint64 start = g_get_monotonic_time();
        desktop_->rest(1);
        return static_cast<double>(g_get_monotonic_time() - start) / 1000.0;
    };
    desktop_->pump();
    const double idle = rest_ms();
    EXPECT_GE(idle, 30.0) << "an idle rest woke early";
    EXPECT_LT(idle, 150.0) << "an idle rest overslept";

    const auto id = desktop_->add_timer(10, [] {});
    desktop_->pump();
    EXPECT_LT(rest_ms(), 40.0) << "a rest slept through a timer's tick";
    desktop_->remove_timer(id);

    if (!have_tool("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    desktop_->key_state(Key::Space);
    x_->run("xdotool key space");
    EXPECT_LT(rest_ms(), 40.0) << "a rest slept through a key";
    EXPECT_TRUE(desktop_->key_state(Key::Space) & platform::kKeyPressedSinceQuery);
}

// The open toplevel window of GTK type `type` other than the game's own, or nullptr.
GtkWidget* open_toplevel(GType type) {
    GList* all = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* l = all; l && !found; l = l->next)
        if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, type) &&
            gtk_widget_get_visible(GTK_WIDGET(l->data)))
            found = GTK_WIDGET(l->data);
    g_list_free(all);
    return found;
}

// Plays the user of a modal window: `act` is tried from GLib's loop until it returns true.
void act_as_user(std::function<bool()> act) {
    struct User {
        std::function<bool()> act;
    };
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, 50,
        [](gpointer data) -> gboolean {
            return static_cast<User*>(data)->act() ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
        },
        std::make_unique<User>(User{std::move(act)}).release(),
        [](gpointer data) { std::unique_ptr<User> owned(static_cast<User*>(data)); });
}

void collect_buttons(GtkWidget* widget, gpointer list) {
    if (GTK_IS_BUTTON(widget))
        static_cast<std::vector<GtkWidget*>*>(list)->push_back(widget);
    else if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), collect_buttons, list);
}

TEST_F(GtkBackend, TheDialogReturnsThePressedButtonWhileTimersKeepRunning) {
    int ticks = 0;
    desktop_->add_timer(20, [&] { ++ticks; });
    platform::DialogLayout layout;
    layout.title = "バージョン情報";
    layout.client_width = 200;
    layout.client_height = 80;
    const platform::TextItem text{10, 10, "Petalwing", {"ＭＳ Ｐ明朝", 9.75, true}, {}};
    layout.items.emplace_back(text);
    layout.buttons.push_back({"OK", {20, 50, 80, 72}});
    layout.buttons.push_back({"Later", {100, 50, 160, 72}});
    int seen_ticks = -1;
    act_as_user([&] {
        GtkWidget* dialog = open_toplevel(GTK_TYPE_DIALOG);
        if (!dialog || ticks < 5) return false;  // let it stand a while
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "バージョン情報");
        EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(dialog)));
        std::vector<GtkWidget*> buttons;
        collect_buttons(dialog, &buttons);
        EXPECT_EQ(buttons.size(), 2u);
        if (buttons.size() == 2) gtk_button_clicked(GTK_BUTTON(buttons[1]));
        seen_ticks = ticks;
        return true;
    });
    EXPECT_EQ(desktop_->run_dialog(layout), 1);
    EXPECT_GE(seen_ticks, 5) << "timers stood still while the dialog was open";
}

TEST_F(GtkBackend, WhileTheDialogIsOpenTheGamesWindowsTakeNoClickEvenWhenATimerPumps) {
    if (!have_tool("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    int downs = 0;
    platform::WindowEvents events;
    events.mouse_down = [&](int, int, int) { ++downs; };
    sprite(std::move(events));
    int ticks = 0;
    desktop_->add_timer(20, [&] {
        ++ticks;
        desktop_->pump();  // as the boss's timers do
    });
    platform::DialogLayout layout;
    layout.title = "バージョン情報";
    layout.client_width = 200;
    layout.client_height = 80;
    layout.buttons.push_back({"OK", {20, 50, 80, 72}});
    int clicked_at = -1;
    act_as_user([&] {
        GtkWidget* dialog = open_toplevel(GTK_TYPE_DIALOG);
        if (!dialog) return false;
        if (clicked_at < 0) {
            x_->run("xdotool mousemove 110 105 click 3");
            clicked_at = ticks;
            return false;
        }
        if (ticks < clicked_at + 10) return false;  // timers pump a while after the click
        std::vector<GtkWidget*> buttons;
        collect_buttons(dialog, &buttons);
        if (!buttons.empty()) gtk_button_clicked(GTK_BUTTON(buttons[0]));
        return true;
    });
    desktop_->run_dialog(layout);
    EXPECT_EQ(downs, 0) << "a game window took a click under the open dialog";
    pump_until([] { return false; });
    EXPECT_EQ(downs, 0) << "the click made under the dialog arrived after it closed";
    x_->run("xdotool mousemove 110 105 click 3");
    EXPECT_TRUE(pump_until([&] { return downs == 1; })) << "the window stayed disabled";
}

TEST_F(GtkBackend, TheMenuReturnsTheChosenItemWhileTimersKeepRunning) {
    int ticks = 0;
    desktop_->add_timer(20, [&] { ++ticks; });
    act_as_user([&] {
        GtkWidget* window = open_toplevel(GTK_TYPE_WINDOW);
        GtkWidget* menu = window ? gtk_bin_get_child(GTK_BIN(window)) : nullptr;
        if (!menu || !GTK_IS_MENU(menu) || ticks < 5) return false;
        GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
        EXPECT_EQ(g_list_length(items), 3u);
        gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu), GTK_WIDGET(g_list_nth_data(items, 2)),
                                     TRUE);
        g_list_free(items);
        return true;
    });
    EXPECT_EQ(desktop_->popup_menu({{"バージョン情報"}, {"-"}, {"終了"}}), 2);
    EXPECT_GE(ticks, 5);
}

TEST_F(GtkBackend, TheMessageBoxShowsTheTextUnderTheGivenCaptionWithOnlyOk) {
    bool seen = false;
    act_as_user([&] {
        GtkWidget* box = open_toplevel(GTK_TYPE_MESSAGE_DIALOG);
        if (!box) return false;
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(box)), "Petalwing");
        gchar* text = nullptr;
        g_object_get(box, "text", &text, nullptr);
        EXPECT_STREQ(text, "It failed in reading of region data.");
        g_free(text);
        std::vector<GtkWidget*> buttons;
        collect_buttons(box, &buttons);
        EXPECT_EQ(buttons.size(), 1u);
        gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
        seen = true;
        return true;
    });
    desktop_->message_box("It failed in reading of region data.", "Petalwing");
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace pw::desktop_test

#endif  // PETALWING_GTK
