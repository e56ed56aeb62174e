#include "render/frame_helpers.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/frontend.h"
#include "base/worker_pool.h"
#include "render/polygon_batch.h"
#include "render/scene_frame.h"

namespace kalvenor {

// One thread's own copies of what a frame's front end changes as it goes,
// on cache lines of its own (see ThreadFrame).
struct alignas(128) HelperState {
    SceneDrawState state;
    ViewState view;
    SurfaceLight light;
    RasterState raster; // only its abort flag is read: helpers do not rasterise
    SilentFrontend ui; // helpers never talk to the user: the drawing thread polls and shows progress
    // Drawing its bands: the thread's own rasteriser state and light (for the haze weight).
    RasterState bandRaster;
    SurfaceLight bandLight;
};

// A band being drawn: its rows, and its own place in the dither stream (band
// 0 moves the frame's own stream), on cache lines of its own.
struct alignas(128) BandState {
    BandShare share;
    PixelDither dither;
};

struct FrameHelpers {
    std::vector<std::unique_ptr<HelperState>> threads;
    std::vector<PolygonBatch> batches;
    PolygonBatch single;   // drawRecordedTogether's
    std::vector<std::unique_ptr<BandState>> bands;
    int bandThreads = 1;    // band b is drawn by thread b % bandThreads
    RasterState mainRaster; // the calling thread's rasteriser state: the frame's counts are added batch by batch
};

namespace {

// Bands need every span to reach the image buffers as the image geometry
// says, so that the geometry alone decides which spans take a dither draw.
bool bandsPossible(const RasterTarget& target, int threads)
{
    if (threads < 2 || target.display != nullptr || target.geometry == nullptr || target.images == nullptr) return false;
    const ImageGeometry& g = *target.geometry;
    const ImageBuffers& images = *target.images;
    const auto covers = [&](const auto& plane) { return plane.width >= g.width && plane.height >= g.height; };
    return g.width <= kRasterLimit && images.vidmem24.allocated() && covers(images.vidmem24) &&
           (!images.vidmem8.allocated() || covers(images.vidmem8));
}

bool randomDither(const RasterTarget& target)
{
    return target.dither != nullptr && target.ditherAmount != 0 && target.ditherKind != kDitherOrdered;
}

// The tables the first dithered span would build are built already: drawing
// in bands takes no draws but the spans' own.
bool ditherReady(const RasterTarget& target)
{
    if (target.dither == nullptr || target.ditherAmount == 0) return true;
    return target.dither->built && target.dither->builtAmount == target.ditherAmount;
}

// The bands of a frame drawn on `threads` threads. Work is far from even
// down the image (the far land's many small polygons near the horizon, the
// near land's large ones at the bottom, which come last), so each thread
// draws several narrow bands spread down the image rather than one wide one.
RowBands bandsFor(const ImageGeometry& g, int threads)
{
    constexpr int kBandsPerThread = 4;
    return splitIntoBands(g, std::min({threads * kBandsPerThread, kMaxRowBands, std::max(g.height, 1)}));
}

// Starts every band's share: the frame's target within the band, the light
// of the thread that draws it, and for every band but the first a copy of
// the dither stream.
void startShares(FrameHelpers& helpers, SceneFrame& frame, const RowBands& bands, int threads)
{
    while (static_cast<int>(helpers.bands.size()) < bands.count) helpers.bands.push_back(std::make_unique<BandState>());
    helpers.bandThreads = threads;
    helpers.mainRaster.abortRequested = false;
    for (int t = 1; t < threads; ++t) {
        HelperState& h = *helpers.threads[static_cast<std::size_t>(t)];
        h.bandLight = frame.light;
        h.bandRaster.abortRequested = false;
    }
    for (int b = 0; b < bands.count; ++b) {
        BandState& band = *helpers.bands[static_cast<std::size_t>(b)];
        band.share = BandShare{b, bandTarget(frame.target, bands, b), randomDither(frame.target), 0};
        band.share.target.ui = nullptr; // the frame polls between pieces
        const int thread = b % threads;
        if (thread != 0) band.share.target.light = &helpers.threads[static_cast<std::size_t>(thread)]->bandLight;
        if (b != 0 && frame.target.dither != nullptr) {
            band.dither = *frame.target.dither;
            band.share.target.dither = &band.dither;
        }
    }
}

// Draws thread's bands of the batch; the calling thread (0) also counts the
// batch's polygons for the frame, as drawing it whole would have.
void drawShare(FrameHelpers& helpers, SceneFrame& frame, int thread, const PolygonBatch& batch)
{
    HelperState& h = *helpers.threads[static_cast<std::size_t>(thread)];
    RasterState& raster = thread == 0 ? helpers.mainRaster : h.bandRaster;
    SurfaceLight& light = thread == 0 ? frame.light : h.bandLight;
    const int count = batch.bands != nullptr ? batch.bands->count : 0;
    for (int b = thread; b < count; b += helpers.bandThreads)
        drawBatchBand(batch, helpers.bands[static_cast<std::size_t>(b)]->share, raster, light);
    if (thread == 0) {
        frame.raster.framePolygons += batch.drawable;
        frame.raster.runningCount += batch.counted;
    }
}

// Every band's stream has passed every span: the frame's stands where one
// thread drawing it all would have left it.
void settleBands(FrameHelpers& helpers) { settleDither(helpers.bands[0]->share); }

// The frame's helpers, with the state of at least threads threads.
FrameHelpers& helpersOf(SceneFrame& frame, int threads)
{
    if (!frame.state.helpers) frame.state.helpers = std::make_shared<FrameHelpers>();
    FrameHelpers& helpers = *frame.state.helpers;
    while (static_cast<int>(helpers.threads.size()) < threads) helpers.threads.push_back(std::make_unique<HelperState>());
    return helpers;
}

// A thread's frame on cache lines of its own: the walk writes into its frame
// at every cell, and two frames side by side would make the threads take
// the line from each other all the time.
struct alignas(128) ThreadFrame {
    SceneFrame frame;
};

// Adds the frame as a thread sees it to frames (reserved: the terrain
// parameters point into the frame itself, so it is made in place).
void addHelperFrame(std::vector<ThreadFrame>& frames, SceneFrame& frame, HelperState& h)
{
    h.view = frame.view;
    h.light = frame.light;
    h.state.textures.byClass = frame.state.textures.byClass;
    for (GridLine& slot : h.state.lines) slot.index = -1;
    h.raster.abortRequested = false;
    frames.push_back(ThreadFrame{
        SceneFrame{frame.land, frame.scene, frame.sun, frame.strata, h.view, h.light, h.raster, frame.target, h.ui, h.state}});
    prepareTerrainParams(frames.back().frame);
}

} // namespace

int drawPiecesTogether(SceneFrame& frame, int count, int threads, const std::function<void(SceneFrame&, int)>& piece,
                       const std::function<void(int, int&)>& progress)
{
    FrameHelpers& helpers = helpersOf(frame, threads);
    std::vector<ThreadFrame> frames;
    frames.reserve(static_cast<std::size_t>(threads));
    for (int i = 0; i < threads; ++i) addHelperFrame(frames, frame, *helpers.threads[static_cast<std::size_t>(i)]);

    const bool banded = bandsPossible(frame.target, threads);
    const RowBands bands = bandsFor(*frame.target.geometry, threads);
    int lastPercent = -1;
    const auto record = [&](int thread, int k, PolygonBatch& batch) {
        SceneFrame& f = frames[static_cast<std::size_t>(thread)].frame;
        batch.bands = banded ? &bands : nullptr;
        f.record = &batch;
        piece(f, k);
        f.record = nullptr;
    };
    const auto draw = [&](int k, const PolygonBatch& batch) {
        drawBatch(batch, frame.raster, frame.target, frame.light);
        if (pollFrameAbort(frame)) return false;
        progress(k, lastPercent);
        return true;
    };
    bool started = false;
    BandDrawing inBands;
    inBands.start = [&](int) {
        if (!banded || !ditherReady(frame.target)) return false;
        startShares(helpers, frame, bands, threads);
        return started = true;
    };
    inBands.draw = [&](int thread, int, const PolygonBatch& batch) { drawShare(helpers, frame, thread, batch); };
    inBands.after = [&](int k) {
        if (pollFrameAbort(frame)) return false;
        progress(k, lastPercent);
        return true;
    };
    const bool done = recordAndDraw(count, threads, record, draw, helpers.batches, &inBands);
    if (started) settleBands(helpers);
    return done ? 1 : -1;
}

int drawRecordedTogether(SceneFrame& frame, int threads, const std::function<int(SceneFrame&)>& draw)
{
    FrameHelpers& helpers = helpersOf(frame, threads);
    const bool banded = bandsPossible(frame.target, threads);
    const RowBands bands = bandsFor(*frame.target.geometry, threads);
    PolygonBatch& batch = helpers.single;
    batch.clear();
    batch.bands = banded ? &bands : nullptr;
    frame.record = &batch;
    int result = 1;
    try {
        result = draw(frame);
    } catch (...) {
        frame.record = nullptr;
        throw;
    }
    frame.record = nullptr;
    if (!banded || !ditherReady(frame.target)) {
        drawBatch(batch, frame.raster, frame.target, frame.light);
    } else {
        startShares(helpers, frame, bands, threads);
        runTogether(threads, [&](int thread) { drawShare(helpers, frame, thread, batch); });
        settleBands(helpers);
    }
    return result;
}

} // namespace kalvenor
