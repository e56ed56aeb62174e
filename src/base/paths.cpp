#include "base/paths.h"

#include "base/confinement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kalvenor {

namespace fs = std::filesystem;

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The entry of dir whose name equals name ignoring case, or empty.
std::string findIgnoringCase(const fs::path& dir, const std::string& name)
{
    std::error_code ec;
    for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (sameIgnoringCase(candidate, name)) return candidate;
    }
    return {};
}

} // namespace

std::string normaliseSeparators(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string resolveExisting(const std::string& path)
{
    const std::string normal = normaliseSeparators(path);
    std::error_code ec;
    if (normal.empty() || fs::exists(normal, ec)) return normal;

    fs::path resolved;
    for (const fs::path& part : fs::path(normal)) {
        const std::string name = part.string();
        if (name.empty() || name == "/" || name == "." || name == "..") {
            resolved /= part;
            continue;
        }
        fs::path exact = resolved / part;
        if (fs::exists(exact, ec)) {
            resolved = exact;
            continue;
        }
        const std::string match = findIgnoringCase(resolved, name);
        if (match.empty()) return normal;
        resolved /= match;
    }
    return resolved.string();
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(resolveExisting(path), ec);
}

bool directoryExists(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(resolveExisting(path), ec);
}

int openRegularFile(const std::string& path, int flags)
{
    if (!confinementProblem(path).empty()) {
        errno = EACCES;
        return -1;
    }
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    // Where the file opened really lies, whatever was swapped in since the check.
    if (!confinementProblemOf(fd).empty()) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::FILE* openRegularStream(const std::string& path)
{
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
}

bool removeFile(const std::string& path)
{
    if (!confinementProblem(path).empty()) return false;
    return ::unlink(path.c_str()) == 0;
}

std::string readProblem(const std::string& path)
{
    const std::string resolved = resolveExisting(path);
    if (std::string outside = confinementProblem(resolved); !outside.empty()) return outside;
    if (::access(resolved.c_str(), R_OK) != 0) return std::strerror(errno);
    if (directoryExists(resolved)) return std::strerror(EISDIR);
    struct stat st {};
    if (::stat(resolved.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return "not a regular file";
    return {};
}

std::string writeProblem(const std::string& path)
{
    const std::string resolved = resolveExisting(path);
    if (std::string outside = confinementProblem(resolved); !outside.empty()) return outside;
    if (fileExists(resolved) && ::access(resolved.c_str(), W_OK) != 0) return std::strerror(errno);
    // The nearest directory on the way that exists must take a new entry.
    std::filesystem::path dir = std::filesystem::path(resolved).parent_path();
    while (!dir.empty() && !directoryExists(dir.string())) {
        std::error_code ec;
        if (std::filesystem::exists(dir, ec)) return std::strerror(ENOTDIR); // a file where a directory must go
        dir = dir.parent_path();
    }
    const std::string where = dir.empty() ? std::string(".") : dir.string();
    if (::access(where.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    return {};
}

std::string lowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

} // namespace kalvenor
