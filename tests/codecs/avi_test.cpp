#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// A file of the first layout (one RIFF, no AVI 2.0 indexes) holding the
// first n (0 to 2) frames at 15 frames a second, field by field: 232 + 48n bytes.
Bytes legacyFile(std::uint32_t n)
{
    Bytes f;
    appendText(f, "RIFF");
    append32(f, 224 + 48 * n);
    appendText(f, "AVI ");
    appendText(f, "LIST");
    append32(f, 192);
    appendText(f, "hdrl");
    appendText(f, "avih");
    append32(f, 56);
    for (std::uint32_t v : {66667u, 360u, 0u, 0x10u, n, 0u, 1u, 24u, 4u, 2u, 0u, 0u, 0u, 0u}) append32(f, v);
    appendText(f, "LIST");
    append32(f, 116);
    appendText(f, "strl");
    appendText(f, "strh");
    append32(f, 56);
    appendText(f, "vids");
    appendText(f, "DIB ");
    for (std::uint32_t v : {0u, 0u, 0u, 1u, 15u, 0u, n, 24u, 0xFFFFFFFFu, 0u}) append32(f, v);
    append(f, {0, 0, 0, 0, 4, 0, 2, 0}); // frame rectangle 0, 0, 4, 2
    appendText(f, "strf");
    append32(f, 40);
    append32(f, 40);
    append32(f, 4);
    append32(f, 2);
    append(f, {1, 0, 24, 0});
    for (std::uint32_t v : {0u, 24u, 0u, 0u, 0u, 0u}) append32(f, v);
    appendText(f, "LIST");
    append32(f, 4 + 32 * n);
    appendText(f, "movi");
    // Bottom row first, blue, green, red.
    if (n >= 1) {
        appendText(f, "00db");
        append32(f, 24);
        append(f, {0x44, 0x84, 0x04, 0x45, 0x85, 0x05, 0x46, 0x86, 0x06, 0x47, 0x87, 0x07});
        append(f, {0x40, 0x80, 0x00, 0x41, 0x81, 0x01, 0x42, 0x82, 0x02, 0x43, 0x83, 0x03});
    }
    if (n >= 2) {
        appendText(f, "00db");
        append32(f, 24);
        append(f, {0x54, 0x94, 0x14, 0x55, 0x95, 0x15, 0x56, 0x96, 0x16, 0x57, 0x97, 0x17});
        append(f, {0x50, 0x90, 0x10, 0x51, 0x91, 0x11, 0x52, 0x92, 0x12, 0x53, 0x93, 0x13});
    }
    appendText(f, "idx1");
    append32(f, 16 * n);
    for (std::uint32_t i = 0; i < n; ++i) {
        appendText(f, "00db");
        append32(f, 0x10);
        append32(f, 4 + 32 * i);
        append32(f, 24);
    }
    return f;
}

Bytes expectedTwoFrameFile() { return legacyFile(2); }

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

    // A file of the first layout with one frame.
    Bytes oneFrameFile()
    {
        const Bytes one = legacyFile(1);
        testing::writeBytes(path, one);
        return one;
    }
};

