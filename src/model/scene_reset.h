// The resets that follow a new landscape: camera placement, colouring
// thresholds and the state of the derived maps.
#pragma once

#include "model/landscape.h"
#include "model/scene_settings.h"

namespace kalvenor {

// TreeLine one third and SnowLine two thirds of the way from lowest to highest.
void setDefaultTerrainThresholds(const Landscape& land, TerrainColourSettings& colouring);

// Camera at the middle of the north edge, high above the highest point, looking
// at the centre of the landscape.
void placeOverviewCamera(const Landscape& land, CameraSettings& camera);

// At start-up and after a landscape is generated: locks cleared, camera at the
// south edge looking north, thresholds at one quarter and two thirds, bank 0,
// roughness and dither 100, polygon size 1.
void resetScene(Landscape& land, SceneSettings& scene);

// After a landscape file that brought no settings, an import or a size change.
void resetForNewLandscape(Landscape& land, SceneSettings& scene);

// After Generate: statistics, derived maps invalid, scene reset, overview camera.
void refreshAfterGeneration(Landscape& land, SceneSettings& scene);

} // namespace kalvenor
