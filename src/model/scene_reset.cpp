#include "model/scene_reset.h"

#include "model/camera_aim.h"

namespace kalvenor {

void setDefaultTerrainThresholds(const Landscape& land, TerrainColourSettings& colouring)
{
    const int low = land.lowestElevation;
    const int range = land.highestElevation - low;
    colouring.treeLine = low + range / 3;
    colouring.snowLine = low + 2 * range / 3;
}

void placeOverviewCamera(const Landscape& land, CameraSettings& camera)
{
    const float middleX = static_cast<float>(land.sizeX) * land.spacingX * 0.5f;
    const float cameraZ = static_cast<float>(land.longSide * 1000 / 256 + land.highestElevation);
    setCamera(camera, middleX, 0.0f, cameraZ);
    setTarget(camera, middleX, static_cast<float>(land.sizeY) * land.spacingY * 0.5f,
              static_cast<float>((land.highestElevation + land.lowestElevation) / 2));
}

void resetScene(Landscape& land, SceneSettings& scene)
{
    CameraSettings& camera = scene.camera;
    camera.lockX = camera.lockY = camera.lockZ = 0;
    setCamera(camera, static_cast<float>(land.longSide) * land.spacingX * 0.5f,
              static_cast<float>(land.sizeY) * land.spacingY, static_cast<float>(land.highestElevation));
    setTarget(camera, static_cast<float>(land.longSide) * land.spacingY * 0.5f, 0.0f,
              static_cast<float>(land.lowestElevation));

    const int low = land.lowestElevation;
    const int range = land.highestElevation - low;
    scene.colouring.treeLine = low + range / 4;
    scene.colouring.snowLine = low + 2 * range / 3;
    camera.bank = 0.0f;
    scene.generation.roughness = 100;
    scene.colouring.dither = 100;
    land.polygonSize = 1;
}

void resetForNewLandscape(Landscape& land, SceneSettings& scene)
{
    scene.generation.verticalScale = 1.0f;
    scene.generation.verticalScale2 = 1.0f;
    computeElevationStatistics(land);
    scene.colouring.seaLevel = 0;
    computeElevationStatistics(land);
    scene.render.box.enabled = 0;
    placeOverviewCamera(land, scene.camera);
    setDefaultTerrainThresholds(land, scene.colouring);
    land.terrain.clear();
    land.shadow.clear();
    land.mapStale = true;
    resetDerivedMaps(land);
    land.paletteStale = 1;
}

void refreshAfterGeneration(Landscape& land, SceneSettings& scene)
{
    computeElevationStatistics(land);
    resetDerivedMaps(land);
    land.paletteStale = 1;
    resetScene(land, scene);
    placeOverviewCamera(land, scene.camera);
    land.mapStale = true;
}

} // namespace kalvenor
