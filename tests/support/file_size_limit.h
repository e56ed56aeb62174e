// Test helper for failed writes: caps the size of files this process may
// write while it lives, so a writer meets a full disk without filling one.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace kalvenor::testing {

struct FileSizeLimit {
    rlimit saved{};
    void (*savedHandler)(int) = nullptr;
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        savedHandler = std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
        rlimit cap = saved;
        cap.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};

} // namespace kalvenor::testing
