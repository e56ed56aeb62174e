#include "render/clouds.h"

#include <algorithm>
#include <vector>

#include "base/frontend.h"
#include "base/worker_pool.h"
#include "render/camera.h"
#include "render/cell_draw.h"
#include "render/frame_helpers.h"
#include "render/lit_colour.h"
#include "render/scene_frame.h"

namespace kalvenor {

namespace {

constexpr int kRangeFirst = 64, kRangeLast = 188, kRangeStep = 4; // the central region of the range scan
constexpr float kLayerCells = 16.0f;     // landscape cells per pattern cell
constexpr float kLayerOffset = 1920.0f;  // pattern cell 0 lies this many landscape cells before the origin
constexpr float kDetailSplitPixels = 48.0f; // fractal detail splits a quad larger than this on screen
constexpr int kDetailDepth = 3;

using Pattern = std::vector<std::uint8_t>;

std::uint8_t& at(Pattern& p, int row, int col) { return p[static_cast<std::size_t>(row * kCloudPatternSide + col)]; }
int get(const Pattern& p, int row, int col) { return p[static_cast<std::size_t>(row * kCloudPatternSide + col)]; }

void store(Pattern& p, int row, int col, int value) { at(p, row, col) = static_cast<std::uint8_t>(value & 255); }

// trunc(draw x s / 64): the displacement of step s.
int displacement(RandomStreams& random, int s) { return drawA(random) * s / 64; }

void scaleToRange(Pattern& p)
{
    int top = 128, bottom = 128;
    for (int y = kRangeFirst; y <= kRangeLast; y += kRangeStep)
        for (int x = kRangeFirst; x <= kRangeLast; x += kRangeStep) {
            top = std::max(top, get(p, y, x));
            bottom = std::min(bottom, get(p, y, x));
        }
    // Held to 0..255 rather than cut to 8 bits: cut, the densest point (which
    // scales to exactly 256) and anything beyond the scanned range would wrap
    // round to holes in the thickest cloud.
    const int span = top == bottom ? 1 : top - bottom;
    for (std::uint8_t& v : p) v = static_cast<std::uint8_t>(std::clamp((v - bottom) * 256 / span, 0, 255));
}

// One pass of the 1-2-1 kernel in place: the rows and columns above and to
// the left are already smoothed when a point is reached.
void smoothOnce(Pattern& p)
{
    for (int y = 1; y < kCloudPatternSide - 1; ++y)
        for (int x = 1; x < kCloudPatternSide - 1; ++x) {
            const int sum = 2 * get(p, y - 1, x - 1) + 4 * get(p, y - 1, x) + 2 * get(p, y - 1, x + 1) +
                            4 * get(p, y, x - 1) + 8 * get(p, y, x) + 4 * get(p, y, x + 1) +
                            2 * get(p, y + 1, x - 1) + 4 * get(p, y + 1, x) + 2 * get(p, y + 1, x + 1);
            store(p, y, x, sum >> 5);
        }
}

} // namespace

void recomputeCloudThresholds(CloudSettings& clouds)
{
    const int base = (100 - clouds.density) * 255 / 100;
    const int half = (100 - clouds.hardness) / 2;
    clouds.low = base - half;
    clouds.high = base + half;
}

void setCloudDensity(CloudSettings& clouds, int percent)
{
    clouds.density = std::clamp(percent, 0, 100);
    recomputeCloudThresholds(clouds);
}

void setCloudHardness(CloudSettings& clouds, int percent)
{
    clouds.hardness = std::clamp(percent, 0, 100);
    recomputeCloudThresholds(clouds);
}

void setCloudLining(CloudSettings& clouds, int lining) { clouds.lining = std::clamp(lining, 0, 255); }

void setCloudDetail(CloudSettings& clouds, bool on)
{
    clouds.texture = on ? 1 : 0;
    if (on) {
        clouds.detailNear = 6;
        clouds.detailFar = 11;
    } else {
        clouds.detailNear = 0;
    }
}

void generateCloudPattern(CloudSettings& clouds, RandomStreams& random)
{
    Pattern& p = clouds.pattern;
    p.assign(static_cast<std::size_t>(kCloudPatternSide * kCloudPatternSide), 128);
    // A divisor above 64 would leave a step of 0 and a lattice that never ends.
    const int divisor = std::clamp(clouds.sizeDivisor, 1, 64);
    int s = kCloudPatternSide / divisor / 4;
    for (int y = 0; y < kCloudPatternSide; y += s)
        for (int x = 0; x < kCloudPatternSide; x += s) store(p, y, x, displacement(random, s) + 128);
    for (; s > 1; s /= 2) {
        const int h = s / 2;
        for (int y = 0; y < kCloudPatternSide - s; y += s)
            for (int x = 0; x < kCloudPatternSide - s; x += s) {
                store(p, y + s, x + h, ((get(p, y + s, x) + get(p, y + s, x + s) + 1) >> 1) + displacement(random, s));
                store(p, y + h, x + s, ((get(p, y, x + s) + get(p, y + s, x + s) + 1) >> 1) + displacement(random, s));
                store(p, y + h, x + h,
                      ((get(p, y + h, x) + get(p, y + h, x + s) + get(p, y, x + h) + get(p, y + s, x + h) + 2) >> 2) +
                          displacement(random, s));
            }
    }
    scaleToRange(p);
    smoothOnce(p);
}

void regenerateClouds(CloudSettings& clouds, RandomStreams& random)
{
    seedAll(random, static_cast<std::uint32_t>(clouds.number));
    generateCloudPattern(clouds, random);
}

void cloudsFromLandscape(CloudSettings& clouds, const Landscape& land)
{
    Pattern& p = clouds.pattern;
    p.assign(static_cast<std::size_t>(kCloudPatternSide * kCloudPatternSide), 0);
    if (!land.elevation.allocated()) return;
    const std::int64_t lowest = land.lowestElevation;
    const std::int64_t range = static_cast<std::int64_t>(land.highestElevation) - lowest + 1;
    const std::int64_t w = land.sizeX, h = land.sizeY; // 256 x 256 on the smallest grid
    for (int v = 0; v < kCloudPatternSide; ++v) {
        const std::int64_t r = w == kCloudPatternSide && h == kCloudPatternSide ? v : h * v / kCloudPatternSide;
        const std::int16_t* row = land.elevation[static_cast<int>(h - 1 - r)];
        for (int u = 0; u < kCloudPatternSide; ++u) {
            const std::int64_t col = w == kCloudPatternSide && h == kCloudPatternSide ? u : w * u / kCloudPatternSide;
            // Held to 0..255: the statistics skip zeros and the last two rows and
            // columns, so points outside lowest..highest would otherwise wrap.
            store(p, v, u, static_cast<int>(std::clamp<std::int64_t>((row[col] - lowest) * 256 / range, 0, 255)));
        }
    }
}

std::uint32_t cloudColour(std::uint32_t packed, int lining)
{
    const int alpha = static_cast<int>(packed >> 24);
    const int b = std::min(lining, 255 - alpha);
    std::uint32_t out = packed & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = std::min(static_cast<int>((packed >> shift) & 255u) + b, 255);
        out |= static_cast<std::uint32_t>(std::max(c, 0)) << shift;
    }
    return out;
}

