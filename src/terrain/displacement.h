// Random displacements built on stream A. Their roundings are part of the
// behaviour: "trunc" divides toward zero, "floor" shifts right arithmetically.
#pragma once

#include <cstdint>

#include "landscape/random_streams.h"

namespace kalvenor {

// Fractal displacement D(s) with roughness r (its low 16 bits, signed):
// one draw discarded, t = trunc(a * b / 64) + 32, u = trunc(s * t / 64) kept to
// 16 bits, result = trunc(r * u / 32).
int fractalDisplacement(RandomStreams& random, int step, std::int32_t roughness);

// Boundary displacement: as the fractal one with floor shifts throughout and
// 16-bit intermediate values, scaled by the boundary roughness (Dither).
int boundaryDisplacement(RandomStreams& random, int step, std::int32_t scale);

// Plain displacement of a value v: ((((a * b) >> 6) + 32) * v) >> 6.
int plainDisplacement(RandomStreams& random, int value);

// Positional displacement: stream A reseeded from the position hash of (a, b).
int positionalDisplacement(RandomStreams& random, std::int32_t a, std::int32_t b, int value);

} // namespace kalvenor
