// The menu commands that load and save the 24-bit picture in a file of one of
// the image formats (Targa, BMP, JPEG, PNG): the file requester, the status
// line, the writer's setting when the format has one, and the file message.
#pragma once

#include <cstdint>
#include <string>

#include "base/frontend.h"
#include "codecs/image_buffers.h"
#include "codecs/image_formats.h"
#include "codecs/image_io.h"
#include "model/scene_settings.h"

namespace kalvenor {

// "Load TITLE file" over the format's files; the picture is cleared, then the
// file read into it (a Targa opaque), and info describes the file, or is all 0
// when it could not be read ("Error reading file"). Without vidmem24: "This
// function requires 24-bit mode.". 1, 0 (message shown) or -1 when cancelled;
// 0 without a word for a format the 24-bit picture is not read from.
int commandLoadImage(Frontend& ui, ImageFormat format, ImagePlane<std::uint32_t>& vidmem24, ImageSize size,
                     LoadedImageInfo& info, const std::string& directory);

// "Save TITLE file", the format's extension added to a name without one. A
// Targa asks first, with Shift held, whether to compress, and keeps the answer
// in render.targaCompress; a JPEG asks its quality once the file is chosen,
// starting from render.jpegQuality, and keeps the answer there. Without
// vidmem24: "This function requires 24-bit mode.". 1, 0 (message shown) or -1
// when cancelled; 0 without a word for a format not written from the 24-bit picture.
int commandSaveImage(Frontend& ui, ImageFormat format, ImagePlane<std::uint32_t>& vidmem24, ImageSize size,
                     RenderSettings& render, bool shiftHeld, const std::string& directory);

} // namespace kalvenor
