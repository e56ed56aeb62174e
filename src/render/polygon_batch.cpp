#include "render/polygon_batch.h"

#include <algorithm>
#include <cassert>
#include <condition_variable>
#include <exception>
#include <mutex>

#include "base/worker_pool.h"
#include "render/lit_colour.h"
#include "render/rasteriser.h"

namespace kalvenor {

void PolygonBatch::clear()
{
    entries.clear();
    coords.clear();
    textures.clear();
    polygons.clear();
    spans.clear();
}

void PolygonBatch::add(const Polygon& polygon, float hazeWeight)
{
    RecordedPolygon record;
    record.first = static_cast<int>(entries.size());
    record.count = polygon.count;
    record.hazeWeight = hazeWeight;
    const int stored = std::clamp(polygon.count, 0, kMaxPolygonVertices);
    PackedEntry packed[kMaxPolygonVertices];
    PackedCoords packedCoords[kMaxPolygonVertices];
    const bool textured = packPolygon(polygon, packed, packedCoords);
    entries.insert(entries.end(), packed, packed + stored);
    if (textured) {
        record.coords = static_cast<int>(coords.size());
        record.texture = static_cast<int>(textures.size());
        coords.insert(coords.end(), packedCoords, packedCoords + stored);
        textures.push_back(*polygon.texture);
    }
    if (stored > 0) {
        record.top = record.bottom = packed[0].y;
        for (int i = 1; i < stored; ++i)
            record.top = std::min(record.top, packed[i].y), record.bottom = std::max(record.bottom, packed[i].y);
    }
    polygons.push_back(record);
    if (bands == nullptr) return;
    if (scratchLeft.empty()) scratchLeft.resize(kRasterLimit), scratchRight.resize(kRasterLimit);
    spans.resize(spans.size() + static_cast<std::size_t>(bands->count));
    countBandSpans(packed, polygon.count, *bands, scratchLeft.data(), scratchRight.data(),
                   spans.data() + spans.size() - static_cast<std::size_t>(bands->count));
}

namespace {

void drawRecorded(const PolygonBatch& batch, const RecordedPolygon& p, RasterState& raster, const RasterTarget& target)
{
    const bool textured = p.coords >= 0;
    rasterisePacked(batch.entries.data() + p.first, textured ? batch.coords.data() + p.coords : nullptr, p.count,
                    textured ? &batch.textures[static_cast<std::size_t>(p.texture)] : nullptr, raster, target);
}

} // namespace

void drawBatch(const PolygonBatch& batch, RasterState& raster, const RasterTarget& target, SurfaceLight& light)
{
    for (const RecordedPolygon& p : batch.polygons) {
        if (raster.abortRequested) return;
        light.hazeWeight = p.hazeWeight;
        drawRecorded(batch, p, raster, target);
    }
}

void drawBatchBand(const PolygonBatch& batch, BandShare& share, RasterState& raster, SurfaceLight& light)
{
    const RasterTarget& target = share.target;
    PixelDither* dither = target.dither;
    const bool counted = !batch.spans.empty();
    const std::size_t bandCount = counted ? batch.spans.size() / batch.polygons.size() : 0;
    const auto band = static_cast<std::size_t>(share.band);
    for (std::size_t i = 0; i < batch.polygons.size(); ++i) {
        if (raster.abortRequested) return;
        const RecordedPolygon& p = batch.polygons[i];
        light.hazeWeight = p.hazeWeight;
        if (p.bottom < target.firstTableRow || p.top > target.lastTableRow) {
            passPolygon(p.count, raster, target);
            if (counted)
                for (std::size_t b = 0; b < bandCount; ++b) share.pendingDraws += batch.spans[i * bandCount + b];
            continue;
        }
        if (!counted) {
            drawRecorded(batch, p, raster, target);
            continue;
        }
        const std::uint16_t* spans = batch.spans.data() + i * bandCount;
        for (std::size_t b = 0; b < band; ++b) share.pendingDraws += spans[b];
        if (spans[band] != 0 && dither != nullptr) {
            dither->seed = lcgSkip(dither->seed, share.pendingDraws);
            share.pendingDraws = 0;
        }
        [[maybe_unused]] const std::uint32_t before = dither != nullptr ? dither->seed : 0;
        drawRecorded(batch, p, raster, target);
        assert(dither == nullptr || raster.abortRequested || dither->seed == lcgSkip(before, spans[band]));
        for (std::size_t b = band + 1; b < bandCount; ++b) share.pendingDraws += spans[b];
    }
}

void settleDither(BandShare& share)
{
    if (share.target.dither != nullptr) share.target.dither->seed = lcgSkip(share.target.dither->seed, share.pendingDraws);
    share.pendingDraws = 0;
}

bool recordAndDraw(int count, int threads, const std::function<void(int, int, PolygonBatch&)>& record,
                   const std::function<bool(int, const PolygonBatch&)>& draw, std::vector<PolygonBatch>& batches,
                   const BandDrawing* bands)
{
    // Each thread may be two pieces ahead of the drawing.
    const int window = threads * 2 + 1;
    if (static_cast<int>(batches.size()) < window) batches.resize(static_cast<std::size_t>(window));
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> recorded(static_cast<std::size_t>(window), -1); // the piece each slot holds
    std::vector<int> drawnBy(static_cast<std::size_t>(threads), 0);  // pieces each thread has drawn its share of
    int claimed = 0;
    int bandsFrom = -1; // the first piece drawn in bands; -1 while the calling thread draws whole pieces
    bool stop = false, completed = true;
    const auto slot = [&](int piece) { return static_cast<std::size_t>(piece % window); };
    const auto isReady = [&](int piece) { return recorded[slot(piece)] == piece; };
    // The next piece the thread draws (its share of): count when it has no more.
    const auto nextFor = [&](int thread) {
        if (thread == 0) return drawnBy[0];
        if (bandsFrom < 0) return drawnBy[0] >= count ? count : -1; // -1: not yet known
        return std::max(drawnBy[static_cast<std::size_t>(thread)], bandsFrom);
    };
    // Every piece before this one is drawn whole: its slot may take another.
    const auto frontier = [&] {
        int least = drawnBy[0];
        if (bandsFrom >= 0)
            for (int t = 1; t < threads; ++t) least = std::min(least, nextFor(t));
        return least;
    };
    const auto claimable = [&] { return !stop && claimed < count && claimed < frontier() + window; };
    // Runs work with the lock released; a failure stops every thread and goes on to the caller.
    const auto outsideLock = [&](std::unique_lock<std::mutex>& lock, const auto& work) {
        lock.unlock();
        try {
            work();
        } catch (...) {
            lock.lock();
            stop = true;
            changed.notify_all();
            throw;
        }
        lock.lock();
    };
    // Records one claimed piece and marks it ready.
    const auto recordPiece = [&](std::unique_lock<std::mutex>& lock, int thread) {
        const int piece = claimed++;
        PolygonBatch& batch = batches[slot(piece)];
        outsideLock(lock, [&] {
            batch.clear();
            record(thread, piece, batch);
        });
        recorded[slot(piece)] = piece;
        changed.notify_all();
    };
    // Draws the thread's share of a ready piece; false to stop.
    const auto drawPiece = [&](std::unique_lock<std::mutex>& lock, int thread, int piece) {
        if (thread == 0 && bandsFrom < 0 && bands != nullptr) {
            bool start = false;
            outsideLock(lock, [&] { start = bands->start(piece); });
            if (start) {
                bandsFrom = piece;
                changed.notify_all();
            }
        }
        const PolygonBatch& batch = batches[slot(piece)];
        bool goOn = true;
        if (bandsFrom < 0)
            outsideLock(lock, [&] { goOn = draw(piece, batch); });
        else
            outsideLock(lock, [&] {
                bands->draw(thread, piece, batch);
                if (thread == 0) goOn = bands->after(piece);
            });
        drawnBy[static_cast<std::size_t>(thread)] = piece + 1;
        changed.notify_all();
        return goOn;
    };

    runTogether(threads, [&](int thread) {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (stop) return;
            const int next = nextFor(thread);
            if (next >= count) return;
            if (next >= 0 && isReady(next)) {
                if (!drawPiece(lock, thread, next)) {
                    completed = false;
                    stop = true;
                    changed.notify_all();
                    return;
                }
            } else if (claimable()) {
                recordPiece(lock, thread);
            } else {
                changed.wait(lock);
            }
        }
    });
    return completed;
}

} // namespace kalvenor
