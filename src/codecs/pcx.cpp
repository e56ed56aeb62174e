#include "codecs/pcx.h"

#include <algorithm>
#include <cstring>

#include "base/atomic_file.h"
#include "base/byte_order.h"
#include "base/file_requests.h"
#include "base/frontend.h"

namespace kalvenor {

namespace {

constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kVersion = 5;
constexpr std::uint8_t kRunLength = 1;
constexpr std::uint8_t kBits = 8;
constexpr std::uint8_t kPlanes = 1;

// A byte with both top bits set is a count byte; its low six bits are the count.
constexpr std::uint8_t kCountFlag = 192;
constexpr std::uint8_t kCountMask = 63;
constexpr int kLongestRun = 63;

void putRun(std::vector<std::uint8_t>& out, int n, std::uint8_t value)
{
    out.push_back(static_cast<std::uint8_t>(kCountFlag + n));
    out.push_back(value);
}

} // namespace

ImageStatus parsePcxHeader(std::span<const std::uint8_t> file, PcxHeader& header)
{
    ByteCursor cursor(file);
    const auto h = cursor.take(kPcxHeaderBytes);
    if (cursor.failed) return ImageStatus::Truncated;
    if (h[kPcxVersion] != kVersion || h[kPcxBitsPerPixel] != kBits || h[kPcxPlanes] != kPlanes ||
        h[kPcxEncoding] != kRunLength)
        return ImageStatus::BadHeader;
    const int width = get16le(&h[kPcxXMax]) + 1 - get16le(&h[kPcxXMin]);
    const int height = get16le(&h[kPcxYMax]) + 1 - get16le(&h[kPcxYMin]);
    if (width <= 0 || height <= 0) return ImageStatus::BadHeader;
    if (width > kPcxMaxLine) return ImageStatus::TooLarge;
    // Other writers pad lines to an even length and say so here; decoding at
    // the width alone would then shift every later row. A stored length
    // shorter than the width is not believed.
    const int stored = get16le(&h[kPcxBytesPerLine]);
    const int lineBytes = std::max(width, stored);
    if (lineBytes > kPcxMaxLine) return ImageStatus::TooLarge;
    header = {width, height, lineBytes};
    return ImageStatus::Ok;
}

std::array<std::uint8_t, kPcxHeaderBytes> pcxHeaderBytes(int width, int height)
{
    std::array<std::uint8_t, kPcxHeaderBytes> h = {};
    h[kPcxManufacturer] = kManufacturer;
    h[kPcxVersion] = kVersion;
    h[kPcxEncoding] = kRunLength;
    h[kPcxBitsPerPixel] = kBits;
    put16le(&h[kPcxXMax], static_cast<std::uint16_t>(width - 1));
    put16le(&h[kPcxYMax], static_cast<std::uint16_t>(height - 1));
    put16le(&h[kPcxHorizontalDpi], static_cast<std::uint16_t>(width));
    put16le(&h[kPcxVerticalDpi], static_cast<std::uint16_t>(height));
    // The 16-colour palette: black first, the rest white.
    std::fill_n(&h[kPcxEgaPalette + 3], kPcxEgaPaletteBytes - 3, std::uint8_t{255});
    h[kPcxPlanes] = kPlanes;
    put16le(&h[kPcxBytesPerLine], static_cast<std::uint16_t>(width));
    return h;
}

void encodePcxRow(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out)
{
    if (row.empty()) return;
    std::uint8_t b = row[0];
    int n = 1;
    for (std::size_t i = 1; i < row.size(); ++i) {
        const std::uint8_t v = row[i];
        if (v == b) {
            // At 64 the first 63 go out and the 64th starts the next run.
            if (++n == kLongestRun + 1) {
                putRun(out, kLongestRun, b);
                n = 1;
            }
            continue;
        }
        // A lone value of 192 or more would read as a count byte: it needs a count of 1.
        if (n > 1 || b >= kCountFlag)
            putRun(out, n, b);
        else
            out.push_back(b);
        b = v;
        n = 1;
    }
    if (n < 2 && b < kCountFlag)
        out.push_back(b);
    else
        putRun(out, n, b);
}

bool decodePcxRow(ByteCursor& cursor, std::span<std::uint8_t> line)
{
    std::size_t x = 0;
    while (x < line.size()) {
        const std::uint8_t c = cursor.get8();
        if (cursor.failed) return false;
        if ((c & kCountFlag) != kCountFlag) {
            line[x++] = c;
            continue;
        }
        const std::uint8_t value = cursor.get8();
        if (cursor.failed) return false;
        const std::size_t n = std::min<std::size_t>(c & kCountMask, line.size() - x);
        std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(x), n, value);
        x += n;
    }
    return true;
}

