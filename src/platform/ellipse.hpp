// The pixels of the ellipse inscribed in a box, by the integer midpoint walk gdi32 uses for
// CreateEllipticRgn (after Alois Zingl). Both Region builds make their ellipses from these rows,
// so a petal has the same pixels on every desktop.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/region.hpp"

namespace pw {

// CreateEllipticRgn's pixels as one-row rectangles, top to bottom: the box is ordered, then
// loses its last column and row (right and bottom are exclusive once more than the caller
// expects); if fewer than 2 pixels remain either way the result is that plain rectangle. An
// empty box gives nothing (gdi32 makes a one-pixel strip outside it; here it matches an empty
// CreateRectRgn). Throws std::length_error for boxes over 2^19 pixels on a side, where the
// walk's 64-bit error terms would overflow; no screen is that big.
std::vector<Rect> ellipse_rows(Rect box);

}  // namespace pw
