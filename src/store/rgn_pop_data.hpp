// The balloon-cap store: five region blocks of the sprite store's layout with room for 25
// rectangles each.
#pragma once

#include <array>
#include <cstdint>

namespace pw {

inline constexpr int kRgnPopCapacity = 25;
inline constexpr int kRgnPopWords = 8 + 4 * kRgnPopCapacity;  // 108 words, 432 bytes

using RGNPOP_INFO = std::array<std::int32_t, kRgnPopWords>;

struct RgnPopStore {
    std::array<RGNPOP_INFO, 5> RGNPopData{};
};

}  // namespace pw
