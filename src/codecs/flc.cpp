#include "codecs/flc.h"

#include <algorithm>

#include "base/atomic_file.h"
#include "base/byte_cursor.h"
#include "base/byte_order.h"
#include "base/paths.h"
#include "codecs/growing_file.h"

namespace kalvenor {

namespace {

constexpr std::uint16_t kAspect = 1; // square pixels: 1 : 1
constexpr int kDosFirstYear = 1980;
constexpr int kDosLastYear = 1980 + 127; // seven bits of years
constexpr std::uint8_t kAllColours = 0;  // a palette packet count of 0 means 256
constexpr std::size_t kColours = 256;

bool tripleAt(std::span<const std::uint8_t> row, std::size_t p)
{
    return row[p] == row[p + 1] && row[p] == row[p + 2];
}

void putChunkHeader(std::vector<std::uint8_t>& out, std::size_t start, std::uint16_t type)
{
    put32le(&out[start], static_cast<std::uint32_t>(out.size() - start));
    put16le(&out[start + 4], type);
}

// One packet of all 256 colours.
void appendColourChunk(std::vector<std::uint8_t>& out, const PcxPalette& palette)
{
    const std::size_t start = out.size();
    out.resize(start + kFlcChunkHeaderBytes);
    out.push_back(1); // one packet, 16 bits
    out.push_back(0);
    out.push_back(0); // colours skipped before it
    out.push_back(kAllColours);
    out.insert(out.end(), palette.begin(), palette.end());
    putChunkHeader(out, start, kFlcColour256);
}

void appendByteRunChunk(std::vector<std::uint8_t>& out, const ImagePlane<std::uint8_t>& vidmem8, ImageSize s)
{
    const std::size_t start = out.size();
    out.resize(start + kFlcChunkHeaderBytes);
    const auto width = static_cast<std::size_t>(s.width);
    for (int row = 0; row < s.height; ++row) encodeFlcRow({vidmem8[row], width}, out);
    if ((out.size() - start) % 2 != 0) out.push_back(0); // chunks keep an even length
    putChunkHeader(out, start, kFlcByteRun);
}

std::uint8_t widenSixBits(std::uint8_t v)
{
    v &= 63;
    return static_cast<std::uint8_t>((v << 2) | (v >> 4));
}

// A palette chunk's packets applied to palette: each skips some entries and
// sets the next count (0 meaning 256). False when a packet reaches past entry
// 255 or past the chunk.
bool applyPaletteChunk(std::span<const std::uint8_t> data, bool sixBits, PcxPalette& palette)
{
    ByteCursor c(data);
    const int packets = c.get16le();
    std::size_t index = 0;
    for (int p = 0; p < packets; ++p) {
        index += c.get8();
        const std::uint8_t stated = c.get8();
        const std::size_t count = stated == kAllColours ? kColours : stated;
        if (c.failed || index > kColours || count > kColours - index) return false;
        const auto rgb = c.take(3 * count);
        if (c.failed) return false;
        for (std::size_t i = 0; i < rgb.size(); ++i)
            palette[3 * index + i] = sixBits ? widenSixBits(rgb[i]) : rgb[i];
        index += count;
    }
    return true;
}

// The chunks of one frame: sizes inside the frame, palettes applied.
bool scanFrame(std::span<const std::uint8_t> frame, FlcFileInfo& info)
{
    ByteCursor c(frame);
    c.skip(kFlcChunkHeaderBytes);
    const int chunks = c.get16le();
    c.seek(kFlcFrameHeaderBytes);
    for (int i = 0; i < chunks; ++i) {
        const std::size_t at = c.pos;
        const std::uint32_t size = c.get32le();
        const std::uint16_t type = c.get16le();
        if (c.failed || size < kFlcChunkHeaderBytes || size > frame.size() - at) return false;
        if (type == kFlcColour256 || type == kFlcColour64) {
            const auto data = frame.subspan(at + kFlcChunkHeaderBytes, size - kFlcChunkHeaderBytes);
            if (!applyPaletteChunk(data, type == kFlcColour64, info.palette)) return false;
            info.hasPalette = true;
        }
        c.seek(at + size);
    }
    return !c.failed;
}

// The header after one more frame of frameBytes written at offset `at`.
FlcHeaderBytes withFrameAdded(FlcHeaderBytes h, std::uint64_t at, std::size_t frameBytes, std::uint32_t when)
{
    const int frames = get16le(&h[kFlcFramesAt]) + 1;
    put32le(&h[kFlcSizeAt], static_cast<std::uint32_t>(at + frameBytes));
    put16le(&h[kFlcFramesAt], static_cast<std::uint16_t>(frames));
    put32le(&h[kFlcUpdatedAt], when);
    if (frames == 1) {
        // Players that loop go back to the second frame; it follows the first.
        put32le(&h[kFlcFirstFrameAt], static_cast<std::uint32_t>(at));
        put32le(&h[kFlcSecondFrameAt], static_cast<std::uint32_t>(at + frameBytes));
    }
    return h;
}

ImageStatus createWithFrame(FlcStream& stream, const ImagePlane<std::uint8_t>& vidmem8, ImageSize s,
                            const PcxPalette& palette, int frameRate, std::uint32_t when)
{
    const std::vector<std::uint8_t> frame = flcFrameBytes(vidmem8, s, &palette);
    const FlcHeaderBytes header =
        withFrameAdded(flcHeaderBytes(s.width, s.height, frameRate, when), kFlcHeaderBytes, frame.size(), when);
    AtomicFile file;
    if (!file.open(stream.path, FileMode::Binary)) return ImageStatus::WriteFailed;
    file.write(header.data(), header.size());
    file.write(frame.data(), frame.size());
    if (!file.commit()) return ImageStatus::WriteFailed;
    stream.palette = palette;
    stream.hasPalette = true;
    return ImageStatus::Ok;
}

} // namespace

std::uint32_t flcSpeed(int frameRate)
{
    const auto rate = static_cast<std::uint32_t>(std::max(frameRate, 1));
    return (2000 + rate) / (2 * rate); // 1000 / rate + 0.5, truncated
}

int flcFrameRate(std::uint32_t speed)
{
    if (speed == 0) return 0;
    const std::uint64_t s = speed;
    return std::max(1, static_cast<int>((2000 + s) / (2 * s)));
}

std::uint32_t dosDateTime(const std::tm& when)
{
    const int year = when.tm_year + 1900;
    if (year < kDosFirstYear) return (1u << 21) | (1u << 16); // 1 January 1980, midnight
    const auto field = [](int v, int lo, int hi) { return static_cast<std::uint32_t>(std::clamp(v, lo, hi)); };
    const std::uint32_t date = (field(year, kDosFirstYear, kDosLastYear) - kDosFirstYear) << 9 |
                               field(when.tm_mon + 1, 1, 12) << 5 | field(when.tm_mday, 1, 31);
    const std::uint32_t time =
        field(when.tm_hour, 0, 23) << 11 | field(when.tm_min, 0, 59) << 5 | field(when.tm_sec, 0, 59) / 2;
    return date << 16 | time;
}

std::uint32_t dosDateTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return dosDateTime(std::tm{});
    return dosDateTime(local);
}

