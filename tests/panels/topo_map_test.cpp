// The topographic map's pixel maths, images and marks, worked out by hand
// for the 258 x 258 grid (sizes 256, N = 257) with 30 m spacing.
#include <gtest/gtest.h>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "panels/topo_map.h"

namespace kalvenor {
namespace {

class TopoMap : public ::testing::Test {
protected:
    Landscape land;
    RandomStreams random;
    MapView map;

    void SetUp() override
    {
        ASSERT_EQ(resizeLandscape(land, random, kSmallGrid, kSmallGrid), 1);
        for (int r = 0; r < land.gridHeight; ++r)
            for (int c = 0; c < land.gridWidth; ++c) {
                land.elevation[r][c] = 100;
                land.terrain[r][c] = 0;
            }
        land.elevation[0][1] = 580; // the statistics' extremes: 100 .. 580
        computeElevationStatistics(land);
        ASSERT_EQ(land.lowestElevation, 100);
        ASSERT_EQ(land.highestElevation, 580);
        unzoomMap(map, land);
    }

    std::uint8_t pixel(int column, int row) const { return map.image[static_cast<std::size_t>(row) * kMapSize + column]; }
};

TEST_F(TopoMap, ZoomStaysInItsRangeAndUnzoomShowsOneCellAPixel)
{
    EXPECT_EQ(mapExtent(land), 257);
    EXPECT_EQ(map.zoom, 16);
    EXPECT_EQ(map.originX, 0);
    EXPECT_EQ(map.originY, 0);
    // Zoomed in: Z 8, origin (128 x 257) / 256 - 64 = 64.
    zoomMapIn(map, land);
    EXPECT_EQ(map.zoom, 8);
    EXPECT_EQ(map.originX, 64);
    for (int i = 0; i < 5; ++i) zoomMapIn(map, land);
    EXPECT_EQ(map.zoom, 1);
    for (int i = 0; i < 10; ++i) zoomMapOut(map, land);
    EXPECT_EQ(map.zoom, 256);
    scrollMap(map, land, 10, 300);
    EXPECT_EQ(map.scrollX, 10);
    EXPECT_EQ(map.scrollY, 256);
    unzoomMap(map, land);
    EXPECT_EQ(map.zoom, 16);
    EXPECT_EQ(map.scrollX, 128);
    EXPECT_EQ(map.originY, 0);

    // A 514 grid (N = 513): Z = 32, origin (128 x 513) / 256 - 256 = 0.
    Landscape large;
    ASSERT_EQ(resizeLandscape(large, random, kLargeGrid, kLargeGrid), 1);
    MapView wide;
    unzoomMap(wide, large);
    EXPECT_EQ(wide.zoom, 32);
    EXPECT_EQ(wide.originX, 0);
}

TEST_F(TopoMap, PointerAndWorldMapToEachOther)
{
    const struct {
        int zoomIns, px, py;
        double x, y;
    } cases[] = {
        {0, 48, 295, 0, 0},          // the bottom-left pixel at origin 0
        {0, 58, 275, 300, 600},      // column 10, row 20
        {1, 58, 295, 2070, 1920},    // Z 8: column (64 x 16) / 8 + 10 = 138, x 30 x 8 / 16
        {0, 303, 40, 7650, 7650},    // the top-right pixel: column and row 255
    };
    for (const auto& c : cases) {
        MapView m;
        unzoomMap(m, land);
        for (int i = 0; i < c.zoomIns; ++i) zoomMapIn(m, land);
        const WorldXY w = mapPointerToWorld(m, land, c.px, c.py);
        EXPECT_DOUBLE_EQ(w.x, c.x) << c.px << "," << c.py;
        EXPECT_DOUBLE_EQ(w.y, c.y) << c.px << "," << c.py;
        const MapPixel back = worldToMapPixel(m, land, c.x, c.y);
        EXPECT_EQ(back.x, c.px);
        EXPECT_EQ(back.y, c.py);
    }
    // The cell under a world position, and nothing outside the landscape.
    EXPECT_EQ(worldToCell(land, 300, 600)->column, 10);
    EXPECT_EQ(worldToCell(land, 329.9, 600)->column, 10);
    EXPECT_FALSE(worldToCell(land, -1, 600));
    EXPECT_FALSE(worldToCell(land, 300, 257 * 30.0 + 1));
}

TEST_F(TopoMap, ReadOutNamesThePlaceAndItsElevation)
{
    land.elevation[20][10] = 42;
    EXPECT_EQ(mapReadout(map, land, 58, 275), "A  X=300     Y=600     Z=42    ");
    zoomMapOut(map, land); // Z 32, origin -128: column (-128 x 16) / 32 = -64, x 30 x 2, outside the grid
    EXPECT_EQ(mapReadout(map, land, 48, 295), "A  X=-3840   Y=-3840   Z=0     ");
}

// Elevations: 24 shades from index 32 in bands of (580 - 100) / 24 + 1 = 21
// metres; water 60, roads 10, outside the grid 1.
TEST_F(TopoMap, ElevationShadesWaterRoadsAndTheOutside)
{
    land.elevation[5][5] = 310;  // 32 + 210 / 21 = 42
    land.elevation[5][6] = 580;  // 32 + 480 / 21 = 54
    land.elevation[5][7] = 900;  // above the highest: held to it
    land.terrain[5][8] = 52;     // water
    land.terrain[5][9] = 89;     // road
    buildMapImage(map, land);
    EXPECT_EQ(pixel(0, 0), 32);
    EXPECT_EQ(pixel(5, 5), 42);
    EXPECT_EQ(pixel(6, 5), 54);
    EXPECT_EQ(pixel(7, 5), 54);
    EXPECT_EQ(pixel(8, 5), 60);
    EXPECT_EQ(pixel(9, 5), 10);
    zoomMapOut(map, land); // Z 32, origin -128: pixel c shows column 2c - 128
    EXPECT_EQ(pixel(63, 100), 1);
    EXPECT_EQ(pixel(64, 100), 32);
    EXPECT_EQ(pixel(192, 100), 32); // column 256, in the grid
    EXPECT_EQ(pixel(193, 100), 1);  // column 258, beyond it
}

// Ground colours: the low byte's index, replaced by the high byte's when that names an object.
TEST_F(TopoMap, GroundColoursByCodeAndObject)
{
    const struct {
        std::uint16_t cell;
        std::uint8_t index;
    } cases[] = {{0, 0},          {40, 40},         {43, 50},         {50, 10},         {53, 56},
                 {57, 32},        {90, 10},         {7, 48},          {35 << 8 | 40, 33}, {61 << 8 | 40, 37},
                 {74 << 8 | 57, 6}, {12 << 8 | 43, 50}};
    map.display = MapDisplay::GroundColours;
    for (std::size_t i = 0; i < std::size(cases); ++i) land.terrain[0][i] = cases[i].cell;
    buildMapImage(map, land);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(pixel(static_cast<int>(i), 0), cases[i].index) << cases[i].cell;
}

// Centring on a mark at (1500, 600), pixel (98, 275): the origin moves by
// (98 - 176, 168 - 275) = (-78, -107), the scroll positions follow
// ((50 x 256) / 257 = 49, (21 x 256) / 257 = 20) and the origin is taken from them.
TEST_F(TopoMap, CentringMovesTheScrollPositions)
{
    EXPECT_EQ(worldToMapPixel(map, land, 1500, 600).x, 98);
    centreMap(map, land, 1500, 600);
    EXPECT_EQ(map.scrollX, 49);
    EXPECT_EQ(map.scrollY, 20);
    EXPECT_EQ(map.originX, -79);
    EXPECT_EQ(map.originY, -108);
    const MapPixel now = worldToMapPixel(map, land, 1500, 600);
    EXPECT_EQ(now.x, 177);
    EXPECT_EQ(now.y, 167);
}

TEST_F(TopoMap, MarksAreDrawnOnlyWhereTheyFallOnTheMap)
{
    Surface s;
    CameraSettings cam;
    cam.cameraX = 1500, cam.cameraY = 600, cam.targetX = 3000, cam.targetY = 3000;
    BoundingBox box{1, 10, 10, 20, 20};
    drawMap(s, map, land, MapMarks{&cam, &box});
    EXPECT_EQ(s.at(98, 275), rgb(255, 255, 0));        // the camera's plus sign
    EXPECT_EQ(s.at(48 + 100 + 3, 295 - 100), rgb(255, 255, 0)); // the target's square, its right side
    EXPECT_EQ(s.at(48 + 15, 295 - 10), rgb(0, 0, 0));   // the box's bottom side
    EXPECT_EQ(s.at(48 + 15, 295 - 15), mapColour(32)); // inside the box: the map

    // Zoomed in on the far corner the camera and the target are off the map: only the image is drawn.
    for (int i = 0; i < 4; ++i) zoomMapIn(map, land);
    scrollMap(map, land, 256, 256);
    Surface plain;
    drawMap(plain, map, land, MapMarks{});
    Surface marked;
    drawMap(marked, map, land, MapMarks{&cam, &box});
    EXPECT_EQ(marked.pixels, plain.pixels);
}

TEST_F(TopoMap, PlottedCellsCoverTheirPixels)
{
    Surface s;
    drawMap(s, map, land, MapMarks{});
    plotMapCells(s, map, land, MapRect{10, 20, 10, 20});
    EXPECT_NE(s.at(58, 275), mapColour(32));
    EXPECT_EQ(s.at(59, 275), mapColour(32));
    zoomMapIn(map, land); // Z 8, origin 64: cell 74 covers pixels 20 and 21
    drawMap(s, map, land, MapMarks{});
    plotMapCells(s, map, land, MapRect{74, 64, 74, 64});
    EXPECT_NE(s.at(48 + 20, 295), mapColour(32));
    EXPECT_NE(s.at(48 + 21, 294), mapColour(32));
    EXPECT_EQ(s.at(48 + 22, 295), mapColour(32));
    EXPECT_EQ(s.at(48 + 19, 295), mapColour(32));
}

} // namespace
} // namespace kalvenor
