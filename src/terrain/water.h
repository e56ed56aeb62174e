// Water and beach codes in the terrain map, and the colouring that turns the
// cells a river walk or a lake fill claimed into water.
#pragma once

#include "model/landscape.h"
#include "model/random_streams.h"

namespace kalvenor {

constexpr int kBeachCode = 50;
constexpr int kWater1 = 51; // flat water (majority)
constexpr int kWater2 = 52; // flat water (minority)
constexpr int kWater3 = 53; // steep water (whitewater)
constexpr int kWater4 = 54; // very steep water (waterfalls)
constexpr int kWater5 = 55; // steepest water (waterfalls)
constexpr int kRiverMarker = 255; // claimed by a river or lake, not yet coloured

constexpr bool isWaterCode(int code) { return code >= kWater1 && code <= kWater5; }

// The water code of a slope of `degrees`: above 45 Water 5, above 25 Water 4,
// above 10 Water 3; flatter water takes one 8-bit draw: above -96 Water 1,
// else Water 2 (about one cell in eight).
int waterSlopeCode(int degrees, RandomStreams& random);

// The steepness of the two triangles of the cell (row, column) with its right
// and lower neighbours, in whole degrees (truncated); outside the grid a
// neighbour is the cell itself.
struct CellSlopes {
    int first = 0;
    int second = 0;
};
CellSlopes cellSlopes(const Landscape& land, int column, int row);

// After a river walk or a lake fill: every unclaimed neighbour (of eight) of a
// claimed cell is brought to E_water + ((E_neighbour - E_water) AND 3), then
// every claimed cell takes the larger of the water codes of its two triangle
// slopes (first triangle drawn first).
void colourWater(Landscape& land, RandomStreams& random);

} // namespace kalvenor
