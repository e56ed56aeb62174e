// The river walk: from a start cell the river raises each cell it passes by
// one unit and moves to the lowest of its four neighbours, looking further
// ahead while several are equally low. A pit is raised round by round until
// the water can leave it. The walk ends on the landscape border, on reaching
// water (unless it started on water), or when the user aborts.
#pragma once

#include "model/landscape.h"

namespace kalvenor {

class Frontend;

inline constexpr const char* kRiverStatus = "River   :       ";

// Walks a river from the sample point (column, row), claiming every cell it
// passes with the river marker (each newly claimed cell is plotted on the
// map). Returns false, changing nothing, when the start lies outside the
// sample points 0 .. sizeX, 0 .. sizeY or the maps are missing.
bool walkRiver(Landscape& land, int column, int row, Frontend& ui);

} // namespace kalvenor
