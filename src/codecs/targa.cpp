#include "codecs/targa.h"

#include <algorithm>

#include "base/atomic_file.h"
#include "base/byte_cursor.h"
#include "base/byte_order.h"
#include "base/file_requests.h"
#include "base/frontend.h"

namespace kalvenor {

namespace {

constexpr std::uint8_t kRunFlag = 128;
constexpr std::uint8_t kCountMask = 127;
constexpr std::uint32_t kColourMask = 0x00FFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr int kWrittenDepth = 24;

struct RowGeometry {
    int bytesPerPixel = 3;
    std::size_t rowBytes = 0;
};

// Fills one file row from run-length packets. A packet reaching past the row
// is read whole and its excess dropped; the next row starts with the next
// packet. False when the data ends first.
bool decodeRunLengthRow(ByteCursor& cursor, std::span<std::uint8_t> row, int bytesPerPixel)
{
    const auto pixelBytes = static_cast<std::size_t>(bytesPerPixel);
    std::size_t at = 0;
    while (at < row.size()) {
        const std::uint8_t c = cursor.get8();
        const std::size_t count = (c & kCountMask) + 1u;
        if (c & kRunFlag) {
            const auto pixel = cursor.take(pixelBytes);
            if (cursor.failed) return false;
            for (std::size_t k = 0; k < count && at < row.size(); ++k, at += pixelBytes)
                std::copy(pixel.begin(), pixel.end(), row.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
            const auto pixels = cursor.take(count * pixelBytes);
            if (cursor.failed) return false;
            const std::size_t keep = std::min(pixels.size(), row.size() - at);
            std::copy_n(pixels.begin(), keep, row.begin() + static_cast<std::ptrdiff_t>(at));
            at += keep;
        }
    }
    return true;
}

std::uint32_t opaqueWord(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return packPixel(r, g, b) | kOpaque; }

// ((255 - a) x old + a x new) / 255 per channel, truncated.
std::uint32_t blend(std::uint32_t old, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    const auto mix = [a](std::uint8_t o, std::uint8_t n) {
        return static_cast<std::uint8_t>(((255 - a) * o + a * n) / 255);
    };
    return packPixel(mix(pixelRed(old), r), mix(pixelGreen(old), g), mix(pixelBlue(old), b), 0);
}

// Converts the first w file pixels (blue, green, red[, alpha]) of a row into target words.
void convertRow(const std::uint8_t* src, int bytesPerPixel, int w, std::uint32_t* dst, TargaMode mode)
{
    const bool alpha = bytesPerPixel == 4;
    for (int x = 0; x < w; ++x, src += bytesPerPixel) {
        const std::uint8_t b = src[0], g = src[1], r = src[2];
        const std::uint8_t a = alpha ? src[3] : 255;
        const bool black = r == 0 && g == 0 && b == 0;
        switch (mode) {
        case TargaMode::Opaque: dst[x] = opaqueWord(r, g, b); break;
        case TargaMode::Keep:
            if (alpha)
                dst[x] = packPixel(r, g, b, a);
            else
                dst[x] = black ? 0u : opaqueWord(r, g, b);
            break;
        case TargaMode::Overlay:
            if (!alpha) {
                if (!black) dst[x] = opaqueWord(r, g, b);
            } else if (a == 255) {
                dst[x] = opaqueWord(r, g, b);
            } else if (a != 0) {
                dst[x] = blend(dst[x], r, g, b, a);
            }
            break;
        }
    }
}

void putPixel(std::vector<std::uint8_t>& out, std::uint32_t p)
{
    out.push_back(pixelBlue(p));
    out.push_back(pixelGreen(p));
    out.push_back(pixelRed(p));
}

bool sameColour(std::uint32_t a, std::uint32_t b) { return ((a ^ b) & kColourMask) == 0; }

void putRawPackets(std::vector<std::uint8_t>& out, std::span<const std::uint32_t> pixels)
{
    while (!pixels.empty()) {
        const std::size_t n = std::min<std::size_t>(pixels.size(), kTargaLongestPacket);
        out.push_back(static_cast<std::uint8_t>(n - 1));
        for (std::size_t k = 0; k < n; ++k) putPixel(out, pixels[k]);
        pixels = pixels.subspan(n);
    }
}

void putRunPackets(std::vector<std::uint8_t>& out, std::uint32_t pixel, std::size_t count)
{
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, kTargaLongestPacket);
        out.push_back(static_cast<std::uint8_t>((n - 1) | kRunFlag));
        putPixel(out, pixel);
        count -= n;
    }
}

ImageStatus loadWithBackdrop(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path,
                             TargaMode mode)
{
    const PixelView view = viewOf(vidmem24, size);
    if (!view.valid()) return ImageStatus::NoBuffer;
    if (mode == TargaMode::Opaque) clearView(view);
    TargaHeader header;
    return loadTarga(path, view, mode, header);
}

int chooseBackdrop(Frontend& ui, const std::string& title, std::int32_t& flag, std::string& file,
                   const std::string& directory)
{
    const auto path = askLoadPath(ui, title, directory, "*.TGA");
    if (!path) {
        flag = 0;
        return -1;
    }
    file = *path;
    flag = 1;
    return 1;
}

} // namespace

