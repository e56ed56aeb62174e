// Whole-landscape manipulations that keep the grid size: smoothing, stretching,
// rotating, flipping, swapping quarters, the "cloudify" curve, vertical
// rescaling, and turning the rendered image into elevations.
//
// Every operation works on the full allocation (sizeX + 2 by sizeY + 2 cells),
// keeps the low 16 bits of every stored elevation, shows its name on the status
// line and ends with markEdited, so statistics, colours and shades follow.
// Operations that need a scratch copy use the shadow map for it.
#pragma once

#include <optional>

#include "codecs/display_palette.h"
#include "codecs/image_buffers.h"
#include "model/landscape.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

// The last sample column and the margin column take the column before them;
// then the last sample row and the margin row take the row before them.
// Used after rotating, shrinking and importing; marks nothing.
void extendEdges(Landscape& land);

// One in-place pass, in row order, of a 1-2-1 / 2-12-2 / 1-2-1 kernel (sum + 12,
// divided by 24, truncating), then the side columns, top and bottom rows and
// the corners with plain averages of their edge neighbours (truncating).
void smoothLandscape(Landscape& land, Frontend& ui);

// Exaggerates features: every point moves by the valley value of the unchanged
// grid (width 4F x spacingX metres) divided by 4F, truncating. Nothing changes
// while the valley effect is off.
void stretchLandscape(Landscape& land, const TerrainColourSettings& colouring, int featureSize, Frontend& ui);

// A quarter turn of the square of sample points 0 .. W-1, then extendEdges.
// Only square landscapes turn in place: returns 0 and changes nothing when
// sizeX differs from sizeY, 1 otherwise.
int rotateLandscape(Landscape& land, Frontend& ui);

// Mirror the sample points 0 .. H (top to bottom) or 0 .. W (left to right).
// Both show "Flip Vertical" on the status line.
void flipVertical(Landscape& land, Frontend& ui);
void flipHorizontal(Landscape& land, Frontend& ui);

// Moves the four quarters (W/2 by H/2 points each) round by one place, so the
// former edges meet in the middle. Twice exchanges opposite quarters; four
// times restores the grid.
void swapQuads(Landscape& land, Frontend& ui);

// Every point becomes trunc(R * ((E - min) / R)^(1/4)) with R = max - min
// (statistics taken fresh, zero points ignored for min); points below min,
// and every point when R is not positive, become 0.
void cloudifyLandscape(Landscape& land, Frontend& ui);

// Multiplies every point by verticalScale / verticalScale2 (the scale already
// applied, both 32-bit floats), truncating, with progress "Scale" per row; then
// records verticalScale as applied. A product that is not a finite number
// (applied scale 0) stores 0.
void applyVerticalScale(Landscape& land, GenerationSettings& generation, Frontend& ui);

// "Convert View to ALT:" with "Intensity" and "Color".
enum class ViewConversion { Intensity, Colour };
inline constexpr const char* kConvertViewQuestion = "Convert View to ALT:";
std::optional<ViewConversion> askViewConversion(Frontend& ui);

// Turns the 8-bit image into elevations: grey (30 R + 59 G + 11 B) / 100 times
// 64, or the palette index times 16. The image's top row lands on the grid's
// last row. Returns 1, or 0 after the no-image message.
int convertViewToAltitude(Landscape& land, const ImageBuffers& images, const DisplayPalette& palette,
                          ViewConversion conversion, Frontend& ui);

} // namespace kalvenor
