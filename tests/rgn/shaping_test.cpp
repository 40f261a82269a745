// Dressing windows as sprites: sizes, pictures, shapes, hit masks and the fatal failures.
#include <gtest/gtest.h>

#include <fstream>

#include "rgn/mod_RGN_Proc.hpp"
#include "support/game_fixture.hpp"
#include "support/json_value.hpp"
#include "support/run_game.hpp"

namespace pw {
namespace {

class Shaping : public test::GameFixture {};

TEST_F(Shaping, SizeTableForEveryNumberAndNothingOutsideIt) {
    const std::pair<float, float> sizes[16] = {
        {375, 165},    {2445, 1425},  {2655, 9195},  {2655, 870}, {4500, 720}, {555, 990},
        {15360, 1485}, {15360, 1485}, {15360, 1485}, {555, 990},  {915, 675},  {285, 150},
        {285, 150},    {315, 150},    {180, 180},    {180, 180}};
    auto& w = *g->frmSTAFF;
    for (int n = 0; n < 16; ++n) {
        RGNSetSize(n, w);
        EXPECT_FLOAT_EQ(w.Width(), sizes[n].first) << n;
        EXPECT_FLOAT_EQ(w.Height(), sizes[n].second) << n;
    }
    for (int n : {-1, 16, 17, 99}) {
        RGNSetSize(n, w);
        EXPECT_FLOAT_EQ(w.Width(), 180) << n;
    }
}

TEST_F(Shaping, TheHitMaskIsTheShapeInWindowLocalPixels) {
    auto& ship = *g->frmPlayer;
    ship.Move(7000, 9000);
    const auto mask = RGNSetWindow(*g, 11, ship);
    ASSERT_TRUE(mask);
    EXPECT_TRUE(mask->contains(2, 5));
    EXPECT_FALSE(mask->contains(0, 0));
    // The left and top edges of a rectangle are inside, its right and bottom are not.
    EXPECT_TRUE(mask->rect_in({4, 1, 5, 2}));
    EXPECT_FALSE(mask->rect_in({6, 1, 7, 2}));
    EXPECT_FALSE(mask->rect_in({4, 0, 5, 1}));
    EXPECT_EQ(*mask, *ship.WindowRgn());
}

TEST_F(Shaping, APictureChangeLeavesSizeAndShape) {
    auto& ship = *g->frmPlayer;
    const Region before = *ship.WindowRgn();
    RGNSetPicture(*g, 12, ship);
    RGNSetPicture(*g, 11, ship);
    EXPECT_EQ(ship.PictureNumber(), 11);
    EXPECT_FLOAT_EQ(ship.Width(), 285);
    EXPECT_EQ(*ship.WindowRgn(), before);
}

TEST_F(Shaping, EachCreationIsANewRegionOfTheSameShape) {
    Region a = RGNCreate(*g, 13);
    const Region b = RGNCreate(*g, 13);
    EXPECT_EQ(a, b);
    a.offset(1, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(RGNCreate(*g, 11), RGNCreate(*g, 12));
}

// A window that refuses every shape.
class Refusing : public win::Shapeable {
  public:
    float Width() const override { return 0; }
    float Height() const override { return 0; }
    void SetWidth(float) override {}
    void SetHeight(float) override {}
    void SetPicture(platform::Picture, std::optional<int>) override {}
    bool ApplyRegion(Region) override { return false; }
};

class Failures : public ::testing::Test {
  protected:
    Failures()
        : path(test::temp_path("fatal.jsonl")),
          desktop([&] {
              auto o = test::default_desktop();
              o.trace_path = path;
              return o;
          }()),
          g(desktop) {
        RGNDataLoad(g.rgnStore);
    }
    void expect_message(const char* text) {
        desktop.finish(1);
        const auto trace = test::read_trace(path);
        ASSERT_GE(trace.size(), 1u);
        EXPECT_EQ(trace[0]["ev"].str(), "msgbox");
        EXPECT_EQ(trace[0]["text"].str(), text);
        EXPECT_EQ(trace[0]["caption"].str(), "Petalwing");
    }
    std::string path;
    headless::HeadlessDesktop desktop;
    Game g;
};

TEST_F(Failures, ABrokenRegionBlockShowsItsMessageAndEndsTheProgram) {
    g.rgnStore.RGNData[11][0] = 31;  // dwSize must be 32
    bool went_on = false;
    try {
        RGNSetWindow(g, 11, *g.frmPlayer);
        went_on = true;
    } catch (const platform::ProgramEnd& end) {
        EXPECT_EQ(end.exit_code, 1);
    }
    EXPECT_FALSE(went_on);
    expect_message(kMsgRegionData);
}

TEST_F(Failures, ARefusedShapeShowsItsMessageAndEndsTheProgram) {
    Refusing window;
    bool went_on = false;
    try {
        RGNSetWindow(g, 0, window);
        went_on = true;
    } catch (const platform::ProgramEnd& end) {
        EXPECT_EQ(end.exit_code, 1);
    }
    EXPECT_FALSE(went_on);
    expect_message(kMsgWindowShape);
}

TEST(SpriteSheet, IsWritten) {
    const std::string png = test::temp_path("sheet.png");
    const std::string cmd = std::string(PETALWING_EXE) + " --sprite-sheet " + png;
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(png, std::ios::binary);
    char magic[4] = {};
    in.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
}

}  // namespace
}  // namespace pw
