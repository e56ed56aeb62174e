#include "render/scene_frame.h"

#include <algorithm>
#include <cmath>

#include "base/frontend.h"
#include "render/clipping.h"
#include "render/held_triangles.h"
#include "render/projection.h"
#include "terrain/colouring.h"
#include "terrain/colouring_common.h"

namespace kalvenor {

namespace {

// The altitude texture kind of TextureSettings::kind.
constexpr int kAltitudeTexture = 1;

constexpr SubdivisionLimits kSubdivisionLevels[] = {
    {32000, 0}, // Off
    {20, 4},    // Low
    {15, 6},    // Medium
    {10, 8},    // High
    {7, 8},     // Ultra
};

int roundDown(int value, int step) { return value / step * step; }

// Bounds of one axis: the whole grid (0..size), or the region's first index
// rounded down and its last plus step - 1, each rounded down to the step.
void axisBounds(bool region, int regionFirst, int regionLast, int size, int step, int& first, int& last)
{
    first = 0;
    last = size;
    if (region) {
        first = regionFirst;
        last = regionLast + step - 1;
    }
    first = roundDown(std::clamp(first, 0, size), step);
    last = roundDown(std::clamp(last, 0, size), step);
}

Vec3 sub(const PolygonVertex& a, const PolygonVertex& b) { return {a.u - b.u, a.v - b.v, a.w - b.w}; }

} // namespace

SubdivisionLimits subdivisionLimits(const TextureSettings& texture)
{
    if (texture.kind != kAltitudeTexture || texture.level < 1 || texture.level > 4) return kSubdivisionLevels[0];
    return kSubdivisionLevels[texture.level];
}

void prepareTerrainParams(SceneFrame& frame)
{
    const Landscape& land = frame.land;
    const SceneSettings& scene = frame.scene;
    TerrainParams& t = frame.terrain;
    t.step = samplingStep(land);
    const BoundingBox& box = scene.render.box;
    axisBounds(box.enabled != 0, box.firstColumn, box.lastColumn, land.sizeX, t.step, t.firstCol, t.lastCol);
    axisBounds(box.enabled != 0, box.firstRow, box.lastRow, land.sizeY, t.step, t.firstRow, t.lastRow);

    t.waves = makeWaveField(scene.waves, land);
    t.limits = subdivisionLimits(scene.texture);
    t.vertex.land = &land;
    t.vertex.scene = &scene;
    t.vertex.view = &frame.view;
    t.vertex.valley = valleyParams(land, scene.colouring);
    t.vertex.waves = t.waves.on ? &t.waves : nullptr;
    t.vertex.geometry = frame.target.geometry;
    t.vertex.haze = scene.sky.haze;
    t.vertex.base = static_cast<float>(land.lowestElevation);
    t.vertex.landSeed = scene.generation.seed;
    t.vertex.deformation = scene.texture.horizontalDeformation != 0;
    t.vertex.detailLarge = static_cast<float>(scene.texture.detailLarge) / 100.0f;
    t.vertex.detailSmall = static_cast<float>(scene.texture.detailSmall) / 100.0f;

    t.classes.land = &land;
    t.classes.colouring = &scene.colouring;
    t.classes.strata = &frame.strata;
    t.classes.scratch = &frame.state.scratchRandom;
    t.classes.bands = bandLimits(land, scene.colouring);
    t.classes.cliffBand = cliffBandWidth(scene.colouring.cliffThreshold);

    t.light = {frame.sun.vector[0], frame.sun.vector[1], frame.sun.vector[2]};
    t.imageSide = static_cast<float>(std::max(frame.target.geometry->width, frame.target.geometry->height));
    t.roughness = scene.lighting.lightingRoughness;
    constexpr double kDegreesPerRadian = 57.29577951308232;
    t.cosCliffThreshold = static_cast<float>(std::cos(scene.colouring.cliffThreshold / kDegreesPerRadian));
    t.phong = scene.lighting.phongHighlights != 0;
    t.blend = scene.render.blend != 0;
    t.gouraud = scene.render.gouraud != 0;
    t.exaggeration = scene.lighting.exaggeration != 0;
    t.backFaceCulling = scene.render.backFaceCulling != 0;
    t.exactCells = !t.vertex.deformation && scene.texture.kind != kAltitudeTexture;
    const auto& byClass = frame.state.textures.byClass;
    t.anyTexture = std::any_of(byClass.begin(), byClass.end(), [](const ClassTexture* map) { return map != nullptr; });
    t.holdBack = !t.anyTexture && mayHoldTriangles(frame);
}

bool pollFrameAbort(SceneFrame& frame)
{
    if (frame.raster.abortRequested) return true;
    if (frame.ui.pollAbort()) frame.raster.abortRequested = true;
    return frame.raster.abortRequested;
}

bool facesAway(const Polygon& polygon)
{
    if (polygon.count < 3) return false;
    const PolygonVertex& p0 = polygon.vertices[0];
    const PolygonVertex& p1 = polygon.vertices[1];
    const PolygonVertex& p2 = polygon.vertices[2];
    const Vec3 a = sub(p1, p0), b = sub(p2, p1);
    const Vec3 n = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    return n.x * p1.u + n.y * p1.v + n.z * p1.w >= 0.0f;
}

void submitPolygon(SceneFrame& frame, Polygon& polygon, bool cull)
{
    if (!frame.state.held.list.empty()) drawHeldTriangles(frame); // they come first
    if (cull && facesAway(polygon)) return;
    if (!clipToView(polygon, frame.state.scratch)) return;
    projectPolygon(polygon, *frame.target.geometry);
    submitProjected(frame, polygon);
}

void submitPacked(SceneFrame& frame, const PackedEntry* entries, int count)
{
    if (!frame.state.held.list.empty()) drawHeldTriangles(frame);
    if (frame.record != nullptr)
        frame.record->addPacked(entries, count, nullptr, nullptr, frame.light.hazeWeight);
    else
        rasterisePacked(entries, nullptr, count, nullptr, frame.raster, frame.target);
}

void submitProjected(SceneFrame& frame, const Polygon& polygon)
{
    if (!frame.state.held.list.empty()) drawHeldTriangles(frame);
    if (frame.record != nullptr)
        frame.record->add(polygon, frame.light.hazeWeight);
    else
        rasterisePolygon(polygon, frame.raster, frame.target);
}

} // namespace kalvenor
