// FLC, the 8-bit animation file: a 128-byte little-endian header, then one
// frame chunk per frame. Kalvenor writes every frame whole: the first frame
// carries a 256-colour palette chunk and a byte-run chunk of the image, each
// later frame a byte-run chunk only (and a palette chunk before it when the
// palette changed since the last one in the file). No delta frames and no
// loop frame are written; the header is rewritten after every frame with the
// new size and frame count.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"
#include "codecs/pcx.h"

namespace kalvenor {

constexpr std::size_t kFlcHeaderBytes = 128;
constexpr std::size_t kFlcFrameHeaderBytes = 16;
constexpr std::size_t kFlcChunkHeaderBytes = 6;
constexpr std::uint16_t kFlcType = 0xAF12;
constexpr std::uint16_t kFlcFrameType = 0xF1FA;
constexpr std::uint16_t kFlcPrefixType = 0xF100; // optional settings chunk before the frames
constexpr std::uint16_t kFlcColour256 = 4;       // palette, 8-bit components
constexpr std::uint16_t kFlcColour64 = 11;       // palette, 6-bit components (read only)
constexpr std::uint16_t kFlcByteRun = 15;
constexpr std::uint16_t kFlcDepth = 8;
constexpr int kFlcMostFrames = 65535;                 // the frame count is 16 bits
constexpr std::uint64_t kFlcMostBytes = 0xFFFFFFFFu;  // the file size is 32 bits
constexpr int kFlcLongestPacket = 127;

// Header fields by offset.
constexpr std::size_t kFlcSizeAt = 0;
constexpr std::size_t kFlcTypeAt = 4;
constexpr std::size_t kFlcFramesAt = 6;
constexpr std::size_t kFlcWidthAt = 8;
constexpr std::size_t kFlcHeightAt = 10;
constexpr std::size_t kFlcDepthAt = 12;
constexpr std::size_t kFlcFlagsAt = 14;
constexpr std::size_t kFlcSpeedAt = 16;
constexpr std::size_t kFlcCreatedAt = 22;
constexpr std::size_t kFlcUpdatedAt = 30;
constexpr std::size_t kFlcAspectXAt = 38;
constexpr std::size_t kFlcAspectYAt = 40;
constexpr std::size_t kFlcFirstFrameAt = 80;
constexpr std::size_t kFlcSecondFrameAt = 84;

using FlcHeaderBytes = std::array<std::uint8_t, kFlcHeaderBytes>;

struct FlcHeader {
    std::uint32_t size = 0; // the file's length as the header states it
    int frames = 0;
    int width = 0;
    int height = 0;
    std::uint32_t speed = 0; // milliseconds per frame
};

// Milliseconds per frame: 1000 / rate + 0.5, truncated (15 frames a second
// give 67). The inverse rounds the same way; 0 for a speed of 0.
std::uint32_t flcSpeed(int frameRate);
int flcFrameRate(std::uint32_t speed);

// The packed date and time the header stores: the date (years since 1980,
// month, day) in the high 16 bits, the time (hours, minutes, seconds / 2) in
// the low 16 bits. Years before 1980 give 1 January 1980.
std::uint32_t dosDateTime(const std::tm& when);
std::uint32_t dosDateTimeNow();

// The header of a new animation without frames: size 128, speed for the rate,
// created and updated at `when`, aspect 1 : 1, first frame at 128.
FlcHeaderBytes flcHeaderBytes(int width, int height, int frameRate, std::uint32_t when);

// Ok, Truncated (fewer than 128 bytes), BadHeader (not an FLC, or an empty
// picture) or Unsupported (not 8 bits per pixel).
ImageStatus parseFlcHeader(std::span<const std::uint8_t> file, FlcHeader& header);

// Appends the byte-run code of one row: the packet count (low 8 bits), then
// the packets. At each position, with r bytes left and n = min(r, 127): fewer
// than 3 left make one copy packet of them; three equal bytes start a repeat
// packet of as many equal bytes as follow, at most n; otherwise a copy packet
// runs up to the next place where three equal bytes start, looked for only
// below n - 2, else n bytes.
void encodeFlcRow(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out);

// One frame chunk of vidmem8 at size: a palette chunk first when palette is
// given, then the byte-run chunk of every row from the top.
std::vector<std::uint8_t> flcFrameBytes(const ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                                        const PcxPalette* palette);

// What continuing a file needs: its header, and the palette in force after
// its last frame.
struct FlcFileInfo {
    FlcHeader header;
    bool hasPalette = false;
    PcxPalette palette{};
};

// Reads a whole file as held in memory: the header, then every chunk up to the
// size the header states, which must be exactly the stated number of frames.
// Chunk sizes, palette packets and counts are checked before use. Unsupported
// when the file ends with a loop frame (appending after one would play it as
// a picture) or is not 8 bits per pixel.
ImageStatus scanFlc(std::span<const std::uint8_t> file, FlcFileInfo& info);
ImageStatus readFlcInfo(const std::string& path, FlcFileInfo& info);

// An FLC being written: where it is and the palette it last stored, so that a
// later frame carries a palette only when the colours changed.
struct FlcStream {
    std::string path;
    bool hasPalette = false;
    PcxPalette palette{};
};

// Starts writing to path: the palette of an existing file is read so the next
// frame knows whether it must carry one. A missing file is fine (Ok).
ImageStatus openFlcStream(const std::string& path, FlcStream& stream);

// Appends vidmem8 at the image size as the next frame with the display palette
// and rewrites the header (new size, count and update time). A missing file is
// created whole with this frame, at frameRate. An existing file is taken as its
// header says: it must be an FLC of this size (BadHeader, Truncated or
// Unsupported otherwise) and take one more frame within 65535 frames and
// 4 GiB (TooLarge otherwise). The frame goes where the header says the file
// ends; a failed write cuts the file back to that length and leaves the header
// as it was, so the file stays a whole FLC of the frames before.
ImageStatus appendFlcFrame(FlcStream& stream, const ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                           const PcxPalette& palette, int frameRate, std::uint32_t when);

} // namespace kalvenor
