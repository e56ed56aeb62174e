#include "terrain/remove_steps.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/frontend.h"
#include "terrain/edit_effects.h"
#include "terrain/edit_grid.h"
#include "terrain/manipulations.h"

namespace kalvenor {

namespace {

constexpr std::uint16_t kUnmarked = 0x8000; // -32768 as a shadow-map cell

bool isSet(int value) { return value >= kUnsetBelow; }

// a / b rounded down, for b > 0.
long long floorDiv(long long a, long long b)
{
    const long long q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// The weighted sum of the fill rule.
struct FillSum {
    long long weighted = 0;
    long long weights = 0;

    void add(int value, int steps)
    {
        const long long weight = kFillWeightScale / steps; // truncating
        weighted += value * weight;
        weights += weight;
    }
    // Rounds half up: floor((2 w + n) / 2 n).
    int value() const { return weights == 0 ? 0 : static_cast<int>(floorDiv(2 * weighted + weights, 2 * weights)); }
};

// The nearest set cell met along a line so far: its row (or column) and value.
struct LineMark {
    int at = INT_MIN;
    int value = 0;
};

// ---- Stage 1: marking

// A point higher than any of its eight neighbours keeps its elevation in the
// mark map; the rest (flat terrace interiors, the low sides of steps) are unset.
void markSteps(Landscape& land)
{
    const ElevationMap& e = land.elevation;
    const int rows = land.gridHeight;
    const int length = land.gridWidth;
    for (int y = 0; y < rows; ++y) {
        std::uint16_t* marks = land.shadow[y];
        for (int x = 0; x < length; ++x) {
            const int v = e[y][x];
            bool higher = false;
            for (int dy = -1; dy <= 1 && !higher; ++dy) {
                const int r = y + dy;
                if (r < 0 || r >= rows) continue;
                for (int dx = -1; dx <= 1; ++dx) {
                    const int c = x + dx;
                    if ((dx == 0 && dy == 0) || c < 0 || c >= length) continue;
                    if (v > e[r][c]) {
                        higher = true;
                        break;
                    }
                }
            }
            marks[x] = higher ? static_cast<std::uint16_t>(v) : kUnmarked;
        }
    }
}

// ---- Stage 2: interpolation

// Unset points of one border line take the linear interpolation between the
// nearest marks before and after them: trunc((b - a) (p - pa) / (pb - pa)) + a.
template <typename Cell>
void interpolateLine(int count, Cell&& cell)
{
    int pa = 0;
    while (pa < count - 1) {
        int pb = pa + 1;
        while (pb < count && !isSet(scratchElevation(cell(pb)))) ++pb;
        if (pb == count) return; // no mark after: the search stopped at the line's end
        const int a = scratchElevation(cell(pa));
        const int b = scratchElevation(cell(pb));
        for (int p = pa + 1; p < pb; ++p) cell(p) = static_cast<std::uint16_t>((b - a) * (p - pa) / (pb - pa) + a);
        pa = pb;
    }
}

void interpolateBorder(Landscape& land)
{
    const int w = land.sizeX;
    const int h = land.sizeY;
    CellMap& s = land.shadow;
    const ElevationMap& e = land.elevation;
    for (const auto& [y, x] : {std::pair{0, 0}, std::pair{0, w}, std::pair{h, 0}, std::pair{h, w}})
        s[y][x] = static_cast<std::uint16_t>(e[y][x]);

    interpolateLine(w + 1, [&](int p) -> std::uint16_t& { return s[0][p]; });
    interpolateLine(w + 1, [&](int p) -> std::uint16_t& { return s[h][p]; });
    interpolateLine(h + 1, [&](int p) -> std::uint16_t& { return s[p][0]; });
    interpolateLine(h + 1, [&](int p) -> std::uint16_t& { return s[p][w]; });
}

// The interior by the fill rule in one sweep down the rows. The nearest marks
// above (and to the left) are remembered per column and diagonal; the nearest
// below are found ahead and kept until the sweep passes them, so every line is
// scanned about once. The border ring is complete, so every search ends on it.
class InteriorFill {
public:
    explicit InteriorFill(Landscape& land)
        : s_(land.shadow), e_(land.elevation), w_(land.sizeX), h_(land.sizeY),
          up_(static_cast<std::size_t>(w_ + 1)), down_(static_cast<std::size_t>(w_ + 1)),
          upLeft_(diagonals()), upRight_(diagonals()), downRight_(diagonals()), downLeft_(diagonals()),
          right_(static_cast<std::size_t>(w_ + 1))
    {
        rememberRow(0);
    }

    void fillRow(int y)
    {
        findRightMarks(y);
        LineMark left{0, mark(y, 0)};
        for (int x = 1; x < w_; ++x) {
            const int here = mark(y, x);
            if (isSet(here)) {
                left = {x, here};
                continue;
            }
            const auto column = static_cast<std::size_t>(x);
            FillSum sum;
            sum.add(left.value, x - left.at);
            addBelow(sum, right_[column], x); // along the row: columns instead of rows
            addAbove(sum, up_[column], y);
            addAbove(sum, upLeft_[diagonal(y, x)], y);
            addAbove(sum, upRight_[antiDiagonal(y, x)], y);
            addBelow(sum, ahead(down_[column], y, x, 0), y);
            addBelow(sum, ahead(downRight_[diagonal(y, x)], y, x, 1), y);
            addBelow(sum, ahead(downLeft_[antiDiagonal(y, x)], y, x, -1), y);
            e_[y][x] = wrap16(sum.value());
        }
        rememberRow(y);
    }

private:
    std::size_t diagonals() const { return static_cast<std::size_t>(w_ + h_ + 1); }
    std::size_t diagonal(int y, int x) const { return static_cast<std::size_t>(x - y + h_); }
    std::size_t antiDiagonal(int y, int x) const { return static_cast<std::size_t>(x + y); }
    int mark(int y, int x) const { return scratchElevation(s_[y][x]); }

    // The ring of border lines counts as known whatever its values.
    bool known(int y, int x, int v) const { return y == 0 || y == h_ || x == 0 || x == w_ || isSet(v); }

    static void addAbove(FillSum& sum, const LineMark& m, int y)
    {
        if (m.at != INT_MIN) sum.add(m.value, y - m.at);
    }
    static void addBelow(FillSum& sum, const LineMark& m, int y)
    {
        if (m.at != INT_MAX) sum.add(m.value, m.at - y);
    }

    // The marks of row y become the nearest ones above for the rows below.
    void rememberRow(int y)
    {
        for (int x = 0; x <= w_; ++x) {
            const int v = mark(y, x);
            if (!known(y, x, v)) continue;
            up_[static_cast<std::size_t>(x)] = {y, v};
            upLeft_[diagonal(y, x)] = {y, v};
            upRight_[antiDiagonal(y, x)] = {y, v};
        }
    }

    void findRightMarks(int y)
    {
        LineMark next{INT_MAX, 0};
        for (int x = w_; x >= 0; --x) {
            right_[static_cast<std::size_t>(x)] = next;
            const int v = mark(y, x);
            if (known(y, x, v)) next = {x, v};
        }
    }

    // The first mark below row y on the line through (y, x) that moves dx
    // columns per row; reuses the last one found while the sweep has not passed it.
    LineMark& ahead(LineMark& cached, int y, int x, int dx)
    {
        if (cached.at != INT_MIN && cached.at > y) return cached;
        cached = {INT_MAX, 0};
        for (int r = y + 1, c = x + dx; r <= h_ && c >= 0 && c <= w_; ++r, c += dx) {
            const int v = mark(r, c);
            if (known(r, c, v)) {
                cached = {r, v};
                break;
            }
        }
        return cached;
    }

    CellMap& s_;
    ElevationMap& e_;
    int w_;
    int h_;
    std::vector<LineMark> up_, down_, upLeft_, upRight_, downRight_, downLeft_, right_;
};

void interpolate(Landscape& land, Frontend& ui)
{
    interpolateBorder(land);
    const int w = land.sizeX;
    const int h = land.sizeY;
    // Marks keep their elevation (their mark is it); the border takes its interpolated lines.
    for (int x = 0; x <= w; ++x) {
        land.elevation[0][x] = static_cast<std::int16_t>(land.shadow[0][x]);
        land.elevation[h][x] = static_cast<std::int16_t>(land.shadow[h][x]);
    }
    for (int y = 1; y < h; ++y) {
        land.elevation[y][0] = static_cast<std::int16_t>(land.shadow[y][0]);
        land.elevation[y][w] = static_cast<std::int16_t>(land.shadow[y][w]);
    }

    InteriorFill fill(land);
    for (int y = 1; y < h; ++y) {
        ui.progress("remove steps", y * 100 / h);
        fill.fillRow(y);
    }
}

// ---- Stage 3: smoothing

int precisionFactor(Landscape& land)
{
    computeElevationStatistics(land);
    const int top = land.highestElevation;
    int k = top > 0 ? std::max(32767 / top - 1, 1) : 1;
    int largest = 0;
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) largest = std::max(largest, std::abs(int{land.elevation[y][x]}));
    // Points outside the statistics' scan may be higher than max: keep them in range.
    if (k > 1 && static_cast<long long>(largest) * k > 32767) k = std::max(32767 / largest - 1, 1);
    return k;
}

// One in-place 3 x 3 box-filter pass: interior, side columns, top and bottom
// rows, corners. Every division truncates.
void boxFilter(ElevationMap& e, int w, int h)
{
    for (int y = 1; y <= h; ++y) {
        const std::int16_t* up = e[y - 1];
        std::int16_t* row = e[y];
        const std::int16_t* down = e[y + 1];
        for (int x = 1; x <= w; ++x) {
            const int sum = up[x - 1] + up[x] + up[x + 1] + row[x - 1] + row[x] + row[x + 1] + down[x - 1] +
                            down[x] + down[x + 1];
            row[x] = wrap16((sum + 4) / 9);
        }
    }
    for (int y = 1; y <= h; ++y) {
        e[y][0] = wrap16((e[y - 1][0] + e[y][0] + e[y + 1][0] + e[y][1] + 2) / 4);
        e[y][w + 1] = wrap16((e[y - 1][w + 1] + e[y][w + 1] + e[y + 1][w + 1] + e[y][w] + 2) / 4);
    }
    std::int16_t* top = e[0];
    std::int16_t* bottom = e[h + 1];
    for (int x = 1; x <= w; ++x) {
        top[x] = wrap16((top[x - 1] + top[x] + top[x + 1] + e[1][x] + 2) / 4);
        bottom[x] = wrap16((bottom[x - 1] + bottom[x] + bottom[x + 1] + e[h][x] + 2) / 4);
    }
    top[0] = wrap16((top[0] + top[1] + e[1][0] + 1) / 3);
    bottom[0] = wrap16((bottom[0] + bottom[1] + e[h][0] + 1) / 3);
    top[w + 1] = wrap16((top[w + 1] + top[w] + e[1][w + 1] + 1) / 3);
    bottom[w + 1] = wrap16((bottom[w + 1] + bottom[w] + e[h][w + 1] + 1) / 3);
}

void smoothScaled(Landscape& land)
{
    const int k = precisionFactor(land);
    ElevationMap& e = land.elevation;
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) e[y][x] = wrap16(e[y][x] * k);
    boxFilter(e, land.sizeX, land.sizeY);
    for (int y = 0; y < land.gridHeight; ++y)
        for (int x = 0; x < land.gridWidth; ++x) e[y][x] = wrap16(e[y][x] / k);
}

} // namespace

