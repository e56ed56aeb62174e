#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "codecs/image_test_support.h"
#include "codecs/kanim.h"
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

Bytes readBytes(const std::string& path)
{
    const std::string s = testing::readFile(path);
    return Bytes(s.begin(), s.end());
}

class KanimFile : public ::testing::Test {
protected:
    TempDir dir{"kanim"};
    std::string path = dir / "fly.KAN";
    PcxPalette palette{};
    ImagePlane<std::uint8_t> frame0 = picture(4, {{5, 5, 5, 5}, {1, 2, 3, 4}});
    ImagePlane<std::uint8_t> frame1 = picture(4, {{7, 8, 9, 9}, {3, 3, 3, 6}});

    void SetUp() override
    {
        for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<std::uint8_t>(i * 37);
    }
    ImageStatus add(const ImagePlane<std::uint8_t>& frame) { return appendKanimFrame(path, frame, {4, 2}, 3, palette); }

    // The file of the two frames, from the layout: 1024 bytes of header and
    // palette, then each frame's rows from the bottom up.
    Bytes expected() const
    {
        Bytes f(1024, 0);
        const char magic[8] = {'K', 'A', 'N', 'I', 'M', 'W', 'N', 0};
        std::copy(magic, magic + 8, f.begin());
        const std::uint32_t fields[] = {8, 1024, 8, 256, 4, 2, 1, 3}; // offsets 8 to 36
        for (std::size_t i = 0; i < 8; ++i) put32le(&f[8 + 4 * i], fields[i]);
        for (std::size_t i = 0; i < 768; ++i) f[256 + i] = static_cast<std::uint8_t>((i * 37 & 255) >> 2);
        const Bytes frames = {1, 2, 3, 4, 5, 5, 5, 5, 3, 3, 3, 6, 7, 8, 9, 9};
        f.insert(f.end(), frames.begin(), frames.end());
        return f;
    }
};

TEST_F(KanimFile, TwoFramesAreWrittenByteForByteAndCounted)
{
    ASSERT_EQ(add(frame0), ImageStatus::Ok);
    ASSERT_EQ(add(frame1), ImageStatus::Ok);
    EXPECT_EQ(readBytes(path), expected());

    KanimHeader header;
    std::uint64_t frames = 0;
    ASSERT_EQ(readKanimInfo(path, header, frames), ImageStatus::Ok);
    EXPECT_EQ(frames, 2u);
    EXPECT_EQ(header.width, 4);
    EXPECT_EQ(header.height, 2);
    EXPECT_EQ(header.sizeMode, 3);
}

// A failed write takes its piece of frame away again, and a piece left by a
// crash is neither counted nor kept in front of the next frame.
TEST_F(KanimFile, OnlyWholeFramesStayInTheFile)
{
    ASSERT_EQ(add(frame0), ImageStatus::Ok);
    const Bytes one = readBytes(path);
    {
        testing::FileSizeLimit limit(one.size() + 3);
        EXPECT_EQ(add(frame1), ImageStatus::WriteFailed);
    }
    EXPECT_EQ(readBytes(path), one);

    Bytes cut = one;
    cut.insert(cut.end(), {9, 9, 9, 9, 9});
    testing::writeBytes(path, cut);
    KanimHeader header;
    std::uint64_t frames = 0;
    ASSERT_EQ(readKanimInfo(path, header, frames), ImageStatus::Ok);
    EXPECT_EQ(frames, 1u);
    ASSERT_EQ(add(frame1), ImageStatus::Ok);
    EXPECT_EQ(readBytes(path), expected());
}

TEST_F(KanimFile, HeadersThatLieAreRefused)
{
    const Bytes good = expected();
    const auto with = [&](std::size_t at, std::uint32_t value) {
        Bytes b = good;
        put32le(&b[at], value);
        return b;
    };
    const struct {
        const char* name;
        Bytes file;
        ImageStatus status;
    } cases[] = {
        {"shorter than the header", Bytes(good.begin(), good.begin() + 255), ImageStatus::Truncated},
        {"another magic", with(4, 0x00574E4E), ImageStatus::BadHeader},
        {"frame size 0", with(16, 0), ImageStatus::BadHeader},
        {"frame size not width x height", with(16, 9), ImageStatus::BadHeader},
        {"first frame elsewhere", with(12, 512), ImageStatus::BadHeader},
        {"no width", with(24, 0), ImageStatus::BadHeader},
        {"width past the largest image", with(24, 65536), ImageStatus::BadHeader},
    };
    for (const auto& c : cases) {
        KanimHeader header;
        EXPECT_EQ(parseKanimHeader(c.file, header), c.status) << c.name;
        // Appending to such a file leaves it alone.
        testing::writeBytes(path, c.file);
        EXPECT_NE(add(frame0), ImageStatus::Ok) << c.name;
        EXPECT_EQ(readBytes(path), c.file) << c.name;
    }
    // The header and palette without a frame count nothing; a file of another size is not extended.
    testing::writeBytes(path, Bytes(good.begin(), good.begin() + 1024));
    KanimHeader header;
    std::uint64_t frames = 7;
    ASSERT_EQ(readKanimInfo(path, header, frames), ImageStatus::Ok);
    EXPECT_EQ(frames, 0u);
    EXPECT_EQ(appendKanimFrame(path, picture(2, {{1, 2}}), {2, 1}, 1, palette), ImageStatus::Unsupported);
}

} // namespace
} // namespace kalvenor
