#include "codecs/targa.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/byte_order.h"
#include "codecs/image_test_support.h"
#include "files/texture_map.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::colourOf;
using testing::fillGradient;
using testing::gradientPixel;
using testing::Picture;
using testing::put16;
using testing::TempDir;

constexpr std::uint32_t A = 0x00112233, B = 0x00445566, C = 0x00778899, D = 0x00AABBCC;

std::vector<std::uint8_t> rle(const std::vector<std::uint32_t>& row)
{
    std::vector<std::uint8_t> out;
    encodeTargaRow(row, out);
    return out;
}

// Packet headers of an encoded row, skipping the pixel bytes.
std::vector<int> packetHeaders(const std::vector<std::uint8_t>& code)
{
    std::vector<int> headers;
    for (std::size_t i = 0; i < code.size();) {
        const int c = code[i];
        headers.push_back(c);
        i += 1 + 3 * ((c & 128) ? 1 : (c & 127) + 1);
    }
    return headers;
}

std::vector<std::uint32_t> row(std::initializer_list<std::pair<std::uint32_t, int>> runs)
{
    std::vector<std::uint32_t> out;
    for (const auto& [p, n] : runs) out.insert(out.end(), static_cast<std::size_t>(n), p);
    return out;
}

std::vector<std::uint32_t> alternating(int n)
{
    std::vector<std::uint32_t> out;
    for (int i = 0; i < n; ++i) out.push_back(i % 2 ? A : B);
    return out;
}

TEST(TargaRowCode, PacketsFollowTheRunRules)
{
    struct Case {
        const char* name;
        std::vector<std::uint32_t> pixels;
        std::vector<int> headers;
    };
    const Case cases[] = {
        {"300 equal: 128, 128, 44", row({{A, 300}}), {0xFF, 0xFF, 0x80 | 43}},
        {"129 equal: the last run packet holds one", row({{A, 129}}), {0xFF, 0x80}},
        {"two equal do not start a run", row({{A, 2}, {B, 1}, {C, 1}, {D, 1}}), {4}},
        {"three equal do", row({{A, 3}, {B, 1}}), {0x82, 0}},
        {"the last three never start a run", row({{A, 3}}), {2}},
        {"literals before a run", row({{B, 1}, {A, 4}, {C, 1}, {D, 1}}), {0, 0x83, 1}},
        {"no three equal: raw packets of at most 128", alternating(130), {127, 1}},
        {"a run counts to the end of the row", row({{C, 2}, {A, 5}}), {1, 0x84}},
    };
    for (const Case& c : cases) EXPECT_EQ(packetHeaders(rle(c.pixels)), c.headers) << c.name;

    // The class byte is not written and does not break a run; pixels go out as blue, green, red.
    const auto code = rle({A | 0x01000000, A | 0x02000000, A, A, B});
    EXPECT_EQ(code, (std::vector<std::uint8_t>{0x83, 0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66}));
}

TEST(Targa, OwnFilesRoundTripWithAndWithoutRunLength)
{
    TempDir dir("tga");
    Picture src(47, 33);
    fillGradient(src.view);
    // Runs in some rows, so both packet kinds occur.
    std::fill_n(src.view.row(5), 47, A);
    std::fill_n(src.view.row(6) + 10, 20, B);
    for (const bool compress : {false, true}) {
        const std::string path = dir / (compress ? "c.tga" : "u.tga");
        ASSERT_EQ(saveTarga(src.plane, {47, 33}, path, compress), ImageStatus::Ok);
        const std::string file = testing::readFile(path);
        const auto* h = reinterpret_cast<const std::uint8_t*>(file.data());
        EXPECT_EQ(h[kTargaImageType], compress ? 10 : 2);
        EXPECT_EQ(get16le(h + kTargaWidth), 47);
        EXPECT_EQ(get16le(h + kTargaHeight), 33);
        EXPECT_EQ(h[kTargaDepth], 24);
        EXPECT_EQ(h[kTargaDescriptor], 0);
        if (!compress) {
            EXPECT_EQ(file.size(), 18u + 47 * 33 * 3);
            // The first stored row is the bottom one, blue first.
            EXPECT_EQ(h[18], pixelBlue(gradientPixel(0, 32)));
            EXPECT_EQ(h[20], pixelRed(gradientPixel(0, 32)));
        }

        Picture dst(47, 33);
        TargaHeader header;
        ASSERT_EQ(loadTarga(path, dst.view, TargaMode::Opaque, header), ImageStatus::Ok);
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 47; ++x)
                ASSERT_EQ(dst.at(x, y), colourOf(src.at(x, y)) | 0xFF000000) << x << "," << y << " " << compress;
    }
}

