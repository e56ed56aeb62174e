#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "render/lit_colour.h"
#include "render/span.h"
#include "support/test_drawing.h"

namespace kalvenor {
namespace {

using testing::Canvas;
using testing::draw;
using testing::pixelPolygon;

// A one-row span over columns 0..2 of row 0 in one colour, alpha and class.
Polygon strip(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint16_t cls, std::uint16_t alpha)
{
    return pixelPolygon({{0, 0}, {2, 0}}, r, g, b, cls, alpha);
}

// Translucent spans blend each byte as (old x (255 - a) + new x a) / 255 and
// take the class above alpha 127; the 8-bit image always takes the class.
TEST(Compositing, AlphaRules)
{
    struct Case {
        const char* what;
        std::uint16_t alpha;
        std::uint32_t expected24;
        std::uint8_t expected8;
    };
    const std::uint32_t old = packPixel(200, 100, 0, 5);
    const Case cases[] = {
        {"transparent", 0, old, 5},
        {"opaque", 255, packPixel(0, 255, 50, 9), 9},
        // 31000 / 255, 41000 / 255, 5000 / 255; class stays at alpha 100.
        {"thin", 100, packPixel(121, 160, 19, 5), 9},
        // 11000 / 255, 56500 / 255, 10000 / 255; class taken at alpha 200.
        {"thick", 200, packPixel(43, 221, 39, 9), 9},
        {"just below half", 127, packPixel(100, 177, 24, 5), 9},
        {"just above half", 128, packPixel(99, 177, 25, 9), 9},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        Canvas canvas(4, 2);
        canvas.clear(old, 5);
        draw(canvas, strip(0, 255, 50, 9, t.alpha));
        EXPECT_EQ(canvas.at24(1, 0), t.expected24);
        EXPECT_EQ(canvas.at8(1, 0), t.expected8);
        EXPECT_EQ(canvas.at24(3, 0), old); // beyond the span
    }
}

// Clouds do not pile up on clouds: over a pixel whose 8-bit class is 76 the
// colour stays and the class byte becomes 76 only above alpha 192.
TEST(Compositing, CloudOverCloud)
{
    struct Case {
        const char* what;
        std::uint8_t old8;
        std::uint16_t alpha;
        std::uint32_t expected24;
    };
    const std::uint32_t old = packPixel(10, 20, 30, 40);
    const Case cases[] = {
        {"thin cloud on cloud", 76, 100, old},
        {"dense cloud on cloud", 76, 193, packPixel(10, 20, 30, 76)},
        {"192 is not dense", 76, 192, old},
        {"opaque cloud replaces", 76, 255, packPixel(250, 250, 250, 76)},
        // Not over a cloud: an ordinary blend, (10 x 155 + 250 x 100) / 255 = 104, 110, 116.
        {"cloud on ground", 40, 100, packPixel(104, 110, 116, 40)},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        Canvas canvas(4, 2);
        canvas.clear(old, t.old8);
        draw(canvas, strip(250, 250, 250, kCloudClass, t.alpha));
        EXPECT_EQ(canvas.at24(1, 0), t.expected24);
        EXPECT_EQ(canvas.at8(1, 0), kCloudClass);
    }
}

// Ordered dithering at amount 1024 adds the matrix itself (2 x Bayer - 15):
// row 0 -15, 1, -11, 5; row 5 (y & 4 shifts two columns) uses row 1 from column 2.
TEST(Compositing, OrderedDitherAddsTheMatrix)
{
    Canvas canvas(4, 6);
    canvas.target.ditherAmount = 1024;
    canvas.target.ditherKind = kDitherOrdered;
    draw(canvas, pixelPolygon({{0, 0}, {3, 0}, {3, 5}, {0, 5}}, 100, 100, 100, 1));
    const int row0[4] = {85, 101, 89, 105};
    const int row5[4] = {113, 97, 109, 93}; // 13, -3, 9, -7
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(pixelRed(canvas.at24(x, 0)), row0[x]) << x;
        EXPECT_EQ(pixelBlue(canvas.at24(x, 0)), row0[x]) << x;
        EXPECT_EQ(pixelGreen(canvas.at24(x, 5)), row5[x]) << x;
    }
    testing::keepDrawing(canvas, "dither_ordered");
}

// Random dithering: 256 table draws of stream D (from seed 1), then one draw
// per span; with amount 8192 the entries are the draws themselves. The span's
// draw is 42, so the first pixel adds entries 43, 44, 45 (-81, -73, 46) and the
// second 46, 47, 48 (-27, -37, 90).
TEST(Compositing, RandomDitherWalksTheTable)
{
    Canvas canvas(4, 1);
    canvas.target.ditherAmount = 8192;
    canvas.target.ditherKind = kDitherRandom;
    draw(canvas, strip(128, 128, 128, 1, 255));
    EXPECT_EQ(canvas.at24(0, 0), packPixel(128 - 81, 128 - 73, 128 + 46, 1));
    EXPECT_EQ(canvas.at24(1, 0), packPixel(128 - 27, 128 - 37, 128 + 90, 1));
}

// Random dithering of one-coloured opaque spans, pixel by pixel against the
// rule: a span takes its start s from stream D, and its pixel i adds entries
// s + 3i + 1, s + 3i + 2 and s + 3i + 3 (x 256) to red, green and blue, each
// clamped to 0..65535 and cut to 8 bits. Spans of every length up to 9 (whole
// groups of four pixels and what is left), colours at both ends of the range,
// and an amount whose entries reach +-256.
TEST(Compositing, RandomDitherOfOneColouredSpansFollowsTheTable)
{
    const int amounts[] = {8192, 100000};
    const std::array<std::uint8_t, 3> colours[] = {{0, 128, 255}, {1, 254, 3}, {250, 5, 128}};
    constexpr int kRows = 3;
    for (const int amount : amounts)
        for (const auto& colour : colours) {
            Canvas canvas(12, kRows * 9);
            canvas.target.ditherAmount = amount;
            canvas.target.ditherKind = kDitherRandom;
            for (int length = 1; length <= 9; ++length) {
                const float top = static_cast<float>(kRows * (length - 1)), right = static_cast<float>(length - 1);
                PixelDither expected = canvas.dither;
                prepareDither(expected, amount);
                draw(canvas, pixelPolygon({{0, top}, {right, top}, {right, top + kRows - 1}, {0, top + kRows - 1}},
                                          colour[0], colour[1], colour[2], 7));
                for (int y = kRows * (length - 1); y < kRows * length; ++y) {
                    const unsigned start = static_cast<unsigned>(drawDither(expected)) & 255u;
                    for (int x = 0; x < length; ++x) {
                        std::uint8_t want[3];
                        for (unsigned c = 0; c < 3; ++c) {
                            const int entry = expected.random[(start + 3u * static_cast<unsigned>(x) + 1u + c) & 255u];
                            want[c] = static_cast<std::uint8_t>(std::clamp((colour[c] + entry) * 256, 0, 65535) >> 8);
                        }
                        EXPECT_EQ(canvas.at24(x, y), packPixel(want[0], want[1], want[2], 7))
                            << "amount " << amount << ", length " << length << ", row " << y << ", pixel " << x;
                        EXPECT_EQ(canvas.at8(x, y), 7);
                    }
                    EXPECT_EQ(canvas.at24(length, y), 0u) << "beyond the span of length " << length;
                }
                EXPECT_EQ(canvas.dither.seed, expected.seed) << "one draw per row, length " << length;
            }
            EXPECT_TRUE(canvas.guardIntact());
        }
}

TEST(Compositing, NoDitherLeavesColoursAlone)
{
    Canvas canvas(4, 1);
    canvas.target.ditherAmount = 0;
    draw(canvas, strip(17, 18, 19, 1, 255));
    EXPECT_EQ(canvas.at24(2, 0), packPixel(17, 18, 19, 1));
    EXPECT_EQ(canvas.dither.seed, 1u); // nothing drawn from stream D
}

// A 2 x 2 texture: opaque red, clear blue / half green, opaque white. The
// light passes texel colours unchanged (ambient 256, no direct light).
struct TextureFixture {
    std::array<std::uint32_t, 4> texels = {
        0xFF0000FFu, // red, alpha 255
        0x00FF0000u, // blue, alpha 0
        0x8000FF00u, // green, alpha 128
        0xFFFFFFFFu, // white, alpha 255
    };
    TextureView view;
    TextureFixture()
    {
        view.texels = texels.data();
        view.width = 2;
        view.height = 2;
    }
};

// Columns 0..3, rows 0..1; s steps 256 per column from s0, t 256 per row.
Polygon texturedQuad(const TextureView& texture, float s0, std::uint16_t alpha)
{
    Polygon p = pixelPolygon({{0, 0}, {3, 0}, {3, 1}, {0, 1}}, 0x10, 0x20, 0x30, 8, alpha);
    const float s[] = {s0, s0 + 768, s0 + 768, s0, s0};
    const float t[] = {0, 0, 256, 256, 0};
    for (int i = 0; i < 5; ++i) {
        p.vertices[static_cast<std::size_t>(i)].s = s[i];
        p.vertices[static_cast<std::size_t>(i)].t = t[i];
        p.vertices[static_cast<std::size_t>(i)].intensity = 200 << 8;
    }
    p.texture = &texture;
    return p;
}

TEST(TexturedSpans, TexelAlphaRules)
{
    TextureFixture tex;
    Canvas canvas(5, 2);
    canvas.light.light[0] = canvas.light.light[1] = canvas.light.light[2] = 0;
    canvas.light.ambient[0] = canvas.light.ambient[1] = canvas.light.ambient[2] = 256;
    canvas.clear(packPixel(1, 2, 3, 4), 4);
    draw(canvas, texturedQuad(tex.view, 0, 255));
    // Row 0: red, then blue whose alpha 0 leaves the polygon's own colour (alpha 255), twice.
    EXPECT_EQ(canvas.at24(0, 0), packPixel(255, 0, 0, 8));
    EXPECT_EQ(canvas.at24(1, 0), packPixel(0x10, 0x20, 0x30, 8));
    EXPECT_EQ(canvas.at24(2, 0), packPixel(255, 0, 0, 8));
    // Row 1: half green over the polygon colour: (4096 x 127) / 255 = 2039, (8192 x 127 + 65280 x 128) / 255 = 36847,
    // (12288 x 127) / 255 = 6119, each >> 8; then white.
    EXPECT_EQ(canvas.at24(0, 1), packPixel(7, 143, 23, 8));
    EXPECT_EQ(canvas.at24(1, 1), packPixel(255, 255, 255, 8));
    EXPECT_EQ(canvas.at24(4, 1), packPixel(1, 2, 3, 4));

    // A polygon alpha of 0 lets the texel's own alpha through: clear texels leave the image alone,
    // the half green blends over it, (2 x 127 + 255 x 128) / 255 = 128 for green.
    canvas.clear(packPixel(1, 2, 3, 4), 4);
    draw(canvas, texturedQuad(tex.view, 0, 0));
    EXPECT_EQ(canvas.at24(0, 0), packPixel(255, 0, 0, 8));
    EXPECT_EQ(canvas.at24(1, 0), packPixel(1, 2, 3, 4));
    EXPECT_EQ(canvas.at8(1, 0), 4);
    EXPECT_EQ(canvas.at24(0, 1), packPixel(0, 128, 1, 8));
}

// Negative texture coordinates wrap into the map instead of reading before it.
TEST(TexturedSpans, NegativeCoordinatesWrap)
{
    TextureFixture tex;
    Canvas canvas(5, 2);
    canvas.light.light[0] = canvas.light.light[1] = canvas.light.light[2] = 0;
    canvas.light.ambient[0] = canvas.light.ambient[1] = canvas.light.ambient[2] = 256;
    draw(canvas, texturedQuad(tex.view, -512, 255)); // s = -512, -256, 0, 256: columns 0, 1, 0, 1
    EXPECT_EQ(canvas.at24(0, 0), packPixel(255, 0, 0, 8));
    EXPECT_EQ(canvas.at24(1, 0), packPixel(0x10, 0x20, 0x30, 8));
    EXPECT_EQ(canvas.at24(2, 0), packPixel(255, 0, 0, 8));
    EXPECT_EQ(canvas.at24(3, 1), packPixel(255, 255, 255, 8));
    testing::keepDrawing(canvas, "textured_wrap");
}

// Worked by hand from the colour formula, red channel (light 255, ambient 40).
TEST(LitColour, DiffuseAmbientHiliteHazeExposure)
{
    SurfaceLight light;
    light.light[0] = 255;
    light.ambient[0] = 40;
    light.haze[0] = 200;
    light.exposureFactor = exposureFactor(true, 248, 128);
    EXPECT_EQ(light.exposureFactor, 178); // (255 - 248) / 3 + 48 + 128
    EXPECT_EQ(exposureFactor(false, 248, 100), 120);

    // (255 x (20000 >> 8)) >> 8 = 77, + 4000 >> 8 = 15: 92; x 178 >> 7 = 127.
    EXPECT_EQ(litColour(light, 100, 0, 0, 200, 0, 0) & 255u, 127u);
    // Hilite (255 x 100 x 128) >> 16 = 49: 141 x 178 >> 7 = 196.
    EXPECT_EQ(litColour(light, 100, 0, 0, 200, 100, 128) & 255u, 196u);
    // Haze weight 300.7: hz = 31 + 199 = 230, (300 x 230 + 92 x 256) / 556 = 166; x 178 >> 7 = 230.
    light.hazeWeight = 300.7f;
    EXPECT_EQ(litColour(light, 100, 0, 0, 200, 0, 0) & 255u, 230u);
    // The largest weight: 10,000,000 x 230 passes 2^31; (2300023552) / 10000256 = 229.
    light.hazeWeight = 10000000.0f;
    light.exposureFactor = 128;
    EXPECT_EQ(litColour(light, 100, 0, 0, 200, 0, 0) & 255u, 229u);
}

} // namespace
} // namespace kalvenor
