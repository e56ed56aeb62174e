// The helper threads: every share of a job runs once, failures reach the
// caller, and the thread count comes from the machine or the environment.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "base/worker_pool.h"

namespace kalvenor {
namespace {

TEST(WorkerPool, EveryShareRunsOnceAndTheJobsFollowOneAnother)
{
    for (const int count : {1, 2, 5, 3}) {
        std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
        runTogether(count, [&](int i) { runs[static_cast<std::size_t>(i)].fetch_add(1); });
        for (int i = 0; i < count; ++i) EXPECT_EQ(runs[static_cast<std::size_t>(i)].load(), 1) << count << " " << i;
    }
}

TEST(WorkerPool, AFailureOnAnyThreadReachesTheCallerAfterAllHaveEnded)
{
    for (const int failing : {0, 3}) {
        std::atomic<int> ended{0};
        EXPECT_THROW(runTogether(4,
                                 [&](int i) {
                                     ended.fetch_add(1);
                                     if (i == failing) throw std::runtime_error("share failed");
                                 }),
                     std::runtime_error);
        EXPECT_EQ(ended.load(), 4);
    }
    // The helpers are still there for the next job.
    std::atomic<int> sum{0};
    runTogether(4, [&](int i) { sum.fetch_add(i); });
    EXPECT_EQ(sum.load(), 6);
}

TEST(WorkerPool, AJobAskedForInsideAJobRunsItsSharesInTurn)
{
    std::atomic<int> inner{0};
    runTogether(3, [&](int) {
        std::vector<int> order;
        runTogether(4, [&](int i) { order.push_back(i); }); // one thread: no lock needed
        EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
        inner.fetch_add(1);
    });
    EXPECT_EQ(inner.load(), 3);
}

TEST(WorkerPool, ParallelForCoversEveryIndexOnce)
{
    const int before = threadCount();
    for (const int threads : {1, 2, 7}) {
        setThreadCount(threads);
        for (const int count : {0, 1, 13, 1000}) {
            std::vector<std::atomic<int>> hits(static_cast<std::size_t>(count));
            parallelFor(count, [&](int i) { hits[static_cast<std::size_t>(i)].fetch_add(1); });
            for (int i = 0; i < count; ++i) ASSERT_EQ(hits[static_cast<std::size_t>(i)].load(), 1) << threads << " " << i;
        }
    }
    setThreadCount(before);
}

TEST(WorkerPool, ThreadCountsFromTheEnvironmentAndLimits)
{
    struct Case {
        const char* value;
        int threads;
    };
    for (const Case c : {Case{nullptr, 0}, Case{"", 0}, Case{"3", 3}, Case{"1", 1}, Case{"64", 64}, Case{"65", 0},
                         Case{"0", 0}, Case{"-2", 0}, Case{"2x", 0}, Case{"many", 0}})
        EXPECT_EQ(environmentThreads(c.value), c.threads) << (c.value ? c.value : "unset");
    const int before = threadCount();
    setThreadCount(0);
    EXPECT_EQ(threadCount(), 1);
    setThreadCount(1000);
    EXPECT_EQ(threadCount(), kMaxThreads);
    setThreadCount(before);
    EXPECT_GE(machineThreads(), 1);
}

} // namespace
} // namespace kalvenor
