#include "render/terrain_vertex.h"

#include <algorithm>
#include <cmath>

#include "render/clipping.h"
#include "render/rasteriser.h"
#include "render/terrain_lighting.h"
#include "render/waves.h"
#include "terrain/colouring_common.h"
#include "terrain/shading.h"

namespace kalvenor {

namespace {

constexpr double kDeformX = 0.9714540594964862; // seed multipliers of the two deformation directions
constexpr double kDeformY = 0.15209497440605163;
constexpr float kDeformReach = 0.25f;  // a point moves at most a quarter cell, so cells never fold
constexpr float kDetailScale = 0.25f;  // fractal detail per unit of edge length
constexpr int kShadeMark = 96;
constexpr int kShadowMarkBase = 16;

// Successive draws of one point, from a generator seeded with its seed.
struct PointDraws {
    std::uint32_t s;
    int next()
    {
        s = lcgStep(s);
        return static_cast<int>((s >> 16) & 0x7FFF);
    }
};

std::uint32_t mix(std::uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// The deformation function: a smooth wave of the seed, a quarter of the spacing at most.
float deformationOffset(double amount, float spacing)
{
    return static_cast<float>(std::sin(amount)) * spacing * kDeformReach;
}

float jitterOf(std::uint32_t value) { return (static_cast<float>(value & 0xFFFFu) - 32768.0f) / 65536.0f; }

bool isRoadCode(int code) { return code >= ground::kRoad1 && code <= ground::kRoad4; }
bool isCliffCode(int code) { return code >= ground::kCliff1 && code <= ground::kCliff4; }

// A value in [-range, range) from a 15-bit draw.
std::int64_t spread(int draw, std::int64_t range) { return ((draw * 2 * range) >> 15) - range; }

int average2(int a, int b) { return (a + b) / 2; }
int average4(int a, int b, int c, int d) { return (a + b + c + d) / 4; }

} // namespace

std::uint32_t pointSeed(int col, int row, std::uint32_t landSeed)
{
    const std::uint32_t h = static_cast<std::uint32_t>(col) * 0x9E3779B1u ^
                            mix(static_cast<std::uint32_t>(row) * 0x85EBCA77u + landSeed);
    return mix(h);
}

std::uint32_t midpointSeed(std::uint32_t a, std::uint32_t b) { return mix((a ^ b) + mix(a + b)); }

std::uint32_t centreSeed(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    return mix((a ^ b ^ c ^ d) + mix(a + b + c + d) + 0x632BE5ABu);
}

bool isWaterVertex(const TerrainVertex& v) { return v.selector2 < kSelectorWaterBelow; }

void placeVertex(const VertexContext& ctx, TerrainVertex& v)
{
    float z = v.z;
    if (ctx.waves != nullptr && isWaterVertex(v)) z += static_cast<float>(waveHeight(*ctx.waves, v.x, v.y));
    v.distance = distanceAndHaze(*ctx.view, v.x, v.y, z, ctx.haze, ctx.base);
    v.haze = frameHazeWeight(ctx.view->hazeWeight, ctx.haze);
    v.drawZ = z;
    v.view = toViewSpace(*ctx.view, v.x, v.y, z);
    v.inView = ctx.geometry != nullptr && strictlyInView(v.view.x, v.view.y, v.view.z);
    if (v.inView) {
        const ImagePoint at = projectPoint(v.view.x, v.view.y, v.view.z, *ctx.geometry);
        v.imageX = at.x, v.imageY = at.y;
        v.pixelX = static_cast<std::int16_t>(toRasterCoordinate(at.x));
        v.pixelY = static_cast<std::int16_t>(toRasterCoordinate(at.y));
    }
}

TerrainVertex buildVertex(const VertexContext& ctx, int col, int row)
{
    const Landscape& land = *ctx.land;
    const SceneSettings& scene = *ctx.scene;
    const int e = land.elevation[row][col];
    const int code = ground::code(land.terrain[row][col]);
    const std::uint16_t shade = land.shadow[row][col];
    TerrainVertex v;
    v.seed = pointSeed(col, row, ctx.landSeed);
    v.code = code;
    v.deformation = static_cast<float>(surfaceAttributes(scene.surfaceAttributes, code).roughness) * 0.01f;

    v.x = static_cast<float>(col) * land.spacingX;
    v.y = static_cast<float>(row) * land.spacingY;
    if (ctx.deformation) {
        v.x += deformationOffset(v.seed * kDeformX, land.spacingX) * v.deformation;
        v.y += deformationOffset(v.seed * kDeformY, land.spacingY) * v.deformation;
    }
    v.z = v.elevation = static_cast<float>(e);
    v.jitterS = jitterOf(v.seed);
    v.jitterT = jitterOf(pointSeed(row, col, ctx.landSeed));

    // The draws come in a fixed order, each taken whether it is used or not.
    PointDraws draws{v.seed};
    const int shadowDraw = draws.next(), heightDraw = draws.next(), selectorDraw = draws.next();
    v.shadeMark = (shade & kObjectShadowBit) != 0 ? kShadeMark : 0;
    v.shadowMark = (shade & kTerrainShadowBit) != 0 ? kShadowMarkBase + (shadowDraw & 15) : 0;

    const bool water = ground::isWater(code), beach = code == ground::kBeach, road = isRoadCode(code);
    // Water, beach and road are not banded by altitude: their level is their elevation.
    const std::int64_t range = static_cast<std::int64_t>(land.highestElevation) - land.lowestElevation;
    v.heightRef = water || beach || road ? e : static_cast<int>(e + (spread(heightDraw, range) >> 7));
    v.selector1 = road ? kSelectorRoad : kSelectorPlain;
    v.selector2 = water   ? kSelectorRoad - (selectorDraw & 255)
                  : beach ? -30020 - (selectorDraw & 15)
                          : (selectorDraw & 511) + kSelectorPlain;
    v.measure = static_cast<int>(valleyValue(land, ctx.valley, col, row));
    v.boundaryJitter = static_cast<int>(((v.seed >> 8) & 255) * static_cast<std::int64_t>(scene.colouring.dither) / 1024);

    const Rgb colour = schemeColour(scene.colourScheme, code);
    v.red = colour.r, v.green = colour.g, v.blue = colour.b;
    placeVertex(ctx, v);
    return v;
}

float displacement(std::uint32_t seed, float edgeLength, float roughness)
{
    const float u = static_cast<float>((seed >> 8) & 0xFFFFu) / 65536.0f - 0.5f;
    return u * edgeLength * kDetailScale * roughness;
}

TerrainVertex midpointVertex(const VertexContext& ctx, const TerrainVertex& a, const TerrainVertex& b,
                             float edgeLength)
{
    TerrainVertex m;
    m.x = (a.x + b.x) * 0.5f, m.y = (a.y + b.y) * 0.5f, m.z = (a.z + b.z) * 0.5f;
    m.jitterS = (a.jitterS + b.jitterS) * 0.5f, m.jitterT = (a.jitterT + b.jitterT) * 0.5f;
    m.elevation = (a.elevation + b.elevation) * 0.5f;
    m.deformation = (a.deformation + b.deformation) * 0.5f;
    m.shadeMark = average2(a.shadeMark, b.shadeMark), m.shadowMark = average2(a.shadowMark, b.shadowMark);
    m.heightRef = average2(a.heightRef, b.heightRef);
    m.selector1 = average2(a.selector1, b.selector1), m.selector2 = average2(a.selector2, b.selector2);
    m.measure = average2(a.measure, b.measure), m.boundaryJitter = average2(a.boundaryJitter, b.boundaryJitter);
    m.red = average2(a.red, b.red), m.green = average2(a.green, b.green), m.blue = average2(a.blue, b.blue);
    m.code = a.code;
    m.seed = midpointSeed(a.seed, b.seed);
    // Water stays level: only points between two dry parents get detail.
    if (!isWaterVertex(a) && !isWaterVertex(b)) {
        const float d = displacement(m.seed, edgeLength, m.deformation);
        m.z += d, m.elevation += d, m.heightRef += static_cast<int>(d);
    }
    placeVertex(ctx, m);
    return m;
}

TerrainVertex centreVertex(const VertexContext& ctx, const TerrainVertex& a, const TerrainVertex& b,
                           const TerrainVertex& c, const TerrainVertex& d, float edgeLength)
{
    TerrainVertex m;
    m.x = (a.x + b.x + c.x + d.x) * 0.25f, m.y = (a.y + b.y + c.y + d.y) * 0.25f;
    m.z = (a.z + b.z + c.z + d.z) * 0.25f;
    m.jitterS = (a.jitterS + b.jitterS + c.jitterS + d.jitterS) * 0.25f;
    m.jitterT = (a.jitterT + b.jitterT + c.jitterT + d.jitterT) * 0.25f;
    m.elevation = (a.elevation + b.elevation + c.elevation + d.elevation) * 0.25f;
    m.deformation = (a.deformation + b.deformation + c.deformation + d.deformation) * 0.25f;
    m.shadeMark = average4(a.shadeMark, b.shadeMark, c.shadeMark, d.shadeMark);
    m.shadowMark = average4(a.shadowMark, b.shadowMark, c.shadowMark, d.shadowMark);
    m.heightRef = average4(a.heightRef, b.heightRef, c.heightRef, d.heightRef);
    m.selector1 = average4(a.selector1, b.selector1, c.selector1, d.selector1);
    m.selector2 = average4(a.selector2, b.selector2, c.selector2, d.selector2);
    m.measure = average4(a.measure, b.measure, c.measure, d.measure);
    m.boundaryJitter = average4(a.boundaryJitter, b.boundaryJitter, c.boundaryJitter, d.boundaryJitter);
    m.red = average4(a.red, b.red, c.red, d.red), m.green = average4(a.green, b.green, c.green, d.green);
    m.blue = average4(a.blue, b.blue, c.blue, d.blue);
    m.code = a.code;
    m.seed = centreSeed(a.seed, b.seed, c.seed, d.seed);
    if (!isWaterVertex(a) && !isWaterVertex(b) && !isWaterVertex(c) && !isWaterVertex(d)) {
        const float h = displacement(m.seed, edgeLength, m.deformation);
        m.z += h, m.elevation += h, m.heightRef += static_cast<int>(h);
    }
    placeVertex(ctx, m);
    return m;
}

int triangleClass(const ClassContext& ctx, const TerrainVertex& a, const TerrainVertex& b, const TerrainVertex& c,
                  int slope)
{
    if (ctx.land->terrainFrozen) return a.code;
    const TerrainVertex* corners[3] = {&a, &b, &c};
    // Integer averages of three, truncated toward zero.
    if ((a.selector1 + b.selector1 + c.selector1) / 3 < kSelectorBeachBelow) {
        for (const TerrainVertex* v : corners)
            if (isRoadCode(v->code)) return v->code;
        return ground::kRoad1;
    }
    const int selector2 = (a.selector2 + b.selector2 + c.selector2) / 3;
    if (selector2 < kSelectorWaterBelow) {
        // The water pass decided flat or steep water; the map keeps its choice.
        for (const TerrainVertex* v : corners)
            if (ground::isWater(v->code)) return v->code;
        return ground::kWater1;
    }
    if (selector2 < kSelectorBeachBelow) return ground::kBeach;

    const TerrainColourSettings& colouring = *ctx.colouring;
    if (colouring.cliffs != 0 && slope > colouring.cliffThreshold) {
        if (colouring.cliffMode != 2) return slopeCode(slope, colouring.cliffThreshold, ctx.cliffBand);
        if (isCliffCode(a.code)) return a.code;
        const Landscape& land = *ctx.land;
        const int col = std::clamp(static_cast<int>(a.x / land.spacingX + 0.5f), 0, land.sizeX);
        const int row = std::clamp(static_cast<int>(a.y / land.spacingY + 0.5f), 0, land.sizeY);
        return strataCode(land, colouring, *ctx.strata, *ctx.scratch, col, row);
    }
    const std::int64_t e = (static_cast<std::int64_t>(a.heightRef) + b.heightRef + c.heightRef + a.boundaryJitter +
                            b.boundaryJitter + c.boundaryJitter) / 3;
    const std::int64_t valley = (static_cast<std::int64_t>(a.measure) + b.measure + c.measure) / 3;
    return altitudeCode(e, valley, ctx.bands);
}

} // namespace kalvenor