void buildCloudColours(CloudSettings& clouds, const SchemeBytes& scheme)
{
    const Rgb colour = schemeColour(scheme, kCloudColourEntry);
    const auto rgb = static_cast<std::uint32_t>(colour.r | (colour.g << 8) | (colour.b << 16));
    const std::int64_t lo = clouds.low, hi = clouds.high;
    for (int v = 0; v < 256; ++v) {
        const auto alpha = static_cast<int>(v < lo ? 0 : v > hi ? 255 : (v - lo) * 255 / (hi == lo ? 1 : hi - lo));
        const std::uint32_t packed = cloudColour(rgb | (static_cast<std::uint32_t>(alpha & 255) << 24), clouds.lining);
        for (int k = 0; k < 4; ++k)
            clouds.colours[static_cast<std::size_t>(v * 4 + k)] = static_cast<std::uint8_t>(packed >> (8 * k));
    }
}

std::uint32_t cloudColourOf(const CloudSettings& clouds, int density)
{
    const std::size_t at = static_cast<std::size_t>(density & 255) * 4;
    return static_cast<std::uint32_t>(clouds.colours[at]) | (static_cast<std::uint32_t>(clouds.colours[at + 1]) << 8) |
           (static_cast<std::uint32_t>(clouds.colours[at + 2]) << 16) |
           (static_cast<std::uint32_t>(clouds.colours[at + 3]) << 24);
}

