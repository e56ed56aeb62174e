// The fuzz input as a file that readers open by name: an anonymous file in
// memory holding the bytes, named by its /proc path, closed with the object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace kalvenor::fuzzing {

class MemoryFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : fd_(memfd_create("kalvenor-fuzz", 0))
    {
        if (fd_ < 0) return;
        std::size_t written = 0;
        while (written < size) {
            const ssize_t n = ::write(fd_, data + written, size - written);
            if (n <= 0) break;
            written += static_cast<std::size_t>(n);
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

} // namespace kalvenor::fuzzing
