// Where the scenery's rock would wreck the ship: a map over the ship's possible places, made
// once per scenery picture from the shapes in the region store.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/region.hpp"

namespace pw {
class Game;
}

namespace pw::autopilot {

// The outline of the sprite in region-store slot `slot`, in window pixels.
std::optional<Region> SpriteShape(const Game& g, int slot);

// Where the ship can be, by its window position in pixels, the row counted from the top of
// the scenery strip: true where the ship's outline would crash into the scenery's (an
// overlap of two or more rectangles).
class CrashMap {
  public:
    CrashMap() = default;
    CrashMap(const Game& g, int ground_slot, int columns, int rows);
    bool crashes(int x, int row) const;
    // What flying here costs for the rock close by: more within a pixel of a crash, less
    // within two, nothing further off.
    float toll(int x, int row) const;
    int columns() const { return columns_; }
    int rows() const { return rows_; }

  private:
    int columns_ = 0, rows_ = 0;
    bool near(int x, int row, int reach) const;
    std::vector<std::uint8_t> crash_;
    std::vector<float> toll_;
};

}  // namespace pw::autopilot
