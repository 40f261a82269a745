// The game native on a Wayland compositor with layer-shell: sway headless with the pixman
// renderer and no Xwayland at all, run as an unprivileged user (nobody, when the tests run as
// root: sway refuses root), a striped desktop below the game and, where a test asks, a panel
// that reserves the bottom of the output. Screenshots come from the compositor (grim), keys
// from a virtual keyboard (wtype), clicks from sway's own seat commands.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <limits>
#include <map>

#include "desktop/wayland_checks.hpp"
#include "desktop/x_session.hpp"
#include "support/json_value.hpp"

namespace pw::desktop_test {
namespace {

using test::Json;
using wayland::expect_title_is_the_virtual_one;
using wayland::has_phase;
using wayland::kPanelGrey;
using wayland::kVirtualWallpaper;
using wayland::last_frame;
using wayland::Shown;
using wayland::shown_in;
using wayland::stripe;

// The program `launcher` runs: itself, or as root the child that runuser started.
pid_t program_of(pid_t launcher) {
    if (getuid() != 0) return launcher;
    pid_t child = launcher;
    eventually(
        [&] {
            std::ifstream children("/proc/" + std::to_string(launcher) + "/task/" +
                                   std::to_string(launcher) + "/children");
            return static_cast<bool>(children >> child);
        },
        5s);
    return child;
}

double ms_of(std::chrono::steady_clock::time_point when) {
    return std::chrono::duration<double, std::milli>(when.time_since_epoch()).count();
}

// The trace of the running game as it grows: each look reads only what was added since the
// last (a line still being written is left for the next). The game counts its time on the
// monotonic clock, as steady_clock does, from a start the test does not know; every record
// seen tells how far behind the test's clock the game's is at most, since a record is never
// read before it was written.
class LiveTrace {
  public:
    explicit LiveTrace(std::string path) : path_(std::move(path)) {}

    const std::vector<Json>& records() {
        std::ifstream in(path_, std::ios::binary);
        in.seekg(read_);
        const std::string added{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        const double seen = ms_of(std::chrono::steady_clock::now());
        std::size_t done = 0;
        for (std::size_t end; (end = added.find('\n', done)) != std::string::npos; done = end + 1)
            records_.push_back(Json::parse(std::string_view(added).substr(done, end - done)));
        read_ += static_cast<std::streamoff>(done);
        if (done > 0) start_ = std::min(start_, seen - records_.back()["t"].num());
        return records_;
    }
    // Looks every 10 ms for `span`: the game writes a frame at once at least every second, so
    // the clock is then known to a few milliseconds.
    void watch(std::chrono::milliseconds span) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
            records();
            std::this_thread::sleep_for(10ms);
        }
    }
    // The game's time at `when`, as far as the records seen tell: never ahead of it.
    double game_ms(std::chrono::steady_clock::time_point when) const {
        return ms_of(when) - start_;
    }

  private:
    std::string path_;
    std::streamoff read_ = 0;
    std::vector<Json> records_;
    double start_ = std::numeric_limits<double>::infinity();
};

// The last frame record written so far.
// What a headless game showed at given times: its pictures of the virtual desktop and the
// sprites of the frames around each (none known where the game ran no frames).
struct VirtualDesktop {
    std::vector<Image> pictures;
    std::vector<std::optional<std::vector<Shown>>> around;

