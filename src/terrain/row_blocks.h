// Passes over the grid row by row on every thread. The rows of a block are
// shared out; between blocks the calling thread polls for abort and shows
// progress, so an abort is seen as often as a few rows are done.
#pragma once

#include <functional>

namespace kalvenor {

class Frontend;

// Runs row(i) for every i in 0 .. count - 1, each exactly once, any number at
// a time: row(i) may only write what belongs to row i. Shows "label: n%"
// as rows are done; false when the user aborted (the rows of the blocks
// already begun are done, the rest are not).
bool forRowsTogether(int count, Frontend& ui, const char* label, const std::function<void(int)>& row);

} // namespace kalvenor
