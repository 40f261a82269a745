// The virtual desktop: clock, sleep, keys, timers, pump, windows, menus, dialogs, pictures.
#include "platform/headless/headless_desktop.hpp"

#include <gtest/gtest.h>

#include <cairo.h>

#include "platform/random.hpp"
#include "support/run_game.hpp"

namespace pw::headless {
namespace {

using platform::Key;

Options with_script(const std::string& text) {
    Options o;
    o.script = parse_script(text);
    return o;
}

TEST(VirtualClock, OnlySleepAdvancesItAndItWraps) {
    HeadlessDesktop d(Options{}, 0xFFFF'FFF0u);
    const std::uint32_t t0 = d.time_ms();
    d.pump();
    EXPECT_EQ(d.time_ms(), t0);
    d.sleep_ms(50);
    EXPECT_EQ(d.time_ms(), 0x22u);  // wrapped past 2^32
    EXPECT_EQ(static_cast<std::uint32_t>(d.time_ms() - t0), 50u);
    EXPECT_EQ(d.elapsed(), 50u);
}

TEST(VirtualClock, UntilEndsTheRunWhereTheClockReachesIt) {
    Options o;
    o.until = 120;
    HeadlessDesktop d(o);
    d.sleep_ms(100);
    EXPECT_THROW(d.sleep_ms(50), platform::ProgramEnd);
    EXPECT_EQ(d.elapsed(), 120u);
}

TEST(Keys, HeldAndPressedSinceLastQuery) {
    HeadlessDesktop d(with_script("@10 down Space\n@20 up Space\n@30 press Left 5\n"));
    EXPECT_EQ(d.key_state(Key::Space), 0);
    d.sleep_ms(15);
    EXPECT_EQ(d.key_state(Key::Space), platform::kKeyHeld | platform::kKeyPressedSinceQuery);
    EXPECT_EQ(d.key_state(Key::Space), platform::kKeyHeld);  // the query cleared bit 0
    d.sleep_ms(10);
    EXPECT_EQ(d.key_state(Key::Space), 0);
    // A tap between two queries still counts once.
    d.sleep_ms(20);
    EXPECT_EQ(d.key_state(Key::Left), platform::kKeyPressedSinceQuery);
    EXPECT_EQ(d.key_state(Key::Left), 0);
}

TEST(Timers, FireOnlyInsidePumpCoalescedAndNeverReentered) {
    HeadlessDesktop d{Options{}};
    int ticks = 0, depth = 0, max_depth = 0;
    d.add_timer(50, [&] {
        ++ticks;
        max_depth = std::max(max_depth, ++depth);
        d.pump();  // a handler that pumps does not run itself again
        --depth;
    });
    d.sleep_ms(49);
    d.pump();
    EXPECT_EQ(ticks, 0);
    d.sleep_ms(200);  // four intervals pass while nobody pumps
    EXPECT_EQ(ticks, 0);
    d.pump();
    EXPECT_EQ(ticks, 1);
    d.pump();
    EXPECT_EQ(ticks, 1);
    d.sleep_ms(50);
    d.pump();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(max_depth, 1);
}

TEST(Timers, AHandlerMayRemoveItsOwnTimer) {
    HeadlessDesktop d{Options{}};
    int ticks = 0;
    platform::TimerId id = 0;
    id = d.add_timer(10, [&] {
        ++ticks;
        d.remove_timer(id);
    });
    d.sleep_ms(10);
    d.pump();
    d.sleep_ms(10);
    d.pump();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(d.timer_count(), 0u);
}

TEST(Clicks, LandOnTheTopmostWindowInsideItsShape) {
    HeadlessDesktop d(with_script("@5 rclick lamp 2 2\n@6 lclick lamp 11 2\n"));
    std::vector<std::pair<int, int>> got;
    const auto lamp = d.create_window("lamp", platform::WindowRole::Lamp,
                                      {[&](int b, int x, int) {
                                           got.push_back({b, x});
                                       },
                                       {}});
    d.set_geometry(lamp, 10, 10, 25, 11);
    Region shape = Region::rectangle({1, 1, 11, 10});
    shape.combine(shape, Region::rectangle({13, 1, 23, 10}), CombineMode::Or);
    d.set_shape(lamp, shape);
    d.set_visible(lamp, true);
    d.sleep_ms(10);
    d.pump();
    // The second click fell between the lamps, outside the shape, onto the desktop.
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], std::make_pair(platform::kRightButton, 2));
    EXPECT_EQ(d.focused(), lamp);
}

TEST(Menus, TheScriptedAnswerIsChosenAndTimersRunWhileOpen) {
    HeadlessDesktop d(with_script("menu 終了\nmenu none\n"));
    int ticks = 0;
    d.add_timer(100, [&] { ++ticks; });
    const std::vector<platform::MenuItem> items{{"バージョン情報"}, {"-"}, {"終了"}};
    EXPECT_EQ(d.popup_menu(items), 2);
    EXPECT_EQ(d.elapsed(), kMenuPickMs);
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(d.popup_menu(items), std::nullopt);
    EXPECT_EQ(d.popup_menu(items), std::nullopt);  // no answer left: dismissed
}

TEST(Dialogs, CloseAfterTheScriptedDelay) {
    HeadlessDesktop d(with_script("dialog 1500\n"));
    platform::DialogLayout layout;
    layout.title = "x";
    EXPECT_EQ(d.run_dialog(layout), 0);
    EXPECT_EQ(d.elapsed(), 1500u);
}

TEST(Script, ErrorsNameTheLine) {
    EXPECT_THROW(parse_script("@x down Space"), ScriptError);
    try {
        parse_script("# fine\n@10 down Space\n@20 down Shift\n");
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos);
    }
    EXPECT_THROW(parse_script("@10 rclick frmShe 5"), ScriptError);
    EXPECT_THROW(parse_script("dialog soon"), ScriptError);
    const Script s = parse_script("@30 up Left\n@10 press Left 10 # tap\n");
    ASSERT_EQ(s.keys.size(), 3u);
    EXPECT_EQ(s.keys[0].at, 10u);
    EXPECT_EQ(s.keys[2].at, 30u);
}

