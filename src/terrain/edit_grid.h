// Small helpers shared by the editing operations: 16-bit stores, the shadow
// map as a scratch copy of the elevations, and the check that the maps an
// operation touches are there at the landscape's size.
#pragma once

#include <cstdint>
#include <cstring>

#include "model/landscape.h"

namespace kalvenor {

// Every store into a map keeps the low 16 bits (two's-complement wrap).
inline std::int16_t wrap16(long long v) { return static_cast<std::int16_t>(v); }

// A scratch cell of the shadow map read back as the elevation it holds.
inline int scratchElevation(std::uint16_t cell) { return static_cast<std::int16_t>(cell); }

template <typename Cell>
bool coversGrid(const GridMap<Cell>& map, const Landscape& land)
{
    return map.allocated() && map.width == land.gridWidth && map.height == land.gridHeight;
}

// Whole-row copies between two maps of the landscape's size (16-bit cells of
// either signedness: the bits are carried unchanged).
template <typename To, typename From>
void copyMap(GridMap<To>& to, const GridMap<From>& from, const Landscape& land)
{
    static_assert(sizeof(To) == sizeof(From));
    const std::size_t bytes = static_cast<std::size_t>(land.gridWidth) * sizeof(From);
    for (int r = 0; r < land.gridHeight; ++r) std::memcpy(to[r], from[r], bytes);
}

// The ground colour code is the low byte of a terrain cell; the high byte is
// the object byte and stays as it is.
inline int groundCode(std::uint16_t cell) { return cell & 0xFF; }
inline void setGroundCode(std::uint16_t& cell, int code)
{
    cell = static_cast<std::uint16_t>((cell & 0xFF00) | (code & 0xFF));
}

} // namespace kalvenor
