#include "codecs/avi.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/atomic_file.h"
#include "base/byte_cursor.h"
#include "base/byte_order.h"

namespace kalvenor {

namespace {

constexpr std::uint32_t fourcc(const char (&s)[5])
{
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[0])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[3])) << 24;
}

constexpr std::uint32_t kRiff = fourcc("RIFF");
constexpr std::uint32_t kAvi = fourcc("AVI ");
constexpr std::uint32_t kList = fourcc("LIST");
constexpr std::uint32_t kHdrl = fourcc("hdrl");
constexpr std::uint32_t kAvih = fourcc("avih");
constexpr std::uint32_t kStrl = fourcc("strl");
constexpr std::uint32_t kStrh = fourcc("strh");
constexpr std::uint32_t kStrf = fourcc("strf");
constexpr std::uint32_t kMovi = fourcc("movi");
constexpr std::uint32_t kIdx1 = fourcc("idx1");
constexpr std::uint32_t kJunk = fourcc("JUNK");
constexpr std::uint32_t kVids = fourcc("vids");
constexpr std::uint32_t kDib = fourcc("DIB ");
constexpr std::uint32_t kFrameUncompressed = fourcc("00db");
constexpr std::uint32_t kFrameCompressed = fourcc("00dc");

constexpr std::size_t kChunkHeaderBytes = 8; // fourcc and size
constexpr std::size_t kListHeaderBytes = 12; // 'LIST', size, list type
constexpr std::uint32_t kRgb = 0;            // uncompressed bitmap
constexpr std::uint32_t kDefaultQuality = 0xFFFFFFFF;

// Offsets inside the headers.
constexpr std::size_t kAvihTotalFrames = 16;
constexpr std::size_t kAvihStreams = 24;
constexpr std::size_t kStrhType = 0;
constexpr std::size_t kStrhScale = 20;
constexpr std::size_t kStrhRate = 24;
constexpr std::size_t kStrhLength = 32;
constexpr std::size_t kStrhLengthEnd = 36; // a stream header must reach past the length
constexpr std::size_t kBmpWidth = 4;
constexpr std::size_t kBmpHeight = 8;
constexpr std::size_t kBmpBits = 14;
constexpr std::size_t kBmpCompression = 16;

// A chunk found while walking a list: its fourcc, where its data starts, its
// size, and (for a LIST) its list type.
struct Chunk {
    std::uint32_t id = 0;
    std::size_t at = 0; // offset of the fourcc within the walked span
    std::uint32_t size = 0;
    std::uint32_t listType = 0;
};

// The next chunk of span at c.pos, checked to lie inside the span; the cursor
// moves past it and its pad byte. False at a chunk that does not fit.
bool nextChunk(ByteCursor& c, Chunk& chunk)
{
    chunk.at = c.pos;
    chunk.id = c.get32le();
    chunk.size = c.get32le();
    if (c.failed || chunk.size > c.remaining()) return false;
    chunk.listType = 0;
    if (chunk.id == kList) {
        if (chunk.size < 4) return false;
        chunk.listType = get32le(&c.data[c.pos]);
    }
    const std::size_t next = chunk.at + kChunkHeaderBytes + chunk.size + (chunk.size & 1u);
    if (next > c.data.size()) return false;
    c.seek(next);
    return true;
}

std::span<const std::uint8_t> dataOf(std::span<const std::uint8_t> span, const Chunk& chunk)
{
    return span.subspan(chunk.at + kChunkHeaderBytes, chunk.size);
}

// The inside of LIST 'strl': stream type, rate and frame format.
bool parseStreamList(std::span<const std::uint8_t> list, std::uint64_t base, AviLayout& layout)
{
    ByteCursor c(list);
    bool header = false, format = false;
    Chunk chunk;
    while (!c.atEnd()) {
        if (!nextChunk(c, chunk)) return false;
        const auto data = dataOf(list, chunk);
        if (chunk.id == kStrh && !header) {
            if (data.size() < kStrhLengthEnd || get32le(&data[kStrhType]) != kVids) return false;
            layout.scale = get32le(&data[kStrhScale]);
            layout.rate = get32le(&data[kStrhRate]);
            layout.lengthAt = base + chunk.at + kChunkHeaderBytes + kStrhLength;
            header = true;
        } else if (chunk.id == kStrf && !format) {
            if (data.size() < kAviBitmapHeaderBytes) return false;
            const auto width = static_cast<std::int32_t>(get32le(&data[kBmpWidth]));
            const auto height = static_cast<std::int32_t>(get32le(&data[kBmpHeight]));
            if (width <= 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
                height < -kMaxImageSide)
                return false;
            layout.width = width;
            // A negative height stores rows from the top, which frames from
            // this writer are not; such a stream counts as another format.
            layout.height = height < 0 ? -height : height;
            layout.bits = get16le(&data[kBmpBits]);
            layout.compression = height < 0 ? ~kRgb : get32le(&data[kBmpCompression]);
            format = true;
        }
    }
    return header && format;
}

