// The first steps of the render preparation chain: colour pass (with tree
// placement), cliff pass and shade pass, each skipped while still valid for the
// current polygon size.
#pragma once

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "terrain/colouring_state.h"

namespace kalvenor {

class Frontend;

// Runs the three passes in order; 1 when all are done or still valid, -1 as soon
// as one is aborted (the later ones do not run). The landscape seed is the
// fractal seed of the generation settings.
int prepareTerrain(Landscape& land, const SceneSettings& scene, ColouringState& state, RandomStreams& random,
                   Frontend& ui);

// True when a pass would run: colours, cliffs or shades are not valid at the
// current polygon size (and not frozen).
bool terrainOutOfDate(const Landscape& land, const SceneSettings& scene);

// Before a session is saved or ground colours are exported: when the terrain is
// out of date at polygon size 1 (every cell; a stored map is read back as valid
// at every size), asks "Need to calculate colors/shades" ("OK" / "Quit") and
// runs the passes at that size. 1 when up to date, -1 when the user quit or aborted.
int ensureTerrainComputed(Landscape& land, const SceneSettings& scene, ColouringState& state, RandomStreams& random,
                          Frontend& ui);

} // namespace kalvenor
