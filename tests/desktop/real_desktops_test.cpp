// The game on the desktops people play on: a window manager with its panel, two monitors of
// different heights, compositors that draw shadows, Wayland with XWayland, a HiDPI screen, and
// a user who types in another program while the game runs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <regex>

#include "desktop/x_session.hpp"

namespace pw::desktop_test {
namespace {

constexpr Rgb kGrey{128, 128, 128};             // the test desktop's background
constexpr Rgb kVirtualWallpaper{58, 110, 165};  // the virtual desktop's
constexpr Rgb kRootBlack{0, 0, 0};              // bare Xvfb's root window

int bottom(const Geometry& g) {
    return g.y + g.height;
}

bool inside(const Geometry& g, int x, int y) {
    return x >= g.x && x < g.x + g.width && y >= g.y && y < g.y + g.height;
}

Geometry grown(const Geometry& g, int by) {
    return {g.x - by, g.y - by, g.width + 2 * by, g.height + 2 * by};
}

// The top-level windows named `name` in the window tree, with their places on the screen.
std::vector<Geometry> windows_named(const Xvfb& x, const std::string& name) {
    const std::regex line("\"" + name + R"(\":.*\s(\d+)x(\d+)[+-]\d+[+-]\d+\s+\+(-?\d+)\+(-?\d+))");
    std::vector<Geometry> found;
    std::istringstream tree(x.run("xwininfo -root -tree"));
    for (std::string text; std::getline(tree, text);) {
        std::smatch m;
        if (std::regex_search(text, m, line))
            found.push_back({std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[1]), std::stoi(m[2])});
    }
    return found;
}

class RealDesktop : public DesktopTest {
  protected:
    // Starts `argv` beside the game and waits until `ready` holds.
    bool beside(const std::vector<std::string>& argv, const std::function<bool()>& ready) {
        helpers_.push_back(std::make_unique<Child>(argv, x_->display(), temp(argv[0] + ".log")));
        return eventually(ready, 15s);
    }
    bool start_openbox() {
        return beside({"openbox"}, [&] {
            return x_->run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
                   std::string::npos;
        });
    }
    // tint2 with its shipped settings: a 30-pixel panel along the bottom of every monitor.
    std::vector<Geometry> start_tint2(std::size_t monitors) {
        std::vector<Geometry> panels;
        beside({"tint2"},
               [&] { return (panels = windows_named(*x_, "tint2")).size() == monitors; });
        return panels;
    }
    void paint_background() { x_->run("xsetroot -solid rgb:80/80/80"); }

