#include <gtest/gtest.h>

#include <array>

#include "render/dither.h"
#include "render/palette_map.h"

namespace kalvenor {
namespace {

// Stream D from seed 1: the first draws are 70, -2, 1, -21, -53, 123.
TEST(Dither, TablesForAnAmount)
{
    PixelDither dither;
    prepareDither(dither, 100);
    // (draw x 100) >> 13 floors: -200 >> 13 is -1, not 0.
    const int randomStart[6] = {0, -1, 0, -1, -1, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(dither.random[static_cast<std::size_t>(i)], randomStart[i]) << i;
    // (m x 100) / 1024 truncates: -1500 / 1024 is -1, not -2.
    const std::array<int, 16> ordered = {-1, 0, -1, 0, 0, 0, 1, 0, 0, 0, -1, 0, 1, 0, 1, 0};
    EXPECT_EQ(dither.ordered, ordered);

    // The same amount again draws nothing; a new amount rebuilds from the stream's current state.
    const std::uint32_t seed = dither.seed;
    prepareDither(dither, 100);
    EXPECT_EQ(dither.seed, seed);
    prepareDither(dither, 0);
    EXPECT_NE(dither.seed, seed);
    for (int entry : dither.random) EXPECT_EQ(entry, 0);
    for (int entry : dither.ordered) EXPECT_EQ(entry, 0);
}

TEST(Dither, HugeAmountsSaturateInsteadOfOverflowing)
{
    PixelDither dither;
    prepareDither(dither, 2000000000);
    EXPECT_EQ(dither.random[0], 256);  // draw 70
    EXPECT_EQ(dither.random[1], -256); // draw -2
    EXPECT_EQ(dither.ordered[0], -256);
}

// An 8-bit row with ordered dithering: offsets -15, 1, -11, 5 at amount 1024,
// clamped to 0..255.
TEST(Dither, RowOfEightBitColours)
{
    PixelDither dither;
    const std::uint32_t source[4] = {packPixel(10, 250, 100), packPixel(10, 250, 100), packPixel(10, 250, 100),
                                     packPixel(10, 250, 100)};
    Rgb8 out[4];
    ditherRow8(dither, 1024, kDitherOrdered, 0, 0, 4, source, out);
    const int red[4] = {0, 11, 0, 15};
    const int green[4] = {235, 251, 239, 255};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[i].red, red[i]) << i;
        EXPECT_EQ(out[i].green, green[i]) << i;
    }
    // Amount 0 copies the colours and leaves the stream alone.
    PixelDither idle;
    ditherRow8(idle, 0, kDitherRandom, 0, 0, 4, source, out);
    EXPECT_EQ(out[2].blue, 100);
    EXPECT_EQ(idle.seed, 1u);
}

DisplayPalette paletteOf(std::initializer_list<std::array<int, 3>> colours)
{
    DisplayPalette palette;
    std::size_t i = 0;
    for (const auto& c : colours) {
        palette.entries[4 * i + 1] = static_cast<std::uint8_t>(c[0]);
        palette.entries[4 * i + 2] = static_cast<std::uint8_t>(c[1]);
        palette.entries[4 * i + 3] = static_cast<std::uint8_t>(c[2]);
        ++i;
    }
    return palette;
}

TEST(PaletteMap, NearestEntryByFiveBitComponents)
{
    // Entry 0 black, 1 dark grey, 2 red, 3 the same red again, the rest black.
    const DisplayPalette palette = paletteOf({{0, 0, 0}, {40, 40, 40}, {248, 0, 0}, {248, 0, 0}});
    PaletteMap map;
    map.colours = 4;
    EXPECT_EQ(nearestEntry(map, palette, cubeIndex(0, 0, 0)), 1);     // never entry 0
    EXPECT_EQ(nearestEntry(map, palette, cubeIndex(255, 10, 10)), 2); // the first of two equals
    EXPECT_EQ(map.nearest[static_cast<std::size_t>(cubeIndex(255, 10, 10))], 2);
    // Entries beyond the palette's colour count are not candidates: with 256 the black entries 4.. win for black.
    PaletteMap all;
    EXPECT_EQ(nearestEntry(all, palette, cubeIndex(0, 0, 0)), 4);

    // The cache answers until it is reset, even if the palette changed meanwhile.
    const DisplayPalette changed = paletteOf({{0, 0, 0}, {250, 0, 0}});
    EXPECT_EQ(nearestEntry(map, changed, cubeIndex(255, 10, 10)), 2);
    resetPaletteMap(map);
    map.colours = 2;
    EXPECT_EQ(nearestEntry(map, changed, cubeIndex(255, 10, 10)), 1);
}

TEST(PaletteMap, ConvertsTheImageRowByRow)
{
    ImageBuffers images;
    ASSERT_TRUE(images.vidmem24.allocate(3, 2));
    ASSERT_TRUE(images.vidmem8.allocate(3, 2));
    images.vidmem24[0][0] = packPixel(250, 0, 0, 77);
    images.vidmem24[0][1] = packPixel(0, 0, 250);
    images.vidmem24[1][2] = packPixel(30, 40, 50);
    const DisplayPalette palette = paletteOf({{0, 0, 0}, {0, 0, 255}, {255, 0, 0}, {32, 40, 48}});
    PaletteMap map;
    map.colours = 4;
    PixelDither dither;
    convertToPalette(images, 3, 2, palette, map, dither, 0, kDitherRandom);
    EXPECT_EQ(images.vidmem8[0][0], 2);
    EXPECT_EQ(images.vidmem8[0][1], 1);
    EXPECT_EQ(images.vidmem8[1][2], 3);
    EXPECT_EQ(images.vidmem8[1][0], 3); // black: the nearest of entries 1..3 is the dark one
}

} // namespace
} // namespace kalvenor
