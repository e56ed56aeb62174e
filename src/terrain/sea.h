// The sea pass: the landscape is flooded up to a sea level and then lowered by
// it, so the sea surface is at 0; submerged points take water codes graded by
// their depth near the shore, and points at the water's edge become beach.
#pragma once

#include "model/landscape.h"
#include "model/random_streams.h"

namespace kalvenor {

class Frontend;

inline constexpr const char* kSeaStatus = "Sea     :       ";

// Floods to `level` (clamped to the 16-bit range). For every point of rows
// 0 .. gridHeight - 2 and columns 0 .. gridWidth - 2 at or below the level:
// beach (50) when one of its four neighbours (the point itself beyond the top
// and left edges) was above the level, otherwise the water code of
// v = trunc((b - depth) * 16 / b) - (8-bit draw AND 15) for depths below
// b = max((level - lowest) / 6, 1), and of 0 deeper. Then points below the
// level are raised to it, every point is lowered by it, and when the level is
// not below the lowest elevation every beach point is set to 1. The lowest
// elevation is taken from fresh statistics before the flood.
void seaPass(Landscape& land, int level, RandomStreams& random, Frontend& ui);

} // namespace kalvenor
