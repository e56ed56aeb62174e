#include "terrain/terrain_preparation.h"

#include "base/frontend.h"
#include "terrain/cliffs.h"
#include "terrain/colouring.h"
#include "terrain/colouring_common.h"
#include "terrain/shading.h"

namespace kalvenor {

int prepareTerrain(Landscape& land, const SceneSettings& scene, ColouringState& state, RandomStreams& random,
                   Frontend& ui)
{
    const std::uint32_t seed = scene.generation.seed;
    if (colourPass(land, scene.colouring, scene.trees, seed, random, ui) < 0) return -1;
    if (cliffPass(land, scene.colouring, state.strata, seed, random, ui) < 0) return -1;
    if (shadePass(land, scene.lighting, state.sun, seed, random, ui) < 0) return -1;
    return 1;
}

bool terrainOutOfDate(const Landscape& land, const SceneSettings& scene)
{
    const int g = samplingStep(land);
    const bool colours = !land.terrainFrozen && passNeeded(land.terrainValidAt, g, land.sizeX);
    const bool cliffs = !land.terrainFrozen && scene.colouring.cliffs && scene.colouring.cliffThreshold != 0 &&
                        passNeeded(land.cliffValidAt, g, land.sizeX);
    const bool shades = !land.shadowFrozen && passNeeded(land.shadowValidAt, g, land.sizeX);
    return colours || cliffs || shades;
}

int ensureTerrainComputed(Landscape& land, const SceneSettings& scene, ColouringState& state, RandomStreams& random,
                          Frontend& ui)
{
    // Every cell: a reader takes stored maps as valid at every polygon size.
    const std::int32_t polygonSize = land.polygonSize;
    land.polygonSize = 1;
    int result = 1;
    if (terrainOutOfDate(land, scene))
        result = ui.ask("Need to calculate colors/shades", "OK", "Quit") ? prepareTerrain(land, scene, state, random, ui)
                                                                          : -1;
    land.polygonSize = polygonSize;
    return result;
}

} // namespace kalvenor
