#include "files/cloud_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/pcx.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::TempDir;

std::vector<std::uint8_t> gradientPattern()
{
    std::vector<std::uint8_t> p(65536);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) p[static_cast<std::size_t>(y * 256 + x)] = static_cast<std::uint8_t>(x ^ (y * 3));
    return p;
}

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

TEST(CloudFile, WrittenAsAGreyPcxUpsideDownAndReadBackUnchanged)
{
    TempDir dir("cld");
    const std::vector<std::uint8_t> pattern = gradientPattern();
    ASSERT_EQ(saveCloudPattern(dir / "sky.cld", pattern), ImageStatus::Ok);
    const std::vector<std::uint8_t> file = bytesOf(testing::readFile(dir / "sky.cld"));
    ASSERT_GT(file.size(), 128u + 769u);
    // The header: 10, version 5, run-length, 8 bits; 0..255 each way; 256 dpi; the 16-colour
    // palette black then white; one plane of 256 bytes per line.
    const std::uint8_t start[] = {10, 5, 1, 8, 0, 0, 0, 0, 255, 0, 255, 0, 0, 1, 0, 1, 0, 0, 0, 255};
    for (std::size_t i = 0; i < sizeof start; ++i) EXPECT_EQ(file[i], start[i]) << i;
    EXPECT_EQ(file[63], 255);
    EXPECT_EQ(file[64], 0);
    EXPECT_EQ(file[65], 1);
    EXPECT_EQ(file[66], 0);
    EXPECT_EQ(file[67], 1);
    EXPECT_EQ(file[68], 0);
    // The grey ramp after the marker 12.
    const std::size_t marker = file.size() - 769;
    EXPECT_EQ(file[marker], 12);
    for (std::size_t i : {0u, 1u, 128u, 255u}) {
        EXPECT_EQ(file[marker + 1 + 3 * i], i);
        EXPECT_EQ(file[marker + 3 + 3 * i], i);
    }
    // The first picture row is pattern row 255: its first bytes 0 ^ 765 & 255 = 253, 1 ^ 253 = 252.
    PcxHeader header;
    ASSERT_EQ(parsePcxHeader(file, header), ImageStatus::Ok);
    std::vector<std::uint8_t> first;
    decodePcxRows(file, header, 1, [&](int, std::span<const std::uint8_t> row) { first.assign(row.begin(), row.end()); });
    ASSERT_EQ(first.size(), 256u);
    EXPECT_EQ(first[0], 253);
    EXPECT_EQ(first[1], 252);

    std::vector<std::uint8_t> loaded(65536, 7);
    ASSERT_EQ(loadCloudPattern(dir / "sky.cld", loaded), ImageStatus::Ok);
    EXPECT_EQ(loaded, pattern);
}

TEST(CloudFile, PaletteGreysRawFilesAndShortPictures)
{
    // A 4 x 3 picture whose palette entry 1 is (100, 200, 50): grey (3000 + 11800 + 550) / 100 = 153.
    const auto header = pcxHeaderBytes(4, 3);
    std::vector<std::uint8_t> file(header.begin(), header.end());
    for (int row = 0; row < 3; ++row)
        for (const std::uint8_t b : {1, 0, 1, 1}) file.push_back(b);
    file.push_back(12);
    for (int i = 0; i < 256; ++i) {
        const bool one = i == 1;
        file.push_back(one ? 100 : static_cast<std::uint8_t>(i));
        file.push_back(one ? 200 : static_cast<std::uint8_t>(i));
        file.push_back(one ? 50 : static_cast<std::uint8_t>(i));
    }
    std::vector<std::uint8_t> pattern(65536, 9);
    ASSERT_EQ(decodeCloudPattern(file, pattern), ImageStatus::Ok);
    // Picture rows 0..2 become pattern rows 255, 254, 253, four columns each; the rest stays.
    for (const int row : {255, 254, 253}) {
        const std::uint8_t* p = &pattern[static_cast<std::size_t>(row * 256)];
        EXPECT_EQ(p[0], 153) << row;
        EXPECT_EQ(p[1], 0) << row;
        EXPECT_EQ(p[3], 153) << row;
        EXPECT_EQ(p[4], 9) << row;
    }
    EXPECT_EQ(pattern[static_cast<std::size_t>(252 * 256)], 9);

    // Cut short inside the second row: nothing of it is taken.
    std::vector<std::uint8_t> shortFile(file.begin(), file.begin() + 128 + 4 + 2);
    std::vector<std::uint8_t> partial(65536, 9);
    EXPECT_EQ(decodeCloudPattern(shortFile, partial), ImageStatus::Truncated);
    EXPECT_EQ(partial, std::vector<std::uint8_t>(65536, 9));

    // Not a picture of this kind: the older raw layout, row 0 first; a file
    // shorter than a pattern is cut and changes nothing.
    std::vector<std::uint8_t> raw(65536);
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> fromRaw(65536, 9);
    ASSERT_EQ(decodeCloudPattern(raw, fromRaw), ImageStatus::Ok);
    EXPECT_EQ(fromRaw, raw);
    std::vector<std::uint8_t> cutRaw(raw.begin(), raw.begin() + 300);
    std::vector<std::uint8_t> kept9(65536, 9);
    EXPECT_EQ(decodeCloudPattern(cutRaw, kept9), ImageStatus::Truncated);
    EXPECT_EQ(kept9, std::vector<std::uint8_t>(65536, 9));
    std::vector<std::uint8_t> tooMuch(70000, 5);
    ASSERT_EQ(decodeCloudPattern(tooMuch, fromRaw), ImageStatus::Ok);
    EXPECT_EQ(fromRaw, std::vector<std::uint8_t>(65536, 5));

    // A file that cannot be opened leaves the pattern alone.
    TempDir dir("cldmissing");
    std::vector<std::uint8_t> kept(65536, 4);
    EXPECT_EQ(loadCloudPattern(dir / "none.cld", kept), ImageStatus::OpenFailed);
    EXPECT_EQ(kept, std::vector<std::uint8_t>(65536, 4));
}

TEST(CloudFile, Requesters)
{
    TempDir dir("cldreq");
    const std::vector<std::uint8_t> pattern = gradientPattern();
    ScriptedFrontend ui;
    ui.fileAnswers.push_back(dir / "mysky"); // ".CLD" added
    EXPECT_EQ(saveCloudPatternCommand(ui, pattern, dir.path.string()), 1);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Save Cloud Pattern");
    EXPECT_EQ(ui.fileRequests[0].pattern, "*.CLD");
    std::vector<std::uint8_t> loaded;
    ui.fileAnswers.push_back(dir / "mysky.CLD");
    EXPECT_EQ(loadCloudPatternCommand(ui, loaded, dir.path.string()), 1);
    EXPECT_EQ(ui.fileRequests.back().title, "Load Cloud Pattern");
    EXPECT_EQ(loaded, pattern);
    ui.fileAnswers.push_back(std::nullopt);
    EXPECT_EQ(loadCloudPatternCommand(ui, loaded, dir.path.string()), 0);
}

} // namespace
} // namespace kalvenor