ImageStatus parseTargaHeader(std::span<const std::uint8_t> file, TargaHeader& header)
{
    ByteCursor cursor(file);
    const auto h = cursor.take(kTargaHeaderBytes);
    if (cursor.failed) return ImageStatus::Truncated;
    const int type = h[kTargaImageType];
    const int depth = h[kTargaDepth];
    if (type != kTargaUncompressed && type != kTargaRunLength) return ImageStatus::BadHeader;
    if (depth != 24 && depth != 32) return ImageStatus::BadHeader;
    const int width = get16le(&h[kTargaWidth]);
    const int height = get16le(&h[kTargaHeight]);
    if (width == 0 || height == 0) return ImageStatus::BadHeader;
    if (static_cast<std::size_t>(width) * static_cast<std::size_t>(depth / 8) > kRowBufferBytes)
        return ImageStatus::TooLarge;

    std::size_t offset = kTargaHeaderBytes + h[kTargaIdLength];
    if (h[kTargaColourMapType] != 0)
        offset += (static_cast<std::size_t>(get16le(&h[kTargaMapLength])) * h[kTargaMapEntryBits]) >> 3;
    header = {type, width, height, depth, (h[kTargaDescriptor] & kTargaTopDown) != 0, offset};
    return ImageStatus::Ok;
}

ImageStatus decodeTarga(std::span<const std::uint8_t> file, const PixelView& target, TargaMode mode,
                        TargaHeader& header)
{
    if (!target.valid()) return ImageStatus::NoBuffer;
    if (const ImageStatus st = parseTargaHeader(file, header); st != ImageStatus::Ok) return st;
    const int w = std::min(header.width, target.width);
    const int h = std::min(header.height, target.height);
    const int bytesPerPixel = header.depth / 8;
    const std::size_t rowBytes = static_cast<std::size_t>(header.width) * static_cast<std::size_t>(bytesPerPixel);

    ByteCursor cursor(file);
    cursor.seek(header.dataOffset);
    if (cursor.failed) return ImageStatus::Truncated;
    std::array<std::uint8_t, kRowBufferBytes> buffer;
    const std::span<std::uint8_t> packed(buffer.data(), rowBytes);
    for (int i = 0; i < h; ++i) {
        const std::uint8_t* src = nullptr;
        if (header.imageType == kTargaRunLength) {
            if (!decodeRunLengthRow(cursor, packed, bytesPerPixel)) return ImageStatus::Truncated;
            src = packed.data();
        } else {
            const auto row = cursor.take(rowBytes);
            if (cursor.failed) return ImageStatus::Truncated;
            src = row.data();
        }
        convertRow(src, bytesPerPixel, w, target.row(header.topDown ? i : h - 1 - i), mode);
    }
    return ImageStatus::Ok;
}

ImageStatus loadTarga(const std::string& path, const PixelView& target, TargaMode mode, TargaHeader& header)
{
    if (!target.valid()) return ImageStatus::NoBuffer;
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    return decodeTarga(file.bytes(), target, mode, header);
}

ImageStatus readTargaSize(const std::string& path, int& width, int& height)
{
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    TargaHeader header;
    const ImageStatus st = parseTargaHeader(file.bytes(), header);
    if (st != ImageStatus::Ok) return st;
    if (!targaDataCanFill(header, file.bytes().size())) return ImageStatus::Truncated;
    width = header.width;
    height = header.height;
    return ImageStatus::Ok;
}

