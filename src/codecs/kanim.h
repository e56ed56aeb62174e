// KANIM (".KAN"), the program's own animation file: a 1024-byte block of
// header and palette, then the 8-bit image of every frame, one after another,
// each stored from the bottom row up, one byte per pixel. All numbers are
// little-endian 32-bit. The frame count is not stored: it is
// (file size - 1024) / frame size.
//
//   0  "KANIMWN" and a zero byte      24  width
//   8  image bytes (width x height)   28  height
//  12  first frame offset: 1024       32  1
//  16  frame bytes (width x height)   36  image-size mode at creation (1 to 6)
//  20  palette entries: 256           40  zero up to 256
// 256  256 x red, green, blue, each the display value shifted right by 2
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"
#include "codecs/pcx.h"

namespace kalvenor {

constexpr std::size_t kKanimHeaderBytes = 256;
constexpr std::size_t kKanimFirstFrame = 1024; // header and palette
constexpr std::uint32_t kKanimPaletteEntries = 256;
inline constexpr char kKanimMagic[8] = {'K', 'A', 'N', 'I', 'M', 'W', 'N', '\0'};

// Header fields by offset.
constexpr std::size_t kKanimImageBytesAt = 8;
constexpr std::size_t kKanimFirstFrameAt = 12;
constexpr std::size_t kKanimFrameBytesAt = 16;
constexpr std::size_t kKanimPaletteEntriesAt = 20;
constexpr std::size_t kKanimWidthAt = 24;
constexpr std::size_t kKanimHeightAt = 28;
constexpr std::size_t kKanimOneAt = 32;
constexpr std::size_t kKanimSizeModeAt = 36;
constexpr std::size_t kKanimPaletteAt = 256;

struct KanimHeader {
    int width = 0;
    int height = 0;
    std::uint32_t frameBytes = 0;
    int sizeMode = 0;
};

// The 1024 bytes before the first frame of a width x height animation.
std::array<std::uint8_t, kKanimFirstFrame> kanimHeaderBytes(int width, int height, int sizeMode,
                                                            const PcxPalette& palette);

// The first 256 bytes of a file. Truncated when fewer; BadHeader when the
// magic is missing or the layout is not the one above (a first frame other
// than at 1024, a frame size other than width x height, a side outside
// 1 .. 8192), so that the frame count never divides by a size from the file.
ImageStatus parseKanimHeader(std::span<const std::uint8_t> start, KanimHeader& header);

// Whole frames in a file of fileBytes: a frame cut short by a failed or
// interrupted write does not count.
std::uint64_t kanimFrameCount(std::uint64_t fileBytes, const KanimHeader& header);

// An existing file's header and whole frames. OpenFailed when it cannot be
// opened; otherwise as parseKanimHeader.
ImageStatus readKanimInfo(const std::string& path, KanimHeader& header, std::uint64_t& frames);

// Appends vidmem8 at the image size as the next frame. A missing file is
// created whole with its header, palette and this frame (nothing is left when
// that fails). An existing file must be a KANIM of this size (BadHeader,
// Truncated or Unsupported otherwise); the frame goes after its last whole
// frame, and a failed write cuts the file back, so the file always holds
// whole frames only. NoBuffer without vidmem8.
ImageStatus appendKanimFrame(const std::string& path, const ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                             int sizeMode, const PcxPalette& palette);

} // namespace kalvenor
