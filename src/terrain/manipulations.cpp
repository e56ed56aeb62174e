#include "terrain/manipulations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/frontend.h"
#include "terrain/edit_effects.h"
#include "terrain/edit_grid.h"

namespace kalvenor {

namespace {

bool hasElevations(const Landscape& land) { return coversGrid(land.elevation, land); }

bool hasScratch(const Landscape& land) { return hasElevations(land) && coversGrid(land.shadow, land); }

// The feature size is one of 1, 2, 4, 8; a hand-edited session may bring
// something else, which is pulled into that range.
int featureSizeInUse(int featureSize) { return std::clamp(featureSize, 1, 8); }

// Valley value V(x, y, width) of the terrain colouring, read from the unchanged
// grid: positive on ridges, negative in valleys, 0 while the effect is off.
// The intermediate products are formed in 64 bits so that extreme relief
// cannot overflow; for ordinary landscapes this is the 32-bit result.
int valleyValue(const Landscape& land, const TerrainColourSettings& colouring, int x, int y, int width)
{
    if (colouring.valleys == 0 || width <= 0) return 0;
    const ElevationMap& e = land.elevation;
    const int rx = static_cast<int>(static_cast<float>(width) / land.spacingX);
    const int ry = static_cast<int>(static_cast<float>(width) / land.spacingY);
    const int x0 = std::max(x - rx, 0);
    const int x1 = std::min(x + rx, land.sizeX);
    const int y0 = std::max(y - ry, 0);
    const int y1 = std::min(y + ry, land.sizeY);
    const int c = e[y][x];
    const int sum = (c - e[y][x1]) + (c - e[y][x0]) + (c - e[y1][x]) + (c - e[y0][x]) + (c - e[y0][x0]) +
                    (c - e[y0][x1]) + (c - e[y1][x0]) + (c - e[y1][x1]);
    // Floating point, truncated toward zero by the conversion.
    const auto v = static_cast<long long>((land.spacingX + land.spacingY) * static_cast<float>(sum) /
                                          static_cast<float>(width));
    const long long range = static_cast<long long>(land.highestElevation) - land.lowestElevation;
    // The division truncates; the final scaling shifts, flooring.
    return static_cast<int>(((v * range / 128) * colouring.valleyStrength) >> 11);
}

} // namespace

void extendEdges(Landscape& land)
{
    if (!hasElevations(land) || land.sizeX < 1 || land.sizeY < 1) return;
    ElevationMap& e = land.elevation;
    const int w = land.sizeX;
    const int h = land.sizeY;
    for (int y = 0; y < land.gridHeight; ++y) {
        std::int16_t* row = e[y];
        row[w] = row[w - 1];
        row[w + 1] = row[w - 1];
    }
    std::copy(e[h - 1], e[h - 1] + land.gridWidth, e[h]);
    std::copy(e[h - 1], e[h - 1] + land.gridWidth, e[h + 1]);
}

void smoothLandscape(Landscape& land, Frontend& ui)
{
    ui.status("Smooth");
    if (!hasElevations(land)) return;
    ElevationMap& e = land.elevation;
    const int w = land.sizeX;
    const int h = land.sizeY;

    // Interior, in place: the row above and the point to the left are already smoothed.
    for (int y = 1; y <= h; ++y) {
        const std::int16_t* up = e[y - 1];
        std::int16_t* row = e[y];
        const std::int16_t* down = e[y + 1];
        for (int x = 1; x <= w; ++x) {
            const int sum = up[x - 1] + 2 * up[x] + up[x + 1] + 2 * row[x - 1] + 12 * row[x] + 2 * row[x + 1] +
                            down[x - 1] + 2 * down[x] + down[x + 1];
            row[x] = wrap16((sum + 12) / 24); // truncates toward zero
        }
    }
    // Side columns, then top and bottom rows, then corners: plain averages, truncating.
    for (int y = 1; y <= h; ++y) {
        e[y][0] = wrap16((e[y - 1][0] + e[y][0] + e[y][1] + e[y + 1][0]) / 4);
        e[y][w + 1] = wrap16((e[y - 1][w + 1] + e[y][w + 1] + e[y][w] + e[y + 1][w + 1]) / 4);
    }
    std::int16_t* top = e[0];
    std::int16_t* bottom = e[h + 1];
    for (int x = 1; x <= w; ++x) {
        top[x] = wrap16((top[x - 1] + top[x] + e[1][x] + top[x + 1]) / 4);
        bottom[x] = wrap16((bottom[x - 1] + bottom[x] + e[h][x] + bottom[x + 1]) / 4);
    }
    top[0] = wrap16((top[0] + top[1] + e[1][0]) / 3);
    bottom[0] = wrap16((bottom[0] + bottom[1] + e[h][0]) / 3);
    top[w + 1] = wrap16((top[w + 1] + top[w] + e[1][w + 1]) / 3);
    bottom[w + 1] = wrap16((bottom[w + 1] + bottom[w] + e[h][w + 1]) / 3);

    markEdited(land, EditEffect::ElevationsChanged);
}

void stretchLandscape(Landscape& land, const TerrainColourSettings& colouring, int featureSize, Frontend& ui)
{
    ui.status("Stretch");
    if (!hasScratch(land)) return;
    const int f4 = 4 * featureSizeInUse(featureSize);
    const int width = static_cast<int>(static_cast<float>(f4) * land.spacingX); // truncated metres

    // The valley values come from the unchanged grid, so the results go to the scratch copy first.
    for (int y = 0; y < land.gridHeight; ++y) {
        const std::int16_t* row = land.elevation[y];
        std::uint16_t* out = land.shadow[y];
        for (int x = 0; x < land.gridWidth; ++x)
            out[x] = static_cast<std::uint16_t>(wrap16(row[x] + valleyValue(land, colouring, x, y, width) / f4));
    }
    copyMap(land.elevation, land.shadow, land);

    markEdited(land, EditEffect::ShadowScratched);
    markEdited(land, EditEffect::ElevationsChanged);
}

int rotateLandscape(Landscape& land, Frontend& ui)
{
    ui.status("Rotate");
    if (!hasScratch(land) || land.sizeX != land.sizeY) return 0;
    const int n = land.sizeY;
    copyMap(land.shadow, land.elevation, land);
    for (int y = 0; y < n; ++y) {
        std::int16_t* row = land.elevation[y];
        const int column = n - 1 - y;
        for (int x = 0; x < n; ++x) row[x] = static_cast<std::int16_t>(land.shadow[x][column]);
    }
    extendEdges(land);

    markEdited(land, EditEffect::ShadowScratched);
    markEdited(land, EditEffect::ElevationsChanged);
    return 1;
}

void flipVertical(Landscape& land, Frontend& ui)
{
    ui.status("Flip Vertical");
    if (!hasElevations(land)) return;
    ElevationMap& e = land.elevation;
    const int count = land.sizeX + 1; // sample points 0 .. W of each row
    for (int top = 0, bottom = land.sizeY; top < bottom; ++top, --bottom)
        std::swap_ranges(e[top], e[top] + count, e[bottom]);
    markEdited(land, EditEffect::ElevationsChanged);
}

void flipHorizontal(Landscape& land, Frontend& ui)
{
    // Both flips show the same label on the status line.
    ui.status("Flip Vertical");
    if (!hasElevations(land)) return;
    for (int y = 0; y <= land.sizeY; ++y) std::reverse(land.elevation[y], land.elevation[y] + land.sizeX + 1);
    markEdited(land, EditEffect::ElevationsChanged);
}

void swapQuads(Landscape& land, Frontend& ui)
{
    ui.status("Swap Quads");
    if (!hasElevations(land)) return;
    ElevationMap& e = land.elevation;
    const int hw = land.sizeX / 2;
    const int hh = land.sizeY / 2;
    for (int y = 0; y < hh; ++y) {
        std::int16_t* upper = e[y];
        std::int16_t* lower = e[y + hh];
        for (int x = 0; x < hw; ++x) {
            const std::int16_t a = upper[x];
            upper[x] = upper[x + hw];       // b
            upper[x + hw] = lower[x + hw];  // c
            lower[x + hw] = lower[x];       // d
            lower[x] = a;
        }
    }
    markEdited(land, EditEffect::ElevationsChanged);
}

void cloudifyLandscape(Landscape& land, Frontend& ui)
{
    ui.status("Cloudify");
    if (!hasElevations(land)) return;
    computeElevationStatistics(land);
    const int lowest = land.lowestElevation;
    const double range = static_cast<double>(land.highestElevation) - lowest;
    for (int y = 0; y < land.gridHeight; ++y) {
        std::int16_t* row = land.elevation[y];
        for (int x = 0; x < land.gridWidth; ++x) {
            if (row[x] < lowest || range <= 0.0) {
                row[x] = 0;
                continue;
            }
            // Converted toward zero; points above max stay finite (ratio above 1).
            const double curve = range * std::pow((row[x] - lowest) / range, 0.25);
            row[x] = wrap16(static_cast<long long>(curve));
        }
    }
    markEdited(land, EditEffect::ElevationsChanged);
}

void applyVerticalScale(Landscape& land, GenerationSettings& generation, Frontend& ui)
{
    ui.status("Vertical scale");
    if (!hasElevations(land)) return;
    const float factor = generation.verticalScale / generation.verticalScale2;
    // Beyond this a product wraps as the 16-bit store would; larger values
    // would leave the range of the integer conversion.
    constexpr float kConvertible = 1.0e9f;
    for (int y = 0; y < land.gridHeight; ++y) {
        ui.progress("Scale", y * 100 / land.gridHeight);
        std::int16_t* row = land.elevation[y];
        for (int x = 0; x < land.gridWidth; ++x) {
            const float scaled = static_cast<float>(row[x]) * factor;
            if (!std::isfinite(scaled)) {
                row[x] = 0;
                continue;
            }
            row[x] = wrap16(static_cast<long long>(std::clamp(scaled, -kConvertible, kConvertible)));
        }
    }
    generation.verticalScale2 = generation.verticalScale;
    markEdited(land, EditEffect::ElevationsChanged);
}

std::optional<ViewConversion> askViewConversion(Frontend& ui)
{
    const std::optional<int> answer = ui.choose(kConvertViewQuestion, {"Intensity", "Color"});
    if (!answer) return std::nullopt;
    return *answer == 0 ? ViewConversion::Intensity : ViewConversion::Colour;
}

int convertViewToAltitude(Landscape& land, const ImageBuffers& images, const DisplayPalette& palette,
                          ViewConversion conversion, Frontend& ui)
{
    const ImagePlane<std::uint8_t>& image = images.vidmem8;
    if (!image.allocated() || image.width <= 0 || image.height <= 0) {
        ui.message(kNoImageToConvert, "OK");
        return 0;
    }
    ui.status(kConvertViewQuestion);
    if (!hasElevations(land)) return 0;
    const int rows = land.gridHeight;
    const int length = land.gridWidth;
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* pixels = image[static_cast<int>(static_cast<long long>(y) * image.height / rows)];
        std::int16_t* out = land.elevation[rows - 1 - y];
        for (int x = 0; x < length; ++x) {
            const int index = pixels[static_cast<long long>(x) * image.width / length];
            if (conversion == ViewConversion::Colour) {
                out[x] = static_cast<std::int16_t>(index * 16);
                continue;
            }
            const std::uint8_t* entry = &palette.entries[static_cast<std::size_t>(index) * 4];
            const int grey = (30 * entry[1] + 59 * entry[2] + 11 * entry[3]) / 100;
            out[x] = static_cast<std::int16_t>(grey * 64);
        }
    }
    markEdited(land, EditEffect::ElevationsChanged);
    return 1;
}

} // namespace kalvenor
