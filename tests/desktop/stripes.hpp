// The striped desktop the Wayland tests play over: any picture a compositor leaves where no
// game window is stands out against diagonal stripes, of any shape.
#pragma once

namespace pw::desktop_test::stripes {

struct Colour {
    int r = 0, g = 0, b = 0;
};
inline constexpr Colour kA{80, 96, 208};
inline constexpr Colour kB{208, 192, 80};
inline constexpr int kWidth = 8;

inline Colour at(int x, int y) {
    return (x + y) % (2 * kWidth) < kWidth ? kA : kB;
}

}  // namespace pw::desktop_test::stripes