namespace {

// A point of the layer: world position, view-space position and density
// (a fraction of a level where fractal detail made it).
struct CloudPoint {
    float x = 0, y = 0;
    Vec3 view;
    float density = 0;
};

struct LayerDraw {
    SceneFrame& frame;
    const CloudSettings& clouds;
    float altitude;
};

CloudPoint layerPoint(const LayerDraw& d, float x, float y, float density)
{
    return {x, y, toViewSpace(d.frame.view, x, y, d.altitude), density};
}

// Lit at the sky's brightness and hazed with the sky's haze, as the palette
// prediction expects clouds to look.
void setCloudCorner(LayerDraw& d, PolygonVertex& e, const CloudPoint& p)
{
    SceneFrame& frame = d.frame;
    const std::uint32_t packed = cloudColourOf(d.clouds, static_cast<int>(p.density));
    distanceAndHaze(frame.view, p.x, p.y, d.altitude, frame.scene.sky.haze,
                    static_cast<float>(frame.land.lowestElevation));
    frame.light.hazeWeight = frameHazeWeight(frame.view.hazeWeight, frame.scene.sky.haze);
    const std::uint32_t lit = litColour(frame.light, static_cast<int>(packed & 255u), static_cast<int>((packed >> 8) & 255u),
                                        static_cast<int>((packed >> 16) & 255u), frame.sun.lightLevel, 0, 0);
    e.u = p.view.x, e.v = p.view.y, e.w = p.view.z;
    e.seed = 0;
    e.red = static_cast<std::uint16_t>((lit & 255u) << 8);
    e.green = static_cast<std::uint16_t>(((lit >> 8) & 255u) << 8);
    e.blue = static_cast<std::uint16_t>(((lit >> 16) & 255u) << 8);
    e.alpha = static_cast<std::uint16_t>(packed >> 24);
    e.classCode = kCloudClass;
    e.intensity = 0;
    e.s = e.t = e.third = 0.0f;
}

bool transparent(const LayerDraw& d, const CloudPoint* const c[4])
{
    for (int i = 0; i < 4; ++i)
        if ((cloudColourOf(d.clouds, static_cast<int>(c[i]->density)) >> 24) != 0) return false;
    return true;
}

float screenSize(const LayerDraw& d, const CloudPoint& a, const CloudPoint& b)
{
    const float w = std::max(std::min(a.view.z, b.view.z), 1e-3f);
    const float du = a.view.x - b.view.x, dv = a.view.y - b.view.y;
    return std::max(std::abs(du), std::abs(dv)) / w * static_cast<float>(d.frame.terrain.imageSide) * 0.5f;
}

// Fractal detail: the midpoint densities move by up to 32 levels at the first
// split and half as much at each further one, from a hash of the position, so
// the same sky looks the same in every frame.
float detailOffset(float x, float y, int depth)
{
    const auto h = static_cast<std::uint32_t>(positionHash(static_cast<std::int32_t>(x * 8.0f) | 1,
                                                           static_cast<std::int32_t>(y * 8.0f) | 1, depth + 7));
    const float unit = static_cast<float>((h >> 8) & 0xFFFFu) / 65536.0f - 0.5f;
    return unit * static_cast<float>(64 >> depth);
}

void drawQuad(LayerDraw& d, const CloudPoint* const c[4], int depth)
{
    // Corners in the order (r, col), (r, col+g), (r+g, col+g), (r+g, col): a closed ring.
    const Vec3 view[4] = {c[0]->view, c[1]->view, c[2]->view, c[3]->view};
    if (!cellInView(view, 0.0f, 0.0f)) return;
    const bool split = d.clouds.texture != 0 && d.clouds.detailNear != 0 && depth < kDetailDepth &&
                       screenSize(d, *c[0], *c[2]) > kDetailSplitPixels;
    if (!split) {
        if (transparent(d, c)) return;
        Polygon& p = d.frame.state.work;
        p.texture = nullptr;
        p.count = 5;
        for (int i = 0; i < 4; ++i) setCloudCorner(d, p.vertices[static_cast<std::size_t>(i)], *c[i]);
        setCloudCorner(d, p.vertices[4], *c[0]);
        submitPolygon(d.frame, p, false);
        return;
    }
    const auto mid = [&](const CloudPoint& a, const CloudPoint& b) {
        const float x = (a.x + b.x) * 0.5f, y = (a.y + b.y) * 0.5f;
        const float density = std::clamp((a.density + b.density) * 0.5f + detailOffset(x, y, depth), 0.0f, 255.0f);
        return layerPoint(d, x, y, density);
    };
    const CloudPoint m01 = mid(*c[0], *c[1]), m12 = mid(*c[1], *c[2]), m23 = mid(*c[2], *c[3]), m30 = mid(*c[3], *c[0]);
    const CloudPoint centre = mid(m01, m23);
    const CloudPoint* children[4][4] = {
        {c[0], &m01, &centre, &m30}, {&m01, c[1], &m12, &centre}, {&centre, &m12, c[2], &m23}, {&m30, &centre, &m23, c[3]}};
    for (const auto& child : children) drawQuad(d, child, depth + 1);
}

} // namespace

