// The petals: seeding, falling and swaying, wrapping round the sides, their shapes, piling up,
// and closing.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ending/cRGNSnow.hpp"
#include "support/game_fixture.hpp"

namespace pw {
namespace {

using win::RGB;

// A quarter turn of sway: the cosine is all but zero, so the particle does not move sideways.
constexpr Single kNoSway = std::numbers::pi_v<float> / 2;

class Petals : public test::GameFixture {
  protected:
    cRGNSnow snow{*g};

    // Pins a particle: no sideways move, no new sway values, falling `speed` twips a step.
    static void Pin(SNOW_INFO& p, Single x, Single y) {
        p.nX = x;
        p.nY = y;
        p.nSway = kNoSway;
        p.nSwayStep = 0;
        p.nSwayEnd = 100;
    }
};

TEST_F(Petals, SeedingPutsEveryParticleAboveTheAreaWithItsOwnSway) {
    snow.RGNSnowInit(0, 9585, 15360, 1485, 40, RGB(252, 182, 236), 4, 8);
    ASSERT_NE(snow.frmSnow(), nullptr);
    EXPECT_EQ(snow.frmPile(), nullptr);
    EXPECT_FALSE(snow.frmSnow()->Visible());
    EXPECT_EQ(snow.frmSnow()->BackColor(), RGB(252, 182, 236));
    EXPECT_FLOAT_EQ(snow.frmSnow()->Top(), 9585);
    EXPECT_FLOAT_EQ(snow.frmSnow()->Height(), 1485);
    ASSERT_EQ(snow.tSnow().size(), 40u);
    for (const auto& p : snow.tSnow()) {
        EXPECT_EQ(p.nX, std::floor(p.nX));
        EXPECT_GE(p.nX, 0);
        EXPECT_LT(p.nX, 15360);
        EXPECT_EQ(p.nY, std::floor(p.nY));
        EXPECT_LE(p.nY, 0);
        EXPECT_GT(p.nY, -1485);
        const float thousandths = p.nSwayStep * 1000;
        EXPECT_NEAR(thousandths, std::round(thousandths), 1e-3);
        EXPECT_GE(p.nSwayStep, 0);
        EXPECT_LE(p.nSwayStep, 0.0995f);
        EXPECT_EQ(p.nSwayEnd, std::floor(p.nSwayEnd));
        EXPECT_GE(p.nSwayEnd, 18);
        EXPECT_LE(p.nSwayEnd, 53);
        EXPECT_LE(p.nSway, p.nSwayEnd);
        EXPECT_GE(p.nSway, p.nSwayEnd - 17);
        EXPECT_EQ(p.nSize, 4);
        EXPECT_EQ(p.nSpeed, 8);
    }
}

TEST_F(Petals, NegativeSizeAndSpeedAskForRandomOnesBelowTheirMagnitude) {
    snow.RGNSnowInit(0, 0, 3000, 3000, 200, RGB(0, 0, 0), -3, -5);
    bool sizes[3] = {}, speeds[5] = {};
    for (const auto& p : snow.tSnow()) {
        ASSERT_GE(p.nSize, 0);
        ASSERT_LT(p.nSize, 3);
        ASSERT_GE(p.nSpeed, 0);
        ASSERT_LT(p.nSpeed, 5);
        sizes[p.nSize] = true;
        speeds[static_cast<int>(p.nSpeed)] = true;
    }
    for (bool seen : sizes)
        EXPECT_TRUE(seen);
    for (bool seen : speeds)
        EXPECT_TRUE(seen);
}

TEST_F(Petals, TheFirstStepShowsTheWindowEvenWithEveryPetalStillAbove) {
    snow.RGNSnowInit(0, 9585, 15360, 1485, 40, RGB(252, 182, 236), 4, 8);
    snow.RGNSnowMove();
    EXPECT_TRUE(snow.frmSnow()->Visible());
    ASSERT_TRUE(snow.frmSnow()->WindowRgn().has_value());
}

TEST_F(Petals, AStepFallsByTheSpeedAndSwaysTwentyToFortyNineTwipsTimesTheCosine) {
    snow.RGNSnowInit(0, 0, 15360, 1485, 1, RGB(0, 0, 0), 3, 4);
    auto& p = snow.tSnow()[0];
    for (int i = 0; i < 50; ++i) {
        p.nX = 5000;
        p.nY = 100;
        p.nSway = 1;
        p.nSwayStep = 0.002f;
        p.nSwayEnd = 40;
        snow.RGNSnowMove();
        EXPECT_FLOAT_EQ(p.nY, 104);
        EXPECT_FLOAT_EQ(p.nSway, 1.002f);
        const double amount = (p.nX - 5000) / std::cos(1.002f);
        EXPECT_NEAR(amount, std::round(amount), 1e-2);
        EXPECT_GE(std::round(amount), 20);
        EXPECT_LE(std::round(amount), 49);
    }
}

TEST_F(Petals, PassingTheSwayEndDrawsSlowerSwayValues) {
    snow.RGNSnowInit(0, 0, 15360, 1485, 1, RGB(0, 0, 0), 3, 4);
    auto& p = snow.tSnow()[0];
    for (int i = 0; i < 50; ++i) {
        p.nSway = 30;
        p.nSwayStep = 0.5f;
        p.nSwayEnd = 30;
        snow.RGNSnowMove();
        EXPECT_GE(p.nSwayStep, 0.0029f);
        EXPECT_LE(p.nSwayStep, 0.01291f);
        EXPECT_GE(p.nSwayEnd, 18);
        EXPECT_LE(p.nSwayEnd, 53);
        // The new phase has already been used for this step's sideways move.
        EXPECT_LE(p.nSway, p.nSwayEnd);
        EXPECT_GE(p.nSway, p.nSwayEnd - 17);
    }
}

TEST_F(Petals, ParticlesLeavingOneSideComeBackOnTheOther) {
    snow.RGNSnowInit(0, 0, 15360, 1485, 1, RGB(0, 0, 0), 1, 0);
    auto& p = snow.tSnow()[0];
    Pin(p, 15360 + 101, 300);
    snow.RGNSnowMove();
    EXPECT_FLOAT_EQ(p.nX, -100);
    // ... and is drawn there, 100 twips left of the window: round(-100 / 15) = -7.
    EXPECT_EQ(snow.frmSnow()->WindowRgn()->bounds().left, -7);

    Pin(p, -101, 300);
    snow.RGNSnowMove();
    EXPECT_FLOAT_EQ(p.nX, 15360 + 100);

    Pin(p, 15360 + 100, 300);  // exactly on the line stays
    snow.RGNSnowMove();
    EXPECT_NEAR(p.nX, 15360 + 100, 0.01);
}

TEST_F(Petals, AParticleFallingOutOfTheBottomStartsAgainAbove) {
    snow.RGNSnowInit(0, 0, 15360, 1485, 1, RGB(0, 0, 0), 3, 8);
    auto& p = snow.tSnow()[0];
    Pin(p, 4000, 1480);
    snow.RGNSnowMove();
    EXPECT_LE(p.nY, 0);
    EXPECT_EQ(p.nSize, 3);
    EXPECT_EQ(p.nSpeed, 8);
    EXPECT_EQ(snow.frmPile(), nullptr);
}

TEST_F(Petals, ShapesAreEllipsesFromSizeTwoAndSquaresBelowRoundedLeftTruncatedRight) {
    snow.RGNSnowInit(0, 0, 15360, 1485, 1, RGB(0, 0, 0), 3, 0);
    auto& p = snow.tSnow()[0];
    Pin(p, 0, 0);
    snow.RGNSnowMove();
    EXPECT_EQ(*snow.frmSnow()->WindowRgn(), Region::ellipse({0, 0, 4, 4}));

    p.nSize = 1;
    Pin(p, 150, 150);
    snow.RGNSnowMove();
    EXPECT_EQ(*snow.frmSnow()->WindowRgn(), Region::rectangle({10, 10, 12, 12}));

    p.nSize = 0;
    Pin(p, 8, 0);  // left rounds to 1, right truncates to 1: nothing to draw
    snow.RGNSnowMove();
    EXPECT_TRUE(snow.frmSnow()->WindowRgn()->empty());
}

TEST_F(Petals, WithPilingTheyGatherAtTheBottomAndOnEachOther) {
    // A 20 x 20 pixel area with two 2 x 2 squares falling 30 twips a step.
    snow.RGNSnowInit(1500, 1500, 300, 300, 2, RGB(255, 255, 255), 1, 30, true);
    ASSERT_NE(snow.frmPile(), nullptr);
    EXPECT_FALSE(snow.frmPile()->Visible());
    auto& a = snow.tSnow()[0];
    auto& b = snow.tSnow()[1];
    Pin(a, 150, 290);  // passes the bottom this step
    Pin(b, 150, -600);
    snow.RGNSnowMove();
    // It settles on the bottom, at nAreaH - nSpeed = 270 twips: rows 18 and 19 of the window.
    ASSERT_TRUE(snow.frmPile()->Visible());
    const Region first = Region::rectangle({10, 18, 12, 20});
    EXPECT_EQ(*snow.frmPile()->WindowRgn(), first);
    EXPECT_LE(a.nY, 0);

    // The second one reaches the shown pile and settles where it touched it.
    Pin(a, 100, -3000);
    Pin(b, 165, 225);
    snow.RGNSnowMove();
    Region both = first;
    both.combine(both, Region::rectangle({11, 17, 13, 19}), CombineMode::Or);
    EXPECT_EQ(*snow.frmPile()->WindowRgn(), both);
    EXPECT_LE(b.nY, 0);

    // One that does not touch it falls on as part of the frame.
    Pin(b, 0, 0);
    snow.RGNSnowMove();
    EXPECT_EQ(*snow.frmPile()->WindowRgn(), both);
    EXPECT_FLOAT_EQ(b.nY, 30);
}

TEST_F(Petals, EndClosesTheWindowsAndLaterStepsShowNothing) {
    const auto before = desktop.window_count();
    snow.RGNSnowInit(0, 0, 3000, 3000, 10, RGB(0, 0, 0), 3, 8);
    cRGNSnow piling(*g);
    piling.RGNSnowInit(0, 0, 3000, 3000, 10, RGB(0, 0, 0), 3, 8, true);
    EXPECT_EQ(desktop.window_count(), before + 3);
    snow.RGNSnowEnd();
    EXPECT_EQ(snow.frmSnow(), nullptr);
    EXPECT_EQ(desktop.window_count(), before + 2);
    snow.RGNSnowMove();
    snow.RGNSnowEnd();
    piling.RGNSnowEnd();
    EXPECT_EQ(desktop.window_count(), before);

    cRGNSnow never(*g);
    never.RGNSnowMove();
    never.RGNSnowEnd();
    EXPECT_EQ(desktop.window_count(), before);
}

}  // namespace
}  // namespace pw
