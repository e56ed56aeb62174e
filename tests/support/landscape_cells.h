// Test helper for comparing whole landscapes: the elevation samples of the
// allocation, row by row.
#pragma once

#include <cstdint>
#include <vector>

#include "model/landscape.h"

namespace kalvenor::testing {

inline std::vector<std::int16_t> elevationCells(const Landscape& land)
{
    std::vector<std::int16_t> cells;
    for (int y = 0; y < land.gridHeight; ++y)
        cells.insert(cells.end(), land.elevation[y], land.elevation[y] + land.gridWidth);
    return cells;
}

} // namespace kalvenor::testing
