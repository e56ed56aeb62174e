#include "codecs/pcx.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/byte_order.h"
#include "codecs/image_test_support.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::bytesOf;
using testing::TempDir;

std::vector<std::uint8_t> encoded(const std::vector<std::uint8_t>& row)
{
    std::vector<std::uint8_t> out;
    encodePcxRow(row, out);
    return out;
}

std::vector<std::uint8_t> repeat(int n, std::uint8_t v) { return std::vector<std::uint8_t>(static_cast<std::size_t>(n), v); }

TEST(PcxRowCode, EncodesRunsAsWorkedOut)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> row;
        std::vector<std::uint8_t> code;
    };
    const Case cases[] = {
        {"200 pixels of 7", repeat(200, 7), {255, 7, 255, 7, 255, 7, 203, 7}},
        {"single 200", {200}, {193, 200}},
        {"single 5", {5}, {5}},
        {"two equal", {5, 5}, {194, 5}},
        {"two different", {5, 6}, {5, 6}},
        {"63 equal fill one count", repeat(63, 9), {255, 9}},
        {"64th starts a new run", repeat(64, 9), {255, 9, 9}},
        {"65 equal", repeat(65, 9), {255, 9, 194, 9}},
        {"lone high value in a row", {1, 192, 3}, {1, 193, 192, 3}},
        {"191 stays a literal", {191, 0}, {191, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(encoded(c.row), c.code) << c.name;
}

TEST(PcxRowCode, DecodeCutsRunsAtTheRowEndAndReportsTheEnd)
{
    // Row 1: a run of 5 where 3 fit; row 2 starts with the next byte.
    const std::vector<std::uint8_t> data = {197, 4, 1, 2, 3};
    ByteCursor cursor(data);
    std::array<std::uint8_t, 3> line{};
    ASSERT_TRUE(decodePcxRow(cursor, line));
    EXPECT_EQ(line, (std::array<std::uint8_t, 3>{4, 4, 4}));
    ASSERT_TRUE(decodePcxRow(cursor, line));
    EXPECT_EQ(line, (std::array<std::uint8_t, 3>{1, 2, 3}));
    EXPECT_FALSE(decodePcxRow(cursor, line));

    // A count byte without its value is the end of the data.
    const std::vector<std::uint8_t> cut = {7, 194};
    ByteCursor c2(cut);
    EXPECT_FALSE(decodePcxRow(c2, line));
}

struct PcxBuffers {
    ImageBuffers images;
    DisplayPalette palette;
    PcxBuffers(int w, int h)
    {
        images.vidmem8.allocate(w, h);
        for (std::size_t i = 0; i < 256; ++i) {
            palette.entries[4 * i + 1] = static_cast<std::uint8_t>(i);
            palette.entries[4 * i + 2] = static_cast<std::uint8_t>(255 - i);
            palette.entries[4 * i + 3] = static_cast<std::uint8_t>(i * 7);
        }
    }
};

TEST(Pcx, SavedImageHasTheHeaderRowsAndPaletteAndLoadsBack)
{
    TempDir dir("pcx");
    PcxBuffers src(47, 33);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x) src.images.vidmem8[y][x] = static_cast<std::uint8_t>((x * 9 + y * 5) % 251 + (x % 4 == 0 ? 200 : 0));
    const std::string path = dir / "sub/one.pcx";
    ASSERT_EQ(savePcx(src.images.vidmem8, {47, 33}, src.palette, path), ImageStatus::Ok);

    const std::string file = testing::readFile(path);
    ASSERT_GT(file.size(), kPcxHeaderBytes + kPcxPaletteBlockBytes);
    const auto* h = reinterpret_cast<const std::uint8_t*>(file.data());
    EXPECT_EQ(h[0], 10);
    EXPECT_EQ(h[1], 5);
    EXPECT_EQ(h[2], 1);
    EXPECT_EQ(h[3], 8);
    EXPECT_EQ(get16le(h + 4), 0);
    EXPECT_EQ(get16le(h + 8), 46);
    EXPECT_EQ(get16le(h + 10), 32);
    EXPECT_EQ(get16le(h + 12), 47);
    EXPECT_EQ(get16le(h + 14), 33);
    EXPECT_EQ(h[16], 0);
    EXPECT_EQ(h[18], 0);
    EXPECT_EQ(h[19], 255);
    EXPECT_EQ(h[63], 255);
    EXPECT_EQ(h[65], 1);
    EXPECT_EQ(get16le(h + 66), 47);
    const std::size_t tail = file.size() - kPcxPaletteBlockBytes;
    EXPECT_EQ(h[tail], 12);
    EXPECT_EQ(h[tail + 1 + 3 * 10], 10);
    EXPECT_EQ(h[tail + 1 + 3 * 10 + 1], 245);
    EXPECT_EQ(h[tail + 1 + 3 * 10 + 2], 70);

    PcxBuffers dst(47, 33);
    dst.palette = {};
    PcxHeader header;
    ASSERT_EQ(loadPcx(path, dst.images.vidmem8, {47, 33}, dst.palette, header), ImageStatus::Ok);
    EXPECT_EQ(header.width, 47);
    EXPECT_EQ(header.height, 33);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x) ASSERT_EQ(dst.images.vidmem8[y][x], src.images.vidmem8[y][x]) << x << "," << y;
    EXPECT_EQ(dst.palette.entries, src.palette.entries);
}

