#include "render/rasteriser.h"

#include <algorithm>
#include <cmath>

#include "base/frontend.h"
#include "render/line_stepper.h"

namespace kalvenor {

namespace {

constexpr int kLastTableRow = kRasterLimit - 1;

// Float to integer toward zero, held to [lo, hi]; not a number becomes 0.
std::int64_t truncateHeld(float value, std::int64_t lo, std::int64_t hi)
{
    if (std::isnan(value)) return 0;
    if (value <= static_cast<float>(lo)) return lo;
    if (value >= static_cast<float>(hi)) return hi;
    return static_cast<std::int64_t>(value);
}

bool sameLook(const RasterVertex& a, const RasterVertex& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha && a.classCode == b.classCode;
}

// Walks one edge from its upper to its lower end, inclusive, and widens the
// left and right edge tables with it row by row.
class EdgeWalk {
public:
    EdgeWalk(const RasterVertex& top, const RasterVertex& bottom, bool interpolate, bool textured)
        : top_(top), steps_(bottom.y - top.y), interpolate_(interpolate), textured_(textured)
    {
        x_.start(top.x, bottom.x, steps_);
        if (!interpolate_) return;
        attr_[0].start(top.red, bottom.red, steps_);
        attr_[1].start(top.green, bottom.green, steps_);
        attr_[2].start(top.blue, bottom.blue, steps_);
        attr_[3].start(top.alpha, bottom.alpha, steps_);
        attr_[4].start(top.classCode, bottom.classCode, steps_);
        if (!textured_) return;
        attr_[5].start(top.intensity, bottom.intensity, steps_);
        attr_[6].start(top.s, bottom.s, steps_);
        attr_[7].start(top.t, bottom.t, steps_);
        attr_[8].start(top.third, bottom.third, steps_);
    }

    // Moves k rows down at once (the rows above the table).
    void skip(std::int64_t k)
    {
        x_.advance(k);
        for (int i = 0; i < attributeCount(); ++i) attr_[i].advance(k);
    }

    void next()
    {
        x_.next();
        for (int i = 0; i < attributeCount(); ++i) attr_[i].next();
    }

    // Writes the edge record of the current row field by field into the
    // table: building a whole record and copying it stalls on the store.
    void store(EdgeRecord& e) const
    {
        e.x = static_cast<int>(x_.value);
        e.intensity = 0, e.s = 0, e.t = 0, e.third = 0;
        if (!interpolate_) { // flat edge: the attributes are copied
            e.red = top_.red, e.green = top_.green, e.blue = top_.blue;
            e.alpha = top_.alpha, e.classCode = top_.classCode;
            return;
        }
        e.red = static_cast<int>(attr_[0].value), e.green = static_cast<int>(attr_[1].value);
        e.blue = static_cast<int>(attr_[2].value), e.alpha = static_cast<int>(attr_[3].value);
        e.classCode = static_cast<int>(attr_[4].value);
        if (!textured_) return;
        e.intensity = static_cast<int>(attr_[5].value);
        e.s = attr_[6].value, e.t = attr_[7].value, e.third = attr_[8].value;
    }

    int x() const { return static_cast<int>(x_.value); }

private:
    int attributeCount() const { return !interpolate_ ? 0 : textured_ ? 9 : 5; }

