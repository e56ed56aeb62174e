#include <gtest/gtest.h>

#include "panels/render_view.h"

namespace kalvenor {
namespace {

RenderView view(int imageW, int imageH, int x, int y, int viewW = 640, int viewH = 480)
{
    RenderView v;
    v.imageWidth = imageW;
    v.imageHeight = imageH;
    v.viewWidth = viewW;
    v.viewHeight = viewH;
    v.x = x;
    v.y = y;
    return v;
}

// Offsets after one operation, worked out by hand from the steps, the far
// limits (W - w - 1, H - h - 1) and the clamp at 0.
TEST(RenderView, PanOperationsMoveWithinTheImage)
{
    const struct {
        const char* what;
        RenderView before;
        int operation;
        int x, y;
    } cases[] = {
        {"End on 1024 x 768 in 640 x 480", view(1024, 768, 0, 0), kViewBottomRight, 383, 287},
        {"Home: top right", view(1024, 768, 50, 60), kViewTopRight, 383, 0},
        {"Delete: bottom left", view(1024, 768, 50, 60), kViewBottomLeft, 0, 287},
        {"Insert: top left", view(1024, 768, 50, 60), kViewTopLeft, 0, 0},
        {"down stops one short of H - h", view(1024, 768, 0, 280), kViewDown, 0, 287},
        {"down", view(1024, 768, 0, 100), kViewDown, 0, 120},
        {"up past the top", view(1024, 768, 0, 10), kViewUp, 0, 0},
        {"right", view(1024, 768, 100, 0), kViewRight, 120, 0},
        {"left past the edge", view(1024, 768, 5, 0), kViewLeft, 0, 0},
        {"page right to the limit", view(1024, 768, 300, 0), kViewPageRight, 383, 0},
        {"page left", view(1024, 768, 250, 0), kViewPageLeft, 150, 0},
        {"page down", view(1024, 768, 0, 0), kViewPageDown, 0, 100},
        {"page up past the top", view(1024, 768, 0, 50), kViewPageUp, 0, 0},
        {"centre", view(1024, 768, 0, 0), kViewCentre, 192, 144},
        {"redraw clamps to W - w, H - h", view(1024, 768, 500, 400), kViewRedraw, 384, 288},
        // An image smaller than the view: nothing moves it.
        {"small: down", view(320, 200, 0, 0), kViewDown, 0, 0},
        {"small: right", view(320, 200, 0, 0), kViewPageRight, 0, 0},
        {"small: End", view(320, 200, 0, 0), kViewBottomRight, 0, 0},
        {"small: centre", view(320, 200, 0, 0), kViewCentre, 0, 0},
        {"small: redraw brings a stale offset back", view(320, 200, 10, 10), kViewRedraw, 0, 0},
        // Wider only: the vertical axis stays.
        {"wide: End", view(1024, 400, 0, 0), kViewBottomRight, 383, 0},
    };
    for (const auto& c : cases) {
        RenderView v = c.before;
        applyViewOperation(v, c.operation);
        EXPECT_EQ(v.x, c.x) << c.what;
        EXPECT_EQ(v.y, c.y) << c.what;
    }
}

TEST(RenderView, ScaledAndTrueColourDisplay)
{
    RenderView v = view(1024, 768, 0, 0);
    applyViewOperation(v, kViewScaled);
    EXPECT_TRUE(v.scaled);
    for (const int keeps : {kViewRedraw, kViewScaled, kViewTrueColourOn, kViewTrueColourOff}) {
        applyViewOperation(v, keeps);
        EXPECT_TRUE(v.scaled) << keeps;
    }
    for (int op = kViewUp; op <= kViewBottomRight; ++op) {
        if (op == kViewScaled) continue;
        RenderView w = v;
        applyViewOperation(w, op);
        EXPECT_FALSE(w.scaled) << op;
    }

    applyViewOperation(v, kViewTrueColourOn, false, true); // no 24-bit image
    EXPECT_FALSE(v.trueColour);
    applyViewOperation(v, kViewTrueColourOn, true, false); // a screen of fewer bits
    EXPECT_FALSE(v.trueColour);
    applyViewOperation(v, kViewTrueColourOn, true, true);
    EXPECT_TRUE(v.trueColour);
    applyViewOperation(v, kViewTrueColourOff);
    EXPECT_FALSE(v.trueColour);
}

// The image as the window shows it: the 24-bit image as 0x00RRGGBB, the
// 8-bit one through the palette, and during a double-size antialiased frame
// a half-size preview in the middle.
TEST(ComposeImage, TwentyFourBitEightBitAndTheAntialiasPreview)
{
    ImageBuffers images;
    ASSERT_TRUE(images.vidmem24.allocate(16, 16));
    ASSERT_TRUE(images.vidmem8.allocate(16, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            images.vidmem24[y][x] = packPixel(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7, 99);
            images.vidmem8[y][x] = static_cast<std::uint8_t>(x + 16 * y);
        }
    DisplayPalette palette;
    for (int e = 0; e < 256; ++e) {
        palette.entries[static_cast<std::size_t>(4 * e + 1)] = static_cast<std::uint8_t>(e);
        palette.entries[static_cast<std::size_t>(4 * e + 2)] = 0x40;
        palette.entries[static_cast<std::size_t>(4 * e + 3)] = static_cast<std::uint8_t>(255 - e);
    }
    ImageGeometry geometry;
    std::vector<std::uint32_t> out;

    composeImage(images, geometry, palette, true, 8, 4, out);
    ASSERT_EQ(out.size(), 32u);
    EXPECT_EQ(out[0], 0x00000007u);
    EXPECT_EQ(out[3 * 8 + 5], 0x00050307u); // red 5, green 3, blue 7; the class byte is not shown

    composeImage(images, geometry, palette, false, 8, 4, out);
    EXPECT_EQ(out[2 * 8 + 1], 0x002140DEu); // index 33: red 33, green 0x40, blue 222

    // An image larger than the buffers: the rest is black.
    composeImage(images, geometry, palette, true, 20, 18, out);
    EXPECT_EQ(out[17 * 20 + 19], 0u);
    EXPECT_EQ(out[15 * 20 + 15], 0x000F0F07u);

    // An 8 x 8 image drawn at 16 x 16: pixel (2 + i, 2 + j) shows (4i, 4j), the border is black.
    geometry.oversize = true;
    composeImage(images, geometry, palette, true, 8, 8, out);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            const std::uint32_t expected =
                inside ? static_cast<std::uint32_t>(4 * (x - 2)) << 16 | static_cast<std::uint32_t>(4 * (y - 2)) << 8 | 7u
                       : 0u;
            EXPECT_EQ(out[static_cast<std::size_t>(y * 8 + x)], expected) << x << ", " << y;
        }

    // No buffers (a failed allocation): black, no read.
    composeImage(ImageBuffers{}, ImageGeometry{}, palette, false, 4, 4, out);
    EXPECT_EQ(out, std::vector<std::uint32_t>(16, 0u));
}

} // namespace
} // namespace kalvenor
