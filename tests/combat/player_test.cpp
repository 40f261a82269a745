// The ship: steering and drift, the screen limits, crashing into enemies and the ground,
// losing lives, invincibility and the burning end.
#include <gtest/gtest.h>

#include <vector>

#include "combat/combat_fixture.hpp"
#include "combat/mod_Player.hpp"
#include "rgn/mod_RGN_Proc.hpp"

namespace pw {
namespace {

using platform::Key;

// Pixels per frame: outside the boss fight the ship drifts right by half a pixel.
struct SteerCase {
    const char* name;
    std::vector<Key> keys;
    float dx_px, dy_px;  // outside the boss fight
    float boss_dx_px;    // inside it
};

// Test listings show a case by its name.
void PrintTo(const SteerCase& c, std::ostream* os) { *os << c.name; }

class Steering : public test::GameFixture, public ::testing::WithParamInterface<SteerCase> {
  protected:
    Steering() : GameFixture(Held()) {}
    static headless::Options Held() {
        auto o = test::default_desktop();
        for (Key k : GetParam().keys)
            o.script.keys.push_back({0, k, true});
        return o;
    }
};

TEST_P(Steering, OneFrameMovesTheShipAndItsWindow) {
    const auto& c = GetParam();
    for (const bool boss : {false, true}) {
        g->bBossFight = boss ? kTrue : kFalse;
        auto& p = g->tPlayer;
        p.nX = 6000;
        p.nY = 10000;
        PlayerMove(*g);
        EXPECT_FLOAT_EQ(p.nX, 6000 + 15 * (boss ? c.boss_dx_px : c.dx_px)) << boss;
        EXPECT_FLOAT_EQ(p.nY, 10000 + 15 * c.dy_px) << boss;
        EXPECT_FLOAT_EQ(g->frmPlayer->Left(), p.nX);
        EXPECT_FLOAT_EQ(g->frmPlayer->Top(), p.nY);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryDirection, Steering,
    ::testing::Values(SteerCase{"None", {}, 0.5f, 0, 0},
                      SteerCase{"Right", {Key::Right}, 1, 0, 0.5f},
                      SteerCase{"Left", {Key::Left}, -0.25f, 0, -0.75f},
                      SteerCase{"Up", {Key::Up}, 0.5f, -1, 0},
                      SteerCase{"Down", {Key::Down}, 0.5f, 1, 0},
                      SteerCase{"UpRight", {Key::Up, Key::Right}, 1, -1, 0.5f},
                      SteerCase{"DownRight", {Key::Down, Key::Right}, 1, 1, 0.5f},
                      SteerCase{"DownLeft", {Key::Down, Key::Left}, -0.25f, 1, -0.75f},
                      SteerCase{"UpLeft", {Key::Up, Key::Left}, -0.25f, -1, -0.75f}),
    [](const auto& info) { return std::string(info.param.name); });

class ShipHoldingLeft : public test::CombatFixture {
  protected:
    ShipHoldingLeft() : CombatFixture({Key::Left, Key::Up}) {}
};

TEST_F(ShipHoldingLeft, RestsHalfAPixelFromTheLeftEdgeAndOnTheUpperLimit) {
    auto& p = g->tPlayer;
    p.nX = 5;
    p.nY = static_cast<float>(p.nMinY) + 10;
    for (int frame = 0; frame < 5; ++frame) {
        PlayerMove(*g);
        // The clamp puts the ship on 0, then the drift adds its step.
        EXPECT_FLOAT_EQ(p.nX, p.nStep) << frame;
        EXPECT_FLOAT_EQ(p.nY, static_cast<float>(p.nMinY)) << frame;
    }
}

class ShipHoldingDownRight : public test::CombatFixture {
  protected:
    ShipHoldingDownRight() : CombatFixture({Key::Down, Key::Right}) {}
};

TEST_F(ShipHoldingDownRight, IsPutBackOnTheRightAndLowerLimits) {
    auto& p = g->tPlayer;
    p.nX = static_cast<float>(p.nMaxX);
    p.nY = static_cast<float>(p.nMaxY) + 40;
    PlayerMove(*g);
    EXPECT_FLOAT_EQ(p.nX, static_cast<float>(p.nMaxX));  // clamped again after the drift
    EXPECT_FLOAT_EQ(p.nY, static_cast<float>(p.nMaxY));
}

TEST_F(ShipHoldingDownRight, APendingHitFreezesShipAndWindow) {
    auto& p = g->tPlayer;
    PutShip(3000, 9000);
    p.bHit = kTrue;
    PlayerMove(*g);
    EXPECT_FLOAT_EQ(p.nX, 3000);
    EXPECT_FLOAT_EQ(p.nY, 9000);
    EXPECT_FLOAT_EQ(g->frmPlayer->Left(), 3000);
}

class Crash : public test::CombatFixture {};

TEST_F(Crash, OnlyAnOverlapOfSeveralRectanglesIsACollisionWithAnEnemy) {
    PutShip(4500, 9000);
    // Six pixels up, only the enemy's bottom row lies on the ship's fin: one rectangle.
    AliveEnemy(0, 4500, 9000 - 6 * kPx);
    EXPECT_EQ(PlayerCrashEnemy(*g), 0);
    EXPECT_EQ(g->tPlayer.bHit, kFalse);
    EXPECT_EQ(Enemy(0).nType, 1);
    // Far away: nothing at all.
    AliveEnemy(0, 9000, 9000);
    EXPECT_EQ(PlayerCrashEnemy(*g), 0);
    // One pixel lower two rows overlap with different spans: a collision.
    AliveEnemy(0, 4500, 9000 - 5 * kPx);
    EXPECT_EQ(PlayerCrashEnemy(*g), 1);
    EXPECT_EQ(g->tPlayer.bHit, kTrue);
    EXPECT_EQ(Enemy(0).nType, 2);
}

TEST_F(Crash, OneCollisionPerCallAndOnlyAliveEnemiesWithinTheBound) {
    PutShip(4500, 9000);
    AliveEnemy(0, 4500, 9000 - 5 * kPx);
    AliveEnemy(1, 4500, 9000 - 5 * kPx);
    EXPECT_EQ(PlayerCrashEnemy(*g), 1);
    EXPECT_EQ(Enemy(0).nType, 2);
    EXPECT_EQ(Enemy(1).nType, 1);  // the hit is pending: no second enemy is tested

    g->tPlayer.bHit = kFalse;
    Enemy(0).nType = 2;  // burning enemies do not ram
    Enemy(1).nType = 0;
    AliveEnemy(4, 4500, 9000 - 5 * kPx);
    g->nEnemyMax = 3;  // slot 4 is beyond the bound
    EXPECT_EQ(PlayerCrashEnemy(*g), 0);
}

TEST_F(Crash, TheGroundHitsOnlyWhereSeveralRowsSinkIntoIt) {
    // Over the flat ground between the first trees (its top is row 91 of the strip there)
    // the ship's bottom row touching the ground is one rectangle; a pixel lower is a crash.
    PutShip(62 * kPx, kGroundTop + 83 * kPx);
    EXPECT_EQ(PlayerCrashBG(*g), 0);
    EXPECT_EQ(g->tPlayer.bHit, kFalse);
    PutShip(62 * kPx, kGroundTop + 84 * kPx);
    EXPECT_EQ(PlayerCrashBG(*g), 1);
    EXPECT_EQ(g->tPlayer.bHit, kTrue);
    // High in the sky nothing is touched, and the test ignores invincibility.
    g->tPlayer.bHit = kFalse;
    g->bInvincible = kTrue;
    PutShip(62 * kPx, 3000);
    EXPECT_EQ(PlayerCrashBG(*g), 0);
}

TEST_F(Crash, TheBossStageHasItsOwnGround) {
    // The barrier post of the boss stage: solid at x 896..902, y 14..41 of the strip, and
    // open sky in the normal scenery.
    ASSERT_TRUE(RGNCreate(*g, 7).rect_in({896, 14, 903, 42}));
    ASSERT_FALSE(RGNCreate(*g, 6).rect_in({890, 14, 910, 42}));
    PutShip(892 * kPx, kGroundTop + 20 * kPx);  // the ship's body across the post
    g->bBossFight = kFalse;
    EXPECT_EQ(PlayerCrashBG(*g), 0);
    g->bBossFight = kTrue;
    EXPECT_EQ(PlayerCrashBG(*g), 1);
}

class Lives : public test::CombatFixture {
  protected:
    void Hit() {
        g->tPlayer.bHit = kTrue;
        PlayerHit(*g);
    }
    win::Colour Lamp(std::size_t i) { return *g->frmShe->Label1[i].BackColor(); }
    static constexpr win::Colour kGreen = win::RGB(0, 255, 0);
    static constexpr win::Colour kBlack = win::RGB(0, 0, 0);

    Lives() {
        for (auto& lamp : g->frmShe->Label1)
            lamp.SetBackColor(kGreen);
    }
};

TEST_F(Lives, AHitCostsALifeAndASecondOfInvincibilityByTheClock) {
    Hit();
    auto& p = g->tPlayer;
    EXPECT_EQ(p.nLife, 2);
    EXPECT_EQ(p.bHit, kFalse);
    EXPECT_EQ(g->bInvincible, kTrue);
    EXPECT_EQ(g->frmPlayer->PictureNumber(), 12);
    EXPECT_EQ(Lamp(1), kBlack);
    EXPECT_EQ(Lamp(0), kGreen);

    // Hits while invincible are cancelled, however many frames pass.
    Advance(999);
    Hit();
    EXPECT_EQ(p.nLife, 2);
    EXPECT_EQ(p.bHit, kFalse);
    EXPECT_EQ(g->bInvincible, kTrue);

    Advance(1);
    EXPECT_EQ(g->bInvincible, kFalse);
    EXPECT_EQ(g->frmPlayer->PictureNumber(), 11);
    EXPECT_FALSE(g->frmPlayer->Timer1.Enabled());

    Hit();
    EXPECT_EQ(p.nLife, 1);
    EXPECT_EQ(Lamp(0), kBlack);
    // The ship keeps its place, shape and mask.
    EXPECT_FLOAT_EQ(g->frmPlayer->Width(), 285);
    EXPECT_EQ(*p.hRgn, RGNCreate(*g, 11));
}

TEST_F(Lives, TheLastLifeBurnsForTwentyOneFramesThenTheGameIsLost) {
    auto& p = g->tPlayer;
    p.nLife = 1;
    PutShip(6000, 9000);
    std::vector<int> sprites;
    int frames = 0;
    p.bHit = kTrue;
    while (p.nDeadCount != 999 && frames < 100) {
        PlayerMove(*g);  // frozen throughout
        PlayerHit(*g);
        ++frames;
        sprites.push_back(*g->frmPlayer->PictureNumber());
        EXPECT_FLOAT_EQ(p.nX, 6000 - 30.0f * static_cast<float>(frames)) << frames;
        EXPECT_FLOAT_EQ(g->frmPlayer->Left(), 6000) << frames;
    }
    EXPECT_EQ(frames, 21);
    EXPECT_EQ((std::vector<int>{14, 15, 14, 14, 15, 14, 14}),
              std::vector<int>(sprites.begin(), sprites.begin() + 7));
    EXPECT_EQ(p.bHit, kFalse);
    EXPECT_FALSE(p.hRgn.has_value());
    EXPECT_EQ(g->nDeadAnim, 0);  // ready for the next game's burn
    EXPECT_FLOAT_EQ(g->frmPlayer->Width(), 180);
}

TEST_F(Lives, TheLampsGoDarkInOrderOverAWholeGame) {
    std::vector<std::pair<bool, bool>> lamps;
    for (int hit = 0; hit < 2; ++hit) {
        Hit();
        lamps.emplace_back(Lamp(0) == kGreen, Lamp(1) == kGreen);
        Advance(1000);
    }
    EXPECT_EQ(lamps, (std::vector<std::pair<bool, bool>>{{true, false}, {false, false}}));
    Hit();
    EXPECT_EQ(g->tPlayer.nLife, 0);
    EXPECT_EQ(g->tPlayer.bHit, kTrue);  // burning
}

}  // namespace
}  // namespace pw