TEST(Random, ReseedsInTheSameMillisecondDoNotReplay) {
    pw::Random a(7), b(7);
    a.reseed_from_clock(1234);
    const float first = a.next();
    a.reseed_from_clock(1234);
    EXPECT_NE(a.next(), first);
    b.reseed_from_clock(1234);
    EXPECT_EQ(b.next(), first);  // same state, same clock: same draws
    for (int i = 0; i < 10000; ++i) {
        const float v = a.next();
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
    }
}

// A PNG read back for its pixels, as 0xRRGGBB.
class Png {
  public:
    explicit Png(const std::string& path) : s_(cairo_image_surface_create_from_png(path.c_str())) {
        EXPECT_EQ(cairo_surface_status(s_), CAIRO_STATUS_SUCCESS);
    }
    ~Png() { cairo_surface_destroy(s_); }
    int width() const { return cairo_image_surface_get_width(s_); }
    int height() const { return cairo_image_surface_get_height(s_); }
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;
    std::uint32_t operator()(int x, int y) const {
        const auto* row = cairo_image_surface_get_data(s_) + y * cairo_image_surface_get_stride(s_);
        return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
    }

  private:
    cairo_surface_t* s_;
};

TEST(Snapshot, ComposesShapesColoursPicturesAndText) {
    HeadlessDesktop d{Options{}};
    const auto back = d.create_window("back", platform::WindowRole::Sprite, {});
    d.set_geometry(back, 100, 100, 200, 100);
    d.set_background(back, {255, 0, 0});
    d.set_shape(back, Region::ellipse({0, 0, 200, 100}));
    d.set_items(back, {platform::TextItem{
                          20, 40, "Petalwing", {"ＭＳ Ｐゴシック", 12, true}, {255, 255, 255}}});
    d.set_visible(back, true);
    const auto front = d.create_window("front", platform::WindowRole::Sprite, {});
    d.set_geometry(front, 250, 120, 20, 20);
    d.set_picture(front, platform::Picture(1, 1, {0xFF00FF00}));
    d.set_background(front, {0, 0, 255});
    d.set_visible(front, true);

    const std::string png = test::temp_path("snapshot.png");
    ASSERT_TRUE(d.snapshot(png));
    const Png pixel(png);
    EXPECT_EQ(pixel(200, 150), 0xFF0000u);  // inside the ellipse
    EXPECT_NE(pixel(101, 101), 0xFF0000u);  // a corner the ellipse cuts away
    EXPECT_EQ(pixel(250, 120), 0x00FF00u);  // the picture, on top
    EXPECT_EQ(pixel(260, 130), 0x0000FFu);  // the front window's colour
    int white = 0;
    for (int x = 120; x < 220; ++x)
        for (int y = 140; y < 160; ++y)
            white += pixel(x, y) == 0xFFFFFFu;
    EXPECT_GT(white, 20);                 // the text is drawn
    EXPECT_EQ(pixel(5, 760), 0xD4D0C8u);  // the taskbar
}

