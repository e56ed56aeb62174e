#include "terrain/edit_effects.h"

#include "terrain/invalidation.h"

namespace kalvenor {

void markEdited(Landscape& land, EditEffect effect)
{
    land.mapStale = true;
    if (effect == EditEffect::ShadowScratched) {
        land.shadowValidAt = land.sizeX;
        land.shadowFrozen = 0;
        return;
    }
    computeElevationStatistics(land);
    inputChanged(land, ColouringInput::Elevations);
    land.modified = true;
    if (effect == EditEffect::WaterChanged) {
        land.terrainFrozen = 0;
        land.shadowFrozen = 0;
    }
}

} // namespace kalvenor
