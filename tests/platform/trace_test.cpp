// The run's trace on every desktop: a file that cannot be written is said in one line and ends
// the run with code 2, never silently; a real desktop's run is recorded in its own
// milliseconds and stops when asked to.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "platform/headless/headless_desktop.hpp"
#include "platform/json.hpp"
#include "platform/recorded_desktop.hpp"
#include "platform/trace_file.hpp"
#include "support/json_value.hpp"
#include "support/run_game.hpp"

namespace pw {
namespace {

using platform::ProgramEnd;
using platform::TraceFile;

std::string message_of(const std::string& path) {
    try {
        TraceFile file(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(TraceFile, TextsReadBackAsWrittenWhateverTheyHold) {
    const std::string path = test::temp_path("texts.jsonl");
    const std::vector<std::string> texts = {"",
                                            "frmBG",
                                            "\"quoted\" \\ back",
                                            "line\nbreak\ttab\r",
                                            std::string("nul\0x\x1f", 6),
                                            "生きて帰れるかな？！",
                                            "\\"};
    {
        TraceFile file(path);
        for (const auto& text : texts) {
            json::Fields f;
            f.str("text", text);
            file.write(0, "balloon", f.text());
        }
        file.flush();
    }
    const auto records = test::read_trace(path);
    ASSERT_EQ(records.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(records[i]["text"].str(), texts[i]) << i;
}

TEST(TraceFile, NestedListsAndObjectsReadBackWithTheirCommasInPlace) {
    // A frame record nests lists of objects, some of them empty, and texts that end in brackets.
    json::Fields f;
    f.num("n", 1).array("none").close_array();
    f.array("windows");
    for (const char* name : {"frmBG[", "{frmPlayer"})
        f.item().str("name", name).object("at").num("x", 3).close_object().close_object();
    f.close_array().object("shot").close_object().str("last", "[");
    const auto record = test::Json::parse('{' + f.text() + '}');
    EXPECT_EQ(record["n"].num(), 1);
    EXPECT_EQ(record["none"].arr().size(), 0u);
    ASSERT_EQ(record["windows"].arr().size(), 2u);
    EXPECT_EQ(record["windows"].arr()[1]["name"].str(), "{frmPlayer");
    EXPECT_EQ(record["windows"].arr()[1]["at"]["x"].num(), 3);
    EXPECT_TRUE(record["shot"].obj().empty());
    EXPECT_EQ(record["last"].str(), "[");
}

TEST(TraceFile, APathThatCannotBeWrittenIsRefusedInOneLineNamingIt) {
    const std::string folder = test::temp_path("folder");
    std::filesystem::create_directories(folder);
    const std::string file = test::temp_path("plain");
    std::ofstream(file) << "x";
    for (const std::string& path : {folder + "/missing/trace.jsonl", folder, file + "/trace"}) {
        const std::string message = message_of(path);
        EXPECT_NE(message.find("cannot write the trace"), std::string::npos) << path;
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
    EXPECT_NE(message_of(folder).find("directory"), std::string::npos);
}

TEST(TraceFile, AFailedWriteEndsTheRunWithCode2OnceAndDropsWhatFollows) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    TraceFile live("/dev/full", true);
    try {
        live.write(0, "setup", "");
        ADD_FAILURE() << "a write to a full disk went unnoticed";
    } catch (const ProgramEnd& end) {
        EXPECT_EQ(end.exit_code, 2);
        EXPECT_NE(end.message.find("No space left"), std::string::npos) << end.message;
    }
    EXPECT_NO_THROW(live.write(1, "end", "\"code\":2"));
    EXPECT_NO_THROW(live.flush());

    // Buffered records fail at the latest when the run's end is written out.
    TraceFile buffered("/dev/full");
    buffered.write(0, "setup", "");
    EXPECT_THROW(buffered.flush(), ProgramEnd);
}

TEST(TraceFile, ALiveTraceShowsEveryRecordAtOnceAndFramesWithinASecond) {
    const std::string path = test::temp_path("live.jsonl");
    TraceFile live(path, true);
    const auto lines = [&] { return test::read_trace(path).size(); };
    live.write(0, "frame", "");
    EXPECT_EQ(lines(), 1u) << "the first record shows at once";
    live.write(400, "frame", "");
    live.write(1000, "frame", "");
    EXPECT_EQ(lines(), 3u) << "frames a second after the last write";
    live.write(1050, "frame", "");
    live.write(1100, "phase", "\"phase\":\"boss\"");
    EXPECT_EQ(lines(), 5u) << "a phase shows at once, with the frames before it";
}

TEST(TraceFile, ALongRunHandsItsRecordsToTheFileWithoutWaitingForTheEnd) {
    const std::string path = test::temp_path("long.jsonl");
    {
        TraceFile trace(path);
        const std::string fields = "\"windows\":\"" + std::string(2000, 'w') + "\"";
        for (std::uint64_t t = 0; t < 20 * 60 * 50; t += 50)
            trace.write(t, "frame", fields);
        EXPECT_GT(std::filesystem::file_size(path), 1000u * 2000u)
            << "a minute of frames is held back in memory";
    }
    EXPECT_EQ(test::read_trace(path).size(), 20u * 60u) << "records lost when the trace closed";
}

// The virtual desktop stands in for a real one: its clock is one the test controls.
class Recorded : public ::testing::Test {
  protected:
    std::unique_ptr<platform::RecordedDesktop> record(std::optional<std::uint64_t> until) {
        auto inner = std::make_unique<headless::HeadlessDesktop>(headless::Options{}, 0xFFFFFF00u);
        inner_ = inner.get();
        return std::make_unique<platform::RecordedDesktop>(std::move(inner), path_, until);
    }
    std::string path_ = test::temp_path("recorded.jsonl");
    headless::HeadlessDesktop* inner_ = nullptr;
};

TEST_F(Recorded, RecordsCarryTheMillisecondsSinceTheRunStartedAcrossAClockWrap) {
    {
        auto d = record(std::nullopt);
        EXPECT_TRUE(d->tracing());
        d->sleep_ms(200);
        d->trace("phase", "\"phase\":\"title\"");
        d->sleep_ms(150);  // past the 32-bit wrap
        d->message_box("text", "caption");
        d->finish(0);
    }
    const auto records = test::read_trace(path_);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["t"].num(), 200);
    EXPECT_EQ(records[0]["phase"].str(), "title");
    EXPECT_EQ(records[1]["t"].num(), 350);
    EXPECT_EQ(records[1]["ev"].str(), "msgbox");
    EXPECT_EQ(records[1]["caption"].str(), "caption");
    EXPECT_EQ(records[2]["ev"].str(), "end");
    EXPECT_EQ(records[2]["code"].num(), 0);
}

TEST_F(Recorded, UntilStopsTheRunFromASleepOrAPumpOnceItHasLastedThatLong) {
    auto d = record(120);
    d->sleep_ms(100);
    d->pump();
    EXPECT_THROW(d->sleep_ms(50), ProgramEnd);
    EXPECT_EQ(inner_->elapsed(), 120u) << "it sleeps only up to the limit";

    auto e = record(100);
    inner_->sleep_ms(100);  // time passed while the game was busy
    try {
        e->pump();
        ADD_FAILURE() << "the run went on past its limit";
    } catch (const ProgramEnd& end) {
        EXPECT_EQ(end.exit_code, 0);
    }
}

TEST(TraceOfTheProgram, AnUnwritableTraceIsSaidInOneLineWithCode2OnTheVirtualDesktop) {
    const std::string folder = test::temp_path("no-such-folder");
    for (const std::string& path :
         {folder + "/trace.jsonl", std::filesystem::temp_directory_path().string(),
          std::string("/dev/full")}) {
        if (path == "/dev/full" && !std::filesystem::exists(path)) continue;
        const auto run = test::run_game({"--autopilot", "--until", "3000", "--trace", path});
        EXPECT_EQ(run.exit_code, 2) << path;
        EXPECT_NE(run.stderr_text.find("cannot write the trace"), std::string::npos)
            << run.stderr_text;
        EXPECT_EQ(std::count(run.stderr_text.begin(), run.stderr_text.end(), '\n'), 1)
            << run.stderr_text;
    }
}

}  // namespace
}  // namespace pw
