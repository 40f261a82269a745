// The game on a real X server: its windows where the game puts them and cut to their
// silhouettes, keys and clicks reaching it, the menu, the version dialog and the way out.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "desktop/x_session.hpp"

namespace pw::desktop_test {
namespace {

constexpr Rgb kLampGreen{0, 255, 0};
constexpr Rgb kRootBlack{0, 0, 0};              // bare Xvfb's root window
constexpr Rgb kVirtualWallpaper{58, 110, 165};  // the virtual desktop's

bool bluish(Rgb c) {
    return c.b > 150 && c.r < 100 && c.g < 120;
}
bool light(Rgb c) {
    return c.r >= 200 && c.g >= 200 && c.b >= 200;
}

struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
    bool empty() const { return left > right; }
    void add(int x, int y) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

// Where the popup menu is: the light pixels near the lower left corner that were not there
// before the click.
Box menu_box(const Image& before, const Image& after) {
    Box box;
    for (int y = 500; y < after.height(); ++y)
        for (int x = 0; x < 400; ++x)
            if (light(after.at(x, y)) && !light(before.at(x, y))) box.add(x, y);
    return box;
}

using GtkDesktop = DesktopTest;

// The records of a trace file, each as its line, and the last record's line.
std::vector<std::string> trace_lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

long field(const std::string& record, const std::string& name) {
    const auto at = record.find("\"" + name + "\":");
    return at == std::string::npos ? -1 : std::atol(record.c_str() + at + name.size() + 3);
}

// The trace of a run cut off: it ends with its "end" record and the exit code, and if the
// run was in play, nothing of what it played is lost.
void ExpectTraceEndsWith(const std::string& path, int code, bool in_play) {
    const auto lines = trace_lines(path);
    ASSERT_FALSE(lines.empty());
    const std::string& end = lines.back();
    EXPECT_NE(end.find("\"ev\":\"end\""), std::string::npos) << end;
    EXPECT_EQ(field(end, "code"), code) << end;
    if (!in_play) return;
    long last_frame = -1;
    for (const auto& line : lines)
        if (line.find("\"ev\":\"frame\"") != std::string::npos) last_frame = field(line, "t");
    ASSERT_GE(last_frame, 0) << "no frame: the game never played";
    EXPECT_LT(field(end, "t") - last_frame, 400) << "frames of the last moments were lost";
}

TEST(GtkDesktopStart, WhenTheXServerGoesAwayItSaysSoInOneLineAndEndsWithCode1) {
    auto x = Xvfb::start();
    if (!x) GTEST_SKIP() << "Xvfb is not installed or did not start";
    const std::string log = "/tmp/petalwing-lost-display.log";
    const std::string trace = "/tmp/petalwing-lost-display.jsonl";
    Child game({kExe, "--autopilot", "--trace", trace}, x->display(), log);
    std::this_thread::sleep_for(4500ms);  // in play
    ASSERT_TRUE(game.running());
    x.reset();  // the server ends
    const auto code = game.wait_exit(10s);
    ASSERT_TRUE(code.has_value()) << "the game went on without its display";
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (*code == 2 && all.find("no real-desktop backend") != std::string::npos)
        GTEST_SKIP() << "this build has no X11 desktop";
    EXPECT_EQ(*code, 1);
    EXPECT_NE(all.find("lost the connection to the X display"), std::string::npos) << all;
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 1) << all;
    ExpectTraceEndsWith(trace, 1, true);
}

TEST(GtkDesktopStart, WithoutAnXDisplayItSaysSoInOneLineAndEndsWithCode1) {
    const std::string log = "/tmp/petalwing-no-display.log";
    Child game({kExe}, "", log);
    const auto code = game.wait_exit(10s);
    ASSERT_TRUE(code.has_value());
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (*code == 2 && all.find("no real-desktop backend") != std::string::npos)
        GTEST_SKIP() << "this build has no X11 desktop";
    EXPECT_EQ(*code, 1);
    EXPECT_NE(all.find("X display"), std::string::npos) << all;
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 1) << all;
}

TEST_F(GtkDesktop, OnAWaylandSessionItPlaysThroughXWaylandAndSaysWhereKeysGo) {
    start_game("wayland-petalwing-test");  // no such compositor: X11 it must be
    EXPECT_TRUE(window_geometry(*x_, "frmShe").has_value());
    std::ifstream in(temp("game.log"));
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("lamp window"), std::string::npos) << all;
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 1) << all;
}

