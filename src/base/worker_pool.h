// The helper threads the long operations share, and how many threads they
// may use. Work is split so that the result never depends on the number of
// threads: every caller hands out pieces whose outcome is fixed by their
// index, and joins them in index order.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kalvenor {

// The number of threads the long operations use, 1 or more. Starts at the
// machine's core count (or KALVENOR_THREADS when set to a number); the
// --threads option and the Threads keyword change it.
int threadCount();
void setThreadCount(int count);

// The most threads accepted; a larger request is held to it.
constexpr int kMaxThreads = 64;

// The core count the default starts from, and the value KALVENOR_THREADS
// gives (0 when unset or not a number from 1 to kMaxThreads).
int machineThreads();
int environmentThreads(const char* value);

// Runs body(0) on the calling thread and body(1) .. body(count - 1) on helper
// threads, all at once, and returns when every one has returned. The helpers
// are started once and kept. An exception thrown by any body is rethrown here
// (the first one) after all have finished. While the helpers serve another
// job (a call from inside a body, or from another thread), the shares run one
// after another, in index order, on the calling thread: a body must then be
// able to finish with the shares before it done and those after it not begun.
void runTogether(int count, const std::function<void(int)>& body);

// Runs body(i) for every i in 0 .. count - 1 spread over the threads, in
// blocks of consecutive indices; for work whose pieces are independent.
void parallelFor(int count, const std::function<void(int)>& body);

} // namespace kalvenor