// A Targa as another writer might make it.
struct Fixture {
    int type = 2;
    int depth = 24;
    bool topDown = false;
    std::vector<std::uint8_t> id;
    int mapType = 0;
    int mapLength = 0;
    int mapBits = 0;
};

Fixture fixture(int type, int depth, bool topDown, std::vector<std::uint8_t> id = {}, int mapType = 0,
                int mapLength = 0, int mapBits = 0)
{
    return {type, depth, topDown, std::move(id), mapType, mapLength, mapBits};
}

// Pixels given top row first; stored in the fixture's row order, raw or as one
// raw packet per row.
std::vector<std::uint8_t> makeTarga(const Fixture& f, int w, int h, const std::vector<std::vector<std::uint8_t>>& topRows)
{
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(f.id.size()), static_cast<std::uint8_t>(f.mapType),
                                     static_cast<std::uint8_t>(f.type)};
    put16(out, 0);
    put16(out, f.mapLength);
    out.push_back(static_cast<std::uint8_t>(f.mapBits));
    put16(out, 0);
    put16(out, 0);
    put16(out, w);
    put16(out, h);
    out.push_back(static_cast<std::uint8_t>(f.depth));
    out.push_back(f.topDown ? 32 : 0);
    out.insert(out.end(), f.id.begin(), f.id.end());
    for (int i = 0; i < (f.mapLength * f.mapBits) / 8; ++i) out.push_back(0xEE);
    for (int i = 0; i < h; ++i) {
        const auto& r = topRows[static_cast<std::size_t>(f.topDown ? i : h - 1 - i)];
        if (f.type == 10) out.push_back(static_cast<std::uint8_t>(w - 1));
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

// Rows of a w x h 24-bit picture: pixel (x, y) = blue x, green y, red 100.
std::vector<std::vector<std::uint8_t>> bgrRows(int w, int h)
{
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < h; ++y) {
        std::vector<std::uint8_t> r;
        for (int x = 0; x < w; ++x) r.insert(r.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 100});
        rows.push_back(r);
    }
    return rows;
}

TEST(Targa, OtherWritersLayoutsLoadUpright)
{
    const auto rows = bgrRows(5, 4);
    struct Case {
        const char* name;
        Fixture f;
    };
    const Case cases[] = {
        {"bottom-up", fixture(2, 24, false)},
        {"top-down", fixture(2, 24, true)},
        {"identification field", fixture(2, 24, false, {'h', 'e', 'l', 'l', 'o'})},
        {"colour map skipped", fixture(2, 24, false, {'x'}, 1, 4, 24)},
        {"15-bit colour map rounds down", fixture(2, 24, false, {}, 1, 3, 15)},
        {"run-length top-down", fixture(10, 24, true)},
    };
    for (const Case& c : cases) {
        Picture p(5, 4);
        TargaHeader header;
        ASSERT_EQ(decodeTarga(makeTarga(c.f, 5, 4, rows), p.view, TargaMode::Opaque, header), ImageStatus::Ok)
            << c.name;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(p.at(x, y), packPixel(100, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x), 255))
                    << c.name << " " << x << "," << y;
    }
}

