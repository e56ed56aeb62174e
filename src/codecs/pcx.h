// PCX, the program's 256-colour picture: a 128-byte little-endian header,
// rows from the top, each run-length encoded on its own, and the palette at
// the end (the byte 12 and 256 red, green, blue triples).
//
// Save and load carry vidmem8 with the display palette; the elevation and
// ground-colour pictures (landscape_pcx.h) use the same header, rows and
// palette through writePcx and decodePcxRows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/byte_cursor.h"
#include "codecs/display_palette.h"
#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor {

class Frontend;

constexpr std::size_t kPcxHeaderBytes = 128;
constexpr std::size_t kPcxPaletteBytes = 768;       // 256 x red, green, blue
constexpr std::size_t kPcxPaletteBlockBytes = 769;  // marker and palette
constexpr std::uint8_t kPcxPaletteMarker = 12;
constexpr int kPcxMaxLine = 8192; // the row buffer: wider pictures are refused

// Header fields by offset.
constexpr std::size_t kPcxManufacturer = 0;
constexpr std::size_t kPcxVersion = 1;
constexpr std::size_t kPcxEncoding = 2;
constexpr std::size_t kPcxBitsPerPixel = 3;
constexpr std::size_t kPcxXMin = 4;
constexpr std::size_t kPcxYMin = 6;
constexpr std::size_t kPcxXMax = 8;
constexpr std::size_t kPcxYMax = 10;
constexpr std::size_t kPcxHorizontalDpi = 12;
constexpr std::size_t kPcxVerticalDpi = 14;
constexpr std::size_t kPcxEgaPalette = 16;
constexpr std::size_t kPcxEgaPaletteBytes = 48;
constexpr std::size_t kPcxPlanes = 65;
constexpr std::size_t kPcxBytesPerLine = 66;

using PcxPalette = std::array<std::uint8_t, kPcxPaletteBytes>;

struct PcxHeader {
    int width = 0;
    int height = 0;
    int lineBytes = 0; // bytes decoded per row: the width, or the stored line length when longer
};

// Ok, Truncated (fewer than 128 bytes), BadHeader (not version 5, run-length,
// 8 bits, one plane, or an empty picture) or TooLarge (wider than 8192).
ImageStatus parsePcxHeader(std::span<const std::uint8_t> file, PcxHeader& header);

// The 128 header bytes we write for a width x height picture.
std::array<std::uint8_t, kPcxHeaderBytes> pcxHeaderBytes(int width, int height);

// Appends the run-length code of one row to out.
void encodePcxRow(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out);

// Decodes one row of line.size() bytes. A run that reaches past the end of
// the row is cut there (runs never cross rows). False when the data ends first.
bool decodePcxRow(ByteCursor& cursor, std::span<std::uint8_t> line);

// Decodes the first `rows` rows from offset 128 and hands each to sink with
// its index from the top. Truncated when the data ends early (the rows handed
// over so far stay handed over).
ImageStatus decodePcxRows(std::span<const std::uint8_t> file, const PcxHeader& header, int rows,
                          const std::function<void(int, std::span<const std::uint8_t>)>& sink);

// The palette stored at the end of the file: the last 769 bytes when
// requireMarker is set (they must start with 12), else the last 768. False
// when the file is too short to hold it after its header, or the marker is missing.
bool pcxTrailingPalette(std::span<const std::uint8_t> file, bool requireMarker, PcxPalette& palette);

// Writes a width x height picture whose row k from the top comes from rowAt,
// then the marker and palette. The previous file stays when anything fails.
ImageStatus writePcx(const std::string& path, int width, int height,
                     const std::function<void(int, std::span<std::uint8_t>)>& rowAt, const PcxPalette& palette);

PcxPalette paletteFromDisplay(const DisplayPalette& display);
void installInDisplay(const PcxPalette& palette, DisplayPalette& display);

// vidmem8 at the image size with the display palette.
ImageStatus savePcx(const ImagePlane<std::uint8_t>& vidmem8, ImageSize size, const DisplayPalette& display,
                    const std::string& path);

// Loads a PCX held in memory into vidmem8: a file palette marked with 12 becomes
// the display palette, then the first min(file height, image height) rows are
// stored, each cut to the image width. header receives the file's size.
ImageStatus decodePcxImage(std::span<const std::uint8_t> file, ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                           DisplayPalette& display, PcxHeader& header);
ImageStatus loadPcx(const std::string& path, ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                    DisplayPalette& display, PcxHeader& header);

// Only the palette: stored in loaded (and installed set) when the file's marker is 12.
ImageStatus loadPcxPalette(const std::string& path, PcxPalette& loaded, bool& installed);

// The reader results: 1 loaded, 0 not readable, -3 wrong format, -5 too wide.
int pcxResult(ImageStatus status);

// Menu commands: requester, status line, file message. 1, 0, or -1 when cancelled.
int commandSavePcx(Frontend& ui, const ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                   const DisplayPalette& display, const std::string& directory);
int commandLoadPcx(Frontend& ui, ImagePlane<std::uint8_t>& vidmem8, ImageSize size, DisplayPalette& display,
                   LoadedImageInfo& info, const std::string& directory);
// Load palette: a file palette marked with 12 becomes the display palette (1);
// a file without one is reported and changes nothing (0).
int commandLoadPcxPalette(Frontend& ui, DisplayPalette& display, const std::string& directory);

} // namespace kalvenor
