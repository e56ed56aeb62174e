#include "render/rasteriser.h"

#include <algorithm>
#include <cmath>

#include "base/frontend.h"
#include "model/random_streams.h"
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

RowWindow imageWindow(const ImageGeometry& g)
{
    const int offset = imageRowOffset(g);
    return {std::max(offset, 0), std::min(offset + g.height - 1, kLastTableRow)};
}

// The image's rows within the target's band.
RowWindow rowWindow(const RasterTarget& target)
{
    const RowWindow image = imageWindow(*target.geometry);
    return {std::max(image.first, target.firstTableRow), std::min(image.last, target.lastTableRow)};
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

// The leftmost and rightmost x the edges reach in each row firstRow ..
// lastRow (of rows): what the edge tables would hold, x alone. Rows no edge
// reaches keep left = width and right = -1, as the tables start.
template <typename Vertex>
void walkExtents(const Vertex* vertices, int count, RowWindow rows, int firstRow, int lastRow, int width, int* left,
                 int* right)
{
    for (int y = firstRow; y <= lastRow; ++y) {
        left[y] = width;
        right[y] = -1;
    }
    for (int i = 0; i + 1 < count; ++i) {
        const Vertex& first = vertices[i];
        const Vertex& second = vertices[i + 1];
        const bool upward = first.y > second.y;
        const Vertex& a = upward ? second : first;
        const Vertex& b = upward ? first : second;
        const int edgeLast = std::min<int>(b.y, rows.last);
        if (edgeLast < rows.first) continue;
        const auto put = [&](int y, int at) {
            if (y < rows.first || y > edgeLast) return;
            if (at < left[y]) left[y] = at;
            if (at > right[y]) right[y] = at;
        };
        if (b.y - a.y <= 2) {
            // The stepper over at most two rows, without its divide: it starts at
            // a.x, ends at b.x, and halfway has moved half the way, truncated.
            put(a.y, a.x);
            if (b.y - a.y == 2) put(a.y + 1, a.x + (b.x - a.x) / 2);
            if (b.y > a.y) put(b.y, b.x);
            continue;
        }
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
}

// An untextured polygon whose corners all look alike: every edge copies the
// same colour, alpha and class into the tables, so the walks keep x alone and
// each span is made from the shared look. The same spans as the full walk.
// The corners are converted ones or packed ones; look is the first one's.
template <typename Vertex>
void rasteriseFlat(const Vertex* vertices, int count, const EdgeRecord& look, RowWindow rows, int firstRow,
                   int lastRow, RasterState& state, const RasterTarget& target)
{
    int* left = state.flatLeft.data();
    int* right = state.flatRight.data();
    walkExtents(vertices, count, rows, firstRow, lastRow, target.geometry->width, left, right);
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
    const RowWindow rows = rowWindow(target);
    if (ymin == ymax && count >= kMinPolygonEntries) {
        if (ymin >= rows.first && ymin <= rows.last)
            rasteriseOneRow(vertices, count, texture != nullptr, texture, state, target);
        ++state.framePolygons;
        return;
    }
    const int firstRow = std::max(ymin, rows.first), lastRow = std::min(ymax, rows.last);
    if (texture == nullptr && count >= kMinPolygonEntries && allLookAlike(vertices.data(), count)) {
        EdgeRecord look;
        storeFirstEnd(vertices[0], false, look);
        rasteriseFlat(vertices.data(), count, look, rows, firstRow, lastRow, state, target);
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
    if (texture == nullptr && count >= kMinPolygonEntries && allLookAlike(entries, count)) {
        // One colour: drawn from the packed corners as rasteriseFlat draws the
        // converted ones. (A polygon on one row too: its edges then put their
        // first ends in that row, the span rasteriseOneRow makes.)
        int ymin = entries[0].y, ymax = ymin;
        for (int i = 1; i < count; ++i) ymin = std::min<int>(ymin, entries[i].y), ymax = std::max<int>(ymax, entries[i].y);
        const RowWindow rows = rowWindow(target);
        const int firstRow = std::max(ymin, rows.first), lastRow = std::min(ymax, rows.last);
        EdgeRecord look;
        look.x = entries[0].x;
        look.red = entries[0].red, look.green = entries[0].green, look.blue = entries[0].blue;
        look.alpha = entries[0].alpha, look.classCode = entries[0].classCode;
        rasteriseFlat(entries, count, look, rows, firstRow, lastRow, state, target);
        ++state.framePolygons;
        return;
    }
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

void imageSpans(const PackedEntry* entries, int count, const ImageGeometry& g, int* left, int* right,
                std::vector<ImageSpan>& out)
{
    if (count < kMinPolygonEntries || count > kMaxPolygonVertices) return;
    const RowWindow image = imageWindow(g);
    int ymin = entries[0].y, ymax = ymin;
    for (int i = 1; i < count; ++i) ymin = std::min<int>(ymin, entries[i].y), ymax = std::max<int>(ymax, entries[i].y);
    const int firstRow = std::max(ymin, image.first), lastRow = std::min(ymax, image.last);
    if (firstRow > lastRow) return;
    const auto add = [&](int y, int lo, int hi) {
        const int x0 = std::max(lo, 0), x1 = std::min(hi, g.width - 1);
        if (x0 <= x1) out.push_back({y, x0, x1});
    };
    if (ymin == ymax) { // one row: from the leftmost to the rightmost first end of the edges
        int lo = g.width, hi = -1;
        for (int i = 0; i + 1 < count; ++i) lo = std::min<int>(lo, entries[i].x), hi = std::max<int>(hi, entries[i].x);
        add(ymin, lo, hi);
        return;
    }
    walkExtents(entries, count, image, firstRow, lastRow, g.width, left, right);
    for (int y = firstRow; y <= lastRow; ++y) add(y, left[y], right[y]);
}

void skipHiddenPolygons(int polygons, int spans, RasterState& state, const RasterTarget& target)
{
    // The running count passes a poll at every multiple of the interval, as one polygon after another would.
    // (The count wraps at 2^32, a multiple of the interval, so the polls are counted unwrapped.)
    const std::uint64_t before = state.runningCount;
    const std::uint64_t polls = (before + static_cast<std::uint64_t>(polygons)) / kAbortPollInterval - before / kAbortPollInterval;
    state.runningCount += static_cast<std::uint32_t>(polygons);
    if (target.ui != nullptr)
        for (std::uint64_t i = 0; i < polls; ++i)
            if (target.ui->pollAbort()) state.abortRequested = true;
    state.framePolygons += polygons;
    PixelDither* dither = target.dither;
    if (spans <= 0 || dither == nullptr || target.ditherAmount == 0) return;
    prepareDither(*dither, target.ditherAmount);
    if (target.ditherKind != kDitherOrdered) dither->seed = lcgSkip(dither->seed, static_cast<std::uint64_t>(spans));
}

RowBands splitIntoBands(const ImageGeometry& g, int count)
{
    RowBands bands;
    bands.count = std::clamp(count, 1, kMaxRowBands);
    bands.width = g.width;
    const RowWindow image = imageWindow(g);
    const int rows = std::max(image.last - image.first + 1, 0);
    for (int b = 0; b <= bands.count; ++b)
        bands.starts[static_cast<std::size_t>(b)] = image.first + rows * b / bands.count;
    for (int b = 0; b < bands.count; ++b)
        for (int y = bands.starts[static_cast<std::size_t>(b)]; y < bands.starts[static_cast<std::size_t>(b) + 1]; ++y)
            bands.bandOfRow[static_cast<std::size_t>(y)] = static_cast<std::uint8_t>(b);
    return bands;
}

RasterTarget bandTarget(const RasterTarget& target, const RowBands& bands, int band)
{
    RasterTarget t = target;
    t.firstTableRow = bands.starts[static_cast<std::size_t>(band)];
    t.lastTableRow = bands.starts[static_cast<std::size_t>(band) + 1] - 1;
    return t;
}

void countBandSpans(const PackedEntry* entries, int count, const RowBands& bands, int* left, int* right,
                    std::uint16_t* perBand)
{
    std::fill_n(perBand, bands.count, std::uint16_t{0});
    // Polygons the rasteriser refuses, and those of too few entries, fill nothing.
    if (count < kMinPolygonEntries || count > kMaxPolygonVertices) return;
    const auto start = [&](int b) { return bands.starts[static_cast<std::size_t>(b)]; };
    const RowWindow image{start(0), start(bands.count) - 1};
    int ymin = entries[0].y, ymax = ymin, xmin = entries[0].x, xmax = xmin;
    for (int i = 1; i < count; ++i) {
        ymin = std::min<int>(ymin, entries[i].y), ymax = std::max<int>(ymax, entries[i].y);
        xmin = std::min<int>(xmin, entries[i].x), xmax = std::max<int>(xmax, entries[i].x);
    }
    const int firstRow = std::max(ymin, image.first), lastRow = std::min(ymax, image.last);
    if (firstRow > lastRow) return;
    // Adds rows y0 .. y1, every one of which fills a span.
    const auto addRows = [&](int y0, int y1) {
        for (int b = 0; b < bands.count; ++b) {
            const int lo = std::max(y0, start(b)), hi = std::min(y1, start(b + 1) - 1);
            if (hi >= lo) perBand[b] = static_cast<std::uint16_t>(perBand[b] + hi - lo + 1);
        }
    };
    if (ymin == ymax) { // one row: from the leftmost to the rightmost first end of the edges
        int lo = bands.width, hi = -1;
        for (int i = 0; i + 1 < count; ++i) lo = std::min<int>(lo, entries[i].x), hi = std::max<int>(hi, entries[i].x);
        if (lo < bands.width && hi >= 0) addRows(ymin, ymin);
        return;
    }
    // Every row between the top and the bottom is reached by an edge, so
    // within the image's columns every row fills a span.
    if (xmin >= 0 && xmax < bands.width) {
        addRows(firstRow, lastRow);
        return;
    }
    walkExtents(entries, count, image, firstRow, lastRow, bands.width, left, right);
    int b = 0;
    for (int y = firstRow; y <= lastRow; ++y) {
        while (y >= start(b + 1)) ++b;
        if (left[y] < bands.width && right[y] >= 0) ++perBand[b];
    }
}

} // namespace kalvenor
