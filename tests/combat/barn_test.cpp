// Debris bursts: the two kinds, their paths under gravity, fading, the pink dot window and
// the hits on the ship.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "combat/combat_fixture.hpp"
#include "combat/mod_barn.hpp"

namespace pw {
namespace {

class Debris : public test::CombatFixture {
  protected:
    Debris() { PutShip(36 * kPx, 3000); }  // well away from the bursts below
    BARN_INFO& Piece(std::size_t i) { return g->tBarn[i]; }
    std::vector<std::size_t> LiveSlots() {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < g->tBarn.size(); ++i)
            if (g->tBarn[i].bLive) out.push_back(i);
        return out;
    }
    static std::vector<std::size_t> Slots(std::size_t first, std::size_t last) {
        std::vector<std::size_t> out;
        for (auto i = first; i <= last; ++i)
            out.push_back(i);
        return out;
    }
    // A piece flying from (x, y) at `angle` degrees with `speed` twips per time unit.
    BARN_INFO& Arm(std::size_t i, double x, double y, Long angle, double speed, Long fade = 4) {
        auto& b = g->tBarn[i];
        b = {};
        b.bLive = kTrue;
        b.nX0 = x;
        b.nY0 = y;
        b.nAngle = angle;
        b.nSpeed = speed;
        b.nEnergy = 255;
        b.nFade = fade;
        return b;
    }
};

TEST_F(Debris, AFountainArmsEighteenPiecesFannedAroundStraightUp) {
    BarnStart(*g, 8200, 9500, 0);
    EXPECT_EQ(LiveSlots(), Slots(1, 18));
    std::set<double> speeds;
    for (std::size_t i = 1; i <= 18; ++i) {
        const auto& b = Piece(i);
        const Long a = 100 + 9 * static_cast<Long>(i - 1);
        EXPECT_GE(b.nAngle, a - 30) << i;
        EXPECT_LE(b.nAngle, a + 30) << i;
        EXPECT_GE(b.nSpeed, 5 * kPx);
        EXPECT_LT(b.nSpeed, 19 * kPx);
        EXPECT_GE(b.nFade, 4);
        EXPECT_LE(b.nFade, 11);
        EXPECT_EQ(b.nEnergy, 255);
        EXPECT_DOUBLE_EQ(b.nX0, 8200);
        EXPECT_DOUBLE_EQ(b.nY0, 9500);
        speeds.insert(b.nSpeed);
    }
    // Re-seeding from the same clock reading still gives every piece its own speed.
    EXPECT_EQ(speeds.size(), 18u);
}

TEST_F(Debris, ASprayArmsSixteenPiecesToTheLeftSomeTenTwipsHigher) {
    BarnStart(*g, 12000, 9000, 1);
    EXPECT_EQ(LiveSlots(), Slots(1, 16));
    for (std::size_t i = 1; i <= 16; ++i) {
        const auto& b = Piece(i);
        const Long a = 240 + 2 * static_cast<Long>(i - 1);
        EXPECT_GE(b.nAngle, a - 30) << i;
        EXPECT_LE(b.nAngle, a + 30) << i;
        EXPECT_TRUE(b.nY0 == 9000 || b.nY0 == 8990) << b.nY0;
    }
    BarnStart(*g, 12000, 9000, 2);  // no such kind
    EXPECT_EQ(LiveSlots(), Slots(1, 16));
}

TEST_F(Debris, ARunningPieceIsNeverReArmed) {
    BarnStart(*g, 8200, 9500, 0);
    for (int frame = 0; frame < 3; ++frame)
        BarnMove(*g);
    Piece(5).bLive = kFalse;  // one piece has died
    const BARN_INFO running = Piece(6);
    BarnStart(*g, 4000, 9000, 1);
    EXPECT_DOUBLE_EQ(Piece(6).nX0, running.nX0);
    EXPECT_DOUBLE_EQ(Piece(6).nTime, running.nTime);
    EXPECT_DOUBLE_EQ(Piece(6).nSpeed, running.nSpeed);
    EXPECT_DOUBLE_EQ(Piece(5).nX0, 4000);  // the free slot took the new burst
    EXPECT_DOUBLE_EQ(Piece(5).nTime, 0);
}

TEST_F(Debris, AFountainPieceRisesThenFallsAndIsDrawnFirstAtItsOrigin) {
    auto& b = Arm(3, 8000, 9000, 180, 30);
    ASSERT_EQ(BarnMove(*g), kTrue);
    EXPECT_DOUBLE_EQ(b.nY, 9000);
    std::vector<double> ys;
    while (b.bLive && ys.size() < 100) {
        BarnMove(*g);
        if (b.bLive) ys.push_back(b.nY);
    }
    // Up while the launch outruns gravity: 30 t against 5 t², turning at t = 3.
    const auto top = std::min_element(ys.begin(), ys.end()) - ys.begin();
    EXPECT_GE(top, 18);
    EXPECT_LE(top, 20);
    EXPECT_LT(ys[0], 9000);
    EXPECT_GT(ys.back(), ys[static_cast<std::size_t>(top)]);
    EXPECT_EQ(ys.size() + 1, 63u);  // fade 4: 63 frames drawn
    // The divisor is 180 / 3.14, so 180 degrees is not quite straight up.
    EXPECT_GT(b.nX, 8000.3);
}

TEST_F(Debris, ASprayPieceAt270DegreesFliesLeftAndFallsUnderGravityOnly) {
    auto& b = Arm(1, 12000, 9000, 270, 200);
    for (int frame = 0; frame < 11; ++frame)
        BarnMove(*g);
    // Time 1.5 after ten steps of 0.15 (the eleventh is drawn at 1.5).
    EXPECT_NEAR(b.nX, 12000 - 200 * 1.5, 1.5);
    EXPECT_NEAR(b.nY, 9000 + 5 * 1.5 * 1.5, 1.5);
}

TEST_F(Debris, PiecesLeavingTheScreenAreGoneEvenAboveIt) {
    auto& up = Arm(1, 8000, 20, 180, 200);    // out of the top in the second frame
    auto& left = Arm(2, 20, 9000, 270, 200);  // out of the left edge
    BarnMove(*g);
    EXPECT_TRUE(up.bLive);
    BarnMove(*g);
    EXPECT_FALSE(up.bLive);
    EXPECT_FALSE(left.bLive);
    EXPECT_EQ(BarnMove(*g), kFalse);
    EXPECT_FALSE(g->frmDot->Visible());
}

TEST_F(Debris, AFastFadingPieceLastsTwentyThreeFrames) {
    Arm(0, 8000, 9000, 180, 0, 11);
    int frames = 0;
    while (BarnMove(*g) == kTrue && frames < 100)
        ++frames;
    EXPECT_EQ(frames, 23);
}

TEST_F(Debris, TheDotsAreCutIntoThePinkWindow) {
    Arm(0, 8000, 9000, 0, 0);
    Arm(19, 3010, 6000, 0, 0);
    Arm(20, 5000, 6000, 0, 0);  // beyond the pieces that are moved
    EXPECT_EQ(BarnMove(*g), kTrue);
    auto& w = *g->frmDot;
    EXPECT_TRUE(w.Visible());
    Region expected = Region::rectangle({533, 600, 535, 602});
    expected.combine(expected, Region::rectangle({200, 400, 202, 402}), CombineMode::Or);
    EXPECT_EQ(*w.WindowRgn(), expected);
    EXPECT_FALSE(g->hDotRgn.has_value());
}

TEST_F(Debris, ADotOnTheShipHitsItEveryFrameWhateverItsState) {
    PutShip(8000, 9000);
    g->bInvincible = kTrue;
    Arm(4, 8000 + 2 * kPx, 9000 + 4 * kPx, 0, 0);  // resting on the ship's body
    for (int frame = 0; frame < 3; ++frame) {
        g->tPlayer.bHit = kFalse;
        BarnMove(*g);
        EXPECT_EQ(g->tPlayer.bHit, kTrue) << frame;
    }
    // A dot beside the ship does nothing.
    g->tPlayer.bHit = kFalse;
    Arm(4, 8000 - 3 * kPx, 9000, 0, 0);
    BarnMove(*g);
    EXPECT_EQ(g->tPlayer.bHit, kFalse);
}

}  // namespace
}  // namespace pw