    // Whether picture `i` surely shows scenery or wallpaper at (x, y): no sprite near, nor a
    // dot of a full-screen window of one colour.
    bool bare(std::size_t i, int x, int y) const {
        if (!around[i]) return false;
        return std::none_of(around[i]->begin(), around[i]->end(), [&](const Shown& w) {
            return w.solid_full_screen ? pictures[i].at(x, y) == w.back
                                       : w.name != "frmBG" && w.contains(x, y);
        });
    }
};

// The virtual desktop at the times `ms` of one headless game started with `more`, in `dir`.
VirtualDesktop virtual_desktop(const std::string& dir, int taskbar, const std::vector<int>& ms,
                               const std::vector<std::string>& more = {}) {
    const std::string trace = dir + "/virtual.jsonl";
    std::vector<std::string> argv{kExe,        "--headless",
                                  "--taskbar", std::to_string(taskbar),
                                  "--until",   std::to_string(ms.back() + 500),
                                  "--trace",   trace};
    const auto path = [&](int at) { return dir + "/virtual-" + std::to_string(at) + ".png"; };
    for (int at : ms) {
        argv.push_back("--shot");
        argv.push_back(std::to_string(at) + ":" + path(at));
    }
    argv.insert(argv.end(), more.begin(), more.end());
    Child headless(argv, "", dir + "/virtual.log");
    EXPECT_EQ(headless.wait_exit(60s), 0);
    std::vector<Json> frames;
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);) {
        Json record = Json::parse(line);
        if (record["ev"].str() == "frame") frames.push_back(std::move(record));
    }
    VirtualDesktop result;
    for (int at : ms) {
        result.pictures.emplace_back(path(at));
        // The picture is taken between two frames, within a frame of each.
        const auto next = std::find_if(frames.begin(), frames.end(),
                                       [&](const Json& f) { return f["t"].num() >= at; });
        if (next == frames.begin() || next == frames.end() || (*next)["t"].num() > at + 100 ||
            next[-1]["t"].num() < at - 100) {
            result.around.emplace_back();
            continue;
        }
        std::vector<Shown> shown = shown_in(next[-1]);
        const auto later = shown_in(*next);
        shown.insert(shown.end(), later.begin(), later.end());
        result.around.emplace_back(std::move(shown));
    }
    return result;
}

// The sanitizers' options, for a sanitized game to keep its leak suppressions where the
// environment is cleared.
std::string sanitizer_options() {
    std::string options;
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name)) options += std::string(name) + "=" + value + " ";
    return options;
}

class SwayNative : public ::testing::Test {
  protected:
    // Sway with one output of 1024 x 768 logical pixels at `scale`, the stripes, and a panel
    // `panel` pixels tall.
    void start(int scale, int panel) {
        for (const char* tool : {"sway", "swaymsg", "grim", "wtype", "runuser"})
            if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
        static std::atomic<int> count{0};
        dir_ = "/tmp/petalwing-sway-native-" + std::to_string(getpid()) + "-" +
               std::to_string(count++);
        std::system(("rm -rf " + dir_).c_str());
        mkdir(dir_.c_str(), 0755);
        mkdir((dir_ + "/run").c_str(), 0700);
        panel_ = panel;
        scale_ = scale;
        {
            std::ofstream config(dir_ + "/config");
            config << "xwayland disable\n"
                   << "output HEADLESS-1 resolution " << 1024 * scale << "x" << 768 * scale
                   << " scale " << scale << "\n"
                   << "seat * hide_cursor 100\n"  // no pointer in the screenshots
                   << "focus_follows_mouse no\n";
        }
        if (getuid() == 0) std::system(("chown -R nobody " + dir_).c_str());
        sway_ = std::make_unique<Child>(
            std::vector<std::string>{"sh", "-c",
                                     "exec " + as_user("WLR_BACKENDS=headless WLR_RENDERER=pixman "
                                                       "WLR_LIBINPUT_NO_DEVICES=1 sway -c " +
                                                       dir_ + "/config")},
            "", dir_ + "/sway.log");
        if (!eventually([&] { return run("swaymsg -t get_version") == 0; }, 15s))
            GTEST_SKIP() << "sway did not start here (see " << dir_ << "/sway.log)";
        backdrop_ =
            start_child(std::string(PETALWING_WAYLAND_PROBE) + " backdrop " + std::to_string(panel),
                        "backdrop.log");
        ASSERT_TRUE(eventually([&] { return log("backdrop.log").find("ready") != npos; }, 15s))
            << "the striped desktop never showed (see " << dir_ << "/backdrop.log)";
    }