TEST(Targa, AlphaAndBlackFollowTheMode)
{
    // One row of four 32-bit pixels: alpha 0, 255, 128, and black with alpha 77.
    const std::vector<std::vector<std::uint8_t>> rows32 = {
        {30, 20, 10, 0, 30, 20, 10, 255, 200, 100, 0, 128, 0, 0, 0, 77}};
    const auto file32 = makeTarga(fixture(2, 32, false), 4, 1, rows32);
    const std::vector<std::vector<std::uint8_t>> rows24 = {{0, 0, 0, 3, 2, 1}};
    const auto file24 = makeTarga({}, 2, 1, rows24);
    const std::uint32_t old = packPixel(50, 60, 70, 9);

    struct Case {
        const char* name;
        const std::vector<std::uint8_t>* file;
        TargaMode mode;
        std::vector<std::uint32_t> expected;
    };
    const Case cases[] = {
        {"opaque ignores alpha",
         &file32,
         TargaMode::Opaque,
         {packPixel(10, 20, 30, 255), packPixel(10, 20, 30, 255), packPixel(0, 100, 200, 255), packPixel(0, 0, 0, 255)}},
        // Alpha 128: red (127 x 50 + 0) / 255 = 24, green (127 x 60 + 128 x 100) / 255 = 80,
        // blue (127 x 70 + 128 x 200) / 255 = 135; black at 77: (178 x c) / 255.
        {"overlay blends",
         &file32,
         TargaMode::Overlay,
         {old, packPixel(10, 20, 30, 255), packPixel(24, 80, 135, 0), packPixel(34, 41, 48, 0)}},
        {"keep carries alpha", &file32, TargaMode::Keep,
         {packPixel(10, 20, 30, 0), packPixel(10, 20, 30, 255), packPixel(0, 100, 200, 128), packPixel(0, 0, 0, 77)}},
        {"24-bit overlay: black is transparent", &file24, TargaMode::Overlay, {old, packPixel(1, 2, 3, 255)}},
        {"24-bit keep: black is word 0", &file24, TargaMode::Keep, {0, packPixel(1, 2, 3, 255)}},
        {"24-bit opaque", &file24, TargaMode::Opaque, {packPixel(0, 0, 0, 255), packPixel(1, 2, 3, 255)}},
    };
    for (const Case& c : cases) {
        Picture p(static_cast<int>(c.expected.size()), 1, old);
        TargaHeader header;
        ASSERT_EQ(decodeTarga(*c.file, p.view, c.mode, header), ImageStatus::Ok) << c.name;
        for (std::size_t x = 0; x < c.expected.size(); ++x)
            EXPECT_EQ(p.at(static_cast<int>(x), 0), c.expected[x]) << c.name << " pixel " << x;
    }
}

TEST(Targa, LargerFilesAreClippedInFileRowOrder)
{
    // A 64 x 48 bottom-up file into 32 x 20: the first 20 rows read are the
    // picture's bottom rows 47..28, landing on target rows 19..0.
    const auto file = makeTarga({}, 64, 48, bgrRows(64, 48));
    Picture p(40, 30, 7);
    TargaHeader header;
    const PixelView small{p.view.pixels, 32, 20, p.view.stride};
    ASSERT_EQ(decodeTarga(file, small, TargaMode::Opaque, header), ImageStatus::Ok);
    EXPECT_EQ(p.at(0, 19), packPixel(100, 47, 0, 255));
    EXPECT_EQ(p.at(31, 0), packPixel(100, 28, 31, 255));
    EXPECT_EQ(p.at(32, 0), 7u) << "the buffer beyond the view is not touched";
    EXPECT_EQ(p.at(0, 20), 7u);

    // A smaller file leaves the rest as it was.
    Picture q(8, 8, 7);
    ASSERT_EQ(decodeTarga(makeTarga({}, 3, 2, bgrRows(3, 2)), q.view, TargaMode::Opaque, header), ImageStatus::Ok);
    EXPECT_EQ(q.at(2, 1), packPixel(100, 1, 2, 255));
    EXPECT_EQ(q.at(3, 0), 7u);
    EXPECT_EQ(q.at(0, 2), 7u);
}

TEST(Targa, PacketsRunningPastARowAreCutAndTheNextRowStartsAfresh)
{
    // 2 x 2, top-down. Row 0: a run packet of 3 (one dropped). Row 1: a raw
    // packet of 3 (the third dropped) - then nothing.
    std::vector<std::uint8_t> file = makeTarga(fixture(10, 24, true), 2, 2, {{}, {}});
    file.resize(18);
    for (const std::uint8_t b : {0x82, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12}) file.push_back(b);
    Picture p(2, 2);
    TargaHeader header;
    ASSERT_EQ(decodeTarga(file, p.view, TargaMode::Opaque, header), ImageStatus::Ok);
    EXPECT_EQ(p.at(1, 0), packPixel(3, 2, 1, 255));
    EXPECT_EQ(p.at(0, 1), packPixel(6, 5, 4, 255));
    EXPECT_EQ(p.at(1, 1), packPixel(9, 8, 7, 255));
}

