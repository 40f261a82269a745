#include "store/mod_RGN_Data.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "art/art.hpp"
#include "platform/region.hpp"

namespace pw {
namespace {

struct Size {
    int width, height;
};

constexpr std::array<Size, 16> kWindow = {{{25, 11},
                                           {163, 95},
                                           {177, 613},
                                           {177, 58},
                                           {300, 48},
                                           {37, 66},
                                           {1024, 99},
                                           {1024, 99},
                                           {1024, 99},
                                           {37, 66},
                                           {61, 45},
                                           {19, 10},
                                           {19, 10},
                                           {21, 10},
                                           {12, 12},
                                           {12, 12}}};

std::vector<Rect> rects_of(const RGN_INFO& block) {
    std::vector<Rect> out;
    for (std::int32_t k = 0; k < block[kRgnNCount]; ++k) {
        const auto* w = &block[kRgnHeaderWords + 4 * static_cast<std::size_t>(k)];
        out.push_back({w[0], w[1], w[2], w[3]});
    }
    return out;
}

// A shape as a pixel mask over a window-sized grid.
struct Mask {
    int width, height;
    std::vector<bool> bits;
    Mask(int w, int h) : width(w), height(h), bits(static_cast<std::size_t>(w) * h) {}
    bool at(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height &&
               bits[static_cast<std::size_t>(y) * width + x];
    }
    void set(int x, int y) { bits[static_cast<std::size_t>(y) * width + x] = true; }
};

Mask mask_of(const std::vector<Rect>& rects, Size size) {
    Mask m(size.width, size.height);
    for (const Rect& r : rects)
        for (int y = r.top; y < std::min(r.bottom, size.height); ++y)
            for (int x = r.left; x < std::min(r.right, size.width); ++x)
                m.set(x, y);
    return m;
}

class RegionStore : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        store_ = std::make_unique<RgnDataStore>();
        RGNDataLoad(*store_);
    }
    static void TearDownTestSuite() { store_.reset(); }
    static const RGN_INFO& slot(int n) { return store_->RGNData[static_cast<std::size_t>(n)]; }
    static std::vector<Rect> rects(int n) { return rects_of(slot(n)); }

    static std::unique_ptr<RgnDataStore> store_;
};
std::unique_ptr<RgnDataStore> RegionStore::store_;

TEST_F(RegionStore, EveryFilledBlockHasAValidHeaderAndZeroTail) {
    ASSERT_EQ(store_->RGNData.size(), 17u);
    static_assert(sizeof(RGN_INFO) == 9916 * 4);
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n);
        const RGN_INFO& b = slot(n);
        EXPECT_EQ(b[kRgnDwSize], 32);
        EXPECT_EQ(b[kRgnIType], 1);
        ASSERT_GT(b[kRgnNCount], 0);
        ASSERT_LE(b[kRgnNCount], static_cast<std::int32_t>(kRgnCapacity));
        EXPECT_EQ(b[kRgnNRgnSize], 16 * b[kRgnNCount]);
        const auto tail = b.begin() + kRgnHeaderWords + 4 * b[kRgnNCount];
        EXPECT_TRUE(std::all_of(tail, b.end(), [](std::int32_t w) { return w == 0; }));
    }
    const RGN_INFO& empty = slot(16);
    EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](std::int32_t w) { return w == 0; }));
}

TEST_F(RegionStore, LoadingAgainOverAnyContentsGivesTheSameBlocks) {
    auto dirty = std::make_unique<RgnDataStore>();
    for (RGN_INFO& b : dirty->RGNData)
        b.fill(0x5A5A5A5A);
    RGNDataLoad(*dirty);
    RGNDataLoad(*dirty);
    for (int n = 0; n < 17; ++n) {
        SCOPED_TRACE(n);
        EXPECT_TRUE(dirty->RGNData[static_cast<std::size_t>(n)] == slot(n));
    }
}

