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

TEST(Png, WrittenPixelsReadBackExactly)
{
    TempDir dir("png");
    ImagePlane<std::uint32_t> plane;
    ASSERT_TRUE(plane.allocate(50, 40));
    const PixelView view = viewOf(plane, {47, 33});
    fillGradient(view);
    const std::string path = dir / "out/p.png";
    ASSERT_EQ(savePng(plane, {47, 33}, path), ImageStatus::Ok);

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