TEST_F(GtkDesktop, TitleLampsAndSceneryStandWhereTheGamePutsThemWithTheirSilhouettes) {
    start_game();
    const Image shot = screenshot(*x_, temp("title.png"));
    ASSERT_TRUE(shot.ok());
    ASSERT_EQ(shot.width(), 1024);
    ASSERT_EQ(shot.height(), 768);

    // The lamp window stands in the lower left corner on the bottom of the work area (the
    // whole screen here, without a panel): two green lamps with a gap between them.
    const auto lamp = window_geometry(*x_, "frmShe");
    ASSERT_TRUE(lamp.has_value());
    EXPECT_EQ(lamp->x, 0);
    EXPECT_EQ(lamp->width, 25);
    EXPECT_EQ(lamp->height, 11);
    EXPECT_EQ(lamp->y + lamp->height, 768);
    EXPECT_EQ(shot.at(5, 762), kLampGreen);
    EXPECT_EQ(shot.at(17, 762), kLampGreen);
    EXPECT_NE(shot.at(11, 762), kLampGreen);
    EXPECT_NE(shot.at(12, 762), kLampGreen);
    EXPECT_EQ(shot.at(0, 762), kRootBlack);  // outside the outline, within the window

    // The title banner: a blue box centred on the screen, its bottom half its height above
    // the bottom of the work area.
    const auto title = window_geometry(*x_, "frmSTAFF");
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ(title->x, (1024 - 300) / 2);
    EXPECT_EQ(title->y, 768 - 72);
    const int row = title->y + title->height / 2;
    int first = -1, last = -1;
    for (int x = 0; x < 1024; ++x)
        if (bluish(shot.at(x, row))) {
            if (first < 0) first = x;
            last = x;
        }
    ASSERT_GE(first, 0) << "no blue banner on row " << row;
    EXPECT_NEAR((first + last) / 2.0, 511.5, 1.0);

    // The scenery strip stands on the bottom, the full width of the screen.
    const auto scenery = window_geometry(*x_, "frmBG");
    ASSERT_TRUE(scenery.has_value());
    EXPECT_EQ(scenery->x, 0);
    EXPECT_EQ(scenery->width, 1024);
    EXPECT_EQ(scenery->y + scenery->height, 768);

    // Pixel for pixel the virtual desktop's picture of the same moment: every window shows
    // its picture inside its outline, and the desktop shows through everywhere else.
    const std::string reference = temp("virtual.png");
    Child headless(
        {kExe, "--headless", "--taskbar", "0", "--until", "2000", "--shot", "1500:" + reference},
        "", temp("virtual.log"));
    ASSERT_EQ(headless.wait_exit(30s), 0);
    const Image expected(reference);
    ASSERT_TRUE(expected.ok());
    int wrong = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            const Rgb want =
                expected.at(x, y) == kVirtualWallpaper ? kRootBlack : expected.at(x, y);
            if (shot.at(x, y) != want && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " differs from the virtual desktop";
        }
    EXPECT_EQ(wrong, 0);
}

// A compositor may take a window without alpha to be opaque over its whole rectangle, shape or
// not (KWin on Wayland does, and then never repaints what lies beneath a full-screen cut window).
TEST_F(GtkDesktop, GameWindowsHaveAnAlphaChannelWhereTheScreenOffersOne) {
    start_game();
    ASSERT_NE(x_->run("xdpyinfo").find("depth:    32 planes"), std::string::npos)
        << "this X server offers no 32-bit visual";
    for (const char* name : {"frmShe", "frmBG", "frmSTAFF"})
        EXPECT_NE(x_->run(std::string("xwininfo -name ") + name).find("Depth: 32"),
                  std::string::npos)
            << name << " has no alpha channel";
}

TEST_F(GtkDesktop, KeysReachTheGameWithoutItsWindowsHavingTheFocus) {
    start_game();
    x_->run("xdotool mousemove 600 300");  // nothing of the game under the pointer
    press("space");
    ASSERT_TRUE(eventually([&] { return !window_geometry(*x_, "frmSTAFF"); }, 3s))
        << "Space did not start the game";
    std::this_thread::sleep_for(1500ms);  // the opening balloon

    const auto start = window_geometry(*x_, "frmPlayer");
    ASSERT_TRUE(start.has_value());
    hold("Up", 400ms);
    const auto up = window_geometry(*x_, "frmPlayer");
    ASSERT_TRUE(up.has_value());
    EXPECT_LT(up->y, start->y - 4) << "Up did not lift the ship";

    press("space");
    EXPECT_TRUE(eventually([&] { return window_geometry(*x_, "frmShots(0)").has_value(); }, 2s))
        << "Space did not fire";

    press("Escape");
    std::this_thread::sleep_for(300ms);
    const auto paused = window_geometry(*x_, "frmPlayer");
    hold("Right", 400ms);
    const auto still = window_geometry(*x_, "frmPlayer");
    ASSERT_TRUE(paused && still);
    EXPECT_EQ(still->x, paused->x) << "the paused ship moved";
    EXPECT_EQ(still->y, paused->y) << "the paused ship moved";

    press("Escape");
    hold("Right", 400ms);
    const auto resumed = window_geometry(*x_, "frmPlayer");
    ASSERT_TRUE(resumed.has_value());
    EXPECT_GT(resumed->x, paused->x + 4) << "Right did not move the ship after the pause";
}

