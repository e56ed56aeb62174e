#include "render/polygon_batch.h"

#include <algorithm>
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
    polygons.push_back(record);
}

void drawBatch(const PolygonBatch& batch, RasterState& raster, const RasterTarget& target, SurfaceLight& light)
{
    for (const RecordedPolygon& p : batch.polygons) {
        if (raster.abortRequested) return;
        light.hazeWeight = p.hazeWeight;
        const bool textured = p.coords >= 0;
        rasterisePacked(batch.entries.data() + p.first, textured ? batch.coords.data() + p.coords : nullptr, p.count,
                        textured ? &batch.textures[static_cast<std::size_t>(p.texture)] : nullptr, raster, target);
    }
}

bool recordAndDraw(int count, int threads, const std::function<void(int, int, PolygonBatch&)>& record,
                   const std::function<bool(int, const PolygonBatch&)>& draw, std::vector<PolygonBatch>& batches)
{
    // Each thread may be two pieces ahead of the drawing.
    const int window = threads * 2 + 1;
    if (static_cast<int>(batches.size()) < window) batches.resize(static_cast<std::size_t>(window));
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> ready(static_cast<std::size_t>(window), 0);
    int claimed = 0, drawn = 0;
    bool stop = false, completed = true;
    const auto slot = [&](int piece) { return static_cast<std::size_t>(piece % window); };
    const auto claimable = [&] { return !stop && claimed < count && claimed < drawn + window; };
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
        ready[slot(piece)] = 1;
        changed.notify_all();
    };

    runTogether(threads, [&](int thread) {
        std::unique_lock<std::mutex> lock(mutex);
        if (thread != 0) {
            for (;;) {
                changed.wait(lock, [&] { return stop || claimed >= count || claimable(); });
                if (stop || claimed >= count) return;
                recordPiece(lock, thread);
            }
        }
        for (int piece = 0; piece < count; ++piece) {
            while (ready[slot(piece)] == 0) {
                if (stop) return; // a helper failed; its exception reaches the caller
                if (claimable())
                    recordPiece(lock, thread);
                else
                    changed.wait(lock);
            }
            bool goOn = false;
            outsideLock(lock, [&] { goOn = draw(piece, batches[slot(piece)]); });
            ready[slot(piece)] = 0;
            ++drawn;
            changed.notify_all();
            if (!goOn) {
                completed = false;
                break;
            }
        }
        stop = true;
        changed.notify_all();
    });
    return completed;
}

} // namespace kalvenor
