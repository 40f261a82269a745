// Speech balloons: the cap shapes, where the three pieces stand for both sides, the close
// label, and the fatal messages when a cap cannot be cut.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include <string>
#include <utility>
#include <vector>

#include "platform/desktop_decorator.hpp"
#include "store/mod_RGN_Data.hpp"
#include "support/game_fixture.hpp"
#include "support/run_game.hpp"

namespace pw {
namespace {

// The visible pixels of a cap: for each row of the 18-row window, the inclusive x range, or
// (-1, -1) for an empty row.
using Rows = std::vector<std::pair<int, int>>;

Rows VisibleRows(const Region& shape, int width) {
    Rows rows;
    for (int y = 0; y < 18; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < width; ++x)
            if (shape.contains(x, y)) {
                if (first < 0) first = x;
                last = x;
            }
        rows.emplace_back(first, last);
    }
    return rows;
}

Rows Expand(std::initializer_list<std::pair<int, std::pair<int, int>>> spans) {
    Rows rows(18, {-1, -1});
    int y = 0;
    for (const auto& [through, range] : spans)
        for (; y <= through; ++y)
            rows[static_cast<std::size_t>(y)] = range;
    return rows;
}

constexpr std::pair<int, int> kNone{-1, -1};

class Balloon : public test::GameFixture {
  protected:
    Region CapShape(int slot) {
        const auto& block = g->rgnPopStore.RGNPopData[static_cast<std::size_t>(slot)];
        auto region = Region::from_data(block, static_cast<std::size_t>(block[0] + block[3]));
        EXPECT_TRUE(region.has_value());
        return region ? *region : Region{};
    }
};

TEST_F(Balloon, CapStoreHoldsTheFourShapesAndAnEmptyFifthSlot) {
    const auto& data = g->rgnPopStore.RGNPopData;
    const int counts[] = {13, 20, 12, 18};
    const int bound_right[] = {121, 106, 106, 121};
    for (int slot = 0; slot < 4; ++slot) {
        const auto& b = data[static_cast<std::size_t>(slot)];
        EXPECT_EQ(b[kRgnDwSize], 32);
        EXPECT_EQ(b[kRgnIType], 1);
        EXPECT_EQ(b[kRgnNCount], counts[slot]);
        EXPECT_EQ(b[kRgnNRgnSize], 16 * counts[slot]);
        EXPECT_EQ(b[kRgnRcBound + 2], bound_right[slot]);
        EXPECT_EQ(b[kRgnRcBound + 3], 270);
        // The last rectangle is the band under the cap; nothing is stored after it.
        const auto last = kRgnHeaderWords + 4 * static_cast<std::size_t>(counts[slot] - 1);
        EXPECT_EQ(b[last + 1], 18);
        EXPECT_EQ(b[last + 3], 270);
        for (std::size_t w = last + 4; w < b.size(); ++w)
            ASSERT_EQ(b[w], 0) << "slot " << slot << " word " << w;
    }
    for (auto word : data[4])
        ASSERT_EQ(word, 0);
}

TEST_F(Balloon, CapsShowRoundedEndsWithTheTailOnTheSpeakersSide) {
    EXPECT_EQ(VisibleRows(CapShape(0), 8), Expand({{0, kNone},
                                                   {1, {7, 7}},
                                                   {2, {5, 7}},
                                                   {4, {3, 7}},
                                                   {5, {2, 7}},
                                                   {10, {1, 7}},
                                                   {13, {2, 7}},
                                                   {15, {1, 7}},
                                                   {16, {0, 4}},
                                                   {17, {0, 2}}}));
    EXPECT_EQ(VisibleRows(CapShape(1), 7), Expand({{0, kNone},
                                                   {1, {0, 0}},
                                                   {2, {0, 2}},
                                                   {4, {0, 4}},
                                                   {5, {0, 5}},
                                                   {10, {0, 6}},
                                                   {11, {0, 5}},
                                                   {13, {0, 4}},
                                                   {14, {0, 2}},
                                                   {15, {0, 0}},
                                                   {17, kNone}}));
    EXPECT_EQ(VisibleRows(CapShape(2), 7), Expand({{0, kNone},
                                                   {1, {6, 6}},
                                                   {2, {4, 6}},
                                                   {4, {2, 6}},
                                                   {5, {1, 6}},
                                                   {10, {0, 6}},
                                                   {11, {1, 6}},
                                                   {13, {2, 6}},
                                                   {14, {4, 6}},
                                                   {15, {6, 6}},
                                                   {17, kNone}}));
    EXPECT_EQ(VisibleRows(CapShape(3), 8), Expand({{0, kNone},
                                                   {1, {0, 0}},
                                                   {2, {0, 2}},
                                                   {4, {0, 4}},
                                                   {5, {0, 5}},
                                                   {10, {0, 6}},
                                                   {13, {0, 5}},
                                                   {15, {0, 6}},
                                                   {16, {3, 7}},
                                                   {17, {5, 7}}}));
}

TEST_F(Balloon, TheShipsBalloonHangsToTheRightOfItsPoint) {
    const std::string text = "いくぞ！";
    const float w = g->frmC->TextWidth(text);
    ASSERT_GT(w, 0);
    RGNPopShow(*g, text, 3000, 9000, 0, 1, "");
    EXPECT_FLOAT_EQ(g->frmL->Left(), 3000);
    EXPECT_FLOAT_EQ(g->frmL->Top(), 9000 - 150);
    EXPECT_FLOAT_EQ(g->frmC->Left(), 3000 + 120);
    EXPECT_FLOAT_EQ(g->frmC->Top(), 9000 - 140);
    EXPECT_FLOAT_EQ(g->frmC->Width(), w);
    EXPECT_FLOAT_EQ(g->frmC->Height(), 220);
    EXPECT_FLOAT_EQ(g->frmR->Left(), 3000 + 120 + w);
    EXPECT_FLOAT_EQ(g->frmR->Top(), 9000 - 150);
    EXPECT_FLOAT_EQ(g->frmL->Width(), 120);
    EXPECT_FLOAT_EQ(g->frmR->Width(), 105);
    EXPECT_FLOAT_EQ(g->frmL->Height(), 270);
    EXPECT_EQ(*g->frmL->WindowRgn(), CapShape(0));
    EXPECT_EQ(*g->frmR->WindowRgn(), CapShape(1));
    EXPECT_TRUE(g->frmL->Visible() && g->frmC->Visible() && g->frmR->Visible());
}

TEST_F(Balloon, TheBossesBalloonEndsWithItsTailAtThePoint) {
    const std::string text = "生きて帰れるかな？！";
    const float w = g->frmC->TextWidth(text);
    RGNPopShow(*g, text, 14805, 10380, 1, 1, "");
    EXPECT_FLOAT_EQ(g->frmL->Left(), 14805 - w - 105);
    EXPECT_FLOAT_EQ(g->frmL->Top(), 10380 - 150);
    EXPECT_FLOAT_EQ(g->frmC->Left(), 14805 - w);
    EXPECT_FLOAT_EQ(g->frmC->Top(), 10380 - 140);
    EXPECT_FLOAT_EQ(g->frmR->Left(), 14805);
    EXPECT_FLOAT_EQ(g->frmR->Top(), 10380 - 150);
    EXPECT_FLOAT_EQ(g->frmR->Width(), 120);
    EXPECT_EQ(*g->frmL->WindowRgn(), CapShape(2));
    EXPECT_EQ(*g->frmR->WindowRgn(), CapShape(3));
}

TEST_F(Balloon, ABalloonAfterAClosedOneIsLiftedTheSameWay) {
    RGNPopShow(*g, "うぉ！", 3000, 9000, 0, 1, "");
    CloseBalloon(*g);
    RGNPopShow(*g, "うぉ！", 3000, 9000, 0, 1, "");
    EXPECT_FLOAT_EQ(g->frmL->Top(), 9000 - 150);
    EXPECT_FLOAT_EQ(g->frmC->Top(), 9000 - 140);
}

TEST_F(Balloon, TheCloseLabelIsHiddenOrRightAlignedAndWidensTheCentre) {
    const std::string text = "やったぜ！！";
    const float w = g->frmC->TextWidth(text);

    RGNPopShow(*g, text, 3000, 9000, 0, 0, "");
    EXPECT_FALSE(g->frmC->cmdClose.Visible());
    EXPECT_FLOAT_EQ(g->frmC->Width(), w);
    CloseBalloon(*g);

    // Empty caption, as the game always passes: shown, without text, centre as wide as
    // the message.
    RGNPopShow(*g, text, 3000, 9000, 0, 1, "");
    EXPECT_TRUE(g->frmC->cmdClose.Visible());
    EXPECT_EQ(g->frmC->cmdClose.Caption(), "");
    EXPECT_FLOAT_EQ(g->frmC->Width(), w);
    CloseBalloon(*g);

    RGNPopShow(*g, text, 3000, 9000, 0, 1, "[x]");
    auto& label = g->frmC->cmdClose;
    EXPECT_FLOAT_EQ(g->frmC->Width(), 735 + w);  // the label's design width
    EXPECT_FLOAT_EQ(label.Left, w);
    EXPECT_EQ(label.Caption(), "[x]");
    EXPECT_FLOAT_EQ(label.Top, 20);  // (220 - 180) \ 2
    EXPECT_FLOAT_EQ(g->frmR->Left(), 3000 + 120 + 735 + w);
}

TEST_F(Balloon, ClickingTheCloseLabelRemovesAllThreePieces) {
    RGNPopShow(*g, "いくぞ！", 3000, 9000, 0, 1, "");
    const auto windows = desktop.window_count();
    g->frmC->cmdClose.Click();
    EXPECT_FALSE(g->frmL.loaded());
    EXPECT_FALSE(g->frmC.loaded());
    EXPECT_FALSE(g->frmR.loaded());
    EXPECT_EQ(desktop.window_count(), windows - 3);
    CloseBalloon(*g);  // the flow's own closing finds them gone
}

TEST_F(Balloon, AMalformedCapEndsTheProgramWithTheDataMessage) {
    g->rgnPopStore.RGNPopData[0][kRgnDwSize] = 0;
    EXPECT_THROW(RGNPopSetWindow(*g, 0, *g->frmL), platform::ProgramEnd);
}

// A desktop whose SetWindowRgn fails, and which keeps the message boxes it shows.
class RefusingDesktop : public platform::DesktopDecorator {
  public:
    using DesktopDecorator::DesktopDecorator;
    bool set_shape(platform::WindowHandle, std::optional<Region>) override { return false; }
    void message_box(std::string_view text, std::string_view caption) override {
        boxes.emplace_back(text, caption);
    }
    std::vector<std::pair<std::string, std::string>> boxes;
};

TEST(BalloonFailure, ACapThatCannotBeAppliedEndsTheProgramWithTheWindowMessage) {
    headless::HeadlessDesktop inner(test::default_desktop());
    RefusingDesktop desktop(inner);
    Game g(desktop);
    RGNPopInit(g);
    EXPECT_THROW(RGNPopSetWindow(g, 1, *g.frmR), platform::ProgramEnd);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].first, kMsgPopWindow);
    EXPECT_EQ(desktop.boxes[0].second, kAppTitle);

    g.rgnPopStore.RGNPopData[2][kRgnIType] = 7;
    EXPECT_THROW(RGNPopSetWindow(g, 2, *g.frmL), platform::ProgramEnd);
    ASSERT_EQ(desktop.boxes.size(), 2u);
    EXPECT_EQ(desktop.boxes[1].first, kMsgPopData);
}