TEST_F(GtkDesktop, RightClickOnALampOpensTheMenuAndItsQuitEndsTheProgramWithCode0) {
    start_game();
    const Image before = screenshot(*x_, temp("before.png"));
    x_->run("xdotool mousemove 5 762 click 3");
    Box menu;
    ASSERT_TRUE(eventually(
        [&] {
            menu = menu_box(before, screenshot(*x_, temp("menu.png")));
            return !menu.empty() && menu.bottom - menu.top > 30;
        },
        3s))
        << "no menu after a right click on a lamp";
    EXPECT_TRUE(game_->running());

    // "終了" is the last item, at the bottom of the menu.
    x_->run("xdotool mousemove " + std::to_string(menu.left + 40) + " " +
            std::to_string(menu.bottom - 10) + " click 1");
    EXPECT_EQ(game_->wait_exit(5s), 0);
}

class GtkDesktopDialog : public DesktopTest {
  protected:
    // Opens the version dialog from the lamp's menu with the keys.
    void open_dialog_with_keys() {
        const Image before = screenshot(*x_, temp("before.png"));
        x_->run("xdotool mousemove 5 762 click 3");
        ASSERT_TRUE(eventually(
            [&] {
                const Box menu = menu_box(before, screenshot(*x_, temp("menu.png")));
                return !menu.empty() && menu.bottom - menu.top > 30;
            },
            3s))
            << "no menu after a right click on a lamp";
        x_->run("xdotool mousemove 600 300");  // the pointer off the menu selects nothing
        press("Down");                         // "バージョン情報", the first item
        press("Return");
        ASSERT_TRUE(
            eventually([&] { return window_geometry(*x_, "バージョン情報").has_value(); }, 3s))
            << "the keys did not choose the menu's first item";
        std::this_thread::sleep_for(300ms);
    }
};

// The game keeps the keyboard's events from GTK while it plays. With no window manager the
// focus stays on the lamp window when the menu and the dialog open, and their keys arrive
// there: they must still reach them.
TEST_F(GtkDesktopDialog, TheMenuAndTheDialogFollowTheKeyboardWhileTheLampKeepsTheFocus) {
    start_game();
    ASSERT_NO_FATAL_FAILURE(open_dialog_with_keys());
    ASSERT_NE(x_->run("xdotool getwindowfocus getwindowname").find("frmShe"), std::string::npos);
    press("Return");
    EXPECT_TRUE(eventually([&] { return !window_geometry(*x_, "バージョン情報"); }, 3s))
        << "Return did not close the dialog";
    EXPECT_TRUE(game_->running());
}

// Escape (and the window manager's close button, the same request) closes the dialog once:
// GTK must not destroy it under the game's own hold on it.
TEST_F(GtkDesktopDialog, EscapeClosesTheDialogAndTheGamePlaysOnWithoutAComplaint) {
    start_game();
    ASSERT_NO_FATAL_FAILURE(open_dialog_with_keys());
    press("Escape");
    EXPECT_TRUE(eventually([&] { return !window_geometry(*x_, "バージョン情報"); }, 3s))
        << "Escape did not close the dialog";
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(game_->running());
    std::ifstream in(temp("game.log"));
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(log.find("CRITICAL"), std::string::npos) << log;
}

