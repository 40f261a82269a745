// The game is light on the X server: while it plays, a sprite whose picture did not change
// costs a move or a new outline and nothing more. Counted with an X protocol trace (xtrace)
// between the game and a private Xvfb.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "desktop/x_session.hpp"

namespace pw::desktop_test {
namespace {

// The budget is 8 requests a frame on average; GTK's own drawing cycle, back in the way,
// would cost over 20.
constexpr double kMaxRequestsPerFrame = 12;
constexpr double kFrameSeconds = 0.05;

class XTraffic : public DesktopTest {
  protected:
    void SetUp() override {
        if (!have_tool("xtrace")) GTEST_SKIP() << "xtrace is not installed";
        DesktopTest::SetUp();
    }
};

// A display number with neither a socket nor a lock file.
int free_display(int from) {
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(from)) ||
           std::filesystem::exists("/tmp/.X" + std::to_string(from) + "-lock"))
        ++from;
    return from;
}

TEST_F(XTraffic, PlayCostsTheServerAFewRequestsAFrame) {
    const int fake = free_display(std::atoi(x_->display().c_str() + 1) + 1);
    const std::string log = temp("xtrace.txt");
    std::filesystem::remove(log);
    Child proxy({"xtrace", "-d", x_->display(), "-D", ":" + std::to_string(fake), "-n", "-k",
                 "--monotonic-timestamps", "-o", log},
                "", temp("xtrace.log"));
    ASSERT_TRUE(eventually(
        [&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(fake)); }, 5s));
    // The title and the opening balloon take about 3 s (much longer on a loaded machine or
    // under the sanitizers); then the built-in player flies.
    Child game({kExe, "--autopilot", "--until", "16000"}, ":" + std::to_string(fake),
               temp("game.log"));
    ASSERT_EQ(game.wait_exit(60s), 0);
    proxy.terminate();
    proxy.wait_exit(5s);

    std::ifstream in(log);
    const std::regex request(
        R"(^(\d+\.\d+) \d+:<:[0-9a-f]+: *\d+: (?:([\w-]+)-)?Request\(\d+(?:,\d+)?\): (\w+))");
    std::vector<std::pair<double, std::string>> requests;
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_search(line, m, request))
            requests.emplace_back(std::stod(m[1]), m[2].str() + " " + m[3].str());
    }
    ASSERT_FALSE(requests.empty()) << "no X protocol trace";
    // Eight seconds of play, ending before the program closes its windows.
    const double end = requests.back().first - 0.5, start = end - 8.0;
    std::map<std::string, int> kinds;
    int count = 0;
    for (const auto& [t, kind] : requests)
        if (t >= start && t < end) {
            ++count;
            ++kinds[kind];
        }
    const double per_frame = count * kFrameSeconds / (end - start);
    std::string detail;
    for (const auto& [kind, n] : kinds)
        detail += kind + " " + std::to_string(n) + "; ";
    std::cout << "[ X        ] " << per_frame << " requests a frame in play\n";
    EXPECT_LE(per_frame, kMaxRequestsPerFrame) << detail;
    int drawing = 0;  // GTK's drawing cycle paints through RENDER and copies to the window
    for (const auto& [kind, n] : kinds)
        if ((kind.rfind("RENDER ", 0) == 0 && kind.find(" Query") == std::string::npos) ||
            kind == " CopyArea")
            drawing += n;
    EXPECT_EQ(drawing, 0) << detail;
}

}  // namespace
}  // namespace pw::desktop_test
