// Region conformance: reference results recorded from a real gdi32, the canonical banded
// form checked pixel by pixel against an independent reference, and the GDI rules the game
// relies on (ellipse pixels, region-data blocks, ownership).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <limits>
#include <random>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/region.hpp"

namespace pw {
namespace {

using Rects = std::vector<Rect>;

// --- helpers --------------------------------------------------------------------------------

std::vector<std::int32_t> ints_in(const std::string& text) {
    static const std::regex number(R"(-?\d+)");
    std::vector<std::int32_t> out;
    for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it) {
        out.push_back(std::stoi(it->str()));
    }
    return out;
}

Rect rect_of(const std::string& text) {
    const auto v = ints_in(text);
    EXPECT_EQ(v.size(), 4u) << text;
    return v.size() == 4 ? Rect{v[0], v[1], v[2], v[3]} : Rect{};
}

Rects rects_of(const std::string& text) {
    const auto v = ints_in(text);
    EXPECT_EQ(v.size() % 4, 0u) << text;
    Rects out;
    for (std::size_t i = 0; i + 3 < v.size(); i += 4)
        out.push_back({v[i], v[i + 1], v[i + 2], v[i + 3]});
    return out;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

std::string fixture() {
    std::ifstream in(std::string(PETALWING_TEST_DATA) + "/gdi-regions.json");
    EXPECT_TRUE(in) << "missing gdi-regions.json";
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A region-data block as ExtCreateRegion takes it, and its byte count.
std::pair<std::vector<std::int32_t>, std::size_t> block_of(const Rects& rs) {
    std::vector<std::int32_t> w{32,
                                1,
                                static_cast<std::int32_t>(rs.size()),
                                static_cast<std::int32_t>(16 * rs.size()),
                                0,
                                0,
                                0,
                                0};
    for (const Rect& r : rs)
        w.insert(w.end(), {r.left, r.top, r.right, r.bottom});
    return {w, w.size() * sizeof(std::int32_t)};
}

Region region_of(const Rects& rs) {
    auto [words, bytes] = block_of(rs);
    auto r = Region::from_data(words, bytes);
    EXPECT_TRUE(r.has_value());
    return r ? std::move(*r) : Region();
}

// Pixel sets on a small grid, and their canonical rectangles computed the slow, obvious way:
// runs per row, consecutive rows with identical runs grouped into one band.
constexpr int grid = 24;
using Pixels = std::array<std::array<bool, grid>, grid>;

Pixels pixels_of(const Rects& rs) {
    Pixels p{};
    for (const Rect& r : rs)
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, grid); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, grid); ++x)
                p[y][x] = true;
    return p;
}

Pixels pixels_of(const Region& region) {
    Pixels p{};
    for (int y = 0; y < grid; ++y)
        for (int x = 0; x < grid; ++x)
            p[y][x] = region.contains(x, y);
    return p;
}

Rects canonical(const Pixels& p) {
    Rects out;
    std::vector<std::pair<int, int>> band_runs;
    std::size_t band_start = 0;
    for (int y = 0; y < grid; ++y) {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < grid; ++x) {
            if (!p[y][x]) continue;
            const int start = x;
            while (x < grid && p[y][x])
                ++x;
            runs.push_back({start, x});
        }
        if (!runs.empty() && runs == band_runs && out.back().bottom == y) {
            for (std::size_t i = band_start; i < out.size(); ++i)
                out[i].bottom = y + 1;
            continue;
        }
        band_start = out.size();
        band_runs = runs;
        for (auto [l, r] : runs)
            out.push_back({l, y, r, y + 1});
    }
    return out;
}

RegionKind kind_for(std::size_t count) {
    return count == 0 ? RegionKind::Null : count == 1 ? RegionKind::Simple : RegionKind::Complex;
}

Rects random_rects(std::mt19937& rng, int n) {
    std::uniform_int_distribution<int> coord(0, grid - 1), size(0, 9);
    Rects rs;
    for (int i = 0; i < n; ++i) {
        const int x = coord(rng), y = coord(rng);
        rs.push_back({x, y, std::min(x + size(rng), grid), std::min(y + size(rng), grid)});
    }
    return rs;
}

// --- reference results from gdi32 -------------------------------------------------------------

