#include <gtest/gtest.h>

#include <string>

#include "panels/font.h"
#include "panels/surface.h"

namespace kalvenor {
namespace {

constexpr Colour kInk = rgb(255, 255, 0);
constexpr Colour kPaper = rgb(0, 0, 128);

// The pixels of one cell as a picture: '#' ink, '.' paper, ' ' anything else.
std::string cellPicture(const Surface& s, int x, int y)
{
    std::string out;
    for (int r = 0; r < kCharHeight; ++r) {
        for (int c = 0; c < kCharWidth; ++c) {
            const Colour p = s.at(x + c, y + r);
            out += p == kInk ? '#' : p == kPaper ? '.' : ' ';
        }
        out += '\n';
    }
    return out;
}

TEST(PanelFont, EveryPrintableCharacterAndTheLeaderDotHaveTheirOwnGlyph)
{
    for (int c = 32; c < 127; ++c) EXPECT_EQ(glyphOf(static_cast<unsigned char>(c)).byte, c);
    EXPECT_EQ(glyphOf(kLeaderDot).byte, kLeaderDot);
    // Bytes the panels never use fall back to the question mark.
    for (const int c : {0, 10, 127, 0xB7, 0xFF}) EXPECT_EQ(glyphOf(static_cast<unsigned char>(c)).byte, '?') << c;
    // Only the blank is empty; the dot is a small mark in the middle of its cell.
    for (int c = 33; c < 127; ++c) {
        int set = 0;
        for (const std::uint8_t row : glyphOf(static_cast<unsigned char>(c)).rows) set += row != 0;
        EXPECT_GT(set, 0) << static_cast<char>(c);
    }
    int dotRows = 0, firstDotRow = -1;
    for (int r = 0; r < kCharHeight; ++r)
        if (glyphOf(kLeaderDot).rows[static_cast<std::size_t>(r)] != 0) {
            ++dotRows;
            if (firstDotRow < 0) firstDotRow = r;
        }
    EXPECT_LE(dotRows, 3);
    EXPECT_GE(firstDotRow, 5);
    EXPECT_LE(firstDotRow, 9);
}

TEST(PanelSurface, TextIsDrawnCellByCellAndClipped)
{
    Surface s(40, 20);
    fillRect(s, 0, 0, 39, 19, rgb(1, 2, 3));
    drawText(s, 4, 2, "I|", kInk, kPaper);
    // "I" and "|": each cell drawn whole in ink and paper, nothing outside them.
    const std::string i = cellPicture(s, 4, 2), bar = cellPicture(s, 12, 2);
    EXPECT_EQ(i.find(' '), std::string::npos) << i;
    EXPECT_NE(i, bar);
    EXPECT_EQ(s.at(3, 2), rgb(1, 2, 3));
    EXPECT_EQ(s.at(20, 2), rgb(1, 2, 3));
    EXPECT_EQ(s.at(4, 18), rgb(1, 2, 3));
    // The glyph's rows, bit 7 leftmost.
    for (int r = 0; r < kCharHeight; ++r)
        for (int c = 0; c < kCharWidth; ++c) {
            const bool set = (glyphOf('I').rows[static_cast<std::size_t>(r)] & (0x80 >> c)) != 0;
            EXPECT_EQ(s.at(4 + c, 2 + r), set ? kInk : kPaper) << r << "," << c;
        }

    // Transparent text leaves the paper; text past the edges is cut, never written outside.
    Surface t(12, 10);
    fillRect(t, 0, 0, 11, 9, rgb(9, 9, 9));
    drawText(t, 6, -4, "WW", kInk, kPaper, true);
    drawText(t, -5, 5, "M", kInk, kPaper, true);
    for (const Colour p : t.pixels) EXPECT_TRUE(p == kInk || p == rgb(9, 9, 9));
}

TEST(PanelSurface, RectanglesAreClippedToTheSurface)
{
    Surface s(10, 8);
    fillRect(s, -5, -5, 3, 2, kInk);
    EXPECT_EQ(s.at(0, 0), kInk);
    EXPECT_EQ(s.at(3, 2), kInk);
    EXPECT_EQ(s.at(4, 2), 0u);
    EXPECT_EQ(s.at(3, 3), 0u);
    fillRect(s, 8, 6, 100, 100, kPaper);
    EXPECT_EQ(s.at(9, 7), kPaper);
    outlineRect(s, 1, 1, 8, 6, rgb(7, 7, 7));
    EXPECT_EQ(s.at(1, 4), rgb(7, 7, 7));
    EXPECT_EQ(s.at(8, 4), rgb(7, 7, 7));
    EXPECT_EQ(s.at(5, 1), rgb(7, 7, 7));
    EXPECT_EQ(s.at(5, 4), 0u); // inside stays
    fillRect(s, 5, 5, 4, 4, kInk); // an empty rectangle draws nothing
    EXPECT_EQ(s.at(5, 5), 0u);
}

} // namespace
} // namespace kalvenor
