// The polygon record every drawn surface becomes: terrain triangles, sky and
// horizon bands, trees, buildings and clouds. Polygons are closed vertex
// lists (the last entry repeats the first, so a triangle has 4 entries) in
// view space; projection turns u and v into pixel x and y in place.
#pragma once

#include <array>
#include <cstdint>

namespace kalvenor {

// Room for a quad (5 entries) after the five clipping planes have each added
// a vertex, with plenty to spare; a clip that would need more drops the polygon.
constexpr int kMaxPolygonVertices = 32;

// The least number of entries that can draw anything (two corners and the closing repeat).
constexpr int kMinPolygonEntries = 3;

constexpr std::uint16_t kOpaque = 255;
constexpr std::uint16_t kCloudClass = 76;

// A texture as the span filler reads it. Texels are 32-bit: red in the lowest
// byte, then green, blue, and alpha in the highest. The texture maps fill it.
struct TextureView {
    const std::uint32_t* texels = nullptr;
    std::int32_t width = 0;  // texels per row
    std::int32_t height = 0; // rows
    std::int32_t scale = 0;  // carried for the texture maps; the span filler does not use it
    std::int32_t hiliteStrength = 0; // S of the lit colour
    std::int32_t hiliteValue = 0;    // H of the lit colour

    bool usable() const { return texels != nullptr && width > 0 && height > 0; }
};

struct PolygonVertex {
    float u = 0.0f, v = 0.0f, w = 0.0f; // view space; after projection u, v are pixel x, y
    std::uint32_t seed = 0;
    // Colour channels in 8.8 fixed point (8-bit value << 8).
    std::uint16_t red = 0, green = 0, blue = 0;
    std::uint16_t alpha = kOpaque;  // 255 opaque, 0 fully transparent
    std::uint16_t classCode = 0;    // colour-scheme entry of the surface
    std::uint16_t intensity = 0;    // lighting intensity << 8, for textured polygons
    float s = 0.0f, t = 0.0f;       // texture coordinates, in texels x 256
    float third = 0.0f;             // carried for the texture maps
};

// One pixel of the span buffer: colour in 8.8 fixed point, alpha and class as bytes.
struct SpanPixel {
    std::uint16_t red = 0, green = 0, blue = 0;
    std::uint8_t alpha = 0;
    std::uint8_t classCode = 0;
};

// The span buffer and the edge tables hold this many entries: no image is
// wider than 8192 pixels, and no projection extent taller than 8192 rows.
constexpr int kRasterLimit = 8192;

struct Polygon {
    std::int32_t count = 0; // entries, the closing repeat included
    const TextureView* texture = nullptr; // null: untextured
    std::array<PolygonVertex, kMaxPolygonVertices> vertices = {};
};

} // namespace kalvenor