// A PCX made by hand: header for w x h, rows of one value each, optional palette.
std::vector<std::uint8_t> handPcx(int w, int h, bool palette = true)
{
    const auto header = pcxHeaderBytes(w, h);
    std::vector<std::uint8_t> out(header.begin(), header.end());
    for (int y = 0; y < h; ++y) encodePcxRow(repeat(w, static_cast<std::uint8_t>(y + 1)), out);
    if (palette) {
        out.push_back(12);
        for (int i = 0; i < 768; ++i) out.push_back(static_cast<std::uint8_t>(i / 3));
    }
    return out;
}

TEST(Pcx, WiderAndTallerFilesAreCutToTheImage)
{
    PcxBuffers b(640, 4);
    for (int y = 0; y < 4; ++y) std::fill_n(b.images.vidmem8[y], 640, std::uint8_t{99});
    const auto file = handPcx(1000, 6);
    PcxHeader header;
    ASSERT_EQ(decodePcxImage(file, b.images.vidmem8, {640, 3}, b.palette, header), ImageStatus::Ok);
    EXPECT_EQ(header.width, 1000);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(b.images.vidmem8[y][639], y + 1);
    EXPECT_EQ(b.images.vidmem8[3][0], 99) << "rows beyond the image size are left alone";
    EXPECT_EQ(b.palette.entries[4 * 200 + 1], 200);
}

TEST(Pcx, MalformedFilesFailSoundly)
{
    const auto good = handPcx(20, 6);
    const auto with = [&](std::size_t offset, std::uint8_t value) {
        auto f = good;
        f[offset] = value;
        return f;
    };
    auto nineThousand = good;
    put16le(&nineThousand[kPcxXMax], 8999);
    auto inverted = good;
    put16le(&inverted[kPcxXMin], 30);
    auto hugeLine = good;
    put16le(&hugeLine[kPcxBytesPerLine], 9000);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        int result;
    };
    const Case cases[] = {
        {"empty", {}, 0},
        {"short header", std::vector<std::uint8_t>(good.begin(), good.begin() + 127), 0},
        {"version 3", with(kPcxVersion, 3), -3},
        {"not run-length", with(kPcxEncoding, 0), -3},
        {"4 bits", with(kPcxBitsPerPixel, 4), -3},
        {"three planes", with(kPcxPlanes, 3), -3},
        {"x max before x min", inverted, -3},
        {"9000 wide", nineThousand, -5},
        {"line length past the row buffer", hugeLine, -5},
        {"rows cut short", std::vector<std::uint8_t>(good.begin(), good.begin() + 128 + 5), 0},
    };
    for (const Case& c : cases) {
        PcxBuffers b(16, 16);
        PcxHeader header;
        EXPECT_EQ(pcxResult(decodePcxImage(c.file, b.images.vidmem8, {16, 16}, b.palette, header)), c.result)
            << c.name;
    }
}

TEST(Pcx, TruncatedRowsKeepWhatWasDecoded)
{
    auto file = handPcx(8, 4, false);
    file.resize(kPcxHeaderBytes + 2 * 2 + 1); // two full rows (one run each) and a count byte
    PcxBuffers b(8, 4);
    PcxHeader header;
    EXPECT_EQ(decodePcxImage(file, b.images.vidmem8, {8, 4}, b.palette, header), ImageStatus::Truncated);
    EXPECT_EQ(b.images.vidmem8[1][7], 2);
    EXPECT_EQ(b.images.vidmem8[2][0], 0);
}

