#include "store/mod_RGN_Data.hpp"

#include <algorithm>

#include "art/art.hpp"

namespace pw {

void RGNDataLoad(RgnDataStore& store) {
    for (int n = 0; n < art::kSpriteCount; ++n) {
        const art::Shape& shape = art::sprite_shape(n);
        RGN_INFO& block = store.RGNData[static_cast<std::size_t>(n)];
        // artc refuses art over kRgnCapacity rectangles, so every shape fits its block.
        const auto count = static_cast<std::int32_t>(shape.rects.size() / 4);
        block[kRgnDwSize] = 32;
        block[kRgnIType] = 1;
        block[kRgnNCount] = count;
        block[kRgnNRgnSize] = 16 * count;
        std::copy(shape.bound.begin(), shape.bound.end(), block.begin() + kRgnRcBound);
        const auto end =
            std::copy(shape.rects.begin(), shape.rects.end(), block.begin() + kRgnHeaderWords);
        std::fill(end, block.end(), 0);
    }
    store.RGNData[kRgnSlots - 1].fill(0);
}

}  // namespace pw
