#include "codecs/png.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <png.h>

#include "codecs/image_test_support.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::fillGradient;
using testing::TempDir;

// At every packing level (and at one outside 0 .. 9, which means the default).
class PngLevels : public ::testing::TestWithParam<int> {};

TEST_P(PngLevels, WrittenPixelsReadBackExactly)
{
    TempDir dir("png");
    ImagePlane<std::uint32_t> plane;
    ASSERT_TRUE(plane.allocate(50, 40));
    const PixelView view = viewOf(plane, {47, 33});
    fillGradient(view);
    const std::string path = dir / "out/p.png";
    ASSERT_EQ(savePng(plane, {47, 33}, path, GetParam()), ImageStatus::Ok);

    // Read with libpng's own simple reader, independent of our writer's code.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, 47u);
    EXPECT_EQ(image.height, 33u);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x) {
            const std::size_t at = 3 * (static_cast<std::size_t>(y) * 47 + static_cast<std::size_t>(x));
            const std::uint32_t p = view.row(y)[x];
            ASSERT_EQ(rgb[at], pixelRed(p));
            ASSERT_EQ(rgb[at + 1], pixelGreen(p));
            ASSERT_EQ(rgb[at + 2], pixelBlue(p));
        }
}

INSTANTIATE_TEST_SUITE_P(Png, PngLevels, ::testing::Values(0, 1, 2, 3, 4, 9, -1, 10));

// The higher levels pack harder: a picture with detail comes out no larger at 9 than at 1.
TEST(Png, HigherLevelsPackSmaller)
{
    TempDir dir("pnglevel");
    ImagePlane<std::uint32_t> plane;
    ASSERT_TRUE(plane.allocate(256, 128));
    const PixelView view = viewOf(plane, {256, 128});
    std::uint32_t noise = 12345;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) {
            noise = noise * 1103515245u + 12345u;
            const std::uint32_t grain = (noise >> 16) & 15;
            const auto byte = [](std::uint32_t v) { return static_cast<std::uint8_t>(v); };
            view.row(y)[x] = packPixel(byte(x + grain), byte(y * 2 + grain), byte((x + y) / 2 + grain));
        }
    ASSERT_EQ(savePng(plane, {256, 128}, dir / "fast.png", 1), ImageStatus::Ok);
    ASSERT_EQ(savePng(plane, {256, 128}, dir / "small.png", 9), ImageStatus::Ok);
    EXPECT_LT(std::filesystem::file_size(dir / "small.png"), std::filesystem::file_size(dir / "fast.png"));
}

TEST(Png, FailuresLeaveNoFile)
{
    TempDir dir("pngbad");
    testing::writeFile(dir / "block", "x");
    ImagePlane<std::uint32_t> plane;
    ASSERT_TRUE(plane.allocate(4, 4));
    EXPECT_EQ(savePng(plane, {4, 4}, dir / "block/p.png"), ImageStatus::WriteFailed);
    ImagePlane<std::uint32_t> none;
    EXPECT_EQ(savePng(none, {4, 4}, dir / "n.png"), ImageStatus::NoBuffer);
    EXPECT_FALSE(std::filesystem::exists(dir / "n.png"));
}

} // namespace
} // namespace kalvenor
