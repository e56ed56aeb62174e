#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>

#include "model/landscape.h"
#include "render/polygon.h"
#include "render/projection.h"
#include "render/view_transform.h"
#include "render/wire_frame.h"

namespace kalvenor {
namespace {

// A 64 x 64 cell landscape, 30 m spacing, every sample from elevationAt(col, row).
void buildLandscape(Landscape& land, const std::function<int(int, int)>& elevationAt)
{
    ASSERT_EQ(allocateGrid(land, 66, 66), 1);
    for (int row = 0; row < land.gridHeight; ++row)
        for (int col = 0; col < land.gridWidth; ++col)
            land.elevation[row][col] = static_cast<std::int16_t>(elevationAt(col, row));
}

CameraSettings cameraAt(float x, float y, float z, float heading, float pitch)
{
    CameraSettings camera;
    camera.cameraX = x, camera.cameraY = y, camera.cameraZ = z;
    camera.heading = heading;
    camera.pitch = pitch;
    camera.focalFactor = 2.0f;
    return camera;
}

WireFrameOptions everyFourCells()
{
    WireFrameOptions options;
    options.step = 4;
    options.seaLevel = 0;
    options.markTarget = false;
    return options;
}

bool isTerrain(std::uint32_t p) { return p != kWireSky && p != kWireGround && p != kWireHorizon && p != kWireTarget; }

std::uint32_t at(const WireFrameView& view, int x, int y)
{
    return view.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(view.width) + static_cast<std::size_t>(x)];
}

int brightness(std::uint32_t p) { return static_cast<int>((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)); }

int terrainPixels(const WireFrameView& view)
{
    return static_cast<int>(std::count_if(view.pixels.begin(), view.pixels.end(), isTerrain));
}

// Straight down from 2400 m above a plane, 200 x 200 pixels (extents 200 x 200,
// focal factor 2): a point dx, dy from the camera lands on x = 100 + dx 100 / 1200,
// y = 100 - dy 100 / 1200, so the sampled lines every 120 m are 10 pixels apart.
// The camera stands at (900, 1020), off the landscape's middle (960, 960), so the
// lines fall on 25, 35, ..., 185 across and down, and a flipped axis would show.
TEST(WireFrame, PlaneSeenFromAboveIsARegularGrid)
{
    Landscape land;
    buildLandscape(land, [](int, int) { return 10; });
    WireFrameView view;
    resizeWireFrameView(view, 200, 200);
    drawWireFrame(land, cameraAt(900.0f, 1020.0f, 2410.0f, 0.0f, -90.0f), everyFourCells(), view);

    const auto onLine = [](int p) { return p >= 25 && p <= 185 && (p - 25) % 10 == 0; };
    const auto inGrid = [](int p) { return p >= 25 && p <= 185; };
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool expected = inGrid(x) && inGrid(y) && (onLine(x) || onLine(y));
            ASSERT_EQ(isTerrain(at(view, x, y)), expected) << "pixel " << x << ", " << y;
        }
}

// Columns 0..31 lie 5 m below the sea, the rest 10 m above it: seen from above,
// the line at x = 840 m (pixel 95) is water, the one at 960 m (pixel 105) land.
TEST(WireFrame, LinesUnderTheSeaAreBlue)
{
    Landscape land;
    buildLandscape(land, [](int col, int) { return col < 32 ? -5 : 10; });
    WireFrameView view;
    resizeWireFrameView(view, 200, 200);
    drawWireFrame(land, cameraAt(900.0f, 1020.0f, 2410.0f, 0.0f, -90.0f), everyFourCells(), view);

    const std::uint32_t water = at(view, 95, 50), dry = at(view, 105, 50);
    ASSERT_TRUE(isTerrain(water));
    ASSERT_TRUE(isTerrain(dry));
    EXPECT_GT(water & 255, water >> 8 & 255);
    EXPECT_GT(water & 255, water >> 16 & 255);
    EXPECT_LT(dry & 255, dry >> 8 & 255);
}

// Level with the horizon on row 100 of a 200 x 200 picture: turned away from
// the landscape the picture is sky above, the horizon line, ground below and
// nothing else; turned toward it, terrain lines appear.
TEST(WireFrame, CameraFacingAwayDrawsOnlyTheBackground)
{
    Landscape land;
    buildLandscape(land, [](int, int) { return 10; });
    WireFrameView view;
    resizeWireFrameView(view, 200, 200);

    drawWireFrame(land, cameraAt(960.0f, -500.0f, 200.0f, 180.0f, 0.0f), everyFourCells(), view);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            const std::uint32_t expected = y < 100 ? kWireSky : y == 100 ? kWireHorizon : kWireGround;
            ASSERT_EQ(at(view, x, y), expected) << "pixel " << x << ", " << y;
        }

    drawWireFrame(land, cameraAt(960.0f, -500.0f, 200.0f, 0.0f, 0.0f), everyFourCells(), view);
    EXPECT_GT(terrainPixels(view), 1000);
}

