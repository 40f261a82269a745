// The game's built-in art: the outline and picture of every sprite, the speech-balloon caps and
// the version dialog's icon. Outlines are rectangle tables made from the pictures at build time,
// so shaping a window never scans a pixel.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/picture.hpp"

namespace pw::art {

// A sprite's outline in canonical y-x bands: the bounding box (left, top, right, bottom) and
// four words (left, top, right, bottom; right and bottom exclusive) per rectangle.
struct Shape {
    std::array<std::int32_t, 4> bound;
    std::span<const std::int32_t> rects;
};

inline constexpr int kSpriteCount = 16;

const Shape& sprite_shape(int n);         // n in 0..15
platform::Picture sprite_picture(int n);  // n in 0..15, ARGB 0xAARRGGBB, alpha 0 or 255
platform::Picture cap_picture(int k);     // balloon caps, k in 0..3
platform::Picture icon_picture();         // 32x32 dialog icon

}  // namespace pw::art
