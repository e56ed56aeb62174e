// Scan conversion of projected polygons: the edges of a closed vertex list
// are walked row by row into a left and a right edge table, and each row
// between them becomes a span (span.h). There is no depth buffer; polygons
// arrive far to near and later spans cover earlier ones.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/polygon.h"
#include "render/span.h"

namespace kalvenor {

// A polygon entry ready for integer stepping: x and y truncated toward zero
// (and held to the 16-bit range), texture coordinates truncated.
struct RasterVertex {
    int x = 0, y = 0;
    int red = 0, green = 0, blue = 0, alpha = 0, classCode = 0, intensity = 0;
    std::int64_t s = 0, t = 0, third = 0;
};

// Truncation of a projected coordinate to a 16-bit integer: toward zero,
// held to -32768..32767; a value that is not a number becomes 0.
int toRasterCoordinate(float value);

RasterVertex toRasterVertex(const PolygonVertex& v);

// The rasteriser's state for the whole run: edge tables and span buffer
// (allocated once), the running polygon count behind the abort polls, the
// frame's polygon count and whether a poll asked to stop. The render driver
// resets framePolygons and abortRequested at the start of a frame and reads
// them at its end; rasterisePolygon changes the rest.
struct RasterState {
    std::vector<EdgeRecord> left = std::vector<EdgeRecord>(kRasterLimit);
    std::vector<EdgeRecord> right = std::vector<EdgeRecord>(kRasterLimit);
    std::vector<SpanPixel> span = std::vector<SpanPixel>(kRasterLimit);
    // The span ends of a one-coloured polygon, where x is all that varies.
    std::vector<int> flatLeft = std::vector<int>(kRasterLimit);
    std::vector<int> flatRight = std::vector<int>(kRasterLimit);
    // The entries of the polygon being drawn; held here so that a local array
    // is not cleared for every polygon.
    std::array<RasterVertex, kMaxPolygonVertices> vertices = {};
    std::uint32_t runningCount = 0;
    std::int32_t framePolygons = 0;
    bool abortRequested = false;
};

// The rasteriser polls for abort once per this many polygons.
constexpr std::uint32_t kAbortPollInterval = 1024;

// Scan-converts one projected polygon into the target's buffers. Polygons of
// fewer than 3 entries (or more than kMaxPolygonVertices) draw nothing; rows
// outside 0..8191 and outside the image are dropped, so no polygon, however
// malformed, writes outside the buffers.
void rasterisePolygon(const Polygon& polygon, RasterState& state, const RasterTarget& target);

// The same for count entries held elsewhere, drawn with texture (null: untextured).
void rasteriseEntries(const PolygonVertex* entries, int count, const TextureView* texture, RasterState& state,
                      const RasterTarget& target);

// A polygon's entries converted for the rasteriser ahead of time (by the
// thread that made the polygon), in a quarter of the room: the truncated
// coordinates fit 16 bits and the texture coordinates 32.
// No initialisers: arrays of them are filled by packPolygon, not cleared first.
struct PackedEntry {
    std::int16_t x, y;
    std::uint16_t red, green, blue, alpha, classCode, intensity;
};
struct PackedCoords {
    std::int32_t s, t, third;
};

// Converts the polygon's entries (its count, held to 0 .. kMaxPolygonVertices)
// into entries and, when it has a usable texture, coords; returns whether it has one.
bool packPolygon(const Polygon& polygon, PackedEntry* entries, PackedCoords* coords);

// Draws a packed polygon exactly as rasterisePolygon draws the polygon it
// was packed from; coords null for an untextured one. count is the polygon's
// own count (one above kMaxPolygonVertices draws nothing, as there).
void rasterisePacked(const PackedEntry* entries, const PackedCoords* coords, int count, const TextureView* texture,
                     RasterState& state, const RasterTarget& target);

// A row of pixels a polygon writes: projected row y, image columns x0 .. x1.
struct ImageSpan {
    int y = 0, x0 = 0, x1 = 0;
};

// Appends to out the spans the rasteriser fills for a polygon of count packed
// entries (x and y alone are read), clipped to the image's rows and columns:
// the pixels drawing it would write. left and right are scratch rows of
// kRasterLimit entries.
void imageSpans(const PackedEntry* entries, int count, const ImageGeometry& g, int* left, int* right,
                std::vector<ImageSpan>& out);

// What drawing polygons of 3 .. kMaxPolygonVertices entries leaves besides
// their pixels, for ones whose pixels are all covered later: the running
// count (and its abort polls), the frame's count, and for their spans (image
// rows) the dither stream's draws, the dither tables built first as at the
// first span drawn.
void skipHiddenPolygons(int polygons, int spans, RasterState& state, const RasterTarget& target);

// The image's projected rows cut into bands, so that threads can each draw
// one band of the same polygons at once.
constexpr int kMaxRowBands = 64;
struct RowBands {
    int count = 1;
    int width = 0; // the image width: a span wholly left or right of it is not drawn
    // Band b is projected rows starts[b] .. starts[b + 1] - 1; together they
    // are the image's rows within the tables.
    std::array<int, kMaxRowBands + 1> starts = {};
    std::array<std::uint8_t, kRasterLimit> bandOfRow = {}; // within the image's rows
};

// The image of g in count bands (1 .. kMaxRowBands) of nearly equal height.
RowBands splitIntoBands(const ImageGeometry& g, int count);

// The target drawing band b alone.
RasterTarget bandTarget(const RasterTarget& target, const RowBands& bands, int band);

// How many spans rasterisePacked would fill for the polygon in each band
// (perBand[0 .. bands.count - 1]): spans are what random dithering takes a
// draw for, so a thread drawing one band knows where the stream stands at
// each of its spans. Decided by the geometry alone; left and right are
// scratch rows of kRasterLimit entries.
void countBandSpans(const PackedEntry* entries, int count, const RowBands& bands, int* left, int* right,
                    std::uint16_t* perBand);

} // namespace kalvenor
