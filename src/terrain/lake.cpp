#include "terrain/lake.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/frontend.h"
#include "terrain/edit_grid.h"
#include "terrain/water.h"

namespace kalvenor {

namespace {

// One pending scanline call: its span, which neighbouring row it is working
// through (above first, then below) and the next column to look at there.
struct Scanline {
    int y;
    int x0;
    int x1;
    bool below;
    int next;
};

// The recursion of the fill kept on an explicit stack, so that its depth
// limit and its order are exactly those of nested calls.
class LakeFill {
public:
    LakeFill(Landscape& land, int level, Frontend& ui) : land_(land), level_(level), ui_(ui)
    {
        stack_.reserve(kLakeMaxDepth);
    }

    int run(int column, int row)
    {
        ui_.status(kLakeStatus);
        if (!enter(row, column)) return -1;
        while (!stack_.empty()) {
            Scanline& s = stack_.back();
            const int neighbour = s.below ? s.y + 1 : s.y - 1;
            const bool rowExists = s.below ? s.y < land_.sizeY : s.y > 0;
            if (!rowExists || s.next > s.x1) {
                if (s.below) {
                    stack_.pop_back();
                } else {
                    s.below = true;
                    s.next = s.x0;
                }
                continue;
            }
            const int x = s.next++;
            // Checked now: an earlier nested call may have filled it already.
            if (land_.elevation[neighbour][x] <= level_ && !enter(neighbour, x)) return -1;
        }
        return 1;
    }

private:
    // One call: returns false once the user has aborted.
    bool enter(int y, int x)
    {
        if (static_cast<int>(stack_.size()) >= kLakeMaxDepth) return true; // too deep: returns at once
        if (ui_.pollAbort()) {
            stack_.clear();
            return false;
        }
        const std::int16_t* row = land_.elevation[y];
        int x0 = x;
        while (x0 - 1 >= 0 && row[x0 - 1] <= level_) --x0;
        int x1 = x;
        while (x1 + 1 <= land_.sizeX && row[x1 + 1] <= level_) ++x1;

        std::int16_t* out = land_.elevation[y];
        std::uint16_t* codes = land_.terrain[y];
        for (int c = x0; c <= x1; ++c) {
            out[c] = static_cast<std::int16_t>(level_ + 1);
            if (groundCode(codes[c]) < kRiverMarker) setGroundCode(codes[c], kRiverMarker);
        }
        ui_.mapPlot(MapRect{x0, y, x1, y});
        stack_.push_back(Scanline{y, x0, x1, false, x0});
        return true;
    }

    Landscape& land_;
    int level_;
    Frontend& ui_;
    std::vector<Scanline> stack_;
};

} // namespace

int fillLake(Landscape& land, int column, int row, int level, Frontend& ui)
{
    if (!coversGrid(land.elevation, land) || !coversGrid(land.terrain, land)) return 0;
    if (column < 0 || column > land.sizeX || row < 0 || row > land.sizeY) return 0;
    LakeFill fill(land, std::clamp(level, -32768, kLakeMaxLevel), ui);
    return fill.run(column, row);
}

} // namespace kalvenor
