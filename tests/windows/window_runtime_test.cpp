// The window runtime: windows made on first touch, unloaded and made afresh, their controls,
// events, and the program's end from deep inside event handling.
#include <gtest/gtest.h>

#include "platform/headless/headless_desktop.hpp"
#include "platform/json.hpp"
#include "windows/forms.hpp"
#include "windows/lazy.hpp"

namespace pw::win {
namespace {

headless::Options script(const std::string& text) {
    headless::Options o;
    o.script = headless::parse_script(text);
    return o;
}

TEST(Lazy, CreatedOnFirstTouchAndFreshAfterUnload) {
    headless::HeadlessDesktop d{headless::Options{}};
    WindowSystem ws(d);
    Lazy<FrmBG2> bg2(ws, "frmBG2");
    int loads = 0;
    bg2.on_load = [&](FrmBG2&) { ++loads; };
    EXPECT_FALSE(bg2.loaded());
    EXPECT_EQ(d.window_count(), 0u);

    EXPECT_EQ(bg2->BackColor(), RGB(255, 244, 255));  // the design colour
    bg2->SetBackColor(RGB(1, 2, 3));
    bg2->Move(150, 300, 1500, 450);
    EXPECT_EQ(d.window_count(), 1u);
    EXPECT_EQ(loads, 1);

    bg2.Unload();
    bg2.Unload();  // unloading a window that is gone does nothing
    EXPECT_EQ(d.window_count(), 0u);
    EXPECT_EQ(bg2->BackColor(), RGB(255, 244, 255));  // run-time changes are gone
    EXPECT_FLOAT_EQ(bg2->Left(), 0);
    EXPECT_EQ(loads, 2);
}

TEST(Lazy, ArrayMembersAreSeparateWindowsNamedByIndex) {
    headless::HeadlessDesktop d{headless::Options{}};
    WindowSystem ws(d);
    LazyArray<FrmEnemy, 6> enemies(ws, "frmEnemies");
    enemies[2]->Show();
    enemies[5]->Hide();
    ASSERT_EQ(ws.forms().size(), 2u);
    EXPECT_EQ(ws.forms()[0]->name(), "frmEnemies(2)");
    EXPECT_EQ(ws.forms()[1]->name(), "frmEnemies(5)");
}

TEST(Form, KeepsTwipsAndPlacesTheNativeWindowOnTheNearestPixelHalvesUp) {
    headless::HeadlessDesktop d{headless::Options{}};
    WindowSystem ws(d);
    Lazy<FrmPlayer> ship(ws, "frmPlayer");
    ship->Move(547.5f, 10320, 285, 220);
    EXPECT_FLOAT_EQ(ship->Left(), 547.5f);
    const auto windows = [&] {
        json::Fields f;
        ws.trace_windows(f);
        return f.text();
    };
    std::string w = windows();
    EXPECT_NE(w.find("\"left\":37,\"top\":688,\"width\":19,\"height\":15"), std::string::npos) << w;
    // Drifting half a pixel a frame, the window steps one pixel every second frame.
    std::vector<int> steps;
    int last = 36;
    for (int frame = 1; frame <= 8; ++frame) {
        ship->SetLeft(540.0f + 7.5f * static_cast<float>(frame));
        w = windows();
        const int left = std::stoi(w.substr(w.find("\"left\":") + 7));
        steps.push_back(left - last);
        last = left;
    }
    EXPECT_EQ(steps, (std::vector<int>{1, 0, 1, 0, 1, 0, 1, 0}));
}

TEST(Controls, LabelsTakeTheirClicksAndAHandlerMayUnloadItsOwnWindow) {
    headless::HeadlessDesktop d(script("@10 lclick frmC 3 3\n@20 rclick frmShe 2 2\n"));
    WindowSystem ws(d);
    Lazy<FrmC> c(ws, "frmC");
    Lazy<FrmShe> she(ws, "frmShe");
    int closes = 0, right_clicks = 0;
    c.on_load = [&](FrmC& f) {
        f.cmdClose.Click = [&] {
            ++closes;
            c.Unload();
        };
    };
    she.on_load = [&](FrmShe& f) {
        f.Label1[0].MouseDown = [&](int button, int, float, float) {
            right_clicks += button == platform::kRightButton;
        };
    };
    c->Show();
    she->Move(0, 3000);
    she->Show();
    d.sleep_ms(30);
    ws.DoEvents();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(c.loaded());
    EXPECT_EQ(right_clicks, 1);
}

TEST(Timers, AWindowTimerStopsWithItsWindow) {
    headless::HeadlessDesktop d{headless::Options{}};
    WindowSystem ws(d);
    Lazy<FrmBoss> boss(ws, "frmBoss");
    int ticks = 0;
    boss->Timer1.OnTimer = [&] { ++ticks; };
    boss->Timer1.SetEnabled(true);
    d.sleep_ms(50);
    ws.DoEvents();
    EXPECT_EQ(ticks, 1);
    boss->Timer2.SetInterval(100);  // idle until given an interval, then it runs
    EXPECT_EQ(d.timer_count(), 2u);
    boss.Unload();
    EXPECT_EQ(d.timer_count(), 0u);
    d.sleep_ms(500);
    ws.DoEvents();
    EXPECT_EQ(ticks, 1);
}

TEST(ProgramEnd, UnwindsFromANestedPumpAndClosesEveryWindow) {
    headless::HeadlessDesktop d{headless::Options{}};
    bool after_end = false;
    {
        WindowSystem ws(d);
        Lazy<FrmBoss> boss(ws, "frmBoss");
        Lazy<FrmPlayer> ship(ws, "frmPlayer");
        ship->Show();
        boss->Timer1.OnTimer = [&] {
            boss->Timer1.SetEnabled(false);
            d.sleep_ms(60);
            ws.DoEvents();  // nested: the ship's timer fires in here and ends the program
            after_end = true;
        };
        ship->Timer1.OnTimer = [] { platform::end_program(0); };
        boss->Timer1.SetEnabled(true);
        ship->Timer1.SetInterval(100);
        ship->Timer1.SetEnabled(true);
        d.sleep_ms(50);
        EXPECT_THROW(ws.DoEvents(), platform::ProgramEnd);
    }
    EXPECT_FALSE(after_end);
    EXPECT_EQ(d.window_count(), 0u);
    EXPECT_EQ(d.timer_count(), 0u);
}

}  // namespace
}  // namespace pw::win
