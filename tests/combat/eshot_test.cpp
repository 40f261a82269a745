// The enemies' aimed shots: aiming, flight, the dots cut into one window, and hitting the
// ship.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "combat/combat_fixture.hpp"
#include "combat/mod_EShot.hpp"
#include "combat/mod_Player.hpp"

namespace pw {
namespace {

class EnemyShots : public test::CombatFixture {
  protected:
    EnemyShots() { PutShip(100 * kPx, 9000); }
    ESHOT_INFO& Shot(std::size_t i) { return g->tEShot[i]; }
    ESHOT_INFO& Flying(std::size_t i, float x, float y, float dx = 0, float dy = 0) {
        auto& s = g->tEShot[i];
        s = {x, y, dx, dy, 1};
        return s;
    }
    win::FrmEShot& Window() { return *g->frmEShot; }
};

TEST_F(EnemyShots, AShotLeavesLeftOfTheEnemyTowardTheShipAtTwoToThreePixels) {
    std::set<long> speeds;
    for (int round = 0; round < 40; ++round) {
        AliveEnemy(0, 9000, 9000);
        Shot(0).bState = 0;
        EShotFire(*g, 0);
        const auto& s = Shot(0);
        ASSERT_EQ(s.bState, 1);
        EXPECT_FLOAT_EQ(s.nX, 9000 - kPx);
        EXPECT_FLOAT_EQ(s.nY, 9000 + 75);  // half the enemy's height
        const double v = std::hypot(s.nDX, s.nDY);
        speeds.insert(std::lround(v));
        // Toward the ship, 7,500 twips left and about level with it.
        EXPECT_LT(s.nDX, 0);
        EXPECT_LT(std::abs(s.nDY), 0.02 * v);
    }
    EXPECT_EQ(speeds, (std::set<long>{30, 37, 45}));  // 4, 5 or 6 half pixels
}

TEST_F(EnemyShots, WithEverySlotFlyingANewShotIsLost) {
    for (std::size_t i = 0; i < 6; ++i)
        Flying(i, 5000, 5000);
    AliveEnemy(0, 9000, 9000);
    EShotFire(*g, 0);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(Shot(i).nX, 5000);
    // Only slots up to the highest in use are looked at.
    Shot(5).bState = 0;
    g->nEShotMax = 4;
    EShotFire(*g, 0);
    EXPECT_EQ(Shot(5).bState, 0);
}

TEST_F(EnemyShots, AnAimErrorThatCancelsTheDistanceFliesTheShotStraightLeft) {
    // Predict the three draws, then put the enemy where the error lands on it exactly.
    g->rnd.seed(1234);
    Random probe = g->rnd;
    const double v = std::trunc(std::floor(probe.next() * 3.0f + 4.0f) * kPx / 2);
    const double ex = std::floor(probe.next() * 90.0f + 1.0f - 30.0f);
    const double ey = std::floor(probe.next() * 90.0f + 1.0f - 30.0f);
    const auto& p = g->tPlayer;
    // Shot start: (enemy x - 15, enemy y + 75); aim: error + ship + 32 - start = 0.
    AliveEnemy(0, static_cast<float>(ex + p.nX + 32 + kPx),
               static_cast<float>(ey + p.nY + 32 - 75));
    EShotFire(*g, 0);
    const auto& s = Shot(0);
    EXPECT_FLOAT_EQ(s.nDX, static_cast<float>(-v));
    EXPECT_FLOAT_EQ(s.nDY, 0);
}

TEST_F(EnemyShots, FlyingShotsAreCutAsTwoPixelDotsIntoOneWindow) {
    Flying(0, 3000, 6000, -30, 15);
    Flying(3, 4500, 7500, -45, 0);
    EShotMove(*g);
    EXPECT_FLOAT_EQ(Shot(0).nX, 2970);
    EXPECT_FLOAT_EQ(Shot(0).nY, 6015);
    ASSERT_TRUE(Window().Visible());
    // 2970 / 15 = 198 and 6015 / 15 = 401; 4455 / 15 = 297, 7500 / 15 = 500.
    Region expected = Region::rectangle({198, 401, 200, 403});
    expected.combine(expected, Region::rectangle({297, 500, 299, 502}), CombineMode::Or);
    EXPECT_EQ(*Window().WindowRgn(), expected);
    EXPECT_FALSE(g->hEShotRgn.has_value());
}

TEST_F(EnemyShots, TheDotRoundsWhereTheHitTestTruncates) {
    // 84 twips are 5.6 pixels: the dot shows from pixel 6, the hit test looks at pixel 5.
    PutShip(0, 7000);
    Flying(0, 84, 5000);
    EShotMove(*g);
    EXPECT_EQ(Window().WindowRgn()->rects(), (std::vector<Rect>{{6, 333, 8, 335}}));

    // Row 1 of the ship's mask holds pixels 4 and 5 only; the same x on that row hits.
    EXPECT_TRUE(g->tPlayer.hRgn->contains(5, 1));
    EXPECT_FALSE(g->tPlayer.hRgn->contains(6, 1));
    float x = 84, y = 7000 + kPx + 9;
    EXPECT_EQ(EShotHitTest(*g, x, y), 1);
    EXPECT_EQ(g->tPlayer.bHit, kTrue);
    // Once hit, nothing more is tested.
    EXPECT_EQ(EShotHitTest(*g, x, y), 0);
}

TEST_F(EnemyShots, ShotsGoBehindTheShipOffTheScreenOrIntoIt) {
    const float ship_left = g->frmPlayer->Left();
    Flying(0, ship_left - 32 * kPx + 30, 6000, -30, 0);  // exactly 32 pixels behind: stays
    Flying(1, ship_left - 32 * kPx + 29, 6000, -30, 0);  // beyond: gone
    Flying(2, 15360, 6000, 1, 0);                        // right of the screen
    Flying(3, 9000, 1, 0, -2);                           // above it
    Flying(4, 9000, kWorkBottom, 0, 1);                  // below the work area
    EShotMove(*g);
    EXPECT_EQ(Shot(0).bState, 1);
    EXPECT_EQ(Shot(1).bState, 0);
    EXPECT_EQ(Shot(2).bState, 0);
    EXPECT_EQ(Shot(3).bState, 0);
    EXPECT_EQ(Shot(4).bState, 0);
    EXPECT_EQ(Window().WindowRgn()->rect_count(), 1u);
    Shot(0).bState = 0;
    EShotMove(*g);
    EXPECT_FALSE(Window().Visible());  // no dot left
}

TEST_F(EnemyShots, AShotThatMeetsTheShipEndsAndLaterOnesPassThrough) {
    const auto& p = g->tPlayer;
    // (2, 5) of the ship's mask is solid.
    Flying(1, p.nX + 2 * kPx, p.nY + 5 * kPx);
    Flying(2, p.nX + 2 * kPx, p.nY + 5 * kPx);
    EShotMove(*g);
    EXPECT_EQ(p.bHit, kTrue);
    EXPECT_EQ(Shot(1).bState, 0);
    EXPECT_EQ(Shot(2).bState, 1);  // the hit was already taken this frame
}

TEST_F(EnemyShots, AShotLeavingTheScreenOnTheShipStillHitsIt) {
    PutShip(15360 - 10 * kPx, 9000);
    const auto& p = g->tPlayer;
    Flying(0, p.nX + 10 * kPx - 1, p.nY + 5 * kPx, 2, 0);  // ends beyond the right edge
    EShotMove(*g);
    EXPECT_EQ(Shot(0).bState, 0);
    EXPECT_EQ(p.bHit, kTrue);
}

}  // namespace
}  // namespace pw
