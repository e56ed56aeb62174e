#include "render/held_triangles.h"

#include <algorithm>
#include <atomic>

#include "render/cell_draw.h"

namespace kalvenor {

namespace {

// The largest triangle whose pixels are worked out: rows and columns apart.
constexpr int kSmallRows = 2;
constexpr int kSmallColumns = 4;

// A line that hid fewer than one triangle in this many pauses holding for kPause lines.
constexpr std::size_t kWorthHolding = 8;
constexpr int kPause = 8;

// True when the owner map fits the image and has marks left.
bool ownersReady(const HeldTriangles& held, const ImageGeometry& g)
{
    const std::size_t pixels = static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height);
    return held.ownerWidth == g.width && held.ownerHeight == g.height && held.owner.size() == pixels &&
           held.lastId < UINT32_MAX;
}

void resetOwners(HeldTriangles& held, const ImageGeometry& g)
{
    held.owner.assign(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height), 0);
    held.ownerWidth = g.width, held.ownerHeight = g.height;
    held.lastId = 0;
}

// True when no later held triangle has written over all of t's pixels (or
// they are not known).
bool stillSeen(const HeldTriangles& held, const HeldTriangle& t, int offset)
{
    if (t.id == 0) return true;
    for (int k = t.firstSpan; k < t.firstSpan + t.spans; ++k) {
        const ImageSpan& s = held.spans[static_cast<std::size_t>(k)];
        const std::uint32_t* row = held.owner.data() + static_cast<std::size_t>(s.y - offset) * static_cast<std::size_t>(held.ownerWidth);
        for (int x = s.x0; x <= s.x1; ++x)
            if (row[x] == t.id) return true;
    }
    return false;
}

// Draws the first count held triangles in order, leaving out the hidden ones,
// and removes them.
void drawFirst(SceneFrame& frame, std::size_t count)
{
    HeldTriangles& held = frame.state.held;
    const int offset = imageRowOffset(*frame.target.geometry);
    held.drawing = true;
    // Hidden triangles in a row are passed over together: what shading the
    // last of them would have left in the light, and what drawing them all
    // would have left in the counts and the dither stream.
    int hidden = 0, hiddenSpans = 0;
    const auto passOver = [&] {
        if (hidden == 0) return;
        if (frame.record != nullptr)
            frame.record->addHidden(hidden, hiddenSpans, frame.light.hazeWeight);
        else
            skipHiddenPolygons(hidden, hiddenSpans, frame.raster, frame.target);
        held.hiddenCount += static_cast<std::uint64_t>(hidden);
        hidden = hiddenSpans = 0;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const HeldTriangle& t = held.list[i];
        if (stillSeen(held, t, offset)) {
            passOver();
            shadeTriangle(frame, *t.corner[0], *t.corner[1], *t.corner[2]);
            continue;
        }
        frame.light.hazeWeight = t.corner[0]->haze;
        ++hidden;
        hiddenSpans += t.spans;
    }
    passOver();
    held.drawing = false;
    if (count == held.list.size()) {
        dropHeldTriangles(frame);
        return;
    }
    // The triangles that stay move to the front with their spans.
    const int spansGone = held.list[count].firstSpan;
    held.list.erase(held.list.begin(), held.list.begin() + static_cast<std::ptrdiff_t>(count));
    held.spans.erase(held.spans.begin(), held.spans.begin() + spansGone);
    for (HeldTriangle& t : held.list) t.firstSpan -= spansGone;
}

} // namespace

namespace {
std::atomic<bool> holdingAllowed{true};
} // namespace

void allowHeldTriangles(bool allowed) { holdingAllowed = allowed; }

bool mayHoldTriangles(const SceneFrame& frame)
{
    const RasterTarget& target = frame.target;
    if (!holdingAllowed || target.images == nullptr || target.geometry == nullptr) return false;
    const ImageGeometry& g = *target.geometry;
    if (g.width <= 0 || g.height <= 0 || g.width > kRasterLimit) return false;
    const auto covers = [&](const auto& plane) { return plane.width >= g.width && plane.height >= g.height; };
    const ImageBuffers& images = *target.images;
    return images.vidmem24.allocated() && covers(images.vidmem24) &&
           (!images.vidmem8.allocated() || covers(images.vidmem8));
}