TEST(Targa, MalformedFilesFailSoundly)
{
    const auto good = makeTarga({}, 4, 3, bgrRows(4, 3));
    const auto goodRle = makeTarga(fixture(10, 24, false), 4, 3, bgrRows(4, 3));
    const auto with = [](std::vector<std::uint8_t> f, std::size_t at, int v16) {
        put16le(&f[at], static_cast<std::uint16_t>(v16));
        return f;
    };
    const auto byte = [](std::vector<std::uint8_t> f, std::size_t at, std::uint8_t v) {
        f[at] = v;
        return f;
    };
    const auto cut = [](const std::vector<std::uint8_t>& f, std::size_t n) {
        return std::vector<std::uint8_t>(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(n));
    };
    std::vector<std::uint8_t> runPastEverything = cut(goodRle, 18);
    runPastEverything.push_back(0xFF); // a run of 128 with no pixel after it

    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        ImageStatus status;
    };
    const Case cases[] = {
        {"empty", {}, ImageStatus::Truncated},
        {"17 header bytes", cut(good, 17), ImageStatus::Truncated},
        {"colour-mapped type 1", byte(good, kTargaImageType, 1), ImageStatus::BadHeader},
        {"grey type 3", byte(good, kTargaImageType, 3), ImageStatus::BadHeader},
        {"run-length grey type 11", byte(good, kTargaImageType, 11), ImageStatus::BadHeader},
        {"16 bits", byte(good, kTargaDepth, 16), ImageStatus::BadHeader},
        {"width 0", with(good, kTargaWidth, 0), ImageStatus::BadHeader},
        {"height 0", with(good, kTargaHeight, 0), ImageStatus::BadHeader},
        {"24-bit row past 32 KiB", with(good, kTargaWidth, 10923), ImageStatus::TooLarge},
        {"32-bit row past 32 KiB", with(byte(good, kTargaDepth, 32), kTargaWidth, 8193), ImageStatus::TooLarge},
        {"huge width and height", with(with(good, kTargaWidth, 65535), kTargaHeight, 65535), ImageStatus::TooLarge},
        {"lying height", with(good, kTargaHeight, 500), ImageStatus::Truncated},
        {"lying width", with(good, kTargaWidth, 900), ImageStatus::Truncated},
        {"identification past the end", byte(cut(good, 18), kTargaIdLength, 200), ImageStatus::Truncated},
        {"colour map past the end",
         with(byte(byte(good, kTargaColourMapType, 1), kTargaMapEntryBits, 24), kTargaMapLength, 60000),
         ImageStatus::Truncated},
        {"uncompressed rows cut short", cut(good, 18 + 20), ImageStatus::Truncated},
        {"run-length rows cut short", cut(goodRle, goodRle.size() - 2), ImageStatus::Truncated},
        {"a run packet without its pixel", runPastEverything, ImageStatus::Truncated},
    };
    for (const Case& c : cases) {
        for (const TargaMode mode : {TargaMode::Opaque, TargaMode::Overlay}) {
            Picture p(16, 16);
            TargaHeader header;
            EXPECT_EQ(decodeTarga(c.file, p.view, mode, header), c.status) << c.name;
        }
    }
}

TEST(Targa, ReadersAndWritersNeedTheBuffer)
{
    TempDir dir("tganone");
    ImagePlane<std::uint32_t> none;
    TargaHeader header;
    EXPECT_EQ(loadTarga(dir / "x.tga", viewOf(none, {4, 4}), TargaMode::Opaque, header), ImageStatus::NoBuffer);
    EXPECT_EQ(saveTarga(none, {4, 4}, dir / "x.tga", false), ImageStatus::NoBuffer);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.tga"));
    Picture p(4, 4);
    EXPECT_EQ(loadTarga(dir / "missing.tga", p.view, TargaMode::Opaque, header), ImageStatus::OpenFailed);
    int w = 0, h = 0;
    ASSERT_EQ(saveTarga(p.plane, {4, 3}, dir / "s.tga", true), ImageStatus::Ok);
    ASSERT_EQ(readTargaSize(dir / "s.tga", w, h), ImageStatus::Ok);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 3);
}

