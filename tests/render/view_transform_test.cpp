#include <gtest/gtest.h>

#include "render/camera.h"
#include "render/projection.h"
#include "render/view_transform.h"

namespace kalvenor {
namespace {

ViewState viewFrom(float heading, float pitch, float bank, float focalFactor = 1.0f)
{
    CameraSettings camera;
    camera.cameraX = 1000.0f;
    camera.cameraY = 2000.0f;
    camera.cameraZ = 300.0f;
    camera.heading = heading;
    camera.pitch = pitch;
    camera.bank = bank;
    camera.focalFactor = focalFactor;
    ViewState view;
    buildViewRotation(view, camera);
    return view;
}

// Offsets from the camera (world dx, dy, dz) and where they land in view space.
TEST(ViewTransform, WorldPointsLandOnTheExpectedViewAxes)
{
    struct Case {
        const char* what;
        float heading, pitch, bank, focal;
        float dx, dy, dz;
        float u, v, w;
    };
    const Case cases[] = {
        {"level, looking along +Y", 0, 0, 0, 1, 10, 100, -20, 10, 20, 100}, // v grows downward
        {"focal factor divides w", 0, 0, 0, 2, 10, 100, -20, 10, 20, 50},
        {"heading 90 looks along -X", 90, 0, 0, 1, -100, 10, 0, 10, 0, 100},
        {"heading -90 looks along +X", -90, 0, 0, 1, 100, -10, 0, 10, 0, 100},
        {"pitch 90 looks up", 0, 90, 0, 1, 10, 0, 100, 10, 0, 100},
        {"bank 90 rolls", 0, 0, 90, 1, 10, 100, -20, 20, -10, 100}, // u = depth, v = -dx
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        const ViewState view = viewFrom(t.heading, t.pitch, t.bank, t.focal);
        const Vec3 p = toViewSpace(view, 1000.0f + t.dx, 2000.0f + t.dy, 300.0f + t.dz);
        EXPECT_NEAR(p.x, t.u, 1e-3);
        EXPECT_NEAR(p.y, t.v, 1e-3);
        EXPECT_NEAR(p.z, t.w, 1e-3);
        // A direction turns the same way, without the camera offset.
        const Vec3 d = rotateDirection(view, {t.dx, t.dy, t.dz});
        EXPECT_NEAR(d.x, t.u, 1e-3);
        EXPECT_NEAR(d.y, t.v, 1e-3);
        EXPECT_NEAR(d.z, t.w, 1e-3);
    }
}

TEST(ViewTransform, ViewVolumeIsOpenOnItsPlanes)
{
    EXPECT_TRUE(insideViewVolume({0.5f, -0.5f, 1.0f}));
    EXPECT_FALSE(insideViewVolume({1.0f, 0.0f, 1.0f}));  // on u = w
    EXPECT_FALSE(insideViewVolume({0.0f, -1.0f, 1.0f})); // on v = -w
    EXPECT_FALSE(insideViewVolume({0.0f, 0.0f, 0.0f}));  // in the camera plane
    EXPECT_FALSE(insideViewVolume({0.0f, 0.0f, -1.0f}));
}

TEST(ViewTransform, DistanceAndHazeWeight)
{
    ViewState view = viewFrom(0, 0, 0);
    struct Case {
        const char* what;
        int haze;
        float base;
        float dx, dy, dz;
        float distance, weight;
    };
    const Case cases[] = {
        // h = 300 - 0 = 300: ((700 x 0.0008) + 0.2) x 90000 x 10 / 2500 = 0.76 x 360.
        {"level line", 100, 0, 0, 300, 0, 300, 273.6f},
        {"no haze", 0, 0, 0, 300, 0, 300, 0},
        // h = (300 - 100) / 2 - 100 = 0: 1.0 x 250000 x 10 / (400 + 2500).
        {"steep line", 100, 100, 0, 300, -400, 500, 862.0690f},
        // Air 1000 above the base or more is the clearest: factor 0.2.
        {"high air", 100, -5000, 0, 300, 0, 300, 72.0f},
        // Air below the base counts as h = 0: factor 1.0.
        {"low air", 100, 5000, 0, 300, 0, 300, 360.0f},
        {"capped", 100, 0, 0, 3000000, 0, 3000000, 10000000.0f},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        const float d = distanceAndHaze(view, 1000.0f + t.dx, 2000.0f + t.dy, 300.0f + t.dz, t.haze, t.base);
        EXPECT_NEAR(d, t.distance, 1e-2);
        EXPECT_FLOAT_EQ(view.lastDistance, d);
        EXPECT_NEAR(view.hazeWeight, t.weight, t.weight * 1e-5 + 1e-4);
    }
}

TEST(Projection, VerticesMapToPixelsAroundTheCentre)
{
    ImageGeometry g;
    g.projWidth = 640;
    g.projHeight = 480;
    Polygon p;
    p.count = 3;
    p.vertices[0] = {10.0f, 20.0f, 100.0f};
    p.vertices[1] = {0.5f, -0.25f, 0.0f}; // in the camera plane: as if w were 1
    p.vertices[2] = {-1.0f, 1.0f, 1.0f};  // the corners of the field of view
    projectPolygon(p, g);
    EXPECT_FLOAT_EQ(p.vertices[0].u, 352.0f); // 320 + 10 x 320 / 100
    EXPECT_FLOAT_EQ(p.vertices[0].v, 288.0f); // 240 + 20 x 240 / 100
    EXPECT_FLOAT_EQ(p.vertices[1].u, 480.0f);
    EXPECT_FLOAT_EQ(p.vertices[1].v, 180.0f);
    EXPECT_FLOAT_EQ(p.vertices[2].u, 0.0f);
    EXPECT_FLOAT_EQ(p.vertices[2].v, 480.0f);
}

TEST(Projection, ExtentsOfPresetsAndSizesByNumber)
{
    struct Case {
        int width, height, pw, ph;
    };
    const Case presets[] = {{320, 200, 320, 280},   {640, 400, 640, 560},     {640, 480, 640, 640},
                            {800, 600, 800, 800},   {1024, 768, 1024, 1024},  {1280, 1024, 1280, 1280}};
    for (const Case& t : presets) {
        const ProjectionExtents e = presetExtents(t.width, t.height);
        EXPECT_EQ(e.width, t.pw) << t.width << "x" << t.height;
        EXPECT_EQ(e.height, t.ph) << t.width << "x" << t.height;
    }
    EXPECT_EQ(sizeByNumberExtents(320, 200).height, 320);
    EXPECT_EQ(sizeByNumberExtents(300, 900).width, 900);

    ImageGeometry g; // 320 x 200 in 320 x 280: rows 40..239 are shown
    EXPECT_EQ(imageRowOffset(g), 40);
}

TEST(Projection, ScrollAndMarginsCentreTheImage)
{
    ImageGeometry g;
    g.width = 1024;
    g.height = 300;
    g.windowWidth = 640;
    g.windowHeight = 480;
    recomputeScroll(g);
    EXPECT_EQ(g.scrollX, 192);
    EXPECT_EQ(g.marginX, 0);
    EXPECT_EQ(g.scrollY, 0);
    EXPECT_EQ(g.marginY, 90);
}

} // namespace
} // namespace kalvenor
