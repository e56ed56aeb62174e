#include "terrain/river.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "base/frontend.h"
#include "terrain/edit_grid.h"
#include "terrain/water.h"

namespace kalvenor {

namespace {

// Prefix sums of one line of n values, kept in blocks of kBlock: the sum of
// the first i values is the sum of the blocks before i's block plus the sum
// from that block's start to i. A change touches one block and the block
// totals after it (about kBlock + n / kBlock additions); a sum is two reads.
class LinePrefix {
public:
    static constexpr int kBlock = 64;

    static std::size_t cellsFor(int n) { return static_cast<std::size_t>(n + 1 + n / kBlock + 1); }

    LinePrefix(std::int32_t* storage, int n) : within_(storage), before_(storage + n + 1), n_(n) {}

    template <typename Value>
    void build(Value&& value)
    {
        std::int32_t total = 0;
        for (int i = 0; i <= n_; ++i) {
            if (i % kBlock == 0) {
                before_[i / kBlock] = total;
                within_[i] = 0;
            }
            if (i == n_) break;
            const int v = value(i);
            total += v;
            within_[i + 1] = (i + 1) % kBlock == 0 ? 0 : within_[i] + v;
        }
    }

    // Sum of the first count values.
    int prefix(int count) const { return before_[count / kBlock] + within_[count]; }

    void add(int index, int delta)
    {
        const int block = index / kBlock;
        const int blockEnd = std::min((block + 1) * kBlock - 1, n_);
        for (int i = index + 1; i <= blockEnd; ++i) within_[i] += delta;
        for (int b = block + 1; b <= n_ / kBlock; ++b) before_[b] += delta;
    }

private:
    std::int32_t* within_; // n + 1 entries: sum from the block's start up to (not including) i
    std::int32_t* before_; // n / kBlock + 1 entries: sum of all blocks before b
    int n_;
};

// Sums of row and column segments of the elevation map. Short segments are
// added up directly; longer ones (the look-ahead on flat ground runs out to
// the landscape's edges, hundreds of segments per move) come from blocked
// prefix sums along every row and column, updated as the walk raises cells.
// Without memory for the tables every sum is taken directly.
class SegmentSums {
public:
    explicit SegmentSums(const Landscape& land) : e_(land.elevation), width_(land.gridWidth), height_(land.gridHeight)
    {
        try {
            rows_.assign(static_cast<std::size_t>(height_) * LinePrefix::cellsFor(width_), 0);
            columns_.assign(static_cast<std::size_t>(width_) * LinePrefix::cellsFor(height_), 0);
        } catch (const std::bad_alloc&) {
            rows_.clear();
            columns_.clear();
            return;
        }
        for (int y = 0; y < height_; ++y) row(y).build([&](int x) { return int{e_[y][x]}; });
        for (int x = 0; x < width_; ++x) column(x).build([&](int y) { return int{e_[y][x]}; });
        tables_ = true;
    }

    // The cell (y, x) changed by delta.
    void changed(int y, int x, int delta)
    {
        if (!tables_) return;
        row(y).add(x, delta);
        column(x).add(y, delta);
    }

    // Sum of row y over columns [x0, x1). A segment holds at most 2050 cells of
    // at most 32768 in magnitude, so 32 bits hold every sum.
    int rowSum(int y, int x0, int x1)
    {
        if (!tables_ || x1 - x0 <= kDirect) {
            int sum = 0;
            const std::int16_t* cells = e_[y];
            for (int x = x0; x < x1; ++x) sum += cells[x];
            return sum;
        }
        const LinePrefix line = row(y);
        return line.prefix(x1) - line.prefix(x0);
    }

    // Sum of column x over rows [y0, y1).
    int columnSum(int x, int y0, int y1)
    {
        if (!tables_ || y1 - y0 <= kDirect) {
            int sum = 0;
            for (int y = y0; y < y1; ++y) sum += e_[y][x];
            return sum;
        }
        const LinePrefix line = column(x);
        return line.prefix(y1) - line.prefix(y0);
    }

private:
    static constexpr int kDirect = 24; // segments up to this length are summed cell by cell

    LinePrefix row(int y) { return LinePrefix(&rows_[static_cast<std::size_t>(y) * LinePrefix::cellsFor(width_)], width_); }
    LinePrefix column(int x)
    {
        return LinePrefix(&columns_[static_cast<std::size_t>(x) * LinePrefix::cellsFor(height_)], height_);
    }

