// Targa: true-colour pictures of 24 or 32 bits, uncompressed (type 2) or
// run-length compressed (type 10), behind an 18-byte little-endian header.
// We write 24 bits from the bottom row up; we read either row order, skip the
// identification field and any colour map, and clip to the target picture.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

constexpr std::size_t kTargaHeaderBytes = 18;

// Header fields by offset.
constexpr std::size_t kTargaIdLength = 0;
constexpr std::size_t kTargaColourMapType = 1;
constexpr std::size_t kTargaImageType = 2;
constexpr std::size_t kTargaMapFirst = 3;
constexpr std::size_t kTargaMapLength = 5;
constexpr std::size_t kTargaMapEntryBits = 7;
constexpr std::size_t kTargaXOrigin = 8;
constexpr std::size_t kTargaYOrigin = 10;
constexpr std::size_t kTargaWidth = 12;
constexpr std::size_t kTargaHeight = 14;
constexpr std::size_t kTargaDepth = 16;
constexpr std::size_t kTargaDescriptor = 17;

constexpr std::uint8_t kTargaUncompressed = 2;
constexpr std::uint8_t kTargaRunLength = 10;
constexpr std::uint8_t kTargaTopDown = 32; // descriptor bit 5: rows stored from the top
constexpr int kTargaLongestPacket = 128;

// How a loaded pixel meets the picture already there.
enum class TargaMode {
    Overlay = 0, // foreground: black (24 bits) or alpha 0 (32 bits) leaves the old pixel, alpha blends
    Opaque = 1,  // every pixel replaces, alpha ignored
    Keep = 2,    // textures: black becomes word 0, 32-bit alpha kept in the fourth byte
};

struct TargaHeader {
    int imageType = 0;
    int width = 0;
    int height = 0;
    int depth = 0;
    bool topDown = false;
    std::size_t dataOffset = 0; // after the identification field and the colour map
};

// Ok, Truncated (fewer than 18 bytes) or BadHeader (type other than 2 or 10,
// depth other than 24 or 32, an empty picture); TooLarge when one row needs
// more than the 32 KiB row buffer.
ImageStatus parseTargaHeader(std::span<const std::uint8_t> file, TargaHeader& header);

// Reads h = min(file height, target height) rows of the file held in memory
// into the target, each cut to the target width. A file that ends early
// gives Truncated with the rows converted so far kept; nothing is written
// outside the target, whatever the file says.
ImageStatus decodeTarga(std::span<const std::uint8_t> file, const PixelView& target, TargaMode mode,
                        TargaHeader& header);
ImageStatus loadTarga(const std::string& path, const PixelView& target, TargaMode mode, TargaHeader& header);

// True when a file of fileSize bytes can hold the pixels its header names:
// uncompressed, every pixel; run-length coded, at least one packet (a count
// byte and one pixel) for every 128 pixels. A header that claims more is not
// believed before anything is allocated for it.
bool targaDataCanFill(const TargaHeader& header, std::size_t fileSize);

// Only the header: width and height of the file; Truncated when the file is
// too short to hold that many pixels (targaDataCanFill).
ImageStatus readTargaSize(const std::string& path, int& width, int& height);

// Appends one row of pixel words (red bits 0-7, green 8-15, blue 16-23; the
// fourth byte is not written) as run-length packets. Three equal neighbours
// start a run; the last three pixels of a row never do.
void encodeTargaRow(std::span<const std::uint32_t> row, std::vector<std::uint8_t>& out);

// The 18 header bytes we write: 24 bits, rows from the bottom.
std::array<std::uint8_t, kTargaHeaderBytes> targaHeaderBytes(int width, int height, bool compress);

// Writes a width x height 24-bit Targa whose file row i (the bottom row first)
// comes from rowAt. The previous file stays when anything fails.
ImageStatus writeTarga(const std::string& path, int width, int height, bool compress,
                       const std::function<void(int, std::span<std::uint32_t>)>& rowAt);

// vidmem24 at the image size.
ImageStatus saveTarga(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path, bool compress);

// Before a render when the background setting is on: clear and load opaque.
// After a successful render when the foreground setting is on: load as an
// overlay. Ok without doing anything when the setting is off.
ImageStatus loadBackground(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const RenderSettings& render);
ImageStatus applyForeground(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const RenderSettings& render);

// The background and foreground settings: accepting the requester stores the
// path and switches the setting on, cancelling switches it off.
int commandChooseBackground(Frontend& ui, RenderSettings& render, const std::string& directory);
int commandChooseForeground(Frontend& ui, RenderSettings& render, const std::string& directory);

} // namespace kalvenor
