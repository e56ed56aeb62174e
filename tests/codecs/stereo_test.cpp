#include "codecs/stereo.h"

#include <gtest/gtest.h>

#include "codecs/image_test_support.h"
#include "codecs/targa.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::TempDir;

struct Picture {
    ImagePlane<std::uint32_t> plane;
    PixelView view;
    Picture(int w, int h)
    {
        plane.allocate(w, h);
        view = viewOf(plane, {w, h});
    }
    std::uint32_t& at(int x, int y) const { return view.row(y)[x]; }
};

TEST(Cyberscope, LayoutOfA320By200Image)
{
    CyberscopeLayout l;
    ASSERT_TRUE(cyberscopeLayout(320, 200, l));
    EXPECT_EQ(l.half, 160);
    EXPECT_EQ(l.firstRow, 20);                 // window rows 20 .. 179
    EXPECT_EQ(l.firstRow + l.half - 1, 179);
    EXPECT_EQ(l.firstColumn, 60);              // window columns 60 .. 259
    EXPECT_EQ(l.firstColumn + 200 - 1, 259);
    EXPECT_EQ(l.divider, 8);                   // columns 151 .. 168 black
}

TEST(Cyberscope, SizesWhoseWindowLeavesTheImageAreRefused)
{
    const struct {
        int w, h;
        bool fits;
    } cases[] = {{320, 150, false}, {320, 159, false}, {320, 160, true}, {320, 320, true},
                 {320, 321, false}, {200, 320, false}, {1, 1, false},    {2, 1, true}};
    for (const auto& c : cases) {
        CyberscopeLayout l;
        EXPECT_EQ(cyberscopeLayout(c.w, c.h, l), c.fits) << c.w << "x" << c.h;
    }
}

TEST(Cyberscope, PlanesAreTheWindowTurnedAndSideBySide)
{
    // 8 x 5: half 4, window rows 0..3, columns 1..5, divider 0 (columns 3 and 4).
    Picture left(8, 5), right(8, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) {
            left.at(x, y) = static_cast<std::uint32_t>(y * 16 + x);
            right.at(x, y) = static_cast<std::uint32_t>(1000 + y * 16 + x);
        }
    CyberscopeLayout l;
    ASSERT_TRUE(cyberscopeLayout(8, 5, l));
    std::vector<std::uint32_t> lp(4 * 5), rp(4 * 5);
    cyberscopeLeftPlane(left.view, l, lp);
    cyberscopeRightPlane(right.view, l, rp);
    composeCyberscope(right.view, l, lp, rp);
    // Left (x, y) = image row x, column 1 + (4 - y); right (x, y) = row 3 - x, column 1 + y.
    EXPECT_EQ(right.at(0, 0), 0u * 16 + 5);
    EXPECT_EQ(right.at(2, 0), 2u * 16 + 5);
    EXPECT_EQ(right.at(0, 4), 0u * 16 + 1);
    EXPECT_EQ(right.at(1, 2), 1u * 16 + 3);
    EXPECT_EQ(right.at(5, 1), 1000u + 2 * 16 + 2);
    EXPECT_EQ(right.at(7, 4), 1000u + 0 * 16 + 5);
    EXPECT_EQ(right.at(6, 0), 1000u + 1 * 16 + 1);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(right.at(3, y), 0u);
        EXPECT_EQ(right.at(4, y), 0u);
    }
}

TEST(RedBlue, RedFromTheLeftGreenAndBlueFromTheRight)
{
    Picture p(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) p.at(x, y) = packPixel(99, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 255);
    const std::vector<std::uint8_t> reds = {1, 2, 3, 4, 5, 6};
    composeRedBlue(p.view, reds);
    EXPECT_EQ(p.at(0, 0), packPixel(1, 0, 0, 0));
    EXPECT_EQ(p.at(2, 1), packPixel(6, 2, 1, 0));
}

void saveFlat(const std::string& path, int w, int h, std::uint32_t colour)
{
    Picture p(w, h);
    for (int y = 0; y < h; ++y) std::fill_n(p.view.row(y), w, colour);
    ASSERT_EQ(saveTarga(p.plane, {w, h}, path, false), ImageStatus::Ok);
}

TEST(StereoPair, RedBlueFromTwoFiles)
{
    TempDir dir("stereo");
    saveFlat(dir / "l.tga", 6, 4, packPixel(200, 1, 2));
    saveFlat(dir / "r.tga", 6, 4, packPixel(10, 20, 30));
    Picture p(6, 4);
    ScriptedFrontend ui;
    LoadedImageInfo info;
    ui.fileAnswers = {dir / "l.tga", dir / "r.tga"};
    ASSERT_EQ(loadStereoPair(ui, p.plane, {6, 4}, StereoKind::RedBlue, info, ""), 1);
    EXPECT_EQ(p.at(5, 3), packPixel(200, 20, 30, 0));
    EXPECT_EQ(ui.fileRequests[0].title, "Left Image");
    EXPECT_EQ(ui.fileRequests[1].title, "Right Image");
    EXPECT_EQ(info.width, 6);
    EXPECT_EQ(info.bits, 24);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(StereoPair, FailuresAndCancels)
{
    TempDir dir("stereofail");
    saveFlat(dir / "l.tga", 6, 4, packPixel(200, 1, 2));
    saveFlat(dir / "small.tga", 5, 4, packPixel(10, 20, 30));
    Picture p(6, 4);
    LoadedImageInfo info{1, 1, 1};

    ScriptedFrontend mismatch;
    mismatch.fileAnswers = {dir / "l.tga", dir / "small.tga"};
    EXPECT_EQ(loadStereoPair(mismatch, p.plane, {6, 4}, StereoKind::RedBlue, info, ""), 0);
    EXPECT_EQ(mismatch.messages,
              (std::vector<std::string>{"Files must be same dimensions.", "Error reading file: \"Stereo image\""}));
    EXPECT_EQ(info.width, 0);

    ScriptedFrontend cancelled;
    cancelled.fileAnswers = {dir / "l.tga"};
    EXPECT_EQ(loadStereoPair(cancelled, p.plane, {6, 4}, StereoKind::Cyberscope, info, ""), -1);

    ScriptedFrontend missing;
    missing.fileAnswers = {dir / "none.tga"};
    EXPECT_EQ(loadStereoPair(missing, p.plane, {6, 4}, StereoKind::RedBlue, info, ""), 0);
    EXPECT_EQ(missing.messages, std::vector<std::string>{"Error reading file: \"Stereo image\""});

    ScriptedFrontend tooWide;
    tooWide.fileAnswers = {dir / "l.tga", dir / "l.tga"};
    EXPECT_EQ(loadStereoPair(tooWide, p.plane, {6, 2}, StereoKind::Cyberscope, info, ""), 0);
    EXPECT_EQ(tooWide.messages, std::vector<std::string>{kCyberscopeSize});
    EXPECT_TRUE(tooWide.fileRequests.empty()) << "refused before asking for files";

    ScriptedFrontend choice;
    choice.askAnswers = {false};
    choice.fileAnswers = {dir / "l.tga", dir / "l.tga"};
    EXPECT_EQ(commandLoadStereo(choice, p.plane, {6, 4}, info, ""), 1);
    EXPECT_EQ(choice.questions[0], "Red/Blue or Cyberscope? [Red/Blue|Cyberscope]");
    EXPECT_EQ(p.at(2, 0), 0u) << "the Cyberscope divider";
}

} // namespace
} // namespace kalvenor
