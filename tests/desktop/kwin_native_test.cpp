// The game native on KWin (kwin_wayland --virtual, KDE Plasma's compositor; Debian 12 has 5.27,
// which offers layer-shell version 3) with no Xwayland at all, on a session bus of its own, a
// striped desktop below the game and, where a test asks, a panel that reserves the bottom of
// the output. Screenshots come from KWin itself (spectacle asks its screenshot interface), keys
// and clicks from KWin's fake input device (kwin_input).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>

#include "desktop/wayland_checks.hpp"

namespace pw::desktop_test {
namespace {

using namespace wayland;

class KWinNative : public ::testing::Test {
  protected:
    // The desktop comes up before the test, which does not run where it cannot (skipped).
    void SetUp() override { start(panel(), scale()); }
    // How tall a panel reserves the bottom of the output.
    virtual int panel() const { return 0; }
    // The output's scale.
    virtual int scale() const { return 1; }

    // KWin with one output of 1024 x 768 logical pixels at `scale`, a device for keys and
    // clicks, the stripes, and a panel `panel` pixels tall.
    void start(int panel, int scale) {
        for (const char* tool : {"kwin_wayland", "spectacle", "dbus-daemon"})
            if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
        static std::atomic<int> count{0};
        dir_ = "/tmp/petalwing-kwin-native-" + std::to_string(getpid()) + "-" +
               std::to_string(count++);
        std::system(("rm -rf " + dir_).c_str());
        mkdir(dir_.c_str(), 0755);
        mkdir((dir_ + "/run").c_str(), 0700);
        mkdir((dir_ + "/home").c_str(), 0755);
        panel_ = panel;
        scale_ = scale;
        // A bus that starts no services: nothing of this machine's session is asked.
        std::ofstream(dir_ + "/bus.conf")
            << "<busconfig><type>session</type><listen>unix:path=" << dir_
            << "/bus</listen><policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
               "<allow send_destination=\"*\"/><allow "
               "receive_sender=\"*\"/></policy></busconfig>\n";
        bus_ =
            std::make_unique<Child>(std::vector<std::string>{"dbus-daemon", "--nofork",
                                                             "--config-file=" + dir_ + "/bus.conf"},
                                    "", dir_ + "/bus.log");
        ASSERT_TRUE(eventually([&] { return exists(dir_ + "/bus"); }, 10s)) << log("bus.log");
        // The packaged binary carries a file capability, with which it refuses to run as root;
        // a copy has none.
        std::string kwin = "kwin_wayland";
        if (geteuid() == 0) {
            kwin = dir_ + "/kwin_wayland";
            std::system(("cp \"$(command -v kwin_wayland)\" " + kwin).c_str());
        }
        kwin_ = start_child(kwin + " --virtual --width 1024 --height 768 --scale " +
                                std::to_string(scale) + " -s " + kSocket,
                            "kwin.log");
        if (!eventually([&] { return exists(dir_ + "/run/" + kSocket); }, 30s))
            GTEST_SKIP() << "KWin did not start here (see " << dir_ << "/kwin.log)";
        hands_ = start_child(std::string(PETALWING_KWIN_INPUT) + " stay", "hands.log");
        backdrop_ =
            start_child(std::string(PETALWING_WAYLAND_PROBE) + " backdrop " + std::to_string(panel),
                        "backdrop.log");
        ASSERT_TRUE(eventually([&] { return log("backdrop.log").find("ready") != npos; }, 15s))
            << "the striped desktop never showed (see " << dir_ << "/backdrop.log)";
        // KWin takes screenshots only while it composites with OpenGL.
        if (!eventually([&] { return took("desktop.png"); }, 15s))
            GTEST_SKIP() << "KWin takes no screenshots here (see " << dir_ << "/run.log)";
        ASSERT_TRUE(eventually(
            [&] { return took("desktop.png") && not_desktop(Image(dir_ + "/desktop.png")) == 0; },
            15s))
            << "KWin never showed the striped desktop alone";
    }

