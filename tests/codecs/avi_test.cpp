#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "codecs/avi.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TempDir;

Bytes readBytes(const std::string& path)
{
    const std::string s = testing::readFile(path);
    return Bytes(s.begin(), s.end());
}

void append(Bytes& out, std::initializer_list<int> bytes)
{
    for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
}

void appendText(Bytes& out, const char* fourcc) { out.insert(out.end(), fourcc, fourcc + 4); }

void append32(Bytes& out, std::uint32_t v)
{
    out.resize(out.size() + 4);
    put32le(&out[out.size() - 4], v);
}

// Frame f of the 4 x 2 animation: red 16f + 4y + x, green and blue that with
// bit 7 or bit 6 set, and a class byte that the file must not carry.
ImagePlane<std::uint32_t> frame(int f)
{
    ImagePlane<std::uint32_t> plane;
    plane.allocate(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const auto r = static_cast<std::uint8_t>(16 * f + 4 * y + x);
            plane[y][x] = packPixel(r, static_cast<std::uint8_t>(0x80 | r), static_cast<std::uint8_t>(0x40 | r), 0xCC);
        }
    return plane;
}

// The 328 bytes of the two-frame file at 15 frames a second, field by field.
Bytes expectedTwoFrameFile()
{
    Bytes f;
    appendText(f, "RIFF");
    append32(f, 320);
    appendText(f, "AVI ");
    appendText(f, "LIST");
    append32(f, 192);
    appendText(f, "hdrl");
    appendText(f, "avih");
    append32(f, 56);
    for (std::uint32_t v : {66667u, 360u, 0u, 0x10u, 2u, 0u, 1u, 24u, 4u, 2u, 0u, 0u, 0u, 0u}) append32(f, v);
    appendText(f, "LIST");
    append32(f, 116);
    appendText(f, "strl");
    appendText(f, "strh");
    append32(f, 56);
    appendText(f, "vids");
    appendText(f, "DIB ");
    for (std::uint32_t v : {0u, 0u, 0u, 1u, 15u, 0u, 2u, 24u, 0xFFFFFFFFu, 0u}) append32(f, v);
    append(f, {0, 0, 0, 0, 4, 0, 2, 0}); // frame rectangle 0, 0, 4, 2
    appendText(f, "strf");
    append32(f, 40);
    append32(f, 40);
    append32(f, 4);
    append32(f, 2);
    append(f, {1, 0, 24, 0});
    for (std::uint32_t v : {0u, 24u, 0u, 0u, 0u, 0u}) append32(f, v);
    appendText(f, "LIST");
    append32(f, 68);
    appendText(f, "movi");
    // Bottom row first, blue, green, red.
    appendText(f, "00db");
    append32(f, 24);
    append(f, {0x44, 0x84, 0x04, 0x45, 0x85, 0x05, 0x46, 0x86, 0x06, 0x47, 0x87, 0x07});
    append(f, {0x40, 0x80, 0x00, 0x41, 0x81, 0x01, 0x42, 0x82, 0x02, 0x43, 0x83, 0x03});
    appendText(f, "00db");
    append32(f, 24);
    append(f, {0x54, 0x94, 0x14, 0x55, 0x95, 0x15, 0x56, 0x96, 0x16, 0x57, 0x97, 0x17});
    append(f, {0x50, 0x90, 0x10, 0x51, 0x91, 0x11, 0x52, 0x92, 0x12, 0x53, 0x93, 0x13});
    appendText(f, "idx1");
    append32(f, 32);
    for (std::uint32_t offset : {4u, 36u}) {
        appendText(f, "00db");
        append32(f, 0x10);
        append32(f, offset);
        append32(f, 24);
    }
    return f;
}

TEST(Avi, RowsArePaddedToFourBytes)
{
    const struct {
        int width;
        std::uint32_t bytes;
    } cases[] = {{1, 4}, {3, 12}, {4, 12}, {5, 16}, {320, 960}};
    for (const auto& c : cases) EXPECT_EQ(aviRowBytes(c.width), c.bytes) << c.width;
}

class AviFile : public ::testing::Test {
protected:
    TempDir dir{"avi"};
    std::string path = dir / "fly.AVI";
    ImagePlane<std::uint32_t> frame0 = frame(0);
    ImagePlane<std::uint32_t> frame1 = frame(1);
    ImagePlane<std::uint32_t> frame2 = frame(2);

    Bytes oneFrameFile()
    {
        AviWriter w;
        EXPECT_EQ(createAvi(w, path, 4, 2, 15), AviOpenStatus::Ok);
        EXPECT_EQ(writeAviFrame(w, frame0, {4, 2}), ImageStatus::Ok);
        closeAvi(w);
        return readBytes(path);
    }
};

TEST_F(AviFile, TwoFramesAreWrittenByteForByte)
{
    AviWriter w;
    ASSERT_EQ(createAvi(w, path, 4, 2, 15), AviOpenStatus::Ok);
    ASSERT_EQ(writeAviFrame(w, frame0, {4, 2}), ImageStatus::Ok);
    ASSERT_EQ(writeAviFrame(w, frame1, {4, 2}), ImageStatus::Ok);
    // Complete after every frame: nothing waits for the close.
    EXPECT_EQ(readBytes(path), expectedTwoFrameFile());
    closeAvi(w);
    EXPECT_EQ(readBytes(path), expectedTwoFrameFile());
}

