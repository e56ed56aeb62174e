#include "terrain/invalidation.h"

#include <cstddef>
#include <iterator>

namespace kalvenor {

namespace {

// The table is indexed by the input's value, and recolouring always reruns the cliff pass.
constexpr bool tableIsSound()
{
    for (std::size_t i = 0; i < std::size(kInvalidations); ++i) {
        const Invalidation& row = kInvalidations[i];
        if (static_cast<std::size_t>(row.input) != i) return false;
        if ((row.invalidates & kGroundCodes) && !(row.invalidates & kCliffCodes)) return false;
    }
    return std::size(kInvalidations) == static_cast<std::size_t>(ColouringInput::PolygonSize) + 1;
}
static_assert(tableIsSound(), "kInvalidations must list every input once, in enum order");

} // namespace

const Invalidation& invalidationOf(ColouringInput input) { return kInvalidations[static_cast<std::size_t>(input)]; }

void inputChanged(Landscape& land, ColouringInput input)
{
    const std::uint8_t what = invalidationOf(input).invalidates;
    if (what & kGroundCodes) land.terrainValidAt = land.sizeX;
    if (what & kCliffCodes) land.cliffValidAt = land.sizeX;
    if (what & kShades) land.shadowValidAt = land.sizeX;
    if (what & kPalette) land.paletteStale = 1;
}

} // namespace kalvenor
