// The game flow end to end on the virtual desktop, checked through the trace.
#include <cairo.h>
#include <gtest/gtest.h>

#include "support/run_game.hpp"

namespace pw::test {
namespace {

std::vector<double> frame_times(const GameRun& run) {
    std::vector<double> t;
    for (const auto& f : run.events("frame"))
        t.push_back(f["t"].num());
    return t;
}

const Json* window(const Json& frame, std::string_view name) {
    for (const auto& w : frame["windows"].arr())
        if (w["name"].str() == name) return &w;
    return nullptr;
}

TEST(Title, NothingRunsBeforeTheSpaceBar) {
    const auto run = run_game({"--until", "5000"});
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_FALSE(run.events("setup").empty());
    ASSERT_NE(run.first("phase"), nullptr);
    EXPECT_EQ((*run.first("phase"))["phase"].str(), "title");
    EXPECT_TRUE(run.events("frame").empty());
    EXPECT_TRUE(run.events("balloon").empty());
    EXPECT_EQ(run.events("end").back()["code"].integer(), 0);
}

TEST(Title, ASpaceTapBeforeTheTitleIsIgnoredButAHeldSpaceStarts) {
    const auto tapped = run_game({"--until", "3000"}, "@0 press Space 0\n");
    EXPECT_TRUE(tapped.events("frame").empty());
    const auto held = run_game({"--until", "3000"}, "@0 down Space\n");
    ASSERT_FALSE(held.events("balloon").empty());
    EXPECT_EQ(held.events("balloon")[0]["t"].num(), 0);
    EXPECT_EQ(held.events("balloon")[0]["text"].str(), "いくぞ！");
    EXPECT_EQ(held.events("frame")[0]["t"].num(), 1000);
}

TEST(FrameLoop, FramesAreFiftyMillisecondsApart) {
    const auto run = run_game({"--until", "4000"}, "@500 press Space 50\n");
    const auto t = frame_times(run);
    ASSERT_GT(t.size(), 40u);
    EXPECT_EQ(t[0], 1500);
    for (std::size_t i = 1; i < t.size(); ++i)
        ASSERT_EQ(t[i] - t[i - 1], 50) << i;
}

TEST(FrameLoop, EscapePausesAndResumes) {
    const auto run = run_game({"--until", "4000"},
                              "@0 down Space\n@1520 press Escape 20\n@2020 press Escape 20\n");
    for (const auto& f : run.events("frame")) {
        const double t = f["t"].num();
        // A record shows the state at the start of its frame: the key pressed at 1520 is
        // read by the frame of 1550 and shows from the frame of 1600 on.
        const bool paused = t > 1550 && t <= 2050;
        EXPECT_EQ(f["bPause"].integer(), paused ? -1 : 0) << t;
    }
}

TEST(FrameLoop, HoldingEscapePausesAndResumesOnAlternateFrames) {
    const auto run = run_game({"--until", "2000"}, "@0 down Space\n@1020 press Escape 200\n");
    std::vector<int> pauses;
    for (const auto& f : run.events("frame"))
        if (f["t"].num() > 1000 && f["t"].num() <= 1250) pauses.push_back(f["bPause"].integer());
    EXPECT_EQ(pauses, (std::vector<int>{0, -1, 0, -1, 0}));
}

TEST(FrameLoop, HomeTogglesInvincibilityAndTheShipsPicture) {
    const auto run =
        run_game({"--until", "3000"}, "@0 down Space\n@1520 press Home 20\n@2020 press Home 20\n");
    for (const auto& f : run.events("frame")) {
        const double t = f["t"].num();
        const bool on = t > 1550 && t <= 2050;
        EXPECT_EQ(f["bInvincible"].integer(), on ? -1 : 0) << t;
        if (t > 1600) {
            EXPECT_EQ((*window(f, "frmPlayer"))["picture"].integer(), on ? 12 : 11) << t;
        }
    }
}

TEST(FrameLoop, AShipStartedBeyond912PixelsMeetsTheBossOnItsFirstFrame) {
    const auto run = run_game({"--until", "8000", "950"}, "@0 down Space\n");
    const auto frames = run.events("frame");
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(run.events("setup")[0]["nX"].num(), 950 * 15);
    std::vector<std::string> phases;
    for (const auto& p : run.events("phase"))
        phases.push_back(p["phase"].str());
    EXPECT_EQ(phases, (std::vector<std::string>{"title", "play", "boss"}));
    EXPECT_EQ(run.events("phase")[2]["t"].num(), frames[0]["t"].num());
    // The scene changes for the boss stage, and the boss is shown.
    EXPECT_EQ((*window(frames[1], "frmBG"))["picture"].integer(), 7);
    EXPECT_TRUE((*window(frames[1], "frmBoss"))["visible"].boolean());
    // That frame took over two seconds; the next one follows at once, then the pace is 50.
    EXPECT_GT(frames[1]["t"].num() - frames[0]["t"].num(), 2000);
    EXPECT_EQ(frames[2]["t"].num() - frames[1]["t"].num(), 50);
}

TEST(Menu, ARightClickOnALampOrTheShipOpensItALeftClickDoesNot) {
    const auto run = run_game({"--until", "6000"},
                              "@0 down Space\n"
                              "@2000 lclick frmShe 5 5\n"
                              "@2500 rclick frmShe 5 5\n"
                              "menu none\n"
                              "@3500 rclick frmShe 17 5\n"
                              "menu none\n"
                              "@4500 rclick frmPlayer 5 5\n"
                              "menu none\n"
                              "@5000 lclick frmPlayer 5 5\n");
    const auto menus = run.events("menu");
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0]["t"].num(), 2500);
    EXPECT_TRUE(run.events("command").empty());
}

