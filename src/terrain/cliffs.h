// The cliff pass: steep points get cliff colours, graded by slope or taken
// from a stack of strata.
#pragma once

#include <array>
#include <cstdint>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

// 256 cliff codes (46..49) in runs of 0 to 5 equal codes: the colours of the strata.
using StrataTable = std::array<std::uint8_t, 256>;

// Seeds all streams with 1324354 and builds the table from stream A, so the
// table is the same in every run (the reseeding is part of the behaviour).
void buildStrataTable(RandomStreams& random, StrataTable& table);

// The table as buildStrataTable makes it, computed on a private stream.
StrataTable defaultStrataTable();

// Width in degrees of each of the four slope bands: max(1, trunc((67 - t) / 3)).
int cliffBandWidth(int threshold);

// Cliff 1..4 for a slope above threshold t: above t + 3w, t + 2w, t + w, else Cliff 1.
int slopeCode(int slope, int threshold, int bandWidth);

// The steeper of the two triangles of the cell whose corners are r0[x], r0[x+g],
// r1[x], r1[x+g], in whole degrees (truncated). a = g x spacingX, b = g x spacingY.
int cellSlope(const std::int16_t* r0, const std::int16_t* r1, int x, int g, double a, double b);

// The strata code of point (x, y); reseeds stream C with the point's position hash.
int strataCode(const Landscape& land, const TerrainColourSettings& colouring, const StrataTable& table,
               RandomStreams& random, int x, int y);

// Overrides the ground code of every sampled point steeper than the threshold
// (water excepted) with a cliff code. Lazy: does nothing while cliffValidAt <= g,
// while the terrain map is frozen or while cliffs are off. Reseeds the streams
// with the landscape seed. Returns 1, or -1 when aborted (cliffValidAt unchanged).
int cliffPass(Landscape& land, const TerrainColourSettings& colouring, const StrataTable& strata,
              std::uint32_t landscapeSeed, RandomStreams& random, Frontend& ui);

} // namespace kalvenor
