// The game's number types and the conversions between them, in one place.
//   Integer = 16-bit, Long = 32-bit, Single = float, Double = double, Byte = 8-bit unsigned.
// Converting a fraction to Integer or Long rounds half to even; Int() is floor; idiv() is
// integer division truncating toward zero.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace pw {

using Integer = std::int16_t;
using Long = std::int32_t;
using Single = float;
using Double = double;
using Byte = std::uint8_t;

// Flags hold -1 for true and 0 for false.
using Flag = Integer;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

namespace detail {
template <class T>
std::optional<T> round_to(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    const double r = std::nearbyint(v);  // default rounding mode: half to even
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}
template <class T>
T round_clamped(double v) {
    if (std::isnan(v)) return 0;
    if (auto r = round_to<T>(v)) return *r;
    return v < 0 ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
}
}  // namespace detail

// Conversions that report overflow, for assignments that must be skipped when they do not fit.
inline std::optional<Long> to_long(double v) {
    return detail::round_to<Long>(v);
}
inline std::optional<Integer> to_integer(double v) {
    return detail::round_to<Integer>(v);
}

// Conversions whose overflow lies outside the game's data model; they saturate instead of
// invoking undefined behaviour.
inline Long CLng(double v) {
    return detail::round_clamped<Long>(v);
}
inline Integer CInt(double v) {
    return detail::round_clamped<Integer>(v);
}

// Int(): the floor of a number.
inline double Int(double v) {
    return std::floor(v);
}

// a \ b: integer division truncating toward zero (b == 0 gives 0 rather than a trap).
inline Long idiv(Long a, Long b) {
    if (b == 0) return 0;
    if (b == -1) return a == std::numeric_limits<Long>::min() ? a : -a;
    return a / b;
}

}  // namespace pw
