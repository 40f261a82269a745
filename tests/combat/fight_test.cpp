// Fights on the virtual desktop, end to end through the trace: enemies, their shots, the
// scenery's fountains and a lost game.
#include <gtest/gtest.h>

#include "support/run_game.hpp"

namespace pw::test {
namespace {

const Json& WindowOf(const Json& frame, std::string_view name) {
    for (const auto& w : frame["windows"].arr())
        if (w["name"].str() == name) return w;
    throw std::out_of_range(std::string(name));
}

// The frame records of the first game only.
std::vector<Json> FirstGame(const GameRun& run) {
    std::vector<Json> frames;
    int setups = 0;
    for (const auto& r : run.trace) {
        if (r["ev"].str() == "setup" && ++setups == 2) break;
        if (r["ev"].str() == "frame") frames.push_back(r);
    }
    return frames;
}

TEST(Fight, AnUntouchedShipMeetsEnemiesLosesItsLivesAndBurnsForTwentyOneFrames) {
    const auto run = run_game({"--until", "30000", "--seed", "7"}, "@500 press Space 100\n");
    ASSERT_GE(run.events("setup").size(), 2u) << "the first game should be lost";
    const auto frames = FirstGame(run);

    // The first enemy appears 240 pixels ahead of the ship and has moved one pixel since.
    bool seen_enemy = false, seen_shot = false;
    for (const auto& f : frames) {
        for (const auto& s : f["eshots"].arr())
            seen_shot |= s["bState"].integer() == 1;
        if (seen_enemy || f["enemies"][0]["nType"].integer() != 1) continue;
        seen_enemy = true;
        EXPECT_DOUBLE_EQ(f["enemies"][0]["nX"].num() - f["nX"].num(), 240 * 15 - 15);
        EXPECT_EQ(f["nEnemyMax"].integer(), 3);
        EXPECT_TRUE(WindowOf(f, "frmEnemies(0)")["visible"].boolean());
    }
    EXPECT_TRUE(seen_enemy);
    EXPECT_TRUE(seen_shot);

    // Lives only go down; the records of the burning frames follow the fatal one.
    int burning = 0, last_life = 3;
    for (const auto& f : frames) {
        EXPECT_LE(f["nLife"].integer(), last_life);
        last_life = f["nLife"].integer();
        burning += last_life <= 0;
    }
    EXPECT_EQ(burning, 20);  // the first of the 21 frames starts with the ship still whole
}

TEST(Fight, TheBareTreeThrowsOneFountainAfterAnother) {
    const auto run = run_game({"--until", "8000", "500"}, "@0 down Space\n");
    std::string shown;  // the pink window at the start of every frame
    for (const auto& f : run.events("frame")) {
        const auto& dot = WindowOf(f, "frmDot");
        shown += dot["visible"].boolean() ? '#' : '.';
        if (dot["visible"].boolean()) {
            EXPECT_EQ(dot["back"].str(), "#fcb6ec");
            EXPECT_GE(dot["rects"].integer(), 1);
        }
    }
    // The first frame throws, the second draws; a burst lives while its longest-lived
    // piece does (23 to 63 frames), and the next is thrown in the frame after it is gone.
    ASSERT_EQ(shown.substr(0, 3), "..#") << shown;
    const auto gap = shown.find('.', 2);
    ASSERT_NE(gap, std::string::npos) << shown;
    EXPECT_GE(gap - 2, 23u);
    EXPECT_LE(gap - 2, 63u);
    EXPECT_EQ(shown.substr(gap, 3), "..#") << shown;
}

}  // namespace
}  // namespace pw::test