    const RasterVertex& top_; // outlives the walk; a copy would stall on the store
    int steps_;
    bool interpolate_;
    bool textured_;
    LineStepper x_;
    std::array<LineStepper, 9> attr_;
};

// The rows of the edge tables that can become image rows: inside 0..8191
// and inside the image. Rows outside would only make spans that are dropped.
struct RowWindow {
    int first, last;
};

RowWindow rowWindow(const ImageGeometry& g)
{
    const int offset = imageRowOffset(g);
    return {std::max(offset, 0), std::min(offset + g.height - 1, kLastTableRow)};
}

// The ends are taken by reference: copies of freshly converted vertices stall on the store.
void walkEdge(const RasterVertex& first, const RasterVertex& second, bool textured, RowWindow rows, RasterState& state)
{
    const bool upward = first.y > second.y;
    const RasterVertex& a = upward ? second : first;
    const RasterVertex& b = upward ? first : second;
    const int lastRow = std::min(b.y, rows.last);
    if (lastRow < rows.first) return;
    EdgeWalk walk(a, b, textured || !sameLook(a, b), textured);
    int y = a.y;
    if (y < rows.first) {
        walk.skip(static_cast<std::int64_t>(rows.first) - y);
        y = rows.first;
    }
    for (; y <= lastRow; ++y, walk.next()) {
        const int x = walk.x();
        EdgeRecord& left = state.left[static_cast<std::size_t>(y)];
        EdgeRecord& right = state.right[static_cast<std::size_t>(y)];
        if (x < left.x) walk.store(left);
        if (x > right.x) walk.store(right);
    }
}

} // namespace

int toRasterCoordinate(float value) { return static_cast<int>(truncateHeld(value, -32768, 32767)); }

namespace {

// Converts into r in place; the texture coordinates only when they will be
// stepped (an untextured polygon never reads them).
void convertVertex(const PolygonVertex& v, bool textured, RasterVertex& r)
{
    constexpr std::int64_t lo = INT32_MIN, hi = INT32_MAX;
    r.x = toRasterCoordinate(v.u);
    r.y = toRasterCoordinate(v.v);
    r.red = v.red, r.green = v.green, r.blue = v.blue;
    r.alpha = v.alpha, r.classCode = v.classCode, r.intensity = v.intensity;
    if (!textured) return;
    r.s = truncateHeld(v.s, lo, hi);
    r.t = truncateHeld(v.t, lo, hi);
    r.third = truncateHeld(v.third, lo, hi);
}

// The edge record an edge walk stores at the edge's first row.
void storeFirstEnd(const RasterVertex& v, bool textured, EdgeRecord& e)
{
    e.x = v.x;
    e.red = v.red, e.green = v.green, e.blue = v.blue, e.alpha = v.alpha, e.classCode = v.classCode;
    e.intensity = textured ? v.intensity : 0;
    e.s = textured ? v.s : 0, e.t = textured ? v.t : 0, e.third = textured ? v.third : 0;
}

// A polygon whose corners all fall in one row, as most polygons of a far
// landscape do. Each edge then covers that row alone and stores its first
// end, so the span runs from the leftmost to the rightmost of the first ends
// (the earliest one on a tie), exactly as the edge walks would make it.
void rasteriseOneRow(const std::array<RasterVertex, kMaxPolygonVertices>& vertices, int count, bool textured,
                     const TextureView* texture, RasterState& state, const RasterTarget& target)
{
    EdgeRecord left, right;
    left.x = target.geometry->width;
    right.x = -1;
    for (int i = 0; i + 1 < count; ++i) {
        const RasterVertex& v = vertices[static_cast<std::size_t>(i)];
        if (v.x < left.x) storeFirstEnd(v, textured, left);
        if (v.x > right.x) storeFirstEnd(v, textured, right);
    }
    if (right.x >= left.x) fillSpan(target, vertices[0].y, left, right, texture, state.span.data());
}

bool allLookAlike(const std::array<RasterVertex, kMaxPolygonVertices>& vertices, int count)
{
    for (int i = 0; i + 1 < count; ++i)
        if (!sameLook(vertices[static_cast<std::size_t>(i)], vertices[static_cast<std::size_t>(i + 1)])) return false;
    return true;
}

// An untextured polygon whose corners all look alike: every edge copies the
// same colour, alpha and class into the tables, so the walks keep x alone and
// each span is made from the shared look. The same spans as the full walk.
void rasteriseFlat(const std::array<RasterVertex, kMaxPolygonVertices>& vertices, int count, RowWindow rows,
                   int firstRow, int lastRow, RasterState& state, const RasterTarget& target)
{
    int* left = state.flatLeft.data();
    int* right = state.flatRight.data();
    for (int y = firstRow; y <= lastRow; ++y) {
        left[y] = target.geometry->width;
        right[y] = -1;
    }
    for (int i = 0; i + 1 < count; ++i) {
        const RasterVertex& first = vertices[static_cast<std::size_t>(i)];
        const RasterVertex& second = vertices[static_cast<std::size_t>(i + 1)];
        const bool upward = first.y > second.y;
        const RasterVertex& a = upward ? second : first;
        const RasterVertex& b = upward ? first : second;
        const int edgeLast = std::min(b.y, rows.last);
        if (edgeLast < rows.first) continue;
        LineStepper x(a.x, b.x, b.y - a.y);
        int y = a.y;
        if (y < rows.first) {
            x.advance(static_cast<std::int64_t>(rows.first) - y);
            y = rows.first;
        }
        for (; y <= edgeLast; ++y, x.next()) {
            const int at = static_cast<int>(x.value);
            if (at < left[y]) left[y] = at;
            if (at > right[y]) right[y] = at;
        }
    }
    EdgeRecord look;
    storeFirstEnd(vertices[0], false, look);
    fillFlatSpans(target, firstRow, lastRow, left, right, look, state.span.data());
}

} // namespace

RasterVertex toRasterVertex(const PolygonVertex& v)
{
    RasterVertex r;
    convertVertex(v, true, r);
    return r;
}

void rasterisePolygon(const Polygon& polygon, RasterState& state, const RasterTarget& target)
{
    rasteriseEntries(polygon.vertices.data(), polygon.count, polygon.texture, state, target);
}

namespace {

// The polygon in state.vertices (count entries, rows ymin .. ymax) drawn.
void rasteriseConverted(int count, const TextureView* texture, int ymin, int ymax, RasterState& state,
                        const RasterTarget& target)
{
    std::array<RasterVertex, kMaxPolygonVertices>& vertices = state.vertices;
    const RowWindow rows = rowWindow(*target.geometry);
    if (ymin == ymax && count >= kMinPolygonEntries) {
        if (ymin >= rows.first && ymin <= rows.last)
            rasteriseOneRow(vertices, count, texture != nullptr, texture, state, target);
        ++state.framePolygons;
        return;
    }
    const int firstRow = std::max(ymin, rows.first), lastRow = std::min(ymax, rows.last);
    if (texture == nullptr && count >= kMinPolygonEntries && allLookAlike(vertices, count)) {
        rasteriseFlat(vertices, count, rows, firstRow, lastRow, state, target);
        ++state.framePolygons;
        return;
    }
    for (int y = firstRow; y <= lastRow; ++y) {
        state.left[static_cast<std::size_t>(y)].x = target.geometry->width;
        state.right[static_cast<std::size_t>(y)].x = -1;
    }
    if (count < kMinPolygonEntries) return;

    for (int i = 0; i + 1 < count; ++i)
        walkEdge(vertices[static_cast<std::size_t>(i)], vertices[static_cast<std::size_t>(i + 1)], texture != nullptr,
                 rows, state);
    for (int y = firstRow; y <= lastRow; ++y) {
        const EdgeRecord& left = state.left[static_cast<std::size_t>(y)];
        const EdgeRecord& right = state.right[static_cast<std::size_t>(y)];
        if (right.x >= left.x) fillSpan(target, y, left, right, texture, state.span.data());
    }
    ++state.framePolygons;
}

// The abort poll every polygon counts toward; true when the polygon may be drawn.
bool countPolygon(int count, RasterState& state, const RasterTarget& target)
{
    if (++state.runningCount % kAbortPollInterval == 0 && target.ui != nullptr && target.ui->pollAbort())
        state.abortRequested = true;
    return count <= kMaxPolygonVertices;
}

const TextureView* usableTexture(const TextureView* texture)
{
    return texture != nullptr && texture->usable() ? texture : nullptr;
}

} // namespace

void rasteriseEntries(const PolygonVertex* entries, int count, const TextureView* polygonTexture, RasterState& state,
                      const RasterTarget& target)
{
    if (!countPolygon(count, state, target)) return;
    const TextureView* texture = usableTexture(polygonTexture);
    std::array<RasterVertex, kMaxPolygonVertices>& vertices = state.vertices;
    int ymin = kRasterLimit, ymax = -1;
    for (int i = 0; i < count; ++i) {
        convertVertex(entries[i], texture != nullptr, vertices[static_cast<std::size_t>(i)]);
        ymin = std::min(ymin, vertices[static_cast<std::size_t>(i)].y);
        ymax = std::max(ymax, vertices[static_cast<std::size_t>(i)].y);
    }
    rasteriseConverted(count, texture, ymin, ymax, state, target);
}

bool packPolygon(const Polygon& polygon, PackedEntry* entries, PackedCoords* coords)
{
    const bool textured = usableTexture(polygon.texture) != nullptr;
    const int count = std::clamp(polygon.count, 0, kMaxPolygonVertices);
    RasterVertex r;
    for (int i = 0; i < count; ++i) {
        convertVertex(polygon.vertices[static_cast<std::size_t>(i)], textured, r);
        entries[i] = {static_cast<std::int16_t>(r.x), static_cast<std::int16_t>(r.y),
                      static_cast<std::uint16_t>(r.red),   static_cast<std::uint16_t>(r.green),
                      static_cast<std::uint16_t>(r.blue),  static_cast<std::uint16_t>(r.alpha),
                      static_cast<std::uint16_t>(r.classCode), static_cast<std::uint16_t>(r.intensity)};
        if (textured)
            coords[i] = {static_cast<std::int32_t>(r.s), static_cast<std::int32_t>(r.t), static_cast<std::int32_t>(r.third)};
    }
    return textured;
}

void rasterisePacked(const PackedEntry* entries, const PackedCoords* coords, int count, const TextureView* texture,
                     RasterState& state, const RasterTarget& target)
{
    if (!countPolygon(count, state, target)) return;
    if (coords == nullptr) texture = nullptr;
    std::array<RasterVertex, kMaxPolygonVertices>& vertices = state.vertices;
    int ymin = kRasterLimit, ymax = -1;
    for (int i = 0; i < count; ++i) {
        const PackedEntry& e = entries[i];
        RasterVertex& r = vertices[static_cast<std::size_t>(i)];
        r.x = e.x, r.y = e.y;
        r.red = e.red, r.green = e.green, r.blue = e.blue;
        r.alpha = e.alpha, r.classCode = e.classCode, r.intensity = e.intensity;
        if (texture != nullptr) r.s = coords[i].s, r.t = coords[i].t, r.third = coords[i].third;
        ymin = std::min(ymin, r.y);
        ymax = std::max(ymax, r.y);
    }
    rasteriseConverted(count, texture, ymin, ymax, state, target);
}

} // namespace kalvenor
