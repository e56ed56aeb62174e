// The panel surface: the main window's whole client area, 788 x 552 pixels,
// drawn by the toolkit in memory. The window shows it as it stands; tests read
// its pixels without a display.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

constexpr int kSurfaceWidth = 788;
constexpr int kSurfaceHeight = 552;

// 0x00RRGGBB.
using Colour = std::uint32_t;

constexpr Colour rgb(int r, int g, int b)
{
    return static_cast<Colour>((r & 255) << 16 | (g & 255) << 8 | (b & 255));
}

// A text as drawText put it on the surface.
struct DrawnText {
    int x = 0, y = 0;
    std::string text;
};

struct Surface {
    int width = kSurfaceWidth;
    int height = kSurfaceHeight;
    std::vector<Colour> pixels = std::vector<Colour>(static_cast<std::size_t>(kSurfaceWidth) * kSurfaceHeight);

    Surface() = default;
    Surface(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}

    // When set, every drawText call is noted here (tests read what was drawn where).
    std::vector<DrawnText>* textLog = nullptr;

    Colour at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Colour* row(int y) { return &pixels[static_cast<std::size_t>(y) * width]; }
};

// Every drawing call clips to the surface: parts outside are not drawn.

// The rectangle from (x0, y0) to (x1, y1), both corners included.
void fillRect(Surface& s, int x0, int y0, int x1, int y1, Colour colour);

// A one-pixel outline of the same rectangle.
void outlineRect(Surface& s, int x0, int y0, int x1, int y1, Colour colour);

// Text in the panel font, its first cell's top-left corner at (x, y): the set
// pixels of each glyph in ink; the others in paper, or left alone when
// transparent.
void drawText(Surface& s, int x, int y, std::string_view text, Colour ink, Colour paper, bool transparent = false);

} // namespace kalvenor