bool targaDataCanFill(const TargaHeader& header, std::size_t fileSize)
{
    const std::uint64_t pixels = static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(header.height);
    const std::uint64_t pixelBytes = static_cast<std::uint64_t>(header.depth / 8);
    const std::uint64_t least =
        header.imageType == kTargaRunLength
            ? (pixels + kTargaLongestPacket - 1) / kTargaLongestPacket * (1 + pixelBytes)
            : pixels * pixelBytes;
    return header.dataOffset <= fileSize && least <= fileSize - header.dataOffset;
}

void encodeTargaRow(std::span<const std::uint32_t> row, std::vector<std::uint8_t>& out)
{
    while (!row.empty()) {
        // The next run: three equal pixels, looked for only while p < remaining - 3.
        const std::ptrdiff_t remaining = static_cast<std::ptrdiff_t>(row.size());
        std::ptrdiff_t p = 0;
        bool found = false;
        for (; p < remaining - 3; ++p) {
            const auto at = static_cast<std::size_t>(p);
            if (sameColour(row[at], row[at + 1]) && sameColour(row[at], row[at + 2])) {
                found = true;
                break;
            }
        }
        const auto literals = found ? static_cast<std::size_t>(p) : row.size();
        putRawPackets(out, row.first(literals));
        row = row.subspan(literals);
        if (row.empty()) break;
        std::size_t count = 1;
        while (count < row.size() && sameColour(row[count], row[0])) ++count;
        putRunPackets(out, row[0], count);
        row = row.subspan(count);
    }
}

std::array<std::uint8_t, kTargaHeaderBytes> targaHeaderBytes(int width, int height, bool compress)
{
    std::array<std::uint8_t, kTargaHeaderBytes> h = {};
    h[kTargaImageType] = compress ? kTargaRunLength : kTargaUncompressed;
    put16le(&h[kTargaWidth], static_cast<std::uint16_t>(width));
    put16le(&h[kTargaHeight], static_cast<std::uint16_t>(height));
    h[kTargaDepth] = kWrittenDepth;
    return h;
}

ImageStatus writeTarga(const std::string& path, int width, int height, bool compress,
                       const std::function<void(int, std::span<std::uint32_t>)>& rowAt)
{
    if (width <= 0 || height <= 0 || height > 0xFFFF || static_cast<std::size_t>(width) * 3 > kRowBufferBytes)
        return ImageStatus::BadArgument;
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return ImageStatus::WriteFailed;
    const auto header = targaHeaderBytes(width, height, compress);
    file.write(header.data(), header.size());

    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width));
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 4 + kTargaLongestPacket);
    for (int i = 0; i < height; ++i) {
        rowAt(i, pixels);
        bytes.clear();
        if (compress)
            encodeTargaRow(pixels, bytes);
        else
            for (const std::uint32_t p : pixels) putPixel(bytes, p);
        if (!file.write(bytes.data(), bytes.size())) return ImageStatus::WriteFailed;
    }
    return file.commit() ? ImageStatus::Ok : ImageStatus::WriteFailed;
}

ImageStatus saveTarga(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const std::string& path, bool compress)
{
    const PixelView view = viewOf(vidmem24, size);
    if (!view.valid()) return ImageStatus::NoBuffer;
    return writeTarga(path, view.width, view.height, compress, [&](int i, std::span<std::uint32_t> row) {
        const std::uint32_t* src = view.row(view.height - 1 - i);
        std::copy_n(src, row.size(), row.begin());
    });
}

ImageStatus loadBackground(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const RenderSettings& render)
{
    if (!render.background) return ImageStatus::Ok;
    return loadWithBackdrop(vidmem24, size, render.backgroundFile, TargaMode::Opaque);
}

ImageStatus applyForeground(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, const RenderSettings& render)
{
    if (!render.foreground) return ImageStatus::Ok;
    return loadWithBackdrop(vidmem24, size, render.foregroundFile, TargaMode::Overlay);
}

int commandChooseBackground(Frontend& ui, RenderSettings& render, const std::string& directory)
{
    return chooseBackdrop(ui, "Targa Background", render.background, render.backgroundFile, directory);
}

int commandChooseForeground(Frontend& ui, RenderSettings& render, const std::string& directory)
{
    return chooseBackdrop(ui, "Targa Foreground", render.foreground, render.foregroundFile, directory);
}

} // namespace kalvenor
