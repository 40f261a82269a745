// The region store: the built-in outline of every sprite, held as region-data blocks in the
// layout ExtCreateRegion takes, filled once at start-up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/region.hpp"

namespace pw {

// Word offsets inside a block: the 32-byte header, then four words per rectangle.
inline constexpr std::size_t kRgnDwSize = 0;    // header size in bytes, always 32
inline constexpr std::size_t kRgnIType = 1;     // always 1 (RDH_RECTANGLES)
inline constexpr std::size_t kRgnNCount = 2;    // number of rectangles
inline constexpr std::size_t kRgnNRgnSize = 3;  // bytes of rectangles: 16 per rectangle
inline constexpr std::size_t kRgnRcBound = 4;   // left, top, right, bottom
inline constexpr std::size_t kRgnHeaderWords = 8;
inline constexpr std::size_t kRgnCapacity = 2477;
inline constexpr std::size_t kRgnInfoWords = kRgnHeaderWords + 4 * kRgnCapacity;  // 9,916
inline constexpr std::size_t kRgnSlots = 17;  // sprites 0..15 and an empty slot 16

using RGN_INFO = std::array<std::int32_t, kRgnInfoWords>;

struct RgnDataStore {
    // About 0.67 MB, so the blocks live on the heap.
    std::vector<RGN_INFO> RGNData = std::vector<RGN_INFO>(kRgnSlots);

    // The region last made from each block, with the words it was made from: the ground's
    // region is asked for every frame, and making it anew sorts hundreds of rectangles.
    struct Made {
        std::vector<std::int32_t> words;
        std::optional<Region> region;
    };
    std::array<Made, kRgnSlots> made;
};

// Fills slots 0..15 in ascending order, each header first, then its rectangles; every word
// after the last rectangle and all of slot 16 are zero. Calling it again rewrites the same
// values.
void RGNDataLoad(RgnDataStore& store);

}  // namespace pw