ImageStatus decodePcxRows(std::span<const std::uint8_t> file, const PcxHeader& header, int rows,
                          const std::function<void(int, std::span<const std::uint8_t>)>& sink)
{
    std::array<std::uint8_t, kPcxMaxLine> buffer;
    const std::span<std::uint8_t> line(buffer.data(), static_cast<std::size_t>(header.lineBytes));
    ByteCursor cursor(file);
    cursor.seek(kPcxHeaderBytes);
    for (int k = 0; k < rows; ++k) {
        if (!decodePcxRow(cursor, line)) return ImageStatus::Truncated;
        sink(k, line);
    }
    return ImageStatus::Ok;
}

bool pcxTrailingPalette(std::span<const std::uint8_t> file, bool requireMarker, PcxPalette& palette)
{
    const std::size_t block = requireMarker ? kPcxPaletteBlockBytes : kPcxPaletteBytes;
    if (file.size() < kPcxHeaderBytes + block) return false;
    const auto tail = file.subspan(file.size() - block);
    if (requireMarker && tail[0] != kPcxPaletteMarker) return false;
    std::copy(tail.end() - static_cast<std::ptrdiff_t>(kPcxPaletteBytes), tail.end(), palette.begin());
    return true;
}

ImageStatus writePcx(const std::string& path, int width, int height,
                     const std::function<void(int, std::span<std::uint8_t>)>& rowAt, const PcxPalette& palette)
{
    if (width <= 0 || height <= 0 || width > kPcxMaxLine || height > kPcxMaxLine) return ImageStatus::BadArgument;
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return ImageStatus::WriteFailed;
    const auto header = pcxHeaderBytes(width, height);
    file.write(header.data(), header.size());

    std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
    std::vector<std::uint8_t> packed;
    packed.reserve(row.size() * 2);
    for (int k = 0; k < height; ++k) {
        rowAt(k, row);
        packed.clear();
        encodePcxRow(row, packed);
        if (!file.write(packed.data(), packed.size())) return ImageStatus::WriteFailed;
    }
    file.write(&kPcxPaletteMarker, 1);
    file.write(palette.data(), palette.size());
    return file.commit() ? ImageStatus::Ok : ImageStatus::WriteFailed;
}

PcxPalette paletteFromDisplay(const DisplayPalette& display)
{
    PcxPalette p;
    for (std::size_t i = 0; i < 256; ++i)
        for (std::size_t c = 0; c < 3; ++c) p[3 * i + c] = display.entries[4 * i + 1 + c];
    return p;
}

void installInDisplay(const PcxPalette& palette, DisplayPalette& display)
{
    for (std::size_t i = 0; i < 256; ++i) {
        display.entries[4 * i] = 0;
        for (std::size_t c = 0; c < 3; ++c) display.entries[4 * i + 1 + c] = palette[3 * i + c];
    }
}