// The virtual desktop's resolution works as a real desktop's: the game always sees 96 dpi, and
// from 192 dpi on the picture is the game of a smaller screen enlarged by a whole factor.
TEST(Resolution, TheGameSeesNinetySixDpiAndHighResolutionsEnlargeItByAWholeFactor) {
    for (const int dpi : {96, 120, 144, 191}) {
        Options o;
        o.dpi = dpi;
        const auto m = HeadlessDesktop{o}.screen();
        EXPECT_EQ(m.twips_per_pixel_x, 15) << dpi;
        EXPECT_EQ(m.twips_per_pixel_y, 15) << dpi;
        EXPECT_EQ(m.width_px, 1024) << dpi;
        EXPECT_EQ(m.cy_fullscreen, 768 - 30 - 19) << dpi;
    }
    Options o;
    o.dpi = 288;
    o.width = 3072;
    o.height = 2304;
    o.taskbar = 90;
    const auto m = HeadlessDesktop{o}.screen();
    EXPECT_EQ(m.twips_per_pixel_x, 15);
    EXPECT_EQ(m.width_px, 1024);
    EXPECT_EQ(m.height_px, 768);
    EXPECT_EQ(m.cy_fullscreen, 768 - 30 - 19);
    // A taskbar that leaves no work area in the enlarged pixels is refused.
    EXPECT_EQ(test::run_game({"--dpi", "192", "--screen", "200x100", "--taskbar", "64"}).exit_code,
              2);
}

TEST(Resolution, At192DpiThePictureIsTheHalfSizedScreensEnlargedPixelForPixel) {
    const std::string hi = test::temp_path("hidpi.png"), lo = test::temp_path("lodpi.png");
    const auto run = [](std::vector<std::string> args, const std::string& png) {
        args.insert(args.end(), {"--seed", "3", "--until", "2500", "--shot", "2000:" + png});
        return test::run_game(args).exit_code;
    };
    ASSERT_EQ(run({"--dpi", "192", "--screen", "3840x2160", "--taskbar", "60"}, hi), 0);
    ASSERT_EQ(run({"--screen", "1920x1080", "--taskbar", "30"}, lo), 0);
    const Png big(hi), small(lo);
    ASSERT_EQ(big.width(), 3840);
    ASSERT_EQ(big.height(), 2160);
    ASSERT_EQ(small.width(), 1920);
    ASSERT_EQ(small.height(), 1080);
    int wrong = 0;
    for (int y = 0; y < 2160; ++y)
        for (int x = 0; x < 3840; ++x)
            wrong += big(x, y) != small(x / 2, y / 2);
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace pw::headless
