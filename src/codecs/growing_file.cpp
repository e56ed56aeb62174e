#include "codecs/growing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "base/paths.h"

namespace kalvenor {

namespace {

// Offsets past what off_t holds cannot be reached; refusing them keeps the
// conversion below defined.
bool fitsOffset(std::uint64_t offset, std::size_t bytes)
{
    const auto most = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    return offset <= most && bytes <= most - offset;
}

} // namespace

GrowingFile::GrowingFile(GrowingFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

GrowingFile& GrowingFile::operator=(GrowingFile&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

GrowingFile::~GrowingFile() { close(); }

bool GrowingFile::open(const std::string& path)
{
    close();
    const int fd = openRegularFile(resolveExisting(path), O_RDWR);
    if (fd < 0) return false;
    fd_ = fd;
    return true;
}

void GrowingFile::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool GrowingFile::size(std::uint64_t& bytes) const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || st.st_size < 0) return false;
    bytes = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool GrowingFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (fd_ < 0 || !fitsOffset(offset, out.size())) return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false; // an error, or the file ends first
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool GrowingFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> data)
{
    if (fd_ < 0 || !fitsOffset(offset, data.size())) return false;
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool GrowingFile::truncate(std::uint64_t bytes)
{
    return fd_ >= 0 && fitsOffset(bytes, 0) && ::ftruncate(fd_, static_cast<off_t>(bytes)) == 0;
}

} // namespace kalvenor
