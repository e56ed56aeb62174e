// One cell map of the landscape: a zero-filled block of 16-bit cells reached
// through a row table whose last entry is null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/row_table.h"

namespace kalvenor {

template <typename Cell>
struct GridMap {
    static_assert(sizeof(Cell) == 2, "landscape cells are 16 bits");

    std::unique_ptr<Cell[]> block;
    std::vector<Cell*> rows; // height + 1 entries, the last one null
    int width = 0;
    int height = 0;

    Cell* operator[](int row) { return rows[static_cast<std::size_t>(row)]; }
    const Cell* operator[](int row) const { return rows[static_cast<std::size_t>(row)]; }

    bool allocated() const { return block != nullptr; }
    std::size_t cellCount() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
    std::size_t rowBytes() const { return static_cast<std::size_t>(width) * sizeof(Cell); }

    // Allocates a zero-filled block and its row table. False (and nothing held) on failure.
    bool allocate(int w, int h)
    {
        release();
        if (!allocateRowTable(block, rows, w, h)) return false;
        width = w;
        height = h;
        return true;
    }

    void release()
    {
        block.reset();
        rows.clear();
        rows.shrink_to_fit();
        width = 0;
        height = 0;
    }

    void clear()
    {
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c) rows[static_cast<std::size_t>(r)][c] = 0;
    }
};

using ElevationMap = GridMap<std::int16_t>;
using CellMap = GridMap<std::uint16_t>;

} // namespace kalvenor