TEST_F(GtkDesktop, TheVersionDialogIsARealModalDialogThatOkCloses) {
    start_game();
    const Image before = screenshot(*x_, temp("before.png"));
    x_->run("xdotool mousemove 17 762 click 3");
    Box menu;
    ASSERT_TRUE(eventually(
        [&] {
            menu = menu_box(before, screenshot(*x_, temp("menu.png")));
            return !menu.empty() && menu.bottom - menu.top > 30;
        },
        3s));
    // "バージョン情報" is the first item.
    x_->run("xdotool mousemove " + std::to_string(menu.left + 40) + " " +
            std::to_string(menu.top + 10) + " click 1");
    std::optional<Geometry> dialog;
    ASSERT_TRUE(eventually(
        [&] { return (dialog = window_geometry(*x_, "バージョン情報")).has_value(); }, 3s))
        << "no version dialog";
    std::this_thread::sleep_for(300ms);
    screenshot(*x_, temp("dialog.png"));
    EXPECT_GT(dialog->width, 300);
    // A dialog of the lamp's: no task-bar entry of its own, and it can only move and close.
    const std::string hints =
        x_->run("sh -c 'xprop -id $(xdotool search --name バージョン情報 | head -n1)'");
    EXPECT_NE(hints.find("WM_TRANSIENT_FOR(WINDOW)"), std::string::npos) << hints;
    EXPECT_NE(hints.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << hints;
    EXPECT_NE(hints.find("_NET_WM_WINDOW_TYPE_DIALOG"), std::string::npos) << hints;
    EXPECT_NE(hints.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x1, 0x24,"), std::string::npos)
        << hints;  // functions: move (0x4) and close (0x20) only

    // OK is the default button.
    x_->run("xdotool search --name 'バージョン情報' windowfocus --sync key Return");
    EXPECT_TRUE(eventually([&] { return !window_geometry(*x_, "バージョン情報"); }, 3s))
        << "Return did not close the dialog";
    EXPECT_TRUE(game_->running());
}

TEST_F(GtkDesktop, TheTraceRecordsTheRunInRealMillisecondsAndUntilEndsItWithCode0) {
    const std::string trace = temp("trace.jsonl");
    Child game({kExe, "--autopilot", "--trace", trace, "--until", "5000"}, x_->display(),
               temp("game.log"));
    ASSERT_EQ(game.wait_exit(30s), 0);
    std::ifstream in(trace);
    std::vector<std::string> phases;
    std::vector<long> frames;
    long end = -1;
    for (std::string line; std::getline(in, line);) {
        const long t = std::atol(line.c_str() + line.find("\"t\":") + 4);
        if (line.find("\"ev\":\"frame\"") != std::string::npos) frames.push_back(t);
        if (line.find("\"ev\":\"end\"") != std::string::npos) end = t;
        if (const auto at = line.find("\"phase\":\""); at != std::string::npos)
            phases.push_back(line.substr(at + 9, line.find('"', at + 9) - at - 9));
    }
    EXPECT_EQ(phases, (std::vector<std::string>{"title", "play"}));
    EXPECT_NEAR(end, 5000, 100);
    // Paced frames: about 20 a second, none much sooner than 50 ms after the one before (a
    // record is stamped when it is written, a little after its frame began).
    ASSERT_GE(frames.size(), 20u);
    for (std::size_t i = 1; i < frames.size(); ++i)
        EXPECT_GE(frames[i] - frames[i - 1], 45) << "frame " << i;
    const double mean = static_cast<double>(frames.back() - frames.front()) / (frames.size() - 1);
    EXPECT_GE(mean, 49);
    EXPECT_LE(mean, 65) << "a busy machine, or slow frames";
}

TEST_F(GtkDesktop, ASignalEndsTheGameAsAQuitDoesWithItsTraceAndCode128PlusTheSignal) {
    // In play, where frame records are held up to a second; the others at the title.
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        const bool in_play = number == SIGTERM;
        const std::string trace = temp("signal.jsonl");
        Child game({kExe, "--autopilot", "--trace", trace}, x_->display(), temp("signal.log"));
        ASSERT_TRUE(eventually([&] { return window_geometry(*x_, "frmSTAFF").has_value(); }, 15s));
        std::this_thread::sleep_for(in_play ? 4s : 300ms);
        kill(game.pid(), number);
        EXPECT_EQ(game.wait_exit(10s), 128 + number);
        ExpectTraceEndsWith(trace, 128 + number, in_play);
        std::ifstream in(temp("signal.log"));
        const std::string log((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
        EXPECT_EQ(log, "");
    }
}

TEST_F(GtkDesktop, AnUnwritableTraceOrAShotIsRefusedInOneLineWithCode2BeforeTheGame) {
    const std::vector<std::string> refused = {"--trace=/nonexistent-folder/trace.jsonl",
                                              "--trace=/", "--shot=100:" + temp("shot.png")};
    for (const std::string& option : refused) {
        const auto eq = option.find('=');
        Child game({kExe, option.substr(0, eq), option.substr(eq + 1)}, x_->display(),
                   temp("refused.log"));
        EXPECT_EQ(game.wait_exit(10s), 2) << option;
        std::ifstream in(temp("refused.log"));
        const std::string all((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
        EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 1) << all;
        EXPECT_FALSE(window_geometry(*x_, "frmBG")) << option << ": the game started";
    }
}

}  // namespace
}  // namespace pw::desktop_test