TEST(RegionGdiReference, CombineGivesTheSameTypeAndRectangles) {
    const std::string text = fixture();
    static const std::regex item(
        R"re(\{"a":(\[[^\]]*\]),"b":(\[[^\]]*\]),"mode":(\d+),"type":(\d+),"rects":\[((?:\[[^\]]*\],?)*)\]\})re");
    std::size_t cases = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), item), end; it != end; ++it, ++cases) {
        const auto& m = *it;
        SCOPED_TRACE(m.str());
        const Region a = Region::rectangle(rect_of(m[1]));
        const Region b = Region::rectangle(rect_of(m[2]));
        Region out;
        EXPECT_EQ(out.combine(a, b, static_cast<CombineMode>(std::stoi(m[3]))),
                  static_cast<RegionKind>(std::stoi(m[4])));
        EXPECT_EQ(out.rects(), rects_of(m[5]));
    }
    EXPECT_EQ(cases, occurrences(text, "\"mode\":"));
    EXPECT_GT(cases, 0u);
}

TEST(RegionGdiReference, RectInRegionAgrees) {
    const std::string text = fixture();
    static const std::regex item(R"re(\{"region":(\[[^\]]*\]),"rect":(\[[^\]]*\]),"in":(\d)\})re");
    std::size_t cases = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), item), end; it != end; ++it, ++cases) {
        const auto& m = *it;
        SCOPED_TRACE(m.str());
        EXPECT_EQ(Region::rectangle(rect_of(m[1])).rect_in(rect_of(m[2])), m[3] == "1");
    }
    EXPECT_EQ(cases, occurrences(text, "\"rect\":"));
    EXPECT_GT(cases, 0u);
}

TEST(RegionGdiReference, ExtCreateRegionMergesToTheSameRectangles) {
    const std::string text = fixture();
    static const std::regex item(
        R"re(\{"in":\[((?:\[[^\]]*\],?)*)\],"rects":\[((?:\[[^\]]*\],?)*)\]\})re");
    std::size_t cases = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), item), end; it != end; ++it, ++cases) {
        const auto& m = *it;
        SCOPED_TRACE(m.str());
        EXPECT_EQ(region_of(rects_of(m[1])).rects(), rects_of(m[2]));
    }
    EXPECT_EQ(cases, occurrences(text, "\"in\":["));
    EXPECT_GT(cases, 0u);
}

// --- canonical form ----------------------------------------------------------------------------

TEST(RegionCanonical, RectangleCountSeparatesSimpleFromComplex) {
    Region r;
    EXPECT_EQ(r.kind(), RegionKind::Null);
    EXPECT_EQ(r.combine(Region::rectangle({0, 0, 4, 4}), Region::rectangle({4, 0, 9, 4}),
                        CombineMode::Or),
              RegionKind::Simple);
    EXPECT_EQ(r.rects(), (Rects{{0, 0, 9, 4}}));

    EXPECT_EQ(r.combine(Region::rectangle({0, 0, 4, 4}), Region::rectangle({0, 4, 2, 8}),
                        CombineMode::Or),
              RegionKind::Complex);
    EXPECT_EQ(r.rects(), (Rects{{0, 0, 4, 4}, {0, 4, 2, 8}}));

    // Split in two and put back together, the rectangle is one rectangle again.
    Region halves = region_of({{0, 0, 6, 3}, {0, 3, 6, 6}});
    EXPECT_EQ(halves.kind(), RegionKind::Simple);
    EXPECT_EQ(halves, Region::rectangle({0, 0, 6, 6}));
}

