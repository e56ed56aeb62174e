#include "codecs/image_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/image_test_support.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::TempDir;

struct ExpectedRow {
    ImageFormat format;
    const char* name;
    const char* extension;
    ImageFamily family;
    const char* title;
    WriterSetting setting;
    bool loads;
    bool saves;
    std::string signature; // the first bytes of a file the row writes (a Targa compressed)
    int tolerance;         // the largest channel difference after a round trip
};

std::vector<ExpectedRow> expectedRows()
{
    using enum ImageFamily;
    return {
        {ImageFormat::Targa, "tga", ".TGA", Still24, "Targa24", WriterSetting::RunLength, true, true,
         std::string("\0\0\x0A", 3), 0},
        {ImageFormat::Bmp, "bmp", ".BMP", Still24, "BMP", WriterSetting::None, true, true, "BM", 0},
        {ImageFormat::Jpeg, "jpg", ".JPG", Still24, "JPEG", WriterSetting::Quality, true, true, "\xFF\xD8", 8},
        {ImageFormat::Pcx, "pcx", ".PCX", Still8, "PCX", WriterSetting::None, true, true, "\x0A\x05\x01\x08", 0},
        {ImageFormat::Png, "png", ".PNG", Still24, "PNG", WriterSetting::None, false, true, "\x89PNG", 0},
        {ImageFormat::Kanim, "kan", ".KAN", Animation, "KANIM", WriterSetting::None, false, false, "", 0},
        {ImageFormat::Flc, "flc", ".FLC", Animation, "FLC", WriterSetting::None, false, false, "", 0},
        {ImageFormat::Avi, "avi", ".AVI", Animation, "AVI", WriterSetting::None, false, false, "", 0},
    };
}

std::string inSmallLetters(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TEST(ImageFormats, EveryRowNamesItsFormat)
{
    ASSERT_EQ(imageFormatTable().size(), expectedRows().size());
    for (const ExpectedRow& e : expectedRows()) {
        SCOPED_TRACE(e.name);
        const ImageFormatRow& row = imageFormatRow(e.format);
        EXPECT_EQ(row.format, e.format);
        EXPECT_EQ(&row, &imageFormatTable()[static_cast<std::size_t>(e.format)]);
        EXPECT_STREQ(row.name, e.name);
        EXPECT_STREQ(row.extension, e.extension);
        EXPECT_EQ(row.family, e.family);
        EXPECT_STREQ(row.title, e.title);
        EXPECT_EQ(row.setting, e.setting);
        EXPECT_EQ(row.load != nullptr, e.loads);
        EXPECT_EQ(row.save != nullptr, e.saves);
        EXPECT_EQ(isAnimationFile(e.format), e.family == ImageFamily::Animation);
    }
}

TEST(ImageFormats, CommandLineWordsAreTakenAsWritten)
{
    for (const ExpectedRow& e : expectedRows()) {
        EXPECT_EQ(imageFormatNamed(e.name), e.format) << e.name;
        std::string loud = e.name;
        for (char& c : loud) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(imageFormatNamed(loud), std::nullopt) << loud;
    }
    for (const char* word : {"", "jpeg", "gif", "targa", ".tga"}) EXPECT_EQ(imageFormatNamed(word), std::nullopt) << word;
}

TEST(ImageFormats, ExtensionsAreFoundInAnyLetterCase)
{
    for (const ExpectedRow& e : expectedRows()) {
        const std::string extension = e.extension;
        std::string mixed = inSmallLetters(extension);
        mixed[1] = static_cast<char>(std::toupper(static_cast<unsigned char>(mixed[1])));
        for (const std::string& written : {extension, inSmallLetters(extension), mixed})
            EXPECT_EQ(imageFormatOfExtension(written), e.format) << written;
    }
    for (const char* jpeg : {".jpeg", ".JPEG", ".Jpeg"}) EXPECT_EQ(imageFormatOfExtension(jpeg), ImageFormat::Jpeg);
    for (const char* other : {"", ".", "tga", ".gif", ".tgax", ".jp", ".jpegs", ".targa"})
        EXPECT_EQ(imageFormatOfExtension(other), std::nullopt) << other;
}

// The program's two pictures and its palette at one size, each filled with a pattern of its own.
struct Pictures {
    ImageBuffers images;
    DisplayPalette palette;
    Pictures(int w, int h, bool patterned)
    {
        images.vidmem24.allocate(w, h);
        images.vidmem8.allocate(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Smooth, which JPEG keeps within a few levels.
                images.vidmem24[y][x] =
                    patterned ? packPixel(static_cast<std::uint8_t>(40 + x * 3), static_cast<std::uint8_t>(60 + y * 4),
                                          static_cast<std::uint8_t>(200 - x - y), 0)
                              : 0xFFFFFFFFu;
                images.vidmem8[y][x] = patterned ? static_cast<std::uint8_t>(x * 7 + y * 13) : 0xEE;
            }
        for (std::size_t i = 0; i < palette.entries.size(); ++i)
            palette.entries[i] = patterned && i % 4 != 0 ? static_cast<std::uint8_t>(i * 5 + 1) : 0;
    }
};

int largestDifference(ImagePlane<std::uint32_t>& a, ImagePlane<std::uint32_t>& b, int w, int h)
{
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = a[y][x], q = b[y][x];
            worst = std::max({worst, std::abs(pixelRed(p) - pixelRed(q)), std::abs(pixelGreen(p) - pixelGreen(q)),
                              std::abs(pixelBlue(p) - pixelBlue(q))});
        }
    return worst;
}

