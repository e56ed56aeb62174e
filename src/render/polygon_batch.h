// Polygons recorded on the way to the rasteriser, to be drawn later in the
// order they were recorded: the front end of a frame can then work out
// several pieces of the scene at once while the image is drawn piece by
// piece in the painter's order.
#pragma once

#include <functional>
#include <vector>

#include "render/polygon.h"
#include "render/rasteriser.h"

namespace kalvenor {

struct SurfaceLight;

// A projected polygon as submitPolygon would have rasterised it, packed for
// the rasteriser: its entries, its texture coordinates and texture (when it
// has a usable one) and the haze weight its textured spans are lit with.
struct RecordedPolygon {
    int first = 0;    // into PolygonBatch::entries
    int count = 0;    // the polygon's count, as given
    int coords = -1;  // into PolygonBatch::coords, -1 untextured
    int texture = -1; // into PolygonBatch::textures
    float hazeWeight = 0.0f;
};

struct PolygonBatch {
    std::vector<PackedEntry> entries;
    std::vector<PackedCoords> coords;
    std::vector<TextureView> textures;
    std::vector<RecordedPolygon> polygons;

    // Empties the batch and keeps its storage.
    void clear();
    void add(const Polygon& polygon, float hazeWeight);
};

// Rasterises the batch in order, light's haze weight set for each polygon as
// it was when the polygon was recorded. Stops early once an abort is seen.
void drawBatch(const PolygonBatch& batch, RasterState& raster, const RasterTarget& target, SurfaceLight& light);

// Pieces 0 .. count - 1 recorded on `threads` threads at once, each into a
// batch of its own (record(thread, piece, batch)), and drawn on the calling
// thread in piece order (draw(piece, batch), false to stop). A thread only
// runs ahead of the drawing by a few pieces, so the batches in use stay few;
// the calling thread records too while the next piece to draw is not ready.
// batches holds the batches between calls. Returns false when draw stopped.
bool recordAndDraw(int count, int threads, const std::function<void(int, int, PolygonBatch&)>& record,
                   const std::function<bool(int, const PolygonBatch&)>& draw, std::vector<PolygonBatch>& batches);

} // namespace kalvenor
