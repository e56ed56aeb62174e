// Test drawings for the rasteriser: a canvas with both image buffers, a
// guard band of sentinel pixels around the image (to catch writes outside
// it), polygon builders, the clip-project-rasterise path the terrain walk
// uses, an ASCII picture of the class image for exact comparisons, and
// binary PPM/PGM output so a drawing can be looked at.
//
// Set KALVENOR_DRAWINGS to a directory to keep every drawing a test saves.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "codecs/image_buffers.h"
#include "render/dither.h"
#include "render/lit_colour.h"
#include "render/polygon.h"
#include "render/projection.h"
#include "render/rasteriser.h"
#include "render/span.h"

namespace kalvenor::testing {

constexpr int kGuard = 8;                           // sentinel pixels right of and below the image
constexpr std::uint32_t kSentinel24 = 0xA5C3E1F7u;
constexpr std::uint8_t kSentinel8 = 0xEE;

struct Canvas {
    ImageBuffers images;
    ImageGeometry geometry;
    PixelDither dither;
    RasterState raster;
    SurfaceLight light;
    RasterTarget target;

    // An image of width x height inside buffers kGuard larger each way; PW and
    // PH default to the width and the height (no row offset).
    Canvas(int width, int height, int projWidth = 0, int projHeight = 0);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // True while every sentinel outside the image is intact.
    bool guardIntact() const;
    // Fills the image (not the guard) with one 24-bit and one 8-bit value.
    void clear(std::uint32_t pixel24 = 0, std::uint8_t pixel8 = 0);

    std::uint32_t at24(int x, int y) const { return images.vidmem24[y][x]; }
    std::uint8_t at8(int x, int y) const { return images.vidmem8[y][x]; }
};

struct Corner {
    float x, y;
};

// A closed polygon in pixel coordinates (already projected), one colour.
Polygon pixelPolygon(std::initializer_list<Corner> corners, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                     std::uint16_t classCode, std::uint16_t alpha = kOpaque);

// A closed polygon in view space (u, v, w per corner), one colour.
Polygon viewPolygon(std::initializer_list<PolygonVertex> corners);

// Rasterises an already projected polygon.
void draw(Canvas& canvas, const Polygon& polygon);

// The path of every view-space polygon: trivial reject, clip, project, rasterise.
// False when nothing of it was in view.
bool submit(Canvas& canvas, Polygon polygon);

// One string per image row of the 8-bit buffer: each byte through legend
// (a byte not in the legend shows as '?'); legend pairs are byte, character.
std::vector<std::string> picture8(const Canvas& canvas, std::initializer_list<std::pair<int, char>> legend);

// Binary PPM (P6) of the 24-bit image and PGM (P5) of the 8-bit image.
bool writePpm(const std::string& path, const Canvas& canvas);
bool writePgm(const std::string& path, const Canvas& canvas);

// Reads a binary PPM back into width, height and packed pixels (class byte 0).
bool readPpm(const std::string& path, int& width, int& height, std::vector<std::uint32_t>& pixels);

// Writes name.ppm and name.pgm into $KALVENOR_DRAWINGS when it is set.
void keepDrawing(const Canvas& canvas, const std::string& name);

} // namespace kalvenor::testing
