// The parts of Region that do not depend on the platform's region calls: reading a
// region-data block, and moving a region without wrapping past the 32-bit coordinate range.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/region.hpp"

namespace pw {
namespace {
using Limits = std::numeric_limits<std::int32_t>;
}  // namespace

std::optional<Region> Region::from_data(std::span<const std::int32_t> block, std::size_t bytes) {
    constexpr std::size_t header_words = 8, header_bytes = 32, rect_words = 4;
    if (block.size() < header_words) return std::nullopt;
    // dwSize 32 and iType RDH_RECTANGLES.
    if (block[0] != static_cast<std::int32_t>(header_bytes) || block[1] != 1) return std::nullopt;
    const std::size_t count = static_cast<std::uint32_t>(block[2]);
    if (count > (Limits::max() - header_bytes) / (rect_words * sizeof(std::int32_t)))
        return std::nullopt;
    if (bytes < header_bytes + count * rect_words * sizeof(std::int32_t)) return std::nullopt;
    if (block.size() < header_words + count * rect_words) return std::nullopt;
    // The block's own size and bounds fields are not trusted: only its rectangles are read.
    return from_rect_words(block.subspan(header_words, count * rect_words));
}

void Region::offset(std::int32_t dx, std::int32_t dy) {
    if (empty() || (dx == 0 && dy == 0)) return;
    // Keep only the part that still has coordinates after the move, so nothing wraps around
    // to the far side of the plane.
    const Rect b = bounds();
    const auto fits = [](std::int64_t v) { return v >= Limits::min() && v <= Limits::max(); };
    if (!fits(std::int64_t{b.left} + dx) || !fits(std::int64_t{b.right} + dx) ||
        !fits(std::int64_t{b.top} + dy) || !fits(std::int64_t{b.bottom} + dy)) {
        const auto clamp = [](std::int64_t v) {
            return static_cast<std::int32_t>(
                std::clamp<std::int64_t>(v, Limits::min(), Limits::max()));
        };
        const Region room = rectangle(
            {clamp(std::int64_t{Limits::min()} - dx), clamp(std::int64_t{Limits::min()} - dy),
             clamp(std::int64_t{Limits::max()} - dx), clamp(std::int64_t{Limits::max()} - dy)});
        combine(*this, room, CombineMode::And);
        if (empty()) return;
    }
    translate(dx, dy);
}

}  // namespace pw
