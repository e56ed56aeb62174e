#include "base/confinement.h"

#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <vector>

namespace kalvenor {

namespace fs = std::filesystem;

namespace {

struct Confinement {
    std::mutex lock;
    fs::path root; // empty: not confined
    std::set<fs::path> permitted;
    std::vector<std::string> prefixes;
};

Confinement& state()
{
    static Confinement c;
    return c;
}

// The path with every link of the part that exists resolved, made absolute.
fs::path resolved(const fs::path& path)
{
    std::error_code ec;
    fs::path real = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? fs::path() : real;
}

bool inside(const fs::path& path, const fs::path& root)
{
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty()) continue; // a trailing separator
        if (p == path.end() || *p != *r) return false;
    }
    return true;
}

std::string judge(const fs::path& real)
{
    Confinement& c = state();
    std::lock_guard guard(c.lock);
    if (c.root.empty()) return {};
    if (!real.empty() && (inside(real, c.root) || c.permitted.contains(real))) return {};
    for (const std::string& prefix : c.prefixes)
        if (!real.empty() && real.string().starts_with(prefix) &&
            real.string().find('/', prefix.size()) == std::string::npos)
            return {};
    return "outside the directory " + c.root.string() + " the run is confined to";
}

bool confined()
{
    Confinement& c = state();
    std::lock_guard guard(c.lock);
    return !c.root.empty();
}

} // namespace

bool confineTo(const std::string& dir)
{
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return false;
    const fs::path root = fs::canonical(dir, ec);
    if (ec) return false;
    Confinement& c = state();
    std::lock_guard guard(c.lock);
    c.root = root;
    return true;
}

void permitFile(const std::string& path)
{
    const fs::path real = resolved(path);
    if (real.empty()) return;
    Confinement& c = state();
    std::lock_guard guard(c.lock);
    c.permitted.insert(real);
}

void permitPrefix(const std::string& base)
{
    const fs::path dir = resolved(fs::path(base).parent_path().empty() ? fs::path(".") : fs::path(base).parent_path());
    if (dir.empty()) return;
    const std::string prefix = (dir / fs::path(base).filename()).string();
    Confinement& c = state();
    std::lock_guard guard(c.lock);
    c.prefixes.push_back(prefix);
}

void endConfinement()
{
    Confinement& c = state();
    std::lock_guard guard(c.lock);
    c.root.clear();
    c.permitted.clear();
    c.prefixes.clear();
}

std::string confinementProblem(const std::string& path)
{
    if (!confined()) return {};
    return judge(resolved(path));
}

std::string confinementProblemOf(int fd)
{
    if (!confined()) return {};
    std::error_code ec;
    const fs::path real = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec);
    return judge(ec ? fs::path() : real);
}

} // namespace kalvenor