// Files of the first layout, from earlier versions, are continued in their
// layout, byte for byte, frame by frame.
TEST_F(AviFile, AFileOfTheFirstLayoutIsContinuedByteForByte)
{
    testing::writeBytes(path, legacyFile(0));
    AviWriter w;
    ASSERT_EQ(appendAvi(w, path, 4, 2), AviOpenStatus::Ok);
    EXPECT_FALSE(w.layout.openDml);
    ASSERT_EQ(writeAviFrame(w, frame0, {4, 2}), ImageStatus::Ok);
    EXPECT_EQ(readBytes(path), legacyFile(1));
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
    oneFrameFile();
    AviWriter w;
    ASSERT_EQ(appendAvi(w, path, 4, 2), AviOpenStatus::Ok);
    EXPECT_EQ(w.mostBytes, kAviMostBytes);
    w.mostBytes = 328; // room for exactly two frames and their index
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

// Frame f of a 16 x 8 animation: smooth ramps that move with f.
ImagePlane<std::uint32_t> rampFrame(int f)
{
    ImagePlane<std::uint32_t> plane;
    plane.allocate(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            plane[y][x] = packPixel(static_cast<std::uint8_t>(40 + 8 * x + 4 * f), static_cast<std::uint8_t>(60 + 12 * y),
                                    static_cast<std::uint8_t>(200 - 6 * f), 0);
    return plane;
}

// The frame as another decoder gives it: rows from the top, red, green, blue.
Bytes rgbOf(const ImagePlane<std::uint32_t>& plane)
{
    Bytes out;
    for (int y = 0; y < plane.height; ++y)
        for (int x = 0; x < plane.width; ++x)
            append(out, {pixelRed(plane[y][x]), pixelGreen(plane[y][x]), pixelBlue(plane[y][x])});
    return out;
}

bool haveProgram(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output of a command line.
Bytes outputOf(const std::string& command)
{
    Bytes out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        std::uint8_t buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
        ::pclose(pipe);
    }
    return out;
}

// New files are AVI 2.0: written in RIFFs of a set size (tiny here, 1 GiB in
// use), continued across them, and read back frame for frame by ffmpeg, which
// finds and seeks through the standard indexes.
TEST_F(AviFile, NewFilesSpanSeveralRiffsAndAnotherDecoderReadsThemWhole)
{
    if (!haveProgram("ffmpeg") || !haveProgram("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed (make test-deps)";
    constexpr int kFrames = 9;
    for (const AviCodec codec : {AviCodec::Uncompressed, AviCodec::MotionJpeg}) {
        for (const std::uint64_t segment : {std::uint64_t{2000}, kAviSegmentBytes}) {
            SCOPED_TRACE(std::string(codec == AviCodec::MotionJpeg ? "mjpeg" : "raw") + " segment " +
                         std::to_string(segment));
            AviWriter w;
            ASSERT_EQ(createAvi(w, path, 16, 8, 15, codec), AviOpenStatus::Ok);
            w.segmentBytes = segment;
            for (int f = 0; f < 6; ++f) ASSERT_EQ(writeAviFrame(w, rampFrame(f), {16, 8}), ImageStatus::Ok);
            closeAvi(w);
            ASSERT_EQ(appendAvi(w, path, 16, 8), AviOpenStatus::Ok);
            EXPECT_EQ(w.codec, codec);
            w.segmentBytes = segment;
            for (int f = 6; f < kFrames; ++f) ASSERT_EQ(writeAviFrame(w, rampFrame(f), {16, 8}), ImageStatus::Ok);
            closeAvi(w);

            const Bytes file = readBytes(path);
            AviLayout layout;
            ASSERT_EQ(parseAvi(file, layout), AviOpenStatus::Ok);
            EXPECT_TRUE(layout.openDml);
            EXPECT_EQ(layout.frames.size(), static_cast<std::size_t>(kFrames));
            EXPECT_EQ(layout.segments.size() > 1, segment < kAviSegmentBytes) << layout.segments.size();
            EXPECT_EQ(get32le(&file[layout.dmlhAt]), static_cast<std::uint32_t>(kFrames));
            EXPECT_EQ(get32le(&file[layout.lengthAt]), static_cast<std::uint32_t>(kFrames));
            EXPECT_EQ(get32le(&file[layout.totalFramesAt]), layout.segments.front().frameCount);

            const std::string quoted = "'" + path + "'";
            const Bytes probe = outputOf("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                         "stream=codec_name,nb_read_frames -of csv=p=0 " + quoted);
            const std::string expected = std::string(codec == AviCodec::MotionJpeg ? "mjpeg" : "rawvideo") + "," +
                                         std::to_string(kFrames) + "\n";
            EXPECT_EQ(std::string(probe.begin(), probe.end()), expected);

            const Bytes decoded = outputOf("ffmpeg -v error -i " + quoted + " -f rawvideo -pix_fmt rgb24 -");
            const std::size_t frameBytes = 16 * 8 * 3;
            ASSERT_EQ(decoded.size(), kFrames * frameBytes);
            for (int f = 0; f < kFrames; ++f) {
                const Bytes want = rgbOf(rampFrame(f));
                const Bytes got(decoded.begin() + static_cast<std::ptrdiff_t>(f * frameBytes),
                                decoded.begin() + static_cast<std::ptrdiff_t>((f + 1) * frameBytes));
                if (codec == AviCodec::Uncompressed) {
                    EXPECT_EQ(got, want) << "frame " << f;
                } else {
                    long error = 0;
                    for (std::size_t i = 0; i < got.size(); ++i) error += std::abs(got[i] - want[i]);
                    EXPECT_LT(error / static_cast<long>(got.size()), 8) << "frame " << f;
                }
            }
            // Seeking by time lands on the frame the index names.
            const Bytes seven = outputOf("ffmpeg -v error -ss 0.4667 -i " + quoted +
                                         " -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
            if (codec == AviCodec::Uncompressed) EXPECT_EQ(seven, rgbOf(rampFrame(7)));
            else EXPECT_EQ(seven.size(), frameBytes);
        }
    }
}

// Starting a RIFF is undone as a whole when a write fails, and a file whose
// super index is full refuses the frame and keeps the ones before.
TEST_F(AviFile, ANewRiffIsAllOrNothing)
{
    AviWriter w;
    ASSERT_EQ(createAvi(w, path, 16, 8, 15, AviCodec::Uncompressed), AviOpenStatus::Ok);
    w.segmentBytes = 5000;
    int made = 0;
    while (w.layout.segments.size() == 1) {
        ASSERT_EQ(writeAviFrame(w, rampFrame(made), {16, 8}), ImageStatus::Ok);
        ++made;
    }
    // The frame that opened the second RIFF is taken back by hand: write it again under a size limit.
    closeAvi(w);
    const Bytes full = readBytes(path);
    AviLayout twoRiffs;
    ASSERT_EQ(parseAvi(full, twoRiffs), AviOpenStatus::Ok);
    ASSERT_EQ(twoRiffs.segments.size(), 2u);
    ASSERT_EQ(twoRiffs.segments[1].frameCount, 1u);

    // The same file one frame shorter, made anew.
    ASSERT_EQ(createAvi(w, path, 16, 8, 15, AviCodec::Uncompressed), AviOpenStatus::Ok);
    w.segmentBytes = 5000;
    for (int f = 0; f + 1 < made; ++f) ASSERT_EQ(writeAviFrame(w, rampFrame(f), {16, 8}), ImageStatus::Ok);
    const Bytes before = readBytes(path);
    {
        testing::FileSizeLimit limit(before.size() + 100); // the new RIFF's header fits, its frame does not
        EXPECT_EQ(writeAviFrame(w, rampFrame(made - 1), {16, 8}), ImageStatus::WriteFailed);
    }
    EXPECT_EQ(readBytes(path), before);
    ASSERT_EQ(writeAviFrame(w, rampFrame(made - 1), {16, 8}), ImageStatus::Ok);
    EXPECT_EQ(readBytes(path), full);

    // No room for a third RIFF.
    w.layout.superIndexRoom = 2;
    ImageStatus st = ImageStatus::Ok;
    for (int f = 0; f < 100 && st == ImageStatus::Ok; ++f) st = writeAviFrame(w, rampFrame(f), {16, 8});
    EXPECT_EQ(st, ImageStatus::TooLarge);
    closeAvi(w);
    AviLayout kept;
    const Bytes after = readBytes(path);
    ASSERT_EQ(parseAvi(after, kept), AviOpenStatus::Ok);
    EXPECT_EQ(kept.segments.size(), 2u);

    // Every shorter piece of a file of two RIFFs is refused without reading past its end.
    for (std::size_t n = 0; n < full.size(); n += 7) {
        AviLayout layout;
        EXPECT_EQ(parseAvi(std::span(full).first(n), layout), AviOpenStatus::OpenFailed) << n;
    }
}

} // namespace
} // namespace kalvenor