TEST(RegionCanonical, EveryOperationMatchesThePixelReference) {
    std::mt19937 rng(20240611);
    const std::array modes{CombineMode::And, CombineMode::Or, CombineMode::Xor, CombineMode::Diff,
                           CombineMode::Copy};
    for (int round = 0; round < 300; ++round) {
        const Rects ra = random_rects(rng, 1 + round % 7), rb = random_rects(rng, 1 + round % 5);
        const Region a = region_of(ra), b = region_of(rb);
        const Pixels pa = pixels_of(ra), pb = pixels_of(rb);
        ASSERT_EQ(a.rects(), canonical(pa));
        ASSERT_EQ(a.rect_count(), a.rects().size());

        for (CombineMode mode : modes) {
            Pixels expect{};
            for (int y = 0; y < grid; ++y)
                for (int x = 0; x < grid; ++x) {
                    const bool in_a = pa[y][x], in_b = pb[y][x];
                    expect[y][x] = mode == CombineMode::And    ? in_a && in_b
                                   : mode == CombineMode::Or   ? in_a || in_b
                                   : mode == CombineMode::Xor  ? in_a != in_b
                                   : mode == CombineMode::Diff ? in_a && !in_b
                                                               : in_a;
                }
            Region out = Region::rectangle({0, 0, 3, 3});
            const RegionKind kind = out.combine(a, b, mode);
            const Rects want = canonical(expect);
            ASSERT_EQ(out.rects(), want) << "round " << round << " mode " << int(mode);
            ASSERT_EQ(pixels_of(out), expect);
            ASSERT_EQ(kind, kind_for(want.size()));
            ASSERT_EQ(out.kind(), kind);
        }

        Region moved = a;
        moved.offset(-3, 5);
        moved.offset(3, -5);
        ASSERT_EQ(moved.rects(), a.rects());
    }
}

TEST(RegionCanonical, EqualityIsAboutPixelsNotHistory) {
    Region ring;
    ring.combine(Region::rectangle({0, 0, 9, 9}), Region::rectangle({3, 3, 6, 6}),
                 CombineMode::Diff);
    const Region pieces = region_of({{6, 3, 9, 6}, {0, 0, 9, 3}, {0, 3, 3, 6}, {0, 6, 9, 9}});
    EXPECT_EQ(ring, pieces);
    EXPECT_FALSE(ring == Region::rectangle({0, 0, 9, 9}));
    EXPECT_EQ(Region(), Region::rectangle({5, 5, 5, 9}));
}

// --- construction --------------------------------------------------------------------------------

TEST(RegionRectangle, OrdersCornersAndEmptyBoxIsEmpty) {
    EXPECT_EQ(Region::rectangle({8, 6, 2, 1}).rects(), (Rects{{2, 1, 8, 6}}));
    EXPECT_TRUE(Region::rectangle({3, 3, 3, 10}).empty());
    EXPECT_TRUE(Region::rectangle({3, 3, 10, 3}).empty());
    EXPECT_EQ(Region::rectangle({-5, -5, 0, 0}).bounds(), (Rect{-5, -5, 0, 0}));
    EXPECT_EQ(Region().bounds(), Rect{});
}

TEST(RegionEllipse, SmallBoxesHaveGdisPixels) {
    // 4x4 box: 3x3 after the right and bottom go, a plus sign.
    EXPECT_EQ(Region::ellipse({0, 0, 4, 4}).rects(),
              (Rects{{1, 0, 2, 1}, {0, 1, 3, 2}, {1, 2, 2, 3}}));
    // 5x5: the two middle rows are full and share one band.
    EXPECT_EQ(Region::ellipse({0, 0, 5, 5}).rects(),
              (Rects{{1, 0, 3, 1}, {0, 1, 4, 3}, {1, 3, 3, 4}}));
    // 10x6 away from the origin: 9x5 pixels, widths 5, 7, 9, 7, 5.
    EXPECT_EQ(Region::ellipse({3, 2, 13, 8}).rects(),
              (Rects{{5, 2, 10, 3}, {4, 3, 11, 4}, {3, 4, 12, 5}, {4, 5, 11, 6}, {5, 6, 10, 7}}));
    EXPECT_EQ(Region::ellipse({13, 8, 3, 2}), Region::ellipse({3, 2, 13, 8}));
    // 5x8: the walk leaves the top and bottom rows without pixels.
    EXPECT_EQ(Region::ellipse({0, 0, 5, 8}).rects(),
              (Rects{{1, 1, 3, 2}, {0, 2, 4, 5}, {1, 5, 3, 6}}));
    // 4x9: the walk reaches the middle column a row early; the tip carries on down.
    EXPECT_EQ(Region::ellipse({0, 0, 4, 9}).rects(),
              (Rects{{1, 0, 2, 2}, {0, 2, 3, 6}, {1, 6, 2, 8}}));
}