int fillValue(const ElevationMap& map, int column, int row)
{
    if (!map.allocated() || column < 0 || row < 0 || column >= map.width || row >= map.height) return 0;
    static constexpr int kDirections[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
    FillSum sum;
    for (const auto& [dy, dx] : kDirections) {
        for (int k = 1;; ++k) {
            const int r = row + k * dy;
            const int c = column + k * dx;
            if (r < 0 || r >= map.height || c < 0 || c >= map.width) break;
            if (isSet(map[r][c])) {
                sum.add(map[r][c], k);
                break;
            }
        }
    }
    return sum.value();
}

void fillUnsetInRowOrder(ElevationMap& map)
{
    if (!map.allocated()) return;
    const int w = map.width;
    const int h = map.height;
    // Looking back in row order (up-left, up, up-right, left) the first cell is
    // always set: it was set already or has just been filled. Looking forward
    // (right, down-left, down, down-right) every cell still holds its original
    // value, so the nearest set cell there is found once, bottom up, before
    // anything changes. Steps are stored per cell, 0 for none.
    const std::size_t cells = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<std::uint16_t> downLeft(cells), down(cells), downRight(cells);
    const auto at = [w](int r, int c) { return static_cast<std::size_t>(r) * static_cast<std::size_t>(w) + c; };
    const auto next = [](std::uint16_t steps) { return static_cast<std::uint16_t>(steps == 0 ? 0 : steps + 1); };
    for (int r = h - 2; r >= 0; --r)
        for (int c = 0; c < w; ++c) {
            const bool belowSet = isSet(map[r + 1][c]);
            down[at(r, c)] = belowSet ? 1 : next(down[at(r + 1, c)]);
            if (c > 0) downLeft[at(r, c)] = isSet(map[r + 1][c - 1]) ? 1 : next(downLeft[at(r + 1, c - 1)]);
            if (c + 1 < w) downRight[at(r, c)] = isSet(map[r + 1][c + 1]) ? 1 : next(downRight[at(r + 1, c + 1)]);
        }
    std::vector<std::uint16_t> right(static_cast<std::size_t>(w));
    for (int r = 0; r < h; ++r) {
        std::int16_t* row = map[r];
        right[static_cast<std::size_t>(w - 1)] = 0;
        for (int c = w - 2; c >= 0; --c)
            right[static_cast<std::size_t>(c)] = isSet(row[c + 1]) ? 1 : next(right[static_cast<std::size_t>(c + 1)]);
        for (int c = 0; c < w; ++c) {
            if (isSet(row[c])) continue;
            FillSum sum; // integer sums: the order of the directions does not matter
            const auto forward = [&](std::uint16_t steps, int dy, int dx) {
                if (steps != 0) sum.add(map[r + steps * dy][c + steps * dx], steps);
            };
            if (r > 0) {
                if (c > 0) sum.add(map[r - 1][c - 1], 1);
                sum.add(map[r - 1][c], 1);
                if (c + 1 < w) sum.add(map[r - 1][c + 1], 1);
            }
            if (c > 0) sum.add(row[c - 1], 1);
            forward(right[static_cast<std::size_t>(c)], 0, 1);
            if (c > 0) forward(downLeft[at(r, c)], 1, -1);
            forward(down[at(r, c)], 1, 0);
            if (c + 1 < w) forward(downRight[at(r, c)], 1, 1);
            row[c] = static_cast<std::int16_t>(sum.value());
        }
    }
}

void interpolateSteps(Landscape& land, Frontend& ui)
{
    if (!coversGrid(land.elevation, land) || !coversGrid(land.shadow, land) || land.sizeX < 2 || land.sizeY < 2)
        return;
    markSteps(land);
    interpolate(land, ui);
    markEdited(land, EditEffect::ShadowScratched);
}

void removeSteps(Landscape& land, Frontend& ui)
{
    ui.status("Remove steps");
    if (!coversGrid(land.elevation, land) || !coversGrid(land.shadow, land) || land.sizeX < 2 || land.sizeY < 2)
        return;
    interpolateSteps(land, ui);
    smoothScaled(land);
    extendEdges(land);
    markEdited(land, EditEffect::ElevationsChanged);
}

} // namespace kalvenor
