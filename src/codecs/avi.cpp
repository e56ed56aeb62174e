#include "codecs/avi.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/atomic_file.h"
#include "base/byte_cursor.h"
#include "base/byte_order.h"
#include "codecs/jpeg.h"

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
constexpr std::uint32_t kAvix = fourcc("AVIX");
constexpr std::uint32_t kIndx = fourcc("indx");
constexpr std::uint32_t kIx00 = fourcc("ix00");
constexpr std::uint32_t kOdml = fourcc("odml");
constexpr std::uint32_t kDmlh = fourcc("dmlh");
constexpr std::uint32_t kMjpg = fourcc("MJPG");

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
constexpr std::size_t kStrhHandler = 4;

// AVI 2.0 indexes.
constexpr std::size_t kIndexHeaderBytes = 24;    // both kinds: entry size, kind, entries, chunk id, base or reserved
constexpr std::size_t kSuperEntryBytes = 16;     // offset (64 bits), size, frames
constexpr std::size_t kChunkEntryBytes = 8;      // offset from the base, size
constexpr std::uint8_t kIndexOfIndexes = 0;
constexpr std::uint8_t kIndexOfChunks = 1;
constexpr std::size_t kIndexEntriesInUse = 4;    // offset of the entry count in an index's data
constexpr std::size_t kDmlhBytes = 248;
constexpr std::size_t kSegmentHeaderBytes = 24;  // 'RIFF', size, 'AVIX', 'LIST', size, 'movi'

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
            (void)kStrhHandler; // the handler is a hint; the bitmap header's compression decides
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
        } else if (chunk.id == kIndx && !layout.openDml) {
            // A super index: 4 words an entry, entries pointing at standard indexes.
            if (data.size() < kIndexHeaderBytes || get16le(&data[0]) != 4 || data[3] != kIndexOfIndexes) return false;
            layout.openDml = true;
            layout.superIndexAt = base + chunk.at + kChunkHeaderBytes;
            layout.superIndexRoom = static_cast<std::uint32_t>((data.size() - kIndexHeaderBytes) / kSuperEntryBytes);
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
        } else if (chunk.id == kList && chunk.listType == kOdml) {
            ByteCursor inner(data.subspan(4));
            Chunk dmlh;
            while (!inner.atEnd()) {
                if (!nextChunk(inner, dmlh)) return false;
                if (dmlh.id == kDmlh && dmlh.size >= 4) layout.dmlhAt = base + chunk.at + kListHeaderBytes + dmlh.at +
                                                                        kChunkHeaderBytes;
            }
        }
    }
    // An AVI 2.0 stream counts its frames in 'dmlh' too.
    if (layout.openDml && layout.dmlhAt == 0) return false;
    return mainHeader && streams == 1;
}

