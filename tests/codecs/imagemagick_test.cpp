// Files we write open in ImageMagick with the same pixels, and files
// ImageMagick writes load in our readers. Skipped when ImageMagick is missing.
#include <gtest/gtest.h>

#include "codecs/bmp.h"
#include "codecs/image_test_support.h"
#include "codecs/jpeg.h"
#include "codecs/pcx.h"
#include "codecs/png.h"
#include "codecs/targa.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::colourOf;
using testing::TempDir;

class ImageMagick : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testing::haveConvert()) GTEST_SKIP() << "ImageMagick (/usr/bin/convert) is not installed";
        plane.allocate(47, 33);
        view = viewOf(plane, {47, 33});
        testing::fillGradient(view);
        // A flat band and a flat block, so run-length coders have runs to find.
        std::fill_n(view.row(4), 47, packPixel(9, 200, 40, 3));
        for (int y = 10; y < 20; ++y) std::fill_n(view.row(y) + 5, 30, packPixel(250, 250, 250));
    }

    // The largest and the mean channel difference between the picture and red,
    // green, blue bytes from the top row.
    struct Difference {
        int largest = 256;
        double mean = 256;
    };
    Difference difference(const std::string& rgb) const
    {
        EXPECT_EQ(rgb.size(), 47u * 33 * 3);
        if (rgb.size() != 47u * 33 * 3) return {};
        int worst = 0;
        long sum = 0;
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 47; ++x) {
                const std::uint32_t p = view.row(y)[x];
                const auto* q = reinterpret_cast<const std::uint8_t*>(&rgb[3 * (static_cast<std::size_t>(y) * 47 + x)]);
                for (const int d : {std::abs(q[0] - pixelRed(p)), std::abs(q[1] - pixelGreen(p)),
                                    std::abs(q[2] - pixelBlue(p))}) {
                    worst = std::max(worst, d);
                    sum += d;
                }
            }
        return {worst, static_cast<double>(sum) / (47.0 * 33 * 3)};
    }

    // Converts our picture (as a PPM) with ImageMagick into a file of the given name and options.
    std::string theirs(const std::string& options, const std::string& name)
    {
        const std::string ppm = dir / "in.ppm";
        testing::writeFile(ppm, testing::ppmOf(view));
        // "FORMAT:name" names the format ImageMagick writes.
        const std::size_t colon = name.find(':');
        const std::string format = colon == std::string::npos ? "" : name.substr(0, colon + 1);
        const std::string out = dir / name.substr(format.size());
        EXPECT_TRUE(
            testing::runCommand(std::string(testing::kConvert) + " '" + ppm + "' " + options + " '" + format + out + "'"))
            << options << " " << name;
        return out;
    }

    Difference loadedDifference(const PixelView& loaded) const { return difference(testing::ppmOf(loaded).substr(13)); }

    TempDir dir{"magick"};
    ImagePlane<std::uint32_t> plane;
    PixelView view;
};

TEST_F(ImageMagick, ReadsOurTrueColourFilesWithIdenticalPixels)
{
    ASSERT_EQ(saveTarga(plane, {47, 33}, dir / "u.tga", false), ImageStatus::Ok);
    ASSERT_EQ(saveTarga(plane, {47, 33}, dir / "c.tga", true), ImageStatus::Ok);
    ASSERT_EQ(saveBmp(plane, {47, 33}, dir / "b.bmp"), ImageStatus::Ok);
    ASSERT_EQ(savePng(plane, {47, 33}, dir / "p.png"), ImageStatus::Ok);
    for (const char* name : {"u.tga", "c.tga", "b.bmp", "p.png"}) {
        std::string rgb;
        ASSERT_TRUE(testing::decodeWithConvert(dir / name, rgb)) << name;
        EXPECT_EQ(difference(rgb).largest, 0) << name;
    }
}

TEST_F(ImageMagick, ReadsOurJpegWithinATolerance)
{
    // A smooth picture: JPEG's subsampled colour keeps it within a few levels.
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x)
            view.row(y)[x] = packPixel(static_cast<std::uint8_t>(40 + x * 3), static_cast<std::uint8_t>(60 + y * 4),
                                       static_cast<std::uint8_t>(200 - x - y));
    ASSERT_EQ(saveJpeg(plane, {47, 33}, 95, dir / "j.jpg"), ImageStatus::Ok);
    std::string rgb;
    ASSERT_TRUE(testing::decodeWithConvert(dir / "j.jpg", rgb));
    const Difference d = difference(rgb);
    EXPECT_LE(d.largest, 8);
    EXPECT_LT(d.mean, 2.0);
}

TEST_F(ImageMagick, ReadsOurBitmapOfWidthOne)
{
    ImagePlane<std::uint32_t> thin;
    thin.allocate(1, 5);
    for (int y = 0; y < 5; ++y) thin[y][0] = packPixel(static_cast<std::uint8_t>(y * 50), 7, 200);
    ASSERT_EQ(saveBmp(thin, {1, 5}, dir / "thin.bmp"), ImageStatus::Ok);
    std::string rgb;
    ASSERT_TRUE(testing::decodeWithConvert(dir / "thin.bmp", rgb));
    ASSERT_EQ(rgb.size(), 15u);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(static_cast<std::uint8_t>(rgb[3 * y]), y * 50);
        EXPECT_EQ(static_cast<std::uint8_t>(rgb[3 * y + 2]), 200);
    }
}