TEST(Pcx, PaddedLinesOfOtherWritersStayAligned)
{
    // Width 3 stored with 4 bytes per line (padded to even); the pad byte is 0.
    auto header = pcxHeaderBytes(3, 2);
    put16le(&header[kPcxBytesPerLine], 4);
    std::vector<std::uint8_t> file(header.begin(), header.end());
    for (const std::uint8_t v : {1, 2, 3, 0, 4, 5, 6, 0}) file.push_back(v);
    PcxBuffers b(3, 2);
    PcxHeader h;
    ASSERT_EQ(decodePcxImage(file, b.images.vidmem8, {3, 2}, b.palette, h), ImageStatus::Ok);
    EXPECT_EQ(b.images.vidmem8[1][0], 4);
    EXPECT_EQ(b.images.vidmem8[1][2], 6);
}

TEST(Pcx, PaletteNeedsItsMarker)
{
    auto file = handPcx(4, 2);
    file[file.size() - kPcxPaletteBlockBytes] = 11;
    PcxBuffers b(4, 2);
    const auto before = b.palette.entries;
    PcxHeader header;
    ASSERT_EQ(decodePcxImage(file, b.images.vidmem8, {4, 2}, b.palette, header), ImageStatus::Ok);
    EXPECT_EQ(b.palette.entries, before);

    TempDir dir("pcxpal");
    testing::writeFile(dir / "p.pcx", std::string(file.begin(), file.end()));
    PcxPalette loaded{};
    bool installed = true;
    EXPECT_EQ(loadPcxPalette(dir / "p.pcx", loaded, installed), ImageStatus::Ok);
    EXPECT_FALSE(installed);
    file[file.size() - kPcxPaletteBlockBytes] = 12;
    testing::writeFile(dir / "p.pcx", std::string(file.begin(), file.end()));
    EXPECT_EQ(loadPcxPalette(dir / "p.pcx", loaded, installed), ImageStatus::Ok);
    EXPECT_TRUE(installed);
    EXPECT_EQ(loaded[3 * 100], 100);
}

TEST(PcxCommands, ReportFailuresWithThePathAndSetTheLoadedImage)
{
    TempDir dir("pcxcmd");
    PcxBuffers b(8, 4);
    ScriptedFrontend ui;
    LoadedImageInfo info{1, 1, 1};
    ui.fileAnswers.push_back(dir / "missing.pcx");
    EXPECT_EQ(commandLoadPcx(ui, b.images.vidmem8, {8, 4}, b.palette, info, ""), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Error reading file: \"" + (dir / "missing.pcx") + "\"");
    EXPECT_EQ(info.bits, 0);

    ui.fileAnswers.push_back(dir / "saved");
    EXPECT_EQ(commandSavePcx(ui, b.images.vidmem8, {8, 4}, b.palette, ""), 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "saved.PCX"));
    ui.fileAnswers.push_back(dir / "saved.PCX");
    EXPECT_EQ(commandLoadPcx(ui, b.images.vidmem8, {8, 4}, b.palette, info, ""), 1);
    EXPECT_EQ(info.width, 8);
    EXPECT_EQ(info.height, 4);
    EXPECT_EQ(info.bits, 8);

    // An existing file is replaced only after "Replace".
    ui.fileAnswers.push_back(dir / "saved.PCX");
    ui.askAnswers.push_back(false);
    EXPECT_EQ(commandSavePcx(ui, b.images.vidmem8, {8, 4}, b.palette, ""), -1);
    EXPECT_EQ(ui.questions.back(), "Replace " + (dir / "saved.PCX") + " ? [Replace|Cancel]");
}

TEST(PcxCommands, AFailedSaveLeavesThePreviousFile)
{
    TempDir dir("pcxfail");
    // The directory the file would go into is a plain file.
    testing::writeFile(dir / "block", "x");
    PcxBuffers b(8, 4);
    EXPECT_EQ(savePcx(b.images.vidmem8, {8, 4}, b.palette, dir / "block/out.pcx"), ImageStatus::WriteFailed);
    ImageBuffers none;
    EXPECT_EQ(savePcx(none.vidmem8, {8, 4}, b.palette, dir / "x.pcx"), ImageStatus::NoBuffer);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.pcx"));
}

} // namespace
} // namespace kalvenor