    // Ends the game itself: as root, ending runuser would leave it running.
    void end_game() {
        if (!game_) return;
        if (game_->running()) kill(program_of(game_->pid()), SIGTERM);
        game_->wait_exit(5s);
        game_.reset();
    }

    void TearDown() override {
        end_game();
        backdrop_.reset();
        sway_.reset();
        if (!HasFailure() && !dir_.empty()) std::system(("rm -rf " + dir_).c_str());
    }

    // `command` as the user sway runs as, in its session. Sway takes its socket's name from
    // SWAYSOCK when no such file is there yet; an empty name would be one that every sway on
    // the machine shares, so that commands reached whichever sway took it first.
    std::string as_user(const std::string& command) const {
        return (getuid() == 0 ? "runuser -u nobody -- " : "") +
               std::string("env -i PATH=/usr/bin:/bin HOME=") + dir_ + " XDG_RUNTIME_DIR=" + dir_ +
               "/run WAYLAND_DISPLAY=wayland-1 NO_AT_BRIDGE=1 SWAYSOCK=" + dir_ +
               "/run/sway.sock " + sanitizer_options() + command;
    }
    int run(const std::string& command) const {
        return std::system(("sh -c '" + as_user(command) + "' >/dev/null 2>&1").c_str());
    }
    std::unique_ptr<Child> start_child(const std::string& command, const std::string& log) {
        return std::make_unique<Child>(
            std::vector<std::string>{"sh", "-c", "exec " + as_user(command)}, "", dir_ + "/" + log);
    }
    std::string log(const std::string& name) const {
        std::ifstream in(dir_ + "/" + name);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void start_game(const std::vector<std::string>& args = {}) {
        std::string command = std::string(kExe) + " --desktop wayland --trace " + trace_path();
        for (const auto& a : args)
            command += " " + a;
        game_ = start_child(command, "game.log");
        live_ = std::make_unique<LiveTrace>(trace_path());
    }
    std::string trace_path() const { return dir_ + "/trace.jsonl"; }
    const std::vector<Json>& trace() { return live_->records(); }
    bool reached(const std::string& phase, std::chrono::milliseconds timeout) {
        return eventually([&] { return has_phase(trace(), phase); }, timeout);
    }

    Image shot(const std::string& name) const {
        const std::string path = dir_ + "/" + name;
        EXPECT_EQ(run("grim " + path), 0);
        return Image(path);
    }
    // A click at (x, y), in one message to sway: it hides the cursor 100 ms after it last
    // moved, and with it takes the pointer from the surface below, so that a press sent later
    // would reach no surface (and would close an open menu). The cursor moves on by a pixel
    // before the press: a surface the cursor only entered has seen no motion yet, and GTK's
    // menu picks an item only on motion.
    void click(int x, int y, int button) const {
        const std::string b = "button" + std::to_string(button);
        run("swaymsg \"seat - cursor set " + std::to_string(x - 1) + " " + std::to_string(y) +
            ", seat - cursor move 1 0, seat - cursor press " + b + ", seat - cursor release " + b +
            "\"");
    }
    // wtype's first key after it plugs its keyboard in may be lost; it waits a moment first.
    void keys(const std::string& wtype_args) const { run("wtype -s 150 " + wtype_args); }

    // What the screen should show where no game window is.
    Rgb desktop_at(int x, int y) const { return y >= 768 - panel_ ? kPanelGrey : stripe(x, y); }

    static constexpr std::size_t npos = std::string::npos;
    std::string dir_;
    int panel_ = 0, scale_ = 1;
    std::unique_ptr<Child> sway_, backdrop_, game_;
    std::unique_ptr<LiveTrace> live_;
};

// The title banner, shown after the scenery, stands above it.
TEST_F(SwayNative, TheTitleIsTheVirtualDesktopsPicturePixelForPixel) {
    start(1, 0);
    if (IsSkipped()) return;  // sway or one of its tools is missing here
    start_game();
    ASSERT_TRUE(reached("title", 20s)) << log("game.log");
    std::this_thread::sleep_for(1500ms);
    expect_title_is_the_virtual_one(shot("title.png"), virtual_desktop(dir_, 0, {1500}).pictures[0],
                                    1);
}

// The same title on an output of scale 2 is the one of scale 1 with every pixel a block of
// 2 x 2.
TEST_F(SwayNative, AnOutputOfScaleTwoShowsTheGameDoubledWithCrispPixels) {
    const auto title_at = [&](int scale) {
        start(scale, 0);
        if (IsSkipped()) return Image("");
        start_game();
        EXPECT_TRUE(reached("title", 20s)) << log("game.log");
        std::this_thread::sleep_for(1500ms);
        Image picture = shot("title-" + std::to_string(scale) + ".png");
        end_game();
        backdrop_.reset();
        sway_.reset();
        std::system(("rm -rf " + dir_).c_str());
        return picture;
    };
    const Image single = title_at(1);
    if (IsSkipped()) return;  // sway or one of its tools is missing here
    const Image doubled = title_at(2);
    ASSERT_TRUE(single.ok());
    ASSERT_TRUE(doubled.ok());
    ASSERT_EQ(doubled.width(), 2048);
    int wrong = 0;
    for (int y = 0; y < doubled.height(); ++y)
        for (int x = 0; x < doubled.width(); ++x)
            if (doubled.at(x, y) != single.at(x / 2, y / 2) && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is not the single one's, doubled";
    EXPECT_EQ(wrong, 0);
}

// The screen of a game stopped between two frames: the game's windows where either frame
// had them (a window mapped in the frame before the stop may not be drawn yet: the
// compositor answers a new surface before it takes its picture, so only those shown a frame
// earlier, in `settled`, must be), the desktop everywhere else; a window of one colour over the
// whole screen shows only its colour; the scenery as in one of the virtual desktop's pictures;
// every sprite drawn. A pixel is a sprite's own only where no other sprite may be and where
// it is unlike every picture of the virtual desktop that surely shows scenery there: one like
// theirs may be the scenery behind a sprite left undrawn.
void expect_only_the_game_and_the_desktop(const Image& shot, const std::vector<Shown>& settled,
                                          const std::vector<Shown>& before,
                                          const std::vector<Shown>& after,
                                          const VirtualDesktop& reference,
                                          const std::function<Rgb(int, int)>& desktop) {
    ASSERT_TRUE(shot.ok());
    std::vector<Shown> all = before;
    all.insert(all.end(), after.begin(), after.end());
    int stale = 0, scenery = 0;
    std::map<std::string, int> drawn;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const Rgb seen = shot.at(x, y);
            if (seen == desktop(x, y)) continue;
            bool mine = false, over_scenery = false, a_dot = false;
            std::optional<std::string> sprite;  // the one sprite here, if only one may be
            bool shared = false;
            for (const Shown& w : all) {
                if (!w.contains(x, y) || (w.solid_full_screen && seen != w.back)) continue;
                mine = true;
                a_dot |= w.solid_full_screen;
                if (!w.solid_full_screen && w.name != "frmBG") {
                    shared |= sprite && *sprite != w.name;
                    sprite = w.name;
                }
                over_scenery |= w.name != "frmBG";
            }
            if (!mine && ++stale <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " belongs to no game window";
            bool like_virtual = false, like_bare = false;
            for (std::size_t i = 0; i < reference.pictures.size(); ++i) {
                const bool same = reference.pictures[i].at(x, y) == seen;
                like_virtual |= same;
                like_bare |= same && reference.bare(i, x, y);
            }
            if (mine && !over_scenery && !like_virtual && ++scenery <= 5)
                ADD_FAILURE() << "scenery pixel " << x << "," << y << " unlike the virtual one";
            if (sprite && !shared && !a_dot && !like_bare) ++drawn[*sprite];
        }
    EXPECT_EQ(stale, 0);
    EXPECT_EQ(scenery, 0);
    for (const Shown& w : before) {
        const bool on_screen =
            w.left < 1024 && w.top < 768 && w.left + w.width > 0 && w.top + w.height > 0;
        const auto in = [&](const std::vector<Shown>& frame) {
            return std::any_of(frame.begin(), frame.end(),
                               [&](const Shown& a) { return a.name == w.name; });
        };
        const bool stays = in(settled) && in(after);
        if (!w.solid_full_screen && w.name != "frmBG" && on_screen && stays) {
            EXPECT_GT(drawn[w.name], 0) << w.name << " is not drawn";
        }
    }
}

// The autopilot plays a whole game above a panel that reserves 30 pixels, its ship starting at
// x = 600 so that the boss comes after some 16 s of play. Stopped in play and in the boss
// fight, the screen shows nothing but the game and the desktop, every sprite drawn; a click
// where a full-screen game window is transparent reaches the desktop below; once the game is
// gone only the desktop is left.
TEST_F(SwayNative, TheAutopilotPlaysToTheEndingAboveAPanelLeavingNoStalePixels) {
    start(1, 30);
    if (IsSkipped()) return;  // sway or one of its tools is missing here
    const std::string route = "600";
    // The virtual desktop's pictures of the same game: the title, play and the boss fight (the
    // boss's end has scenery of its own).
    const VirtualDesktop reference =
        virtual_desktop(dir_, 30, {1500, 8000, 25000}, {"--autopilot", "--seed", "1", route});
    start_game({"--autopilot", route});
    ASSERT_TRUE(reached("play", 20s)) << log("game.log");

    // The ground stands on the panel, the lamp at the bottom left just above it.
    std::vector<Json> frames;
    const auto read_frames = [&] {
        frames.clear();
        for (const Json& r : trace())
            if (r["ev"].str() == "frame") frames.push_back(r);
    };
    ASSERT_TRUE(eventually(
        [&] {
            read_frames();
            return frames.size() > 20;
        },
        20s));
    for (const Shown& w : shown_in(frames.back())) {
        if (w.name == "frmBG") {
            EXPECT_EQ(w.top + w.height, 768 - 30) << "the ground";
        }
        if (w.name == "frmShe") {
            EXPECT_EQ(w.left, 0);
            EXPECT_EQ(w.top + w.height, 768 - 30) << "the lamp";
        }
    }

    const pid_t game = program_of(game_->pid());
    // After `running` more of the game, which tells the test the game's clock, the game is
    // stopped and the screen checked against the frames around the stop.
    const auto check_stopped = [&](const std::string& name, std::chrono::milliseconds running) {
        live_->watch(running);
        const auto stopped = std::chrono::steady_clock::now();
        kill(game, SIGSTOP);
        std::this_thread::sleep_for(300ms);  // what the game committed reaches the screen
        const Image picture = shot(name + ".png");
        const auto resumed = std::chrono::steady_clock::now();
        kill(game, SIGCONT);
        kill(game_->pid(), SIGCONT);  // runuser stops itself when its child stops
        // No frame begins while the game is stopped, and the game's clock is known to far
        // better than half the stop: the first frame begun after the stop's middle is the
        // first after the stop.
        const double middle = live_->game_ms(stopped + (resumed - stopped) / 2);
        const auto after = [&] {
            return std::find_if(frames.begin(), frames.end(),
                                [&](const Json& f) { return f["t"].num() > middle; });
        };
        ASSERT_TRUE(eventually(
            [&] {
                read_frames();
                return after() != frames.end();
            },
            5s))
            << name << ": no frame after the stop";
        const auto first = after();
        ASSERT_GE(first - frames.begin(), 2) << name << ": the stop came too early";
        const double gap = (*first)["t"].num() - first[-1]["t"].num();
        const double stop = std::chrono::duration<double, std::milli>(resumed - stopped).count();
        ASSERT_GE(gap, stop - 10) << name << ": the frames at " << first[-1]["t"].num() << " and "
                                  << (*first)["t"].num() << " ms are not those around the stop of "
                                  << stop << " ms";
        expect_only_the_game_and_the_desktop(picture, shown_in(first[-2]), shown_in(first[-1]),
                                             shown_in(*first), reference,
                                             [&](int x, int y) { return desktop_at(x, y); });
    };
    check_stopped("play", 5s);

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
    check_stopped("boss", 2s);
    // The staff roll and the petals run without frames, so the trace does not say what they
    // show: the game is only seen to reach them.
    EXPECT_TRUE(reached("ending", 120s)) << "the autopilot never reached the ending";
    end_game();
    std::this_thread::sleep_for(1s);
    const Image ended = shot("ended.png");
    ASSERT_TRUE(ended.ok());
    int left_over = 0;
    for (int y = 0; y < ended.height(); ++y)
        for (int x = 0; x < ended.width(); ++x)
            left_over += ended.at(x, y) != desktop_at(x, y);
    EXPECT_EQ(left_over, 0) << "pixels of the game are left once it has gone";
}

// Keys from a virtual keyboard start the game and steer the ship. Escape pauses the game and
// hands the keyboard back to the desktop, so keys no longer reach the game, until a click on
// the lamp gives it the keyboard again (and Escape resumes).
TEST_F(SwayNative, KeysStartAndSteerTheShipAndEscapeHandsTheKeyboardBack) {
    start(1, 0);
    if (IsSkipped()) return;  // sway or one of its tools is missing here
    start_game();
    ASSERT_TRUE(reached("title", 20s)) << log("game.log");
    std::this_thread::sleep_for(500ms);
    keys("-k space");
    ASSERT_TRUE(reached("play", 10s)) << "Space did not start the game";
    // The last frame, once it is one where `holds`; nothing if none comes.
    const auto frame_where = [&](const std::function<bool(const Json&)>& holds) {
        std::optional<Json> found;
        const bool came = eventually(
            [&] {
                found = last_frame(trace());
                return found && holds(*found);
            },
            5s);
        return came ? found : std::nullopt;
    };
    const auto x0 = frame_where([](const Json&) { return true; });
    ASSERT_TRUE(x0);
    keys("-P Right -s 800 -p Right");
    EXPECT_TRUE(frame_where([&](const Json& f) { return f["nX"].num() > (*x0)["nX"].num(); }))
        << "Right did not move the ship";

    keys("-k Escape");
    const auto paused = frame_where([](const Json& f) { return f["bPause"].integer() != 0; });
    ASSERT_TRUE(paused && (*paused)["bPause"].integer() != 0) << "Escape did not pause";
    std::this_thread::sleep_for(1500ms);
    const double still = last_frame(trace()).value()["nX"].num();
    keys("-k Escape");
    std::this_thread::sleep_for(1500ms);
    EXPECT_NE(last_frame(trace()).value()["bPause"].integer(), 0)
        << "the game kept the keyboard after Escape";
    EXPECT_EQ(last_frame(trace()).value()["nX"].num(), still);

    // The lamp, from the game's own record of it.
    for (const Json& w : (*paused)["windows"].arr())
        if (w["name"].str() == "frmShe")
            click(w["left"].integer() + 3, w["top"].integer() + w["height"].integer() / 2, 1);
    keys("-k Escape");
    EXPECT_TRUE(frame_where([](const Json& f) { return f["bPause"].integer() == 0; }))
        << "a click on the lamp did not give the game the keyboard again";
}

// The part of the screen that changed from `before` to `after`: left, top, right, bottom.
std::array<int, 4> changed_box(const Image& before, const Image& after) {
    std::array<int, 4> box{after.width(), after.height(), -1, -1};
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.at(x, y) != after.at(x, y))
                box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                       std::max(box[3], y)};
    return box;
}