TEST_F(ImageMagick, ReadsOurPcxThroughItsPalette)
{
    ImagePlane<std::uint8_t> indices;
    indices.allocate(47, 33);
    DisplayPalette palette;
    for (std::size_t i = 0; i < 256; ++i) {
        palette.entries[4 * i + 1] = static_cast<std::uint8_t>(i);
        palette.entries[4 * i + 2] = static_cast<std::uint8_t>(i * 3);
        palette.entries[4 * i + 3] = static_cast<std::uint8_t>(255 - i);
    }
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x) indices[y][x] = static_cast<std::uint8_t>(y < 8 ? 231 : (x * 7 + y * 3) & 255);
    ASSERT_EQ(savePcx(indices, {47, 33}, palette, dir / "i.pcx"), ImageStatus::Ok);
    std::string rgb;
    ASSERT_TRUE(testing::decodeWithConvert(dir / "i.pcx", rgb));
    ASSERT_EQ(rgb.size(), 47u * 33 * 3);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x) {
            const std::size_t i = indices[y][x];
            const auto* q = reinterpret_cast<const std::uint8_t*>(&rgb[3 * (static_cast<std::size_t>(y) * 47 + x)]);
            ASSERT_EQ(q[0], palette.entries[4 * i + 1]) << x << "," << y;
            ASSERT_EQ(q[1], palette.entries[4 * i + 2]) << x << "," << y;
            ASSERT_EQ(q[2], palette.entries[4 * i + 3]) << x << "," << y;
        }
}

TEST_F(ImageMagick, ItsTargaAndBitmapFilesLoadInOurReaders)
{
    struct Case {
        const char* options;
        const char* name;
        bool targa;
    };
    // ImageMagick writes a Targa's rows in the order it holds them and says
    // "bottom-up" unless told otherwise, so a bottom-up file of the picture is
    // made from the picture turned over.
    const Case cases[] = {
        {"-flip -compress RLE", "rle.tga", true},
        {"-flip -compress None", "raw.tga", true},
        {"-orient TopLeft", "top.tga", true},
        {"-orient TopLeft -compress RLE", "toprle.tga", true},
        {"-flip -alpha set", "alpha.tga", true},
        {"", "v5.bmp", false},
        {"", "BMP3:bmp3.bmp", false},
    };
    for (const Case& c : cases) {
        const std::string path = theirs(c.options, c.name);
        // The file must show the picture to ImageMagick too.
        std::string rgb;
        ASSERT_TRUE(testing::decodeWithConvert(path, rgb)) << c.name;
        EXPECT_EQ(difference(rgb).largest, 0) << c.name << " as ImageMagick reads it";
        ImagePlane<std::uint32_t> out;
        out.allocate(47, 33);
        const PixelView v = viewOf(out, {47, 33});
        if (c.targa) {
            TargaHeader header;
            ASSERT_EQ(loadTarga(path, v, TargaMode::Opaque, header), ImageStatus::Ok) << c.name;
        } else {
            BmpHeader header;
            ASSERT_EQ(loadBmp(path, v, header), ImageStatus::Ok) << c.name;
        }
        EXPECT_EQ(loadedDifference(v).largest, 0) << c.name;
    }
}

TEST_F(ImageMagick, ItsPalettePcxAndJpegFilesLoadInOurReaders)
{
    // 16 x 12 distinct colours fit one palette, so ImageMagick keeps them exactly.
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x) view.row(y)[x] = packPixel(static_cast<std::uint8_t>((x % 16) * 16), static_cast<std::uint8_t>((y % 12) * 20), 77);
    const std::string pcx = theirs("-type Palette", "pal.pcx");
    ImagePlane<std::uint8_t> indices;
    indices.allocate(47, 33);
    DisplayPalette palette;
    PcxHeader header;
    ASSERT_EQ(loadPcx(pcx, indices, {47, 33}, palette, header), ImageStatus::Ok);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x) {
            const std::size_t i = indices[y][x];
            const std::uint32_t want = view.row(y)[x];
            ASSERT_EQ(palette.entries[4 * i + 1], pixelRed(want)) << x << "," << y;
            ASSERT_EQ(palette.entries[4 * i + 2], pixelGreen(want)) << x << "," << y;
            ASSERT_EQ(palette.entries[4 * i + 3], pixelBlue(want)) << x << "," << y;
        }

    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x)
            view.row(y)[x] = packPixel(static_cast<std::uint8_t>(40 + x * 3), static_cast<std::uint8_t>(60 + y * 4),
                                       static_cast<std::uint8_t>(200 - x - y));
    const std::string jpg = theirs("-quality 95", "their.jpg");
    ImagePlane<std::uint32_t> out;
    out.allocate(47, 33);
    const PixelView v = viewOf(out, {47, 33});
    JpegInfo info;
    ASSERT_EQ(loadJpeg(jpg, v, info), ImageStatus::Ok);
    EXPECT_LE(loadedDifference(v).largest, 8);

    const std::string grey = theirs("-colorspace Gray", "grey.jpg");
    ASSERT_EQ(loadJpeg(grey, v, info), ImageStatus::Ok);
    EXPECT_EQ(info.components, 1);
    EXPECT_EQ(pixelRed(v.row(3)[3]), pixelBlue(v.row(3)[3]));
}

} // namespace
} // namespace kalvenor