TEST_F(RegionStore, RectanglesAreInCanonicalBandsInsideTheWindow) {
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n);
        const auto rs = rects(n);
        const Size size = kWindow[static_cast<std::size_t>(n)];
        for (std::size_t i = 0; i < rs.size(); ++i) {
            const Rect& r = rs[i];
            ASSERT_LT(r.left, r.right);
            ASSERT_LT(r.top, r.bottom);
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.right, size.width);
            EXPECT_LE(r.bottom, size.height);
            if (i == 0) continue;
            const Rect& p = rs[i - 1];
            if (p.top == r.top) {
                EXPECT_EQ(p.bottom, r.bottom) << "a band has one height";
                EXPECT_LT(p.right, r.left) << "runs in a band neither overlap nor touch";
            } else {
                EXPECT_GE(r.top, p.bottom) << "bands go down and do not overlap";
            }
        }
        // Touching bands never repeat the same runs.
        struct Band {
            int top, bottom;
            std::vector<std::pair<int, int>> runs;
        };
        std::vector<Band> bands;
        for (const Rect& r : rs) {
            if (bands.empty() || bands.back().top != r.top) bands.push_back({r.top, r.bottom, {}});
            bands.back().runs.push_back({r.left, r.right});
        }
        for (std::size_t i = 1; i < bands.size(); ++i) {
            if (bands[i - 1].bottom == bands[i].top) {
                EXPECT_NE(bands[i - 1].runs, bands[i].runs) << "at row " << bands[i].top;
            }
        }
    }
}

TEST_F(RegionStore, BoundsFollowTheRectangles) {
    const std::set<int> top_from_first_band = {0, 1, 2, 5, 9, 10};
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n);
        const auto rs = rects(n);
        const RGN_INFO& b = slot(n);
        std::int32_t left = rs.front().left, right = rs.front().right;
        for (const Rect& r : rs) {
            left = std::min(left, r.left);
            right = std::max(right, r.right);
        }
        EXPECT_EQ(b[kRgnRcBound + 0], left);
        EXPECT_EQ(b[kRgnRcBound + 1], top_from_first_band.contains(n) ? rs.front().top : 0);
        EXPECT_EQ(b[kRgnRcBound + 2], right);
        EXPECT_EQ(b[kRgnRcBound + 3], rs.back().bottom);
    }
}

TEST_F(RegionStore, TellingShapesAreExact) {
    EXPECT_EQ(rects(0), (std::vector<Rect>{{1, 1, 11, 10}, {13, 1, 23, 10}}));
    EXPECT_EQ(rects(1), (std::vector<Rect>{{1, 1, 162, 94}}));
    EXPECT_EQ(rects(5), (std::vector<Rect>{{9, 38, 12, 39}, {8, 39, 12, 43}, {9, 43, 12, 44}}));
    const std::vector<Rect> ship = {{4, 1, 6, 2},  {4, 2, 7, 3},  {5, 3, 8, 4}, {10, 3, 12, 4},
                                    {4, 4, 14, 5}, {2, 5, 15, 6}, {4, 6, 9, 7}, {10, 6, 15, 7},
                                    {4, 7, 7, 8},  {2, 8, 10, 9}};
    EXPECT_EQ(rects(11), ship);
    EXPECT_EQ(rects(12), ship);
    EXPECT_TRUE(std::equal(slot(11).begin(), slot(11).end(), slot(12).begin()));
    EXPECT_EQ(rects(13), (std::vector<Rect>{{7, 1, 14, 2},
                                            {5, 2, 13, 3},
                                            {3, 3, 6, 4},
                                            {8, 3, 13, 4},
                                            {2, 4, 5, 5},
                                            {7, 4, 12, 5},
                                            {2, 5, 12, 6},
                                            {4, 6, 11, 7},
                                            {3, 7, 8, 8}}));
    EXPECT_EQ(rects(14), (std::vector<Rect>{{5, 1, 7, 2},
                                            {4, 2, 9, 3},
                                            {2, 3, 3, 4},
                                            {4, 3, 10, 4},
                                            {2, 4, 10, 5},
                                            {1, 5, 11, 6},
                                            {1, 6, 7, 7},
                                            {9, 6, 10, 7},
                                            {2, 7, 10, 8},
                                            {2, 8, 9, 9},
                                            {4, 9, 10, 10},
                                            {5, 10, 7, 11}}));
    EXPECT_EQ(rects(15), (std::vector<Rect>{{5, 1, 7, 2},
                                            {3, 2, 8, 3},
                                            {2, 3, 8, 4},
                                            {9, 3, 10, 4},
                                            {2, 4, 10, 5},
                                            {1, 5, 11, 6},
                                            {2, 6, 3, 7},
                                            {5, 6, 11, 7},
                                            {2, 7, 10, 8},
                                            {3, 8, 10, 9},
                                            {2, 9, 8, 10},
                                            {5, 10, 7, 11}}));
}

