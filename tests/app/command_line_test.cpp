// The command line and the script file: what is refused before the game starts, and how the
// refusal reads; failures later in the run are said too, never reported as success.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_game.hpp"

namespace pw::test {
namespace {

// One line on stderr that contains `part`, and exit code 2.
void ExpectRefused(const GameRun& run, const std::string& part) {
    EXPECT_EQ(run.exit_code, 2) << run.stderr_text;
    EXPECT_EQ(std::count(run.stderr_text.begin(), run.stderr_text.end(), '\n'), 1)
        << run.stderr_text;
    EXPECT_NE(run.stderr_text.find(part), std::string::npos) << run.stderr_text;
}

TEST(CommandLineRefusal, ATaskbarNearTheIntegerLimitLeavesNoWorkArea) {
    for (const char* taskbar : {"749", "2147483629", "2147483640", "2147483647"})
        for (const bool autopilot : {false, true}) {
            SCOPED_TRACE(taskbar);
            std::vector<std::string> args{"--taskbar", taskbar, "--until", "1000"};
            if (autopilot) args.push_back("--autopilot");
            ExpectRefused(run_game(args), "--taskbar: leaves no work area");
        }
}

TEST(CommandLineRefusal, ScriptNumbersOutsideTheirRange) {
    ExpectRefused(run_game({"--until", "1000"}, "@100 lclick frmSTAFF 2147483647 0\n"),
                  "script line 1: an x in pixels must lie between");
    ExpectRefused(run_game({"--until", "1000"}, "\n@100 rclick frmShe 0 -2147483648\n"),
                  "script line 2: a y in pixels must lie between");
    ExpectRefused(run_game({"--until", "1000"}, "@18446744073709551615 press Left 10\n"),
                  "script line 1: a time in ms");
    ExpectRefused(run_game({"--until", "1000"}, "@10 press Left 18446744073709551600\n"),
                  "script line 1: a duration in ms");
}

TEST(CommandLineRefusal, AScriptThatIsNoRegularFileOrTooLarge) {
    ExpectRefused(run_game({"--script", "/tmp"}), "is not a regular file");
    ExpectRefused(run_game({"--script", "/proc/self/mem"}), "cannot be read");
    const std::string large = temp_path("large.script");
    {
        std::ofstream out(large);
        const std::string comment = "#" + std::string(1023, 'x') + "\n";
        for (int i = 0; i < 17 * 1024; ++i)
            out << comment;
    }
    ExpectRefused(run_game({"--script", large}), "is larger than 16 MB");
}

TEST(CommandLineRefusal, AShotThatCouldNeverBeTaken) {
    ExpectRefused(run_game({"--until", "1000", "--shot", "500:/no/such/folder/a.png"}),
                  "--shot: no folder '/no/such/folder'");
    ExpectRefused(run_game({"--until", "1000", "--shot", "1001:" + temp_path("late.png")}),
                  "--shot: 1001 ms is after --until 1000 ms");
    // Without --until the virtual desktop stops at 600000.
    ExpectRefused(run_game({"--shot", "600001:" + temp_path("late.png")}), "after --until 600000");
    const auto run = run_game({"--until", "1000", "--shot", "1000:" + temp_path("last.png")});
    EXPECT_EQ(run.exit_code, 0) << run.stderr_text;
}

TEST(CommandLineRefusal, AShotThatFailsToWriteEndsTheRunWithAMessage) {
    const auto run = run_game({"--until", "5000", "--shot", "100:/dev/full"});
    ExpectRefused(run, "--shot: cannot write '/dev/full'");
    EXPECT_EQ(run.trace.back()["ev"].str(), "end");
    EXPECT_EQ(run.trace.back()["t"].num(), 100);
}

TEST(CommandLineRefusal, TheUsersTextIsQuotedEscapedAndCut) {
    const auto run = run_game({"--dpi", std::string("9\x1b[2J\n\x01\xff\xc3(") + "\u00e9\u6642"});
    ExpectRefused(run, "--dpi: expected a number, got '9\\x1b[2J\\n\\x01\\xff\\xc3(\u00e9\u6642'");
    const auto nul = run_game({std::string("--x") + '\r' + "y"});
    ExpectRefused(nul, "unknown option '--x\\ry'");
    const auto long_text = run_game({"--seed", std::string(5000, '9') + "x"});
    ExpectRefused(long_text, "got '" + std::string(60, '9') + "'...");
    EXPECT_LT(long_text.stderr_text.size(), 200u);
    const auto script = run_game({"--until", "100"}, "@1 down \x7f\xed\xa0\x80key\n");
    ExpectRefused(script, "unknown key '\\x7f\\xed\\xa0\\x80key'");
}

}  // namespace
}  // namespace pw::test
