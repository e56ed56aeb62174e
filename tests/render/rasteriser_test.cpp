#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/scripted_frontend.h"
#include "render/rasteriser.h"
#include "support/temp_dir.h"
#include "support/test_drawing.h"

namespace kalvenor {
namespace {

using testing::Canvas;
using testing::draw;
using testing::pixelPolygon;

using Picture = std::vector<std::string>;

// Spans worked by hand from the edge walk: (1,1)-(6,1) is flat and records
// x = 1 on row 1; (6,1)-(1,4) steps 6, 4, 3, 1 (step -1, frac 2, err 2);
// (1,4)-(1,1) gives x = 1 on rows 1..4.
TEST(Rasteriser, TriangleSpansFromTheEdgeWalk)
{
    Canvas canvas(8, 6);
    draw(canvas, pixelPolygon({{1, 1}, {6, 1}, {1, 4}}, 200, 100, 50, 7));
    const Picture expected = {
        "........",
        ".######.",
        ".####...",
        ".###....",
        ".#......",
        "........",
    };
    EXPECT_EQ(testing::picture8(canvas, {{0, '.'}, {7, '#'}}), expected);
    EXPECT_EQ(canvas.at24(3, 2), packPixel(200, 100, 50, 7));
    EXPECT_EQ(canvas.raster.framePolygons, 1);
    EXPECT_TRUE(canvas.guardIntact());
    testing::keepDrawing(canvas, "raster_triangle");
}

TEST(Rasteriser, DegeneratePolygons)
{
    Canvas canvas(8, 6);
    // Two entries (a single corner and its repeat) draw nothing and are not counted.
    Polygon two = pixelPolygon({{3, 3}}, 255, 255, 255, 9);
    ASSERT_EQ(two.count, 2);
    draw(canvas, two);
    EXPECT_EQ(canvas.raster.framePolygons, 0);

    // A one-pixel-wide sliver draws one pixel per row.
    draw(canvas, pixelPolygon({{4, 1}, {4, 4}}, 255, 255, 255, 9));
    const Picture expected = {
        "........",
        "....#...",
        "....#...",
        "....#...",
        "....#...",
        "........",
    };
    EXPECT_EQ(testing::picture8(canvas, {{0, '.'}, {9, '#'}}), expected);
    EXPECT_EQ(canvas.raster.framePolygons, 1);
}

// With the 320 x 200 size (PH 280) projected rows 40..239 are image rows 0..199.
TEST(Rasteriser, ProjectedRowsAreOffsetIntoTheImage)
{
    Canvas canvas(320, 200, 320, 280);
    draw(canvas, pixelPolygon({{10, 30}, {12, 30}, {12, 40}, {10, 40}}, 255, 0, 0, 3));
    draw(canvas, pixelPolygon({{20, 239}, {22, 239}, {22, 250}, {20, 250}}, 255, 0, 0, 4));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            const int expected = (y == 0 && x >= 10 && x <= 12) ? 3 : (y == 199 && x >= 20 && x <= 22) ? 4 : 0;
            ASSERT_EQ(canvas.at8(x, y), expected) << x << "," << y;
        }
    EXPECT_TRUE(canvas.guardIntact());
}

// Colour interpolated along edges and spans with the stepper: a ramp from
// red 0 to red 255 across columns 0..3 of one row steps 0, 85, 170, 255.
TEST(Rasteriser, ColourIsInterpolatedAcrossSpans)
{
    Canvas canvas(6, 3);
    Polygon p = pixelPolygon({{0, 1}, {3, 1}}, 0, 0, 0, 5);
    p.vertices[1].red = 255 << 8;
    draw(canvas, p);
    EXPECT_EQ(pixelRed(canvas.at24(0, 1)), 0);
    EXPECT_EQ(pixelRed(canvas.at24(1, 1)), 85);
    EXPECT_EQ(pixelRed(canvas.at24(2, 1)), 170);
    EXPECT_EQ(pixelRed(canvas.at24(3, 1)), 255);
    EXPECT_EQ(canvas.at24(4, 1), 0u);
}

// Colours stepped along the edges and then along each span, in 8.8 fixed
// point. Red runs 0 -> 240 down both left edges (rows 1..4: 0, 80, 160, 240);
// green runs 64000 -> 0 down (6,1)-(1,4) (64000, 42667, 21333, 0: step -21333,
// frac 1, err 2) and is 0 down the left side, so the rows step across as
// 0..64000 in 5 (12800 each), 0..42667 in 3 (0, 14222, 28445, 42667) and
// 0..21333 in 2 (0, 10666, 21333); shown here >> 8.
TEST(Rasteriser, ShadedTriangleStepsEdgesThenSpans)
{
    Canvas canvas(8, 6);
    Polygon p = pixelPolygon({{1, 1}, {6, 1}, {1, 4}}, 0, 0, 0, 7);
    p.vertices[1].green = 250 << 8;
    p.vertices[2].red = 240 << 8;
    draw(canvas, p);
    struct Pixel {
        int x, y, red, green;
    };
    const Pixel expected[] = {
        {1, 1, 0, 0},   {2, 1, 0, 50},   {3, 1, 0, 100},  {4, 1, 0, 150},  {5, 1, 0, 200}, {6, 1, 0, 250},
        {1, 2, 80, 0},  {2, 2, 80, 55},  {3, 2, 80, 111}, {4, 2, 80, 166},
        {1, 3, 160, 0}, {2, 3, 160, 41}, {3, 3, 160, 83},
        {1, 4, 240, 0},
    };
    for (const Pixel& e : expected) {
        EXPECT_EQ(pixelRed(canvas.at24(e.x, e.y)), e.red) << e.x << "," << e.y;
        EXPECT_EQ(pixelGreen(canvas.at24(e.x, e.y)), e.green) << e.x << "," << e.y;
        EXPECT_EQ(canvas.at8(e.x, e.y), 7) << e.x << "," << e.y;
    }
    EXPECT_EQ(canvas.at8(5, 2), 0);
    EXPECT_EQ(canvas.at8(2, 4), 0);
    EXPECT_TRUE(canvas.guardIntact());
}

// All corners on one row: each edge covers that row alone and stores its first
// end, so the span runs from the leftmost first end to the rightmost, and of
// two corners at the same column the earlier one gives the colour.
TEST(Rasteriser, OneRowPolygonSpansItsEdgesFirstEnds)
{
    Canvas canvas(9, 4);
    Polygon p = pixelPolygon({{6, 2}, {1, 2}, {1, 2}, {4, 2}}, 0, 0, 0, 7);
    const int reds[] = {60, 10, 250, 40};
    for (int i = 0; i < 4; ++i) p.vertices[static_cast<std::size_t>(i)].red = static_cast<std::uint16_t>(reds[i] << 8);
    p.vertices[4].red = 60 << 8; // the closing copy of the first corner
    draw(canvas, p);
    // From red 10 at column 1 to red 60 at column 6: five steps of 10.
    for (int x = 1; x <= 6; ++x) EXPECT_EQ(pixelRed(canvas.at24(x, 2)), 10 * x) << x;
    EXPECT_EQ(canvas.at24(0, 2), 0u);
    EXPECT_EQ(canvas.at24(7, 2), 0u);
    EXPECT_EQ(canvas.at8(3, 2), 7);
    EXPECT_EQ(canvas.at8(3, 1), 0);
    EXPECT_TRUE(canvas.guardIntact());
}

TEST(Rasteriser, PollsForAbortEvery1024Polygons)
{
    Canvas canvas(8, 6);
    ScriptedFrontend ui;
    ui.abortOnPoll = 2;
    canvas.target.ui = &ui;
    const Polygon p = pixelPolygon({{1, 1}, {2, 1}, {2, 2}}, 1, 2, 3, 4);
    for (int i = 0; i < 1023; ++i) draw(canvas, p);
    EXPECT_EQ(ui.polls, 0);
    draw(canvas, p);
    EXPECT_EQ(ui.polls, 1);
    EXPECT_FALSE(canvas.raster.abortRequested);
    for (int i = 0; i < 1024; ++i) draw(canvas, p);
    EXPECT_EQ(ui.polls, 2);
    EXPECT_TRUE(canvas.raster.abortRequested); // kept for the render driver, whose own poll might not see it again
    EXPECT_EQ(canvas.raster.framePolygons, 2048);
}

// Whatever a polygon holds, nothing is written outside the image.
TEST(Rasteriser, MalformedPolygonsStayInsideTheBuffers)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float wild[] = {-1e9f, -40000.0f, -32768.0f, -5.0f, 0.0f, 3.0f, 7.9f, 8.0f, 15.0f, 8191.0f, 8192.0f, 40000.0f,
                          1e9f, inf, -inf, nan};
    Canvas canvas(8, 6);
    canvas.target.ditherAmount = 100;
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 4000; ++round) {
        Polygon p;
        p.count = static_cast<int>(next() >> 16) % 40 - 4; // negative, too few, too many
        for (PolygonVertex& v : p.vertices) {
            v.u = wild[(next() >> 16) % std::size(wild)];
            v.v = wild[(next() >> 16) % std::size(wild)];
            v.red = static_cast<std::uint16_t>(next() >> 16);
            v.alpha = static_cast<std::uint16_t>(next() >> 16);
            v.classCode = static_cast<std::uint16_t>(next() >> 16);
        }
        draw(canvas, p);
    }
    EXPECT_TRUE(canvas.guardIntact());
    // And through the clipping path, with every kind of w.
    for (int round = 0; round < 2000; ++round) {
        Polygon p;
        p.count = static_cast<int>(next() >> 16) % 12;
        for (PolygonVertex& v : p.vertices) {
            v.u = wild[(next() >> 16) % std::size(wild)];
            v.v = wild[(next() >> 16) % std::size(wild)];
            v.w = wild[(next() >> 16) % std::size(wild)];
        }
        testing::submit(canvas, p);
    }
    EXPECT_TRUE(canvas.guardIntact());
}