    std::vector<std::unique_ptr<Child>> helpers_;
};

TEST_F(RealDesktop, UnderOpenboxTheGroundStandsOnThePanelsTopEdge) {
    for (const char* tool : {"openbox", "tint2"})
        if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
    ASSERT_TRUE(start_openbox());
    const auto panels = start_tint2(1);
    ASSERT_EQ(panels.size(), 1u);
    start_game();
    const auto scenery = window_geometry(*x_, "frmBG");
    const auto lamp = window_geometry(*x_, "frmShe");
    ASSERT_TRUE(scenery && lamp);
    EXPECT_EQ(bottom(*scenery), panels[0].y);
    EXPECT_EQ(bottom(*lamp), panels[0].y);
}

// A 1280 x 1024 primary monitor beside a 1024 x 768 one, each with its panel: openbox
// publishes one work area for both, whose bottom is the shorter monitor's panel.
class TwoMonitors : public RealDesktop {
  protected:
    TwoMonitors() { screens_ = {"-screen", "0", "2304x1024x24"}; }
};

TEST_F(TwoMonitors, ThePrimarysGroundStandsOnItsOwnPanelWhateverTheWorkAreaSays) {
    for (const char* tool : {"openbox", "tint2", "xrandr"})
        if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
    x_->run("xrandr --setmonitor primary 1280/338x1024/270+0+0 screen");
    x_->run("xrandr --setmonitor side 1024/270x768/203+1280+0 none");
    ASSERT_TRUE(start_openbox());
    auto panels = start_tint2(2);
    ASSERT_EQ(panels.size(), 2u);
    std::sort(panels.begin(), panels.end(), [](auto& a, auto& b) { return a.x < b.x; });
    ASSERT_EQ(panels[0].y, 1024 - 30);
    ASSERT_EQ(panels[1].y, 768 - 30);
    start_game();
    const auto scenery = window_geometry(*x_, "frmBG");
    ASSERT_TRUE(scenery.has_value());
    EXPECT_EQ(scenery->x, 0);
    EXPECT_EQ(bottom(*scenery), panels[0].y);
}

// Compositors: while enemy shots and debris fly in their full-screen cut windows, the desktop
// outside every sprite keeps its colour (a shadow or a dimmed desktop is a darker grey). Where
// the compositor shades some window (the lamp is an ordinary window), the desktop farther than
// `shadow_reach` from every window but the full-screen ones keeps it.
class Compositor : public RealDesktop {
  protected:
    // Starts the compositor `argv` over the grey desktop; whether it keeps running.
    bool start_compositor(const std::vector<std::string>& argv) {
        paint_background();
        if (!beside(argv, [] { return true; })) return false;
        std::this_thread::sleep_for(1s);
        return helpers_.back()->running();
    }
    void expect_desktop_untouched_while_shots_fly(int shadow_reach = 0) {
        start_game("", {"--autopilot"});
        int shots = 0;
        const auto flying = [&] {
            return window_geometry(*x_, "frmEShot").has_value() ||
                   window_geometry(*x_, "frmDot").has_value();
        };
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (shots < 3 && std::chrono::steady_clock::now() < end) {
            if (!flying()) {
                std::this_thread::sleep_for(100ms);
                continue;
            }
            // The boxes of the sprites that are not full-screen: their silhouettes lie within.
            std::vector<Geometry> sprites;
            for (const std::string name :
                 {"frmShe", "frmBG", "frmBG2", "frmPlayer", "frmBoss", "frmSTAFF", "frmShots",
                  "frmEnemies", "frmL", "frmC", "frmR"})
                for (const Geometry& g : windows_named(*x_, name + "[^\"]*"))
                    if (g.width < 1024 || g.height < 768) sprites.push_back(grown(g, shadow_reach));
            const Image shot = screenshot(*x_, temp("flying.png"));
            if (!flying()) continue;
            ASSERT_TRUE(shot.ok());
            int dimmed = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) {
                    if (std::any_of(sprites.begin(), sprites.end(),
                                    [&](const Geometry& g) { return inside(g, x, y); }))
                        continue;
                    const Rgb c = shot.at(x, y);
                    dimmed += c.r == c.g && c.g == c.b && c.r < kGrey.r;
                }
            EXPECT_EQ(dimmed, 0) << "shot " << shots << ": desktop pixels darkened";
            ++shots;
            std::this_thread::sleep_for(1s);
        }
        EXPECT_EQ(shots, 3) << "no shots flew";
    }
};

TEST_F(Compositor, PicomWithItsSampleSettingsDrawsNoShadowOrDimmingAroundTheSprites) {
    const std::string sample = "/usr/share/doc/picom/examples/picom.sample.conf";
    if (!have_tool("picom") || !std::ifstream(sample)) GTEST_SKIP() << "picom is not installed";
    // The sample as it is, but for vsync, which a virtual screen does not have.
    const std::string config = temp("picom.conf");
    x_->run("sed 's/^vsync = true;/vsync = false;/' " + sample + " > " + config);
    ASSERT_TRUE(start_compositor({"picom", "--config", config})) << "picom did not start";
    expect_desktop_untouched_while_shots_fly();
}

// xcompmgr's client-side shadows: offset 15 pixels up and left, blurred over 12, they reach at
// most 21 pixels past their window's rectangle.
constexpr int kXcompmgrShadowReach = 21;

TEST_F(Compositor, XcompmgrsClientShadowsSpareTheSprites) {
    if (!have_tool("xcompmgr")) GTEST_SKIP() << "xcompmgr is not installed";
    // -C: no shadows on docks, which every sprite says it is.
    ASSERT_TRUE(start_compositor({"xcompmgr", "-c", "-C"})) << "xcompmgr did not start";
    expect_desktop_untouched_while_shots_fly();
}

// Without -C xcompmgr shades docks too; it spares a window with an alpha channel only if it saw
// the window mapped before it was first moved. A shadow of the full-screen windows of the shots
// and the debris would dim the whole desktop.
TEST_F(Compositor, XcompmgrsClientShadowsWithDocksShadedLeaveTheDesktopUndimmed) {
    if (!have_tool("xcompmgr")) GTEST_SKIP() << "xcompmgr is not installed";
    ASSERT_TRUE(start_compositor({"xcompmgr", "-c"})) << "xcompmgr did not start";
    expect_desktop_untouched_while_shots_fly(kXcompmgrShadowReach);
}

