// The enemies: the spawn clock, the zones and the slot cycling, flying and waving inside the
// scenery strip, burning at the shared pace, and the boss's fall.
#include <gtest/gtest.h>

#include <set>

#include "combat/combat_fixture.hpp"
#include "combat/mod_Enemy.hpp"
#include "rgn/mod_RGN_Proc.hpp"

namespace pw {
namespace {

class Spawning : public test::CombatFixture {
  protected:
    // Calls EnemyAppear until the spawn clock has run a full round.
    void OneRound() {
        for (int call = 0; call < 40; ++call)
            EnemyAppear(*g);
    }
    int FlyingShots() {
        int n = 0;
        for (const auto& s : g->tEShot)
            n += s.bState;
        return n;
    }
};

TEST_F(Spawning, EveryFortiethCallAnEnemyAppears240PixelsAheadAndFires) {
    PutShip(100 * kPx, 9000);
    for (int call = 0; call < 39; ++call)
        EnemyAppear(*g);
    EXPECT_EQ(Enemy(0).nType, 0);
    EnemyAppear(*g);
    const auto& e = Enemy(0);
    EXPECT_EQ(e.nType, 1);
    EXPECT_FLOAT_EQ(e.nX, (100 + 240) * kPx);
    EXPECT_EQ(e.nMove, 0);  // zone A: straight flyers, at most four
    EXPECT_EQ(g->nEnemyMax, 3);
    EXPECT_EQ(FlyingShots(), 1);  // a new enemy fires at once
    EXPECT_EQ(g->nAppearWait, 0);
    EXPECT_EQ(g->nAppearNo, 1);
}

TEST_F(Spawning, EnemiesStandThreeToEightHeightsAboveTheBottomWithWavesInRange) {
    PutShip(700 * kPx, 9000);
    std::set<float> heights;
    for (int round = 0; round < 60; ++round) {
        Enemy(0).nType = 0;
        g->nAppearNo = 0;
        for (auto& s : g->tEShot)
            s.bState = 0;
        desktop.sleep_ms(7);  // a new clock reading for the re-seed
        OneRound();
        const auto& e = Enemy(0);
        ASSERT_EQ(e.nType, 1);
        heights.insert((kWorkBottom - e.nY) / 150);
        EXPECT_GE(e.nWaveStep, 0);
        EXPECT_LE(e.nWaveStep, 0.099f + 1e-6f);
        EXPECT_GE(e.nWaveEnd, 18);
        EXPECT_LE(e.nWaveEnd, 53);
        EXPECT_LE(e.nWave, e.nWaveEnd);
        EXPECT_GT(e.nWave, e.nWaveEnd - 18);
        EXPECT_EQ(e.nMove, 1);  // zone B: wave flyers, at most three
        EXPECT_EQ(g->nEnemyMax, 2);
    }
    EXPECT_EQ(heights, (std::set<float>{3, 4, 5, 6, 7, 8}));
}

TEST_F(Spawning, ASlotIsLookedForOnlyUpToTheCounterWhichCyclesRegardless) {
    PutShip(100 * kPx, 9000);
    AliveEnemy(0, 9000, 9000);
    g->nAppearNo = 0;
    OneRound();  // slot 0 is taken and slot 1 is not looked at yet
    EXPECT_EQ(Enemy(1).nType, 0);
    EXPECT_EQ(g->nAppearNo, 1);
    OneRound();
    EXPECT_EQ(Enemy(1).nType, 1);
    // The counter wraps after the highest slot in use.
    g->nAppearNo = 3;
    OneRound();
    EXPECT_EQ(Enemy(2).nType, 1);
    EXPECT_EQ(g->nAppearNo, 0);
}

TEST_F(Spawning, AnEnemyFiresAgainWhenItsCounterShows30AndItIsFarEnoughAhead) {
    PutShip(100 * kPx, 9000);
    g->nAppearNo = 2;
    AliveEnemy(0, (100 + 64) * kPx + 1, 9000).nFire = 30;
    AliveEnemy(1, (100 + 64) * kPx, 9000).nFire = 30;  // exactly 64 pixels: too close
    AliveEnemy(2, 9000, 9000).nFire = 29;
    EnemyAppear(*g);
    EXPECT_EQ(FlyingShots(), 1);
    EXPECT_FLOAT_EQ(g->tEShot[0].nX, (100 + 64) * kPx + 1 - kPx);
}

TEST_F(Spawning, TheFireCheckLooksAtTheCounterNotAtTheSlotsState) {
    // A slot keeps the counter it had when its enemy was hit, and fires from where it was.
    PutShip(100 * kPx, 9000);
    g->nAppearNo = 1;
    AliveEnemy(0, 9000, 9000).nFire = 30;
    Enemy(0).nType = 2;
    AliveEnemy(1, 9000, 9000).nFire = 30;
    Enemy(1).nType = 0;
    EnemyAppear(*g);
    EXPECT_EQ(FlyingShots(), 2);
}

class Flying : public test::CombatFixture {
  protected:
    Flying() { PutShip(100 * kPx, 9000); }
};

TEST_F(Flying, AStraightFlyerDriftsOnePixelLeftPaintedBlackAndShown) {
    auto& e = AliveEnemy(0, 6000.5f, 10000.75f);
    EnemyWindow(0).SetBackColor(win::RGB(196, 0, 0));
    EnemyMove(*g);
    EXPECT_FLOAT_EQ(e.nX, 6000.5f - kPx);
    EXPECT_FLOAT_EQ(e.nY, 10000.75f);
    auto& w = EnemyWindow(0);
    EXPECT_TRUE(w.Visible());
    EXPECT_FLOAT_EQ(w.Left(), 5985);  // whole twips
    EXPECT_FLOAT_EQ(w.Top(), 10000);
    EXPECT_EQ(w.BackColor(), win::RGB(0, 0, 0));
    EXPECT_EQ(e.nFire, 1);
}

TEST_F(Flying, AWaveFlyerIsDarkRedAndMovesUpAndDownWithinTheStrip) {
    PutShip(400 * kPx, 9000);  // between the zones a new wave keeps the pattern
    auto& e = AliveEnemy(0, 9000, 10000);
    e.nMove = 1;
    e.nWaveStep = 0.05f;
    std::set<float> ys;
    for (int frame = 0; frame < 200; ++frame) {
        EnemyMove(*g);
        ys.insert(e.nY);
        ASSERT_GE(e.nY, kGroundTop + 16 * kPx);
        ASSERT_LT(e.nY, kWorkBottom - 16 * kPx + 1);  // tested by its whole twips
        if (e.nType == 0) break;
    }
    EXPECT_GT(ys.size(), 20u);
    EXPECT_EQ(EnemyWindow(0).BackColor(), win::RGB(196, 0, 0));
}

TEST_F(Flying, TheStripsEdgesPushTheEnemyBackAndEndItsWave) {
    auto& top = AliveEnemy(0, 9000, kGroundTop);
    auto& bottom = AliveEnemy(1, 9000, kWorkBottom);
    EnemyMove(*g);
    EXPECT_FLOAT_EQ(top.nY, kGroundTop + 16 * kPx);
    EXPECT_FLOAT_EQ(top.nWave, 2 * top.nWaveEnd);
    EXPECT_FLOAT_EQ(EnemyWindow(0).Top(), kGroundTop + 16 * kPx);
    EXPECT_FLOAT_EQ(bottom.nY, kWorkBottom - 16 * kPx);
    EXPECT_FLOAT_EQ(bottom.nWave, 2 * bottom.nWaveEnd);
    // The next frame draws new wave parameters.
    EnemyMove(*g);
    EXPECT_LT(top.nWave, top.nWaveEnd + 0.02f);
    EXPECT_GE(top.nWaveStep, 0.003f);
    EXPECT_LE(top.nWaveStep, 0.0129f + 1e-6f);
}

TEST_F(Flying, TheFireCounterShows30ForOneFrameInThirtyOne) {
    auto& e = AliveEnemy(0, 12000, 10000);
    int thirties = 0;
    for (int frame = 0; frame < 62; ++frame) {
        EnemyMove(*g);
        thirties += e.nFire == 30;
        ASSERT_LE(e.nFire, 30);
    }
    EXPECT_EQ(thirties, 2);
}

TEST_F(Flying, AnEnemyMoreThan36PixelsBehindTheShipIsGone) {
    const float ship = g->frmPlayer->Left();
    auto& e = AliveEnemy(0, ship - 36 * kPx + kPx, 10000);  // after its step: 36 behind
    EnemyMove(*g);
    EXPECT_EQ(e.nType, 1);
    EnemyMove(*g);
    EXPECT_EQ(e.nType, 0);
    EXPECT_FALSE(EnemyWindow(0).Visible());
}

TEST_F(Flying, SlotsBeyondTheBoundAreNotMoved) {
    auto& e = AliveEnemy(3, 9000, 10000);
    g->nEnemyMax = 2;
    EnemyMove(*g);
    EXPECT_FLOAT_EQ(e.nX, 9000);
    EXPECT_FALSE(EnemyWindow(3).Visible());
}

class Burning : public test::CombatFixture {
  protected:
    // Frames until each of the given burning slots is free again.
    std::vector<int> FramesToBurnOut(std::initializer_list<std::size_t> slots) {
        for (auto i : slots)
            AliveEnemy(i, 9000, 10000).nType = 2;
        std::vector<int> done(6, 0);
        for (int frame = 1; frame <= 60; ++frame) {
            EnemyBurn(*g);
            for (auto i : slots)
                if (Enemy(i).nType == 0 && done[i] == 0) done[i] = frame;
        }
        std::vector<int> out;
        for (auto i : slots)
            out.push_back(done[i]);
        return out;
    }
};

TEST_F(Burning, OneEnemyBurnsTwentyOneFramesAndIsAnEnemyWindowAgain) {
    g->nBurnAnim = 0;
    auto& e = AliveEnemy(1, 9000, 10000);
    e.nType = 2;
    std::vector<int> pictures;
    for (int frame = 0; frame < 6; ++frame) {
        EnemyBurn(*g);
        pictures.push_back(*EnemyWindow(1).PictureNumber());
    }
    EXPECT_EQ(pictures, (std::vector<int>{14, 15, 14, 14, 15, 14}));
    EXPECT_FLOAT_EQ(e.nX, 9000 - 6 * 2 * kPx);  // the window itself stays
    EXPECT_FLOAT_EQ(EnemyWindow(1).Width(), 180);
    EXPECT_EQ(*e.hRgn, RGNCreate(*g, 14));

    g->nBurnAnim = 0;
    e = ENEMY_INFO{};
    EXPECT_EQ(FramesToBurnOut({1}), (std::vector<int>{21}));
    EXPECT_EQ(e.nBurn, 0);
    auto& w = EnemyWindow(1);
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(w.PictureNumber().has_value());
    EXPECT_FLOAT_EQ(w.Width(), 315);
    EXPECT_EQ(*e.hRgn, RGNCreate(*g, 13));
    EXPECT_EQ(*w.WindowRgn(), RGNCreate(*g, 13));
}

TEST_F(Burning, TwoEnemiesShareTheCounterAndKeepThePace) {
    g->nBurnAnim = 0;
    // Each steps every third frame; once the first is gone the second loses one frame.
    EXPECT_EQ(FramesToBurnOut({0, 2}), (std::vector<int>{20, 22}));
}

TEST_F(Burning, OfThreeOneTakesEveryStepWhileTheOthersWait) {
    g->nBurnAnim = 0;
    const auto frames = FramesToBurnOut({0, 1, 2});
    EXPECT_EQ(frames[2], 7);
    EXPECT_EQ(Enemy(0).nType, 0);
    // After the first is gone the other two burn at the pace of two.
    EXPECT_EQ(frames[0], 7 + 20);
    EXPECT_EQ(frames[1], 7 + 22);
}

TEST_F(Burning, InTheBossFightOnlyTheBossIsLookedAt) {
    g->bBossFight = kTrue;
    g->frmBoss->nPower = 1;
    auto& e = AliveEnemy(0, 9000, 10000);
    e.nType = 2;
    EnemyBurn(*g);
    EXPECT_EQ(e.nType, 2);
    EXPECT_FLOAT_EQ(e.nX, 9000);
    EXPECT_EQ(g->bBossDown, kFalse);
}

TEST_F(Burning, TheBossFallsOnceItsPowerIsUsedUp) {
    g->bBossFight = kTrue;
    auto& boss = *g->frmBoss;
    boss.Move(12000, 9000);
    boss.Show();
    boss.nPower = 0;
    EnemyBurn(*g);
    EXPECT_EQ(g->bBossDown, kTrue);
    EXPECT_TRUE(boss.Visible());
    EXPECT_FALSE(boss.CT.Visible());
    EXPECT_FLOAT_EQ(boss.Width(), 915);
    EXPECT_FLOAT_EQ(boss.Height(), 675);
    EXPECT_FLOAT_EQ(boss.Top(), kWorkBottom - 675);  // lying on the bottom
    EXPECT_FLOAT_EQ(boss.Left(), 12000);
    EXPECT_EQ(boss.PictureNumber(), 10);
    EXPECT_EQ(*boss.WindowRgn(), RGNCreate(*g, 10));
}

}  // namespace
}  // namespace pw
