#include "codecs/jpeg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <jpeglib.h>

#include "codecs/image_test_support.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::fillGradient;
using testing::Picture;
using testing::TempDir;

// A smooth picture, which JPEG keeps within a few levels.
void fillSmooth(const PixelView& v)
{
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x)
            v.row(y)[x] = packPixel(static_cast<std::uint8_t>(40 + x * 3), static_cast<std::uint8_t>(60 + y * 4),
                                    static_cast<std::uint8_t>(200 - x - y), 77);
}

int largestDifference(const Picture& a, const Picture& b)
{
    int worst = 0;
    for (int y = 0; y < a.view.height; ++y)
        for (int x = 0; x < a.view.width; ++x) {
            const std::uint32_t p = a.at(x, y), q = b.at(x, y);
            worst = std::max({worst, std::abs(pixelRed(p) - pixelRed(q)), std::abs(pixelGreen(p) - pixelGreen(q)),
                              std::abs(pixelBlue(p) - pixelBlue(q))});
        }
    return worst;
}

// A JPEG of one component made directly with the library (a grey file as other writers make it).
std::vector<std::uint8_t> greyJpeg(int w, int h)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> line(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) line[static_cast<std::size_t>(x)] = static_cast<JSAMPLE>(100 + x + y);
        JSAMPROW rows[1] = {line.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<std::uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

TEST(Jpeg, QualityIsHeldTo25Through100)
{
    const std::pair<long, int> cases[] = {{10, 25}, {-3, 25}, {24, 25}, {25, 25}, {90, 90}, {100, 100}, {101, 100}};
    for (const auto& [in, out] : cases) EXPECT_EQ(clampJpegQuality(in), out) << in;
}

TEST(Jpeg, OwnFilesRoundTripWithinATolerance)
{
    TempDir dir("jpg");
    Picture src(47, 33);
    fillSmooth(src.view);
    const std::string path = dir / "a/b.jpg";
    ASSERT_EQ(saveJpeg(src.plane, {47, 33}, 95, path), ImageStatus::Ok);
    const std::string file = testing::readFile(path);
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(static_cast<unsigned char>(file[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(file[1]), 0xD8);

    Picture dst(47, 33, 0xFFFFFFFF);
    JpegInfo info;
    ASSERT_EQ(loadJpeg(path, dst.view, info), ImageStatus::Ok);
    EXPECT_EQ(info.width, 47);
    EXPECT_EQ(info.height, 33);
    EXPECT_EQ(info.components, 3);
    EXPECT_LE(largestDifference(src, dst), 8);
    EXPECT_EQ(pixelClass(dst.at(5, 5)), 0) << "the fourth byte is 0";

    // A lower quality makes a smaller file of the same picture.
    ASSERT_EQ(saveJpeg(src.plane, {47, 33}, 25, dir / "low.jpg"), ImageStatus::Ok);
    EXPECT_LT(testing::readFile(dir / "low.jpg").size(), file.size());
}

TEST(Jpeg, GreyFilesLoadAsGreyAndClipToTheTarget)
{
    const auto file = greyJpeg(20, 12);
    Picture p(30, 10, 5);
    const PixelView small{p.view.pixels, 16, 8, p.view.stride};
    JpegInfo info;
    ASSERT_EQ(decodeJpeg(file, small, info), ImageStatus::Ok);
    EXPECT_EQ(info.width, 20);
    EXPECT_EQ(info.components, 1);
    for (const auto& [x, y] : {std::pair{0, 0}, {15, 7}, {3, 5}}) {
        const std::uint32_t v = p.at(x, y);
        EXPECT_EQ(pixelRed(v), pixelGreen(v));
        EXPECT_EQ(pixelRed(v), pixelBlue(v));
        EXPECT_NEAR(pixelRed(v), 100 + x + y, 2);
        EXPECT_EQ(pixelClass(v), 0);
    }
    EXPECT_EQ(p.at(16, 0), 5u);
    EXPECT_EQ(p.at(0, 8), 5u);
}

TEST(Jpeg, DamagedFilesFailSoundly)
{
    TempDir dir("jpgbad");
    Picture src(40, 40);
    fillGradient(src.view);
    ASSERT_EQ(saveJpeg(src.plane, {40, 40}, 90, dir / "g.jpg"), ImageStatus::Ok);
    const std::string good = testing::readFile(dir / "g.jpg");
    const auto bytes = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    std::string badMarker = good;
    badMarker[1] = 0x00; // no start-of-image marker
    std::string headerOnly = good.substr(0, 200);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"not a JPEG", bytes("GIF89a not a jpeg at all")},
        {"start marker only", bytes(good.substr(0, 2))},
        {"cut in the header", bytes(good.substr(0, 100))},
        {"damaged marker", bytes(badMarker)},
    };
    for (const Case& c : cases) {
        Picture p(40, 40, 9);
        JpegInfo info;
        EXPECT_NE(decodeJpeg(c.file, p.view, info), ImageStatus::Ok) << c.name;
    }
    // Cut within the picture data: the library would fill in what is missing
    // and warn; such a picture is not the file's and is refused.
    Picture p(40, 40, 9);
    JpegInfo info;
    EXPECT_NE(decodeJpeg(bytes(good.substr(0, good.size() / 2)), p.view, info), ImageStatus::Ok);
}

// A header is not believed beyond what the program can use or the file can
// justify: a picture larger than the largest image side is refused unread,
// and a small file that claims a huge progressive picture fails at once within
// a memory bound that follows the file's size.
TEST(Jpeg, HugeClaimsFailBeforeTheyCost)
{
    TempDir dir("jpghuge");
    Picture src(40, 40);
    fillGradient(src.view);
    ASSERT_EQ(saveJpeg(src.plane, {40, 40}, 90, dir / "g.jpg"), ImageStatus::Ok);
    std::string file = testing::readFile(dir / "g.jpg");
    const std::size_t sof = file.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    const auto claim = [&](int side, char marker) {
        std::string copy = file;
        copy[sof + 1] = marker;
        copy[sof + 5] = copy[sof + 7] = static_cast<char>(side >> 8);
        copy[sof + 6] = copy[sof + 8] = static_cast<char>(side & 0xFF);
        return std::vector<std::uint8_t>(copy.begin(), copy.end());
    };
    Picture p(40, 40, 9);
    JpegInfo info;
    EXPECT_EQ(decodeJpeg(claim(16000, '\xC0'), p.view, info), ImageStatus::TooLarge);
    EXPECT_NE(decodeJpeg(claim(8000, '\xC2'), p.view, info), ImageStatus::Ok); // progressive: 384 MB of coefficients
}

TEST(Jpeg, AFailedWriteLeavesNoFile)
{
    TempDir dir("jpgw");
    testing::writeFile(dir / "block", "x");
    Picture src(8, 8);
    EXPECT_EQ(saveJpeg(src.plane, {8, 8}, 90, dir / "block/x.jpg"), ImageStatus::WriteFailed);
    ImagePlane<std::uint32_t> none;
    EXPECT_EQ(saveJpeg(none, {8, 8}, 90, dir / "n.jpg"), ImageStatus::NoBuffer);
    EXPECT_FALSE(std::filesystem::exists(dir / "n.jpg"));
}

} // namespace
} // namespace kalvenor