// The display of weston's XWayland once weston's log says it listens; empty if it never does.
std::string weston_xwayland_display(const std::string& log) {
    std::string display;
    eventually(
        [&] {
            std::ifstream in(log);
            std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::smatch m;
            if (!std::regex_search(all, m, std::regex(R"(xserver listening on display (:\d+))")))
                return false;
            display = m[1];
            return true;
        },
        15s);
    return display;
}

// The lamp is an ordinary window that no window manager takes in here; xcompmgr shaded its
// whole box in most first games on a fresh X server (896 pixels down to grey 97).
TEST_F(Compositor, XcompmgrsClientShadowsCastNoBoxUnderTheLampInTheFirstGame) {
    if (!have_tool("xcompmgr")) GTEST_SKIP() << "xcompmgr is not installed";
    ASSERT_TRUE(start_compositor({"xcompmgr", "-c"})) << "xcompmgr did not start";
    start_game();
    std::this_thread::sleep_for(1s);  // the compositor's shadows are drawn
    const auto lamp = window_geometry(*x_, "frmShe");
    ASSERT_TRUE(lamp.has_value());
    const Image shot = screenshot(*x_, temp("title.png"));
    ASSERT_TRUE(shot.ok());
    const Geometry around = grown(*lamp, kXcompmgrShadowReach);
    int dimmed = 0;
    for (int y = std::max(around.y, 0); y < std::min(bottom(around), shot.height()); ++y)
        for (int x = std::max(around.x, 0); x < std::min(around.x + around.width, shot.width());
             ++x) {
            const Rgb c = shot.at(x, y);
            dimmed += !inside(*lamp, x, y) && c.r == c.g && c.g == c.b && c.r < kGrey.r;
        }
    EXPECT_EQ(dimmed, 0) << "the lamp casts a shadow";
}

// Weston's XWayland ignores X shapes: only the windows' transparency cuts them there.
TEST(Weston, TheTitleShowsTheSilhouettesOnTheBackgroundNotSlabs) {
    for (const char* tool : {"weston", "Xwayland", "weston-screenshooter", "xwininfo"})
        if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
    const std::string runtime = "/tmp/petalwing-weston-" + std::to_string(getpid());
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string socket = "petalwing-" + std::to_string(getpid());
    const std::string log = runtime + "/weston.log";
    Child weston({"weston", "--backend=headless-backend.so", "--use-pixman", "--width=1024",
                  "--height=768", "--xwayland", "--debug", "--idle-time=0", "--socket=" + socket},
                 "", log, -1, "");
    const std::string display = weston_xwayland_display(log);
    ASSERT_FALSE(display.empty()) << "weston did not start XWayland";
    const auto x = Xvfb::attach(display);
    Child game({kExe}, display, runtime + "/game.log");
    ASSERT_TRUE(eventually([&] { return window_geometry(*x, "frmSTAFF").has_value(); }, 20s))
        << "the title never showed";
    std::this_thread::sleep_for(1s);
    const std::string png = runtime + "/screen.png";
    const std::string shoot = "cd " + runtime + " && WAYLAND_DISPLAY=" + socket +
                              " weston-screenshooter && mv wayland-screenshot-*.png " + png;
    ASSERT_EQ(std::system(shoot.c_str()), 0);
    const Image shot(png);
    ASSERT_TRUE(shot.ok());
    // Weston's background is a grey texture; a window drawn as its whole rectangle would lay
    // a white or black slab over it (the scenery strip, the full-screen cut windows).
    int slab = 0, lamp = 0;
    for (int y = 40; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const Rgb c = shot.at(x, y);
            slab += c == Rgb{255, 255, 255} || c == Rgb{0, 0, 0};
        }
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            lamp += shot.at(x, y) == Rgb{0, 255, 0};
    EXPECT_LT(slab, 2000) << "windows show as slabs";
    EXPECT_GE(lamp, 2 * 10 * 9) << "no lamps";
    game.terminate();
    game.wait_exit(5s);
    weston.terminate();
    weston.wait_exit(5s);
    std::system(("rm -rf " + runtime).c_str());
}

