#include <gtest/gtest.h>

#include <array>

#include "base/worker_pool.h"
#include "platform/scripted_frontend.h"
#include "render/flare.h"
#include "render/post_process.h"

namespace kalvenor {
namespace {

// Buffers for a w x h image, allocated double size as antialiasing needs them.
struct Images {
    ImageBuffers images;
    ImageGeometry geometry;
    Images(int w, int h, int allocW, int allocH)
    {
        geometry.width = w;
        geometry.height = h;
        geometry.projWidth = w;
        geometry.projHeight = h;
        geometry.windowWidth = w;
        geometry.windowHeight = h;
        images.vidmem24.allocate(allocW, allocH);
        images.vidmem8.allocate(allocW, allocH);
    }
    std::uint32_t& at(int x, int y) { return images.vidmem24[y][x]; }
};

TEST(Oversize, ExpandsInPlaceAndDoublesTheGeometry)
{
    Images t(2, 2, 4, 4);
    t.geometry.projHeight = 3;
    t.at(0, 0) = 1, t.at(1, 0) = 2, t.at(0, 1) = 3, t.at(1, 1) = 4;
    ASSERT_TRUE(beginOversize(t.images, t.geometry));
    EXPECT_EQ(t.geometry.width, 4);
    EXPECT_EQ(t.geometry.height, 4);
    EXPECT_EQ(t.geometry.projWidth, 4);
    EXPECT_EQ(t.geometry.projHeight, 6);
    const std::uint32_t expected[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(t.at(x, y), expected[y][x]) << x << "," << y;
    // Already oversize: not again.
    EXPECT_FALSE(beginOversize(t.images, t.geometry));

    // Without room for the double image the render stays at normal size.
    Images small(2, 2, 2, 4);
    EXPECT_FALSE(beginOversize(small.images, small.geometry));
    EXPECT_EQ(small.geometry.width, 2);
}

// Every pixel of a picture of odd height lands on its 2 x 2 block, whatever
// the number of threads sharing the rows.
TEST(Oversize, EveryRowLandsOnItsBlockWithAnyNumberOfThreads)
{
    const int threadsBefore = threadCount();
    for (const int threads : {1, 3}) {
        setThreadCount(threads);
        Images t(7, 13, 14, 26);
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 7; ++x) t.at(x, y) = static_cast<std::uint32_t>(1000 * y + x + 1);
        ASSERT_TRUE(beginOversize(t.images, t.geometry));
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 14; ++x)
                EXPECT_EQ(t.at(x, y), static_cast<std::uint32_t>(1000 * (y / 2) + x / 2 + 1)) << x << "," << y;
    }
    setThreadCount(threadsBefore);
}

TEST(Reduction, LinearRoundsTheBlockMean)
{
    Images t(2, 1, 4, 2);
    ASSERT_TRUE(beginOversize(t.images, t.geometry));
    // Red 10, 20, 30, 41: (101 + 2) >> 2 = 25. Green 1, 1, 1, 2: (5 + 2) >> 2 = 1. Class of the top-left pixel.
    t.at(0, 0) = packPixel(10, 1, 255, 9);
    t.at(1, 0) = packPixel(20, 1, 255, 1);
    t.at(0, 1) = packPixel(30, 1, 255, 2);
    t.at(1, 1) = packPixel(41, 2, 254, 3);
    ScriptedFrontend ui;
    endOversize(t.images, t.geometry, true, kAntialiasLinear, ui);
    EXPECT_EQ(t.at(0, 0), packPixel(25, 1, 255, 9));
    EXPECT_EQ(t.geometry.width, 2);
    EXPECT_EQ(t.geometry.height, 1);
    EXPECT_FALSE(t.geometry.oversize);
    ASSERT_FALSE(ui.progressLines.empty());
    EXPECT_EQ(ui.progressLines.front(), "Reducing image:  0%");
}

// One bright red pixel; sums and weights worked by hand from the 4 x 4 table.
TEST(Reduction, GaussianWeightsInsideTheImage)
{
    {
        // 4 x 4 source, pixel (1,1) = 255. Every output window is clipped to 3 x 3 with weight 490:
        // (0,0) takes it with weight 100, (1,0) and (0,1) with 20, (1,1) with 10.
        Images t(2, 2, 4, 4);
        ASSERT_TRUE(beginOversize(t.images, t.geometry));
        t.at(1, 1) = packPixel(255, 0, 0, 0);
        t.at(2, 2) = packPixel(0, 0, 0, 6);
        ScriptedFrontend ui;
        endOversize(t.images, t.geometry, true, kAntialiasGaussian, ui);
        EXPECT_EQ(pixelRed(t.at(0, 0)), 52); // (25500 + 245) / 490
        EXPECT_EQ(pixelRed(t.at(1, 0)), 10); // (5100 + 245) / 490
        EXPECT_EQ(pixelRed(t.at(0, 1)), 10);
        EXPECT_EQ(pixelRed(t.at(1, 1)), 5);  // (2550 + 245) / 490
        EXPECT_EQ(pixelClass(t.at(1, 1)), 6);
    }
    {
        // 8 x 8 source: output (1,1) has its whole window inside (weight 600); pixel (2,2) weighs 100.
        Images t(4, 4, 8, 8);
        ASSERT_TRUE(beginOversize(t.images, t.geometry));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) t.at(x, y) = 0;
        t.at(2, 2) = packPixel(255, 0, 0, 0);
        ScriptedFrontend ui;
        endOversize(t.images, t.geometry, true, kAntialiasGaussian, ui);
        EXPECT_EQ(pixelRed(t.at(1, 1)), 43); // (25500 + 300) / 600
        EXPECT_EQ(pixelRed(t.at(0, 0)), 5);  // its window's far corner: (255 x 10 + 245) / 490
    }
}

