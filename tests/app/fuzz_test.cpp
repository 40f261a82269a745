// Bounded, seeded fuzzing of what users type: scripts from a grammar with hostile numbers and
// bytes, played for a few virtual seconds, and whole command lines run as the program. The
// classes of fault these found (numbers that overflow, input read without limits, a second
// menu under an open dialog) must not come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "driver/mod_Define.hpp"
#include "game/game_state.hpp"
#include "platform/headless/headless_desktop.hpp"
#include "support/run_game.hpp"

namespace pw {
namespace {

class Words {
  public:
    explicit Words(unsigned seed) : rng_(seed) {}
    template <class T>
    const T& pick(const std::vector<T>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng_)];
    }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    std::string number() {
        static const std::vector<std::string> edges{"0",
                                                    "1",
                                                    "-1",
                                                    "5",
                                                    "2147483647",
                                                    "2147483648",
                                                    "-2147483648",
                                                    "4294967295",
                                                    "65535",
                                                    "65536",
                                                    "-65536",
                                                    "1e3",
                                                    "0x10",
                                                    "",
                                                    "18446744073709551615",
                                                    "18446744073709551616",
                                                    "99999999999999999999999",
                                                    "+3",
                                                    "3.5",
                                                    "12\r5"};
        return below(3) ? std::to_string(below(6000)) : pick(edges);
    }
    std::string junk() {
        std::string s;
        for (int i = below(6); i > 0; --i)
            s += static_cast<char>(below(256));
        return s;
    }

  private:
    std::mt19937 rng_;
};

std::string RandomScript(Words& w) {
    static const std::vector<std::string> keys{"Space", "Left",   "Right", "Up",   "Down",
                                               "Home",  "Escape", "space", "Enter"};
    static const std::vector<std::string> windows{"frmShe",  "frmPlayer",     "frmC",   "frmSTAFF",
                                                  "frmBoss", "frmEnemies(2)", "nothing"};
    static const std::vector<std::string> items{"バージョン情報", "終了", "none", "-", "x"};
    std::string s = "@0 down Space\n";
    for (int n = w.below(12); n > 0; --n) {
        const std::string at = "@" + (w.below(4) ? std::to_string(w.below(3000)) : w.number());
        switch (w.below(8)) {
            case 0:
                s += at + " down " + w.pick(keys);
                break;
            case 1:
                s += at + " up " + w.pick(keys);
                break;
            case 2:
                s += at + " press " + w.pick(keys) + " " + w.number();
                break;
            case 3:
                s += at + (w.below(2) ? " rclick " : " lclick ") + w.pick(windows) + " " +
                     w.number() + " " + w.number();
                break;
            case 4:
                s += "menu " + w.pick(items);
                break;
            case 5:
                s += "dialog " + w.number();
                break;
            case 6:
                s += at + " " + w.junk();
                break;
            default:
                s += w.junk();
                break;
        }
        s += w.below(5) ? "\n" : "\r\n";
    }
    return s;
}

TEST(Fuzz, ScriptsParseOrAreRefusedAndPlayForThreeVirtualSecondsWithoutFault) {
    Words w(20261209);
    int played = 0;
    for (int i = 0; i < 400; ++i) {
        const std::string text = RandomScript(w);
        SCOPED_TRACE(text);
        headless::Options o;
        try {
            o.script = headless::parse_script(text);
        } catch (const headless::ScriptError& e) {
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
            continue;
        }
        // The first forty that parse are played: the game must end only by its own ways.
        if (played++ >= 40) continue;
        o.seed = static_cast<std::uint64_t>(i);
        o.until = 3000;
        headless::HeadlessDesktop desktop(std::move(o));
        Game g(desktop);
        try {
            Main(g, w.number());
        } catch (const platform::ProgramEnd& end) {
            EXPECT_EQ(end.exit_code, 0);
        }
    }
    EXPECT_GT(played, 10);
}

TEST(Fuzz, CommandLinesRunOrAreRefusedInOneLine) {
    Words w(7);
    const std::vector<std::string> options{"--screen", "--dpi",    "--taskbar",   "--seed",
                                           "--until",  "--shot",   "--autopilot", "--bogus",
                                           "-x",       "--raw-dpi"};
    for (int i = 0; i < 24; ++i) {
        std::vector<std::string> args{"--until", std::to_string(500 + w.below(2500))};
        for (int n = 1 + w.below(4); n > 0; --n) {
            const std::string& o = w.pick(options);
            std::string value;
            if (o == "--screen")
                value = (w.below(3) ? std::to_string(64 + w.below(4000)) : w.number()) + "x" +
                        (w.below(3) ? std::to_string(64 + w.below(1000)) : w.number());
            else if (o == "--shot")
                value = w.number() + ":" +
                        (w.below(3) ? test::temp_path("fuzz.png") : "/missing/x.png");
            else if (o != "--autopilot" && o != "--bogus" && o != "-x")
                value = w.below(2) ? std::to_string(w.below(2000)) : w.number() + w.junk();
            if (value.empty() || w.below(2)) {
                args.push_back(o);
                if (!value.empty()) args.push_back(value);
            } else {
                args.push_back(o + "=" + value);
            }
        }
        // The ship's start x, after "--" now and then.
        if (w.below(3) == 0) args.push_back("--");
        if (w.below(2)) args.push_back(w.number() + w.junk());
        std::string shown;
        for (const auto& a : args)
            shown += " [" + a + "]";
        SCOPED_TRACE(shown);
        const auto run = test::run_game(args);
        if (run.exit_code == 2) {
            EXPECT_EQ(std::count(run.stderr_text.begin(), run.stderr_text.end(), '\n'), 1)
                << run.stderr_text;
        } else {
            EXPECT_EQ(run.exit_code, 0) << run.stderr_text;
            EXPECT_EQ(run.trace.back()["ev"].str(), "end");
        }
    }
}

}  // namespace
}  // namespace pw
