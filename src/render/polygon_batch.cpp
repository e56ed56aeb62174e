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
    flats.clear();
    coords.clear();
    textures.clear();
    polygons.clear();
    order.clear();
    lastHazeWeight = 0.0f;
    drawable = 0;
    counted = 0;
    for (std::vector<BandRun>& list : byBand) list.clear();
    draws = 0;
}

void PolygonBatch::add(const Polygon& polygon, float hazeWeight)
{
    PackedEntry packedEntries[kMaxPolygonVertices];
    PackedCoords packedCoords[kMaxPolygonVertices];
    const bool textured = packPolygon(polygon, packedEntries, packedCoords);
    addPacked(packedEntries, polygon.count, textured ? packedCoords : nullptr, textured ? polygon.texture : nullptr,
              hazeWeight);
}

namespace {

// Entries a, b, c, a of one look and one intensity (a flat triangle keeps one of each).
bool isFlatTriangle(const PackedEntry* e, int count)
{
    if (count != 4 || e[3].x != e[0].x || e[3].y != e[0].y || !allLookAlike(e, 4)) return false;
    return e[1].intensity == e[0].intensity && e[2].intensity == e[0].intensity && e[3].intensity == e[0].intensity;
}

} // namespace

void PolygonBatch::addPacked(const PackedEntry* given, int count, const PackedCoords* givenCoords,
                             const TextureView* texture, float hazeWeight)
{
    const int index = static_cast<int>(order.size());
    lastHazeWeight = hazeWeight;
    const int stored = std::clamp(count, 0, kMaxPolygonVertices);
    const bool textured = givenCoords != nullptr && texture != nullptr;
    if (!textured && isFlatTriangle(given, count)) {
        order.push_back(kFlatTag | static_cast<std::uint32_t>(flats.size()));
        const PackedEntry& look = given[0];
        flats.push_back({{given[0].x, given[1].x, given[2].x}, {given[0].y, given[1].y, given[2].y}, look.red,
                         look.green, look.blue, look.alpha, look.classCode, look.intensity});
    } else {
        order.push_back(static_cast<std::uint32_t>(polygons.size()));
        RecordedPolygon& record = polygons.emplace_back();
        record.first = static_cast<int>(entries.size());
        record.count = count;
        record.hazeWeight = hazeWeight;
        // Appended one by one: a block copy of a few entries is a library call,
        // and reading them back from the copy waits on its wide stores.
        for (int i = 0; i < stored; ++i) entries.push_back(given[i]);
        if (textured) {
            record.coords = static_cast<int>(coords.size());
            record.texture = static_cast<int>(textures.size());
            coords.insert(coords.end(), givenCoords, givenCoords + stored);
            textures.push_back(*texture);
        }
    }
    ++counted;
    if (count < kMinPolygonEntries || count > kMaxPolygonVertices) return; // it fills nothing
    ++drawable;
    if (bands == nullptr) return;

    // Most polygons lie within the image's columns and within one band: a
    // span on each of their rows.
    int xmin = given[0].x, xmax = xmin, ymin = given[0].y, ymax = ymin;
    for (int i = 1; i < stored; ++i) {
        xmin = std::min<int>(xmin, given[i].x), xmax = std::max<int>(xmax, given[i].x);
        ymin = std::min<int>(ymin, given[i].y), ymax = std::max<int>(ymax, given[i].y);
    }
    if (xmin >= 0 && xmax < bands->width && ymin >= bands->starts[0] && ymax < bands->starts[static_cast<std::size_t>(bands->count)]) {
        const std::uint8_t band = bands->bandOfRow[static_cast<std::size_t>(ymin)];
        if (band == bands->bandOfRow[static_cast<std::size_t>(ymax)]) {
            if (static_cast<int>(byBand.size()) < bands->count) byBand.resize(static_cast<std::size_t>(bands->count));
            listInBand(band, static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(ymax - ymin + 1));
            return;
        }
    }
    if (scratchLeft.empty()) scratchLeft.resize(kRasterLimit), scratchRight.resize(kRasterLimit);
    if (static_cast<int>(byBand.size()) < bands->count) byBand.resize(static_cast<std::size_t>(bands->count));
    std::uint16_t spans[kMaxRowBands];
    countBandSpans(given, count, *bands, scratchLeft.data(), scratchRight.data(), spans);
    for (int b = 0; b < bands->count; ++b)
        if (spans[b] != 0) listInBand(b, static_cast<std::uint32_t>(index), spans[b]);
}

