#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/scripted_frontend.h"
#include "render/image_size.h"

namespace kalvenor {
namespace {

using Messages = std::vector<std::string>;

// The state the image-size operations touch, at the 320 x 200 start.
struct SizeFixture {
    ImageBuffers images;
    ImageGeometry geometry;
    RenderSettings render;
    ScriptedFrontend ui;

    SizeFixture()
    {
        render.antialias = 0;
        render.flare = 0;
        EXPECT_EQ(ensureImageBuffers(images, geometry, render, ui), 1);
    }
    // Room for the two buffers of a w x h allocation and no more.
    void limitTo(int w, int h) { geometry.memoryLimit = static_cast<std::size_t>(w) * h * 5; }
    void expectSize(int w, int h, int pw, int ph)
    {
        EXPECT_EQ(geometry.width, w);
        EXPECT_EQ(geometry.height, h);
        EXPECT_EQ(geometry.projWidth, pw);
        EXPECT_EQ(geometry.projHeight, ph);
        EXPECT_EQ(images.vidmem24.width, w);
        EXPECT_EQ(images.vidmem8.height, h);
    }
};

TEST(ImageBuffersAllocation, SizeFollowsAntialiasingAndFlare)
{
    struct Case {
        int antialias, flare, width, height;
    };
    const Case cases[] = {{0, 0, 320, 200}, {1, 0, 640, 400}, {0, 1, 320, 400}, {1, 1, 640, 400}};
    for (const Case& t : cases) {
        SizeFixture f;
        f.render.antialias = t.antialias;
        f.render.flare = t.flare;
        ASSERT_EQ(ensureImageBuffers(f.images, f.geometry, f.render, f.ui), 1);
        EXPECT_EQ(f.images.vidmem24.width, t.width);
        EXPECT_EQ(f.images.vidmem24.height, t.height);
        EXPECT_EQ(f.images.vidmem8.width, t.width);
        EXPECT_EQ(f.geometry.allocatedWidth, t.width);
        EXPECT_EQ(f.geometry.allocatedHeight, t.height);
        EXPECT_TRUE(f.ui.messages.empty());
    }
}

// 4096 x 4096 with antialiasing needs 8192 x 8192 and is attempted; 4097 cannot be.
TEST(ImageBuffersAllocation, AntialiasingAtTheLargestSizes)
{
    SizeFixture f;
    f.render.antialias = 1;
    f.geometry.memoryLimit = 1; // so the attempt fails quickly instead of taking 320 MB
    f.geometry.width = f.geometry.height = 4096;
    EXPECT_EQ(neededAllocation(f.geometry, f.render).width, 8192);
    EXPECT_EQ(ensureImageBuffers(f.images, f.geometry, f.render, f.ui), 0);
    EXPECT_EQ(f.ui.messages, (Messages{"allocate_vidmem24() failed."}));

    f.ui.messages.clear();
    f.geometry.width = 4097;
    EXPECT_EQ(ensureImageBuffers(f.images, f.geometry, f.render, f.ui), 0);
    EXPECT_TRUE(f.ui.messages.empty()); // refused by size, not by memory
    EXPECT_FALSE(f.images.vidmem24.allocated());
    EXPECT_EQ(f.geometry.allocatedWidth, 0);

    // The 8-bit buffer failing on its own has its own message.
    SizeFixture g;
    g.geometry.width = 400;
    g.geometry.memoryLimit = 400 * 200 * 4 + 10;
    EXPECT_EQ(ensureImageBuffers(g.images, g.geometry, g.render, g.ui), 0);
    EXPECT_EQ(g.ui.messages, (Messages{"allocate_vidmem8() failed."}));
}

TEST(ImageSizeByNumber, RangeAndExtents)
{
    SizeFixture f;
    EXPECT_EQ(setImageSize(f.images, f.geometry, f.render, f.ui, 8, 8), 0);
    EXPECT_EQ(setImageSize(f.images, f.geometry, f.render, f.ui, 100, 8193), 0);
    f.expectSize(320, 200, 320, 280);
    ASSERT_EQ(setImageSize(f.images, f.geometry, f.render, f.ui, 300, 900), 1);
    f.expectSize(300, 900, 900, 900);
    EXPECT_EQ(f.render.imageWidth, 300);
    EXPECT_EQ(f.render.imageHeight, 900);
    EXPECT_EQ(f.geometry.largestSide, 900);
    ASSERT_EQ(setImageSize(f.images, f.geometry, f.render, f.ui, 16, 16), 1);
    f.expectSize(16, 16, 16, 16);
}

TEST(ImageSizeCommand, LimitsAndSquaring)
{
    SizeFixture f;
    EXPECT_EQ(imageSizeCommand(f.images, f.geometry, f.render, f.ui, 5000, 3000), 0);
    EXPECT_EQ(f.ui.messages, (Messages{"Maximim allowable image size is 4096x4096."}));
    f.expectSize(320, 200, 320, 280);

    f.ui.messages.clear();
    EXPECT_EQ(imageSizeCommand(f.images, f.geometry, f.render, f.ui, 800, 1000), 1);
    f.expectSize(800, 800, 800, 800);
    EXPECT_TRUE(f.ui.messages.empty());

    EXPECT_EQ(imageSizeCommand(f.images, f.geometry, f.render, f.ui, 8, 8), 0);
    f.expectSize(800, 800, 800, 800);
    EXPECT_TRUE(f.ui.messages.empty()); // too small is not a lack of memory
}

TEST(ImageSizeCommand, MemoryFallbacks)
{
    {
        SizeFixture f; // the new size does not fit, the old one does
        f.limitTo(320, 200);
        EXPECT_EQ(imageSizeCommand(f.images, f.geometry, f.render, f.ui, 640, 480), 0);
        EXPECT_EQ(f.ui.messages,
                  (Messages{"allocate_vidmem24() failed.", "Insufficient memory, reverting to previous size."}));
        f.expectSize(320, 200, 320, 320); // back by number: both extents the larger side
    }
    {
        SizeFixture f; // neither the new nor the old size fits: 320 x 200
        ASSERT_EQ(setImageSize(f.images, f.geometry, f.render, f.ui, 1000, 1000), 1);
        f.limitTo(320, 200);
        EXPECT_EQ(imageSizeCommand(f.images, f.geometry, f.render, f.ui, 2000, 1000), 0);
        EXPECT_EQ(f.ui.messages, (Messages{"allocate_vidmem24() failed.", "Insufficient memory, reverting to previous size.",
                                           "allocate_vidmem24() failed.", "Insufficient memory, reverting to 320x200."}));
        f.expectSize(320, 200, 320, 320);
    }
    {
        SizeFixture f; // nothing fits: the program ends with exit code 20
        f.geometry.memoryLimit = 1;
        try {
            imageSizeCommand(f.images, f.geometry, f.render, f.ui, 640, 480);
            FAIL() << "expected the program to end";
        } catch (const ImageMemoryExit& exit) {
            EXPECT_STREQ(exit.what(), "Insufficient memory, exiting.");
            EXPECT_EQ(exit.exitCode, 20);
        }
    }
}

TEST(ImageSizeDialog, QuestionsCancelAndFallbacks)
{
    {
        SizeFixture f;
        f.ui.numberAnswers = {640, std::nullopt};
        EXPECT_EQ(imageSizeDialog(f.images, f.geometry, f.render, f.ui), -1);
        EXPECT_EQ(f.ui.questions, (Messages{"Desired image width:", "Desired image height:"}));
        f.expectSize(320, 200, 320, 280);
    }
    {
        SizeFixture f; // no 4096 limit here, and the height is not cut to the width
        f.ui.numberAnswers = {300, 5000};
        EXPECT_EQ(imageSizeDialog(f.images, f.geometry, f.render, f.ui), 1);
        f.expectSize(300, 5000, 5000, 5000);
    }
    {
        SizeFixture f;
        f.limitTo(320, 200);
        f.ui.numberAnswers = {640, 480};
        EXPECT_EQ(imageSizeDialog(f.images, f.geometry, f.render, f.ui), 0);
        EXPECT_EQ(f.ui.messages, (Messages{"allocate_vidmem24() failed.",
                                           "Insufficient memory, reverting to previous size (320x200)."}));
        f.expectSize(320, 200, 320, 320);
    }
    {
        SizeFixture f;
        f.geometry.memoryLimit = 1;
        f.ui.numberAnswers = {640, 480};
        EXPECT_EQ(imageSizeDialog(f.images, f.geometry, f.render, f.ui), 0);
        EXPECT_EQ(f.ui.messages,
                  (Messages{"allocate_vidmem24() failed.", "Insufficient memory, reverting to previous size (320x200).",
                            "allocate_vidmem24() failed.", "Insufficient memory, changing to 320x200.",
                            "allocate_vidmem24() failed.", "Insufficient memory."}));
    }
}

TEST(DisplayModes, PresetsByIndexAndByNumber)
{
    struct Case {
        std::int32_t number;
        int width, height, depth, pw, ph;
    };
    const Case cases[] = {
        {0x13, 320, 200, 8, 320, 280},     {0x100, 640, 400, 8, 640, 560},   {0x101, 640, 480, 8, 640, 640},
        {0x103, 800, 600, 8, 800, 800},    {0x105, 1024, 768, 8, 1024, 1024}, {0x107, 1280, 1024, 8, 1280, 1280},
        {0x10F, 320, 200, 24, 320, 280},   {0x111, 640, 480, 16, 640, 640},  {0x116, 1024, 768, 15, 1024, 1024},
        {0x11B, 1280, 1024, 24, 1280, 1280},
        {0x999, 320, 200, 8, 320, 280}, // unknown: the basic mode
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.number);
        SizeFixture f;
        restoreDisplayMode(f.images, f.geometry, f.render, f.ui, t.number, t.width, t.height);
        f.expectSize(t.width, t.height, t.pw, t.ph);
        EXPECT_EQ(f.geometry.displayDepth, t.depth);
        EXPECT_EQ(f.geometry.windowWidth, t.width);
        EXPECT_EQ(f.render.imageBits, t.depth);
        EXPECT_EQ(f.render.displayModeNumber, t.number == 0x999 ? 0x13 : t.number);
    }
}

TEST(DisplayModes, SavedSizeAndFailures)
{
    {
        SizeFixture f; // a session saved with a size by number in a preset mode
        restoreDisplayMode(f.images, f.geometry, f.render, f.ui, 0x101, 700, 500);
        f.expectSize(700, 500, 700, 700);
        EXPECT_EQ(f.render.displayModeNumber, 0x101);
    }
    {
        SizeFixture f;
        f.geometry.memoryLimit = 1;
        EXPECT_THROW(restoreDisplayMode(f.images, f.geometry, f.render, f.ui, 0x105, 1024, 768), FatalError);
    }
    {
        // The GrMode presets keep the display depth where the size offers it.
        SizeFixture f;
        ASSERT_EQ(setDisplayMode(f.images, f.geometry, f.render, f.ui, displayModeIndex(0x112)), 1);
        EXPECT_EQ(kDisplayModes[displayModeForSize(5, f.geometry.displayDepth)].number, 0x118);
        EXPECT_EQ(kDisplayModes[displayModeForSize(2, f.geometry.displayDepth)].number, 0x100);
        EXPECT_EQ(displayModeForSize(7, 8), -1);
        EXPECT_EQ(setDisplayMode(f.images, f.geometry, f.render, f.ui, kDisplayModeCount), 0);
    }
}

TEST(DisplayModes, ScrollAndMarginsFollowTheWindow)
{
    SizeFixture f;
    ASSERT_EQ(setDisplayMode(f.images, f.geometry, f.render, f.ui, displayModeIndex(0x101)), 1);
    EXPECT_EQ(f.geometry.scrollX, 0);
    EXPECT_EQ(f.geometry.marginX, 0);
    ASSERT_EQ(setImageSize(f.images, f.geometry, f.render, f.ui, 1024, 768), 1);
    EXPECT_EQ(f.geometry.scrollX, 192); // (1024 - 640) / 2
    EXPECT_EQ(f.geometry.scrollY, 144);
    ASSERT_EQ(setImageSize(f.images, f.geometry, f.render, f.ui, 320, 200), 1);
    EXPECT_EQ(f.geometry.marginX, 160);
    EXPECT_EQ(f.geometry.marginY, 140);
}

} // namespace
} // namespace kalvenor
