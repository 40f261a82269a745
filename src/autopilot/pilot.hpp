// The built-in player's judgement: from a look at the game, which keys to hold this frame.
// It knows the scenery's outline (where the ship may fly), the ship's movement rules, and
// where enemies, their shots and the debris will be in the next frames; it weighs every way
// of steering for a short while ahead against the way on through the corridor.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "autopilot/crash_map.hpp"
#include "platform/platform.hpp"

namespace pw::autopilot {

struct Keys {
    bool up = false, down = false, left = false, right = false, space = false;
};

// The rows the ship may fly in, counted from the top of the scenery strip.
struct Band {
    int first_row, last_row;
};

struct MoveCosts;

class Pilot {
  public:
    Keys decide(const Game& g, const platform::ScreenMetrics& screen);

  private:
    struct Field {
        int columns = 0, rows = 0;
        std::vector<float> cost;  // frames to the goal; infinity where it cannot be reached
        float climb = 0;          // per row, below the mapped ones
        float at(int x, int row) const;
    };
    void prepare(const Game& g, const platform::ScreenMetrics& screen);
    // Frames from every place to the nearest goal (cell index, starting cost).
    Field Reach(const CrashMap& map, const Band& band,
                const std::vector<std::pair<int, float>>& goals, const MoveCosts& costs) const;
    Field& play_field(const Game& g);
    Field& boss_field(const Game& g);

    std::optional<CrashMap> ground6_, ground7_;
    std::optional<Field> play_, boss_;
    std::optional<std::pair<float, float>> boss_at_;  // the boss place the field was made for
    // The ship's outline, grown by one pixel all round, for the near misses of small dots.
    std::vector<std::uint8_t> ship_mask_;
    int mask_w_ = 0, mask_h_ = 0;
    int tx_ = 15, ty_ = 15;
};

}  // namespace pw::autopilot