// The chunks of one 'movi' list (after its list type, which stands at
// moviFourcc): frames, their standard index and padding only. The segment
// records its frames.
bool scanMovi(std::span<const std::uint8_t> chunks, std::uint64_t moviFourcc, AviLayout& layout, AviSegment& segment)
{
    const std::uint64_t base = moviFourcc + 4;
    segment.moviFourcc = moviFourcc;
    segment.moviSizeAt = moviFourcc - 4;
    segment.framesEnd = base;
    segment.firstFrame = layout.frames.size();
    ByteCursor c(chunks);
    Chunk chunk;
    while (!c.atEnd()) {
        if (!nextChunk(c, chunk)) return false;
        if (chunk.id == kFrameUncompressed || chunk.id == kFrameCompressed) {
            layout.frames.push_back({base + chunk.at, chunk.size, chunk.id});
            segment.framesEnd = base + c.pos;
        } else if (chunk.id != kJunk && !(chunk.id == kIx00 && layout.openDml)) {
            return false;
        }
    }
    segment.frameCount = layout.frames.size() - segment.firstFrame;
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

void put64(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    put32(out, static_cast<std::uint32_t>(v));
    put32(out, static_cast<std::uint32_t>(v >> 32));
}

// The 'idx1' of the first RIFF's frames: offsets from its 'movi' fourcc. Every frame is a key frame.
void appendIndex(std::vector<std::uint8_t>& out, std::span<const AviFrameEntry> frames, std::uint64_t moviFourcc)
{
    putFourcc(out, kIdx1);
    put32(out, static_cast<std::uint32_t>(frames.size() * kAviIndexEntryBytes));
    for (const AviFrameEntry& f : frames) {
        putFourcc(out, f.fourcc);
        put32(out, kAviKeyFrame);
        put32(out, static_cast<std::uint32_t>(f.at - moviFourcc));
        put32(out, f.size);
    }
}

// The standard index 'ix00' of one RIFF's frames: offsets of their data from
// the RIFF's start, which stays below 4 GiB within a RIFF.
void appendChunkIndex(std::vector<std::uint8_t>& out, std::span<const AviFrameEntry> frames, std::uint32_t frameId,
                      std::uint64_t base)
{
    putFourcc(out, kIx00);
    put32(out, static_cast<std::uint32_t>(kIndexHeaderBytes + frames.size() * kChunkEntryBytes));
    put16(out, 2);
    out.push_back(0);
    out.push_back(kIndexOfChunks);
    put32(out, static_cast<std::uint32_t>(frames.size()));
    putFourcc(out, frameId);
    put64(out, base);
    put32(out, 0);
    for (const AviFrameEntry& f : frames) {
        put32(out, static_cast<std::uint32_t>(f.at + kChunkHeaderBytes - base));
        put32(out, f.size); // bit 31 clear: a key frame
    }
}

// Where the bytes of a file being written go: the file itself, or memory for a new one.
struct FileSink {
    GrowingFile& file;
    bool writeAt(std::uint64_t at, std::span<const std::uint8_t> data) { return file.writeAt(at, data); }
    bool truncate(std::uint64_t end) { return file.truncate(end); }
};

struct MemorySink {
    std::vector<std::uint8_t>& bytes;
    bool writeAt(std::uint64_t at, std::span<const std::uint8_t> data)
    {
        if (bytes.size() < at + data.size()) bytes.resize(at + data.size());
        std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return true;
    }
    bool truncate(std::uint64_t end)
    {
        bytes.resize(end);
        return true;
    }
};

template <class Sink>
bool patch32(Sink& sink, std::uint64_t at, std::uint32_t value)
{
    std::array<std::uint8_t, 4> bytes{};
    put32le(bytes.data(), value);
    return sink.writeAt(at, bytes);
}

std::uint32_t frameIdOf(AviCodec codec) { return codec == AviCodec::MotionJpeg ? kFrameCompressed : kFrameUncompressed; }

// Writes the indexes of the last RIFF after its frames, ends the file after
// them and sets every size and count that goes with the frames. Used for a new
// frame and to undo one.
template <class Sink>
bool writeTail(Sink& sink, const AviLayout& layout, std::uint32_t frameId)
{
    const std::size_t last = layout.segments.size() - 1;
    const AviSegment& seg = layout.segments[last];
    const std::span<const AviFrameEntry> frames(layout.frames.data() + seg.firstFrame, seg.frameCount);
    std::vector<std::uint8_t> tail;
    if (layout.openDml) appendChunkIndex(tail, frames, frameId, seg.riffAt);
    const std::uint64_t moviEnd = seg.framesEnd + tail.size();
    if (last == 0) appendIndex(tail, frames, seg.moviFourcc);
    const std::uint64_t end = seg.framesEnd + tail.size();
    bool ok = sink.writeAt(seg.framesEnd, tail) && sink.truncate(end);
    ok = ok && patch32(sink, seg.riffAt + 4, static_cast<std::uint32_t>(end - seg.riffAt - kChunkHeaderBytes));
    ok = ok && patch32(sink, seg.moviSizeAt, static_cast<std::uint32_t>(moviEnd - seg.moviFourcc));
    const auto total = static_cast<std::uint32_t>(layout.frames.size());
    if (layout.openDml) {
        // One super index entry per RIFF, the one after the last cleared (undoing a new RIFF).
        std::vector<std::uint8_t> entry;
        put64(entry, seg.framesEnd);
        put32(entry, static_cast<std::uint32_t>(kChunkHeaderBytes + kIndexHeaderBytes +
                                                frames.size() * kChunkEntryBytes));
        put32(entry, static_cast<std::uint32_t>(seg.frameCount));
        if (last + 1 < layout.superIndexRoom) entry.resize(2 * kSuperEntryBytes, 0);
        const std::uint64_t entries = layout.superIndexAt + kIndexHeaderBytes;
        ok = ok && sink.writeAt(entries + last * kSuperEntryBytes, entry);
        ok = ok && patch32(sink, layout.superIndexAt + kIndexEntriesInUse, static_cast<std::uint32_t>(last + 1));
        ok = ok && patch32(sink, layout.dmlhAt, total);
    }
    // The main header counts the frames of the first RIFF; the stream all of them.
    const auto first = static_cast<std::uint32_t>(layout.segments.front().frameCount);
    ok = ok && patch32(sink, layout.totalFramesAt, layout.openDml ? first : total);
    return ok && patch32(sink, layout.lengthAt, total);
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

// The Motion JPEG chunk: the picture as a baseline JPEG, padded to an even size.
bool buildJpegChunk(AviWriter& w, const ImagePlane<std::uint32_t>& vidmem24, ImageSize s, std::uint32_t& dataBytes)
{
    if (encodeJpeg(viewOf(const_cast<ImagePlane<std::uint32_t>&>(vidmem24), s), w.jpegQuality, w.jpeg) !=
        ImageStatus::Ok)
        return false;
    dataBytes = static_cast<std::uint32_t>(w.jpeg.size());
    w.buffer.assign(kChunkHeaderBytes, 0);
    put32le(&w.buffer[0], kFrameCompressed);
    put32le(&w.buffer[4], dataBytes);
    w.buffer.insert(w.buffer.end(), w.jpeg.begin(), w.jpeg.end());
    if (dataBytes & 1u) w.buffer.push_back(0);
    return true;
}

AviOpenStatus startWriting(AviWriter& writer, const std::string& path, AviLayout layout, AviCodec codec)
{
    closeAvi(writer);
    if (!writer.file.open(path)) return AviOpenStatus::OpenFailed;
    writer.codec = codec;
    writer.frameBytes = aviRowBytes(layout.width) * static_cast<std::uint32_t>(layout.height);
    // An AVI 2.0 file grows by RIFFs; the first layout stops at 2 GiB.
    writer.mostBytes = layout.openDml ? UINT64_MAX : kAviMostBytes;
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
    if (c.failed || riff != kRiff || form != kAvi || riffSize + std::uint64_t{8} > file.size())
        return AviOpenStatus::OpenFailed;
    const std::size_t firstEnd = riffSize + std::size_t{8};

    // The first RIFF: headers, 'movi', its index, nothing after that.
    ByteCursor first(file.first(firstEnd));
    first.seek(kListHeaderBytes);
    bool headers = false, movi = false, index = false;
    Chunk chunk;
    while (!first.atEnd()) {
        if (!nextChunk(first, chunk)) return AviOpenStatus::OpenFailed;
        if (movi && (chunk.id != kIdx1 || index)) return AviOpenStatus::OpenFailed;
        const auto data = dataOf(file, chunk);
        if (chunk.id == kList && chunk.listType == kHdrl) {
            if (headers || !parseHeaderList(data.subspan(4), chunk.at + kListHeaderBytes, layout))
                return AviOpenStatus::OpenFailed;
            headers = true;
        } else if (chunk.id == kList && chunk.listType == kMovi) {
            if (!headers || chunk.size % 2 != 0) return AviOpenStatus::OpenFailed;
            AviSegment segment;
            segment.riffAt = 0;
            if (!scanMovi(data.subspan(4), chunk.at + kChunkHeaderBytes, layout, segment))
                return AviOpenStatus::OpenFailed;
            layout.segments.push_back(segment);
            movi = true;
        } else if (chunk.id == kIdx1) {
            index = true;
        }
    }
    if (!movi) return AviOpenStatus::OpenFailed;

    // Then, in an AVI 2.0 file only, RIFF 'AVIX' chunks of one 'movi' each: the
    // whole file must be these RIFFs, as the next frame cuts off what follows.
    std::size_t at = firstEnd;
    while (at < file.size()) {
        if (!layout.openDml || layout.segments.size() >= layout.superIndexRoom) return AviOpenStatus::OpenFailed;
        ByteCursor r(file.subspan(at));
        const std::uint32_t id = r.get32le();
        const std::uint32_t size = r.get32le();
        const std::uint32_t type = r.get32le();
        if (r.failed || id != kRiff || type != kAvix || size < 4 || size > file.size() - at - kChunkHeaderBytes ||
            size % 2 != 0)
            return AviOpenStatus::OpenFailed;
        const auto body = file.subspan(at, size + kChunkHeaderBytes);
        ByteCursor inner(body);
        inner.seek(kListHeaderBytes);
        bool found = false;
        while (!inner.atEnd()) {
            if (!nextChunk(inner, chunk)) return AviOpenStatus::OpenFailed;
            if (chunk.id == kList && chunk.listType == kMovi && !found && chunk.size % 2 == 0) {
                AviSegment segment;
                segment.riffAt = at;
                if (!scanMovi(dataOf(body, chunk).subspan(4), at + chunk.at + kChunkHeaderBytes, layout, segment))
                    return AviOpenStatus::OpenFailed;
                layout.segments.push_back(segment);
                found = true;
            } else if (chunk.id != kJunk) {
                return AviOpenStatus::OpenFailed;
            }
        }
        if (!found) return AviOpenStatus::OpenFailed;
        at += body.size();
    }
    return AviOpenStatus::Ok;
}

std::vector<std::uint8_t> aviEmptyFileBytes(int width, int height, int frameRate, AviCodec codec)
{
    const auto rate = static_cast<std::uint32_t>(std::max(frameRate, 1));
    const std::uint32_t frameBytes = aviRowBytes(width) * static_cast<std::uint32_t>(height);
    const auto w = static_cast<std::uint32_t>(width);
    const auto h = static_cast<std::uint32_t>(height);
    const std::uint64_t perSecond = std::uint64_t{frameBytes} * rate;
    const bool jpeg = codec == AviCodec::MotionJpeg;
    constexpr std::uint32_t superIndexBytes = kIndexHeaderBytes + kAviSuperIndexEntries * kSuperEntryBytes;
    constexpr std::uint32_t strlBytes = 4 + kChunkHeaderBytes + kAviStreamHeaderBytes + kChunkHeaderBytes +
                                        kAviBitmapHeaderBytes + kChunkHeaderBytes + superIndexBytes;
    constexpr std::uint32_t odmlBytes = 4 + kChunkHeaderBytes + kDmlhBytes;
    constexpr std::uint32_t hdrlBytes = 4 + kChunkHeaderBytes + kAviMainHeaderBytes + kChunkHeaderBytes + strlBytes +
                                        kChunkHeaderBytes + odmlBytes;

    std::vector<std::uint8_t> out;
    putFourcc(out, kRiff);
    put32(out, 0); // set with the index
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
    putFourcc(out, jpeg ? kMjpg : kDib);
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
    put32(out, jpeg ? kMjpg : kRgb);
    put32(out, jpeg ? w * h * 3 : frameBytes);
    for (int i = 0; i < 4; ++i) put32(out, 0); // resolution and colour counts

    // Super index, filled in with the frames.
    putFourcc(out, kIndx);
    put32(out, superIndexBytes);
    put16(out, 4);
    out.push_back(0);
    out.push_back(kIndexOfIndexes);
    put32(out, 0); // entries in use
    putFourcc(out, frameIdOf(codec));
    out.resize(out.size() + 12 + kAviSuperIndexEntries * kSuperEntryBytes, 0);

    putFourcc(out, kList);
    put32(out, odmlBytes);
    putFourcc(out, kOdml);
    putFourcc(out, kDmlh);
    put32(out, kDmlhBytes);
    out.resize(out.size() + kDmlhBytes, 0);

    putFourcc(out, kList);
    put32(out, 4);
    putFourcc(out, kMovi);

    // The empty 'movi' gets its indexes, and the sizes and counts, as after every frame.
    put32le(&out[4], static_cast<std::uint32_t>(out.size() - kChunkHeaderBytes));
    AviLayout layout;
    if (parseAvi(out, layout) != AviOpenStatus::Ok) return {};
    MemorySink sink{out};
    writeTail(sink, layout, frameIdOf(codec));
    return out;
}

AviOpenStatus createAvi(AviWriter& writer, const std::string& path, int width, int height, int frameRate,
                        AviCodec codec)
{
    closeAvi(writer);
    const std::vector<std::uint8_t> bytes = aviEmptyFileBytes(width, height, frameRate, codec);
    AviLayout layout;
    if (parseAvi(bytes, layout) != AviOpenStatus::Ok) return AviOpenStatus::WriteFailed;
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return AviOpenStatus::WriteFailed;
    file.write(bytes.data(), bytes.size());
    if (!file.commit()) return AviOpenStatus::WriteFailed;
    return startWriting(writer, file.targetPath(), std::move(layout), codec);
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
    AviCodec codec = AviCodec::Uncompressed;
    if (layout.bits == kAviBits && layout.compression == kMjpg) codec = AviCodec::MotionJpeg;
    else if (layout.bits != kAviBits || layout.compression != kRgb) return AviOpenStatus::WrongCodec;
    // Frames already there must be of the codec's kind, so the indexes can name them all alike.
    const std::uint32_t id = frameIdOf(codec);
    for (const AviFrameEntry& f : layout.frames)
        if (f.fourcc != id) return AviOpenStatus::WrongCodec;
    return startWriting(writer, path, std::move(layout), codec);
}

ImageStatus writeAviFrame(AviWriter& writer, const ImagePlane<std::uint32_t>& vidmem24, ImageSize size)
{
    if (!writer.file.isOpen()) return ImageStatus::WriteFailed;
    const ImageSize s = clippedSize(vidmem24, size);
    if (s.width <= 0 || s.height <= 0) return ImageStatus::NoBuffer;
    AviLayout& layout = writer.layout;
    if (s.width != layout.width || s.height != layout.height) return ImageStatus::Unsupported;

    std::uint32_t dataBytes = writer.frameBytes;
    if (writer.codec == AviCodec::MotionJpeg) {
        if (!buildJpegChunk(writer, vidmem24, s, dataBytes)) return ImageStatus::WriteFailed;
    } else {
        buildFrameChunk(writer.buffer, vidmem24, s, writer.frameBytes);
    }
    const std::uint64_t chunkBytes = writer.buffer.size();

    // The indexes after the frames of a RIFF holding n frames.
    const auto tailBytes = [&](std::size_t segment, std::size_t n) {
        std::uint64_t bytes = 0;
        if (layout.openDml) bytes += kChunkHeaderBytes + kIndexHeaderBytes + n * kChunkEntryBytes;
        if (segment == 0) bytes += kChunkHeaderBytes + n * kAviIndexEntryBytes;
        return bytes;
    };
    const std::vector<AviSegment> before = layout.segments;
    AviSegment* seg = &layout.segments.back();
    std::uint64_t segmentEnd = seg->framesEnd + chunkBytes + tailBytes(layout.segments.size() - 1, seg->frameCount + 1);
    bool newSegment = false;
    if (layout.openDml && seg->frameCount > 0 && segmentEnd - seg->riffAt > writer.segmentBytes) {
        // This RIFF is full: the frame starts the next one, after the end of the file.
        if (layout.segments.size() >= layout.superIndexRoom) return ImageStatus::TooLarge;
        const std::uint64_t fileEnd = seg->framesEnd + tailBytes(layout.segments.size() - 1, seg->frameCount);
        AviSegment next;
        next.riffAt = fileEnd;
        next.moviSizeAt = fileEnd + 16;
        next.moviFourcc = fileEnd + 20;
        next.framesEnd = fileEnd + kSegmentHeaderBytes;
        next.firstFrame = layout.frames.size();
        layout.segments.push_back(next);
        seg = &layout.segments.back();
        segmentEnd = seg->framesEnd + chunkBytes + tailBytes(layout.segments.size() - 1, 1);
        newSegment = true;
    }
    if (segmentEnd > writer.mostBytes) {
        layout.segments = before;
        return ImageStatus::TooLarge;
    }

    bool ok = true;
    if (newSegment) {
        std::vector<std::uint8_t> header;
        putFourcc(header, kRiff);
        put32(header, 0); // set with the index
        putFourcc(header, kAvix);
        putFourcc(header, kList);
        put32(header, 4);
        putFourcc(header, kMovi);
        ok = writer.file.writeAt(seg->riffAt, header);
    }
    layout.frames.push_back({seg->framesEnd, dataBytes, frameIdOf(writer.codec)});
    const std::uint64_t frameAt = seg->framesEnd;
    seg->framesEnd += chunkBytes;
    ++seg->frameCount;
    FileSink sink{writer.file};
    if (!ok || !writer.file.writeAt(frameAt, writer.buffer) || !writeTail(sink, layout, frameIdOf(writer.codec))) {
        layout.frames.pop_back();
        layout.segments = before;
        writeTail(sink, layout, frameIdOf(writer.codec));
        return ImageStatus::WriteFailed;
    }
    return ImageStatus::Ok;
}

void closeAvi(AviWriter& writer)
{
    writer.file.close();
    writer.buffer.clear();
    writer.buffer.shrink_to_fit();
}

} // namespace kalvenor
