// One zero-filled block of width x height cells reached through a row table
// whose last entry is null: the layout of the landscape maps and the images.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace kalvenor {

// Allocates the block and its row table; false, with nothing held, when
// memory runs out.
template <typename Cell>
bool allocateRowTable(std::unique_ptr<Cell[]>& block, std::vector<Cell*>& rows, int width, int height)
{
    block.reset();
    rows.clear();
    const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    Cell* raw = new (std::nothrow) Cell[cells]();
    if (raw == nullptr) return false;
    try {
        rows.assign(static_cast<std::size_t>(height) + 1, nullptr);
    } catch (const std::bad_alloc&) {
        delete[] raw;
        return false;
    }
    block.reset(raw);
    for (int r = 0; r < height; ++r) rows[static_cast<std::size_t>(r)] = raw + static_cast<std::size_t>(r) * width;
    return true;
}

} // namespace kalvenor