// The inside of LIST 'hdrl': one main header and exactly one stream.
bool parseHeaderList(std::span<const std::uint8_t> list, std::uint64_t base, AviLayout& layout)
{
    ByteCursor c(list);
    bool mainHeader = false;
    int streams = 0;
    Chunk chunk;
    while (!c.atEnd()) {
        if (!nextChunk(c, chunk)) return false;
        const auto data = dataOf(list, chunk);
        if (chunk.id == kAvih) {
            if (data.size() < kAviMainHeaderBytes || get32le(&data[kAvihStreams]) != 1) return false;
            layout.totalFramesAt = base + chunk.at + kChunkHeaderBytes + kAvihTotalFrames;
            mainHeader = true;
        } else if (chunk.id == kList && chunk.listType == kStrl) {
            if (++streams > 1) return false;
            if (!parseStreamList(data.subspan(4), base + chunk.at + kListHeaderBytes, layout)) return false;
        }
    }
    return mainHeader && streams == 1;
}

// The chunks of 'movi' (after its list type): frames and padding only.
bool scanMovi(std::span<const std::uint8_t> chunks, std::uint64_t base, AviLayout& layout)
{
    ByteCursor c(chunks);
    Chunk chunk;
    while (!c.atEnd()) {
        if (!nextChunk(c, chunk)) return false;
        if (chunk.id == kFrameUncompressed || chunk.id == kFrameCompressed) {
            // Offsets in the index count from the 'movi' fourcc, 4 bytes before these chunks.
            const std::uint64_t offset = base + chunk.at - layout.moviFourcc;
            layout.frames.push_back({static_cast<std::uint32_t>(offset), chunk.size, chunk.id});
        } else if (chunk.id != kJunk) {
            return false;
        }
    }
    return true;
}

void putFourcc(std::vector<std::uint8_t>& out, std::uint32_t id)
{
    const std::size_t at = out.size();
    out.resize(at + 4);
    put32le(&out[at], id);
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) { putFourcc(out, v); }

void put16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    const std::size_t at = out.size();
    out.resize(at + 2);
    put16le(&out[at], v);
}

void appendIndex(std::vector<std::uint8_t>& out, std::span<const AviFrameEntry> frames)
{
    putFourcc(out, kIdx1);
    put32(out, static_cast<std::uint32_t>(frames.size() * kAviIndexEntryBytes));
    for (const AviFrameEntry& f : frames) {
        putFourcc(out, f.fourcc);
        put32(out, kAviKeyFrame); // uncompressed frames stand alone
        put32(out, f.offset);
        put32(out, f.size);
    }
}

bool patch32(GrowingFile& file, std::uint64_t at, std::uint32_t value)
{
    std::array<std::uint8_t, 4> bytes{};
    put32le(bytes.data(), value);
    return file.writeAt(at, bytes);
}

// Writes the index of `frames` at moviEnd, ends the file after it and sets the
// sizes and counts that go with it. Used for a new frame and to undo one.
bool writeIndexAndCounts(AviWriter& w, std::uint64_t moviEnd, std::span<const AviFrameEntry> frames)
{
    std::vector<std::uint8_t> index;
    appendIndex(index, frames);
    const std::uint64_t end = moviEnd + index.size();
    const auto count = static_cast<std::uint32_t>(frames.size());
    bool ok = w.file.writeAt(moviEnd, index) && w.file.truncate(end);
    ok = ok && patch32(w.file, 4, static_cast<std::uint32_t>(end - kChunkHeaderBytes));
    ok = ok && patch32(w.file, w.layout.moviSizeAt, static_cast<std::uint32_t>(moviEnd - w.layout.moviFourcc));
    ok = ok && patch32(w.file, w.layout.totalFramesAt, count);
    return ok && patch32(w.file, w.layout.lengthAt, count);
}

// The frame chunk: vidmem24 from its bottom row up, blue, green, red, rows padded.
void buildFrameChunk(std::vector<std::uint8_t>& out, const ImagePlane<std::uint32_t>& vidmem24, ImageSize s,
                     std::uint32_t frameBytes)
{
    const std::uint32_t rowBytes = aviRowBytes(s.width);
    out.assign(kChunkHeaderBytes + frameBytes, 0);
    put32le(&out[0], kFrameUncompressed);
    put32le(&out[4], frameBytes);
    std::uint8_t* row = &out[kChunkHeaderBytes];
    for (int y = s.height - 1; y >= 0; --y, row += rowBytes) {
        const std::uint32_t* pixels = vidmem24[y];
        std::uint8_t* p = row;
        for (int x = 0; x < s.width; ++x, p += 3) {
            p[0] = pixelBlue(pixels[x]);
            p[1] = pixelGreen(pixels[x]);
            p[2] = pixelRed(pixels[x]);
        }
    }
}