TEST_F(RegionStore, CreditsAreTheLargestShapeAndStayInTheirArea) {
    for (int n = 0; n < 16; ++n)
        if (n != 2) {
            EXPECT_LT(slot(n)[kRgnNCount], slot(2)[kRgnNCount]) << "slot " << n;
        }
    const auto inside = [](const std::vector<Rect>& rs, Rect area) {
        return std::all_of(rs.begin(), rs.end(), [&](const Rect& r) {
            return r.left >= area.left && r.right <= area.right && r.top >= area.top &&
                   r.bottom <= area.bottom;
        });
    };
    // The staff-roll window is 163 px wide and scrolls the credits from row 95 up to 0.
    EXPECT_TRUE(inside(rects(2), {15, 93, 161, 567}));
    EXPECT_TRUE(inside(rects(3), {0, 7, 163, 31}));
}

TEST_F(RegionStore, PlatformRegionsFromTheBlocksKeepTheirRectangles) {
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n);
        const RGN_INFO& b = slot(n);
        const auto bytes = static_cast<std::size_t>(b[kRgnDwSize] + b[kRgnNRgnSize]);
        const auto region = Region::from_data(b, bytes);
        ASSERT_TRUE(region.has_value());
        EXPECT_EQ(region->rects(), rects(n));
    }
}

TEST(ArtPictures, PicturesHaveTheWindowSizeAndTheShapeOfTheirSlot) {
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n);
        const auto picture = art::sprite_picture(n);
        const Size size = kWindow[static_cast<std::size_t>(n)];
        ASSERT_EQ(picture.width(), size.width);
        ASSERT_EQ(picture.height(), size.height);
        std::vector<Rect> rs;
        const auto words = art::sprite_shape(n).rects;
        for (std::size_t i = 0; i < words.size(); i += 4)
            rs.push_back({words[i], words[i + 1], words[i + 2], words[i + 3]});
        const Mask shape = mask_of(rs, size);
        int mismatches = 0;
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) {
                const std::uint32_t p =
                    picture.pixels()[static_cast<std::size_t>(y) * size.width + x];
                ASSERT_TRUE((p >> 24) == 0 || (p >> 24) == 255);
                if (((p >> 24) == 255) != shape.at(x, y)) ++mismatches;
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(ArtPictures, ShipLooksDifferentWhenInvulnerable) {
    const auto normal = art::sprite_picture(11);
    const auto invulnerable = art::sprite_picture(12);
    EXPECT_FALSE(
        std::equal(normal.pixels().begin(), normal.pixels().end(), invulnerable.pixels().begin()));
}

TEST(ArtPictures, BalloonCapsShowExactlyTheirVisibleRows) {
    // Inclusive x ranges of the visible pixels of each row; rows not listed are empty.
    using Rows = std::vector<std::array<int, 3>>;  // row, first x, last x
    const std::array<Rows, 4> visible = {{
        {{1, 7, 7},
         {2, 5, 7},
         {3, 3, 7},
         {4, 3, 7},
         {5, 2, 7},
         {6, 1, 7},
         {7, 1, 7},
         {8, 1, 7},
         {9, 1, 7},
         {10, 1, 7},
         {11, 2, 7},
         {12, 2, 7},
         {13, 2, 7},
         {14, 1, 7},
         {15, 1, 7},
         {16, 0, 4},
         {17, 0, 2}},
        {{1, 0, 0},
         {2, 0, 2},
         {3, 0, 4},
         {4, 0, 4},
         {5, 0, 5},
         {6, 0, 6},
         {7, 0, 6},
         {8, 0, 6},
         {9, 0, 6},
         {10, 0, 6},
         {11, 0, 5},
         {12, 0, 4},
         {13, 0, 4},
         {14, 0, 2},
         {15, 0, 0}},
        {{1, 6, 6},
         {2, 4, 6},
         {3, 2, 6},
         {4, 2, 6},
         {5, 1, 6},
         {6, 0, 6},
         {7, 0, 6},
         {8, 0, 6},
         {9, 0, 6},
         {10, 0, 6},
         {11, 1, 6},
         {12, 2, 6},
         {13, 2, 6},
         {14, 4, 6},
         {15, 6, 6}},
        {{1, 0, 0},
         {2, 0, 2},
         {3, 0, 4},
         {4, 0, 4},
         {5, 0, 5},
         {6, 0, 6},
         {7, 0, 6},
         {8, 0, 6},
         {9, 0, 6},
         {10, 0, 6},
         {11, 0, 5},
         {12, 0, 5},
         {13, 0, 5},
         {14, 0, 6},
         {15, 0, 6},
         {16, 3, 7},
         {17, 5, 7}},
    }};
    const std::array<int, 4> widths = {8, 7, 7, 8};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const auto picture = art::cap_picture(k);
        ASSERT_EQ(picture.width(), widths[static_cast<std::size_t>(k)]);
        ASSERT_EQ(picture.height(), 18);
        Mask want(picture.width(), 18);
        for (const auto& [row, first, last] : visible[static_cast<std::size_t>(k)])
            for (int x = first; x <= last; ++x)
                want.set(x, row);
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const auto p = picture.pixels()[static_cast<std::size_t>(y) * picture.width() + x];
                EXPECT_EQ((p >> 24) == 255, want.at(x, y)) << "pixel " << x << "," << y;
            }
    }
}

