// The pixels of the ellipse inscribed in a box, by the integer midpoint walk gdi32 uses for
// CreateEllipticRgn (after Alois Zingl). Both Region builds make their ellipses from these rows,
// so a petal has the same pixels on every desktop.
#pragma once

#include <cstdint>
#include <vector>

namespace pw {

// For a box of w x h pixels (both at least 2): each row's inset from the left and the right
// edge. The middle row spans the full width and the upper half mirrors the lower one.
std::vector<std::int64_t> ellipse_insets(std::int64_t w, std::int64_t h);

}  // namespace pw
