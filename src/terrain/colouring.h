// The colour pass: every sampled point gets a ground code from its altitude
// band (trees, bare ground, snow, four shades each), disturbed by a random
// boundary roughness and by the valley effect. Water, beach and road codes
// written by other operations are kept. Tree placement follows.
#pragma once

#include <cstdint>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

// The limits the bands are measured against.
struct BandLimits {
    std::int64_t lowest = 0;
    std::int64_t highest = 0;
    std::int64_t treeLine = 0;
    std::int64_t snowLine = 0;
};

BandLimits bandLimits(const Landscape& land, const TerrainColourSettings& colouring);

// Tree 1..4 (56..59): k = trunc(4 (v - lowest) / (treeLine - lowest)).
int treeBandCode(std::int64_t v, const BandLimits& limits);
// Bare 1..4 (38..41): k = trunc(4 (v - treeLine) / (snowLine - treeLine)).
int bareBandCode(std::int64_t v, const BandLimits& limits);
// Snow 1..4 (42..45): k = 3 - trunc(4 (highest - v) / (highest - snowLine)).
int snowBandCode(std::int64_t v, const BandLimits& limits);

// The code of a point of disturbed elevation e and valley value v: snow when
// e - v is above the snow line, else trees when e + v is below the tree line,
// else bare ground.
int altitudeCode(std::int64_t e, std::int64_t v, const BandLimits& limits);

// What the valley value needs, worked out once per pass.
struct ValleyParams {
    bool on = false;
    std::int64_t rx = 0, ry = 0;   // reach in columns and rows
    double scaleSum = 0.0;         // spacingX + spacingY
    std::int32_t width = 1;        // metres; 0 counts as 1
    std::int64_t range = 0;        // highest - lowest
    std::int64_t strength = 0;
};

ValleyParams valleyParams(const Landscape& land, const TerrainColourSettings& colouring);

// V(x, y): negative in valleys, positive on ridges, 0 with the effect off.
std::int64_t valleyValue(const Landscape& land, const ValleyParams& params, int x, int y);
// The same for one point, for callers outside the colour pass (smoothing uses it).
std::int64_t valleyValue(const Landscape& land, const TerrainColourSettings& colouring, int x, int y);

// Classifies every g-th point of rows and columns 0..H' and 0..W' (W, H rounded
// down to multiples of g), then places trees. Lazy: does nothing while
// terrainValidAt <= g or the terrain map is frozen. Reseeds all streams with the
// landscape seed. Returns 1, or -1 when aborted before a row (rows done so far
// keep their new codes, terrainValidAt unchanged).
int colourPass(Landscape& land, const TerrainColourSettings& colouring, const TreeSettings& trees,
               std::uint32_t landscapeSeed, RandomStreams& random, Frontend& ui);

} // namespace kalvenor
