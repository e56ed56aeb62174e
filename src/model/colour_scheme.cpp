#include "model/colour_scheme.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/paths.h"

namespace kalvenor {

namespace {

constexpr std::size_t kOldHeaderBytes = 2048;
constexpr std::size_t kOldSchemeOffset = 1024;
constexpr std::size_t kMagicField = 32;
constexpr std::string_view kOldMagic = "Kalve DEM File";

static_assert(kOldSchemeOffset + kSchemeBytes == kOldHeaderBytes, "the scheme ends the old header");

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The magic field holds a zero-terminated string; bytes after the terminator do not count.
bool hasOldMagic(const std::uint8_t* header)
{
    static_assert(kOldMagic.size() < kMagicField);
    for (std::size_t i = 0; i < kOldMagic.size(); ++i)
        if (header[i] != static_cast<std::uint8_t>(kOldMagic[i])) return false;
    return header[kOldMagic.size()] == 0;
}

} // namespace

void fillUnsetSchemeEntries(ColourScheme& scheme)
{
    for (const DefaultSchemeColour& d : kDefaultSchemeColours) {
        std::uint8_t* entry = scheme.data() + d.offset;
        if (entry[0] != 0 || entry[1] != 0 || entry[2] != 0 || entry[3] != 0) continue;
        entry[1] = d.red;
        entry[2] = d.green;
        entry[3] = d.blue;
    }
}

SchemeLoadStatus loadSchemeOldLayout(const std::string& path, ColourScheme& scheme)
{
    std::unique_ptr<std::FILE, FileCloser> file(openRegularStream(resolveExisting(path)));
    if (!file) return SchemeLoadStatus::OpenFailed;
    std::array<std::uint8_t, kOldHeaderBytes> header{};
    if (std::fread(header.data(), 1, header.size(), file.get()) != header.size()) return SchemeLoadStatus::NotOldLayout;
    if (!hasOldMagic(header.data())) return SchemeLoadStatus::NotOldLayout;
    std::memcpy(scheme.data(), header.data() + kOldSchemeOffset, kSchemeBytes);
    fillUnsetSchemeEntries(scheme);
    return SchemeLoadStatus::Ok;
}

} // namespace kalvenor
