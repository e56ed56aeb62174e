// PNG output, an extra beside the classic formats: the picture as 8-bit RGB
// through libpng. A libpng error jumps back to the writer, which fails.
#pragma once

#include <string>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor {

// How hard the picture is packed: 0 stores it unpacked; 1 .. 3 (all alike)
// take the cheap "sub" filter on every row and pack runs only, about 30 ms
// for a 1024 x 768 render; 4 .. 9 try every filter on each row and deflate at
// that zlib level, a few per cent smaller and 7 to 25 times slower. Outside
// 0 .. 9 the default.
constexpr int kPngDefaultLevel = 2;

// The previous file stays when anything fails.
ImageStatus savePng(const PixelView& source, const std::string& path, int level = kPngDefaultLevel);
ImageStatus savePng(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path,
                    int level = kPngDefaultLevel);

} // namespace kalvenor