// A PNG the program wrote, read back pixel by pixel (0xRRGGBB).
class Picture {
  public:
    explicit Picture(const std::string& path)
        : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Picture() { cairo_surface_destroy(surface_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
    std::uint32_t at(int x, int y) const {
        const auto* row = cairo_image_surface_get_data(surface_) +
                          static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
        return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
    }

  private:
    cairo_surface_t* surface_;
};

// On screen, the centre piece's edges are the caps' rows 1 and 15, and the body between them
// covers the desktop, for the ship's balloon (side 0) and the boss's (side 1).
TEST(BalloonOnScreen, TheCentrePieceSpansCapRowsOneToFifteenWithBothEdgesOnBothSides) {
    const std::string ship = test::temp_path("ship.png"), boss = test::temp_path("boss.png");
    const auto run = test::run_game({"--seed", "7", "--until", "6000", "--shot", "500:" + ship,
                                     "--shot", "5500:" + boss, "950"},
                                    "@0 down Space\n");
    const auto balloons = run.events("balloon");
    ASSERT_GE(balloons.size(), 3u);
    const std::pair<const test::Json*, std::string> cases[] = {{&balloons[0], ship},
                                                               {&balloons[2], boss}};
    for (const auto& [balloon, path] : cases) {
        const auto& b = *balloon;
        SCOPED_TRACE(b["text"].str());
        const Picture shot(path);
        ASSERT_TRUE(shot.ok());
        const auto px = [](double twips) { return static_cast<int>(std::floor(twips / 15 + 0.5)); };
        const int cap_top = px(b["L"].arr()[1].num());
        const int left = px(b["C"].arr()[0].num()), right = left + px(b["C"].arr()[2].num());
        constexpr std::uint32_t kBlack = 0x000000, kWallpaper = 0x3a6ea5;
        int wallpaper_in_body = 0, black_above = 0, black_below = 0;
        for (int x = left; x < right; ++x) {
            EXPECT_EQ(shot.at(x, cap_top + 1), kBlack) << "top edge, x " << x;
            EXPECT_EQ(shot.at(x, cap_top + 15), kBlack) << "bottom edge, x " << x;
            for (int y = cap_top + 2; y < cap_top + 15; ++y)
                wallpaper_in_body += shot.at(x, y) == kWallpaper;
            black_above += shot.at(x, cap_top) == kBlack;
            black_below += shot.at(x, cap_top + 16) == kBlack;
        }
        EXPECT_EQ(wallpaper_in_body, 0) << "the desktop shows through the body";
        EXPECT_LT(black_above, right - left) << "the top edge juts above the caps";
        EXPECT_LT(black_below, right - left);
    }
}

}  // namespace
}  // namespace pw
