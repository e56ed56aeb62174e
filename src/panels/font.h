// The panel font: fixed cells of 8 x 16 pixels, as every panel, label and
// field is laid out. It holds the printable ASCII characters and the centred
// dot (byte 0xFA) that labels use as leaders; any other byte is drawn as "?".
#pragma once

#include <array>
#include <cstdint>

namespace kalvenor {

constexpr int kCharWidth = 8;
constexpr int kCharHeight = 16;
constexpr unsigned char kLeaderDot = 0xFA;

// One character: its byte and 16 rows, bit 7 the leftmost pixel.
struct FontGlyph {
    unsigned char byte;
    std::array<std::uint8_t, kCharHeight> rows;
};

constexpr int kFontGlyphCount = 96; // 32 .. 126 and the centred dot
extern const FontGlyph kFontGlyphs[kFontGlyphCount];

// The glyph a byte is drawn with.
const FontGlyph& glyphOf(unsigned char byte);

} // namespace kalvenor
