// The built-in player: it answers key queries as a keyboard would, waits a moment at the
// title, and plays a whole game from the title to the ending without help.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/options.hpp"
#include "autopilot/autopilot.hpp"
#include "driver/mod_Define.hpp"
#include "rgn/mod_RGN_Proc.hpp"
#include "support/game_fixture.hpp"
#include "support/run_game.hpp"

namespace pw {
namespace {

using platform::Key;
using platform::kKeyHeld;
using platform::kKeyPressedSinceQuery;

TEST(Autopilot, PressesSpaceAtTheTitleAfterAMomentWithTheKeyboardsBits) {
    headless::HeadlessDesktop inner(test::default_desktop());
    Autopilot pilot(inner);
    Game g(pilot);
    pilot.attach(g);
    RGNDataLoad(g.rgnStore);
    GameSetup(g);
    auto& title = *g.frmSTAFF;
    RGNSetSize(4, title);
    RGNSetPicture(g, 4, title);
    title.Show();
    inner.sleep_ms(1);  // the title's wait loop looks again a moment later

    EXPECT_EQ(pilot.key_state(Key::Space), 0);
    inner.sleep_ms(1000);
    EXPECT_EQ(pilot.key_state(Key::Space), 0);
    inner.sleep_ms(600);
    // Pressed since the last query and held; the query clears the first bit only.
    EXPECT_EQ(pilot.key_state(Key::Space), kKeyHeld | kKeyPressedSinceQuery);
    EXPECT_EQ(pilot.key_state(Key::Space), kKeyHeld);
    EXPECT_EQ(pilot.key_state(Key::Home), 0);
    EXPECT_EQ(pilot.key_state(Key::Escape), 0);
}

TEST(Autopilot, TheOptionLetsItStartTheGame) {
    const auto run = test::run_game({"--autopilot", "--until", "4000"});
    EXPECT_EQ(run.exit_code, 0);
    const auto balloons = run.events("balloon");
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0]["text"].str(), "いくぞ！");
    EXPECT_GE(balloons[0]["t"].num(), 1500);  // it looked at the title first
    EXPECT_FALSE(run.events("frame").empty());
}

// Stops the run a while after the ending has begun, and counts the petal steps meanwhile.
class EndingWatch : public platform::DesktopDecorator {
  public:
    EndingWatch(platform::Desktop& inner, std::uint32_t linger)
        : DesktopDecorator(inner), linger_(linger) {}

    void trace(std::string_view ev, std::string_view fields) override {
        if (ev == "phase" && fields.find("\"ending\"") != std::string_view::npos)
            ending_at = time_ms();
        DesktopDecorator::trace(ev, fields);
    }
    platform::WindowHandle create_window(std::string_view name, platform::WindowRole role,
                                         platform::WindowEvents events) override {
        const auto w = DesktopDecorator::create_window(name, role, std::move(events));
        if (name == "frmRGNCommon") petal_windows.insert(w);
        return w;
    }
    bool set_shape(platform::WindowHandle w, std::optional<Region> shape) override {
        if (ending_at && petal_windows.count(w)) ++petal_steps_after_ending;
        return DesktopDecorator::set_shape(w, std::move(shape));
    }
    void sleep_ms(std::uint32_t ms) override {
        DesktopDecorator::sleep_ms(ms);
        if (ending_at && time_ms() - *ending_at >= linger_) platform::end_program(0);
    }

    std::optional<std::uint32_t> ending_at;
    std::set<platform::WindowHandle> petal_windows;
    int petal_steps_after_ending = 0;

  private:
    std::uint32_t linger_;
};

