#include "panels/surface.h"

#include <algorithm>

#include "panels/font.h"

namespace kalvenor {

const FontGlyph& glyphOf(unsigned char byte)
{
    if (byte >= 32 && byte < 127) return kFontGlyphs[byte - 32];
    if (byte == kLeaderDot) return kFontGlyphs[kFontGlyphCount - 1];
    return kFontGlyphs['?' - 32];
}

void fillRect(Surface& s, int x0, int y0, int x1, int y1, Colour colour)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, s.width - 1);
    y1 = std::min(y1, s.height - 1);
    for (int y = y0; y <= y1; ++y) std::fill(s.row(y) + x0, s.row(y) + x1 + 1, colour);
}

void outlineRect(Surface& s, int x0, int y0, int x1, int y1, Colour colour)
{
    fillRect(s, x0, y0, x1, y0, colour);
    fillRect(s, x0, y1, x1, y1, colour);
    fillRect(s, x0, y0, x0, y1, colour);
    fillRect(s, x1, y0, x1, y1, colour);
}

void drawText(Surface& s, int x, int y, std::string_view text, Colour ink, Colour paper, bool transparent)
{
    if (s.textLog != nullptr && !text.empty()) s.textLog->push_back({x, y, std::string(text)});
    for (const char c : text) {
        const FontGlyph& glyph = glyphOf(static_cast<unsigned char>(c));
        for (int r = 0; r < kCharHeight; ++r) {
            const int py = y + r;
            if (py < 0 || py >= s.height) continue;
            Colour* out = s.row(py);
            for (int b = 0; b < kCharWidth; ++b) {
                const int px = x + b;
                if (px < 0 || px >= s.width) continue;
                const bool set = (glyph.rows[static_cast<std::size_t>(r)] & (0x80 >> b)) != 0;
                if (set) out[px] = ink;
                else if (!transparent) out[px] = paper;
            }
        }
        x += kCharWidth;
    }
}

} // namespace kalvenor
