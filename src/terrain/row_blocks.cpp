#include "terrain/row_blocks.h"

#include <algorithm>

#include "base/frontend.h"
#include "base/worker_pool.h"

namespace kalvenor {

bool forRowsTogether(int count, Frontend& ui, const char* label, const std::function<void(int)>& row)
{
    // About a hundredth of the rows a block: polls stay frequent, blocks large enough to share out.
    const int block = std::max(1, count / 100);
    int shownPercent = -1;
    for (int first = 0; first < count; first += block) {
        if (ui.pollAbort()) return false;
        const int percent = first * 100 / count;
        if (percent != shownPercent) ui.progress(label, shownPercent = percent);
        const int rows = std::min(block, count - first);
        parallelFor(rows, [&](int i) { row(first + i); });
    }
    return true;
}

} // namespace kalvenor
