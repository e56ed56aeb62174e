// Small helpers shared by the colour, cliff, shade and tree passes: the
// sampling step, the laziness test and the float-to-integer conversion that
// cannot overflow.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "model/landscape.h"

namespace kalvenor {

// The step g at which the passes sample the grid: the polygon size. A value
// below 1 (a damaged session) would never advance, so it counts as 1.
inline int samplingStep(const Landscape& land) { return land.polygonSize < 1 ? 1 : land.polygonSize; }

// A pass must run when its result was last computed at a coarser step than g.
// "Not computed" is marked with sizeX, which on a grid no wider than the step
// would read as valid; such a tiny grid is therefore always recomputed.
inline bool passNeeded(std::int32_t validAt, int g, int sizeX) { return validAt > g || validAt >= sizeX; }

// trunc(v) as a 64-bit integer, saturated to the 32-bit range (NaN gives 0), so
// that absurd spacings or angles cannot make the conversion undefined. Values in
// range convert exactly as a plain truncating cast would.
inline std::int64_t truncSaturated(double v)
{
    constexpr double kLow = static_cast<double>(std::numeric_limits<std::int32_t>::min());
    constexpr double kHigh = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (std::isnan(v)) return 0;
    if (v <= kLow) return std::numeric_limits<std::int32_t>::min();
    if (v >= kHigh) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int64_t>(v);
}

// The column or row one step on, or the same one when the step would leave the
// allocation (only possible on grids whose size is not a multiple of the step).
inline int stepOrSelf(int i, int g, int limit) { return i + g < limit ? i + g : i; }

// The terrain map cell: the low byte is the ground code, the high byte the object
// standing on the point. Kept in their own namespace: other operations name the
// same codes for their own purposes.
namespace ground {

enum Code : int {
    kBare1 = 38,
    kSnow1 = 42,
    kCliff1 = 46,
    kCliff2 = 47,
    kCliff3 = 48,
    kCliff4 = 49,
    kBeach = 50,
    kWater1 = 51,
    kWater5 = 55,
    kTree1 = 56,
    kTree4 = 59,
    kRoad1 = 88,
    kRoad4 = 91,
};

inline int code(std::uint16_t cell) { return cell & 0xFF; }
inline int object(std::uint16_t cell) { return cell >> 8; }
inline std::uint16_t withCode(std::uint16_t cell, int code)
{
    return static_cast<std::uint16_t>((cell & 0xFF00u) | static_cast<unsigned>(code & 0xFF));
}
inline std::uint16_t withObject(std::uint16_t cell, int object)
{
    return static_cast<std::uint16_t>((cell & 0x00FFu) | (static_cast<unsigned>(object & 0xFF) << 8));
}
inline bool isWater(int code) { return code >= kWater1 && code <= kWater5; }

} // namespace ground

} // namespace kalvenor
