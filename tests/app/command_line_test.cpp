// The command line and the script file: what is refused before the game starts, and how the
// refusal reads; failures later in the run are said too, never reported as success.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/options.hpp"
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

TEST(CommandLineAsTyped, ShortHelpAndVersion) {
    const auto help = run_program({"-h"});
    EXPECT_EQ(help.exit_code, 0) << help.stderr_text;
    EXPECT_TRUE(help.stdout_text.starts_with("Usage: petalwing")) << help.stdout_text;
    EXPECT_EQ(help.stdout_text, run_program({"--help"}).stdout_text);
    EXPECT_EQ(help.stderr_text, "");

    const auto version = run_program({"-V"});
    EXPECT_EQ(version.exit_code, 0) << version.stderr_text;
    EXPECT_EQ(version.stdout_text, std::string("petalwing ") + PETALWING_VERSION + "\n");
}

TEST(CommandLineAsTyped, AValueAfterAnEqualsSign) {
    const auto run = run_game({"--until=5000", "--seed=4"});
    EXPECT_EQ(run.exit_code, 0) << run.stderr_text;
    ASSERT_FALSE(run.trace.empty());
    EXPECT_EQ(run.trace.back()["ev"].str(), "end");
    EXPECT_EQ(run.trace.back()["t"].num(), 5000);
    ExpectRefused(run_game({"--headless=yes"}), "--headless takes no value");
    ExpectRefused(run_game({"--until="}), "--until: the value is empty");
}

TEST(CommandLineAsTyped, TwoDashesEndTheOptions) {
    // After "--" a negative start x, and words that look like options, are the game's text.
    const auto negative = run_game({"--until", "200", "--", "-40"});
    EXPECT_EQ(negative.exit_code, 0) << negative.stderr_text;
    ASSERT_NE(negative.first("setup"), nullptr);
    EXPECT_EQ((*negative.first("setup"))["nCmdStartX"].num(), -40);
    const auto word = run_game({"--until", "200", "--", "-x", "--"});
    EXPECT_EQ(word.exit_code, 0) << word.stderr_text;
    // And before it, as before: a number with a dash is the start x.
    const auto plain = run_game({"--until", "200", "-40"});
    EXPECT_EQ((*plain.first("setup"))["nCmdStartX"].num(), -40);
}

TEST(CommandLineAsTyped, ADashAndALetterThatIsNoOptionIsRefused) {
    const auto run = run_game({"-x"});
    ExpectRefused(run, "unknown option '-x' (see --help)");
    EXPECT_TRUE(run.trace.empty());  // refused before the game starts
    ExpectRefused(run_game({"-help"}), "unknown option '-help'");
    ExpectRefused(run_game({"--bogus=1"}), "unknown option '--bogus'");
}

TEST(CommandLineRefusal, AnEmptyValueIsNeverNotGiven) {
    for (const char* option : {"--trace", "--script", "--sprite-sheet", "--shot", "--seed"}) {
        SCOPED_TRACE(option);
        const auto run = run_game({"--until", "200", option, ""});
        ExpectRefused(run, std::string(option) + ": the value is empty");
        EXPECT_TRUE(run.trace.empty());
    }
}

TEST(CommandLineRefusal, ASpriteSheetThatCannotBeWrittenIsABadOutput) {
    for (const char* path : {"/dev/full", "/tmp", "/no/such/folder/sheet.png"}) {
        SCOPED_TRACE(path);
        ExpectRefused(run_program({"--sprite-sheet", path}), "cannot write");
    }
}

// The Windows program takes what its real desktop can do; the virtual desktop's options are
// refused there in one line, and its help does not offer them.
TEST(CommandLineAsTyped, TheWindowsProgramListsAndTakesOnlyItsOwnOptions) {
    const std::string help = app::usage(app::Build::RealDesktopOnly);
    for (const char* own :
         {"--autopilot", "--until MS", "--trace FILE", "-h, --help", "-V, --version"})
        EXPECT_NE(help.find(own), std::string::npos) << own;
    for (const char* other : {"--headless", "--screen", "--dpi", "--raw-dpi", "--taskbar", "--seed",
                              "--script", "--shot", "--sprite-sheet", "virtual"})
        EXPECT_EQ(help.find(other), std::string::npos) << other;
    const auto parse = [](std::vector<std::string> args) {
        return app::parse_options(args, app::Build::RealDesktopOnly);
    };
    EXPECT_NO_THROW(parse({"--autopilot", "--until=100", "--trace", "t.jsonl", "--", "-40"}));
    for (const char* other :
         {"--headless", "--sprite-sheet=a.png", "--script", "--screen", "--seed", "--shot"}) {
        try {
            parse({other, "1"});
            ADD_FAILURE() << other << " was taken";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("is for the virtual desktop"), std::string::npos);
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
        }
    }
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

TEST(CommandLineRefusal, ADesktopOtherThanX11OrWayland) {
    ExpectRefused(run_game({"--desktop", "mir", "--until", "1000"}),
                  "--desktop: expected x11 or wayland, got");
    ExpectRefused(run_game({"--until", "1000", "--desktop"}), "--desktop needs a value");
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
    // A dialog's delay reaches as far as any other time, and the refusal says how far.
    ExpectRefused(run_game({"--until", "1000"}, "dialog 31556952000001\n"),
                  "script line 1: a delay in ms must lie between 0 and 31556952000000");
    EXPECT_EQ(run_game({"--until", "100"}, "dialog 31556952000000\ndialog 4294967296\n").exit_code,
              0);
}

TEST(CommandLineRefusal, AnUnknownFirstWordOfAScriptIsQuoted) {
    ExpectRefused(run_game({"--until", "100"}, "\xef\xbb\xbf@10 down Space\n"),
                  "script line 1: expected '@TIME', 'menu' or 'dialog', got '");
    ExpectRefused(run_game({"--until", "100"}, "wait 10\n"), "got 'wait'");
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

TEST(CommandLineRefusal, OneFailureIsOneLineThoughTheTraceFailsAfterIt) {
    const auto run =
        run_game({"--until", "5000", "--shot", "100:/dev/full", "--trace", "/dev/full"});
    ExpectRefused(run, "--shot: cannot write '/dev/full'");
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