// A right click on the lamp opens the game's menu; its last item, "終了", ends the game with
// code 0.
TEST_F(SwayNative, TheLampsMenuOpensOnARightClickAndItsLastItemEndsTheGame) {
    start(1, 0);
    if (IsSkipped()) return;  // sway or one of its tools is missing here
    start_game();
    ASSERT_TRUE(reached("title", 20s)) << log("game.log");
    std::this_thread::sleep_for(500ms);
    const Image title = shot("menu-closed.png");
    click(4, 762, 3);  // the lamps stand in the bottom left corner
    ASSERT_TRUE(eventually(
        [&] {
            const auto& t = trace();
            return std::any_of(t.begin(), t.end(),
                               [](const Json& r) { return r["ev"].str() == "menu"; });
        },
        10s))
        << "no menu opened";
    std::this_thread::sleep_for(500ms);
    const Image menu = shot("menu-open.png");
    ASSERT_FALSE(game_->wait_exit(0ms)) << "the game ended as its menu opened: " << log("game.log");
    ASSERT_TRUE(title.ok() && menu.ok());
    // The menu opens above the click, at the bottom of the screen: its last item is its
    // lowest quarter.
    const auto [left, top, right, bottom] = changed_box(title, menu);
    ASSERT_TRUE(bottom - top > 20 && bottom - top < 200 && right - left < 400)
        << "the menu is not on the screen, or not alone: " << left << "," << top << " to " << right
        << "," << bottom;
    click((left + right) / 2, bottom - (bottom - top) / 4, 1);
    const auto code = game_->wait_exit(10s);
    ASSERT_TRUE(code) << "the game did not end";
    EXPECT_EQ(*code, 0);
    const auto& t = trace();
    EXPECT_TRUE(std::any_of(t.begin(), t.end(), [](const Json& r) {
        return r["ev"].str() == "command" && r["item"].str() == "終了";
    })) << "the game did not record the choice";
    game_.reset();
}

