// The tables artc generates from the PNGs, shared by the generated source and the decoder.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "art/art.hpp"

namespace pw::art::detail {

// A picture as a palette (index 0 is clear) and codes: palette index, then run length in
// LEB128, repeated until every pixel is covered, row by row.
struct EncodedPicture {
    int width;
    int height;
    std::span<const std::uint32_t> palette;
    std::span<const std::uint8_t> codes;
};

extern const std::array<Shape, kSpriteCount> kShapes;
extern const std::array<EncodedPicture, kSpriteCount> kSprites;
extern const std::array<EncodedPicture, 4> kCaps;
extern const EncodedPicture kIcon;

}  // namespace pw::art::detail
