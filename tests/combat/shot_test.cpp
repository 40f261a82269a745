// The ship's shot: firing, its flight and range, and what its point hits.
#include <gtest/gtest.h>

#include "combat/combat_fixture.hpp"
#include "combat/mod_Shot.hpp"

namespace pw {
namespace {

using platform::Key;

class Firing : public test::CombatFixture {
  protected:
    Firing() : CombatFixture({Key::Space}) {}
    SHOT_INFO& Shot() { return g->tShot[0]; }
    win::FrmShot& ShotWindow() { return *g->frmShots[0]; }
};

TEST_F(Firing, TheFirstFrameTakesTwoStepsFromTheShipsMiddle) {
    PutShip(3000, 9000);
    ShotMove(*g);
    EXPECT_EQ(Shot().bState, 1);
    EXPECT_FLOAT_EQ(Shot().nX, 3000 + 2 * 8 * kPx);
    EXPECT_FLOAT_EQ(Shot().nY, 9000 + 75);  // half the ship's 150 twips
    EXPECT_FLOAT_EQ(Shot().nEndX, 285 + 3000 + 128 * kPx);
    // The window shows where the shot was before its last step.
    EXPECT_TRUE(ShotWindow().Visible());
    EXPECT_FLOAT_EQ(ShotWindow().Left(), 3000 + 8 * kPx);
    EXPECT_FLOAT_EQ(ShotWindow().Top(), 9075);
}

TEST_F(Firing, HoldingTheSpaceBarFiresAgainOnlyOnceTheShotIsGone) {
    PutShip(3000, 9000);
    int frames = 1;
    ShotMove(*g);
    while (Shot().bState == 1 && frames < 100) {
        const float x = Shot().nX;
        ShotMove(*g);
        ++frames;
        if (Shot().bState == 1) {
            EXPECT_FLOAT_EQ(Shot().nX, x + 8 * kPx);
        }
    }
    // 128 pixels beyond the ship's 19: the shot reaches its end in its 18th frame.
    EXPECT_EQ(frames, 18);
    EXPECT_FALSE(ShotWindow().Visible());
    ShotMove(*g);
    EXPECT_EQ(Shot().bState, 1);
    EXPECT_FLOAT_EQ(Shot().nX, 3000 + 2 * 8 * kPx);
}

TEST_F(Firing, AShotEndsWhereItsXReachesTheScreensRightEdge) {
    PutShip(15360 - 3 * 8 * kPx, 9000);
    ShotMove(*g);
    EXPECT_EQ(Shot().bState, 1);  // 8 pixels short of the edge
    ShotMove(*g);
    EXPECT_EQ(Shot().bState, 0);  // exactly on it
    EXPECT_FALSE(ShotWindow().Visible());
}

TEST_F(Firing, TheBurningShipStillFiresFromItsLogicalPlace) {
    PutShip(3000, 9000);
    g->tPlayer.bHit = kTrue;
    g->tPlayer.nX = 2000;
    ShotMove(*g);
    EXPECT_FLOAT_EQ(Shot().nX, 2000 + 2 * 8 * kPx);
}

TEST_F(Firing, TheShotBurnsTheEnemyItMeets) {
    PutShip(3000, 9000);
    AliveEnemy(2, 3000 + 30 * kPx, 9000);
    ShotMove(*g);
    EXPECT_EQ(Enemy(2).nType, 2);
    EXPECT_EQ(Shot().bState, 0);
    EXPECT_FALSE(ShotWindow().Visible());
}

class NoKeys : public test::CombatFixture {};

TEST_F(NoKeys, NothingIsFiredWithoutTheSpaceBar) {
    ShotMove(*g);
    EXPECT_EQ(g->tShot[0].bState, 0);
    EXPECT_FALSE(g->frmShots[0]->Visible());
}

class HitTest : public test::CombatFixture {
  protected:
    Integer Test(float x, float y) { return ShotHitTest(*g, x, y); }
};

TEST_F(HitTest, TheEnemysLeftEdgeMustLieStrictlyWithin32PixelsAhead) {
    const float x = 3000, y = 9000;
    const auto hit_with_enemy_at = [&](float ex, float ey) {
        AliveEnemy(0, ex, ey);
        return Test(x, y);
    };
    EXPECT_EQ(hit_with_enemy_at(x, y - 75), 0);             // at the point
    EXPECT_EQ(hit_with_enemy_at(x + 32 * kPx, y - 75), 0);  // exactly 32 pixels ahead
    EXPECT_EQ(hit_with_enemy_at(x + 32 * kPx - 1, y - 75), 1);
    EXPECT_EQ(hit_with_enemy_at(x + 1, y - 75), 1);
    EXPECT_EQ(hit_with_enemy_at(x + 100, y), 0);        // the top edge on the line
    EXPECT_EQ(hit_with_enemy_at(x + 100, y - 150), 0);  // the bottom edge on it
    EXPECT_EQ(hit_with_enemy_at(x + 100, y - 149), 1);
}

TEST_F(HitTest, OnePointBurnsEveryAliveEnemyItMeets) {
    AliveEnemy(0, 3100, 8950);
    AliveEnemy(3, 3200, 8900);
    AliveEnemy(5, 3200, 8900);
    Enemy(4) = Enemy(3);
    Enemy(4).nType = 2;  // already burning: untouched
    g->nEnemyMax = 4;    // slot 5 is beyond the bound
    EXPECT_EQ(Test(3000, 9000), 1);
    EXPECT_EQ(Enemy(0).nType, 2);
    EXPECT_EQ(Enemy(3).nType, 2);
    EXPECT_EQ(Enemy(4).nType, 2);
    EXPECT_EQ(Enemy(5).nType, 1);
}

TEST_F(HitTest, InTheBossFightOnlyTheBoxOnTheBossCountsAndCostsOnePower) {
    auto& boss = *g->frmBoss;
    boss.Move(12000, 9000);
    boss.nPower = 10;
    g->bBossFight = kTrue;
    AliveEnemy(0, 3100, 8950);
    EXPECT_EQ(Test(3000, 9000), 0);  // enemies are not looked at
    EXPECT_EQ(Enemy(0).nType, 1);

    // The box: x from 21 pixels left of the boss to 7 right of it, y 38..43 below its top,
    // every edge strict.
    const float L = 12000, T = 9000;
    EXPECT_EQ(Test(L + 7 * kPx, T + 40 * kPx), 0);
    EXPECT_EQ(Test(L - 21 * kPx, T + 40 * kPx), 0);
    EXPECT_EQ(Test(L, T + 38 * kPx), 0);
    EXPECT_EQ(Test(L, T + 43 * kPx), 0);
    EXPECT_EQ(boss.nPower, 10);

    EXPECT_EQ(Test(L + 7 * kPx - 1, T + 38 * kPx + 1), 1);
    EXPECT_EQ(Test(L - 21 * kPx + 1, T + 43 * kPx - 1), 1);
    EXPECT_EQ(boss.nPower, 8);
    EXPECT_EQ(boss.CT.BackColor(), win::RGB(255, 255, 255));
    EXPECT_EQ(boss.Timer2.Interval(), 100u);
}

TEST_F(HitTest, PowerKeepsFallingBelowZero) {
    g->bBossFight = kTrue;
    auto& boss = *g->frmBoss;
    boss.Move(12000, 9000);
    boss.nPower = 0;
    EXPECT_EQ(Test(12000, 9600), 1);
    EXPECT_EQ(boss.nPower, -1);
}

}  // namespace
}  // namespace pw
