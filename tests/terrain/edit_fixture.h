// Small landscapes for the editing tests: a grid of any size with every map
// allocated and zero, filled from rows written out in the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "model/landscape.h"
#include "support/landscape_cells.h"

namespace kalvenor::testing {

inline Landscape blankLandscape(int gridWidth, int gridHeight)
{
    Landscape land;
    EXPECT_EQ(allocateGrid(land, gridWidth, gridHeight), 1);
    return land;
}

// Every cell of the allocation set to value.
inline Landscape flatLandscape(int gridWidth, int gridHeight, int value)
{
    Landscape land = blankLandscape(gridWidth, gridHeight);
    for (int y = 0; y < gridHeight; ++y)
        for (int x = 0; x < gridWidth; ++x) land.elevation[y][x] = static_cast<std::int16_t>(value);
    return land;
}

// A landscape whose allocation is exactly the rows given.
inline Landscape landscapeOf(std::initializer_list<std::initializer_list<int>> rows)
{
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(rows.begin()->size());
    Landscape land = blankLandscape(width, height);
    int y = 0;
    for (const auto& row : rows) {
        int x = 0;
        for (int v : row) land.elevation[y][x++] = static_cast<std::int16_t>(v);
        ++y;
    }
    return land;
}

inline std::vector<int> rowOf(const Landscape& land, int y)
{
    return std::vector<int>(land.elevation[y], land.elevation[y] + land.gridWidth);
}

inline std::vector<std::vector<int>> gridOf(const Landscape& land)
{
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < land.gridHeight; ++y) rows.push_back(rowOf(land, y));
    return rows;
}

inline std::vector<std::uint16_t> terrainCells(const Landscape& land)
{
    std::vector<std::uint16_t> cells;
    for (int y = 0; y < land.gridHeight; ++y)
        cells.insert(cells.end(), land.terrain[y], land.terrain[y] + land.gridWidth);
    return cells;
}

inline int codeAt(const Landscape& land, int y, int x) { return land.terrain[y][x] & 0xFF; }

// A deterministic, varied landscape (no generator involved): a few hills and
// valleys from integer arithmetic.
inline void fillPattern(Landscape& land)
{
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x)
            land.elevation[y][x] = static_cast<std::int16_t>(((x * 37 + y * 91) % 211) + ((x * y) % 53) - 40);
}

} // namespace kalvenor::testing
