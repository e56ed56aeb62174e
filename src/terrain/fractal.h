// Fractal landscape generation by midpoint displacement, and "Roughen", which
// adds fractal detail to the current landscape. Both are deterministic: the
// same seed and settings always give the same elevations.
#pragma once

#include "landscape/landscape.h"
#include "landscape/random_streams.h"
#include "landscape/scene_settings.h"

namespace kalvenor {

class Frontend;

// Builds a new landscape from the generation settings. A grid that is not one
// of the square presets is first recreated at the nearest preset. Sets the
// landscape name ("Fractal ISLAND #seed") and comment. The caller refreshes
// the derived data afterwards (refreshAfterGeneration).
void generateLandscape(Landscape& land, const GenerationSettings& settings, RandomStreams& random, Frontend& ui);

// Adds detail finer than twice the feature size, scaled by the local relief.
// The roughness setting is used cell by cell and left as it was.
void roughenLandscape(Landscape& land, const GenerationSettings& settings, RandomStreams& random, Frontend& ui);

} // namespace kalvenor
