#include "files/cloud_file.h"

#include <algorithm>

#include "base/file_requests.h"
#include "base/frontend.h"
#include "codecs/pcx.h"

namespace kalvenor {

namespace {

constexpr int kSide = 256;
constexpr std::size_t kPatternBytes = static_cast<std::size_t>(kSide) * kSide;

PcxPalette greyRamp()
{
    PcxPalette p;
    for (std::size_t i = 0; i < 256; ++i) p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = static_cast<std::uint8_t>(i);
    return p;
}

} // namespace

ImageStatus saveCloudPattern(const std::string& path, const std::vector<std::uint8_t>& pattern)
{
    if (pattern.size() != kPatternBytes) return ImageStatus::BadArgument;
    const auto rowAt = [&](int k, std::span<std::uint8_t> row) {
        const auto* source = pattern.data() + static_cast<std::size_t>(kSide - 1 - k) * kSide;
        std::copy_n(source, kSide, row.begin());
    };
    return writePcx(path, kSide, kSide, rowAt, greyRamp());
}

ImageStatus decodeCloudPattern(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& pattern)
{
    PcxHeader header;
    if (parsePcxHeader(file, header) != ImageStatus::Ok) {
        // The older raw layout: the bytes themselves, row 0 first.
        if (file.size() < kPatternBytes) return ImageStatus::Truncated;
        pattern.assign(file.begin(), file.begin() + kPatternBytes);
        return ImageStatus::Ok;
    }
    // Decoded into a copy, which replaces the pattern only when the whole picture was there.
    std::vector<std::uint8_t> decoded = pattern;
    decoded.resize(kPatternBytes);
    std::array<std::uint8_t, 256> grey{};
    PcxPalette palette;
    if (pcxTrailingPalette(file, false, palette)) {
        for (std::size_t i = 0; i < 256; ++i)
            grey[i] = static_cast<std::uint8_t>((30 * palette[3 * i] + 59 * palette[3 * i + 1] + 11 * palette[3 * i + 2]) / 100);
    } else {
        for (std::size_t i = 0; i < 256; ++i) grey[i] = static_cast<std::uint8_t>(i); // no palette: the index itself
    }
    const int rows = std::min(kSide, header.height);
    const std::size_t columns = static_cast<std::size_t>(std::min(kSide, header.width));
    const ImageStatus status = decodePcxRows(file, header, rows, [&](int k, std::span<const std::uint8_t> row) {
        std::uint8_t* target = decoded.data() + static_cast<std::size_t>(kSide - 1 - k) * kSide;
        for (std::size_t x = 0; x < columns && x < row.size(); ++x) target[x] = grey[row[x]];
    });
    if (status != ImageStatus::Ok) return status;
    pattern = std::move(decoded);
    return ImageStatus::Ok;
}

ImageStatus loadCloudPattern(const std::string& path, std::vector<std::uint8_t>& pattern)
{
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    return decodeCloudPattern(file.bytes(), pattern);
}

int saveCloudPatternCommand(Frontend& ui, const std::vector<std::uint8_t>& pattern, const std::string& directory)
{
    const auto path = askSavePath(ui, "Save Cloud Pattern", directory, "*.CLD", ".CLD");
    if (!path) return 0;
    if (saveCloudPattern(*path, pattern) == ImageStatus::Ok) return 1;
    ui.message(fileMessage(kErrorWritingFile, *path));
    return 0;
}

int loadCloudPatternCommand(Frontend& ui, std::vector<std::uint8_t>& pattern, const std::string& directory)
{
    const auto path = askLoadPath(ui, "Load Cloud Pattern", directory, "*.CLD");
    if (!path) return 0;
    const ImageStatus status = loadCloudPattern(*path, pattern);
    if (status == ImageStatus::Ok) return 1;
    ui.message(fileMessage(status == ImageStatus::OpenFailed ? kErrorOpeningFile : kErrorReadingFile, *path));
    return 0;
}

} // namespace kalvenor
