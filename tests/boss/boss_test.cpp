// The boss: its core, the entry slide, the reaction to a hit with its colours and the shake.
#include <gtest/gtest.h>

#include "boss/frmBoss.hpp"
#include "combat/mod_Enemy.hpp"
#include "combat/mod_Shot.hpp"
#include "driver/mod_Define.hpp"
#include "rgn/mod_RGN_Proc.hpp"
#include "support/game_fixture.hpp"

namespace pw {
namespace {

using win::RGB;

class Boss : public test::GameFixture {
  protected:
    win::FrmBoss& boss() { return *g->frmBoss; }

    // What a shot's hit does to the boss: one power less, a white core, the reaction armed.
    void Hit() {
        --boss().nPower;
        boss().CT.SetBackColor(RGB(255, 255, 255));
        boss().Timer2.SetInterval(100);
    }
    // Starts the fight without the entrance.
    void Fight() {
        boss().Show();
        boss().SetLeft(static_cast<float>(g->nBossStopX - 15));
        boss().nPower = 10;
        g->bBossFight = kTrue;
    }
};

TEST_F(Boss, ItsCoreIsAGreenSpotOverTheBoss) {
    const auto& ct = boss().CT;
    EXPECT_FLOAT_EQ(ct.Left(), 0);
    EXPECT_FLOAT_EQ(ct.Top(), 0);
    EXPECT_FLOAT_EQ(ct.Width(), 555);
    EXPECT_FLOAT_EQ(ct.Height(), 990);
    ASSERT_TRUE(ct.WindowRgn().has_value());
    EXPECT_EQ(*ct.WindowRgn(), RGNCreate(*g, 5));
    EXPECT_EQ(ct.BackColor(), RGB(0, 255, 0));
    EXPECT_EQ(boss().nPower, 0);
    EXPECT_FALSE(boss().Timer1.Enabled());
}

TEST_F(Boss, SlidesInOnePixelATickAndStopsOnePixelPastItsStop) {
    // 96 dpi, a 37-pixel boss: from 1,024 px, stop at 987 px, rest at 986 px.
    ASSERT_EQ(g->nBossStopX, 987 * 15);
    boss().Show();
    boss().Timer1.SetEnabled(true);
    int ticks = 0;
    float last = boss().Left();
    while (!g->bBossFight && ticks < 100) {
        Advance(50);
        if (boss().Left() != last) {
            ++ticks;
            EXPECT_FLOAT_EQ(boss().Left(), last - 15);
            last = boss().Left();
        }
    }
    EXPECT_EQ(ticks, 38);
    EXPECT_FLOAT_EQ(boss().Left(), 986 * 15);
    EXPECT_FALSE(boss().Timer1.Enabled());
    EXPECT_EQ(boss().nPower, 10);
    EXPECT_TRUE(g->bBossFight);
    EXPECT_FALSE(g->bBossDown);
    // The announcement was shown for two seconds and closed again.
    EXPECT_FALSE(g->frmL.loaded() || g->frmC.loaded() || g->frmR.loaded());
    EXPECT_GE(desktop.elapsed(), 38u * 50 + 2000);
}

TEST_F(Boss, EachHitFlashesTheCoreWhiteThenRecoloursItByThePowerLeft) {
    Fight();
    const win::Colour expected[] = {RGB(0, 255, 0),     RGB(0, 255, 0),     RGB(252, 236, 128),
                                    RGB(252, 236, 128), RGB(252, 236, 128), RGB(255, 0, 0),
                                    RGB(255, 0, 0),     RGB(255, 0, 0),     RGB(255, 0, 0)};
    for (int hit = 1; hit <= 9; ++hit) {
        Hit();
        EXPECT_EQ(boss().CT.BackColor(), RGB(255, 255, 255));
        Advance(60);
        EXPECT_EQ(boss().CT.BackColor(), RGB(255, 255, 255)) << "before the reaction";
        Advance(50);
        EXPECT_EQ(boss().CT.BackColor(), expected[hit - 1]) << "after hit " << hit;
        EXPECT_EQ(boss().Timer2.Interval(), 0u);
        for (int i = 0; i < 8; ++i)
            Advance(50);  // let the shake finish
    }
}

TEST_F(Boss, AShakeMovesItAndPutsItBackWhereItStood) {
    Fight();
    const float rest = boss().Left();
    Hit();
    Advance(100);  // the reaction starts the shake
    ASSERT_TRUE(boss().Timer3.Enabled());
    const int moves[] = {-3, 2, 2, -3, 2, 2, -2};
    float at = rest;
    for (int m : moves) {
        Advance(50);
        at += static_cast<float>(m * 15);
        EXPECT_FLOAT_EQ(boss().Left(), at);
    }
    EXPECT_FALSE(boss().Timer3.Enabled());
    EXPECT_EQ(boss().nBururu, 7);
    EXPECT_FLOAT_EQ(boss().Left(), rest);
    Advance(200);
    EXPECT_FLOAT_EQ(boss().Left(), rest);
}

TEST_F(Boss, ReactionsToTheLastHitsStartNoShakeAndOverkillTurnsTheCoreBlack) {
    Fight();
    boss().nPower = 1;
    Hit();
    Advance(100);
    EXPECT_FALSE(boss().Timer3.Enabled());
    EXPECT_EQ(boss().CT.BackColor(), RGB(255, 0, 0));

    boss().nPower = 0;
    Hit();  // two hits in one frame can go below zero
    Advance(100);
    EXPECT_TRUE(boss().Timer3.Enabled());
    EXPECT_EQ(boss().CT.BackColor(), RGB(0, 0, 0));
}

TEST_F(Boss, ItsHitBoxHasStrictEdges) {
    Fight();
    const float L = boss().Left(), T = boss().Top();
    const float mid_y = T + 40 * 15;
    const auto hits = [&](float x, float y) {
        const Long before = boss().nPower;
        Single sx = x, sy = y;
        const Integer result = ShotHitTest(*g, sx, sy);
        EXPECT_EQ(boss().nPower, before - (result ? 1 : 0));
        return result == 1;
    };
    EXPECT_FALSE(hits(L + 7 * 15, mid_y));
    EXPECT_TRUE(hits(L + 7 * 15 - 1, mid_y));
    EXPECT_FALSE(hits(L - 21 * 15, mid_y));
    EXPECT_TRUE(hits(L - 21 * 15 + 1, mid_y));
    EXPECT_FALSE(hits(L, T + 38 * 15));
    EXPECT_TRUE(hits(L, T + 38 * 15 + 1));
    EXPECT_FALSE(hits(L, T + 43 * 15));
    EXPECT_TRUE(hits(L, T + 43 * 15 - 1));
    // A hit whitens the core and arms the reaction.
    EXPECT_EQ(boss().CT.BackColor(), RGB(255, 255, 255));
    EXPECT_EQ(boss().Timer2.Interval(), 100u);

    g->bBossFight = kFalse;  // before the fight shots never test against the boss
    EXPECT_FALSE(hits(L, mid_y));
}

TEST_F(Boss, FallsInTheFrameOfTheTenthHit) {
    Fight();
    boss().nPower = 1;
    auto& shot = g->tShot[0];
    shot.bState = 1;
    shot.nX = boss().Left() - 23 * 15;  // one flight step short of the box
    shot.nY = boss().Top() + 40 * 15;
    shot.nDX = 8 * 15;
    shot.nEndX = 15360;
    // The frame's order: the shot moves and hits, then the burning step sees the power gone.
    ShotMove(*g);
    EXPECT_EQ(boss().nPower, 0);
    EXPECT_EQ(shot.bState, 0);
    EnemyBurn(*g);
    EXPECT_TRUE(g->bBossDown);
    EXPECT_FALSE(boss().CT.Visible());
    EXPECT_TRUE(boss().Visible());
    EXPECT_EQ(boss().PictureNumber(), 10);
    EXPECT_FLOAT_EQ(boss().Width(), 915);
    EXPECT_FLOAT_EQ(boss().Top(), static_cast<float>(GetWorkAreaHeight(*g)) - 675);
    EXPECT_EQ(*boss().WindowRgn(), RGNCreate(*g, 10));
}

}  // namespace
}  // namespace pw
