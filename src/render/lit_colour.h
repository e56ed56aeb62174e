// The colour of a lit surface: diffuse light, ambient light, hilite, haze and
// exposure, all in integer arithmetic so that renders repeat exactly.
#pragma once

#include <cstdint>

namespace kalvenor {

// The largest haze weight: the colour is then the haze colour.
constexpr float kMaxHazeWeight = 10000000.0f;

// What the colour of a lit surface depends on besides the surface itself.
// The terrain walk sets the haze weight per polygon and the haze colour per
// drawing stage (sky haze while the sky is drawn, haze from the horizon on);
// the render driver sets the light, ambient and exposure before each render.
struct SurfaceLight {
    int light[3] = {255, 255, 255};   // light colour, red green blue
    int ambient[3] = {0, 0, 0};       // ambient colour
    int haze[3] = {0, 0, 0};          // haze colour of the current drawing stage
    float hazeWeight = 0.0f;          // of the polygon being drawn
    int exposureFactor = 128;         // f: channels are scaled by f / 128
};

// f = e + 128 + (exposure - 128) x 2, with e = 48 without auto exposure and
// (255 - light level) / 3 + 48 with it.
int exposureFactor(bool autoExposure, int lightLevel, int exposure);

// Colour of base (r, g, b) at intensity I with hilite strength S and value H,
// packed as red + green x 256 + blue x 65536, each channel 0..255.
std::uint32_t litColour(const SurfaceLight& light, int r, int g, int b, int intensity, int strength, int hilite);

} // namespace kalvenor
