// PNG output, an extra beside the classic formats: the picture as 8-bit RGB
// through libpng. A libpng error jumps back to the writer, which fails.
#pragma once

#include <string>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor {

// The previous file stays when anything fails.
ImageStatus savePng(const PixelView& source, const std::string& path);
ImageStatus savePng(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path);

} // namespace kalvenor
