#include "art/art.hpp"

#include <cstddef>
#include <vector>

#include "art_data.hpp"

namespace pw::art {
namespace {

platform::Picture decode(const detail::EncodedPicture& encoded) {
    std::vector<std::uint32_t> argb;
    argb.reserve(static_cast<std::size_t>(encoded.width) * encoded.height);
    for (std::size_t i = 0; i < encoded.codes.size();) {
        const std::uint32_t colour = encoded.palette[encoded.codes[i++]];
        std::size_t length = 0;
        for (int shift = 0;; shift += 7) {
            const std::uint8_t byte = encoded.codes[i++];
            length |= static_cast<std::size_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0) break;
        }
        argb.insert(argb.end(), length, colour);
    }
    return platform::Picture(encoded.width, encoded.height, std::move(argb));
}

}  // namespace

const Shape& sprite_shape(int n) {
    return detail::kShapes.at(static_cast<std::size_t>(n));
}

platform::Picture sprite_picture(int n) {
    return decode(detail::kSprites.at(static_cast<std::size_t>(n)));
}

platform::Picture cap_picture(int k) {
    return decode(detail::kCaps.at(static_cast<std::size_t>(k)));
}

platform::Picture icon_picture() {
    return decode(detail::kIcon);
}

}  // namespace pw::art