// The ship is a sprite of the stage: its right click reaches the game from the seat's pointer,
// and the menu opens there all the same; its first item opens the version dialog, a window of
// its own.
TEST_F(SwayNative, TheShipsMenuOpensOnARightClickAndItsFirstItemShowsTheVersion) {
    start(1, 0);
    if (IsSkipped()) return;  // sway or one of its tools is missing here
    start_game();
    ASSERT_TRUE(reached("title", 20s)) << log("game.log");
    std::this_thread::sleep_for(500ms);
    const Image title = shot("ship-menu-closed.png");
    const auto& setup = trace().front();
    ASSERT_EQ(setup["ev"].str(), "setup");
    // The ship's middle, from its place in twips (15 to the pixel).
    click(static_cast<int>(setup["nX"].num()) / 15 + 8,
          static_cast<int>(setup["nY"].num()) / 15 + 4, 3);
    const auto traced = [&](const std::string& ev) {
        const auto& t = trace();
        return std::any_of(t.begin(), t.end(), [&](const Json& r) { return r["ev"].str() == ev; });
    };
    ASSERT_TRUE(eventually([&] { return traced("menu"); }, 10s)) << "no menu opened";
    std::this_thread::sleep_for(500ms);
    const Image menu = shot("ship-menu-open.png");
    ASSERT_FALSE(game_->wait_exit(0ms)) << "the game ended as its menu opened: " << log("game.log");
    const auto [left, top, right, bottom] = changed_box(title, menu);
    ASSERT_TRUE(bottom - top > 20 && bottom - top < 200 && right - left < 400)
        << "the menu is not on the screen, or not alone: " << left << "," << top << " to " << right
        << "," << bottom;
    click((left + right) / 2, top + (bottom - top) / 4, 1);
    EXPECT_TRUE(eventually([&] { return traced("dialog"); }, 10s)) << "no version dialog opened";
}

}  // namespace
}  // namespace pw::desktop_test
