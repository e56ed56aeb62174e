#include "render/frame_helpers.h"

#include <memory>
#include <vector>

#include "base/frontend.h"
#include "render/polygon_batch.h"
#include "render/scene_frame.h"

namespace kalvenor {

// One thread's own copies of what a frame's front end changes as it goes.
struct HelperState {
    SceneDrawState state;
    ViewState view;
    SurfaceLight light;
    RasterState raster; // only its abort flag is read: helpers do not rasterise
    SilentFrontend ui; // helpers never talk to the user: the drawing thread polls and shows progress
};

struct FrameHelpers {
    std::vector<std::unique_ptr<HelperState>> threads;
    std::vector<PolygonBatch> batches;
};

namespace {

// Adds the frame as a thread sees it to frames (reserved: the terrain
// parameters point into the frame itself, so it is made in place).
void addHelperFrame(std::vector<SceneFrame>& frames, SceneFrame& frame, HelperState& h)
{
    h.view = frame.view;
    h.light = frame.light;
    h.state.textures.byClass = frame.state.textures.byClass;
    h.state.lines[0].index = h.state.lines[1].index = -1;
    h.raster.abortRequested = false;
    frames.push_back(
        SceneFrame{frame.land, frame.scene, frame.sun, frame.strata, h.view, h.light, h.raster, frame.target, h.ui, h.state});
    prepareTerrainParams(frames.back());
}

} // namespace

int drawPiecesTogether(SceneFrame& frame, int count, int threads, const std::function<void(SceneFrame&, int)>& piece,
                       const std::function<void(int, int&)>& progress)
{
    if (!frame.state.helpers) frame.state.helpers = std::make_shared<FrameHelpers>();
    FrameHelpers& helpers = *frame.state.helpers;
    while (static_cast<int>(helpers.threads.size()) < threads) helpers.threads.push_back(std::make_unique<HelperState>());
    std::vector<SceneFrame> frames;
    frames.reserve(static_cast<std::size_t>(threads));
    for (int i = 0; i < threads; ++i) addHelperFrame(frames, frame, *helpers.threads[static_cast<std::size_t>(i)]);

    int lastPercent = -1;
    const auto record = [&](int thread, int k, PolygonBatch& batch) {
        SceneFrame& f = frames[static_cast<std::size_t>(thread)];
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
    return recordAndDraw(count, threads, record, draw, helpers.batches) ? 1 : -1;
}

} // namespace kalvenor
