// The short cuts of the cell drawing: triangles whose corners are all in
// view skip clipping and take their corners' image positions, and far cells
// of an untextured frame skip the quad record. Each must give what the long
// way gives, to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "model/camera_aim.h"
#include "render/cell_draw.h"
#include "render/clipping.h"
#include "render/polygon_batch.h"
#include "render/scene_frame.h"
#include "render/terrain_vertex.h"
#include "render/terrain_lighting.h"
#include "render/scene_fixture.h"

namespace kalvenor {
namespace {

using testing::Scene;

// A frame over a small island seen from the camera placed at (x, y, z) looking at (tx, ty, 0).
struct IslandFrame {
    Scene scene{160, 120, 160, 160};
    SceneFrame frame;

    IslandFrame(float x, float y, float z, float tx, float ty)
        : frame{(testing::makeIsland(*scene.app, scene.ui, 66, 4242), scene.app->landscape), scene.app->scene,
                scene.app->colouring.sun, scene.app->colouring.strata, scene.app->view, scene.app->light,
                scene.app->raster, scene.canvas->target, scene.ui, scene.state}
    {
        CameraSettings& camera = scene.app->scene.camera;
        setCamera(camera, x, y, z);
        setTarget(camera, tx, ty, 0.0f);
        buildViewRotation(scene.app->view, camera);
        prepareTerrainParams(frame);
    }