TEST(Menu, QuitEndsTheProgramAtOnceInPlayAndInAPause) {
    for (const char* script : {"@0 down Space\n@2000 rclick frmShe 5 5\nmenu 終了\n",
                               "@0 down Space\n@1510 press Escape 20\n"
                               "@2000 rclick frmShe 5 5\nmenu 終了\n"}) {
        const auto run = run_game({"--until", "9000"}, script);
        EXPECT_EQ(run.exit_code, 0);
        ASSERT_EQ(run.events("command").size(), 1u);
        EXPECT_EQ(run.events("command")[0]["item"].str(), "終了");
        const double quit = run.events("command")[0]["t"].num();
        EXPECT_EQ(run.trace.back()["ev"].str(), "end");
        EXPECT_EQ(run.trace.back()["t"].num(), quit);
        EXPECT_LT(frame_times(run).back(), quit);
    }
}

TEST(Menu, TheVersionDialogFreezesTheGameUntilItIsClosed) {
    const auto run = run_game({"--until", "6000"},
                              "@0 down Space\n@2000 rclick frmShe 5 5\nmenu バージョン情報\n"
                              "dialog 1500\n");
    const auto dialogs = run.events("dialog");
    ASSERT_EQ(dialogs.size(), 2u);
    const double opened = dialogs[0]["t"].num(), closed = dialogs[1]["t"].num();
    EXPECT_EQ(closed - opened, 1500);
    for (double t : frame_times(run))
        EXPECT_FALSE(t > opened && t < closed) << t;
    EXPECT_GT(frame_times(run).back(), closed);  // and the game goes on afterwards
}

TEST(Menu, WhileTheDialogIsOpenTheLampsTakeNoClickEvenWhenTheBossTimersPump) {
    // Seed 7 from x = 950 meets the boss at once; its timers pump while the dialog is open.
    const auto run = run_game({"--seed", "7", "--until", "20000", "950"},
                              "@500 press Space 100\n"
                              "@3600 rclick frmShe 5 5\nmenu バージョン情報\ndialog 3000\n"
                              "@4500 rclick frmShe 5 5\nmenu バージョン情報\ndialog 500\n"
                              "@9000 rclick frmShe 5 5\nmenu 終了\n");
    EXPECT_EQ(run.exit_code, 0) << run.stderr_text;
    const auto dialogs = run.events("dialog");
    ASSERT_EQ(dialogs.size(), 4u);
    for (std::size_t i = 0; i < dialogs.size(); ++i)
        EXPECT_EQ(dialogs[i]["state"].str(), i % 2 ? "close" : "open") << "record " << i;
    EXPECT_GE(dialogs[1]["t"].num() - dialogs[0]["t"].num(), 3000);
    // The click at 4500 fell on a disabled window and is lost, not kept for later: the next
    // menu is the one at 9000, and it takes the answers meant for the lost one.
    const auto menus = run.events("menu");
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_NEAR(menus[1]["t"].num(), 9000, 50);
    EXPECT_EQ(dialogs[3]["t"].num() - dialogs[2]["t"].num(), 500);
}

}  // namespace
}  // namespace pw::test

namespace pw::test {
namespace {

// 0xRRGGBB of one pixel of a PNG the program wrote.
std::uint32_t png_pixel(const std::string& path, int x, int y) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    const auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
    cairo_surface_destroy(s);
    return p;
}

TEST(LostGame, LampsGoDarkAndANewSetupLightsThemAgain) {
    // Flying straight into the hill costs all three lives.
    const std::string one_left = temp_path("one-left.png"), fresh = temp_path("fresh.png");
    const auto run =
        run_game({"--until", "9000", "--shot", "4700:" + one_left, "--shot", "8000:" + fresh},
                 "@0 press Space 100\n@1000 down Right\n@5500 up Right\n");
    const auto setups = run.events("setup");
    ASSERT_EQ(setups.size(), 2u);
    EXPECT_EQ(setups[1]["nLife"].integer(), 3);
    EXPECT_EQ(setups[1]["colSnow"].integer(), 4);
    const auto phases = run.events("phase");
    EXPECT_EQ(phases.back()["phase"].str(), "title");
    // The lamp window stands in the lower left corner: left lamp, then right lamp.
    constexpr int kLampY = 738 - 6;
    EXPECT_EQ(png_pixel(one_left, 5, kLampY), 0x00FF00u);
    EXPECT_EQ(png_pixel(one_left, 18, kLampY), 0x000000u);
    EXPECT_EQ(png_pixel(fresh, 5, kLampY), 0x00FF00u);
    EXPECT_EQ(png_pixel(fresh, 18, kLampY), 0x00FF00u);
    EXPECT_NE(png_pixel(fresh, 12, kLampY), 0x00FF00u);  // the gap between them
}

}  // namespace
}  // namespace pw::test
