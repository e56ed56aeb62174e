#include "codecs/bmp.h"

#include <algorithm>
#include <vector>

#include "base/atomic_file.h"
#include "base/byte_cursor.h"
#include "base/byte_order.h"

namespace kalvenor {

namespace {

constexpr std::uint16_t kPlanes = 1;
constexpr std::uint16_t kBits = 24;

} // namespace

ImageStatus parseBmpHeader(std::span<const std::uint8_t> file, BmpHeader& header)
{
    ByteCursor cursor(file);
    const auto h = cursor.take(kBmpHeaderBytes);
    if (cursor.failed) return ImageStatus::Truncated;
    if (h[kBmpSignature] != 'B' || h[kBmpSignature + 1] != 'M') return ImageStatus::BadHeader;
    if (get16le(&h[kBmpPlanes]) != kPlanes || get16le(&h[kBmpBitCount]) != kBits) return ImageStatus::BadHeader;
    // Both sides are signed; a negative height would mean rows from the top,
    // which this reader does not take.
    const auto width = static_cast<std::int32_t>(get32le(&h[kBmpWidth]));
    const auto height = static_cast<std::int32_t>(get32le(&h[kBmpHeight]));
    if (width <= 0 || height <= 0) return ImageStatus::BadHeader;
    if (bmpRowBytes(width) > kRowBufferBytes) return ImageStatus::TooLarge;
    header = {width, height, get32le(&h[kBmpDataOffset]), bmpRowBytes(width)};
    return ImageStatus::Ok;
}

std::array<std::uint8_t, kBmpHeaderBytes> bmpHeaderBytes(int width, int height)
{
    std::array<std::uint8_t, kBmpHeaderBytes> h = {};
    h[kBmpSignature] = 'B';
    h[kBmpSignature + 1] = 'M';
    put32le(&h[kBmpFileSize], static_cast<std::uint32_t>(kBmpHeaderBytes + height * bmpRowBytes(width)));
    put32le(&h[kBmpDataOffset], kBmpHeaderBytes);
    put32le(&h[kBmpInfoSize], kBmpInfoHeaderBytes);
    put32le(&h[kBmpWidth], static_cast<std::uint32_t>(width));
    put32le(&h[kBmpHeight], static_cast<std::uint32_t>(height));
    put16le(&h[kBmpPlanes], kPlanes);
    put16le(&h[kBmpBitCount], kBits);
    return h;
}

ImageStatus decodeBmp(std::span<const std::uint8_t> file, const PixelView& target, BmpHeader& header)
{
    if (!target.valid()) return ImageStatus::NoBuffer;
    if (const ImageStatus st = parseBmpHeader(file, header); st != ImageStatus::Ok) return st;
    const int w = std::min(header.width, target.width);
    const int h = std::min(header.height, target.height);
    ByteCursor cursor(file);
    cursor.seek(header.dataOffset);
    for (int i = 0; i < h; ++i) {
        const auto row = cursor.take(header.rowBytes);
        if (cursor.failed) return ImageStatus::Truncated;
        std::uint32_t* dst = target.row(h - 1 - i);
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &row[3 * static_cast<std::size_t>(x)];
            dst[x] = packPixel(p[2], p[1], p[0]);
        }
    }
    return ImageStatus::Ok;
}

ImageStatus loadBmp(const std::string& path, const PixelView& target, BmpHeader& header)
{
    if (!target.valid()) return ImageStatus::NoBuffer;
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    return decodeBmp(file.bytes(), target, header);
}

ImageStatus saveBmp(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path)
{
    const PixelView view = viewOf(vidmem24, size);
    if (!view.valid()) return ImageStatus::NoBuffer;
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return ImageStatus::WriteFailed;
    const auto header = bmpHeaderBytes(view.width, view.height);
    file.write(header.data(), header.size());
    std::vector<std::uint8_t> row(bmpRowBytes(view.width), 0); // the padding stays 0
    for (int y = view.height - 1; y >= 0; --y) {
        const std::uint32_t* src = view.row(y);
        for (int x = 0; x < view.width; ++x) {
            std::uint8_t* p = &row[3 * static_cast<std::size_t>(x)];
            p[0] = pixelBlue(src[x]);
            p[1] = pixelGreen(src[x]);
            p[2] = pixelRed(src[x]);
        }
        if (!file.write(row.data(), row.size())) return ImageStatus::WriteFailed;
    }
    return file.commit() ? ImageStatus::Ok : ImageStatus::WriteFailed;
}

} // namespace kalvenor
