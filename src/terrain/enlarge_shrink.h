// Doubling and halving the landscape: Enlarge all (the grid doubles), Enlarge
// section (a quarter fills the grid) and Shrink (2 x 2 blocks averaged).
// Elevations are doubled on enlarging and halved on shrinking so that the
// shape keeps its proportions.
#pragma once

#include <optional>

#include "model/landscape.h"
#include "model/random_streams.h"

namespace kalvenor {

class Frontend;

// "Choose fill type:" with "Interpolate" and "Duplicate".
enum class EnlargeFill { Interpolate, Duplicate };
inline constexpr const char* kFillTypeQuestion = "Choose fill type:";
EnlargeFill askFillType(Frontend& ui);

// The doubled side of a grid side L (cells): 2 (L - 2) + 2 when L is even, 2 L - 1 when odd.
int enlargedSide(int side);

// Doubles the grid (258 -> 514 -> 1026 -> 2050) through the landscape resize,
// which rebuilds the default landscape first and so takes its draws from
// stream A; every new point is twice the old point at (y / 2, x / 2), then the
// fill. Returns 0 with nothing changed when a side would pass 2050 or memory
// for the copy or the resize is lacking (the old grid is put back), else 1.
int enlargeAll(Landscape& land, RandomStreams& random, EnlargeFill fill, Frontend& ui);

// Blows the quarter whose top-left corner is (column, row) up to the whole
// grid; the corner is clamped to 0 .. W/2 - 1 and 0 .. H/2 - 1. Uses the
// shadow map as scratch. Returns 1, or 0 when the maps are missing.
int enlargeSection(Landscape& land, int column, int row, EnlargeFill fill, Frontend& ui);

// The panel command: "Mark Region:" on the map (cancel: -1), then the fill type.
int enlargeSectionCommand(Landscape& land, Frontend& ui);

// Halves the landscape: each 2 x 2 block of sample points becomes one point
// trunc(sum / 8). In automatic size mode the grid shrinks to W/2 + 2 by H/2 + 2
// (through the resize, which draws from stream A for its default landscape);
// in fixed mode it keeps its size, cleared, with the result in rows 0 .. H/2
// and columns 0 .. W/2. Returns 0 with nothing changed when W or H is below 64
// or memory is lacking, else 1.
int shrinkLandscape(Landscape& land, RandomStreams& random, Frontend& ui);

} // namespace kalvenor
