#include "render/frame_helpers.h"

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
    // Drawing a band: the thread's own rasteriser state, light (for the haze
    // weight) and dither stream.
    RasterState bandRaster;
    SurfaceLight bandLight;
    PixelDither bandDither;
    BandShare share;
};

struct FrameHelpers {
    std::vector<std::unique_ptr<HelperState>> threads;
    std::vector<PolygonBatch> batches;
    PolygonBatch single;   // drawRecordedTogether's
    BandShare mainShare;   // the calling thread's band
    RasterState mainRaster; // its rasteriser state: the frame's counts are added batch by batch
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

// Starts thread's band share: the frame's target within the band, and for
// the other threads copies of the light and the dither stream.
void startShare(FrameHelpers& helpers, SceneFrame& frame, const RowBands& bands, int thread)
{
    const BandShare share{thread, bandTarget(frame.target, bands, thread), randomDither(frame.target), 0};
    if (thread == 0) {
        helpers.mainShare = share;
        helpers.mainShare.target.ui = nullptr; // the frame polls between pieces
        helpers.mainRaster.abortRequested = false;
        return;
    }
    HelperState& h = *helpers.threads[static_cast<std::size_t>(thread)];
    h.bandLight = frame.light;
    h.share = share;
    h.share.target.light = &h.bandLight;
    h.share.target.ui = nullptr;
    if (frame.target.dither != nullptr) {
        h.bandDither = *frame.target.dither;
        h.share.target.dither = &h.bandDither;
    }
    h.bandRaster.abortRequested = false;
}

// Draws thread's band of the batch; the calling thread (0) also counts the
// batch's polygons for the frame, as drawing it whole would have.
void drawShare(FrameHelpers& helpers, SceneFrame& frame, int thread, const PolygonBatch& batch)
{
    if (thread == 0) {
        drawBatchBand(batch, helpers.mainShare, helpers.mainRaster, frame.light);
        frame.raster.framePolygons += batch.drawable;
        frame.raster.runningCount += batch.counted;
        return;
    }
    HelperState& h = *helpers.threads[static_cast<std::size_t>(thread)];
    drawBatchBand(batch, h.share, h.bandRaster, h.bandLight);
}

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
    const RowBands bands = splitIntoBands(*frame.target.geometry, threads);
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
        for (int t = 0; t < threads; ++t) startShare(helpers, frame, bands, t);
        return started = true;
    };
    inBands.draw = [&](int thread, int, const PolygonBatch& batch) { drawShare(helpers, frame, thread, batch); };
    inBands.after = [&](int k) {
        if (pollFrameAbort(frame)) return false;
        progress(k, lastPercent);
        return true;
    };
    const bool done = recordAndDraw(count, threads, record, draw, helpers.batches, &inBands);
    if (started) settleDither(helpers.mainShare);
    return done ? 1 : -1;
}

int drawRecordedTogether(SceneFrame& frame, int threads, const std::function<int(SceneFrame&)>& draw)
{
    FrameHelpers& helpers = helpersOf(frame, threads);
    const bool banded = bandsPossible(frame.target, threads);
    const RowBands bands = splitIntoBands(*frame.target.geometry, threads);
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
        for (int t = 0; t < threads; ++t) startShare(helpers, frame, bands, t);
        runTogether(threads, [&](int thread) { drawShare(helpers, frame, thread, batch); });
        settleDither(helpers.mainShare);
    }
    return result;
}

} // namespace kalvenor