// Weston on an X server of its own has a keyboard (headless weston has no seat at all, so no
// window there ever becomes active): the lamp takes the focus when the game starts, and the
// keys typed into weston reach the game.
TEST_F(DesktopTest, UnderWestonWithAKeyboardTheLampTakesTheFocusAndSpaceStartsTheGame) {
    for (const char* tool : {"weston", "Xwayland"})
        if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
    const std::string runtime = "/tmp/petalwing-weston-keys-" + std::to_string(getpid());
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string socket = "petalwing-keys-" + std::to_string(getpid());
    const std::string log = runtime + "/weston.log";
    Child weston(
        {"weston", "--backend=x11-backend.so", "--use-pixman", "--width=1024", "--height=768",
         "--xwayland", "--idle-time=0", "--socket=" + socket, "--log=" + log},
        x_->display(), runtime + "/weston.out");
    const std::string display = weston_xwayland_display(log);
    ASSERT_FALSE(display.empty()) << "weston did not start XWayland";
    const auto inner = Xvfb::attach(display);
    x_->run("xdotool mousemove 512 384");  // the keys go to weston's window, under the pointer
    Child game({kExe}, display, runtime + "/game.log", -1, socket);
    ASSERT_TRUE(eventually([&] { return window_geometry(*inner, "frmSTAFF").has_value(); }, 20s))
        << "the title never showed";
    EXPECT_TRUE(eventually(
        [&] { return inner->run("xdotool getwindowfocus getwindowname") == "frmShe\n"; }, 10s))
        << "the lamp did not take the focus";
    press("space");
    EXPECT_TRUE(eventually([&] { return window_geometry(*inner, "frmPlayer").has_value(); }, 5s))
        << "Space did not reach the game";
    game.terminate();
    game.wait_exit(5s);
    weston.terminate();
    weston.wait_exit(5s);
    std::system(("rm -rf " + runtime).c_str());
}

// Sway's XWayland ignores X shapes too. Sway will not run as root, so as root the test runs
// it, and the game beside it, as the unprivileged user nobody.
TEST(Sway, TheTitleShowsTheSilhouettesOnTheBackgroundNotSlabs) {
    for (const char* tool : {"sway", "Xwayland", "grim", "xwininfo", "runuser"})
        if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
    const std::string dir = "/tmp/petalwing-sway-" + std::to_string(getpid());
    const std::string as_user = getuid() == 0 ? "runuser -u nobody -- " : "";
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/run").c_str(), 0700);
    if (getuid() == 0) std::system(("chown -R nobody " + dir).c_str());
    {
        std::ofstream config(dir + "/config");
        config << "xwayland enable\noutput HEADLESS-1 resolution 1024x768\n"
               << "exec sh -c 'echo $DISPLAY > " << dir << "/display'\n";
    }
    const std::string env = "env -i PATH=/usr/bin:/bin HOME=" + dir + " XDG_RUNTIME_DIR=" + dir +
                            "/run WAYLAND_DISPLAY=wayland-1 ";
    Child sway({"sh", "-c",
                "exec " + as_user + env +
                    "WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c " +
                    dir + "/config"},
               "", dir + "/sway.log");
    std::string display;
    if (!eventually(
            [&] {
                std::ifstream in(dir + "/display");
                return std::getline(in, display) && !display.empty();
            },
            15s))
        GTEST_SKIP() << "sway did not start here (see " << dir << "/sway.log)";
    const auto x = Xvfb::attach(display);
    const auto viewable = [&](const std::string& name) {
        return x->run(as_user + "env DISPLAY=" + display + " xwininfo -name " + name)
                   .find("IsViewable") != std::string::npos;
    };
    // The game gets sway's socket and Wayland display, as every program sway starts does.
    Child game({"sh", "-c",
                "exec " + as_user + "env DISPLAY=" + display + " WAYLAND_DISPLAY=wayland-1" +
                    " SWAYSOCK=$(ls " + dir + "/run/sway-ipc.*) " + kExe},
               "", dir + "/game.log");
    ASSERT_TRUE(eventually([&] { return viewable("frmSTAFF"); }, 20s)) << "the title never showed";
    std::this_thread::sleep_for(1s);
    const std::string png = dir + "/run/screen.png";
    ASSERT_EQ(std::system((as_user + env + "grim " + png).c_str()), 0);
    const Image shot(png);
    ASSERT_TRUE(shot.ok());
    // Sway's background is plain grey; a window drawn as its whole rectangle shows black.
    // Sway would centre the lamp; asked through its socket, it puts it in the lower left
    // corner, at its own size (the lamps' pixels, and nothing of them elsewhere).
    int slab = 0, lamp = 0, lamp_lower_left = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            slab += shot.at(x, y) == Rgb{0, 0, 0};
            const bool green = shot.at(x, y) == Rgb{0, 255, 0};
            lamp += green;
            lamp_lower_left += green && x < 25 && y >= shot.height() - 11;
        }
    EXPECT_LT(slab, 2000) << "windows show as slabs";
    EXPECT_GE(lamp, 2 * 10 * 9) << "no lamps";
    EXPECT_EQ(lamp_lower_left, lamp) << "the lamp is not in the lower left corner";
    game.terminate();
    game.wait_exit(5s);
    sway.terminate();
    sway.wait_exit(5s);
    std::system(("rm -rf " + dir).c_str());
}