FlcHeaderBytes flcHeaderBytes(int width, int height, int frameRate, std::uint32_t when)
{
    FlcHeaderBytes h = {};
    put32le(&h[kFlcSizeAt], static_cast<std::uint32_t>(kFlcHeaderBytes));
    put16le(&h[kFlcTypeAt], kFlcType);
    put16le(&h[kFlcWidthAt], static_cast<std::uint16_t>(width));
    put16le(&h[kFlcHeightAt], static_cast<std::uint16_t>(height));
    put16le(&h[kFlcDepthAt], kFlcDepth);
    put32le(&h[kFlcSpeedAt], flcSpeed(frameRate));
    put32le(&h[kFlcCreatedAt], when);
    put32le(&h[kFlcUpdatedAt], when);
    put16le(&h[kFlcAspectXAt], kAspect);
    put16le(&h[kFlcAspectYAt], kAspect);
    put32le(&h[kFlcFirstFrameAt], static_cast<std::uint32_t>(kFlcHeaderBytes));
    return h;
}

ImageStatus parseFlcHeader(std::span<const std::uint8_t> file, FlcHeader& header)
{
    if (file.size() < kFlcHeaderBytes) return ImageStatus::Truncated;
    if (get16le(&file[kFlcTypeAt]) != kFlcType) return ImageStatus::BadHeader;
    const int width = get16le(&file[kFlcWidthAt]);
    const int height = get16le(&file[kFlcHeightAt]);
    if (width < 1 || height < 1) return ImageStatus::BadHeader;
    if (get16le(&file[kFlcDepthAt]) != kFlcDepth) return ImageStatus::Unsupported;
    header.size = get32le(&file[kFlcSizeAt]);
    header.frames = get16le(&file[kFlcFramesAt]);
    header.width = width;
    header.height = height;
    header.speed = get32le(&file[kFlcSpeedAt]);
    return ImageStatus::Ok;
}