TEST(Reduction, AbortedFrameTakesEveryOtherPixel)
{
    Images t(2, 2, 4, 4);
    ASSERT_TRUE(beginOversize(t.images, t.geometry));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) t.at(x, y) = packPixel(static_cast<std::uint8_t>(10 * x + y), 0, 0, 1);
    ScriptedFrontend ui;
    endOversize(t.images, t.geometry, false, kAntialiasGaussian, ui);
    EXPECT_EQ(pixelRed(t.at(0, 0)), 0);
    EXPECT_EQ(pixelRed(t.at(1, 0)), 20);
    EXPECT_EQ(pixelRed(t.at(0, 1)), 2);
    EXPECT_EQ(pixelRed(t.at(1, 1)), 22);
}

TEST(StereoShift, BothBordersTurnBlack)
{
    for (int shift : {2, -2}) {
        Images t(8, 1, 8, 1);
        for (int x = 0; x < 8; ++x) {
            t.at(x, 0) = static_cast<std::uint32_t>(x + 1);
            t.images.vidmem8[0][x] = static_cast<std::uint8_t>(x + 1);
        }
        stereoShift(t.images, t.geometry, shift);
        const std::array<int, 8> expected = shift > 0 ? std::array<int, 8>{0, 0, 1, 2, 3, 4, 0, 0}
                                                      : std::array<int, 8>{0, 0, 5, 6, 7, 8, 0, 0};
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(t.at(x, 0), static_cast<std::uint32_t>(expected[static_cast<std::size_t>(x)])) << shift << " " << x;
            EXPECT_EQ(t.images.vidmem8[0][x], expected[static_cast<std::size_t>(x)]) << shift << " " << x;
        }
    }
    Images wide(8, 1, 8, 1);
    wide.at(3, 0) = 7;
    stereoShift(wide.images, wide.geometry, 100); // more than the width: all black, no overrun
    EXPECT_EQ(wide.at(3, 0), 0u);
}

std::array<std::uint8_t, 1280> flareTable(int cls, int intensity, int radius)
{
    std::array<std::uint8_t, 1280> surfaces = {};
    surfaces[static_cast<std::size_t>(cls * 5 + 2)] = static_cast<std::uint8_t>(intensity);
    surfaces[static_cast<std::size_t>(cls * 5 + 3)] = static_cast<std::uint8_t>(radius);
    return surfaces;
}

