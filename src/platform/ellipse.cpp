#include "platform/ellipse.hpp"

#include <algorithm>

namespace pw {

// Integer-only, so the pixels match Wine's gdi32: the walk steps down and inwards from the
// middle row.
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

}  // namespace pw