TEST(Autopilot, PlaysAWholeGameFromTheTitleToTheEnding) {
    const std::string trace_path = test::temp_path("autopilot.jsonl");
    {
        auto o = test::default_desktop();
        o.seed = 3;
        o.until = 400'000;
        o.trace_path = trace_path;
        headless::HeadlessDesktop inner(std::move(o));
        EndingWatch watch(inner, 2000);
        Autopilot pilot(watch);
        Game g(pilot);
        pilot.attach(g);
        try {
            Main(g, "");
        } catch (const platform::ProgramEnd&) {
        }
        ASSERT_TRUE(watch.ending_at.has_value()) << "the game was not cleared";
        // Two layers, a step every 50 ms for two seconds.
        EXPECT_GE(watch.petal_steps_after_ending, 2 * 35);
        inner.finish(0);
    }

    const std::vector<test::Json> trace = test::read_trace(trace_path);
    const auto all = [&](std::string_view ev) {
        std::vector<test::Json> out;
        for (const auto& j : trace)
            if (j["ev"].str() == ev) out.push_back(j);
        return out;
    };

    std::vector<std::string> phases;
    std::map<std::string, double> phase_at;
    for (const auto& p : all("phase")) {
        phases.push_back(p["phase"].str());
        phase_at[p["phase"].str()] = p["t"].num();
    }
    EXPECT_EQ(phases,
              (std::vector<std::string>{"title", "play", "boss", "clear", "staff", "ending"}));
    EXPECT_EQ(all("setup").size(), 1u);  // never lost

    std::vector<std::string> said;
    for (const auto& b : all("balloon"))
        said.push_back(b["text"].str());
    EXPECT_EQ(said, (std::vector<std::string>{"いくぞ！", "うぉ！", "生きて帰れるかな？！",
                                              "やられた・・・", "やったぜ！！"}));

    // The boss fell: the last frame before the clear sequence shows the beaten boss.
    const auto frames = all("frame");
    ASSERT_FALSE(frames.empty());
    const auto& last = frames.back();
    EXPECT_EQ(last["bBossDown"].integer(), -1);
    EXPECT_LT(last["nPower"].integer(), 1);
    for (const auto& w : last["windows"].arr())
        if (w["name"].str() == "frmBoss") {
            EXPECT_EQ(w["picture"].integer(), 10);
        }

    // It never used Home, and kept the ship in the work area, above the strip's bottom.
    for (const auto& f : frames) {
        if (f["nLife"].integer() == 3) {
            ASSERT_EQ(f["bInvincible"].integer(), 0) << "at " << f["t"].num();
        }
        for (const auto& w : f["windows"].arr())
            if (w["name"].str() == "frmPlayer") {
                ASSERT_LE(w["top"].integer() + w["height"].integer(), 738) << "at " << f["t"].num();
            }
    }

    // The clear sequence ran in order, and the staff roll took its 38 seconds.
    EXPECT_LT(phase_at["boss"], phase_at["clear"]);
    EXPECT_NEAR(phase_at["ending"] - phase_at["staff"], 37'850, 500);
}

// Runs the program with these arguments; its exit code and the most memory it held, in KB.
std::pair<int, long> run_measured(std::vector<std::string> args) {
    args.insert(args.begin(), PETALWING_EXE);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

TEST(Autopilot, ItsMapsOfTheScenerySpanTheRockNotTheStripWindowsHeightAtAHighDpi) {
    // At 1,440 dpi the strip's window is 1,485 pixels tall over 99 rows of rock; the maps
    // once covered all of it, 800 MB on a screen this wide.
    const auto [code, kb] = run_measured({"--headless", "--screen", "16384x64", "--raw-dpi", "1440",
                                          "--autopilot", "--until", "3000"});
    EXPECT_EQ(code, 0);
    EXPECT_LT(kb, 400 * 1024);
}

// The player's maps and fields are made for the screen the game sees, and every resolution the
// command line takes gives one of a few dozen such screens: each is played into the first
// frames of play, where the fields are made (under AddressSanitizer, a read or write past a
// map's end fails the run).
TEST(Autopilot, PlaysIntoPlayAtEveryResolutionTheCommandLineTakes) {
    std::set<std::tuple<int, int, int, int>> screens;
    for (const bool raw : {false, true})
        for (int dpi = app::kMinDpi; dpi <= app::kMaxDpi; ++dpi) {
            auto o = test::default_desktop();
            o.dpi = dpi;
            o.raw_dpi = raw;
            o.until = 3000;
            o.trace_path = test::temp_path("dpi.jsonl");
            const auto m = headless::HeadlessDesktop(o).screen();
            if (!screens.emplace(m.width_px, m.height_px, m.twips_per_pixel_x, m.cy_fullscreen)
                     .second)
                continue;
            SCOPED_TRACE((raw ? "--raw-dpi " : "--dpi ") + std::to_string(dpi));
            {
                headless::HeadlessDesktop inner(o);
                Autopilot pilot(inner);
                Game g(pilot);
                pilot.attach(g);
                try {
                    Main(g, "");
                } catch (const platform::ProgramEnd& end) {
                    EXPECT_EQ(end.exit_code, 0);
                }
                inner.finish(0);
            }
            const auto trace = test::read_trace(o.trace_path);
            EXPECT_TRUE(std::any_of(trace.begin(), trace.end(),
                                    [](const test::Json& j) { return j["ev"].str() == "frame"; }));
        }
    EXPECT_GT(screens.size(), 60u);
}

}  // namespace
}  // namespace pw