// Source (200, 100, 50) brightens to r' 209, g' 116, b' 70. Intensity 90:
// d = 10 x 512 / 100 = 51. Radius 2: q = 129 at distance 1, 182 on the
// diagonal, 257 and more beyond. Red at distance 1: 256 x 209 / 51 / 129 = 8.
TEST(Flare, BloomWorkedByHand)
{
    Images t(9, 9, 9, 18);
    t.at(4, 4) = packPixel(200, 100, 50, 77);
    t.at(5, 4) = packPixel(0, 0, 0, 3);
    ScriptedFrontend ui;
    ASSERT_EQ(applyFlare(t.images, t.geometry, flareTable(77, 90, 2), ui), 1);
    EXPECT_EQ(t.at(4, 4), packPixel(200, 100, 50, 77)); // the source itself is left alone
    EXPECT_EQ(t.at(5, 4), packPixel(8, 4, 2, 3));       // class byte kept
    EXPECT_EQ(t.at(4, 3), packPixel(8, 4, 2, 0));
    EXPECT_EQ(t.at(3, 5), packPixel(5, 3, 1, 0));       // 1049 / 182, 582 / 182, 351 / 182
    EXPECT_EQ(t.at(6, 4), 0u);                          // q = 257
    EXPECT_EQ(t.at(4, 8), 0u);
    EXPECT_EQ(ui.progressLines.front(), "Flare:  0%");
}

TEST(Flare, ThresholdsAndLimits)
{
    {
        // (40, 40, 40) brightens to 45 each: not above 64, no bloom.
        Images t(5, 5, 5, 10);
        t.at(2, 2) = packPixel(40, 40, 40, 77);
        ScriptedFrontend ui;
        ASSERT_EQ(applyFlare(t.images, t.geometry, flareTable(77, 100, 2), ui), 1);
        EXPECT_EQ(t.at(3, 2), 0u);
    }
    {
        // Intensity 100 gives d = 1: 256 x 209 / 129 saturates, 256 x 116 / 129 = 230, 256 x 70 / 129 = 138.
        Images t(5, 5, 5, 10);
        t.at(2, 2) = packPixel(200, 100, 50, 77);
        ScriptedFrontend ui;
        ASSERT_EQ(applyFlare(t.images, t.geometry, flareTable(77, 100, 2), ui), 1);
        EXPECT_EQ(t.at(2, 1), packPixel(255, 230, 138, 0));
    }
    {
        // Radius 1 visits the 8 neighbours only, and their q (257, 363) is past the fade: nothing changes.
        Images t(5, 5, 5, 10);
        t.at(2, 2) = packPixel(200, 100, 50, 77);
        ScriptedFrontend ui;
        ASSERT_EQ(applyFlare(t.images, t.geometry, flareTable(77, 100, 1), ui), 1);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                if (x == 2 && y == 2) continue;
                EXPECT_EQ(t.at(x, y), 0u) << x << "," << y;
            }
    }
    {
        // A flare pixel in the corner blooms only inside the image.
        Images t(3, 3, 3, 6);
        t.at(0, 0) = packPixel(200, 100, 50, 77);
        ScriptedFrontend ui;
        ASSERT_EQ(applyFlare(t.images, t.geometry, flareTable(77, 90, 2), ui), 1);
        EXPECT_EQ(t.at(1, 0), packPixel(8, 4, 2, 0));
    }
}

TEST(Flare, MissingScratchRowsAndAbort)
{
    Images noScratch(4, 4, 4, 4);
    ScriptedFrontend ui;
    EXPECT_EQ(applyFlare(noScratch.images, noScratch.geometry, flareTable(77, 90, 2), ui), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Insufficient memory for flare effects.");

    Images t(4, 4, 4, 8);
    ScriptedFrontend aborting;
    aborting.abortOnPoll = 2;
    EXPECT_EQ(applyFlare(t.images, t.geometry, flareTable(77, 90, 2), aborting), -1);
    EXPECT_EQ(aborting.polls, 2); // once per row until the abort
}

} // namespace
} // namespace kalvenor
