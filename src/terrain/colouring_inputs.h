// The operations that change an input of terrain colouring or shading: each
// stores the value, rebuilds what is derived from it at once (light vector,
// strata table) and reports the change to the invalidation table, so that the
// next render recomputes what depends on it. A value set to what it already was
// invalidates nothing. Panels and script keywords call these.
#pragma once

#include <cstdint>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "terrain/colouring_state.h"

namespace kalvenor {

// Terrain colouring.
void setTreeLine(Landscape& land, TerrainColourSettings& colouring, std::int32_t metres);
void setSnowLine(Landscape& land, TerrainColourSettings& colouring, std::int32_t metres);
void setBoundaryRoughness(Landscape& land, TerrainColourSettings& colouring, std::int32_t roughness);
void setValleyEffect(Landscape& land, TerrainColourSettings& colouring, bool on);
void setValleyWidth(Landscape& land, TerrainColourSettings& colouring, std::int32_t metres);
void setValleyStrength(Landscape& land, TerrainColourSettings& colouring, std::int32_t strength);
// The band width follows from the threshold (cliffBandWidth) wherever it is used.
void setCliffThreshold(Landscape& land, TerrainColourSettings& colouring, std::int32_t degrees);
// On: sets the switch and rebuilds the strata table (which reseeds all streams).
// Off: clears it, so the ground codes are recomputed without cliffs.
void setCliffs(Landscape& land, TerrainColourSettings& colouring, ColouringState& state, RandomStreams& random,
               bool on);
// On: mode 2 and the strata table rebuilt (reseeding all streams); off: mode 1.
void setStratified(Landscape& land, TerrainColourSettings& colouring, ColouringState& state, RandomStreams& random,
                   bool on);
// The strata only colour the cliffs while they are stratified.
void setStrataThickness(Landscape& land, TerrainColourSettings& colouring, std::int32_t metres);
void setStrataWarp(Landscape& land, TerrainColourSettings& colouring, std::int32_t warp);
void setStrataTilt(Landscape& land, TerrainColourSettings& colouring, float x, float y, float z);

// Trees. band is 0..3 for Tree1..Tree4; other bands are ignored.
void setTreeDensity(Landscape& land, TreeSettings& trees, int band, std::int32_t density);
void setTreeKinds(Landscape& land, TreeSettings& trees, int band, std::int32_t kindMask);
void applyMeanTreeDensity(Landscape& land, TreeSettings& trees, int density);
// Sizes only matter when trees are drawn; provided so every tree input has its operation.
void applyMeanTreeSize(TreeSettings& trees, int size);

// Sun and shading.
void setSun(Landscape& land, LightingSettings& lighting, ColouringState& state, float azimuth, float declination);
// The Light panel's "N", "S", "E", "W" (commands 1064 to 1067). Returns 1, or 0
// for any other command id (nothing changed).
int applySunPreset(Landscape& land, LightingSettings& lighting, ColouringState& state, int commandId);
void setShadows(Landscape& land, LightingSettings& lighting, bool on);
void setExaggeration(Landscape& land, LightingSettings& lighting, bool on);
void setLightingRoughness(Landscape& land, LightingSettings& lighting, std::int32_t roughness);
void setContrast(Landscape& land, LightingSettings& lighting, std::int32_t contrast);
void setExposure(Landscape& land, LightingSettings& lighting, std::int32_t exposure);

// A new polygon size: stored as given (the passes treat values below 1 as 1).
// Nothing is invalidated; the validity markers decide what the next render redoes.
void setPolygonSize(Landscape& land, std::int32_t size);

} // namespace kalvenor
