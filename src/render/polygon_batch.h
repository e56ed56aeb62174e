// Polygons recorded on the way to the rasteriser, to be drawn later in the
// order they were recorded: the front end of a frame can then work out
// several pieces of the scene at once while the image is drawn piece by
// piece in the painter's order.
#pragma once

#include <cstdint>
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
    int coords = -1;  // into PolygonBatch::coords; -1 untextured
    int texture = -1; // into PolygonBatch::textures
    float hazeWeight = 0.0f;
    // A run of polygons covered later, not drawn: how many, and their spans
    // together (hiddenSpans -1: a polygon that is drawn).
    int hiddenPolygons = 0;
    int hiddenSpans = -1;
};

// A triangle of one look, untextured, closed on its first corner (entries
// a, b, c, a), as most of a far landscape is: its corners and the look, in 24
// bytes instead of the four entries' 64 and the record's 28, since the
// recorded pieces are written by one thread and read by all. Its haze weight
// lights no span of it, so only the batch's last one is kept.
struct FlatTriangle {
    std::int16_t x[3], y[3];
    std::uint16_t red, green, blue, alpha, classCode, intensity;
};

// Consecutive records with spans in a band (places first .. first + count - 1
// in PolygonBatch::order) whose draws follow one another: no other band's
// span and no hidden run comes between them. drawsBefore is the dither draws
// the whole batch takes before the run's first span in the band, spans the
// run's spans there. Far away, where most polygons are, long runs of the walk
// fall in one band.
struct BandRun {
    std::uint32_t first = 0, count = 0;
    std::uint32_t drawsBefore = 0, spans = 0;
};

// On cache lines of its own: threads fill neighbouring batches at once.
struct alignas(128) PolygonBatch {
    std::vector<PackedEntry> entries;
    std::vector<FlatTriangle> flats;
    std::vector<PackedCoords> coords;
    std::vector<TextureView> textures;
    std::vector<RecordedPolygon> polygons; // those not flat triangles, and the runs of hidden ones
    // Every record in the order added: kFlatTag and a place in flats, or a place in polygons.
    std::vector<std::uint32_t> order;
    static constexpr std::uint32_t kFlatTag = 0x80000000u;
    float lastHazeWeight = 0.0f; // of the last record added
    // Polygons the rasteriser counts for the frame (those of 3 to
    // kMaxPolygonVertices entries), and all the polygons the records stand for.
    int drawable = 0;
    std::uint32_t counted = 0;
    // When bands are set, each polygon's spans are counted in them as it is
    // added: byBand[b] lists the runs of polygons that fill spans in band b, and
    // draws is the spans of the whole batch (a random dither draw each).
    const RowBands* bands = nullptr;
    std::vector<std::vector<BandRun>> byBand;
    std::uint32_t draws = 0;
    std::vector<int> scratchLeft, scratchRight;

    // Empties the batch and keeps its storage (and the bands).
    void clear();
    void add(const Polygon& polygon, float hazeWeight);
    // The same for a polygon already packed (count entries; coords and
    // texture null for an untextured one).
    void addPacked(const PackedEntry* packed, int count, const PackedCoords* coords, const TextureView* texture,
                   float hazeWeight);
    // Polygons of 3 or more entries whose pixels later polygons all cover:
    // counted, and their spans (image rows, so within the bands) taken from
    // the dither stream, but not drawn. Hidden polygons in a row share a record.
    void addHidden(int count, int spans, float hazeWeight);

private:
    // Record index fills spans in band b: it joins the band's last run when it follows it.
    void listInBand(int b, std::uint32_t index, std::uint32_t spans);
};

// Rasterises the batch in order, light's haze weight set as it was recorded
// for each polygon whose spans it can light, and left as the batch's last
// record set it. Stops early once an abort is seen.
void drawBatch(const PolygonBatch& batch, RasterState& raster, const RasterTarget& target, SurfaceLight& light);

// One thread's share of drawing batches in bands: the rows of its band, and
// where it stands in the random dither stream.
struct BandShare {
    int band = 0;
    RasterTarget target;       // restricted to the band, no abort polls
    bool randomDither = false; // every span takes a draw of target.dither
    std::uint64_t pendingDraws = 0; // draws of the other bands' spans not yet stepped over
};

// Draws the batch's polygons that fill spans in share's band, in order
// (target.light is light, whose haze weight is set for each polygon and left
// as the batch's last polygon set it). The batch must have counted its spans
// in the same bands. With random dithering the stream is moved on, before
// each polygon, past the spans the other bands drew before it, so each span
// takes the draw one thread drawing the whole batch would have given it.
// The frame's polygon counts are left to the caller (batch.drawable).
void drawBatchBand(const PolygonBatch& batch, BandShare& share, RasterState& raster, SurfaceLight& light);

// Moves the share's dither stream past every span counted so far.
void settleDither(BandShare& share);

// Pieces 0 .. count - 1 recorded on `threads` threads at once, each into a
// batch of its own (record(thread, piece, batch)), and drawn on the calling
// thread in piece order (draw(piece, batch), false to stop). A thread only
// runs ahead of the drawing by a few pieces, so the batches in use stay few;
// the calling thread records too while the next piece to draw is not ready.
// batches holds the batches between calls. Returns false when draw stopped.
//
// With bands given, every thread draws too once bands.start(k) accepts: from
// piece k on, each thread draws its own band of every piece in order
// (bands.draw(thread, piece, batch)) and the calling thread, after its band
// of a piece, calls bands.after(piece) (false to stop). Pieces before k are
// drawn whole by the calling thread. start is asked on the calling thread
// before each piece until it accepts, while no other thread draws.
struct BandDrawing {
    std::function<bool(int)> start;
    std::function<void(int, int, const PolygonBatch&)> draw;
    std::function<bool(int)> after;
};
bool recordAndDraw(int count, int threads, const std::function<void(int, int, PolygonBatch&)>& record,
                   const std::function<bool(int, const PolygonBatch&)>& draw, std::vector<PolygonBatch>& batches,
                   const BandDrawing* bands = nullptr);

} // namespace kalvenor