ImageStatus savePcx(const ImagePlane<std::uint8_t>& vidmem8, ImageSize size, const DisplayPalette& display,
                    const std::string& path)
{
    const ImageSize s = clippedSize(vidmem8, size);
    if (s.width <= 0 || s.height <= 0) return ImageStatus::NoBuffer;
    return writePcx(
        path, s.width, s.height,
        [&](int k, std::span<std::uint8_t> row) { std::copy_n(vidmem8[k], row.size(), row.begin()); },
        paletteFromDisplay(display));
}

ImageStatus decodePcxImage(std::span<const std::uint8_t> file, ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                           DisplayPalette& display, PcxHeader& header)
{
    const ImageSize s = clippedSize(vidmem8, size);
    if (s.width <= 0 || s.height <= 0) return ImageStatus::NoBuffer;
    if (const ImageStatus st = parsePcxHeader(file, header); st != ImageStatus::Ok) return st;
    PcxPalette palette;
    if (pcxTrailingPalette(file, true, palette)) installInDisplay(palette, display);
    const int rows = std::min(header.height, s.height);
    const auto columns = static_cast<std::size_t>(std::min(header.width, s.width));
    return decodePcxRows(file, header, rows, [&](int k, std::span<const std::uint8_t> line) {
        std::copy_n(line.begin(), columns, vidmem8[k]);
    });
}

ImageStatus loadPcx(const std::string& path, ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                    DisplayPalette& display, PcxHeader& header)
{
    if (!vidmem8.allocated()) return ImageStatus::NoBuffer;
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    return decodePcxImage(file.bytes(), vidmem8, size, display, header);
}

ImageStatus loadPcxPalette(const std::string& path, PcxPalette& loaded, bool& installed)
{
    installed = false;
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    PcxHeader header;
    if (const ImageStatus st = parsePcxHeader(file.bytes(), header); st != ImageStatus::Ok)
        return st == ImageStatus::TooLarge ? ImageStatus::BadHeader : st;
    PcxPalette palette;
    if (pcxTrailingPalette(file.bytes(), true, palette)) {
        loaded = palette;
        installed = true;
    }
    return ImageStatus::Ok;
}

int pcxResult(ImageStatus status)
{
    switch (status) {
    case ImageStatus::Ok: return 1;
    case ImageStatus::BadHeader: return -3;
    case ImageStatus::TooLarge: return -5;
    default: return 0;
    }
}

int commandSavePcx(Frontend& ui, const ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                   const DisplayPalette& display, const std::string& directory)
{
    const auto path = askSavePath(ui, "Save PCX file", directory, "*.PCX", ".PCX");
    if (!path) return -1;
    ui.status("Saving PCX File");
    if (savePcx(vidmem8, size, display, *path) == ImageStatus::Ok) return 1;
    ui.message(fileMessage(kErrorWritingFile, *path));
    return 0;
}

int commandLoadPcx(Frontend& ui, ImagePlane<std::uint8_t>& vidmem8, ImageSize size, DisplayPalette& display,
                   LoadedImageInfo& info, const std::string& directory)
{
    const auto path = askLoadPath(ui, "Load PCX file", directory, "*.PCX");
    if (!path) return -1;
    PcxHeader header;
    if (loadPcx(*path, vidmem8, size, display, header) != ImageStatus::Ok) {
        info = {};
        ui.message(fileMessage(kErrorReadingFile, *path));
        return 0;
    }
    info = {header.width, header.height, 8};
    return 1;
}

int commandLoadPcxPalette(Frontend& ui, DisplayPalette& display, const std::string& directory)
{
    const auto path = askLoadPath(ui, "Load PCX Palette", directory, "*.PCX");
    if (!path) return -1;
    PcxPalette loaded = {};
    bool installed = false;
    if (loadPcxPalette(*path, loaded, installed) != ImageStatus::Ok) {
        ui.message(fileMessage(kErrorReadingFile, *path));
        return 0;
    }
    if (!installed) {
        ui.message(*path + " holds no 256-colour palette.");
        return 0;
    }
    installInDisplay(loaded, display);
    return 1;
}

} // namespace kalvenor
