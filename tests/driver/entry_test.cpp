// Start-up: the command-line number, the work area and the state after a game's setup.
#include <gtest/gtest.h>

#include <string>

#include "driver/mod_Define.hpp"
#include "support/game_fixture.hpp"

namespace pw {
namespace {

TEST(CommandLine, ReadsTheLeadingNumberAndRoundsHalvesToEven) {
    EXPECT_EQ(CommandLineNumber(""), 0);
    EXPECT_EQ(CommandLineNumber("0"), 0);
    EXPECT_EQ(CommandLineNumber("400"), 400);
    EXPECT_EQ(CommandLineNumber("400px"), 400);
    EXPECT_EQ(CommandLineNumber("1 000"), 1000);
    EXPECT_EQ(CommandLineNumber("12.5"), 12);
    EXPECT_EQ(CommandLineNumber("2.5"), 2);
    EXPECT_EQ(CommandLineNumber("3.5"), 4);
    EXPECT_EQ(CommandLineNumber(" 250"), 250);
    EXPECT_EQ(CommandLineNumber("-40"), -40);
    EXPECT_EQ(CommandLineNumber("x"), 0);
    EXPECT_EQ(CommandLineNumber("\t+7\n"), 7);
    // Only blanks, tabs and line feeds are skipped: a carriage return ends the number.
    EXPECT_EQ(CommandLineNumber("12\r5"), 12);
    EXPECT_EQ(CommandLineNumber("\r12"), 0);
}

TEST(CommandLine, ExponentsAndBrokenTails) {
    EXPECT_EQ(CommandLineNumber("1e3"), 1000);
    EXPECT_EQ(CommandLineNumber("1e"), 1);
    EXPECT_EQ(CommandLineNumber("5."), 5);
    EXPECT_EQ(CommandLineNumber(".5"), 0);  // half to even
    EXPECT_EQ(CommandLineNumber("-"), 0);
    EXPECT_EQ(CommandLineNumber("1e999"), 2147483647);  // held at the limit, never UB
    EXPECT_EQ(CommandLineNumber("-1e999"), -2147483647 - 1);
    // Too close to zero for a double is zero, not the limit.
    EXPECT_EQ(CommandLineNumber("1e-400"), 0);
    EXPECT_EQ(CommandLineNumber("-1e-400"), 0);
    EXPECT_EQ(CommandLineNumber("0.000001e-399"), 0);
    EXPECT_EQ(CommandLineNumber("1" + std::string(400, '0') + "e-9"), 2147483647);
    EXPECT_EQ(CommandLineNumber("0." + std::string(400, '0') + "1e401"), 1);
    EXPECT_EQ(CommandLineNumber("0." + std::string(400, '0') + "1e9999"), 2147483647);
}

class Setup : public test::GameFixture {};

TEST_F(Setup, WorkAreaOnTheStandardDesktop) {
    // (768 - 30 - 19 + 19) pixels at 15 twips per pixel.
    EXPECT_EQ(GetWorkAreaHeight(*g), 11070);
}

TEST_F(Setup, PlayerStartsAtItsDefaultsWithThreeLives) {
    const auto& p = g->tPlayer;
    EXPECT_FLOAT_EQ(p.nX, 540);
    EXPECT_FLOAT_EQ(p.nY, 11070 - 5 * 150);
    EXPECT_EQ(p.nMaxX, 15360);
    EXPECT_EQ(p.nMaxY, 11520);
    EXPECT_EQ(p.nMinY, 150 + 11070 - 1485);
    EXPECT_FLOAT_EQ(p.nStep, 7.5f);
    EXPECT_EQ(p.nLife, 3);
    EXPECT_TRUE(p.hRgn.has_value());
    EXPECT_EQ(g->nEnemyMax, 5);
    EXPECT_EQ(g->nEShotMax, 5);
}

TEST_F(Setup, OnlyTheSceneryAndTheShipAreShown) {
    EXPECT_TRUE(g->frmBG->Visible());
    EXPECT_TRUE(g->frmPlayer->Visible());
    EXPECT_FALSE(g->frmBoss->Visible());
    EXPECT_FALSE(g->frmDot->Visible());
    EXPECT_FALSE(g->frmEShot->Visible());
    EXPECT_FALSE(g->frmBG2->Visible());
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_FALSE(g->frmEnemies[i]->Visible());
    // The boss waits just beyond the right edge, standing on the work area's bottom.
    EXPECT_FLOAT_EQ(g->frmBoss->Left(), 15360);
    EXPECT_EQ(g->nBossStopX, 15360 - 555);
    EXPECT_FLOAT_EQ(g->frmBoss->Top(), 11070 - 990);
}

TEST_F(Setup, RunningItAgainResetsTheGameAndAddsTwoPetalEffects) {
    g->tPlayer.nLife = 1;
    g->tPlayer.nX = 9999;
    g->bBossFight = kTrue;
    const auto windows = desktop.window_count();
    GameSetup(*g);
    EXPECT_EQ(g->tPlayer.nLife, 3);
    EXPECT_FLOAT_EQ(g->tPlayer.nX, 540);
    EXPECT_FALSE(g->bBossFight);
    EXPECT_EQ(g->colSnow->size(), 4u);
    EXPECT_EQ(desktop.window_count(), windows);  // re-created, none leaked
}

TEST(SetupOnAWideScreen, ScreenLimitsHoldScreensBeyondSixteenBits) {
    auto o = test::default_desktop();
    o.width = 2560;
    o.height = 1440;
    headless::HeadlessDesktop desktop(o);
    Game g(desktop);
    RGNDataLoad(g.rgnStore);
    GameSetup(g);
    EXPECT_EQ(g.tPlayer.nMaxX, 2560 * 15);
    EXPECT_EQ(g.tPlayer.nMaxY, 1440 * 15);
}

}  // namespace
}  // namespace pw