TEST_F(AviFile, AppendingContinuesTheStream)
{
    oneFrameFile();
    AviWriter w;
    ASSERT_EQ(appendAvi(w, path, 4, 2), AviOpenStatus::Ok);
    EXPECT_EQ(w.layout.frames.size(), 1u);
    EXPECT_EQ(w.layout.rate, 15u);
    ASSERT_EQ(writeAviFrame(w, frame1, {4, 2}), ImageStatus::Ok);
    closeAvi(w);
    EXPECT_EQ(readBytes(path), expectedTwoFrameFile());
}

TEST_F(AviFile, AFileAtItsSizeLimitKeepsItsFrames)
{
    AviWriter w;
    ASSERT_EQ(createAvi(w, path, 4, 2, 15), AviOpenStatus::Ok);
    w.mostBytes = 328; // room for exactly two frames and their index
    ASSERT_EQ(writeAviFrame(w, frame0, {4, 2}), ImageStatus::Ok);
    ASSERT_EQ(writeAviFrame(w, frame1, {4, 2}), ImageStatus::Ok);
    EXPECT_EQ(writeAviFrame(w, frame2, {4, 2}), ImageStatus::TooLarge);
    EXPECT_EQ(readBytes(path), expectedTwoFrameFile());
}

TEST_F(AviFile, AFailedWritePutsTheFileBack)
{
    const Bytes one = oneFrameFile();
    ASSERT_EQ(one.size(), 280u);
    AviWriter w;
    ASSERT_EQ(appendAvi(w, path, 4, 2), AviOpenStatus::Ok);
    {
        testing::FileSizeLimit limit(300); // the frame fits, the longer index does not
        EXPECT_EQ(writeAviFrame(w, frame1, {4, 2}), ImageStatus::WriteFailed);
    }
    EXPECT_EQ(readBytes(path), one);
    // The writer goes on from the file as it was.
    ASSERT_EQ(writeAviFrame(w, frame1, {4, 2}), ImageStatus::Ok);
    EXPECT_EQ(readBytes(path), expectedTwoFrameFile());
}

TEST_F(AviFile, FramesOfAnotherSizeOrWithoutAnImageAreRefused)
{
    AviWriter w;
    ASSERT_EQ(createAvi(w, path, 4, 2, 15), AviOpenStatus::Ok);
    const Bytes empty = readBytes(path);
    EXPECT_EQ(writeAviFrame(w, frame0, {3, 2}), ImageStatus::Unsupported);
    EXPECT_EQ(writeAviFrame(w, ImagePlane<std::uint32_t>{}, {4, 2}), ImageStatus::NoBuffer);
    EXPECT_EQ(readBytes(path), empty);
}

// Streams that a writer of uncompressed 24-bit frames cannot extend, and
// files whose chunks do not add up.
TEST_F(AviFile, ExistingFilesAreCheckedBeforeAppending)
{
    const Bytes good = expectedTwoFrameFile();
    const auto with = [&](std::size_t at, std::uint32_t value) {
        Bytes b = good;
        put32le(&b[at], value);
        return b;
    };
    Bytes trailing = good;
    append(trailing, {'J', 'U', 'N', 'K', 0, 0, 0, 0});
    Bytes afterIndex = with(4, 328);
    append(afterIndex, {'J', 'U', 'N', 'K', 0, 0, 0, 0});
    const struct {
        const char* name;
        Bytes file;
        AviOpenStatus status;
    } cases[] = {
        {"another width", with(176, 5), AviOpenStatus::WrongSize},
        {"8 bits a pixel", with(184, 0x00080001), AviOpenStatus::NotDirectColour},
        {"compressed", with(188, 0x47504A4D), AviOpenStatus::WrongCodec},
        {"32 bits a pixel", with(184, 0x00200001), AviOpenStatus::WrongCodec},
        {"rows from the top", with(180, static_cast<std::uint32_t>(-2)), AviOpenStatus::WrongCodec},
        {"not RIFF", with(0, 0x58464952), AviOpenStatus::OpenFailed},
        {"RIFF size lies", with(4, 400), AviOpenStatus::OpenFailed},
        {"data after the RIFF", trailing, AviOpenStatus::OpenFailed},
        {"a chunk after the index", afterIndex, AviOpenStatus::OpenFailed},
        {"header list past the end", with(16, 5000), AviOpenStatus::OpenFailed},
        {"two streams", with(56, 2), AviOpenStatus::OpenFailed},
        {"an audio stream", with(108, 0x73647561), AviOpenStatus::OpenFailed},
        {"stream header too short", with(104, 20), AviOpenStatus::OpenFailed},
        {"bitmap header too short", with(168, 12), AviOpenStatus::OpenFailed},
        {"other data among the frames", with(256, 0x62773130), AviOpenStatus::OpenFailed},
        {"frame past its list", with(228, 5000), AviOpenStatus::OpenFailed},
        {"no width", with(176, 0), AviOpenStatus::OpenFailed},
    };
    for (const auto& c : cases) {
        testing::writeBytes(path, c.file);
        AviWriter w;
        EXPECT_EQ(appendAvi(w, path, 4, 2), c.status) << c.name;
        EXPECT_EQ(readBytes(path), c.file) << c.name;
    }
    // Every shorter piece is refused without reading past its end.
    for (std::size_t n = 0; n < good.size(); ++n) {
        AviLayout layout;
        EXPECT_EQ(parseAvi(std::span(good).first(n), layout), AviOpenStatus::OpenFailed) << n;
    }
    AviWriter w;
    EXPECT_EQ(appendAvi(w, dir / "missing.AVI", 4, 2), AviOpenStatus::OpenFailed);
}

} // namespace
} // namespace kalvenor
