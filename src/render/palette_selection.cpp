#include "render/palette_selection.h"

#include <algorithm>
#include <array>

#include "base/frontend.h"

namespace kalvenor {

namespace {

constexpr const char* kPaletteLabel = "Palette";
constexpr int kCubeSide = 32;
// Every fourth pick goes to a rare colour; colours at least this heavy are never rare.
constexpr int kRarePickPeriod = 4;
constexpr std::uint16_t kRareWeightLimit = 32767;

struct CubeCell {
    int r = 0, g = 0, b = 0;
};

CubeCell splitCube(int cube) { return {(cube >> 10) & 31, (cube >> 5) & 31, cube & 31}; }
int joinCube(int r, int g, int b) { return (r << 10) | (g << 5) | b; }
bool insideCube(int v) { return v >= 0 && v < kCubeSide; }

void clearCell(ColourHistogram& histogram, int r, int g, int b, SelectionCounts& counts)
{
    if (!insideCube(r) || !insideCube(g) || !insideCube(b)) return;
    std::uint16_t& cell = histogram[static_cast<std::size_t>(joinCube(r, g, b))];
    if (cell == 0) return;
    --counts.cells;
    counts.weight -= cell;
    cell = 0;
}

// trunc(sqrt(q)) without floating point, so large q cannot round the wrong way.
std::uint32_t integerSqrt(std::uint32_t q)
{
    std::uint32_t root = 0;
    while (static_cast<std::uint64_t>(root + 1) * (root + 1) <= q) ++root;
    return root;
}

int firstHeaviest(const ColourHistogram& histogram)
{
    int best = 0;
    for (int i = 1; i < kCubeCells; ++i)
        if (histogram[static_cast<std::size_t>(i)] > histogram[static_cast<std::size_t>(best)]) best = i;
    return best;
}

int firstRarest(const ColourHistogram& histogram)
{
    int best = 0;
    std::uint16_t bestWeight = kRareWeightLimit;
    for (int i = 0; i < kCubeCells; ++i) {
        const std::uint16_t w = histogram[static_cast<std::size_t>(i)];
        if (w != 0 && w < bestWeight) {
            bestWeight = w;
            best = i;
        }
    }
    return best;
}

// The removal measure: cells per colour still to choose (all cells once none
// is left), less one when at least one.
std::uint32_t removalMeasure(const SelectionCounts& counts, std::uint32_t coloursLeft)
{
    std::uint32_t q = coloursLeft == 0 ? counts.cells : counts.cells / coloursLeft; // truncates
    if (q >= 1) --q;
    return q;
}

std::array<std::uint8_t, 3> entryColour(const DisplayPalette& palette, int index)
{
    const std::size_t at = static_cast<std::size_t>(index) * 4;
    return {palette.entries[at + 1], palette.entries[at + 2], palette.entries[at + 3]};
}

} // namespace

int clampPaletteColours(int colours) { return std::clamp(colours, kMinPaletteColours, kMaxPaletteColours); }

SelectionCounts countHistogram(const ColourHistogram& histogram)
{
    SelectionCounts counts;
    for (std::uint16_t w : histogram) {
        if (w == 0) continue;
        ++counts.cells;
        counts.weight += w;
    }
    return counts;
}

void clearNeighbourhood(ColourHistogram& histogram, int cube, std::uint32_t q, SelectionCounts& counts)
{
    const CubeCell c = splitCube(cube);
    clearCell(histogram, c.r, c.g, c.b, counts);
    if (q == 0) return;
    if (q <= 2) {
        clearCell(histogram, c.r - 1, c.g, c.b, counts);
        clearCell(histogram, c.r, c.g - 1, c.b, counts);
        clearCell(histogram, c.r, c.g, c.b - 1, counts);
        if (q == 1) return;
        clearCell(histogram, c.r + 1, c.g, c.b, counts);
        clearCell(histogram, c.r, c.g + 1, c.b, counts);
        clearCell(histogram, c.r, c.g, c.b + 1, counts);
        return;
    }
    const int radius = std::max(1, static_cast<int>(integerSqrt(q) / 2)); // both truncate
    const int r0 = std::max(c.r - radius, 0), r1 = std::min(c.r + radius, kCubeSide - 1);
    const int g0 = std::max(c.g - radius, 0), g1 = std::min(c.g + radius, kCubeSide - 1);
    const int b0 = std::max(c.b - radius, 0), b1 = std::min(c.b + radius, kCubeSide - 1);
    for (int r = r0; r <= r1; ++r)
        for (int g = g0; g <= g1; ++g)
            for (int b = b0; b <= b1; ++b) clearCell(histogram, r, g, b, counts);
}

int pickCell(const ColourHistogram& histogram, int k)
{
    return k % kRarePickPeriod == 0 ? firstRarest(histogram) : firstHeaviest(histogram);
}

HueKey hueKey(int red, int green, int blue)
{
    HueKey key;
    const int maxC = std::max({red, green, blue});
    const int minC = std::min({red, green, blue});
    const int delta = maxC - minC;
    key.value = maxC;
    key.saturation = maxC == 0 ? 0 : std::clamp(delta * 256 / maxC, 0, 255); // truncates
    if (key.saturation == 0) return key;
    // Sectors of 512 around red, green and blue, tested in that order; / truncates.
    int h = 0;
    if (red == maxC) h = (green - blue) * 256 / delta;
    else if (green == maxC) h = (blue - red) * 256 / delta + 512;
    else h = (red - green) * 256 / delta + 1024;
    int hue = h / 6; // truncates: reds just below 0 wrap to the top of the scale
    if (hue < 0) hue += 256;
    key.hue = std::min(hue, 255);
    return key;
}

void setPaletteEntry(DisplayPalette& palette, int index, int red, int green, int blue)
{
    const std::size_t at = static_cast<std::size_t>(index) * 4;
    palette.entries[at] = 0;
    palette.entries[at + 1] = static_cast<std::uint8_t>(red);
    palette.entries[at + 2] = static_cast<std::uint8_t>(green);
    palette.entries[at + 3] = static_cast<std::uint8_t>(blue);
}

void sortPaletteByHue(DisplayPalette& palette, int colours)
{
    colours = clampPaletteColours(colours);
    struct Keyed {
        HueKey key;
        std::array<std::uint8_t, 3> rgb;
    };
    std::array<Keyed, kMaxPaletteColours> keyed;
    const auto count = static_cast<std::size_t>(colours - 1);
    for (std::size_t i = 0; i < count; ++i) {
        const auto rgb = entryColour(palette, static_cast<int>(i) + 1);
        keyed[i] = {hueKey(rgb[0], rgb[1], rgb[2]), rgb};
    }
    std::stable_sort(keyed.begin(), keyed.begin() + static_cast<std::ptrdiff_t>(count),
                     [](const Keyed& a, const Keyed& b) {
                         if (a.key.hue != b.key.hue) return a.key.hue < b.key.hue;
                         if (a.key.saturation != b.key.saturation) return a.key.saturation > b.key.saturation;
                         return a.key.value > b.key.value;
                     });
    for (std::size_t i = 0; i < count; ++i)
        setPaletteEntry(palette, static_cast<int>(i) + 1, keyed[i].rgb[0], keyed[i].rgb[1], keyed[i].rgb[2]);
}

int selectPalette(ColourHistogram& histogram, int colours, DisplayPalette& palette, Frontend& ui)
{
    colours = clampPaletteColours(colours);
    SelectionCounts counts = countHistogram(histogram);
    setPaletteEntry(palette, 0, 0, 0, 0);
    auto coloursLeft = static_cast<std::uint32_t>(colours - 1);
    int shownPercent = -1;

    for (int k = 1; k < colours; ++k) {
        if (ui.pollAbort()) return -1;
        const int percent = k * 100 / colours;
        if (percent != shownPercent) ui.progress(kPaletteLabel, shownPercent = percent);

        const int cube = pickCell(histogram, k);
        const CubeCell c = splitCube(cube);
        setPaletteEntry(palette, k, c.r * 8, c.g * 8, c.b * 8);
        // Spread later picks out: the more cells per colour still to choose, the wider the hole.
        clearNeighbourhood(histogram, cube, removalMeasure(counts, coloursLeft), counts);
        --coloursLeft;
    }
    sortPaletteByHue(palette, colours);
    return 1;
}

} // namespace kalvenor
