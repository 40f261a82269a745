#include "autopilot/crash_map.hpp"

#include <algorithm>
#include <bit>

#include "game/game_state.hpp"

namespace pw::autopilot {

std::optional<Region> SpriteShape(const Game& g, int slot) {
    const auto& block = g.rgnStore.RGNData.at(static_cast<std::size_t>(slot));
    return Region::from_data(
        block, static_cast<std::size_t>(block[0]) + static_cast<std::size_t>(block[3]));
}

CrashMap::CrashMap(const Game& g, int ground_slot, int columns, int rows)
    : columns_(columns), rows_(rows), crash_(static_cast<std::size_t>(columns * rows), 0) {
    const auto ground = SpriteShape(g, ground_slot);
    const auto ship = SpriteShape(g, 11);
    if (!ground || !ship) return;
    // Rows of the ground as bit sets, and the ship's rows as masks, so that the overlap of
    // the ship at any place is a few word operations a row.
    const Rect gb = ground->bounds();
    const int gh = std::max(gb.bottom, 0);
    const int words = (std::max(gb.right, 0) + 63) / 64 + 2;
    std::vector<std::uint64_t> solid(static_cast<std::size_t>(gh * words), 0);
    for (const Rect& r : ground->rects())
        for (int y = std::max(r.top, 0); y < r.bottom; ++y)
            for (int x = std::max(r.left, 0); x < r.right; ++x)
                solid[static_cast<std::size_t>(y * words + x / 64)] |= std::uint64_t{1} << (x % 64);
    const Rect sb = ship->bounds();
    std::vector<std::uint64_t> body(static_cast<std::size_t>(std::max(sb.bottom, 0)), 0);
    for (const Rect& r : ship->rects())
        for (int y = std::max(r.top, 0); y < r.bottom; ++y)
            for (int x = std::max(r.left, 0); x < r.right && x < 64; ++x)
                body[static_cast<std::size_t>(y)] |= std::uint64_t{1} << x;
    const auto window = [&](int y, int x) -> std::uint64_t {
        if (y < 0 || y >= gh) return 0;
        const std::uint64_t* row = &solid[static_cast<std::size_t>(y * words)];
        const int w = x / 64, bit = x % 64;
        if (w + 1 >= words) return 0;
        return bit ? (row[w] >> bit) | (row[w + 1] << (64 - bit)) : row[w];
    };

    for (int row = 0; row < rows_; ++row)
        for (int x = 0; x < columns_; ++x) {
            int count = 0, l = 64, t = -1, r = -1, b = -1;
            for (std::size_t dy = 0; dy < body.size(); ++dy) {
                const std::uint64_t m = window(row + static_cast<int>(dy), x) & body[dy];
                if (!m) continue;
                count += std::popcount(m);
                l = std::min(l, std::countr_zero(m));
                r = std::max(r, 63 - std::countl_zero(m));
                if (t < 0) t = static_cast<int>(dy);
                b = static_cast<int>(dy);
            }
            // One solid block of overlap is a graze; anything more is a crash.
            if (count > 0 && count != (r - l + 1) * (b - t + 1))
                crash_[static_cast<std::size_t>(row * columns_ + x)] = 1;
        }
    toll_.assign(crash_.size(), 0.0f);
    for (int row = 0; row < rows_; ++row)
        for (int x = 0; x < columns_; ++x)
            toll_[static_cast<std::size_t>(row * columns_ + x)] = near(x, row, 1)   ? 4.0f
                                                                  : near(x, row, 2) ? 1.5f
                                                                                    : 0.0f;
}

float CrashMap::toll(int x, int row) const {
    if (x < 0 || row < 0 || x >= columns_ || row >= rows_) return 0;
    return toll_[static_cast<std::size_t>(row * columns_ + x)];
}

bool CrashMap::crashes(int x, int row) const {
    if (x < 0 || row < 0 || x >= columns_ || row >= rows_) return false;
    return crash_[static_cast<std::size_t>(row * columns_ + x)] != 0;
}

bool CrashMap::near(int x, int row, int reach) const {
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (crashes(x + dx, row + dy)) return true;
    return false;
}

}  // namespace pw::autopilot
