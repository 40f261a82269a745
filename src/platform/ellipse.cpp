#include "platform/ellipse.hpp"

#include <algorithm>
#include <stdexcept>

namespace pw {
namespace {

// Integer-only, so the pixels match Wine's gdi32: the walk steps down and inwards from the
// middle row.
// For a box of w x h pixels (both at least 2): each row's inset from the left and the right
// edge. The middle row spans the full width and the upper half mirrors the lower one.
std::vector<std::int64_t> ellipse_insets(std::int64_t w, std::int64_t h) {
    std::vector<std::int64_t> inset(static_cast<std::size_t>(h), 0);
    const std::int64_t a = w - 1, b = h - 1;
    const std::int64_t asq = 8 * a * a, bsq = 8 * b * b;
    std::int64_t dx = 4 * b * b * (1 - a);
    std::int64_t dy = 4 * a * a * (1 + b % 2);
    std::int64_t err = dx + dy + a * a * (b % 2);
    std::int64_t x = 0, y = h / 2;
    while (x <= w / 2) {
        const std::int64_t e2 = 2 * err;
        if (e2 >= dx) {
            ++x;
            err += dx += bsq;
        }
        if (e2 <= dy) {
            ++y;
            err += dy += asq;
            if (y < h) inset[static_cast<std::size_t>(y)] = x;
        }
    }
    // For tall, narrow boxes the walk reaches the middle column before the last row; gdi32
    // leaves those rows unset (whatever memory held). The tip carries on straight down instead,
    // as in Zingl's own finishing step for flat ellipses.
    for (std::int64_t row = std::min(y, h - 1) + 1; row < h; ++row) {
        inset[static_cast<std::size_t>(row)] = inset[static_cast<std::size_t>(row - 1)];
    }
    for (std::int64_t i = 0; i < h / 2; ++i) {
        inset[static_cast<std::size_t>(i)] = inset[static_cast<std::size_t>(b - i)];
    }
    return inset;
}

}  // namespace

std::vector<Rect> ellipse_rows(Rect box) {
    if (box.left > box.right) std::swap(box.left, box.right);
    if (box.top > box.bottom) std::swap(box.top, box.bottom);
    if (box.left >= box.right || box.top >= box.bottom) return {};
    const std::int64_t w = std::int64_t{box.right} - box.left - 1;
    const std::int64_t h = std::int64_t{box.bottom} - box.top - 1;
    const auto at = [](std::int64_t v) { return static_cast<std::int32_t>(v); };
    if (w < 2 || h < 2) {
        if (w < 1 || h < 1) return {};
        return {{box.left, box.top, at(box.left + w), at(box.top + h)}};
    }
    constexpr std::int64_t max_side = std::int64_t{1} << 19;
    if (w > max_side || h > max_side) throw std::length_error("ellipse box too large");

    const std::vector<std::int64_t> inset = ellipse_insets(w, h);
    std::vector<Rect> rows;
    rows.reserve(inset.size());
    for (std::size_t i = 0; i < inset.size(); ++i) {
        const std::int32_t top = at(box.top + static_cast<std::int64_t>(i));
        rows.push_back({at(box.left + inset[i]), top, at(box.left + w - inset[i]), top + 1});
    }
    return rows;
}

}  // namespace pw
