// Random displacements built on stream A. Their roundings are part of the
// behaviour: "trunc" divides toward zero, "floor" shifts right arithmetically.
// Step lengths and roughness scales are read as signed 16-bit values (their
// low 16 bits), so very large settings wrap instead of being clamped.
#pragma once

#include <cstdint>

#include "model/random_streams.h"

namespace kalvenor {

// Fractal displacement D(s) with roughness r (its low 16 bits, signed):
// one draw discarded, t = trunc(a * b / 64) + 32, u = trunc(s * t / 64) kept to
// 16 bits, result = trunc(r * u / 32). Takes three draws of stream A.
int fractalDisplacement(RandomStreams& random, int step, std::int32_t roughness);

// Boundary displacement: as the fractal one with floor shifts throughout and
// 16-bit intermediate values, scaled by the boundary roughness (Dither):
// t = ((a * b) >> 6) + 32, u = (s * t) >> 6, result = (scale * u) >> 5.
int boundaryDisplacement(RandomStreams& random, int step, std::int32_t scale);

// Plain displacement of a value v: one draw discarded, then
// ((((a * b) >> 6) + 32) * v) >> 6, the product wrapping at 32 bits.
int plainDisplacement(RandomStreams& random, int value);

// Positional displacement: stream A reseeded with the position hash of (a, b)
// (which also reseeds stream C), then two draws, none discarded:
// ((((a1 * b1) >> 6) + 32) * v) >> 6. The same position always gives the same value.
int positionalDisplacement(RandomStreams& random, std::int32_t a, std::int32_t b, int value);

} // namespace kalvenor