    // The four corners of cell (col, row), built as the walk builds them.
    std::array<TerrainVertex, 4> corners(int col, int row) const
    {
        const VertexContext& ctx = frame.terrain.vertex;
        return {buildVertex(ctx, col, row), buildVertex(ctx, col + 1, row), buildVertex(ctx, col, row + 1),
                buildVertex(ctx, col + 1, row + 1)};
    }
};

bool sameEntries(const PolygonBatch& a, const PolygonBatch& b)
{
    if (a.order != b.order || a.polygons.size() != b.polygons.size() || a.entries.size() != b.entries.size() ||
        a.flats.size() != b.flats.size())
        return false;
    for (std::size_t i = 0; i < a.polygons.size(); ++i)
        if (a.polygons[i].count != b.polygons[i].count || a.polygons[i].first != b.polygons[i].first) return false;
    const auto sameLookAs = [](const auto& x, const auto& y) {
        return x.red == y.red && x.green == y.green && x.blue == y.blue && x.alpha == y.alpha &&
               x.classCode == y.classCode && x.intensity == y.intensity;
    };
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        const PackedEntry& x = a.entries[i];
        const PackedEntry& y = b.entries[i];
        if (x.x != y.x || x.y != y.y || !sameLookAs(x, y)) return false;
    }
    for (std::size_t i = 0; i < a.flats.size(); ++i) {
        const FlatTriangle& x = a.flats[i];
        const FlatTriangle& y = b.flats[i];
        for (int k = 0; k < 3; ++k)
            if (x.x[k] != y.x[k] || x.y[k] != y.y[k]) return false;
        if (!sameLookAs(x, y)) return false;
    }
    return true;
}

TEST(CellDraw, TrianglesInViewRecordWhatClippingAndProjectionWouldMake)
{
    // Low over the island, so that cells lie wholly in view, across the image's edges and behind the eye.
    IslandFrame f(300.0f, 200.0f, 900.0f, 1400.0f, 1500.0f);
    int shortCut = 0, clipped = 0;
    for (int row = 0; row < 64; row += 3)
        for (int col = 0; col < 64; col += 3) {
            const std::array<TerrainVertex, 4> v = f.corners(col, row);
            std::array<TerrainVertex, 4> unprojected = v;
            for (TerrainVertex& c : unprojected) c.inView = false;
            PolygonBatch quick, full;
            f.frame.record = &quick;
            shadeTriangle(f.frame, v[0], v[1], v[3]);
            shadeTriangle(f.frame, v[0], v[2], v[3]);
            f.frame.record = &full;
            shadeTriangle(f.frame, unprojected[0], unprojected[1], unprojected[3]);
            shadeTriangle(f.frame, unprojected[0], unprojected[2], unprojected[3]);
            f.frame.record = nullptr;
            ASSERT_TRUE(sameEntries(quick, full)) << col << ", " << row;
            const bool allIn = v[0].inView && v[1].inView && v[2].inView && v[3].inView;
            (allIn ? shortCut : clipped) += 1;
            for (const TerrainVertex& c : v) {
                // A point is in view exactly when it lies strictly inside the volume, and then it is
                // projected as a polygon entry is.
                EXPECT_EQ(c.inView, strictlyInView(c.view.x, c.view.y, c.view.z));
                if (!c.inView) continue;
                Polygon p;
                p.count = 1;
                p.vertices[0].u = c.view.x, p.vertices[0].v = c.view.y, p.vertices[0].w = c.view.z;
                projectPolygon(p, *f.frame.target.geometry);
                EXPECT_EQ(std::memcmp(&p.vertices[0].u, &c.imageX, sizeof(float)), 0);
                EXPECT_EQ(std::memcmp(&p.vertices[0].v, &c.imageY, sizeof(float)), 0);
            }
        }
    EXPECT_GT(shortCut, 20);
    EXPECT_GT(clipped, 20);
}

TEST(CellDraw, TheWayToTheEyeIsTheNormalisedDifferenceToTheBit)
{
    // Near and far, each point placed as land and again as water, whose waves lift the drawn point.
    IslandFrame f(300.0f, 200.0f, 900.0f, 1400.0f, 1500.0f);
    f.scene.app->scene.waves.amplitude = 300;
    prepareTerrainParams(f.frame);
    const VertexContext& ctx = f.frame.terrain.vertex;
    ASSERT_NE(ctx.waves, nullptr);
    const ViewState& view = f.frame.view;
    int lifted = 0;
    for (int row = 0; row <= 64; ++row)
        for (int col = 0; col <= 64; ++col) {
            TerrainVertex v = buildVertex(ctx, col, row);
            for (int pass = 0; pass < 2; ++pass) {
                const float dx = view.eyeX - v.x, dy = view.eyeY - v.y, dz = view.eyeZ - v.drawZ;
                float length = std::sqrt(dx * dx + dy * dy + dz * dz);
                if (length == 0.0f) length = 1.0f;
                const float expected[3] = {dx / length, dy / length, dz / length};
                const Vec3 got = towardEye(view, v);
                const float actual[3] = {got.x, got.y, got.z};
                ASSERT_EQ(std::memcmp(expected, actual, sizeof expected), 0) << col << ", " << row << " pass " << pass;
                v.selector2 = kSelectorWaterBelow - 1;
                placeVertex(ctx, v);
                if (v.drawZ != v.z) ++lifted;
            }
        }
    EXPECT_GT(lifted, 1000);
}

TEST(CellDraw, ACellStaysWholeOnlyWhenItsQuadWouldNotBeSplit)
{
    struct Case {
        float x, y, z, tx, ty;
    };
    const Case cameras[] = {
        {300.0f, 200.0f, 900.0f, 1400.0f, 1500.0f}, // low: near cells are large
        {980.0f, 980.0f, 150.0f, 1200.0f, 1200.0f}, // in among the hills
        {980.0f, -1500.0f, 3000.0f, 980.0f, 980.0f}, // from afar
    };
    const SubdivisionLimits limits[] = {{10, 8}, {7, 8}, {20, 4}, {32000, 0}, {10, -1}};
    int whole = 0, unsure = 0;
    for (const Case& cam : cameras) {
        IslandFrame f(cam.x, cam.y, cam.z, cam.tx, cam.ty);
        const float edge = (f.frame.land.spacingX + f.frame.land.spacingY) * 0.5f;
        for (const SubdivisionLimits& l : limits) {
            f.frame.terrain.limits = l;
            for (int row = 0; row < 65; row += 2)
                for (int col = 0; col < 65; col += 2) {
                    const std::array<TerrainVertex, 4> v = f.corners(col, row);
                    const TerrainVertex* corners[4] = {&v[0], &v[1], &v[2], &v[3]};
                    if (!staysWhole(f.frame, corners, edge)) {
                        ++unsure;
                        continue;
                    }
                    ++whole;
                    const TerrainQuad q = makeQuad(f.frame, corners, edge);
                    EXPECT_TRUE(0 > l.maxDepth || q.screenSize < static_cast<float>(l.maxPolygonSize))
                        << col << ", " << row << ": " << q.screenSize;
                }
        }
    }
    // Both answers come up: the short cut is taken, and refused for cells that may be split.
    EXPECT_GT(whole, 1000);
    EXPECT_GT(unsure, 100);
}

TEST(TerrainLighting, HiliteSkipsThePowerOnlyWhereItIsZero)
{
    // With n = l = up the mirror direction is up, and the eye vector (0, 0, s) gives s exactly.
    const Vec3 up = {0, 0, 1};
    for (int sharpness = 0; sharpness < 256; ++sharpness) {
        SurfaceAttributes a;
        a.phongIntensity = 100, a.phongSharpness = sharpness;
        const auto expected = [&](float s) {
            return static_cast<int>(std::pow(std::clamp(s, 0.001f, 1.0f), static_cast<float>(sharpness)) * 256.0f);
        };
        std::vector<float> samples;
        for (int i = 0; i <= 200; ++i) samples.push_back(0.001f + 0.999f * static_cast<float>(i) / 200.0f);
        if (sharpness > 0) { // floats either side of the root, where the hilite turns from 0 to 1
            const auto root = static_cast<float>(std::pow(1.0 / 256.0, 1.0 / sharpness));
            float below = root, above = root;
            for (int i = 0; i < 300; ++i) {
                samples.push_back(below = std::nextafter(below, 0.0f));
                samples.push_back(above = std::nextafter(above, 2.0f));
            }
            for (float f = root * 0.9998f; f < root; f = std::nextafter(f, 2.0f)) // a stretch under it
                if (samples.size() < 20000) samples.push_back(f);
        }
        for (const float s : samples)
            ASSERT_EQ(phongHilite(up, up, {0, 0, s}, a, false).value, expected(s)) << sharpness << " at " << s;
    }
}

TEST(TerrainLighting, SlopeDegreesAreTheFloatArcCosinesTruncated)
{
    const auto expected = [](float z) { return static_cast<int>(std::acos(std::min(z, 1.0f)) * 57.29577951308232); };
    const auto check = [&](float z) { ASSERT_EQ(slopeDegrees(z), expected(z)) << z; };
    // Every 509th float from 0 to just above 1 (about two million), then the floats around each whole degree,
    // where the truncation turns.
    for (std::uint32_t bits = 0; bits <= 0x3F800100u; bits += 509) {
        float z;
        std::memcpy(&z, &bits, sizeof z);
        check(z);
    }
    for (int degree = 0; degree <= 90; ++degree) {
        const auto edge = static_cast<float>(std::cos(degree / 57.29577951308232));
        float down = edge, up = edge;
        check(edge);
        for (int i = 0; i < 3000; ++i) {
            check(down = std::nextafter(down, -1.0f));
            check(up = std::nextafter(up, 2.0f));
        }
    }
    for (const float odd : {-0.0f, 1.0f, 1.0000001f, 0.99999994f, 1e-30f})
        check(odd);
}

} // namespace
} // namespace kalvenor