// A view-space quad larger than the view is clipped to exactly the image.
TEST(Rasteriser, ClippedPolygonCoversTheWholeImage)
{
    Canvas canvas(16, 16);
    PolygonVertex a, b, c, d;
    a = {-5.0f, -5.0f, 1.0f};
    b = {5.0f, -5.0f, 1.0f};
    c = {5.0f, 5.0f, 1.0f};
    d = {-5.0f, 5.0f, 1.0f};
    for (PolygonVertex* v : {&a, &b, &c, &d}) {
        v->red = 100 << 8;
        v->classCode = 11;
    }
    ASSERT_TRUE(testing::submit(canvas, testing::viewPolygon({a, b, c, d})));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(canvas.at8(x, y), 11) << x << "," << y;
    EXPECT_TRUE(canvas.guardIntact());

    // Behind the camera: nothing.
    for (PolygonVertex* v : {&a, &b, &c, &d}) v->w = -1.0f, v->classCode = 12;
    EXPECT_FALSE(testing::submit(canvas, testing::viewPolygon({a, b, c, d})));
}

// The test drawings are plain binary PPM files that read back as drawn.
TEST(Rasteriser, DrawingsSaveAsPortablePixmaps)
{
    Canvas canvas(8, 6);
    draw(canvas, pixelPolygon({{1, 1}, {6, 1}, {1, 4}}, 200, 100, 50, 7));
    testing::TempDir dir("drawing");
    ASSERT_TRUE(testing::writePpm(dir / "t.ppm", canvas));
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(testing::readPpm(dir / "t.ppm", w, h, pixels));
    ASSERT_EQ(w, 8);
    ASSERT_EQ(h, 6);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(pixels[static_cast<std::size_t>(y * w + x)], canvas.at24(x, y) & 0x00FFFFFFu);
    ASSERT_TRUE(testing::writePgm(dir / "t.pgm", canvas));
    EXPECT_EQ(testing::readFile(dir / "t.pgm").size(), std::string("P5\n8 6\n255\n").size() + 48);
}

} // namespace
} // namespace kalvenor
