#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "codecs/flc.h"
#include "codecs/growing_file.h"
#include "codecs/image_test_support.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TempDir;

ImagePlane<std::uint8_t> picture(int width, const std::vector<Bytes>& rows)
{
    return testing::indexedPicture(width, rows);
}

PcxPalette testPalette(int seed)
{
    PcxPalette p{};
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return p;
}

Bytes readBytes(const std::string& path)
{
    const std::string s = testing::readFile(path);
    return Bytes(s.begin(), s.end());
}

void append(Bytes& out, std::initializer_list<int> bytes)
{
    for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
}

constexpr std::uint32_t kCreated = 0x58B16DAF; // 17 May 2024, 13:45:30
constexpr std::uint32_t kUpdated = 0x58B16DB0; // two seconds later

// The two frames of the small animation: 4 x 2 pixels.
const std::vector<Bytes> kFrame0 = {{5, 5, 5, 5}, {1, 2, 3, 4}};
const std::vector<Bytes> kFrame1 = {{7, 8, 9, 9}, {3, 3, 3, 6}};

// The whole file, worked out field by field from the layout.
Bytes expectedTwoFrameFile(const PcxPalette& palette)
{
    Bytes f(128, 0);
    put32le(&f[0], 972);   // 128 + 810 + 34
    put16le(&f[4], 0xAF12);
    put16le(&f[6], 2);
    put16le(&f[8], 4);
    put16le(&f[10], 2);
    put16le(&f[12], 8);
    put32le(&f[16], 67);   // 15 frames a second
    put32le(&f[22], kCreated);
    put32le(&f[30], kUpdated);
    put16le(&f[38], 1);
    put16le(&f[40], 1);
    put32le(&f[80], 128);
    put32le(&f[84], 938);  // 128 + the first frame
    // Frame 0: 16 + 778 + 16 bytes, two chunks.
    append(f, {0x2A, 0x03, 0, 0, 0xFA, 0xF1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    append(f, {0x0A, 0x03, 0, 0, 4, 0, 1, 0, 0, 0});
    f.insert(f.end(), palette.begin(), palette.end());
    append(f, {16, 0, 0, 0, 15, 0});
    append(f, {1, 4, 5});               // row 0: one packet, a run of four 5s
    append(f, {1, 0xFC, 1, 2, 3, 4});   // row 1: one packet, four bytes copied
    append(f, {0});                      // pad to an even length
    // Frame 1: 16 + 18 bytes, the byte-run chunk alone.
    append(f, {0x22, 0, 0, 0, 0xFA, 0xF1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    append(f, {18, 0, 0, 0, 15, 0});
    append(f, {1, 0xFC, 7, 8, 9, 9});   // no three equal bytes within reach: four copied
    append(f, {2, 3, 3, 0xFF, 6});      // a run of three 3s, then one byte copied
    append(f, {0});
    return f;
}

TEST(Flc, SpeedAndFrameRate)
{
    const struct {
        int rate;
        std::uint32_t speed;
    } cases[] = {{15, 67}, {30, 33}, {24, 42}, {16, 63}, {3, 333}, {1, 1000}, {1000, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(flcSpeed(c.rate), c.speed) << c.rate;
        EXPECT_EQ(flcFrameRate(c.speed), c.rate) << c.speed;
    }
    EXPECT_EQ(flcFrameRate(0), 0);
    EXPECT_EQ(flcFrameRate(3000), 1); // slower than one frame a second
}

TEST(Flc, PackedDateAndTime)
{
    const auto at = [](int year, int month, int day, int hour, int minute, int second) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        return t;
    };
    const struct {
        std::tm when;
        std::uint32_t packed;
    } cases[] = {
        {at(2024, 5, 17, 13, 45, 30), 0x58B16DAF}, // date 44<<9|5<<5|17, time 13<<11|45<<5|15
        {at(1980, 1, 1, 0, 0, 1), 0x00210000},     // odd seconds are halved down
        {at(1979, 12, 31, 23, 59, 59), 0x00210000},
        {at(2107, 12, 31, 23, 59, 59), 0xFF9FBF7D},
    };
    for (const auto& c : cases) EXPECT_EQ(dosDateTime(c.when), c.packed) << c.packed;
}

// Each row shows a piece of the packet rule: short tails are copied, three
// equal bytes start a run, copies stop where a run can start but look for
// one only below n - 2.
TEST(Flc, ByteRunRowsFollowThePacketRule)
{
    Bytes distinct130(130), longCopy(129, 0xEE), cutRun(128, 0xEE), alternating(900);
    for (int i = 0; i < 130; ++i) distinct130[i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 125; ++i) longCopy[i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 124; ++i) cutRun[i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 900; ++i) alternating[i] = (i / 3) % 2 ? 9 : 4;

    Bytes distinctCode = {2, 0x81};
    for (int i = 0; i < 127; ++i) distinctCode.push_back(static_cast<std::uint8_t>(i));
    append(distinctCode, {0xFD, 127, 128, 129});
    // The triple at 125 lies at n - 2: not looked for, so the copy takes 127
    // bytes and the run is split.
    Bytes longCopyCode = {2, 0x81};
    for (int i = 0; i < 125; ++i) longCopyCode.push_back(static_cast<std::uint8_t>(i));
    append(longCopyCode, {0xEE, 0xEE, 0xFE, 0xEE, 0xEE});
    // One byte shorter: the triple at 124 is found and the run kept whole.
    Bytes cutRunCode = {2, 0x84};
    for (int i = 0; i < 124; ++i) cutRunCode.push_back(static_cast<std::uint8_t>(i));
    append(cutRunCode, {4, 0xEE});

    const struct {
        const char* name;
        Bytes row;
        Bytes code;
    } cases[] = {
        {"one byte", {9}, {1, 0xFF, 9}},
        {"two equal bytes are copied", {9, 9}, {1, 0xFE, 9, 9}},
        {"three equal bytes run", {9, 9, 9}, {1, 3, 9}},
        {"copy up to the run", {1, 2, 3, 3, 3}, {2, 0xFE, 1, 2, 3, 3}},
        {"two equal at the end are copied", {1, 2, 3, 4, 4}, {1, 0xFB, 1, 2, 3, 4, 4}},
        {"copy then run", {1, 2, 3, 4, 4, 4}, {2, 0xFD, 1, 2, 3, 3, 4}},
        {"run then short tail", {7, 7, 7, 7, 1, 1}, {2, 4, 7, 0xFE, 1, 1}},
        {"runs of at most 127", Bytes(200, 0x55), {2, 0x7F, 0x55, 0x49, 0x55}},
        {"copies of at most 127", distinct130, distinctCode},
        {"search stops below n - 2", longCopy, longCopyCode},
        {"triple just inside the reach", cutRun, cutRunCode},
    };
    for (const auto& c : cases) {
        Bytes out;
        encodeFlcRow(c.row, out);
        EXPECT_EQ(out, c.code) << c.name;
    }

    // 300 runs of three: the packet count keeps its low 8 bits (300 - 256).
    Bytes out;
    encodeFlcRow(alternating, out);
    ASSERT_EQ(out.size(), 1u + 600u);
    EXPECT_EQ(out[0], 44);
    EXPECT_EQ(out[1], 3);
    EXPECT_EQ(out[2], 4);
    EXPECT_EQ(out[4], 9);
}

class FlcFile : public ::testing::Test {
protected:
    TempDir dir{"flc"};
    std::string path = dir / "fly.FLC";
    PcxPalette palette = testPalette(3);
    ImagePlane<std::uint8_t> frame0 = picture(4, kFrame0);
    ImagePlane<std::uint8_t> frame1 = picture(4, kFrame1);

    ImageStatus add(FlcStream& stream, const ImagePlane<std::uint8_t>& frame, std::uint32_t when,
                    const PcxPalette* colours = nullptr)
    {
        return appendFlcFrame(stream, frame, {4, 2}, colours ? *colours : palette, 15, when);
    }
};

TEST_F(FlcFile, TwoFramesAreWrittenByteForByte)
{
    FlcStream stream;
    ASSERT_EQ(openFlcStream(path, stream), ImageStatus::Ok);
    ASSERT_EQ(add(stream, frame0, kCreated), ImageStatus::Ok);
    ASSERT_EQ(add(stream, frame1, kUpdated), ImageStatus::Ok);
    EXPECT_EQ(readBytes(path), expectedTwoFrameFile(palette));

    FlcFileInfo info;
    ASSERT_EQ(readFlcInfo(path, info), ImageStatus::Ok);
    EXPECT_EQ(info.header.frames, 2);
    EXPECT_EQ(info.header.speed, 67u);
    EXPECT_TRUE(info.hasPalette);
    EXPECT_EQ(info.palette, palette);
}

// Continuing: a new stream reads the palette already in the file, so the
// next frame is the same as if the run had never stopped.
TEST_F(FlcFile, ContinuingGivesTheSameFileAsOneRun)
{
    {
        FlcStream first;
        ASSERT_EQ(openFlcStream(path, first), ImageStatus::Ok);
        ASSERT_EQ(add(first, frame0, kCreated), ImageStatus::Ok);
    }
    FlcStream later;
    ASSERT_EQ(openFlcStream(path, later), ImageStatus::Ok);
    EXPECT_TRUE(later.hasPalette);
    ASSERT_EQ(add(later, frame1, kUpdated), ImageStatus::Ok);
    EXPECT_EQ(readBytes(path), expectedTwoFrameFile(palette));
}

// Frames after a change of colours would show in the old ones; they carry the
// new palette ahead of their picture.
TEST_F(FlcFile, ChangedColoursTravelWithTheFrame)
{
    const PcxPalette other = testPalette(100);
    FlcStream stream;
    ASSERT_EQ(openFlcStream(path, stream), ImageStatus::Ok);
    ASSERT_EQ(add(stream, frame0, kCreated), ImageStatus::Ok);
    ASSERT_EQ(add(stream, frame1, kUpdated, &other), ImageStatus::Ok);
    const Bytes f = readBytes(path);
    ASSERT_EQ(f.size(), 128u + 810u + 812u);
    EXPECT_EQ(get32le(&f[938]), 812u); // 16 + 778 + 18
    EXPECT_EQ(get16le(&f[938 + 6]), 2);
    EXPECT_EQ(get16le(&f[954 + 4]), 4);
    EXPECT_TRUE(std::equal(other.begin(), other.end(), f.begin() + 954 + 10));
    FlcFileInfo info;
    ASSERT_EQ(readFlcInfo(path, info), ImageStatus::Ok);
    EXPECT_EQ(info.palette, other);
}

TEST_F(FlcFile, AFailedWriteLeavesTheFramesBefore)
{
    FlcStream stream;
    ASSERT_EQ(openFlcStream(path, stream), ImageStatus::Ok);
    ASSERT_EQ(add(stream, frame0, kCreated), ImageStatus::Ok);
    const Bytes before = readBytes(path);
    {
        testing::FileSizeLimit limit(before.size() + 20); // the second frame needs 34 bytes
        EXPECT_EQ(add(stream, frame1, kUpdated), ImageStatus::WriteFailed);
    }
    EXPECT_EQ(readBytes(path), before);
    // A piece of a frame left by a crash is not part of the file: the next
    // frame goes where the header says the file ends.
    Bytes junk = before;
    append(junk, {0xDE, 0xAD, 0xBE, 0xEF, 1});
    testing::writeBytes(path, junk);
    ASSERT_EQ(add(stream, frame1, kUpdated), ImageStatus::Ok);
    EXPECT_EQ(readBytes(path), expectedTwoFrameFile(palette));
}

TEST_F(FlcFile, FullFilesAndOtherFilesAreNotExtended)
{
    FlcStream stream;
    ASSERT_EQ(openFlcStream(path, stream), ImageStatus::Ok);
    ASSERT_EQ(add(stream, frame0, kCreated), ImageStatus::Ok);
    const Bytes good = readBytes(path);

    const auto patched = [&](std::size_t at, std::uint32_t value, int bytes) {
        Bytes b = good;
        if (bytes == 2) put16le(&b[at], static_cast<std::uint16_t>(value));
        else put32le(&b[at], value);
        return b;
    };
    const struct {
        const char* name;
        Bytes file;
        ImageStatus status;
    } cases[] = {
        {"65535 frames already", patched(6, 65535, 2), ImageStatus::TooLarge},
        {"another width", patched(8, 5, 2), ImageStatus::Unsupported},
        {"not an FLC", patched(4, 0xAF11, 2), ImageStatus::BadHeader},
        {"16 bits a pixel", patched(12, 16, 2), ImageStatus::Unsupported},
        {"size past the end", patched(0, 5000, 4), ImageStatus::BadHeader},
        {"size inside the header", patched(0, 100, 4), ImageStatus::BadHeader},
        {"shorter than a header", Bytes(good.begin(), good.begin() + 60), ImageStatus::Truncated},
    };
    for (const auto& c : cases) {
        testing::writeBytes(path, c.file);
        EXPECT_EQ(add(stream, frame1, kUpdated), c.status) << c.name;
        EXPECT_EQ(readBytes(path), c.file) << c.name;
    }
}

// The 32-bit size: a file just short of 4 GiB takes no further frame. The
// file is sparse, so the test writes almost nothing.
TEST_F(FlcFile, AFrameThatWouldPassFourGibIsRefused)
{
    const FlcHeaderBytes fresh = flcHeaderBytes(4, 2, 15, kCreated);
    Bytes header(fresh.begin(), fresh.end());
    put32le(&header[0], 0xFFFFFFF0u);
    put16le(&header[6], 1);
    testing::writeBytes(path, header);
    {
        GrowingFile file;
        ASSERT_TRUE(file.open(path));
        if (!file.truncate(0xFFFFFFF0u)) GTEST_SKIP() << "no sparse files here";
    }
    FlcStream stream;
    stream.path = path;
    EXPECT_EQ(add(stream, frame1, kUpdated), ImageStatus::TooLarge);
    EXPECT_EQ(std::filesystem::file_size(path), 0xFFFFFFF0u);
}

class FlcScan : public FlcFile {
protected:
    Bytes good;
    void SetUp() override
    {
        FlcStream stream;
        ASSERT_EQ(openFlcStream(path, stream), ImageStatus::Ok);
        ASSERT_EQ(add(stream, frame0, kCreated), ImageStatus::Ok);
        ASSERT_EQ(add(stream, frame1, kUpdated), ImageStatus::Ok);
        good = readBytes(path);
    }
    Bytes with(std::size_t at, std::initializer_list<int> bytes) const
    {
        Bytes b = good;
        for (int v : bytes) b[at++] = static_cast<std::uint8_t>(v);
        return b;
    }
};

TEST_F(FlcScan, HostileFilesAreRefusedBeforeUse)
{
    const struct {
        const char* name;
        Bytes file;
        ImageStatus status;
    } cases[] = {
        {"older animation type", with(4, {0x11, 0xAF}), ImageStatus::BadHeader},
        {"no width", with(8, {0, 0}), ImageStatus::BadHeader},
        {"16 bits a pixel", with(12, {16, 0}), ImageStatus::Unsupported},
        {"size past the end", with(0, {0xCD, 0x03}), ImageStatus::Truncated},
        {"size inside the header", with(0, {100, 0}), ImageStatus::BadHeader},
        {"more frames stated than stored", with(6, {3}), ImageStatus::BadHeader},
        {"a loop frame after the frames", with(6, {1}), ImageStatus::Unsupported},
        {"frame chunk of size 0", with(128, {0, 0}), ImageStatus::BadHeader},
        {"frame chunk shorter than its header", with(128, {10, 0}), ImageStatus::BadHeader},
        {"frame chunk past the end", with(128, {0xFF, 0xFF}), ImageStatus::BadHeader},
        {"unknown chunk between frames", with(938 + 4, {0x34, 0x12}), ImageStatus::BadHeader},
        {"palette chunk past its frame", with(144, {0xFF, 0x0F}), ImageStatus::BadHeader},
        {"two palette packets, one stored", with(150, {2}), ImageStatus::BadHeader},
        {"palette packet past entry 255", with(152, {1}), ImageStatus::BadHeader},
        {"more chunks stated than stored", with(128 + 6, {3}), ImageStatus::BadHeader},
    };
    for (const auto& c : cases) {
        FlcFileInfo info;
        EXPECT_EQ(scanFlc(c.file, info), c.status) << c.name;
    }
    // Every shorter piece of the file is refused.
    for (std::size_t n = 0; n < good.size(); ++n) {
        FlcFileInfo info;
        EXPECT_NE(scanFlc(std::span(good).first(n), info), ImageStatus::Ok) << n;
    }
}

} // namespace
} // namespace kalvenor
