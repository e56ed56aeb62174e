// Windows bitmaps of 24 bits: a 54-byte little-endian header, rows from the
// bottom up as blue, green, red triples, each padded to a multiple of 4 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor {

constexpr std::size_t kBmpHeaderBytes = 54;
constexpr std::size_t kBmpInfoHeaderBytes = 40;

// Header fields by offset.
constexpr std::size_t kBmpSignature = 0;
constexpr std::size_t kBmpFileSize = 2;
constexpr std::size_t kBmpDataOffset = 10;
constexpr std::size_t kBmpInfoSize = 14;
constexpr std::size_t kBmpWidth = 18;
constexpr std::size_t kBmpHeight = 22;
constexpr std::size_t kBmpPlanes = 26;
constexpr std::size_t kBmpBitCount = 28;

struct BmpHeader {
    int width = 0;
    int height = 0;
    std::size_t dataOffset = 0;
    std::size_t rowBytes = 0; // padded
};

// (width x 3 + 3) rounded down to a multiple of 4.
constexpr std::size_t bmpRowBytes(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

// Ok, Truncated (fewer than 54 bytes), BadHeader (no "BM", not 24 bits in one
// plane, a side of 0 or below: rows stored from the top are not taken) or
// TooLarge (a padded row beyond the 32 KiB row buffer). The compression field
// is not looked at.
ImageStatus parseBmpHeader(std::span<const std::uint8_t> file, BmpHeader& header);

std::array<std::uint8_t, kBmpHeaderBytes> bmpHeaderBytes(int width, int height);

// Reads min(file height, target height) rows into the target, the i-th row
// read to target row h - 1 - i, each cut to the target width; the fourth
// byte of every pixel becomes 0. Truncated keeps the rows converted so far.
ImageStatus decodeBmp(std::span<const std::uint8_t> file, const PixelView& target, BmpHeader& header);
ImageStatus loadBmp(const std::string& path, const PixelView& target, BmpHeader& header);

// vidmem24 at the image size. The previous file stays when anything fails.
ImageStatus saveBmp(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path);

} // namespace kalvenor
