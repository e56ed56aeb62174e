#include "terrain/colouring_inputs.h"

#include "terrain/invalidation.h"
#include "terrain/tree_placement.h"

namespace kalvenor {

namespace {

constexpr int kStratifiedMode = 2;
constexpr int kSlopeMode = 1;

// Stores value into field and reports input when it changed.
template <typename T>
void store(Landscape& land, T& field, T value, ColouringInput input)
{
    if (field == value) return;
    field = value;
    inputChanged(land, input);
}

bool validBand(int band) { return band >= 0 && band < 4; }

} // namespace

void setTreeLine(Landscape& land, TerrainColourSettings& colouring, std::int32_t metres)
{
    store(land, colouring.treeLine, metres, ColouringInput::TreeLine);
}

void setSnowLine(Landscape& land, TerrainColourSettings& colouring, std::int32_t metres)
{
    store(land, colouring.snowLine, metres, ColouringInput::SnowLine);
}

void setBoundaryRoughness(Landscape& land, TerrainColourSettings& colouring, std::int32_t roughness)
{
    store(land, colouring.dither, roughness, ColouringInput::BoundaryRoughness);
}

void setValleyEffect(Landscape& land, TerrainColourSettings& colouring, bool on)
{
    store(land, colouring.valleys, on ? 1 : 0, ColouringInput::Valley);
}

void setValleyWidth(Landscape& land, TerrainColourSettings& colouring, std::int32_t metres)
{
    // The width does nothing while the effect is off; store it all the same.
    if (colouring.valleys) store(land, colouring.valleyWidth, metres, ColouringInput::Valley);
    else colouring.valleyWidth = metres;
}

void setValleyStrength(Landscape& land, TerrainColourSettings& colouring, std::int32_t strength)
{
    if (colouring.valleys) store(land, colouring.valleyStrength, strength, ColouringInput::Valley);
    else colouring.valleyStrength = strength;
}

void setCliffThreshold(Landscape& land, TerrainColourSettings& colouring, std::int32_t degrees)
{
    store(land, colouring.cliffThreshold, degrees, ColouringInput::CliffThreshold);
}

void setCliffs(Landscape& land, TerrainColourSettings& colouring, ColouringState& state, RandomStreams& random,
               bool on)
{
    if (on) {
        buildStrataTable(random, state.strata);
        store(land, colouring.cliffs, 1, ColouringInput::CliffsOn);
    } else {
        store(land, colouring.cliffs, 0, ColouringInput::CliffsOff);
    }
}

void setStratified(Landscape& land, TerrainColourSettings& colouring, ColouringState& state, RandomStreams& random,
                   bool on)
{
    if (on) buildStrataTable(random, state.strata);
    store(land, colouring.cliffMode, on ? kStratifiedMode : kSlopeMode, ColouringInput::CliffColouring);
}

void setStrataThickness(Landscape& land, TerrainColourSettings& colouring, std::int32_t metres)
{
    if (colouring.cliffMode == kStratifiedMode) store(land, colouring.strataThickness, metres, ColouringInput::CliffColouring);
    else colouring.strataThickness = metres;
}

void setStrataWarp(Landscape& land, TerrainColourSettings& colouring, std::int32_t warp)
{
    if (colouring.cliffMode == kStratifiedMode) store(land, colouring.strataWarp, warp, ColouringInput::CliffColouring);
    else colouring.strataWarp = warp;
}

void setStrataTilt(Landscape& land, TerrainColourSettings& colouring, float x, float y, float z)
{
    const std::array<float, 3> tilt = {x, y, z};
    if (colouring.cliffMode == kStratifiedMode) store(land, colouring.strataTilt, tilt, ColouringInput::CliffColouring);
    else colouring.strataTilt = tilt;
}

void setTreeDensity(Landscape& land, TreeSettings& trees, int band, std::int32_t density)
{
    if (!validBand(band)) return;
    store(land, trees.density[static_cast<std::size_t>(band)], density, ColouringInput::TreeDensity);
}

void setTreeKinds(Landscape& land, TreeSettings& trees, int band, std::int32_t kindMask)
{
    if (!validBand(band)) return;
    store(land, trees.kindMask[static_cast<std::size_t>(band)], kindMask, ColouringInput::TreeKinds);
}

void applyMeanTreeDensity(Landscape& land, TreeSettings& trees, int density)
{
    const auto before = trees.density;
    setMeanTreeDensity(trees, density);
    if (trees.density != before) inputChanged(land, ColouringInput::TreeDensity);
}

void applyMeanTreeSize(TreeSettings& trees, int size) { setMeanTreeSize(trees, size); }

void setSun(Landscape& land, LightingSettings& lighting, ColouringState& state, float azimuth, float declination)
{
    const bool changed = lighting.sunAzimuth != azimuth || lighting.sunDeclination != declination;
    lighting.sunAzimuth = azimuth;
    lighting.sunDeclination = declination;
    recomputeSun(lighting, state.sun);
    if (changed) inputChanged(land, ColouringInput::Sun);
}

int applySunPreset(Landscape& land, LightingSettings& lighting, ColouringState& state, int commandId)
{
    const SunPreset* preset = findSunPreset(commandId);
    if (preset == nullptr) return 0;
    setSun(land, lighting, state, preset->azimuth, kPresetDeclination);
    return 1;
}

void setShadows(Landscape& land, LightingSettings& lighting, bool on)
{
    store(land, lighting.shadows, on ? 1 : 0, ColouringInput::Shadows);
}

void setExaggeration(Landscape& land, LightingSettings& lighting, bool on)
{
    store(land, lighting.exaggeration, on ? 1 : 0, ColouringInput::Exaggeration);
}

void setLightingRoughness(Landscape& land, LightingSettings& lighting, std::int32_t roughness)
{
    store(land, lighting.lightingRoughness, roughness, ColouringInput::LightingRoughness);
}

void setContrast(Landscape& land, LightingSettings& lighting, std::int32_t contrast)
{
    // Shading only asks whether the contrast is 0.
    const bool switched = (lighting.contrast == 0) != (contrast == 0);
    store(land, lighting.contrast, contrast, switched ? ColouringInput::ShadingSwitch : ColouringInput::Contrast);
}

void setExposure(Landscape& land, LightingSettings& lighting, std::int32_t exposure)
{
    store(land, lighting.exposure, exposure, ColouringInput::Exposure);
}

void setPolygonSize(Landscape& land, std::int32_t size)
{
    store(land, land.polygonSize, size, ColouringInput::PolygonSize);
}

} // namespace kalvenor
