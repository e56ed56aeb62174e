// Removing the terraces of imported elevation data, and the fill rule that
// gives a value to a cell that has none.
//
// Fill rule: an unset cell (below kUnsetBelow; work copies mark "unset" with
// -32768) looks along the eight directions for the nearest set cell, stopping
// at the edge of the map. Each cell found, v at d steps, weighs 1/d:
// the value is sum(v / d) / sum(1 / d). Along one line with set cells on both
// sides this is exactly the linear interpolation between them, so a filled
// terrace becomes an even ramp instead of a flat step; the diagonals and the
// cross direction blend neighbouring lines so no seams show between rows.
// The weights are integers (kFillWeightScale / d, truncating) and the quotient
// rounds half up, so the rule is exact and the same in every use.
#pragma once

#include "model/landscape.h"

namespace kalvenor {

class Frontend;

// Cells below this hold no elevation yet.
constexpr int kUnsetBelow = -30000;
// Divisible by every step count from 1 to 16.
constexpr long long kFillWeightScale = 720720;

// The fill rule for the cell (column, row) of map: 0 when no direction finds a
// set cell. Reads only cells inside the map; a position outside it gives 0.
int fillValue(const ElevationMap& map, int column, int row);

// Gives every unset cell of the map its fill value, in row order, so a cell
// filled earlier counts as set for the cells after it. The same values as
// fillValue cell by cell, in time proportional to the grid instead of to the
// grid times its side (a grid with no set cell at all is the worst case).
void fillUnsetInRowOrder(ElevationMap& map);

// Removes terracing in three stages, using the shadow map as the mark map:
// marking (points higher than any of their eight neighbours keep their
// elevation, the rest are unset), interpolation (the border lines linearly
// between their marks, the interior by the fill rule, progress "remove steps"
// per row), and one 3 x 3 box-filter pass at elevations scaled by
// k = max(32767 / max - 1, 1) for precision, followed by extendEdges.
// Where a point beyond the statistics' scan would overflow at that k, the
// largest magnitude of the grid takes the place of max.
void removeSteps(Landscape& land, Frontend& ui);

// Stages 1 and 2 alone: afterwards the shadow map holds the marks with the
// interpolated border lines, and the elevation map the interpolated points.
void interpolateSteps(Landscape& land, Frontend& ui);

} // namespace kalvenor
