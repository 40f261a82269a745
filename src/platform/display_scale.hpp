// The game is laid out for a logical 96 dpi: 15 twips to the pixel, pictures and shapes one
// to one. A desktop of higher resolution shows it enlarged by a whole factor, as Windows does
// for a program that does not declare itself DPI-aware, so pixel art stays crisp.
#pragma once

namespace pw::platform {

inline constexpr int kLogicalDpi = 96;
inline constexpr int kLogicalTwipsPerPixel = 1440 / kLogicalDpi;

// The whole factor for a desktop's resolution: 1 up to 191 dpi (120 and 144 dpi show the
// game at its own size), 2 from 192, 3 from 288, and so on.
constexpr int scale_for_dpi(int dpi) {
    return dpi >= 2 * kLogicalDpi ? dpi / kLogicalDpi : 1;
}

}  // namespace pw::platform
