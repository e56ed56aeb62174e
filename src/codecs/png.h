// PNG output, an extra beside the classic formats: the picture as 8-bit RGB
// through libpng. A libpng error jumps back to the writer, which fails.
#pragma once

#include <string>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor {

class Frontend;

// The previous file stays when anything fails.
ImageStatus savePng(const PixelView& source, const std::string& path);
ImageStatus savePng(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path);

// Menu command: 1, 0 (message shown) or -1 when cancelled.
int commandSavePng(Frontend& ui, ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& directory);

} // namespace kalvenor