void encodeFlcRow(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out)
{
    const std::size_t countAt = out.size();
    out.push_back(0);
    unsigned packets = 0;
    std::size_t p = 0;
    while (p < row.size()) {
        const std::size_t r = row.size() - p;
        const std::size_t n = std::min<std::size_t>(r, kFlcLongestPacket);
        if (r >= 3 && tripleAt(row, p)) {
            std::size_t len = 3;
            while (len < n && row[p + len] == row[p]) ++len;
            out.push_back(static_cast<std::uint8_t>(len)); // a positive count repeats the byte
            out.push_back(row[p]);
            p += len;
        } else {
            std::size_t len = r < 3 ? r : n;
            for (std::size_t k = 1; r >= 3 && k + 2 < n; ++k) {
                if (tripleAt(row, p + k)) {
                    len = k;
                    break;
                }
            }
            out.push_back(static_cast<std::uint8_t>(-static_cast<int>(len))); // a negative count copies
            out.insert(out.end(), row.begin() + static_cast<std::ptrdiff_t>(p),
                       row.begin() + static_cast<std::ptrdiff_t>(p + len));
            p += len;
        }
        ++packets;
    }
    out[countAt] = static_cast<std::uint8_t>(packets); // only the low 8 bits are kept
}

std::vector<std::uint8_t> flcFrameBytes(const ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                                        const PcxPalette* palette)
{
    std::vector<std::uint8_t> out(kFlcFrameHeaderBytes, 0);
    // Room for the worst case: every row copied in packets of 127 behind its count byte.
    const auto width = static_cast<std::size_t>(std::max(size.width, 0));
    const auto rows = static_cast<std::size_t>(std::max(size.height, 0));
    out.reserve(kFlcFrameHeaderBytes + kFlcChunkHeaderBytes + 4 + 3 * kColours + kFlcChunkHeaderBytes +
                rows * (1 + width + width / kFlcLongestPacket + 1) + 1);
    std::uint16_t chunks = 0;
    if (palette != nullptr) {
        appendColourChunk(out, *palette);
        ++chunks;
    }
    appendByteRunChunk(out, vidmem8, size);
    ++chunks;
    putChunkHeader(out, 0, kFlcFrameType);
    put16le(&out[6], chunks);
    return out;
}

