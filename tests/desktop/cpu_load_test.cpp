// The game is light on the machine: a minute of play costs well under a twentieth of one
// core, on the X11 desktop (driven with xdotool) as on the virtual one.
#include <gtest/gtest.h>

#include <iostream>

#include "desktop/x_session.hpp"

namespace pw::desktop_test {
namespace {

constexpr auto kPlayTime = 60s;
constexpr double kMaxShareOfACore = 0.05;

// One round of input, repeated over the minute: climb, fire, sink, fire, drift.
constexpr const char* kRound[] = {"keydown Up", "key space",  "keyup Up", "keydown Down",
                                  "key space",  "keyup Down", "key Right"};

// Sanitizers multiply the cost of every instruction; the figure is the normal build's.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

class CpuLoad : public DesktopTest {
  protected:
    void SetUp() override {
        if (kSanitized) GTEST_SKIP() << "CPU load is measured on the normal build";
        DesktopTest::SetUp();
    }
};

TEST_F(CpuLoad, AMinuteOfPlayOnTheX11DesktopTakesUnderFivePercentOfACore) {
    start_game();
    press("space");
    const double cpu_before = game_->cpu_seconds();
    const auto started = std::chrono::steady_clock::now();
    const auto end = started + kPlayTime;
    for (std::size_t step = 0; std::chrono::steady_clock::now() < end; ++step) {
        x_->run(std::string("xdotool ") + kRound[step % std::size(kRound)]);
        std::this_thread::sleep_for(250ms);
    }
    const double cpu = game_->cpu_seconds() - cpu_before;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(game_->running()) << "the game ended during play";
    const double share = cpu / wall;
    std::cout << "[ CPU      ] X11 desktop: " << cpu << " s of CPU in " << wall
              << " s of play = " << share * 100 << "% of one core\n";
    RecordProperty("cpu_percent", std::to_string(share * 100));
    EXPECT_LT(share, kMaxShareOfACore);
}

TEST(CpuLoadHeadless, AMinuteOfPlayOnTheVirtualDesktopTakesUnderFivePercentOfACore) {
    if (kSanitized) GTEST_SKIP() << "CPU load is measured on the normal build";
    const std::string script = "/tmp/petalwing-cpu-headless.script";
    {
        std::ofstream out(script);
        out << "@500 press Space 100\n";
        for (int t = 2000; t < 60000; t += 1750)
            out << "@" << t << " press Up 250\n@" << t + 500 << " press Space 50\n@" << t + 750
                << " press Down 250\n@" << t + 1250 << " press Space 50\n";
    }
    Child game({kExe, "--headless", "--until", "60000", "--script", script}, "",
               "/tmp/petalwing-cpu-headless.log");
    ASSERT_EQ(game.wait_exit(120s), 0);
    const double share = game.cpu_seconds() / 60.0;
    std::cout << "[ CPU      ] virtual desktop: " << game.cpu_seconds()
              << " s of CPU for 60 s of play = " << share * 100 << "% of one core\n";
    RecordProperty("cpu_percent", std::to_string(share * 100));
    EXPECT_LT(share, kMaxShareOfACore);
}

}  // namespace
}  // namespace pw::desktop_test