TEST(RegionEllipse, BoxesUnderTwoPixelsAreRectangles) {
    EXPECT_EQ(Region::ellipse({0, 0, 2, 2}).rects(), (Rects{{0, 0, 1, 1}}));
    EXPECT_EQ(Region::ellipse({0, 0, 3, 3}).rects(), (Rects{{0, 0, 2, 2}}));
    EXPECT_EQ(Region::ellipse({0, 0, 2, 7}).rects(), (Rects{{0, 0, 1, 6}}));
    EXPECT_TRUE(Region::ellipse({0, 0, 1, 5}).empty());
    EXPECT_TRUE(Region::ellipse({0, 0, 0, 5}).empty());
    EXPECT_TRUE(Region::ellipse({4, 4, 4, 4}).empty());
}

TEST(RegionEllipse, BoxesBeyondAnyScreenAreRefused) {
    EXPECT_THROW(Region::ellipse({0, 0, 1 << 21, 10}), std::length_error);
    EXPECT_THROW(Region::ellipse({0, std::numeric_limits<std::int32_t>::min(), 10,
                                  std::numeric_limits<std::int32_t>::max()}),
                 std::length_error);
}

TEST(RegionEllipse, EverySizeIsASymmetricConvexCanonicalShape) {
    for (int w = 3; w <= 64; ++w) {
        for (int h = 3; h <= 64; ++h) {
            SCOPED_TRACE(::testing::Message() << w << "x" << h);
            const Region e = Region::ellipse({0, 0, w, h});
            const auto height = static_cast<std::size_t>(h - 1);
            std::vector<std::pair<int, int>> rows(height);  // {0, 0}: no pixels in that row
            std::size_t bands = 0;
            for (const Rect& r : e.rects()) {
                ASSERT_TRUE(r.top >= 0 && r.bottom <= h - 1);
                for (int y = r.top; y < r.bottom; ++y)
                    rows[y] = {r.left, r.right};
                ++bands;
            }
            for (std::size_t y = 0; y < height; ++y) {
                const auto [l, r] = rows[y];
                if (l != r) {
                    ASSERT_EQ(l, (w - 1) - r);  // left-right symmetric
                }
                ASSERT_EQ(rows[y], rows[height - 1 - y]);  // top-bottom symmetric
                if (y + 1 <= height / 2) {                 // widens towards the middle
                    ASSERT_LE(r - l, rows[y + 1].second - rows[y + 1].first);
                }
            }
            ASSERT_EQ(rows[height / 2], (std::pair{0, w - 1}));
            // One rectangle per band: every run of identical rows is a single rectangle.
            std::size_t expected_bands = 0;
            for (std::size_t y = 0; y < height; ++y) {
                const bool empty_row = rows[y].first == rows[y].second;
                expected_bands += !empty_row && (y == 0 || rows[y] != rows[y - 1]);
            }
            ASSERT_EQ(bands, expected_bands);
        }
    }
}

TEST(RegionFromData, IgnoresEmptyRectanglesAndAcceptsNone) {
    EXPECT_EQ(region_of({{2, 2, 2, 9}, {0, 0, 4, 4}, {9, 9, 5, 5}}).rects(), (Rects{{0, 0, 4, 4}}));
    auto none = region_of({});
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.kind(), RegionKind::Null);
}

TEST(RegionFromData, RejectsMalformedBlocks) {
    const auto [good, bytes] = block_of({{0, 0, 4, 4}, {8, 0, 12, 4}});
    ASSERT_TRUE(Region::from_data(good, bytes).has_value());

    auto wrong_size = good;
    wrong_size[0] = 28;
    EXPECT_FALSE(Region::from_data(wrong_size, bytes));
    auto wrong_type = good;
    wrong_type[1] = 2;
    EXPECT_FALSE(Region::from_data(wrong_type, bytes));

    EXPECT_FALSE(Region::from_data(good, bytes - 1));
    EXPECT_FALSE(Region::from_data(std::span(good).first(good.size() - 1), bytes));
    EXPECT_FALSE(Region::from_data(std::span(good).first(7), 28));

    // A count far beyond the data must not be read past.
    auto huge_count = good;
    huge_count[2] = -1;
    EXPECT_FALSE(Region::from_data(huge_count, bytes));
    EXPECT_FALSE(Region::from_data(huge_count, std::numeric_limits<std::size_t>::max()));
}

// --- queries and moves
// ------------------------------------------------------------------------------

