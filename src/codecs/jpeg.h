// JPEG through the classic libjpeg interface, one scan line at a time. A
// fatal library error comes back to the reader or writer (the library's
// error routine jumps back), which then releases the codec and fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor {

constexpr int kJpegMinQuality = 25;
constexpr int kJpegMaxQuality = 100;

// Below 25 becomes 25; above 100 becomes 100.
int clampJpegQuality(long quality);

struct JpegInfo {
    int width = 0;  // output width and height of the decoded file
    int height = 0;
    int components = 0;
};

// Decodes a JPEG held in memory into the target: row y of the file goes to
// target row y while y < the target height, each cut to the target width;
// (r, g, b) becomes r | g << 8 | b << 16 and a grey v becomes v | v << 8 | v << 16,
// the fourth byte 0. Rows past the target height are not decoded. Only files
// that decode to 1 or 3 components are taken (others: Unsupported, target
// untouched). BadHeader when the header cannot be read, Truncated when the
// library gives up later (the rows converted so far stay).
ImageStatus decodeJpeg(std::span<const std::uint8_t> file, const PixelView& target, JpegInfo& info);
ImageStatus loadJpeg(const std::string& path, const PixelView& target, JpegInfo& info);

// Writes the picture as a baseline JPEG at the quality (clamped to 25..100).
// The previous file stays when anything fails.
ImageStatus saveJpeg(const PixelView& source, int quality, const std::string& path);
ImageStatus saveJpeg(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, int quality, const std::string& path);

// The same JPEG into out (emptied first), for frames stored inside other files.
ImageStatus encodeJpeg(const PixelView& source, int quality, std::vector<std::uint8_t>& out);

} // namespace kalvenor
