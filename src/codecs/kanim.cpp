#include "codecs/kanim.h"

#include <algorithm>
#include <vector>

#include "base/atomic_file.h"
#include "base/byte_order.h"
#include "base/paths.h"
#include "codecs/growing_file.h"

namespace kalvenor {

namespace {

constexpr std::uint32_t kLayoutOne = 1; // the word at 32, always 1
constexpr int kPaletteShift = 2;        // 8-bit display values stored as 0 .. 63

// The frame as stored: rows from the bottom of the image up.
std::vector<std::uint8_t> frameBytes(const ImagePlane<std::uint8_t>& vidmem8, ImageSize s)
{
    const auto width = static_cast<std::size_t>(s.width);
    std::vector<std::uint8_t> out(width * static_cast<std::size_t>(s.height));
    auto at = out.begin();
    for (int row = s.height - 1; row >= 0; --row, at += static_cast<std::ptrdiff_t>(width))
        std::copy_n(vidmem8[row], width, at);
    return out;
}

ImageStatus createWithFrame(const std::string& path, ImageSize s, int sizeMode, const PcxPalette& palette,
                            const std::vector<std::uint8_t>& frame)
{
    const auto start = kanimHeaderBytes(s.width, s.height, sizeMode, palette);
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return ImageStatus::WriteFailed;
    file.write(start.data(), start.size());
    file.write(frame.data(), frame.size());
    return file.commit() ? ImageStatus::Ok : ImageStatus::WriteFailed;
}

} // namespace

std::array<std::uint8_t, kKanimFirstFrame> kanimHeaderBytes(int width, int height, int sizeMode,
                                                            const PcxPalette& palette)
{
    std::array<std::uint8_t, kKanimFirstFrame> h = {};
    const auto bytes = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height);
    std::copy(std::begin(kKanimMagic), std::end(kKanimMagic), h.begin());
    put32le(&h[kKanimImageBytesAt], bytes);
    put32le(&h[kKanimFirstFrameAt], static_cast<std::uint32_t>(kKanimFirstFrame));
    put32le(&h[kKanimFrameBytesAt], bytes);
    put32le(&h[kKanimPaletteEntriesAt], kKanimPaletteEntries);
    put32le(&h[kKanimWidthAt], static_cast<std::uint32_t>(width));
    put32le(&h[kKanimHeightAt], static_cast<std::uint32_t>(height));
    put32le(&h[kKanimOneAt], kLayoutOne);
    put32le(&h[kKanimSizeModeAt], static_cast<std::uint32_t>(sizeMode));
    for (std::size_t i = 0; i < palette.size(); ++i)
        h[kKanimPaletteAt + i] = static_cast<std::uint8_t>(palette[i] >> kPaletteShift);
    return h;
}

ImageStatus parseKanimHeader(std::span<const std::uint8_t> start, KanimHeader& header)
{
    if (start.size() < kKanimHeaderBytes) return ImageStatus::Truncated;
    if (!std::equal(std::begin(kKanimMagic), std::end(kKanimMagic), start.begin())) return ImageStatus::BadHeader;
    const std::uint32_t width = get32le(&start[kKanimWidthAt]);
    const std::uint32_t height = get32le(&start[kKanimHeightAt]);
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return ImageStatus::BadHeader;
    // Frames are found by this layout alone, so a file that states another
    // one cannot be read or continued as a KANIM.
    const std::uint32_t bytes = width * height;
    if (get32le(&start[kKanimFirstFrameAt]) != kKanimFirstFrame || get32le(&start[kKanimFrameBytesAt]) != bytes)
        return ImageStatus::BadHeader;
    header.width = static_cast<int>(width);
    header.height = static_cast<int>(height);
    header.frameBytes = bytes;
    header.sizeMode = static_cast<int>(get32le(&start[kKanimSizeModeAt]));
    return ImageStatus::Ok;
}

std::uint64_t kanimFrameCount(std::uint64_t fileBytes, const KanimHeader& header)
{
    if (fileBytes <= kKanimFirstFrame || header.frameBytes == 0) return 0;
    return (fileBytes - kKanimFirstFrame) / header.frameBytes;
}

ImageStatus readKanimInfo(const std::string& path, KanimHeader& header, std::uint64_t& frames)
{
    GrowingFile file;
    std::uint64_t bytes = 0;
    if (!file.open(path) || !file.size(bytes)) return ImageStatus::OpenFailed;
    std::array<std::uint8_t, kKanimHeaderBytes> start{};
    if (bytes < start.size() || !file.readAt(0, start)) return ImageStatus::Truncated;
    if (const ImageStatus st = parseKanimHeader(start, header); st != ImageStatus::Ok) return st;
    frames = kanimFrameCount(bytes, header);
    return ImageStatus::Ok;
}

ImageStatus appendKanimFrame(const std::string& path, const ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                             int sizeMode, const PcxPalette& palette)
{
    const ImageSize s = clippedSize(vidmem8, size);
    if (s.width <= 0 || s.height <= 0) return ImageStatus::NoBuffer;
    const std::vector<std::uint8_t> frame = frameBytes(vidmem8, s);
    if (!fileExists(path)) return createWithFrame(path, s, sizeMode, palette, frame);

    GrowingFile file;
    std::uint64_t bytes = 0;
    if (!file.open(path) || !file.size(bytes)) return ImageStatus::OpenFailed;
    std::array<std::uint8_t, kKanimHeaderBytes> start{};
    if (bytes < kKanimFirstFrame || !file.readAt(0, start)) return ImageStatus::Truncated;
    KanimHeader header;
    if (const ImageStatus st = parseKanimHeader(start, header); st != ImageStatus::Ok) return st;
    if (header.width != s.width || header.height != s.height) return ImageStatus::Unsupported;

    // After the last whole frame: a piece of a frame left by an earlier
    // interrupted write is overwritten rather than shifting every later frame.
    const std::uint64_t at = kKanimFirstFrame + kanimFrameCount(bytes, header) * header.frameBytes;
    if (!file.writeAt(at, frame)) {
        file.truncate(at);
        return ImageStatus::WriteFailed;
    }
    return ImageStatus::Ok;
}

} // namespace kalvenor