ImageStatus scanFlc(std::span<const std::uint8_t> file, FlcFileInfo& info)
{
    info = {};
    if (const ImageStatus st = parseFlcHeader(file, info.header); st != ImageStatus::Ok) return st;
    if (info.header.size < kFlcHeaderBytes) return ImageStatus::BadHeader;
    if (info.header.size > file.size()) return ImageStatus::Truncated;

    // Everything past the stated size (a frame cut short by an interrupted
    // write) is not part of the animation.
    const auto body = file.first(info.header.size);
    ByteCursor c(body);
    c.seek(kFlcHeaderBytes);
    int frames = 0;
    while (!c.atEnd()) {
        const std::size_t at = c.pos;
        const std::uint32_t size = c.get32le();
        const std::uint16_t type = c.get16le();
        if (c.failed) return ImageStatus::Truncated;
        if (size < kFlcChunkHeaderBytes || size > body.size() - at) return ImageStatus::BadHeader;
        if (type == kFlcFrameType) {
            if (size < kFlcFrameHeaderBytes || !scanFrame(body.subspan(at, size), info)) return ImageStatus::BadHeader;
            ++frames;
        } else if (type != kFlcPrefixType) {
            return ImageStatus::BadHeader;
        }
        c.seek(at + size);
    }
    // A loop frame (the change from the last frame back to the first) follows
    // the counted frames; new frames cannot go after it.
    if (frames == info.header.frames + 1) return ImageStatus::Unsupported;
    return frames == info.header.frames ? ImageStatus::Ok : ImageStatus::BadHeader;
}

ImageStatus readFlcInfo(const std::string& path, FlcFileInfo& info)
{
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    return scanFlc(file.bytes(), info);
}

ImageStatus openFlcStream(const std::string& path, FlcStream& stream)
{
    stream = {};
    stream.path = path;
    if (!fileExists(path)) return ImageStatus::Ok;
    FlcFileInfo info;
    const ImageStatus st = readFlcInfo(path, info);
    if (st != ImageStatus::Ok) return st;
    stream.hasPalette = info.hasPalette;
    stream.palette = info.palette;
    return ImageStatus::Ok;
}

ImageStatus appendFlcFrame(FlcStream& stream, const ImagePlane<std::uint8_t>& vidmem8, ImageSize size,
                           const PcxPalette& palette, int frameRate, std::uint32_t when)
{
    const ImageSize s = clippedSize(vidmem8, size);
    if (s.width <= 0 || s.height <= 0) return ImageStatus::NoBuffer;
    if (!fileExists(stream.path)) return createWithFrame(stream, vidmem8, s, palette, frameRate, when);

    GrowingFile file;
    std::uint64_t bytes = 0;
    if (!file.open(stream.path) || !file.size(bytes)) return ImageStatus::OpenFailed;
    FlcHeaderBytes before{};
    if (bytes < before.size() || !file.readAt(0, before)) return ImageStatus::Truncated;
    FlcHeader header;
    if (const ImageStatus st = parseFlcHeader(before, header); st != ImageStatus::Ok) return st;
    if (header.width != s.width || header.height != s.height) return ImageStatus::Unsupported;
    if (header.size < kFlcHeaderBytes || header.size > bytes) return ImageStatus::BadHeader;
    if (header.frames >= kFlcMostFrames) return ImageStatus::TooLarge;

    const bool newColours = !stream.hasPalette || stream.palette != palette;
    const std::vector<std::uint8_t> frame = flcFrameBytes(vidmem8, s, newColours ? &palette : nullptr);
    const std::uint64_t at = header.size;
    if (at + frame.size() > kFlcMostBytes) return ImageStatus::TooLarge;

    // The frame first, the header that counts it last; on any failure the
    // file goes back to the length and header it had.
    const FlcHeaderBytes after = withFrameAdded(before, at, frame.size(), when);
    if (!file.writeAt(at, frame) || !file.truncate(at + frame.size()) || !file.writeAt(0, after)) {
        file.truncate(at);
        file.writeAt(0, before);
        return ImageStatus::WriteFailed;
    }
    stream.palette = palette;
    stream.hasPalette = true;
    return ImageStatus::Ok;
}

} // namespace kalvenor
