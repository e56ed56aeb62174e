// The corner record of a terrain polygon: world position (with the optional
// horizontal deformation), distance and haze, shadow and shade marks, the
// values the per-triangle class choice reads, the point's seed and colour;
// the midpoints of subdivision; and the class chosen for a triangle.
#pragma once

#include <cstdint>

#include "model/landscape.h"
#include "model/scene_settings.h"
#include "render/projection.h"
#include "render/view_transform.h"
#include "render/waves.h"
#include "terrain/cliffs.h"
#include "terrain/colouring.h"

namespace kalvenor {

// Selector values: below -30050 water, -30050 up to -30000 beach; a
// selector 1 of -30100 marks a road.
constexpr int kSelectorRoad = -30100;
constexpr int kSelectorPlain = -29900;
constexpr int kSelectorWaterBelow = -30050;
constexpr int kSelectorBeachBelow = -30000;

struct TerrainVertex {
    float x = 0, y = 0, z = 0;        // world position; z before waves
    float jitterS = 0, jitterT = 0;   // texture jitter in [-0.5, 0.5)
    float elevation = 0;              // kept apart from z
    float distance = 0, haze = 0;     // to the eye, and the haze weight there
    float deformation = 0;            // the class's roughness byte x 0.01
    int shadeMark = 0;                // 96 under an object's shadow
    int shadowMark = 0;               // 16 + (random & 15) in the terrain's shadow
    int heightRef = 0;                // elevation with a little noise: the band the point falls in
    int selector1 = kSelectorPlain;
    int selector2 = 0;
    int measure = 0;                  // the valley value
    int boundaryJitter = 0;
    std::uint32_t seed = 0;
    int red = 0, green = 0, blue = 0; // the point's class colour
    int code = 0;                     // the point's ground code
    float drawZ = 0;                  // z with the waves of water points added
    Vec3 view;                        // view space of the drawn position (waves included)
    // Strictly inside the view volume, and then where the point lands in the
    // image, projected exactly as a polygon corner is (projectPolygon): the
    // triangles of such points need neither clipping nor projection.
    bool inView = false;
    float imageX = 0, imageY = 0;
    std::int16_t pixelX = 0, pixelY = 0; // imageX and imageY as the rasteriser truncates them
};

// What building a vertex reads besides the landscape, fixed for a frame.
struct VertexContext {
    const Landscape* land = nullptr;
    const SceneSettings* scene = nullptr;
    ViewState* view = nullptr;
    ValleyParams valley;
    const WaveField* waves = nullptr; // null: no waves
    const ImageGeometry* geometry = nullptr; // null: points are not projected (inView stays false)
    int haze = 0;          // the haze setting (0 = none)
    float base = 0;        // the lowest elevation, where the air is haziest
    std::uint32_t landSeed = 0;
    bool deformation = false; // horizontal deformation switch
    // The fractal detail's amplitude at the first subdivision and at the deeper ones (1 = as designed).
    float detailLarge = 1.0f;
    float detailSmall = 1.0f;
};

// The seed of grid point (col, row) of a landscape with the given fractal
// seed: a fixed integer hash, so a point looks the same on every render
// whatever order the cells are visited in.
std::uint32_t pointSeed(int col, int row, std::uint32_t landSeed);

// The seed of a new point between parents: independent of their order.
std::uint32_t midpointSeed(std::uint32_t a, std::uint32_t b);
std::uint32_t centreSeed(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d);

// Builds the record of grid point (col, row).
TerrainVertex buildVertex(const VertexContext& ctx, int col, int row);

// The midpoint of parents a and b (centre: of four) for subdivision: every
// attribute averaged, the elevation (and z) displaced by the fractal detail of
// displacement(), distance, haze and view space taken again.
TerrainVertex midpointVertex(const VertexContext& ctx, const TerrainVertex& a, const TerrainVertex& b,
                             float edgeLength);
TerrainVertex centreVertex(const VertexContext& ctx, const TerrainVertex& a, const TerrainVertex& b,
                           const TerrainVertex& c, const TerrainVertex& d, float edgeLength);

// The fractal detail of a new point with seed s on an edge of the given length:
// u x edge length x 0.25 x roughness, u in [-0.5, 0.5) from the seed. Halving the
// edge halves the amplitude, so detail shrinks with the polygons.
float displacement(std::uint32_t seed, float edgeLength, float roughness);

// Distance, haze and view space of v's drawn position (waves added for water).
void placeVertex(const VertexContext& ctx, TerrainVertex& v);

bool isWaterVertex(const TerrainVertex& v);

// What the class choice of a triangle reads beside its corners.
struct ClassContext {
    const Landscape* land = nullptr;
    const TerrainColourSettings* colouring = nullptr;
    const StrataTable* strata = nullptr;
    RandomStreams* scratch = nullptr; // the strata code reseeds a stream; never the shared ones
    BandLimits bands;
    int cliffBand = 7;
};

// The class of a triangle with corners a, b, c and slope (whole degrees):
// a frozen terrain map keeps the first corner's code; a road selector average
// below -30000 gives a road; a selector-2 average below -30050 gives the
// water code of a water corner, from -30050 up to -30000 beach; else cliffs
// above the threshold (by slope or strata), else the altitude band of the
// average height reference and boundary jitter against the average valley value.
int triangleClass(const ClassContext& ctx, const TerrainVertex& a, const TerrainVertex& b, const TerrainVertex& c,
                  int slope);

} // namespace kalvenor
