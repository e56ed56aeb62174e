#include "files/scenery_import.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/byte_order.h"
#include "base/file_requests.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "model/scene_reset.h"
#include "terrain/remove_steps.h"

namespace kalvenor {

namespace {

constexpr std::string_view kMagic = "SANM";
constexpr std::string_view kHeaderTag = "DEMH";
constexpr std::string_view kDataTag = "DEM ";
constexpr std::size_t kTagBytes = 4;

// Offsets in the "DEMH" content.
constexpr std::size_t kRowsWord = 8;
constexpr std::size_t kSamplesWord = 12;
constexpr std::size_t kCommentOffset = 38;

constexpr std::uint8_t kDeltaEscape = 0x80;
constexpr std::int16_t kUnsetElevation = -32768;
constexpr int kGridAlign = 8;

// The whole file is held in memory; the largest landscape takes about 12 MB,
// so a file beyond what an int can count is refused rather than allocated.
constexpr std::uintmax_t kMaxFileBytes = INT_MAX;

constexpr std::string_view kTooBig = "Landscape file too big!";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

struct SceneryHeader {
    std::int32_t rows = 0;
    std::int32_t samples = 0; // per row
    std::string comment;
    std::size_t dataOffset = 0; // first byte of the "DEM " content
};

void reportNotFound(std::FILE* out, const std::string& path)
{
    if (out != nullptr) std::fprintf(out, "File (%s) not found\n", path.c_str());
}

// The whole file, or nothing with the failure printed on out.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path, std::FILE* out)
{
    const std::string resolved = resolveExisting(path);
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(resolved, ec);
    const std::uintmax_t size = regular ? std::filesystem::file_size(resolved, ec) : 0;
    std::unique_ptr<std::FILE, FileCloser> file(regular && !ec ? openRegularStream(resolved) : nullptr);
    if (!file) {
        reportNotFound(out, path);
        return std::nullopt;
    }

    std::vector<std::uint8_t> data;
    bool allocated = size <= kMaxFileBytes;
    try {
        if (allocated) data.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        if (out != nullptr)
            std::fprintf(out, "unable to allocate buffer! (%lld bytes)\n", static_cast<long long>(size));
        return std::nullopt;
    }
    // A file that shrank or cannot be read counts as one that is not there.
    if (std::fread(data.data(), 1, data.size(), file.get()) != data.size()) {
        reportNotFound(out, path);
        return std::nullopt;
    }
    return data;
}

// Offset of the first occurrence of tag anywhere in the file.
std::optional<std::size_t> findTag(const std::vector<std::uint8_t>& data, std::string_view tag)
{
    const auto at = std::search(data.begin(), data.end(), tag.begin(), tag.end(),
                                [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
    if (at == data.end()) return std::nullopt;
    return static_cast<std::size_t>(at - data.begin());
}

// The magic, both tags, the size words and the comment, each checked against
// the end of the file before it is read. Sizes are returned as stored.
std::optional<SceneryHeader> parseHeader(const std::vector<std::uint8_t>& data)
{
    if (data.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), data.begin())) return std::nullopt;
    const std::optional<std::size_t> headerTag = findTag(data, kHeaderTag);
    const std::optional<std::size_t> dataTag = findTag(data, kDataTag);
    if (!headerTag || !dataTag) return std::nullopt;

    // The header words and the comment's start must lie inside the file.
    const std::size_t header = *headerTag + kTagBytes;
    if (data.size() - header < kCommentOffset) return std::nullopt;
    // Not even the first sample of the first row: nothing to import.
    const std::size_t rows = *dataTag + kTagBytes;
    if (data.size() - rows < 2) return std::nullopt;

    SceneryHeader h;
    h.rows = static_cast<std::int32_t>(get32be(data.data() + header + kRowsWord));
    h.samples = static_cast<std::int32_t>(get32be(data.data() + header + kSamplesWord));
    // The comment ends at its terminator or, in a file cut short, at the end.
    const auto commentStart = data.begin() + static_cast<std::ptrdiff_t>(header + kCommentOffset);
    h.comment.assign(commentStart, std::find(commentStart, data.end(), std::uint8_t{0}));
    h.dataOffset = rows;
    return h;
}

// Each side rounded up to a multiple of 8, plus the margin. A side of 2049 or
// 2050 samples would round past the largest grid, which still holds it.
int gridSideFor(int samples) { return std::min((samples + kGridAlign - 1) / kGridAlign * kGridAlign + 2, kMaxGrid); }

// Makes room for rows x samples: resizes in automatic mode, checks the grid in fixed mode.
bool fitGrid(Landscape& land, RandomStreams& random, int rows, int samples)
{
    if (land.sizeMode == SizeMode::Automatic) {
        if (samples > kMaxGrid || rows > kMaxGrid) return false;
        return resizeLandscape(land, random, gridSideFor(samples), gridSideFor(rows)) == 1;
    }
    return samples <= land.gridWidth && rows <= land.gridHeight;
}

// Decodes count samples of one row that has no length of its own: the first
// sample in 2 bytes big-endian, then one signed byte per difference, the byte
// 0x80 escaping a whole 2-byte sample. Returns the bytes the row took; decoded
// is the number of samples found, fewer than count when the input ends first.
std::size_t decodeDeltaSamples(const std::uint8_t* in, std::size_t n, std::int16_t* out, std::size_t count,
                               std::size_t& decoded)
{
    std::size_t pos = 0;
    decoded = 0;
    if (count == 0 || n < 2) return 0;
    std::int16_t previous = static_cast<std::int16_t>(get16be(in));
    pos = 2;
    out[decoded++] = previous;
    while (decoded < count && pos < n) {
        if (in[pos] == kDeltaEscape) {
            if (n - pos < 3) break;
            previous = static_cast<std::int16_t>(get16be(in + pos + 1));
            pos += 3;
        } else {
            // Sums wrap to 16 bits like the samples they rebuild.
            previous = static_cast<std::int16_t>(previous + static_cast<std::int8_t>(in[pos]));
            pos += 1;
        }
        out[decoded++] = previous;
    }
    return pos;
}

// Decodes the rows into the grid from column 0 of row 0 onward. A row the
// data end in keeps what was decoded; the rest stays unset. Returns the lowest
// decoded elevation that counts as data, or 0 when there is none.
int decodeRows(Landscape& land, const std::vector<std::uint8_t>& data, const SceneryHeader& h)
{
    const auto samples = static_cast<std::size_t>(h.samples);
    std::size_t pos = h.dataOffset;
    int lowest = INT_MAX;
    for (int r = 0; r < h.rows && pos < data.size(); ++r) {
        std::int16_t* row = land.elevation[r];
        std::size_t decoded = 0;
        pos += decodeDeltaSamples(data.data() + pos, data.size() - pos, row, samples, decoded);
        for (std::size_t c = 0; c < decoded; ++c)
            if (row[c] >= kUnsetBelow && row[c] < lowest) lowest = row[c];
        if (decoded < samples) break;
    }
    return lowest == INT_MAX ? 0 : lowest;
}

void fillElevation(Landscape& land, std::int16_t value)
{
    for (int r = 0; r < land.gridHeight; ++r) std::fill_n(land.elevation[r], land.gridWidth, value);
}

// Cells the file did not cover take the fill rule's value, in row order, so a
// cell filled earlier counts for the cells after it.
void adjustUnsetCells(Landscape& land)
{
    fillUnsetInRowOrder(land.elevation);
}

} // namespace

int importSceneryAnimator(Landscape& land, RandomStreams& random, const std::string& path, Frontend& ui,
                          std::FILE* out)
{
    ui.status("LoadingLandscape");
    const std::optional<std::vector<std::uint8_t>> data = readWholeFile(path, out);
    if (!data) return 0;

    // Everything is validated before the grid is touched.
    const std::optional<SceneryHeader> header = parseHeader(*data);
    if (!header || header->rows <= 0 || header->samples <= 0) {
        if (out != nullptr) std::fputs("Not a Scenery Animator file!\n", out);
        return 0;
    }
    if (!fitGrid(land, random, header->rows, header->samples)) {
        ui.message(fileMessage(std::string(kTooBig), path));
        return 0;
    }

    fillElevation(land, kUnsetElevation);
    decodeRows(land, *data, *header);

    ui.status("Adjust Landscape");
    adjustUnsetCells(land);
    resetDerivedMaps(land);
    setLandscapeName(land, "Scenery Animator Landscape");
    setLandscapeComment(land, header->comment);
    computeElevationStatistics(land);
    land.modified = true;
    land.mapStale = true;
    return 1;
}

int importSceneryCommand(Landscape& land, SceneSettings& scene, RandomStreams& random, const std::string& directory,
                         Frontend& ui)
{
    const auto path = askLoadPath(ui, "Load Scenery File:", directory, "*.DEM");
    if (!path) return -1;
    if (importSceneryAnimator(land, random, *path, ui) != 1) return 0;
    resetForNewLandscape(land, scene);
    return 1;
}

} // namespace kalvenor
