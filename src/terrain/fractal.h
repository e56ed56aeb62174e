// Fractal landscape generation by midpoint displacement, and "Roughen", which
// adds fractal detail to the current landscape. Both are deterministic: the
// same seed and settings always give the same elevations.
#pragma once

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

// Builds a new landscape from the generation settings. A grid that is not one
// of the square presets is first recreated at the preset that holds it (sizeMode
// kept; FatalError when even that cannot be allocated). Reseeds all streams
// with the seed. Sets the landscape name ("Fractal ISLAND #seed") and comment.
// Shows "Generate" on the status line at the start and once per step level.
// The caller refreshes the derived data afterwards (refreshAfterGeneration).
void generateLandscape(Landscape& land, const GenerationSettings& settings, RandomStreams& random, Frontend& ui);

// Adds detail finer than twice the feature size, scaled by the local relief.
// Feature size 1 works cell by cell without reseeding (progress "Generate" per
// row) and uses the shadow map as scratch, leaving it marked as not computed;
// larger sizes reseed all streams with the seed and re-interpolate squares of
// 2F. The settings are only read: the roughness is varied per cell or square.
void roughenLandscape(Landscape& land, const GenerationSettings& settings, RandomStreams& random, Frontend& ui);

// The Fractalize command: fractal detail added to the landscape, then its
// statistics and every map derived from it renewed, the palette included.
void fractalizeLandscape(Landscape& land, const GenerationSettings& settings, RandomStreams& random, Frontend& ui);

} // namespace kalvenor