    const ElevationMap& e_;
    int width_;
    int height_;
    bool tables_ = false;
    std::vector<std::int32_t> rows_;
    std::vector<std::int32_t> columns_;
};

// Directions in the order of preference: down (y + 1), up, right (x + 1), left.
constexpr int kDirections = 4;
constexpr int kStep[kDirections][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int kOutside = 32767; // the mean of a direction that is out of the running

// The mean (truncating) of the segment at distance k in direction dir, or
// kOutside when the segment lies outside the landscape.
int segmentMean(SegmentSums& sums, int w, int h, int y, int x, int dir, int k)
{
    int sum = 0;
    int count = 0;
    if (dir < 2) {
        const int r = dir == 0 ? y + k : y - k;
        if (dir == 0 ? r >= h : r < 0) return kOutside;
        const int x0 = std::max(x - k, 0);
        const int x1 = std::min(x + k, w);
        sum = sums.rowSum(r, x0, x1);
        count = x1 - x0;
    } else {
        const int c = dir == 2 ? x + k : x - k;
        if (dir == 2 ? c >= w : c < 0) return kOutside;
        const int y0 = std::max(y - k, 0);
        const int y1 = std::min(y + k, h);
        sum = sums.columnSum(c, y0, y1);
        count = y1 - y0;
    }
    return count > 0 ? sum / count : kOutside; // truncating
}

// The direction of the next move from (y, x), which is not on the border.
// Candidates are the lowest neighbours; while several remain, the segments
// further ahead decide, the lowest mean winning. A direction out of the
// running counts as kOutside, so when every remaining candidate has run off
// the landscape all four tie and compete again.
int chooseDirection(SegmentSums& sums, const Landscape& land, int y, int x)
{
    const ElevationMap& e = land.elevation;
    const int around[kDirections] = {e[y + 1][x], e[y - 1][x], e[y][x + 1], e[y][x - 1]};
    const int lowest = *std::min_element(around, around + kDirections);
    bool candidate[kDirections];
    for (int d = 0; d < kDirections; ++d) candidate[d] = around[d] == lowest;

    // The first round runs even for a single candidate; it cannot lose it.
    for (int k = 1; k < land.sizeX; ++k) {
        int mean[kDirections];
        for (int d = 0; d < kDirections; ++d)
            mean[d] = candidate[d] ? segmentMean(sums, land.sizeX, land.sizeY, y, x, d, k) : kOutside;
        const int best = *std::min_element(mean, mean + kDirections);
        int remaining = 0;
        for (int d = 0; d < kDirections; ++d) {
            candidate[d] = mean[d] == best;
            remaining += candidate[d] ? 1 : 0;
        }
        if (remaining <= 1) break;
    }
    for (int d = 0; d < kDirections; ++d)
        if (candidate[d]) return d;
    return 0;
}

bool onBorder(const Landscape& land, int y, int x)
{
    return y - 1 < 1 || y + 1 >= land.sizeY || x - 1 < 1 || x + 1 >= land.sizeX;
}

} // namespace

bool walkRiver(Landscape& land, int column, int row, Frontend& ui)
{
    if (!coversGrid(land.elevation, land) || !coversGrid(land.terrain, land)) return false;
    if (column < 0 || column > land.sizeX || row < 0 || row > land.sizeY) return false;
    ui.status(kRiverStatus);

    ElevationMap& e = land.elevation;
    CellMap& t = land.terrain;
    SegmentSums sums(land);
    int y = row;
    int x = column;
    const bool stopAtWater = !isWaterCode(groundCode(t[y][x]));
    for (;;) {
        const int code = groundCode(t[y][x]);
        if (stopAtWater && isWaterCode(code)) break;
        if (code < kRiverMarker) {
            ui.mapPlot(MapRect{x, y, x, y});
            setGroundCode(t[y][x], kRiverMarker);
        }
        if (ui.pollAbort() || onBorder(land, y, x)) break;

        const int before = e[y][x];
        e[y][x] = wrap16(before + 1);
        sums.changed(y, x, e[y][x] - before);
        const int here = e[y][x];
        // A pit: raise it again on the next round until the water can leave.
        if (here < e[y + 1][x] && here < e[y - 1][x] && here < e[y][x + 1] && here < e[y][x - 1]) continue;

        const int d = chooseDirection(sums, land, y, x);
        y += kStep[d][0];
        x += kStep[d][1];
    }
    return true;
}

} // namespace kalvenor
