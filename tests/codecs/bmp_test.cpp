#include "codecs/bmp.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/byte_order.h"
#include "codecs/image_test_support.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::colourOf;
using testing::fillGradient;
using testing::Picture;
using testing::TempDir;

TEST(Bmp, PaddedRowSizes)
{
    const std::pair<int, std::size_t> cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {47, 144}};
    for (const auto& [w, bytes] : cases) EXPECT_EQ(bmpRowBytes(w), bytes) << w;
}

TEST(Bmp, OwnFilesRoundTripAtEveryPadding)
{
    TempDir dir("bmp");
    for (const int w : {1, 2, 3, 4, 47}) {
        Picture src(w, 33);
        fillGradient(src.view);
        const std::string path = dir / ("p" + std::to_string(w) + ".bmp");
        ASSERT_EQ(saveBmp(src.plane, {w, 33}, path), ImageStatus::Ok);
        const std::string file = testing::readFile(path);
        ASSERT_EQ(file.size(), 54 + 33 * bmpRowBytes(w)) << w;
        const auto* h = reinterpret_cast<const std::uint8_t*>(file.data());
        EXPECT_EQ(h[0], 'B');
        EXPECT_EQ(h[1], 'M');
        EXPECT_EQ(get32le(h + kBmpFileSize), file.size());
        EXPECT_EQ(get32le(h + kBmpDataOffset), 54u);
        EXPECT_EQ(get32le(h + kBmpInfoSize), 40u);
        EXPECT_EQ(get32le(h + kBmpWidth), static_cast<std::uint32_t>(w));
        EXPECT_EQ(get32le(h + kBmpHeight), 33u);
        EXPECT_EQ(get16le(h + kBmpPlanes), 1);
        EXPECT_EQ(get16le(h + kBmpBitCount), 24);
        for (std::size_t at = 30; at < 54; ++at) EXPECT_EQ(h[at], 0) << at;
        // The first stored row is the bottom one, blue first.
        EXPECT_EQ(h[54], pixelBlue(src.at(0, 32)));
        EXPECT_EQ(h[56], pixelRed(src.at(0, 32)));

        Picture dst(w, 33, 0xFFFFFFFF);
        BmpHeader header;
        ASSERT_EQ(loadBmp(path, dst.view, header), ImageStatus::Ok);
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(dst.at(x, y), colourOf(src.at(x, y))) << w << ": " << x << "," << y;
    }
}

std::vector<std::uint8_t> fileOf(int w, int h)
{
    const auto header = bmpHeaderBytes(w, h);
    std::vector<std::uint8_t> out(header.begin(), header.end());
    for (int y = 0; y < h; ++y)
        for (std::size_t i = 0; i < bmpRowBytes(w); ++i) out.push_back(static_cast<std::uint8_t>(y * 16 + i));
    return out;
}

TEST(Bmp, DataOffsetIsFollowedAndSizesClipped)
{
    // Pixel data 10 bytes further on, as after a larger information header.
    auto file = fileOf(3, 4);
    file.insert(file.begin() + 54, 10, 0xEE);
    put32le(&file[kBmpDataOffset], 64);
    put32le(&file[30], 1); // a compression value is not looked at
    Picture p(2, 2, 7);
    BmpHeader header;
    ASSERT_EQ(decodeBmp(file, p.view, header), ImageStatus::Ok);
    // Row 0 read (y = 0 bytes 0..) lands on the bottom target row.
    EXPECT_EQ(p.at(0, 1), packPixel(2, 1, 0));
    EXPECT_EQ(p.at(1, 0), packPixel(16 + 5, 16 + 4, 16 + 3));
}

TEST(Bmp, MalformedFilesFailSoundly)
{
    const auto good = fileOf(3, 4);
    const auto set16 = [](std::vector<std::uint8_t> f, std::size_t at, int v) {
        put16le(&f[at], static_cast<std::uint16_t>(v));
        return f;
    };
    const auto set32 = [](std::vector<std::uint8_t> f, std::size_t at, std::uint32_t v) {
        put32le(&f[at], v);
        return f;
    };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        ImageStatus status;
    };
    const Case cases[] = {
        {"empty", {}, ImageStatus::Truncated},
        {"53 bytes", std::vector<std::uint8_t>(good.begin(), good.begin() + 53), ImageStatus::Truncated},
        {"no signature", set16(good, 0, 0x4142), ImageStatus::BadHeader},
        {"32 bits", set16(good, kBmpBitCount, 32), ImageStatus::BadHeader},
        {"8 bits", set16(good, kBmpBitCount, 8), ImageStatus::BadHeader},
        {"two planes", set16(good, kBmpPlanes, 2), ImageStatus::BadHeader},
        {"rows from the top", set32(good, kBmpHeight, static_cast<std::uint32_t>(-4)), ImageStatus::BadHeader},
        {"width 0", set32(good, kBmpWidth, 0), ImageStatus::BadHeader},
        {"huge width", set32(good, kBmpWidth, 0x7FFFFFFF), ImageStatus::TooLarge},
        {"row past 32 KiB", set32(good, kBmpWidth, 10923), ImageStatus::TooLarge},
        {"lying height", set32(good, kBmpHeight, 400), ImageStatus::Truncated},
        {"offset past the end", set32(good, kBmpDataOffset, 0xFFFFFFF0u), ImageStatus::Truncated},
        {"rows cut short", std::vector<std::uint8_t>(good.begin(), good.end() - 1), ImageStatus::Truncated},
    };
    for (const Case& c : cases) {
        Picture p(16, 16);
        BmpHeader header;
        EXPECT_EQ(decodeBmp(c.file, p.view, header), c.status) << c.name;
    }
}

} // namespace
} // namespace kalvenor
