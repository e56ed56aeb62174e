// Recorded polygons draw exactly what the polygons drew when rasterised at
// once, and pieces recorded on several threads are drawn in their order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/scripted_frontend.h"
#include "render/polygon_batch.h"
#include "support/test_drawing.h"

namespace kalvenor {
namespace {

using testing::Canvas;
using testing::pixelPolygon;

std::vector<std::uint32_t> pixels(const Canvas& c)
{
    std::vector<std::uint32_t> out;
    for (int y = 0; y < c.geometry.height; ++y)
        for (int x = 0; x < c.geometry.width; ++x) out.push_back(c.at24(x, y) ^ (static_cast<std::uint32_t>(c.at8(x, y)) << 24));
    return out;
}

// Coordinates far outside the image (first: it covers everything), overlapping shades, a translucent one, one-row ones, a textured one lit
// by a haze weight of its own, and the malformed: too few and too many entries.
std::vector<std::pair<Polygon, float>> mixedPolygons(const TextureView& texture)
{
    std::vector<std::pair<Polygon, float>> list;
    list.push_back({pixelPolygon({{-90000, -5}, {90000, 8}, {3, 1e9f}}, 60, 70, 80, 5), 0.0f});
    Polygon a = pixelPolygon({{1, 1}, {30, 3}, {12, 22}}, 200, 100, 50, 7);
    a.vertices[1].red = 40 << 8; // shaded along its edges
    list.push_back({a, 0.0f});
    list.push_back({pixelPolygon({{5, 5}, {25, 5}, {25, 20}, {5, 20}}, 20, 180, 60, 9, 120), 0.0f});
    list.push_back({pixelPolygon({{-4, 7}, {40, 7}, {18, 7}}, 250, 250, 0, 3), 0.0f});
    // One row again: translucent, and wholly right of the image.
    list.push_back({pixelPolygon({{2, 21}, {20, 21}, {9, 21}}, 10, 200, 10, 6, 90), 0.0f});
    list.push_back({pixelPolygon({{33, 4}, {39, 4}, {35, 4}}, 10, 200, 10, 6), 0.0f});
    Polygon t = pixelPolygon({{2, 10}, {28, 12}, {20, 23}}, 90, 90, 90, 11);
    for (int i = 0; i < t.count; ++i) {
        t.vertices[static_cast<std::size_t>(i)].s = static_cast<float>(i * 700);
        t.vertices[static_cast<std::size_t>(i)].t = static_cast<float>(i * 300);
        t.vertices[static_cast<std::size_t>(i)].intensity = 180 << 8;
    }
    t.texture = &texture;
    list.push_back({t, 150.0f});
    // Across the right edge, wholly right of the image and wholly left of it, over several rows.
    list.push_back({pixelPolygon({{28, 2}, {45, 9}, {26, 18}}, 30, 60, 200, 2), 0.0f});
    list.push_back({pixelPolygon({{40, 2}, {50, 10}, {41, 15}}, 30, 60, 200, 2, 100), 0.0f});
    list.push_back({pixelPolygon({{-10, 3}, {-2, 12}, {-6, 16}}, 30, 60, 200, 2), 0.0f});
    Polygon two = pixelPolygon({{3, 3}, {9, 9}}, 1, 2, 3, 4);
    list.push_back({two, 0.0f});
    Polygon many = a;
    many.count = kMaxPolygonVertices + 1;
    list.push_back({many, 0.0f});
    return list;
}

// Draws the batch into the canvas one band after another, the last first;
// every band but the first with a stream of its own, as a helper thread does.
void drawBandByBand(const PolygonBatch& batch, const RowBands& bands, int ditherKind, Canvas& c)
{
    std::vector<PixelDither> streams(static_cast<std::size_t>(bands.count), c.dither);
    const bool random = ditherKind == kDitherRandom;
    BandShare first{0, bandTarget(c.target, bands, 0), random, 0};
    for (int b = bands.count - 1; b >= 0; --b) {
        BandShare share{b, bandTarget(c.target, bands, b), random, 0};
        if (b != 0) share.target.dither = &streams[static_cast<std::size_t>(b)];
        RasterState raster;
        drawBatchBand(batch, b == 0 ? first : share, b == 0 ? c.raster : raster, c.light);
    }
    settleDither(first);
}

TEST(PolygonBatch, ARecordedBatchDrawsWhatTheRasteriserDrew)
{
    const std::uint32_t texels[4] = {0xFF2040C0u, 0x80C08020u, 0xFF10F010u, 0x00000000u};
    TextureView texture;
    texture.texels = texels;
    texture.width = 2, texture.height = 2;
    for (const int kind : {kDitherRandom, kDitherOrdered}) {
        Canvas direct(32, 24), replayed(32, 24);
        for (Canvas* c : {&direct, &replayed}) {
            c->target.ditherAmount = 70;
            c->target.ditherKind = kind;
            c->target.light = &c->light;
            c->light.haze[0] = 200, c->light.haze[1] = 220, c->light.haze[2] = 255;
        }
        PolygonBatch batch;
        for (auto [polygon, haze] : mixedPolygons(texture)) {
            direct.light.hazeWeight = haze;
            rasterisePolygon(polygon, direct.raster, direct.target);
            batch.add(polygon, haze);
        }
        drawBatch(batch, replayed.raster, replayed.target, replayed.light);
        EXPECT_EQ(pixels(replayed), pixels(direct)) << kind;
        EXPECT_EQ(replayed.dither.seed, direct.dither.seed);
        EXPECT_EQ(replayed.raster.framePolygons, direct.raster.framePolygons);
        EXPECT_EQ(replayed.raster.runningCount, direct.raster.runningCount);
        EXPECT_TRUE(replayed.guardIntact());
    }
}

TEST(PolygonBatch, BandsDrawnOneAfterAnotherMakeTheWholeBatchsPictureAndStream)
{
    const std::uint32_t texels[4] = {0xFF2040C0u, 0x80C08020u, 0xFF10F010u, 0x00000000u};
    TextureView texture;
    texture.texels = texels;
    texture.width = 2, texture.height = 2;
    for (const int kind : {kDitherRandom, kDitherOrdered})
        for (const int bandCount : {1, 2, 3, 5, 30}) {
            Canvas whole(32, 24), banded(32, 24);
            for (Canvas* c : {&whole, &banded}) {
                c->target.ditherAmount = 70;
                c->target.ditherKind = kind;
                c->target.light = &c->light;
                c->light.haze[0] = 200, c->light.haze[1] = 220, c->light.haze[2] = 255;
                prepareDither(c->dither, 70); // bands start once the tables are built
            }
            const RowBands bands = splitIntoBands(banded.geometry, bandCount);
            PolygonBatch batch;
            batch.bands = &bands;
            for (auto [polygon, haze] : mixedPolygons(texture)) batch.add(polygon, haze);
            drawBatch(batch, whole.raster, whole.target, whole.light);

            drawBandByBand(batch, bands, kind, banded);
            EXPECT_EQ(pixels(banded), pixels(whole)) << kind << " in " << bandCount;
            EXPECT_EQ(banded.dither.seed, whole.dither.seed) << kind << " in " << bandCount;
            EXPECT_EQ(batch.drawable, whole.raster.framePolygons);
            EXPECT_EQ(banded.light.hazeWeight, whole.light.hazeWeight);
            EXPECT_TRUE(banded.guardIntact());
        }
}

// Small triangles drifting down and across the image as a walk's do: long
// stretches in one band, some reaching over a band's edge or out of the
// image, one now and then wholly beside it, and runs of hidden ones between them.
TEST(PolygonBatch, RunsOfPolygonsInABandDrawWhatTheWholeBatchDraws)
{
    for (const int bandCount : {2, 3, 8}) {
        Canvas whole(40, 30), banded(40, 30);
        for (Canvas* c : {&whole, &banded}) {
            c->target.ditherAmount = 60;
            c->target.ditherKind = kDitherRandom;
            prepareDither(c->dither, 60);
        }
        const RowBands bands = splitIntoBands(banded.geometry, bandCount);
        PolygonBatch batch;
        batch.bands = &bands;
        std::uint32_t state = 12345;
        const auto next = [&](int n) { return static_cast<int>((state = state * 1664525u + 1013904223u) >> 16) % n; };
        float x = 0, y = -2;
        for (int i = 0; i < 300; ++i) {
            x += 1.5f, y += 0.12f;
            if (x > 44) x = -4;
            if (i % 37 == 5) batch.addHidden(1 + next(3), next(4), 0.0f);
            if (i % 29 == 7) batch.addHidden(1, 0, 0.0f); // hidden ones of no span in the image
            if (i % 23 == 11) batch.add(pixelPolygon({{x + 60, y}, {x + 62, y + 1}, {x + 61, y + 2}}, 9, 9, 9, 3), 0.0f);
            const float h = static_cast<float>(next(4));
            batch.add(pixelPolygon({{x, y}, {x + 2 + static_cast<float>(next(3)), y + h}, {x - 1, y + h / 2}},
                                   40 + next(200), 60, 90 + next(100), 3),
                      0.0f);
        }
        std::uint32_t longest = 0;
        for (const std::vector<BandRun>& list : batch.byBand)
            for (const BandRun& run : list) longest = std::max(longest, run.count);
        EXPECT_GT(longest, 10u) << bandCount;

        drawBatch(batch, whole.raster, whole.target, whole.light);
        drawBandByBand(batch, bands, kDitherRandom, banded);
        EXPECT_EQ(pixels(banded), pixels(whole)) << bandCount;
        EXPECT_EQ(banded.dither.seed, whole.dither.seed) << bandCount;
        EXPECT_TRUE(banded.guardIntact());
    }
}

// The spans imageSpans lists for a polygon.
std::vector<ImageSpan> spansOf(const Polygon& polygon, const Canvas& c)
{
    PackedEntry entries[kMaxPolygonVertices];
    PackedCoords coords[kMaxPolygonVertices];
    std::vector<ImageSpan> spans;
    if (polygon.count > kMaxPolygonVertices) return spans;
    packPolygon(polygon, entries, coords);
    std::vector<int> left(kRasterLimit), right(kRasterLimit);
    imageSpans(entries, polygon.count, c.geometry, left.data(), right.data(), spans);
    return spans;
}

TEST(PolygonBatch, ImageSpansAreThePixelsTheRasteriserWrites)
{
    // Opaque ones of the mixed list, some tiny ones, and an image whose rows start below the projection's top.
    std::vector<Polygon> polygons;
    const TextureView none;
    for (auto [polygon, haze] : mixedPolygons(none))
        if (polygon.texture == nullptr && polygon.vertices[0].alpha == kOpaque) polygons.push_back(polygon);
    for (const auto& corners : std::vector<std::vector<std::pair<float, float>>>{
             {{3, 3}, {4, 3}, {3.5f, 4}}, {{7, 2}, {9, 4}, {6, 5}}, {{10, 1}, {10, 1}, {10, 1}}, {{12, 0}, {15, 2}, {12, 2}},
             {{20, -1}, {22, 1}, {19, 0}}, {{31, 30}, {33, 31}, {30, 34}}, {{5, 8}, {12, 9}, {2, 10}}})
        polygons.push_back(pixelPolygon({{corners[0].first, corners[0].second}, {corners[1].first, corners[1].second},
                                         {corners[2].first, corners[2].second}},
                                        10, 20, 30, 6));
    for (const int projHeight : {24, 40}) {
        for (const Polygon& polygon : polygons) {
            Canvas c(32, 24, 32, projHeight);
            draw(c, polygon);
            std::vector<std::pair<int, int>> written;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 32; ++x)
                    if (c.at8(x, y) != 0) written.push_back({x, y});
            std::vector<std::pair<int, int>> listed;
            for (const ImageSpan& span : spansOf(polygon, c))
                for (int x = span.x0; x <= span.x1; ++x) listed.push_back({x, span.y - imageRowOffset(c.geometry)});
            std::sort(listed.begin(), listed.end(), [](auto a, auto b) { return std::tie(a.second, a.first) < std::tie(b.second, b.first); });
            EXPECT_EQ(listed, written) << polygon.vertices[0].u << ", " << polygon.vertices[0].v << " in " << projHeight;
        }
    }
}

TEST(PolygonBatch, CoveredPolygonsLeftOutLeaveThePictureTheStreamAndTheCounts)
{
    // A background, two small polygons the last one covers, one beside them, and the cover.
    const std::vector<Polygon> polygons = {
        pixelPolygon({{0, 0}, {31, 0}, {31, 23}, {0, 23}}, 90, 90, 90, 2),
        pixelPolygon({{5, 5}, {9, 5}, {7, 8}}, 200, 10, 10, 3),
        pixelPolygon({{10, 6}, {12, 6}, {11, 6}}, 10, 200, 10, 4),
        pixelPolygon({{20, 3}, {26, 4}, {22, 9}}, 10, 10, 200, 5),
        pixelPolygon({{3, 3}, {15, 3}, {15, 12}, {3, 12}}, 120, 130, 140, 6),
    };
    const auto covered = [](std::size_t i) { return i == 1 || i == 2; };
    for (const int kind : {kDitherRandom, kDitherOrdered})
        for (const int bandCount : {0, 1, 2, 3}) { // 0: drawn directly, one polygon after another
            Canvas all(32, 24), some(32, 24);
            for (Canvas* c : {&all, &some}) {
                c->target.ditherAmount = 50;
                c->target.ditherKind = kind;
                if (bandCount > 0) prepareDither(c->dither, 50);
            }
            for (const Polygon& p : polygons) draw(all, p);
            const RowBands bands = splitIntoBands(some.geometry, std::max(bandCount, 1));
            PolygonBatch batch;
            batch.bands = bandCount > 0 ? &bands : nullptr;
            for (std::size_t i = 0; i < polygons.size(); ++i) {
                const int spans = static_cast<int>(spansOf(polygons[i], some).size());
                if (bandCount == 0) {
                    if (covered(i)) skipHiddenPolygons(1, spans, some.raster, some.target);
                    else draw(some, polygons[i]);
                } else if (covered(i)) {
                    batch.addHidden(1, spans, 0.0f);
                } else {
                    batch.add(polygons[i], 0.0f);
                }
            }
            if (bandCount > 0) {
                ASSERT_EQ(batch.order.size(), polygons.size() - 1); // the two covered ones share a record
                EXPECT_EQ(batch.counted, polygons.size());
                drawBandByBand(batch, bands, kind, some);
                EXPECT_EQ(batch.drawable, all.raster.framePolygons);
            } else {
                EXPECT_EQ(some.raster.framePolygons, all.raster.framePolygons);
                EXPECT_EQ(some.raster.runningCount, all.raster.runningCount);
            }
            EXPECT_EQ(pixels(some), pixels(all)) << kind << " in " << bandCount;
            EXPECT_EQ(some.dither.seed, all.dither.seed) << kind << " in " << bandCount;
        }
}

TEST(PolygonBatch, PolygonsPassedOverTogetherPollAsOneAfterAnother)
{
    struct Case {
        std::uint32_t start;
        int polygons;
    };
    const Case cases[] = {{0, 1}, {1023, 1}, {1000, 3000}, {5, 0}, {4294967290u, 20}, {4294966272u, 1024}};
    for (const Case& c : cases) {
        Canvas together(8, 8), singly(8, 8);
        ScriptedFrontend uiTogether, uiSingly;
        together.target.ui = &uiTogether, singly.target.ui = &uiSingly;
        together.raster.runningCount = singly.raster.runningCount = c.start;
        skipHiddenPolygons(c.polygons, 0, together.raster, together.target);
        for (int i = 0; i < c.polygons; ++i) skipHiddenPolygons(1, 0, singly.raster, singly.target);
        EXPECT_EQ(uiTogether.polls, uiSingly.polls) << c.start << " + " << c.polygons;
        EXPECT_EQ(together.raster.runningCount, singly.raster.runningCount) << c.start;
        EXPECT_EQ(together.raster.framePolygons, c.polygons);
    }
    // A poll that asks to stop is kept.
    Canvas c(8, 8);
    ScriptedFrontend ui;
    ui.abortOnPoll = 1;
    c.target.ui = &ui;
    skipHiddenPolygons(2048, 0, c.raster, c.target);
    EXPECT_EQ(ui.polls, 2);
    EXPECT_TRUE(c.raster.abortRequested);
}

TEST(PolygonBatch, BandsCountTheSpansEachBandFills)
{
    Canvas c(32, 24);
    const RowBands bands = splitIntoBands(c.geometry, 3); // rows 0-7, 8-15, 16-23
    struct Case {
        std::vector<std::pair<float, float>> corners;
        bool closed;
        std::array<int, 3> spans;
    };
    const Case cases[] = {
        {{{2, 2}, {20, 2}, {10, 12}}, true, {6, 5, 0}},    // rows 2 .. 12, all within the columns
        {{{40, 2}, {50, 10}, {41, 15}}, true, {0, 0, 0}},  // right of the image
        {{{20, 6}, {60, 6}, {60, 20}}, true, {2, 3, 0}},   // the closing edge leaves the image after row 10
        {{{20, 6}, {60, 6}, {60, 20}}, false, {1, 0, 0}},  // open: below row 6 only x = 60
        {{{-5, 20}, {10, 20}, {3, 20}}, true, {0, 0, 1}},  // one row
        {{{-9, 20}, {-1, 20}, {60, 20}}, false, {0, 0, 0}}, // one row whose last entry alone reaches the image
        {{{5, -30}, {9, 40}, {6, 10}}, true, {8, 8, 8}},   // through every row
    };
    for (const Case& k : cases) {
        Polygon p = pixelPolygon({}, 1, 2, 3, 4);
        p.count = 0;
        for (auto [x, y] : k.corners) {
            p.vertices[static_cast<std::size_t>(p.count)].u = x;
            p.vertices[static_cast<std::size_t>(p.count)].v = y;
            ++p.count;
        }
        if (k.closed) p.vertices[static_cast<std::size_t>(p.count++)] = p.vertices[0];
        PolygonBatch batch;
        batch.bands = &bands;
        batch.add(p, 0.0f);
        ASSERT_EQ(batch.byBand.size(), 3u);
        int total = 0;
        for (int b = 0; b < 3; ++b) {
            const std::vector<BandRun>& list = batch.byBand[static_cast<std::size_t>(b)];
            const int spans = list.empty() ? 0 : static_cast<int>(list.front().spans);
            EXPECT_EQ(list.size(), spans != 0 ? 1u : 0u);
            if (!list.empty()) {
                EXPECT_EQ(list.front().drawsBefore, static_cast<std::uint32_t>(total));
            }
            total += spans;
            EXPECT_EQ(spans, k.spans[static_cast<std::size_t>(b)])
                << "band " << b << " of the case at " << k.corners[0].first << "," << k.corners[0].second;
        }
        EXPECT_EQ(batch.draws, static_cast<std::uint32_t>(total));
    }
}

// Each piece records its index as a polygon count; pieces take uneven times.
void recordIndex(int piece, PolygonBatch& batch)
{
    if (piece % 7 == 3) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Polygon p;
    p.count = piece;
    batch.add(p, static_cast<float>(piece)); // the haze weight tells the piece
}

TEST(PolygonBatch, PiecesRecordedOnSeveralThreadsAreDrawnInOrder)
{
    for (const int threads : {1, 2, 5}) {
        std::vector<PolygonBatch> batches;
        std::vector<std::atomic<int>> recorded(60);
        std::vector<int> drawn;
        const bool completed = recordAndDraw(
            60, threads,
            [&](int, int piece, PolygonBatch& batch) {
                recorded[static_cast<std::size_t>(piece)].fetch_add(1);
                recordIndex(piece, batch);
            },
            [&](int piece, const PolygonBatch& batch) {
                EXPECT_EQ(batch.order.size(), 1u);
                EXPECT_EQ(batch.lastHazeWeight, static_cast<float>(piece));
                drawn.push_back(piece);
                return true;
            },
            batches);
        EXPECT_TRUE(completed);
        ASSERT_EQ(drawn.size(), 60u) << threads;
        for (int i = 0; i < 60; ++i) {
            EXPECT_EQ(drawn[static_cast<std::size_t>(i)], i);
            EXPECT_EQ(recorded[static_cast<std::size_t>(i)].load(), 1);
        }
        // The batches in use stay few whatever the number of pieces.
        EXPECT_LE(batches.size(), static_cast<std::size_t>(threads * 2 + 1));
    }
}

// Once the bands start at a piece, every thread draws its share of every
// later piece once and in order, the calling thread reports each after its
// share; the pieces before are drawn whole.
TEST(PolygonBatch, BandsStartWhenAcceptedAndEveryThreadDrawsEachLaterPieceInOrder)
{
    for (const int threads : {2, 3}) {
        std::vector<PolygonBatch> batches;
        std::mutex mutex;
        std::vector<std::vector<int>> drawnBy(static_cast<std::size_t>(threads));
        std::vector<int> whole, after, asked;
        BandDrawing bands;
        bands.start = [&](int piece) {
            asked.push_back(piece);
            return piece >= 5;
        };
        bands.draw = [&](int thread, int piece, const PolygonBatch& batch) {
            EXPECT_EQ(batch.lastHazeWeight, static_cast<float>(piece));
            if (piece % 4 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::lock_guard<std::mutex> lock(mutex);
            drawnBy[static_cast<std::size_t>(thread)].push_back(piece);
        };
        bands.after = [&](int piece) {
            after.push_back(piece);
            return true;
        };
        const bool completed = recordAndDraw(
            30, threads, [](int, int piece, PolygonBatch& batch) { recordIndex(piece, batch); },
            [&](int piece, const PolygonBatch&) {
                whole.push_back(piece);
                return true;
            },
            batches, &bands);
        EXPECT_TRUE(completed);
        EXPECT_EQ(whole, (std::vector<int>{0, 1, 2, 3, 4}));
        EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4, 5})); // asked until accepted, then no more
        std::vector<int> later;
        for (int k = 5; k < 30; ++k) later.push_back(k);
        for (int t = 0; t < threads; ++t) EXPECT_EQ(drawnBy[static_cast<std::size_t>(t)], later) << "thread " << t;
        EXPECT_EQ(after, later);
    }
}

TEST(PolygonBatch, StoppingOrAFailureEndsEveryThread)
{
    std::vector<PolygonBatch> batches;
    std::vector<int> drawn;
    EXPECT_FALSE(recordAndDraw(
        100, 3, [](int, int piece, PolygonBatch& batch) { recordIndex(piece, batch); },
        [&](int piece, const PolygonBatch&) {
            drawn.push_back(piece);
            return piece < 10;
        },
        batches));
    EXPECT_EQ(drawn.size(), 11u);

    for (const int failing : {0, 17}) {
        EXPECT_THROW(recordAndDraw(
                         40, 3,
                         [&](int, int piece, PolygonBatch& batch) {
                             if (piece == failing) throw std::runtime_error("out of memory");
                             recordIndex(piece, batch);
                         },
                         [](int, const PolygonBatch&) { return true; }, batches),
                     std::runtime_error);
        EXPECT_THROW(recordAndDraw(
                         40, 3, [](int, int piece, PolygonBatch& batch) { recordIndex(piece, batch); },
                         [&](int piece, const PolygonBatch&) {
                             if (piece == failing) throw std::runtime_error("drawing failed");
                             return true;
                         },
                         batches),
                     std::runtime_error);
    }
}

} // namespace
} // namespace kalvenor