TEST(RegionQueries, RectInNeedsAnOverlappingPixel) {
    const Region l = region_of({{0, 0, 2, 4}, {0, 4, 6, 6}});
    EXPECT_TRUE(l.rect_in({1, 1, 2, 2}));
    EXPECT_FALSE(l.rect_in({3, 0, 6, 4}));  // inside the bounds, in the notch
    EXPECT_TRUE(l.rect_in({6, 6, 3, 0}));   // corners given backwards
    EXPECT_FALSE(l.rect_in({1, 1, 1, 3}));  // empty rectangles are never in
    EXPECT_FALSE(Region().rect_in({0, 0, 9, 9}));

    EXPECT_TRUE(l.contains(1, 3));
    EXPECT_FALSE(l.contains(2, 3));
    EXPECT_FALSE(l.contains(6, 5));
    EXPECT_EQ(l.bounds(), (Rect{0, 0, 6, 6}));
}

TEST(RegionOffset, MovesEveryPixel) {
    Region l = region_of({{0, 0, 2, 4}, {0, 4, 6, 6}});
    l.offset(10, -3);
    EXPECT_EQ(l.rects(), (Rects{{10, -3, 12, 1}, {10, 1, 16, 3}}));
    EXPECT_EQ(l.bounds(), (Rect{10, -3, 16, 3}));

    Region none;
    none.offset(5, 5);
    EXPECT_TRUE(none.empty());
}

TEST(RegionOffset, PixelsPushedOffTheCoordinateRangeAreDropped) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    Region r = region_of({{0, 0, 10, 10}, {20, 0, 30, 10}});
    r.offset(max - 25, 0);
    EXPECT_EQ(r.rects(), (Rects{{max - 25, 0, max - 15, 10}, {max - 5, 0, max, 10}}));

    Region gone = Region::rectangle({0, 0, 10, 10});
    gone.offset(0, max);
    EXPECT_TRUE(gone.empty());
}

TEST(RegionCombine, DestinationMayBeEitherSource) {
    const Region a0 = Region::rectangle({0, 0, 4, 4}), b0 = Region::rectangle({2, 2, 6, 6});
    for (CombineMode mode : {CombineMode::And, CombineMode::Or, CombineMode::Xor, CombineMode::Diff,
                             CombineMode::Copy}) {
        Region fresh;
        const RegionKind kind = fresh.combine(a0, b0, mode);

        Region a = a0;
        EXPECT_EQ(a.combine(a, b0, mode), kind);
        EXPECT_EQ(a, fresh);
        Region b = b0;
        EXPECT_EQ(b.combine(a0, b, mode), kind);
        EXPECT_EQ(b, fresh);
    }
    Region self = Region::rectangle({0, 0, 4, 4});
    EXPECT_EQ(self.combine(self, self, CombineMode::Or), RegionKind::Simple);
    EXPECT_EQ(self.combine(self, self, CombineMode::Xor), RegionKind::Null);
    EXPECT_TRUE(self.empty());
}

TEST(RegionCombine, UnknownModeIsAnErrorAndChangesNothing) {
    Region r = Region::rectangle({0, 0, 4, 4});
    EXPECT_EQ(r.combine(Region(), Region(), static_cast<CombineMode>(9)), RegionKind::Error);
    EXPECT_EQ(r, Region::rectangle({0, 0, 4, 4}));
}

TEST(RegionOwnership, CopiesAreDeepAndMovesLeaveAnEmptyRegion) {
    Region a = region_of({{0, 0, 2, 4}, {0, 4, 6, 6}});
    Region copy = a;
    copy.offset(1, 1);
    EXPECT_EQ(a.bounds(), (Rect{0, 0, 6, 6}));
    copy = a;
    EXPECT_EQ(copy, a);
    const Region& same = copy;
    copy = same;
    EXPECT_EQ(copy, a);

    Region moved = std::move(a);
    EXPECT_EQ(moved, copy);
    EXPECT_TRUE(a.empty());  // NOLINT(bugprone-use-after-move): moved-from regions are usable
    a.combine(moved, Region::rectangle({0, 0, 1, 1}), CombineMode::And);
    EXPECT_EQ(a.rects(), (Rects{{0, 0, 1, 1}}));

    Region target = Region::rectangle({9, 9, 12, 12});
    target = std::move(moved);
    EXPECT_EQ(target, copy);
    EXPECT_TRUE(moved.empty());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(moved.kind(), RegionKind::Null);
}

}  // namespace
}  // namespace pw
