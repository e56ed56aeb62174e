#include "base/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <set>
#include <string>

#include "base/confinement.h"
#include "base/paths.h"

namespace kalvenor {

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr mode_t kNewFileMode = 0666; // before the umask, as a plain create would give
constexpr mode_t kNewDirectoryMode = 0777;

bool sameIgnoringCase(const char* a, const std::string& b)
{
    if (std::strlen(a) != b.size()) return false;
    for (std::size_t i = 0; i < b.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of dir (written with a trailing "/", or empty for the current
// directory) named like name ignoring case and of the wanted kind; empty if none.
std::string findIgnoringCase(const std::string& dir, const std::string& name, bool wantDirectory)
{
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return {};
    std::string found;
    while (const dirent* entry = ::readdir(d)) {
        if (!sameIgnoringCase(entry->d_name, name)) continue;
        const std::string candidate = dir + entry->d_name;
        if (isDirectory(candidate) == wantDirectory) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

// Appends one directory component to prefix, matching or creating it. False
// when something that is not a directory stands in the way or mkdir fails.
bool enterDirectory(std::string& prefix, const std::string& component, bool create)
{
    std::string candidate = prefix + component;
    if (component == "." || component == ".." || exists(candidate)) {
        if (!isDirectory(candidate)) return false;
    } else if (std::string match = findIgnoringCase(prefix, component, true); !match.empty()) {
        candidate = prefix + match;
    } else if (create && ::mkdir(candidate.c_str(), kNewDirectoryMode) != 0) {
        // Someone else may have made it in the meantime; that is as good.
        if (errno != EEXIST || !isDirectory(candidate)) return false;
    }
    prefix = candidate + "/";
    return true;
}

bool writeAll(int fd, const char* data, std::size_t bytes)
{
    while (bytes > 0) {
        const ssize_t n = ::write(fd, data, bytes);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        bytes -= static_cast<std::size_t>(n);
    }
    return true;
}

// The permission bits a plain create would give: 0666 less the umask.
mode_t defaultFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return kNewFileMode & ~mask;
}

// A link is followed so that the file it names is replaced, not the link. Only
// a regular file, or nothing yet, can be the target.
bool resolveLink(std::string& target)
{
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) return true;
    if (S_ISLNK(st.st_mode)) {
        char* real = ::realpath(target.c_str(), nullptr);
        if (real == nullptr) return false; // a dangling link: nothing sensible to replace
        target = real;
        std::free(real);
        if (::stat(target.c_str(), &st) != 0) return false;
    }
    return S_ISREG(st.st_mode);
}

// The name under which the process reaches an open descriptor's file.
std::string procPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Replaces the trailing "XXXXXX" of name with letters and digits.
void fillUnique(std::string& name)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (std::size_t i = name.size() - 6; i < name.size(); ++i) name[i] = kLetters[pick(device)];
}

// When this process started, as a file time.
const std::time_t kProcessStart = std::time(nullptr);

bool isTemporaryName(const char* name)
{
    const std::size_t prefix = std::strlen(kTemporaryPrefix);
    return std::strncmp(name, kTemporaryPrefix, prefix) == 0 && std::strlen(name) == prefix + 6;
}

} // namespace

void sweepStaleTemporaries(const std::string& dir)
{
    // Leftovers are older than the process, so one look at each directory is
    // enough: a long series of frames does not scan its growing directory again.
    static std::mutex lock;
    static std::set<std::string> swept;
    {
        std::lock_guard guard(lock);
        if (!swept.insert(dir).second) return;
    }
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return;
    while (const dirent* entry = ::readdir(d)) {
        if (!isTemporaryName(entry->d_name)) continue;
        const std::string path = dir + entry->d_name;
        struct stat st {};
        // Only our own regular files, last written before this process began:
        // a save still running in another process keeps writing to its file.
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        if (st.st_mtime < kProcessStart) ::unlink(path.c_str());
    }
    ::closedir(d);
}

std::string prepareOutputPath(const std::string& path, bool create)
{
    const std::string normal = normaliseSeparators(path);
    const std::size_t slash = normal.rfind('/');
    const std::string name = slash == std::string::npos ? normal : normal.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return {};

    // Directories, each in turn from the left.
    std::string prefix = normal.starts_with('/') ? "/" : "";
    if (slash != std::string::npos) {
        std::size_t start = 0;
        while (start < slash) {
            std::size_t end = normal.find('/', start);
            if (end > slash) end = slash;
            if (end > start && !enterDirectory(prefix, normal.substr(start, end - start), create)) return {};
            start = end + 1;
        }
    }

    // The file itself: an existing file under other letter case is the one replaced.
    if (!exists(prefix + name))
        if (std::string match = findIgnoringCase(prefix, name, false); !match.empty()) return prefix + match;
    return prefix + name;
}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::open(const std::string& path, FileMode mode)
{
    discard();
    // Nothing is made, not even a directory on the way, outside a confinement.
    if (!confinementProblem(path).empty()) return false;
    target_ = prepareOutputPath(path, true);
    if (target_.empty() || !resolveLink(target_) || !confinementProblem(target_).empty()) return false;

    const std::size_t slash = target_.rfind('/');
    dir_ = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
    sweepStaleTemporaries(dir_);
    // A file without a name where the file system offers one: a save killed
    // half way leaves nothing behind. Otherwise a short name of its own,
    // whatever the target's length: a name of up to 255 characters still has
    // room for its temporary file beside it.
    int fd = ::open(dir_.empty() ? "." : dir_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 || ::access(procPath(fd).c_str(), F_OK) != 0) {
        if (fd >= 0) ::close(fd);
        std::string pattern = dir_ + kTemporaryPrefix + "XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) return false;
        temporary_ = pattern;
    }
    fd_ = fd;

    // The replacement keeps the permissions of the file it replaces.
    struct stat st {};
    const mode_t wanted = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : defaultFileMode();
    if (::fchmod(fd_, wanted) != 0) {
        discard();
        return false;
    }

    mode_ = mode;
    failed_ = false;
    buffer_.resize(kBufferBytes);
    used_ = 0;
    return true;
}

bool AtomicFile::linkTemporary()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = dir_ + kTemporaryPrefix + "XXXXXX";
        fillUnique(name);
        if (::linkat(AT_FDCWD, procPath(fd_).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary_ = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool AtomicFile::flushBuffer()
{
    if (used_ > 0 && !writeAll(fd_, buffer_.data(), used_)) failed_ = true;
    used_ = 0;
    return !failed_;
}

bool AtomicFile::append(const char* data, std::size_t bytes)
{
    if (bytes > buffer_.size() - used_ && !flushBuffer()) return false;
    if (bytes >= buffer_.size()) {
        if (!writeAll(fd_, data, bytes)) failed_ = true;
        return !failed_;
    }
    std::memcpy(buffer_.data() + used_, data, bytes);
    used_ += bytes;
    return true;
}

bool AtomicFile::appendText(const char* data, std::size_t bytes)
{
    static constexpr char kLineEnd[] = {'\r', '\n'};
    const char* end = data + bytes;
    while (data < end) {
        const auto* newline = static_cast<const char*>(std::memchr(data, '\n', static_cast<std::size_t>(end - data)));
        const char* stop = newline ? newline : end;
        if (!append(data, static_cast<std::size_t>(stop - data))) return false;
        if (newline == nullptr) break;
        if (!append(kLineEnd, sizeof kLineEnd)) return false;
        data = newline + 1;
    }
    return true;
}

bool AtomicFile::write(const void* data, std::size_t bytes)
{
    if (fd_ < 0) failed_ = true;
    if (failed_) return false;
    if (bytes == 0) return true; // data may then be null, which memcpy must not see
    const auto* bytesIn = static_cast<const char*>(data);
    return mode_ == FileMode::Text ? appendText(bytesIn, bytes) : append(bytesIn, bytes);
}

bool AtomicFile::write(std::string_view text) { return write(text.data(), text.size()); }

bool AtomicFile::print(const char* format, ...)
{
    char small[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    bool ok = false;
    if (n < 0) {
        failed_ = true;
    } else if (static_cast<std::size_t>(n) < sizeof small) {
        ok = write(small, static_cast<std::size_t>(n));
    } else {
        std::string large(static_cast<std::size_t>(n) + 1, '\0');
        std::vsnprintf(large.data(), large.size(), format, again);
        ok = write(large.data(), static_cast<std::size_t>(n));
    }
    va_end(again);
    return ok && !failed_;
}

bool AtomicFile::prepare()
{
    if (prepared_) return true;
    if (fd_ < 0) return false;
    // The data must be on disk before the name moves, or a crash could leave
    // an empty file where the old one was.
    bool ok = !failed_ && flushBuffer() && ::fsync(fd_) == 0;
    // A file without a name gets one beside the target only now, for the rename.
    if (ok && temporary_.empty()) ok = linkTemporary();
    if (::close(fd_) != 0) ok = false;
    fd_ = -1;
    buffer_.clear();
    buffer_.shrink_to_fit();
    used_ = 0;
    if (!ok) {
        failed_ = true;
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    prepared_ = true;
    return true;
}

bool AtomicFile::commit()
{
    if (!prepare()) return false;
    prepared_ = false;
    const bool ok = ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        failed_ = true;
        ::unlink(temporary_.c_str());
    }
    temporary_.clear();
    return ok;
}

void AtomicFile::discard()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    prepared_ = false;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    buffer_.clear();
    buffer_.shrink_to_fit();
    used_ = 0;
}

} // namespace kalvenor
