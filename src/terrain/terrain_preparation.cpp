#include "terrain/terrain_preparation.h"

#include "terrain/cliffs.h"
#include "terrain/colouring.h"
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

} // namespace kalvenor
