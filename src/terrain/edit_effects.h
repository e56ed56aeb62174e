// What an edit leaves behind for the maps derived from the elevations. Every
// editing operation ends with one call here, so the colours, cliffs and shades
// are computed again before the next render and the statistics stay current.
#pragma once

#include "model/landscape.h"

namespace kalvenor {

enum class EditEffect {
    // The shadow map served as scratch space: its shades are gone, and frozen
    // shades from a file with them.
    ShadowScratched,
    // Elevations changed in place: statistics recomputed; colours, cliffs and
    // shades marked as not computed; the topographic map redrawn.
    ElevationsChanged,
    // Water was added (river, lake, sea): as ElevationsChanged, and both
    // frozen flags cleared so that the landscape is reclassified and reshaded.
    WaterChanged,
};

void markEdited(Landscape& land, EditEffect effect);

} // namespace kalvenor
