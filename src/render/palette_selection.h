// Choosing the 8-bit palette from a histogram of predicted colours: popularity
// with neighbourhood removal over the 15-bit colour cube, then a sort by hue.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/display_palette.h"
#include "render/palette_map.h"

namespace kalvenor {

class Frontend;

// Weights per cube cell. Additions wrap modulo 2^16 on purpose: a colour that
// piles up past 65535 starts again from the bottom, as the weights always have.
using ColourHistogram = std::array<std::uint16_t, kCubeCells>;

inline void addWeight(ColourHistogram& histogram, int cube, int weight)
{
    std::uint16_t& cell = histogram[static_cast<std::size_t>(cube & (kCubeCells - 1))];
    cell = static_cast<std::uint16_t>(cell + weight);
}

// The palette size setting is clamped to this range wherever it is used.
constexpr int kMinPaletteColours = 2;
constexpr int kMaxPaletteColours = 256;
int clampPaletteColours(int colours);

// The histogram's bookkeeping during selection: non-empty cells and their weight.
struct SelectionCounts {
    std::uint32_t cells = 0;
    std::uint64_t weight = 0;
};

SelectionCounts countHistogram(const ColourHistogram& histogram);

// Empties the picked cell's neighbourhood for the removal measure q (cells per
// colour still to choose, less one): 0 the cell, 1 also its r-1, g-1 and b-1
// neighbours, 2 its six face neighbours, 3 or more the cube of radius
// trunc(trunc(sqrt(q)) / 2) (at least 1) around it. Cells outside the cube are
// skipped; each emptied non-empty cell leaves counts.
void clearNeighbourhood(ColourHistogram& histogram, int cube, std::uint32_t q, SelectionCounts& counts);

// The pick for palette entry k: every fourth entry takes the rarest non-empty
// cell lighter than 32767, the others the heaviest cell; the first in index
// order wins ties, and index 0 stands in when there is no candidate.
int pickCell(const ColourHistogram& histogram, int k);

// Hue, saturation and value on the 0..255 scales the palette is sorted by.
struct HueKey {
    int hue = 0;
    int saturation = 0;
    int value = 0;
};
HueKey hueKey(int red, int green, int blue);

// Sorts entries 1..colours-1 by hue ascending, then saturation and value
// descending; entries equal on all three keep their order. Entry 0 stays.
void sortPaletteByHue(DisplayPalette& palette, int colours);

// Chooses entries 0..colours-1 of the palette from the histogram (which it
// empties as it goes) and sorts them. Entry 0 is black. Polls for abort and
// reports "Palette" progress before each entry; returns 1, or -1 when aborted
// with the entries chosen so far left in place, unsorted.
int selectPalette(ColourHistogram& histogram, int colours, DisplayPalette& palette, Frontend& ui);

// The palette entry as (red, green, blue); entries are stored as 0, red, green, blue.
void setPaletteEntry(DisplayPalette& palette, int index, int red, int green, int blue);

} // namespace kalvenor