TEST(ArtPictures, IconIsA16ColourSquare) {
    const auto icon = art::icon_picture();
    ASSERT_EQ(icon.width(), 32);
    ASSERT_EQ(icon.height(), 32);
    std::set<std::uint32_t> colours;
    for (std::uint32_t p : icon.pixels())
        if (p >> 24) colours.insert(p);
    EXPECT_LE(colours.size(), 16u);
    EXPECT_GT(colours.size(), 3u);
}

// The scenery is the level. From its start (x 36, top at strip row 49) the ship drifts right
// 0.5 px a frame or flies 1 px, and steers at most 1 px up or down; its top never rises above
// row 10. Its whole 19 x 10 window must be able to reach x 960 with its top at rows 66..70,
// where its shots meet the boss's core, touching nothing of the first scene, nor of the boss
// scene beyond x 900; and it must be able to hold that line anywhere from x 820 to 960.
TEST_F(RegionStore, TheLevelCanBeFlownToTheBoss) {
    constexpr int kW = 1024, kH = 99, kShipW = 19, kShipH = 10;
    const Mask first = mask_of(rects(6), {kW, kH});
    const Mask boss_stage = mask_of(rects(7), {kW, kH});
    const auto clear = [&](const Mask& m, int x, int y) {
        for (int dy = 0; dy < kShipH; ++dy)
            for (int dx = 0; dx < kShipW; ++dx)
                if (m.at(x + dx, y + dy)) return false;
        return true;
    };
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < 53; ++x)
            ASSERT_FALSE(first.at(x, y)) << "the start is not clear";
    for (int x = 820; x <= 960; ++x)
        for (int y = 66; y <= 70; ++y) {
            ASSERT_TRUE(clear(first, x, y)) << x << "," << y;
            ASSERT_TRUE(clear(boss_stage, x, y)) << x << "," << y;
        }
    // free_at[x][y]: the ship's window may stand with its top-left corner there.
    std::vector<std::vector<bool>> free_at(kW, std::vector<bool>(kH));
    for (int x = 0; x < kW; ++x)
        for (int y = 10; y <= kH - kShipH; ++y)
            free_at[x][y] = clear(first, x, y) && (x <= 900 || clear(boss_stage, x, y));
    // Reachable tops, frame by frame, with x counted in half pixels.
    constexpr int kStart = 2 * 36, kGoal = 2 * 960;
    std::vector<std::vector<bool>> reach(kGoal + 1, std::vector<bool>(kH));
    reach[kStart][49] = true;
    for (int hx = kStart; hx < kGoal; ++hx)
        for (int y = 10; y <= kH - kShipH; ++y) {
            if (!reach[hx][y]) continue;
            for (int nx : {hx + 1, hx + 2}) {
                if (nx > kGoal) continue;
                for (int ny = std::max(10, y - 1); ny <= std::min(kH - kShipH, y + 1); ++ny) {
                    if (free_at[nx / 2][ny]) reach[nx][ny] = true;
                }
            }
        }
    bool lined_up = false;
    for (int y = 66; y <= 70; ++y)
        lined_up = lined_up || reach[kGoal][y];
    EXPECT_TRUE(lined_up);
}

}  // namespace
}  // namespace pw