TEST(ImageFormats, EveryStillPictureRoundTripsThroughItsRow)
{
    constexpr int w = 19, h = 11;
    RenderSettings render;
    render.targaCompress = 1;
    render.jpegQuality = 95;
    for (const ExpectedRow& e : expectedRows()) {
        if (!e.saves) continue;
        SCOPED_TRACE(e.name);
        TempDir dir("formats");
        const ImageFormatRow& row = imageFormatRow(e.format);
        Pictures source(w, h, true);
        const std::string path = dir / (std::string("p") + e.extension);
        ASSERT_EQ(row.save(path, imageFileContext(source.images, source.palette, {w, h}, render)), ImageStatus::Ok);
        EXPECT_EQ(testing::readFile(path).substr(0, e.signature.size()), e.signature);
        if (!e.loads) continue;

        Pictures loaded(w, h, false);
        LoadedImageInfo info;
        ASSERT_EQ(row.load(path, imageFileContext(loaded.images, loaded.palette, {w, h}, render), info),
                  ImageStatus::Ok);
        EXPECT_EQ(info.width, w);
        EXPECT_EQ(info.height, h);
        if (e.family == ImageFamily::Still8) {
            EXPECT_EQ(info.bits, 8);
            for (int y = 0; y < h; ++y)
                EXPECT_TRUE(std::equal(loaded.images.vidmem8[y], loaded.images.vidmem8[y] + w, source.images.vidmem8[y]))
                    << "row " << y;
            EXPECT_EQ(loaded.palette.entries, source.palette.entries) << "the file's palette is shown";
        } else {
            EXPECT_EQ(info.bits, 24);
            EXPECT_LE(largestDifference(loaded.images.vidmem24, source.images.vidmem24, w, h), e.tolerance);
        }
    }
}

TEST(ImageFormats, WritersTakeTheSettingsOfTheContext)
{
    TempDir dir("settings");
    Pictures source(40, 30, true);
    ImageFileContext context = imageFileContext(source.images, source.palette, {40, 30}, RenderSettings{});
    for (const bool compress : {false, true}) {
        context.targaCompress = compress;
        ASSERT_EQ(imageFormatRow(ImageFormat::Targa).save(dir / "t.tga", context), ImageStatus::Ok);
        EXPECT_EQ(testing::readFile(dir / "t.tga")[2], compress ? 10 : 2);
    }
    context.jpegQuality = 25;
    ASSERT_EQ(imageFormatRow(ImageFormat::Jpeg).save(dir / "low.jpg", context), ImageStatus::Ok);
    context.jpegQuality = 100;
    ASSERT_EQ(imageFormatRow(ImageFormat::Jpeg).save(dir / "high.jpg", context), ImageStatus::Ok);
    EXPECT_LT(std::filesystem::file_size(dir / "low.jpg"), std::filesystem::file_size(dir / "high.jpg"));
}

TEST(ImageFormats, WithoutTheirPictureRowsNeitherWriteNorRead)
{
    TempDir dir("nobuffer");
    const ImageFileContext empty;
    for (const ImageFormatRow& row : imageFormatTable()) {
        const std::string path = dir / (std::string("x") + row.extension);
        if (row.save != nullptr) {
            EXPECT_EQ(row.save(path, empty), ImageStatus::NoBuffer) << row.name;
        }
        EXPECT_FALSE(std::filesystem::exists(path)) << row.name;
        LoadedImageInfo info{1, 2, 3};
        if (row.load != nullptr) {
            EXPECT_EQ(row.load(path, empty, info), ImageStatus::NoBuffer) << row.name;
        }
        EXPECT_EQ(info.bits, 3) << row.name;
    }
}

TEST(ImageFormats, TheProgramsContextCarriesItsPicturesAndSettings)
{
    ImageBuffers images;
    DisplayPalette palette;
    RenderSettings render;
    render.targaCompress = 1;
    render.jpegQuality = 42;
    const ImageFileContext c = imageFileContext(images, palette, {7, 5}, render);
    EXPECT_EQ(c.vidmem24, &images.vidmem24);
    EXPECT_EQ(c.vidmem8, &images.vidmem8);
    EXPECT_EQ(c.palette, &palette);
    EXPECT_EQ(c.size.width, 7);
    EXPECT_EQ(c.size.height, 5);
    EXPECT_TRUE(c.targaCompress);
    EXPECT_EQ(c.jpegQuality, 42);
}

} // namespace
} // namespace kalvenor