int drawClouds(SceneFrame& frame)
{
    const CloudSettings& clouds = frame.scene.clouds;
    if (clouds.pattern.size() != static_cast<std::size_t>(kCloudPatternSide * kCloudPatternSide)) return frameAborted(frame) ? -1 : 1;
    frame.ui.status("Clouds");
    // The clouds belong to the sky: hazed with the sky's haze colour, whichever stage draws them.
    const SurfaceLight saved = frame.light;
    setDrawingStage(frame.light, frame.scene.colourScheme, kEntrySkyHaze);

    const int g = std::clamp(frame.land.polygonSize, 1, kCloudPatternSide / 2);
    const float sx = frame.land.spacingX, sy = frame.land.spacingY;
    // The cells of pattern row r (to row r + g), from the first column on.
    const auto drawRow = [&](SceneFrame& f, int r) {
        LayerDraw d{f, clouds, static_cast<float>(clouds.altitude)};
        const auto pointOf = [&](int row, int c) {
            return layerPoint(d, (kLayerCells * static_cast<float>(c) - kLayerOffset) * sx,
                              (kLayerCells * static_cast<float>(row) - kLayerOffset) * sy,
                              static_cast<float>(clouds.pattern[static_cast<std::size_t>(row * kCloudPatternSide + c)]));
        };
        std::vector<CloudPoint> near, far;
        for (int c = 0; c < kCloudPatternSide; c += g) {
            near.push_back(pointOf(r, c));
            far.push_back(pointOf(r + g, c));
        }
        for (std::size_t i = 0; i + 1 < near.size(); ++i) {
            const CloudPoint* corners[4] = {&near[i], &near[i + 1], &far[i + 1], &far[i]};
            drawQuad(d, corners, 0);
            if (frameAborted(f)) return;
        }
    };
    const int rows = (kCloudPatternSide - 1) / g; // r = 0, g, ... below kCloudPatternSide - g
    const int threads = threadCount();
    int result = 1;
    if (threads > 1) {
        constexpr int kRowsPerPiece = 4;
        const int pieces = (rows + kRowsPerPiece - 1) / kRowsPerPiece;
        result = drawPiecesTogether(
            frame, pieces, threads,
            [&](SceneFrame& f, int piece) {
                for (int i = piece * kRowsPerPiece; i < std::min((piece + 1) * kRowsPerPiece, rows); ++i) drawRow(f, i * g);
            },
            [&](int piece, int&) { frame.ui.progress("Clouds", piece * kRowsPerPiece * g * 100 / kCloudPatternSide); });
    } else {
        for (int i = 0; i < rows; ++i) {
            if (pollFrameAbort(frame)) {
                result = -1;
                break;
            }
            frame.ui.progress("Clouds", i * g * 100 / kCloudPatternSide);
            drawRow(frame, i * g);
            if (frameAborted(frame)) {
                result = -1;
                break;
            }
        }
    }
    frame.light = saved;
    return result;
}

} // namespace kalvenor
