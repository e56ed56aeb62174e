#include "render/buildings.h"

#include <algorithm>
#include <array>

#include "render/scene_frame.h"
#include "render/textures.h"
#include "render/terrain_lighting.h"
#include "render/tree_surface.h"
#include "render/trees.h"

namespace kalvenor {

namespace {

// Per kind: the half sizes of the footprint across and along the ridge (in
// cells), the height of the walls and the rise of the roof (metres).
struct HouseShape {
    float halfAcross, halfAlong;
    float walls, roof;
};
constexpr std::array<HouseShape, 4> kShapes = {{
    {0.18f, 0.26f, 4.0f, 3.0f},
    {0.22f, 0.30f, 6.0f, 3.5f},
    {0.26f, 0.34f, 8.0f, 4.0f},
    {0.30f, 0.40f, 14.0f, 5.0f},
}};
constexpr float kRoofShade = 0.55f; // the roof's colour: the walls' darkened

Rgb darkened(Rgb c, float k)
{
    return {static_cast<std::uint8_t>(c.r * k), static_cast<std::uint8_t>(c.g * k), static_cast<std::uint8_t>(c.b * k)};
}

// Where a face's corners lie on its texture map (fractions of its width and height).
constexpr float kWallMap[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};

// One face: drawn when it turns toward the eye, lit by its normal; with its
// map when its class has one (st: the corners' places on it; tall: the
// face's height in metres, for the map's level).
struct FaceMap {
    const ClassTexture* map = nullptr;
    const float (*st)[2] = nullptr;
    float tall = 0.0f;
};

void face(TreeDraw& d, const Vec3* corners, int n, Vec3 normal, const TreePaint& paint, std::uint32_t seed,
          const FaceMap& m)
{
    Vec3 centre{0.0f, 0.0f, 0.0f};
    for (int i = 0; i < n; ++i) centre = vadd(centre, corners[i]);
    centre = vscale(centre, 1.0f / static_cast<float>(n));
    if (vdot(normal, vsub(d.eye, centre)) <= 0.0f) return;
    const int intensity = diffuseIntensity(normal, d.light, d.exaggeration);
    if (m.map != nullptr)
        drawTexturedFlat(d, corners, n, paint, intensity, {m.map, m.st, pixelsAt(d, m.tall, centre), false}, seed);
    else
        drawFlat(d, corners, n, paint, intensity, seed, 1);
}

} // namespace

void drawHouse(SceneFrame& frame, int object, int col, int row)
{
    if (!isHouseObject(object)) return;
    const Landscape& land = frame.land;
    const int kind = object - kFirstHouseObject;
    const HouseShape& shape = kShapes[static_cast<std::size_t>(kind)];
    const int col1 = std::min(col + 1, land.gridWidth - 1), row1 = std::min(row + 1, land.gridHeight - 1);
    const float z00 = land.elevation[row][col], z01 = land.elevation[row][col1];
    const float z10 = land.elevation[row1][col], z11 = land.elevation[row1][col1];
    const float sx = land.spacingX, sy = land.spacingY;
    const Vec3 centre{(static_cast<float>(col) + 0.5f) * sx, (static_cast<float>(row) + 0.5f) * sy,
                      (z00 + z01 + z10 + z11) * 0.25f};
    // The walls reach down to the lowest corner of the cell, so the house never floats.
    const float ground = std::min({z00, z01, z10, z11}) - 1.0f;
    const float eaves = centre.z + shape.walls;
    const float ridge = eaves + shape.roof;
    const float ax = shape.halfAcross * sx, ay = shape.halfAlong * sy; // the ridge runs north-south

    const float reach = std::max(ax, ay);
    if (!treeBoxInView(frame.view, centre, reach, centre.z - ground, ridge - centre.z)) return;

    TreeDraw d = objectDraw(frame, centre, col, row);
    const Rgb wall = schemeColour(frame.scene.colourScheme, kFirstHouseColour + kind);
    const TreePaint walls = paintOf(frame.scene, wall, kFirstHouseColour + kind);
    const TreePaint roof = paintOf(frame.scene, darkened(wall, kRoofShade), kFirstHouseColour + kind);
    const std::uint32_t seed = static_cast<std::uint32_t>(row) * 65599u + static_cast<std::uint32_t>(col);

    const float x0 = centre.x - ax, x1 = centre.x + ax, y0 = centre.y - ay, y1 = centre.y + ay;
    const auto mapOf = [&](HouseFace which) {
        return frame.state.textures.byClass[static_cast<std::size_t>(houseTextureClass(object, which))];
    };
    // The gable ends: the eaves lie this far down the map from the ridge.
    const float eavesOnMap = (ridge - eaves) / (ridge - ground);
    const float gableMap[5][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, eavesOnMap}, {0.5f, 0.0f}, {0.0f, eavesOnMap}};
    const FaceMap sides{mapOf(HouseFace::Side), kWallMap, eaves - ground};
    const FaceMap fronts{mapOf(HouseFace::Front), gableMap, ridge - ground};
    const FaceMap tops{mapOf(HouseFace::Top), kWallMap, ax};
    const auto drawWalls = [&] {
        const Vec3 west[4] = {{x0, y0, ground}, {x0, y1, ground}, {x0, y1, eaves}, {x0, y0, eaves}};
        const Vec3 east[4] = {{x1, y1, ground}, {x1, y0, ground}, {x1, y0, eaves}, {x1, y1, eaves}};
        const Vec3 south[5] = {{x1, y0, ground}, {x0, y0, ground}, {x0, y0, eaves}, {centre.x, y0, ridge}, {x1, y0, eaves}};
        const Vec3 north[5] = {{x0, y1, ground}, {x1, y1, ground}, {x1, y1, eaves}, {centre.x, y1, ridge}, {x0, y1, eaves}};
        face(d, west, 4, {-1.0f, 0.0f, 0.0f}, walls, seed, sides);
        face(d, east, 4, {1.0f, 0.0f, 0.0f}, walls, seed + 1, sides);
        face(d, south, 5, {0.0f, -1.0f, 0.0f}, walls, seed + 2, fronts);
        face(d, north, 5, {0.0f, 1.0f, 0.0f}, walls, seed + 3, fronts);
    };
    const auto drawRoof = [&] {
        const Vec3 westSlope[4] = {{x0, y0, eaves}, {x0, y1, eaves}, {centre.x, y1, ridge}, {centre.x, y0, ridge}};
        const Vec3 eastSlope[4] = {{x1, y1, eaves}, {x1, y0, eaves}, {centre.x, y0, ridge}, {centre.x, y1, ridge}};
        face(d, westSlope, 4, vunit({-shape.roof, 0.0f, ax}), roof, seed + 4, tops);
        face(d, eastSlope, 4, vunit({shape.roof, 0.0f, ax}), roof, seed + 5, tops);
    };
    // The faces turned to the eye do not cover one another, except the roof and
    // the walls: what lies nearer the eye's height goes last.
    if (d.eye.z >= eaves) {
        drawWalls();
        drawRoof();
    } else {
        drawRoof();
        drawWalls();
    }
}

} // namespace kalvenor