    void end_game() {
        if (!game_) return;
        if (game_->running()) kill(game_->pid(), SIGTERM);
        game_->wait_exit(5s);
        game_.reset();
    }

    void TearDown() override {
        end_game();
        backdrop_.reset();
        hands_.reset();
        kwin_.reset();
        bus_.reset();
        // What a failed or skipped test saw stays for a look.
        if (!HasFailure() && !IsSkipped() && !dir_.empty()) std::system(("rm -rf " + dir_).c_str());
    }

    static bool exists(const std::string& path) {
        struct stat s {};
        return stat(path.c_str(), &s) == 0;
    }

    // `command` in KWin's session, with nothing else of the test's environment.
    std::string in_session(const std::string& command) const {
        // The sanitizers' options (their suppressions of the system libraries' leaks) go on to
        // the game.
        std::string sanitizers;
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* value = std::getenv(name))
                sanitizers += std::string(name) + "=" + value + " ";
        return "env -i PATH=/usr/bin:/bin HOME=" + dir_ + "/home XDG_RUNTIME_DIR=" + dir_ +
               "/run WAYLAND_DISPLAY=" + kSocket + " DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir_ +
               "/bus NO_AT_BRIDGE=1 GIO_USE_VFS=local QT_QPA_PLATFORM=wayland "
               "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 " +
               sanitizers + command;
    }
    int run(const std::string& command) const {
        return std::system(
            ("sh -c '" + in_session(command) + "' >>" + dir_ + "/run.log 2>&1").c_str());
    }
    std::unique_ptr<Child> start_child(const std::string& command, const std::string& log) {
        return std::make_unique<Child>(
            std::vector<std::string>{"sh", "-c", "exec " + in_session(command)}, "",
            dir_ + "/" + log);
    }
    std::string log(const std::string& name) const {
        std::ifstream in(dir_ + "/" + name);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void start_game(const std::vector<std::string>& args = {}) {
        std::string command = kExe + " --desktop wayland --trace " + trace_path();
        for (const auto& a : args)
            command += " " + a;
        game_ = start_child(command, "game.log");
    }
    std::string trace_path() const { return dir_ + "/trace.jsonl"; }
    std::vector<Json> trace() const { return read_live_trace(trace_path()); }
    bool reached(const std::string& phase, std::chrono::milliseconds timeout) const {
        return eventually([&] { return has_phase(trace(), phase); }, timeout);
    }
    // The last frame written once one that `holds` is, waiting up to 5 s; nullopt if none.
    std::optional<Json> frame_where(const std::function<bool(const Json&)>& holds) const {
        std::optional<Json> found;
        const bool held = eventually(
            [&] {
                found = last_frame(trace());
                return found && holds(*found);
            },
            5s);
        return held ? found : std::nullopt;
    }

    // A screenshot of the whole output from KWin, as `name` in the test's folder.
    bool took(const std::string& name) const {
        const std::string path = dir_ + "/" + name;
        std::remove(path.c_str());
        return run("timeout 30 spectacle -b -n -f -o " + path) == 0 && Image(path).ok();
    }
    Image shot(const std::string& name) const {
        EXPECT_TRUE(took(name)) << "no screenshot (see " << dir_ << "/run.log)";
        return Image(dir_ + "/" + name);
    }
    void click(int x, int y, int button) const {
        run(std::string(PETALWING_KWIN_INPUT) + " move " + std::to_string(x) + " " +
            std::to_string(y) + " click " + std::to_string(button));
    }
    void keys(const std::string& steps) const {
        run(std::string(PETALWING_KWIN_INPUT) + " " + steps);
    }

    // What the screen should show where no game window is.
    Rgb desktop_at(int x, int y) const { return y >= 768 - panel_ ? kPanelGrey : stripe(x, y); }
    // How many pixels of `picture` (each logical pixel a block of scale x scale) are not the
    // desktop's.
    int not_desktop(const Image& picture) const {
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += picture.at(x, y) != desktop_at(x / scale_, y / scale_);
        return count;
    }

    static constexpr std::size_t npos = std::string::npos;
    static inline const std::string kSocket = "wayland-petalwing";
    std::string dir_;
    int panel_ = 0, scale_ = 1;
    std::unique_ptr<Child> bus_, kwin_, hands_, backdrop_, game_;

    // The game's title as KWin shows it is the virtual desktop's picture of it, each pixel a
    // block of scale x scale.
    void expect_the_virtual_title() {
        start_game();
        ASSERT_TRUE(reached("title", 20s)) << log("game.log");
        std::this_thread::sleep_for(1500ms);
        const auto virtual_title = virtual_pictures(
            [&](int ms) { return dir_ + "/virtual-" + std::to_string(ms) + ".png"; }, 0, {1500});
        expect_title_is_the_virtual_one(shot("title.png"), virtual_title.front(), scale_);
    }
};

TEST_F(KWinNative, TheTitleIsTheVirtualDesktopsPicturePixelForPixel) {
    expect_the_virtual_title();
}

// The same desktop on an output of scale 2.
class KWinNativeAtScaleTwo : public KWinNative {
  protected:
    int scale() const override { return 2; }
};

// There the title is the virtual desktop's picture with every pixel a block of 2 x 2.
TEST_F(KWinNativeAtScaleTwo, TheTitleIsTheVirtualDesktopsPictureDoubled) {
    expect_the_virtual_title();
}

// The same desktop with a panel that reserves the bottom 30 pixels.
class KWinNativeAbovePanel : public KWinNative {
  protected:
    int panel() const override { return 30; }
};

// The autopilot plays a whole game, from x = 600 so that the boss comes soon, above a panel
// that reserves 30 pixels. Stopped twice in play and once in the fight, the screen shows
// nothing but the game and the desktop; a click where a full-screen game window is
// transparent reaches the desktop below; the game reaches its ending, and once it is gone only
// the desktop is left.
TEST_F(KWinNativeAbovePanel, TheAutopilotPlaysToTheEndingLeavingNoStalePixels) {
    const auto path_of = [&](int ms) { return dir_ + "/virtual-" + std::to_string(ms) + ".png"; };
    // The scenery as the virtual desktop shows it along the same route: the title, play, and
    // the fight at the boss's end.
    std::vector<Image> references = virtual_pictures(path_of, 30, {1500});
    for (Image& picture :
         virtual_pictures(path_of, 30, {8000, 14000, 25000}, {"--autopilot", "--seed", "1", "600"}))
        references.push_back(std::move(picture));
    const SpriteSheet sheet(dir_ + "/sprites.png");
    start_game({"--autopilot", "600"});
    ASSERT_TRUE(reached("play", 20s)) << log("game.log");

    // The ground stands on the panel, the lamp at the bottom left just above it.
    const auto settled = frame_where([](const Json& f) { return f["n"].integer() > 20; });
    ASSERT_TRUE(settled);
    for (const Shown& w : shown_in(*settled)) {
        if (w.name == "frmBG") {
            EXPECT_EQ(w.top + w.height, 768 - 30) << "the ground";
        }
        if (w.name == "frmShe") {
            EXPECT_EQ(w.left, 0);
            EXPECT_EQ(w.top + w.height, 768 - 30) << "the lamp";
        }
    }

    const pid_t game = game_->pid();
    const auto check_stopped = [&](const std::string& name) {
        stop_and_check(
            name, game, [&] { kill(game, SIGCONT); }, [&] { return trace(); },
            [&] { return shot(name + ".png"); }, references, sheet,
            [&](int x, int y) { return desktop_at(x, y); });
    };
    // Waits `seconds` into `phase`.
    const auto into = [&](const std::string& phase, int seconds) {
        ASSERT_TRUE(reached(phase, 120s)) << "the autopilot never reached the " << phase;
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
    };
    into("play", 5);
    check_stopped("play");
    std::this_thread::sleep_for(6s);
    check_stopped("play-later");

    // The enemy shots' window covers the whole screen; far above the scenery it is clear.
    click(512, 60, 1);
    EXPECT_TRUE(eventually([&] { return log("backdrop.log").find("click 512 60 1") != npos; }, 5s))
        << "the click did not reach the desktop below the game";

    // The fight, once the boss has made its entrance (no frames run meanwhile).
    ASSERT_TRUE(eventually(
        [&] {
            const auto frame = last_frame(trace());
            return frame && (*frame)["bBossFight"].integer() != 0;
        },
        60s))
        << "the autopilot never fought the boss";
    std::this_thread::sleep_for(2s);  // frames from the fight on either side of the stop
    check_stopped("boss");
    // The staff roll and the petals run no frames, so the trace says nothing of where their
    // windows are: there the screen is only looked at (staff.png, ending.png).
    into("staff", 15);
    shot("staff.png");
    into("ending", 5);
    shot("ending.png");
    end_game();
    std::this_thread::sleep_for(1s);
    const Image ended = shot("ended.png");
    ASSERT_TRUE(ended.ok());
    EXPECT_EQ(not_desktop(ended), 0) << "pixels of the game are left once it has gone";
}

// Keys from KWin's fake keyboard start the game and steer the ship. Escape pauses the game and
// hands the keyboard back to the desktop, so keys no longer reach the game, until a click on
// the lamp gives it the keyboard again (and Escape resumes).
TEST_F(KWinNative, KeysStartAndSteerTheShipAndEscapeHandsTheKeyboardBack) {
    start_game();
    ASSERT_TRUE(reached("title", 20s)) << log("game.log");
    std::this_thread::sleep_for(500ms);
    keys("key space");
    ASSERT_TRUE(reached("play", 10s)) << "Space did not start the game";
    const auto x0 = frame_where([](const Json&) { return true; });
    ASSERT_TRUE(x0);
    keys("down right wait 800 up right");
    EXPECT_TRUE(frame_where([&](const Json& f) { return f["nX"].num() > (*x0)["nX"].num(); }))
        << "Right did not move the ship";

    keys("key escape");
    const auto paused = frame_where([](const Json& f) { return f["bPause"].integer() != 0; });
    ASSERT_TRUE(paused) << "Escape did not pause";
    std::this_thread::sleep_for(1s);
    keys("key escape");
    std::this_thread::sleep_for(1500ms);
    EXPECT_NE(last_frame(trace()).value()["bPause"].integer(), 0)
        << "the game kept the keyboard after Escape";

    // The lamp, from the game's own record of it.
    for (const Json& w : (*paused)["windows"].arr())
        if (w["name"].str() == "frmShe")
            click(w["left"].integer() + 3, w["top"].integer() + w["height"].integer() / 2, 1);
    keys("key escape");
    EXPECT_TRUE(frame_where([](const Json& f) { return f["bPause"].integer() == 0; }))
        << "a click on the lamp did not give the game the keyboard again";
}

// A right click on the lamp opens the game's menu; its last item, "終了", chosen with the keys,
// ends the game with code 0.
TEST_F(KWinNative, TheLampsMenuOpensOnARightClickAndItsQuitEndsTheGame) {
    start_game();
    ASSERT_TRUE(reached("title", 20s)) << log("game.log");
    std::this_thread::sleep_for(500ms);
    click(4, 762, 3);  // the lamps stand in the bottom left corner
    const auto has = [&](const std::string& ev) {
        const auto t = trace();
        return std::any_of(t.begin(), t.end(), [&](const Json& r) { return r["ev"].str() == ev; });
    };
    ASSERT_TRUE(eventually([&] { return has("menu"); }, 10s)) << "no menu opened";
    std::this_thread::sleep_for(500ms);
    keys("key up wait 300 key return");
    EXPECT_EQ(game_->wait_exit(10s), 0) << "the menu's quit did not end the game with 0";
    const auto t = trace();
    EXPECT_TRUE(std::any_of(t.begin(), t.end(), [](const Json& r) {
        return r["ev"].str() == "command" && r["item"].str() == "終了";
    }));
}

}  // namespace
}  // namespace pw::desktop_test