// Standing 10 m above the plane at (960, 900), looking along +Y, right above
// the sampled line x = 960 m: its nearest sample in front (y = 960 m, 60 m
// ahead) lands on row 100 + 10 x 100 / 30 = 133; the edge from the sample
// behind the camera must still reach from there to the bottom of the picture.
TEST(WireFrame, EdgeThroughTheNearPlaneIsCutNotDropped)
{
    Landscape land;
    buildLandscape(land, [](int, int) { return 0; });
    WireFrameOptions options = everyFourCells();
    options.seaLevel = -100;
    WireFrameView view;
    resizeWireFrameView(view, 200, 200);
    drawWireFrame(land, cameraAt(960.0f, 900.0f, 10.0f, 0.0f, 0.0f), options, view);

    for (int y = 134; y < 200; ++y) ASSERT_TRUE(isTerrain(at(view, 100, y))) << "row " << y;
    // Near lines are brighter than far ones: compare the bottom with the farthest line above it.
    int top = 101;
    while (top < 134 && !isTerrain(at(view, 100, top))) ++top;
    EXPECT_LT(top, 120);
    EXPECT_GT(brightness(at(view, 100, 199)), brightness(at(view, 100, top)) + 100);
}

TEST(WireFrame, EveryFrameOverwritesThePicture)
{
    Landscape land;
    buildLandscape(land, [](int col, int row) { return (col * 7 + row * 13) % 50 - 10; });
    const CameraSettings toward = cameraAt(960.0f, -300.0f, 400.0f, 0.0f, -20.0f);
    const CameraSettings away = cameraAt(960.0f, -300.0f, 400.0f, 180.0f, 10.0f);
    const WireFrameOptions options;

    WireFrameView view;
    resizeWireFrameView(view, 160, 100);
    std::fill(view.pixels.begin(), view.pixels.end(), 0xFF000000u); // no colour has a high byte
    drawWireFrame(land, toward, options, view);
    EXPECT_EQ(std::count(view.pixels.begin(), view.pixels.end(), 0xFF000000u), 0);
    ASSERT_GT(terrainPixels(view), 500);

    drawWireFrame(land, away, options, view);
    WireFrameView fresh;
    resizeWireFrameView(fresh, 160, 100);
    drawWireFrame(land, away, options, fresh);
    EXPECT_EQ(view.pixels, fresh.pixels);
}

// Sizes from nothing to far more than a window, and a view whose fields do not
// agree with its pixels; the camera stands among steep cells so that lines cut
// by the near plane run far outside the picture. The sanitiser build checks
// every write.
TEST(WireFrame, AnySizeStaysInsideThePicture)
{
    Landscape land;
    buildLandscape(land, [](int col, int row) { return ((col * 37) ^ (row * 91)) % 400 - 100; });
    const CameraSettings camera = cameraAt(700.0f, 800.0f, 120.0f, 35.0f, -25.0f);
    struct Case {
        int width, height, heldWidth, heldHeight;
    };
    const Case cases[] = {{0, 0, 0, 0},     {1, 1, 1, 1},         {1, 300, 1, 300},
                          {3000, 2, 3000, 2}, {-5, 40, 0, 40},    {100000, 1, kMaxWireFrameSide, 1},
                          {2500, 2000, 2500, 2000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        WireFrameView view;
        resizeWireFrameView(view, c.width, c.height);
        drawWireFrame(land, camera, WireFrameOptions{}, view);
        EXPECT_EQ(view.width, c.heldWidth);
        EXPECT_EQ(view.height, c.heldHeight);
        EXPECT_EQ(view.pixels.size(), static_cast<std::size_t>(c.heldWidth) * static_cast<std::size_t>(c.heldHeight));
    }

    WireFrameView stale;
    stale.width = 300, stale.height = 200; // no pixels, no extents
    drawWireFrame(land, camera, WireFrameOptions{}, stale);
    ASSERT_EQ(stale.pixels.size(), 300u * 200u);
    EXPECT_GT(terrainPixels(stale), 1000);
}

// A 640 x 400 display mode sees 7/8 as far down as across; its 320 x 200
// preview must put the camera's target where the render puts it, halved.
TEST(WireFrame, PreviewFramesTheTargetLikeTheRender)
{
    ImageGeometry render;
    render.width = 640, render.height = 400;
    const ProjectionExtents extents = presetExtents(640, 400);
    render.projWidth = extents.width, render.projHeight = extents.height;

    CameraSettings camera = cameraAt(960.0f, 0.0f, 500.0f, 0.0f, 0.0f);
    camera.targetX = 1060.0f, camera.targetY = 1000.0f, camera.targetZ = 300.0f;
    ViewState state;
    buildViewRotation(state, camera);
    const Vec3 v = toViewSpace(state, camera.targetX, camera.targetY, camera.targetZ);
    Polygon point;
    point.count = 1;
    point.vertices[0].u = v.x, point.vertices[0].v = v.y, point.vertices[0].w = v.z;
    projectPolygon(point, render);
    const float renderX = point.vertices[0].u, renderY = point.vertices[0].v - static_cast<float>(imageRowOffset(render));

    WireFrameView view;
    resizeWireFrameView(view, 320, 200);
    matchRenderFraming(view, render);
    drawWireFrame(Landscape{}, camera, WireFrameOptions{}, view);
    int minX = view.width, maxX = -1, minY = view.height, maxY = -1;
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            if (at(view, x, y) == kWireTarget) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0) << "no target marked";
    EXPECT_NEAR((minX + maxX) * 0.5f, renderX * 0.5f, 1.0f);
    EXPECT_NEAR((minY + maxY) * 0.5f, renderY * 0.5f, 1.0f);
}

} // namespace
} // namespace kalvenor