// Xft.dpi 192 on a 3840 x 2160 screen: the game of a 1920 x 1080 desktop, twice enlarged.
class HiDpi : public RealDesktop {
  protected:
    HiDpi() { screens_ = {"-screen", "0", "3840x2160x24"}; }
};

TEST_F(HiDpi, AtXftDpi192TheGameIsItsPictureTwiceEnlargedAndTheAutopilotClearsIt) {
    if (!have_tool("xrdb")) GTEST_SKIP() << "xrdb is not installed";
    x_->run("sh -c 'echo Xft.dpi: 192 | xrdb -nocpp -merge'");
    ASSERT_NE(x_->run("xrdb -query").find("192"), std::string::npos);
    start_game();
    const Image shot = screenshot(*x_, temp("title.png"));
    ASSERT_TRUE(shot.ok());
    ASSERT_EQ(shot.width(), 3840);
    const std::string reference = temp("virtual.png");
    Child headless({kExe, "--headless", "--screen", "1920x1080", "--taskbar", "0", "--until",
                    "2000", "--shot", "1500:" + reference},
                   "", temp("virtual.log"));
    ASSERT_EQ(headless.wait_exit(30s), 0);
    const Image expected(reference);
    ASSERT_TRUE(expected.ok());
    int wrong = 0;
    for (int y = 0; y < 2160; ++y)
        for (int x = 0; x < 3840; ++x) {
            const Rgb e = expected.at(x / 2, y / 2);
            const Rgb want = e == kVirtualWallpaper ? kRootBlack : e;
            if (shot.at(x, y) != want && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is not the enlarged game's";
        }
    EXPECT_EQ(wrong, 0);

    game_.reset();
    start_game("", {"--autopilot"});
    EXPECT_TRUE(eventually([&] { return window_geometry(*x_, "frmRGNCommon").has_value(); }, 180s))
        << "the autopilot did not clear the game (no petals fell)";
}

// A user who turned to another program while a game runs keeps the focus when the game is
// lost and starts again.
TEST_F(RealDesktop, AProgramWithTheFocusKeepsItAcrossALostGameAndRestart) {
    for (const char* tool : {"openbox", "xev"})
        if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
    ASSERT_TRUE(start_openbox());
    const auto focused = [&] { return x_->run("xdotool getwindowfocus getwindowname"); };
    // Started from the ship's x of 480 it flies into the rocks: three lives go in seconds.
    start_game("", {"480"});
    EXPECT_TRUE(eventually([&] { return focused() == "frmShe\n"; }, 3s))
        << "the game did not take the focus when the user started it";

    ASSERT_TRUE(beside({"xev", "-name", "terminal"},
                       [&] { return window_geometry(*x_, "terminal").has_value(); }));
    x_->run("xdotool search --name '^terminal$' windowactivate --sync");
    ASSERT_TRUE(eventually([&] { return focused() == "terminal\n"; }, 3s));
    press("space");
    ASSERT_TRUE(eventually([&] { return !window_geometry(*x_, "frmSTAFF"); }, 3s))
        << "Space did not start the game";
    ASSERT_TRUE(eventually([&] { return window_geometry(*x_, "frmSTAFF").has_value(); }, 30s))
        << "the game was not lost";
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(focused(), "terminal\n");
}

}  // namespace
}  // namespace pw::desktop_test