AviOpenStatus startWriting(AviWriter& writer, const std::string& path, AviLayout layout)
{
    closeAvi(writer);
    if (!writer.file.open(path)) return AviOpenStatus::OpenFailed;
    writer.frameBytes = aviRowBytes(layout.width) * static_cast<std::uint32_t>(layout.height);
    writer.layout = std::move(layout);
    return AviOpenStatus::Ok;
}

} // namespace

std::uint32_t aviRowBytes(int width) { return (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u; }

AviOpenStatus parseAvi(std::span<const std::uint8_t> file, AviLayout& layout)
{
    layout = {};
    ByteCursor c(file);
    const std::uint32_t riff = c.get32le();
    const std::uint32_t riffSize = c.get32le();
    const std::uint32_t form = c.get32le();
    // The whole file must be the one RIFF chunk: data after it (a second
    // RIFF of an extended file) would be cut off by the next frame.
    if (c.failed || riff != kRiff || form != kAvi || riffSize + std::uint64_t{8} != file.size())
        return AviOpenStatus::OpenFailed;

    bool headers = false, movi = false, index = false;
    Chunk chunk;
    while (!c.atEnd()) {
        if (!nextChunk(c, chunk)) return AviOpenStatus::OpenFailed;
        // After 'movi' only its index may follow, and nothing after that.
        if (movi && (chunk.id != kIdx1 || index)) return AviOpenStatus::OpenFailed;
        const auto data = dataOf(file, chunk);
        if (chunk.id == kList && chunk.listType == kHdrl) {
            if (headers || !parseHeaderList(data.subspan(4), chunk.at + kListHeaderBytes, layout))
                return AviOpenStatus::OpenFailed;
            headers = true;
        } else if (chunk.id == kList && chunk.listType == kMovi) {
            if (!headers || chunk.size % 2 != 0) return AviOpenStatus::OpenFailed;
            layout.moviSizeAt = chunk.at + 4;
            layout.moviFourcc = chunk.at + kChunkHeaderBytes;
            layout.moviEnd = layout.moviFourcc + chunk.size;
            if (!scanMovi(data.subspan(4), chunk.at + kListHeaderBytes, layout)) return AviOpenStatus::OpenFailed;
            movi = true;
        } else if (chunk.id == kIdx1) {
            index = true;
        }
    }
    return movi ? AviOpenStatus::Ok : AviOpenStatus::OpenFailed;
}

std::vector<std::uint8_t> aviEmptyFileBytes(int width, int height, int frameRate)
{
    const auto rate = static_cast<std::uint32_t>(std::max(frameRate, 1));
    const std::uint32_t frameBytes = aviRowBytes(width) * static_cast<std::uint32_t>(height);
    const auto w = static_cast<std::uint32_t>(width);
    const auto h = static_cast<std::uint32_t>(height);
    const std::uint64_t perSecond = std::uint64_t{frameBytes} * rate;
    constexpr std::uint32_t strlBytes = 4 + kChunkHeaderBytes + kAviStreamHeaderBytes + kChunkHeaderBytes +
                                        kAviBitmapHeaderBytes;
    constexpr std::uint32_t hdrlBytes = 4 + kChunkHeaderBytes + kAviMainHeaderBytes + kChunkHeaderBytes + strlBytes;

    std::vector<std::uint8_t> out;
    putFourcc(out, kRiff);
    put32(out, 0); // set below
    putFourcc(out, kAvi);
    putFourcc(out, kList);
    put32(out, hdrlBytes);
    putFourcc(out, kHdrl);

    // Main header.
    putFourcc(out, kAvih);
    put32(out, kAviMainHeaderBytes);
    put32(out, (1000000 + rate / 2) / rate); // microseconds per frame, rounded
    put32(out, static_cast<std::uint32_t>(std::min<std::uint64_t>(perSecond, 0xFFFFFFFF)));
    put32(out, 0); // padding granularity
    put32(out, kAviHasIndex);
    put32(out, 0); // total frames
    put32(out, 0); // initial frames
    put32(out, 1); // streams
    put32(out, frameBytes); // suggested buffer size
    put32(out, w);
    put32(out, h);
    for (int i = 0; i < 4; ++i) put32(out, 0); // reserved

    // Stream header.
    putFourcc(out, kList);
    put32(out, strlBytes);
    putFourcc(out, kStrl);
    putFourcc(out, kStrh);
    put32(out, kAviStreamHeaderBytes);
    putFourcc(out, kVids);
    putFourcc(out, kDib);
    put32(out, 0); // flags
    put32(out, 0); // priority and language
    put32(out, 0); // initial frames
    put32(out, 1); // scale
    put32(out, rate);
    put32(out, 0); // start
    put32(out, 0); // length
    put32(out, frameBytes);
    put32(out, kDefaultQuality);
    put32(out, 0); // sample size: varies, one frame per chunk
    put16(out, 0); // frame rectangle: left, top, right, bottom
    put16(out, 0);
    put16(out, static_cast<std::uint16_t>(width));
    put16(out, static_cast<std::uint16_t>(height));

    // Stream format: the bitmap header of every frame.
    putFourcc(out, kStrf);
    put32(out, kAviBitmapHeaderBytes);
    put32(out, kAviBitmapHeaderBytes);
    put32(out, w);
    put32(out, h); // positive: rows from the bottom up
    put16(out, 1); // planes
    put16(out, kAviBits);
    put32(out, kRgb);
    put32(out, frameBytes);
    for (int i = 0; i < 4; ++i) put32(out, 0); // resolution and colour counts

    putFourcc(out, kList);
    put32(out, 4);
    putFourcc(out, kMovi);
    appendIndex(out, {});
    put32le(&out[4], static_cast<std::uint32_t>(out.size() - kChunkHeaderBytes));
    return out;
}

AviOpenStatus createAvi(AviWriter& writer, const std::string& path, int width, int height, int frameRate)
{
    closeAvi(writer);
    const std::vector<std::uint8_t> bytes = aviEmptyFileBytes(width, height, frameRate);
    AviLayout layout;
    if (parseAvi(bytes, layout) != AviOpenStatus::Ok) return AviOpenStatus::WriteFailed;
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return AviOpenStatus::WriteFailed;
    file.write(bytes.data(), bytes.size());
    if (!file.commit()) return AviOpenStatus::WriteFailed;
    return startWriting(writer, file.targetPath(), std::move(layout));
}

AviOpenStatus appendAvi(AviWriter& writer, const std::string& path, int width, int height)
{
    closeAvi(writer);
    AviLayout layout;
    {
        const MappedFile file(path);
        if (!file.ok()) return AviOpenStatus::OpenFailed;
        if (const AviOpenStatus st = parseAvi(file.bytes(), layout); st != AviOpenStatus::Ok) return st;
    }
    writer.layout = layout; // what was found, for the messages
    if (layout.width != width || layout.height != height) return AviOpenStatus::WrongSize;
    if (layout.bits <= 8) return AviOpenStatus::NotDirectColour;
    if (layout.bits != kAviBits || layout.compression != kRgb) return AviOpenStatus::WrongCodec;
    return startWriting(writer, path, std::move(layout));
}

ImageStatus writeAviFrame(AviWriter& writer, const ImagePlane<std::uint32_t>& vidmem24, ImageSize size)
{
    if (!writer.file.isOpen()) return ImageStatus::WriteFailed;
    const ImageSize s = clippedSize(vidmem24, size);
    if (s.width <= 0 || s.height <= 0) return ImageStatus::NoBuffer;
    AviLayout& layout = writer.layout;
    if (s.width != layout.width || s.height != layout.height) return ImageStatus::Unsupported;

    const std::uint64_t oldEnd = layout.moviEnd;
    const std::uint64_t newEnd = oldEnd + kChunkHeaderBytes + writer.frameBytes;
    const std::uint64_t fileEnd = newEnd + kChunkHeaderBytes + (layout.frames.size() + 1) * kAviIndexEntryBytes;
    if (fileEnd > writer.mostBytes) return ImageStatus::TooLarge;

    buildFrameChunk(writer.buffer, vidmem24, s, writer.frameBytes);
    layout.frames.push_back({static_cast<std::uint32_t>(oldEnd - layout.moviFourcc), writer.frameBytes,
                             kFrameUncompressed});
    if (!writer.file.writeAt(oldEnd, writer.buffer) || !writeIndexAndCounts(writer, newEnd, layout.frames)) {
        layout.frames.pop_back();
        writeIndexAndCounts(writer, oldEnd, layout.frames);
        return ImageStatus::WriteFailed;
    }
    layout.moviEnd = newEnd;
    return ImageStatus::Ok;
}

void closeAvi(AviWriter& writer)
{
    writer.file.close();
    writer.buffer.clear();
    writer.buffer.shrink_to_fit();
}

} // namespace kalvenor
