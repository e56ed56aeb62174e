#include "base/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>

namespace kalvenor {

namespace {

// Helper threads that wait for a job, run their share of it and report back.
class HelperThreads {
public:
    ~HelperThreads()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

    void run(int count, const std::function<void(int)>& body)
    {
        const int helpers = count - 1;
        while (static_cast<int>(threads_.size()) < helpers) {
            const int index = static_cast<int>(threads_.size()) + 1;
            threads_.emplace_back([this, index] { serve(index); });
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            body_ = &body;
            active_ = helpers;
            pending_ = helpers;
            error_ = nullptr;
            ++generation_;
        }
        wake_.notify_all();
        std::exception_ptr own;
        try {
            body(0);
        } catch (...) {
            own = std::current_exception();
        }
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return pending_ == 0; });
        body_ = nullptr;
        if (own) std::rethrow_exception(own);
        if (error_) std::rethrow_exception(error_);
    }

private:
    void serve(int index)
    {
        unsigned seen = 0;
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return closing_ || generation_ != seen; });
            if (closing_) return;
            seen = generation_;
            if (index > active_) continue;
            const std::function<void(int)>* body = body_;
            lock.unlock();
            std::exception_ptr failure;
            try {
                (*body)(index);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            if (failure && !error_) error_ = failure;
            if (--pending_ == 0) done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<std::thread> threads_;
    const std::function<void(int)>* body_ = nullptr;
    int active_ = 0;  // helpers taking part in the current job
    int pending_ = 0; // of them, still running
    unsigned generation_ = 0;
    bool closing_ = false;
    std::exception_ptr error_;
};

HelperThreads& helpers()
{
    static HelperThreads pool;
    return pool;
}

int initialThreads()
{
    const int fromEnvironment = environmentThreads(std::getenv("KALVENOR_THREADS"));
    return fromEnvironment > 0 ? fromEnvironment : machineThreads();
}

std::atomic<int>& currentThreads()
{
    static std::atomic<int> count{initialThreads()};
    return count;
}

} // namespace

int machineThreads() { return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxThreads); }

int environmentThreads(const char* value)
{
    if (value == nullptr || *value == '\0') return 0;
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (*end != '\0' || n < 1 || n > kMaxThreads) return 0;
    return static_cast<int>(n);
}

int threadCount() { return currentThreads().load(); }

void setThreadCount(int count) { currentThreads().store(std::clamp(count, 1, kMaxThreads)); }

void runTogether(int count, const std::function<void(int)>& body)
{
    // The helpers serve one job at a time. A job asked for while they are
    // busy (from another thread, or from inside a job) runs its shares one
    // after another on the calling thread instead.
    static std::atomic<bool> busy{false};
    bool idle = false;
    if (count <= 1 || !busy.compare_exchange_strong(idle, true)) {
        for (int i = 0; i < std::max(count, 1); ++i) body(i);
        return;
    }
    struct Release {
        ~Release() { busy.store(false); }
    } release;
    helpers().run(std::min(count, kMaxThreads), body);
}

void parallelFor(int count, const std::function<void(int)>& body)
{
    const int threads = std::min(threadCount(), count);
    if (threads <= 1) {
        for (int i = 0; i < count; ++i) body(i);
        return;
    }
    // Small blocks handed out in turn: uneven pieces still balance.
    const int block = std::max(1, count / (threads * 8));
    std::atomic<int> next{0};
    runTogether(threads, [&](int) {
        for (;;) {
            const int first = next.fetch_add(block);
            if (first >= count) return;
            const int last = std::min(first + block, count);
            for (int i = first; i < last; ++i) body(i);
        }
    });
}

} // namespace kalvenor
