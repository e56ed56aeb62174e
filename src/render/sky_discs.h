// The sun and moon: textured discs facing the camera at the body's direction,
// with the body's radius scaled by its size setting. Until a texture map is
// loaded for them, each disc is a 1 x 1 texture of the body's colour.
#pragma once

#include <cstdint>

namespace kalvenor {

struct SceneFrame;
struct DiscTexture;

constexpr float kSunRadius = 6923000000.0f;  // metres, at the default size 10
constexpr float kMoonRadius = 17280000.0f;
constexpr int kDefaultBodySize = 10;
constexpr int kDiscSegments = 24;

// A 1 x 1 opaque texture of colour (r, g, b).
void setPlainDisc(DiscTexture& disc, int r, int g, int b);

// The sun (when its size is not 0) and the moon (when stars and moon are on
// and its size is not 0), each under the haze weight of the world origin.
void drawSun(SceneFrame& frame);
void drawMoon(SceneFrame& frame);

// Radius of a body's disc: its radius x size / 10 (the radii are those of size 10).
float discRadius(float radius, int size);

} // namespace kalvenor