void PolygonBatch::listInBand(int b, std::uint32_t index, std::uint32_t spans)
{
    std::vector<BandRun>& list = byBand[static_cast<std::size_t>(b)];
    if (!list.empty()) {
        BandRun& last = list.back();
        if (last.first + last.count == index && last.drawsBefore + last.spans == draws) {
            ++last.count;
            last.spans += spans;
            draws += spans;
            return;
        }
    }
    list.push_back({index, 1, draws, spans});
    draws += spans;
}

void PolygonBatch::addHidden(int count, int spans, float hazeWeight)
{
    const bool runOpen = !order.empty() && (order.back() & kFlatTag) == 0 && polygons[order.back()].hiddenSpans >= 0;
    if (!runOpen) {
        order.push_back(static_cast<std::uint32_t>(polygons.size()));
        RecordedPolygon& record = polygons.emplace_back();
        record.first = static_cast<int>(entries.size());
        record.count = kMinPolygonEntries;
        record.hiddenSpans = 0;
    }
    lastHazeWeight = hazeWeight;
    RecordedPolygon& run = polygons.back();
    run.hiddenPolygons += count;
    run.hiddenSpans += spans;
    run.hazeWeight = hazeWeight;
    drawable += count;
    counted += static_cast<std::uint32_t>(count);
    // Its draws come before those of the polygons after it in every band; it
    // is listed in none, as it draws nothing.
    if (bands != nullptr) draws += static_cast<std::uint32_t>(spans);
}

namespace {

// Draws record tag of the batch; light's haze weight is set for a polygon
// whose textured spans it lights.
void drawRecorded(const PolygonBatch& batch, std::uint32_t tag, RasterState& raster, const RasterTarget& target,
                  SurfaceLight& light)
{
    if ((tag & PolygonBatch::kFlatTag) != 0) {
        const FlatTriangle& f = batch.flats[tag & ~PolygonBatch::kFlatTag];
        PackedEntry e[4];
        for (int i = 0; i < 4; ++i)
            e[i] = {f.x[i % 3], f.y[i % 3], f.red, f.green, f.blue, f.alpha, f.classCode, f.intensity};
        rasterisePacked(e, nullptr, 4, nullptr, raster, target);
        return;
    }
    const RecordedPolygon& p = batch.polygons[tag];
    light.hazeWeight = p.hazeWeight;
    if (p.hiddenSpans >= 0) {
        skipHiddenPolygons(p.hiddenPolygons, p.hiddenSpans, raster, target);
        return;
    }
    const bool textured = p.coords >= 0;
    rasterisePacked(batch.entries.data() + p.first, textured ? batch.coords.data() + p.coords : nullptr, p.count,
                    textured ? &batch.textures[static_cast<std::size_t>(p.texture)] : nullptr, raster, target);
}

// Leaves light as the batch's last record set it.
void finishLight(const PolygonBatch& batch, SurfaceLight& light)
{
    if (!batch.order.empty()) light.hazeWeight = batch.lastHazeWeight;
}

} // namespace

void drawBatch(const PolygonBatch& batch, RasterState& raster, const RasterTarget& target, SurfaceLight& light)
{
    for (const std::uint32_t tag : batch.order) {
        if (raster.abortRequested) return;
        drawRecorded(batch, tag, raster, target, light);
    }
    finishLight(batch, light);
}

void drawBatchBand(const PolygonBatch& batch, BandShare& share, RasterState& raster, SurfaceLight& light)
{
    PixelDither* dither = share.randomDither ? share.target.dither : nullptr;
    std::uint32_t drawn = 0; // the batch's draws this band has stepped past
    if (static_cast<std::size_t>(share.band) < batch.byBand.size()) {
        for (const BandRun& run : batch.byBand[static_cast<std::size_t>(share.band)]) {
            const std::uint32_t* tag = batch.order.data() + run.first;
            if (dither == nullptr) {
                for (std::uint32_t k = 0; k < run.count; ++k) drawRecorded(batch, tag[k], raster, share.target, light);
                continue;
            }
            dither->seed = lcgSkip(dither->seed, share.pendingDraws + (run.drawsBefore - drawn));
            share.pendingDraws = 0;
            [[maybe_unused]] const std::uint32_t before = dither->seed;
            for (std::uint32_t k = 0; k < run.count; ++k) drawRecorded(batch, tag[k], raster, share.target, light);
            assert(dither->seed == lcgSkip(before, run.spans));
            drawn = run.drawsBefore + run.spans;
        }
    }
    if (dither != nullptr) share.pendingDraws += batch.draws - drawn;
    finishLight(batch, light);
}

void settleDither(BandShare& share)
{
    if (share.randomDither && share.target.dither != nullptr)
        share.target.dither->seed = lcgSkip(share.target.dither->seed, share.pendingDraws);
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