void holdTriangle(SceneFrame& frame, const TerrainVertex& a, const TerrainVertex& b, const TerrainVertex& c)
{
    HeldTriangles& held = frame.state.held;
    const ImageGeometry& g = *frame.target.geometry;
    if (!ownersReady(held, g)) { // what is held was marked in the old map: drawn first
        drawHeldTriangles(frame);
        resetOwners(held, g);
    }
    // Filled in place: a copy of a record just written field by field stalls on the stores.
    HeldTriangle& t = held.list.emplace_back();
    t.corner[0] = &a, t.corner[1] = &b, t.corner[2] = &c;
    t.firstSpan = static_cast<int>(held.spans.size());
    // Only small triangles are worked out: far away, where several fall on a
    // pixel. A large one is held all the same (it keeps its place in the
    // order), drawn whatever lies over it, and hides nothing.
    const auto small = [](int lo, int hi, int mid, int most) {
        return std::max({lo, hi, mid}) - std::min({lo, hi, mid}) <= most;
    };
    if (a.inView && b.inView && c.inView && small(a.pixelY, b.pixelY, c.pixelY, kSmallRows) &&
        small(a.pixelX, b.pixelX, c.pixelX, kSmallColumns)) {
        // The entries shadeTriangle would give the rasteriser: a, b, c and a again.
        PackedEntry entries[4];
        const TerrainVertex* order[4] = {&a, &b, &c, &a};
        for (int i = 0; i < 4; ++i) entries[i].x = order[i]->pixelX, entries[i].y = order[i]->pixelY;
        if (held.left.empty()) held.left.resize(kRasterLimit), held.right.resize(kRasterLimit);
        imageSpans(entries, 4, g, held.left.data(), held.right.data(), held.spans);
        t.spans = static_cast<int>(held.spans.size()) - t.firstSpan;
        // Its pixels are its own until a later triangle writes them.
        t.id = ++held.lastId;
        const int offset = imageRowOffset(g);
        for (int k = t.firstSpan; k < t.firstSpan + t.spans; ++k) {
            const ImageSpan& s = held.spans[static_cast<std::size_t>(k)];
            std::uint32_t* row = held.owner.data() + static_cast<std::size_t>(s.y - offset) * static_cast<std::size_t>(g.width);
            std::fill(row + s.x0, row + s.x1 + 1, t.id);
        }
    }
}

bool holdingTriangles(const SceneFrame& frame) { return frame.terrain.holdBack && frame.state.held.pausedLines == 0; }

void finishHeldLine(SceneFrame& frame, int lineA, int lineB)
{
    HeldTriangles& held = frame.state.held;
    if (held.pausedLines > 0) {
        --held.pausedLines;
        return;
    }
    if (held.older > 0) {
        const std::size_t older = held.older;
        const std::uint64_t hiddenBefore = held.hiddenCount;
        drawFirst(frame, older);
        if ((held.hiddenCount - hiddenBefore) * kWorthHolding < older) {
            drawHeldTriangles(frame); // this line's, without the next one
            held.pausedLines = kPause;
            return;
        }
    }
    held.older = held.list.size();
    held.olderLines[0] = lineA, held.olderLines[1] = lineB;
}

void drawHeldTriangles(SceneFrame& frame)
{
    HeldTriangles& held = frame.state.held;
    if (held.list.empty() || held.drawing) return;
    drawFirst(frame, held.list.size());
}

void dropHeldTriangles(SceneFrame& frame)
{
    HeldTriangles& held = frame.state.held;
    held.list.clear();
    held.spans.clear();
    held.older = 0;
    held.olderLines[0] = held.olderLines[1] = -1;
}

void startHeldTriangles(SceneFrame& frame)
{
    dropHeldTriangles(frame);
    frame.state.held.pausedLines = 0;
}

bool holdsGridLine(const SceneFrame& frame, int line)
{
    const HeldTriangles& held = frame.state.held;
    return !held.list.empty() && (held.olderLines[0] == line || held.olderLines[1] == line);
}

} // namespace kalvenor