TEST(Targa, BackgroundClearsAndForegroundOverlays)
{
    TempDir dir("backdrop");
    // Background: 2 x 1 of (1, 2, 3) and black; foreground: black and (9, 9, 9).
    const auto back = makeTarga({}, 2, 1, {{3, 2, 1, 0, 0, 0}});
    const auto front = makeTarga({}, 2, 1, {{0, 0, 0, 9, 9, 9}});
    testing::writeFile(dir / "back.tga", std::string(back.begin(), back.end()));
    testing::writeFile(dir / "front.tga", std::string(front.begin(), front.end()));
    Picture p(3, 2, 0x00ABCDEF);
    RenderSettings render;
    render.backgroundFile = dir / "back.tga";
    render.foregroundFile = dir / "front.tga";
    ASSERT_EQ(loadBackground(p.plane, {3, 2}, render), ImageStatus::Ok);
    EXPECT_EQ(p.at(0, 0), 0x00ABCDEFu) << "the setting is off";
    render.background = 1;
    render.foreground = 1;
    ASSERT_EQ(loadBackground(p.plane, {3, 2}, render), ImageStatus::Ok);
    EXPECT_EQ(p.at(0, 0), packPixel(1, 2, 3, 255));
    EXPECT_EQ(p.at(1, 0), packPixel(0, 0, 0, 255));
    EXPECT_EQ(p.at(2, 1), 0u) << "cleared first";
    ASSERT_EQ(applyForeground(p.plane, {3, 2}, render), ImageStatus::Ok);
    EXPECT_EQ(p.at(0, 0), packPixel(1, 2, 3, 255));
    EXPECT_EQ(p.at(1, 0), packPixel(9, 9, 9, 255));

    ScriptedFrontend ui;
    EXPECT_EQ(commandChooseForeground(ui, render, ""), -1);
    EXPECT_EQ(render.foreground, 0);
    ui.fileAnswers.push_back(dir / "front.tga");
    EXPECT_EQ(commandChooseForeground(ui, render, ""), 1);
    EXPECT_EQ(render.foreground, 1);
    EXPECT_EQ(ui.fileRequests.back().title, "Targa Foreground");
}

TEST(TextureMap, AreaAndCellsFollowTheMap)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 12, 10), 1); // sizeX 10, sizeY 8
    land.polygonSize = 4;
    BoundingBox box;
    const TextureMapArea whole = textureMapArea(land, box);
    EXPECT_EQ(whole.width, 8);
    EXPECT_EQ(whole.height, 8);
    box = {1, 5, 1, 7, 6};
    const TextureMapArea a = textureMapArea(land, box);
    EXPECT_EQ(a.firstColumn, 4);
    EXPECT_EQ(a.firstRow, 0);
    EXPECT_EQ(a.width, 4);
    EXPECT_EQ(a.height, 8);

    ColourScheme scheme{};
    scheme[4 * 51 + 1] = 10, scheme[4 * 51 + 2] = 20, scheme[4 * 51 + 3] = 30;
    scheme[4 * 56 + 1] = 40;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 12; ++c) land.terrain[r][c] = static_cast<std::uint16_t>(0x4100 | (r == 0 ? 51 : 56));
    TempDir dir("texmap");
    ASSERT_EQ(saveTextureMap(land, scheme, a, dir / "t.tga", false), ImageStatus::Ok);
    Picture p(4, 8);
    TargaHeader header;
    ASSERT_EQ(loadTarga(dir / "t.tga", p.view, TargaMode::Opaque, header), ImageStatus::Ok);
    // Map row 0 is the first file row: the bottom of the picture.
    EXPECT_EQ(p.at(0, 7), packPixel(10, 20, 30, 255));
    EXPECT_EQ(p.at(3, 6), packPixel(40, 0, 0, 255));
    EXPECT_EQ(saveTextureMap(land, scheme, {8, 0, 8, 8}, dir / "u.tga", false), ImageStatus::BadArgument);
}

// A header is only believed as far as the file can hold its pixels.
TEST(Targa, DataMustBeAbleToFillThePicture)
{
    struct Case {
        int type, width, height, depth;
        std::size_t dataOffset, fileSize;
        bool fits;
    };
    for (const Case& c : {Case{2, 10, 10, 24, 18, 18 + 300, true}, Case{2, 10, 10, 24, 18, 18 + 299, false},
                          Case{2, 10, 10, 32, 40, 40 + 400, true}, Case{2, 1, 1, 24, 18, 10, false},
                          // run-length: a count byte and one pixel for every 128 pixels at least
                          Case{10, 256, 1, 24, 18, 18 + 8, true}, Case{10, 256, 1, 24, 18, 18 + 7, false},
                          Case{10, 8192, 65535, 32, 18, 18, false}}) {
        TargaHeader header;
        header.imageType = c.type;
        header.width = c.width;
        header.height = c.height;
        header.depth = c.depth;
        header.dataOffset = c.dataOffset;
        EXPECT_EQ(targaDataCanFill(header, c.fileSize), c.fits) << c.type << " " << c.width << "x" << c.height;
    }
}

} // namespace
} // namespace kalvenor
