#include "render/terrain_walk.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/frontend.h"
#include "base/worker_pool.h"
#include "render/cell_draw.h"
#include "render/held_triangles.h"
#include "render/clouds.h"
#include "render/frame_helpers.h"
#include "render/scene_frame.h"
#include "render/scene_hooks.h"
#include "render/scene_state.h"
#include "render/sky.h"
#include "render/sky_discs.h"
#include "render/star_map.h"
#include "render/terrain_lighting.h"
#include "terrain/colouring_state.h"

namespace kalvenor {

namespace {

// The user's abort is polled once per this many cells; the rasteriser polls
// every 1024 polygons besides, and both latch the request for the frame.
constexpr int kCellsPerPoll = 64;

// One axis of the walk: the outer index runs over lines (rows in the row walk,
// columns in the column walk), the inner one along a line.
struct WalkAxes {
    bool byRows;
    int lineFirst, lineLast, posFirst, posLast, step;
    int col(int line, int pos) const { return byRows ? pos : line; }
    int row(int line, int pos) const { return byRows ? line : pos; }
};

int roundDown(int value, int step) { return value / step * step; }

int cameraIndex(float eye, float spacing, int first, int last, int step)
{
    const float cell = std::trunc(eye / spacing);
    // Written so that a position that is not a number lands on the first cell, never in an int conversion.
    const int clamped = !(cell > static_cast<float>(first)) ? first
                        : cell >= static_cast<float>(last)  ? last
                                                            : static_cast<int>(cell);
    return roundDown(clamped, step);
}

// Fills slot with the view-space points of a grid line; its vertices are built on demand.
void fillLine(SceneFrame& frame, const WalkAxes& axes, GridLine& slot, int line)
{
    const Landscape& land = frame.land;
    const std::size_t points = static_cast<std::size_t>(axes.posLast / axes.step + 2);
    if (slot.view.size() < points) {
        slot.view.resize(points);
        slot.outcode.resize(points);
        slot.vertices.resize(points);
        slot.built.resize(points);
    }
    std::fill(slot.built.begin(), slot.built.end(), 0);
    slot.index = line;
    const float marginU = detailMarginU(frame), marginV = detailMarginV(frame);
    for (int pos = axes.posFirst; pos <= axes.posLast; pos += axes.step) {
        const int col = axes.col(line, pos), row = axes.row(line, pos);
        const std::size_t i = static_cast<std::size_t>(pos / axes.step);
        slot.view[i] = toViewSpace(frame.view, static_cast<float>(col) * land.spacingX,
                                   static_cast<float>(row) * land.spacingY, static_cast<float>(land.elevation[row][col]));
        slot.outcode[i] = viewOutcode(slot.view[i], marginU, marginV);
    }
}

const TerrainVertex& vertexAt(SceneFrame& frame, const WalkAxes& axes, GridLine& slot, int pos)
{
    const std::size_t i = static_cast<std::size_t>(pos / axes.step);
    if (slot.built[i] == 0) {
        slot.vertices[i] = buildVertex(frame.terrain.vertex, axes.col(slot.index, pos), axes.row(slot.index, pos));
        slot.built[i] = 1;
    }
    return slot.vertices[i];
}

// True when the camera lies below the planes of both triangles of the cell at
// (col, row) by more than margin: only its underside could be seen, and a
// nearer cell covers that. Read from the grid, before any vertex is built.
bool cellFacesAway(const SceneFrame& frame, int col, int row, float margin)
{
    const Landscape& land = frame.land;
    const int s = frame.terrain.step;
    const float sx = land.spacingX * static_cast<float>(s), sy = land.spacingY * static_cast<float>(s);
    const float z00 = land.elevation[row][col], z10 = land.elevation[row][col + s];
    const float z01 = land.elevation[row + s][col], z11 = land.elevation[row + s][col + s];
    const float ex = frame.view.eyeX - static_cast<float>(col) * land.spacingX;
    const float ey = frame.view.eyeY - static_cast<float>(row) * land.spacingY;
    const float ez = frame.view.eyeZ - z00;
    const auto away = [&](float nx, float ny, float nz) {
        const float d = ex * nx + ey * ny + ez * nz;
        if (margin == 0.0f) return d < 0.0f;
        return d < -margin * std::sqrt(nx * nx + ny * ny + nz * nz);
    };
    return away(-sy * (z10 - z00), -sx * (z11 - z10), sx * sy) && away(-sy * (z11 - z01), -sx * (z01 - z00), sx * sy);
}

bool withinDistanceLimit(const SceneFrame& frame, int col, int row)
{
    const int limit = frame.scene.render.distanceLimit;
    if (limit == 0) return true;
    const Landscape& land = frame.land;
    const float dx = static_cast<float>(col) * land.spacingX - frame.view.eyeX;
    const float dy = static_cast<float>(row) * land.spacingY - frame.view.eyeY;
    const float dz = static_cast<float>(land.elevation[row][col]) - frame.view.eyeZ;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    return limit > 0 ? d <= static_cast<float>(limit) : d >= static_cast<float>(-limit);
}

// One cell: abort check, view test on the undeformed corners, distance limit,
// back-face test, then the cell and the objects standing on it.
int walkCell(SceneFrame& frame, const WalkAxes& axes, GridLine& near, GridLine& far, int pos)
{
    if (frameAborted(frame)) return -1;
    if (++frame.cellsSincePoll >= kCellsPerPoll) {
        frame.cellsSincePoll = 0;
        if (pollFrameAbort(frame)) return -1;
    }
    const std::size_t p = static_cast<std::size_t>(pos / axes.step);
    // Corners in the order (col, row), (col+step, row), (col, row+step), (col+step, row+step).
    GridLine& second = axes.byRows ? near : far; // holds (col+step, row)
    GridLine& third = axes.byRows ? far : near;  // holds (col, row+step)
    // The corners' codes: (col, row) and (col+step, row+step) are on the near
    // and far lines whichever way the walk goes; the other two change places.
    const bool inView = outcodesInView(near.outcode[p], near.outcode[p + 1], far.outcode[p], far.outcode[p + 1]);
    const int col = axes.col(near.index, pos), row = axes.row(near.index, pos);
    if (!withinDistanceLimit(frame, col, row)) return 1;
    const TerrainParams& t = frame.terrain;
    const float margin = t.exactCells ? 0.0f : (frame.land.spacingX + frame.land.spacingY) * 0.25f;
    if (inView && !(t.backFaceCulling && t.step == 1 && cellFacesAway(frame, col, row, margin))) {
        const int next = pos + axes.step;
        const TerrainVertex* corners[4] = {&vertexAt(frame, axes, near, pos),
                                           &vertexAt(frame, axes, second, axes.byRows ? next : pos),
                                           &vertexAt(frame, axes, third, axes.byRows ? pos : next),
                                           &vertexAt(frame, axes, far, next)};
        drawCell(frame, corners);
    }
    drawCellObjects(frame, col, row);
    return frameAborted(frame) ? -1 : 1;
}

// The slot holding grid line `line`, or -1.
int slotOf(const GridLine* slots, int line)
{
    for (int s = 0; s < kWalkSlots; ++s)
        if (slots[s].index == line) return s;
    return -1;
}

// A slot for a grid line the walk needs next: one holding neither line of
// the row of cells about to be walked nor a line that held triangles lie on.
// With none free (the walk jumped), what is held is drawn first.
int freeSlot(SceneFrame& frame, int line, int next)
{
    const GridLine* slots = frame.state.lines;
    for (int pass = 0; pass < 2; ++pass) {
        for (int s = 0; s < kWalkSlots; ++s) {
            const int held = slots[s].index;
            if (held != line && held != next && (held < 0 || !holdsGridLine(frame, held))) return s;
        }
        drawHeldTriangles(frame);
    }
    return -1; // not reached: three slots, at most two of them wanted
}

// The cells of one line (and the line one step on): from both ends toward the camera's position.
int walkLine(SceneFrame& frame, const WalkAxes& axes, int line, int cameraPos)
{
    GridLine* slots = frame.state.lines;
    const int next = line + axes.step;
    int a = slotOf(slots, line);
    if (a < 0) {
        a = freeSlot(frame, line, next);
        fillLine(frame, axes, slots[a], line);
    }
    int b = slotOf(slots, next);
    if (b < 0) {
        b = freeSlot(frame, line, next);
        fillLine(frame, axes, slots[b], next);
    }
    for (int pos = axes.posFirst; pos < cameraPos; pos += axes.step)
        if (walkCell(frame, axes, slots[a], slots[b], pos) != 1) return -1;
    for (int pos = axes.posLast - axes.step; pos >= cameraPos; pos -= axes.step)
        if (walkCell(frame, axes, slots[a], slots[b], pos) != 1) return -1;
    finishHeldLine(frame, line, next);
    return 1;
}

void reportProgress(SceneFrame& frame, int done, int total, int& lastPercent)
{
    const int percent = std::min(done, total) * 100 / std::max(total, 1);
    if (percent == lastPercent) return;
    lastPercent = percent;
    frame.ui.progress(frame.target.progressLabel != nullptr ? frame.target.progressLabel : "Render", percent);
}

bool cloudsOn(const SceneFrame& frame) { return frame.scene.clouds.clouds != 0; }
bool belowClouds(const SceneFrame& frame) { return frame.view.eyeZ < static_cast<float>(frame.scene.clouds.altitude); }

// Sky, stars, sun and moon, the clouds when they are farther than the
// terrain, and the ground ring.
int drawBackground(SceneFrame& frame)
{
    // The sky and the horizon are few polygons over much of the image: drawn in bands on every thread.
    const int threads = threadCount();
    if ((threads > 1 ? drawRecordedTogether(frame, threads, drawSky) : drawSky(frame)) != 1) return -1;
    if (frame.scene.sky.sunMoon.starsAndMoon != 0) drawStars(frame);
    drawSun(frame);
    drawMoon(frame);
    if (frameAborted(frame)) return -1;
    if (cloudsOn(frame) && belowClouds(frame) && drawCloudLayer(frame) != 1) return -1;
    return threads > 1 ? drawRecordedTogether(frame, threads, drawHorizon) : drawHorizon(frame);
}

bool landscapeUsable(const Landscape& land)
{
    return land.elevation.allocated() && land.terrain.allocated() && land.shadow.allocated() &&
           land.elevation.width > land.sizeX && land.elevation.height > land.sizeY && land.sizeX > 0 &&
           land.sizeY > 0 && land.terrain.width == land.elevation.width && land.shadow.width == land.elevation.width &&
           land.terrain.height == land.elevation.height && land.shadow.height == land.elevation.height;
}

} // namespace

bool walksByRows(float headingDegrees)
{
    if (!std::isfinite(headingDegrees)) return true;
    // Whole degrees toward zero, folded into one half turn.
    const double h = std::fmod(std::trunc(std::fabs(static_cast<double>(headingDegrees))), 180.0);
    return !(h > 45 && h < 135);
}

namespace {

// The lines of the walk in its order: from both far edges toward the camera's line.
std::vector<int> walkOrder(const WalkAxes& axes, int cameraLine)
{
    std::vector<int> lines;
    for (int line = axes.lineFirst; line < cameraLine; line += axes.step) lines.push_back(line);
    for (int line = axes.lineLast - axes.step; line >= cameraLine; line -= axes.step) lines.push_back(line);
    return lines;
}

// The walk split into pieces of consecutive lines: each thread works out the
// polygons of a piece into a batch, and the batches are drawn in the walk's
// order, so the image is the one thread's to the byte.
int walkTogether(SceneFrame& frame, const WalkAxes& axes, int cameraLine, int cameraPos, int threads)
{
    const std::vector<int> lines = walkOrder(axes, cameraLine);
    if (lines.empty()) return 1;
    const int cellsPerLine = std::max((axes.posLast - axes.posFirst) / axes.step, 1);
    // Pieces of about 32000 cells (the thread that takes a piece works its first
    // line out again, and its last line is drawn without the next one to hide
    // its triangles, so longer pieces waste less), and at least a dozen per
    // thread to share out.
    const int total = static_cast<int>(lines.size());
    const int perPiece = std::clamp(std::min(32768 / cellsPerLine, total / (threads * 12)), 1, total);
    const int pieces = (total + perPiece - 1) / perPiece;

    return drawPiecesTogether(frame, pieces, threads, [&](SceneFrame& f, int piece) {
        const int first = piece * perPiece, last = std::min(first + perPiece, total);
        startHeldTriangles(f);
        for (int k = first; k < last; ++k)
            if (walkLine(f, axes, lines[static_cast<std::size_t>(k)], cameraPos) != 1) {
                dropHeldTriangles(f);
                return;
            }
        drawHeldTriangles(f);
    }, [&](int piece, int& lastPercent) {
        reportProgress(frame, std::min((piece + 1) * perPiece, total), total, lastPercent);
    });
}

} // namespace

int walkTerrain(SceneFrame& frame, bool byRows)
{
    const TerrainParams& t = frame.terrain;
    WalkAxes axes{byRows, byRows ? t.firstRow : t.firstCol, byRows ? t.lastRow : t.lastCol,
                  byRows ? t.firstCol : t.firstRow, byRows ? t.lastCol : t.lastRow, t.step};
    const Landscape& land = frame.land;
    const int camRow = cameraIndex(frame.view.eyeY, land.spacingY, t.firstRow, t.lastRow, t.step);
    const int camCol = cameraIndex(frame.view.eyeX, land.spacingX, t.firstCol, t.lastCol, t.step);
    const int cameraLine = byRows ? camRow : camCol, cameraPos = byRows ? camCol : camRow;

    const int threads = threadCount();
    if (threads > 1) return walkTogether(frame, axes, cameraLine, cameraPos, threads);

    for (GridLine& slot : frame.state.lines) slot.index = -1;
    startHeldTriangles(frame);
    const int total = std::max((axes.lineLast - axes.lineFirst) / axes.step, 1);
    int done = 0, lastPercent = -1;
    const auto walk = [&](int line) {
        if (walkLine(frame, axes, line, cameraPos) != 1) {
            dropHeldTriangles(frame);
            return false;
        }
        reportProgress(frame, ++done, total, lastPercent);
        return true;
    };
    for (int line = axes.lineFirst; line < cameraLine; line += axes.step)
        if (!walk(line)) return -1;
    for (int line = axes.lineLast - axes.step; line >= cameraLine; line -= axes.step)
        if (!walk(line)) return -1;
    drawHeldTriangles(frame);
    return frameAborted(frame) ? -1 : 1;
}

int drawScene(const SceneRecords& records, SceneDrawState& state, Frontend& ui, const RasterTarget& given)
{
    // Textured spans (the sun and moon discs) are lit with the frame's light.
    RasterTarget target = given;
    target.light = &records.light;
    if (target.geometry == nullptr || target.images == nullptr) return 1;
    SceneSettings& scene = records.scene;
    const ColouringState& colouring = records.colouring;
    SceneFrame frame{records.landscape, scene,          colouring.sun, colouring.strata, records.view,
                     records.light,     records.raster, target,        ui,               state};
    setFrameLight(records.light, scene, colouring.sun.lightLevel);
    prepareFrameTextures(records.textures, state.textures);
    constexpr int kShadeTextureKind = 2;
    if (scene.texture.kind == kShadeTextureKind) addShadeTextures(state.textures, scene.colourScheme, scene.texture.level);
    prepareTerrainParams(frame);
    // The cloud colours follow the colour, coverage and lining settings of this frame.
    if (cloudsOn(frame)) buildCloudColours(scene.clouds, scene.colourScheme);

    if (drawBackground(frame) != 1) return -1;
    if (landscapeUsable(records.landscape) && walkTerrain(frame, walksByRows(scene.camera.heading)) != 1) return -1;
    if (cloudsOn(frame) && !belowClouds(frame) && drawCloudLayer(frame) != 1) return -1;
    return frameAborted(frame) ? -1 : 1;
}

} // namespace kalvenor
