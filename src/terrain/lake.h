// The lake fill: a scanline flood fill from a start cell that lifts every cell
// at or below the requested level to one unit above it and claims it with the
// river marker, so the lake surface is level + 1.
#pragma once

#include "model/landscape.h"

namespace kalvenor {

class Frontend;

inline constexpr const char* kLakeStatus = "Lake    :       ";
// Nested scanlines deeper than this return at once, leaving the rest unfilled.
constexpr int kLakeMaxDepth = 3400;
// The highest level whose surface (level + 1) still fits a 16-bit elevation.
constexpr int kLakeMaxLevel = 32766;

// Fills from the sample point (column, row) at `level` (clamped to
// -32768 .. kLakeMaxLevel). Each scanline covers the start column whatever its
// elevation and extends left and right over cells <= level (columns 0 .. sizeX);
// then the cells above (row - 1) and below (row + 1, up to sizeY) that are
// still <= level start nested scanlines, columns in order. Every span is
// plotted on the map as one row rectangle. Returns 1, -1 when the user aborted
// (the cells filled so far stay filled), 0 when the start lies outside the
// sample points or the maps are missing.
int fillLake(Landscape& land, int column, int row, int level, Frontend& ui);

} // namespace kalvenor
