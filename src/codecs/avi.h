// AVI, written by our own RIFF writer: one video stream of uncompressed 24-bit
// frames from vidmem24, each a bottom-up device-independent bitmap (blue,
// green, red per pixel, rows padded to 4 bytes), with an "idx1" index.
//
//   RIFF 'AVI '
//     LIST 'hdrl'
//       'avih' (56 bytes)   main header: frame time, frame count, size
//       LIST 'strl'
//         'strh' (56)       'vids', 'DIB ', scale 1, rate = frame rate, length
//         'strf' (40)       bitmap header: width, height, 1 plane, 24 bits, uncompressed
//     LIST 'movi'
//       '00db' frame ...    one chunk per frame
//     'idx1'                16 bytes per frame: '00db', key frame, offset from 'movi', size
//
// The file is complete after every frame: the frame and a new index are
// written where the old index stood, then the sizes and counts in the headers.
// A failed write puts the file back as it was. Files stay below 2 GiB, the
// largest size every reader of plain RIFF takes; a frame that would pass it
// is refused (TooLarge) and the file keeps the frames before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/growing_file.h"
#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor {

constexpr std::uint64_t kAviMostBytes = 0x7FFFFFFF;
constexpr std::size_t kAviMainHeaderBytes = 56;
constexpr std::size_t kAviStreamHeaderBytes = 56;
constexpr std::size_t kAviBitmapHeaderBytes = 40;
constexpr std::size_t kAviIndexEntryBytes = 16;
constexpr std::uint32_t kAviHasIndex = 0x10;  // main header flag
constexpr std::uint32_t kAviKeyFrame = 0x10;  // index entry flag
constexpr std::uint16_t kAviBits = 24;

// The bytes of one stored row: 3 per pixel, padded to a multiple of 4.
std::uint32_t aviRowBytes(int width);

// What opening an existing file found out, and why it cannot be continued.
enum class AviOpenStatus {
    Ok,
    OpenFailed,      // not there, not readable, or not an AVI whose layout we can extend
    WrongSize,       // the stream's frame size is not the image size
    NotDirectColour, // the stream has 8 bits per pixel
    WrongCodec,      // the stream is not uncompressed 24-bit bottom-up frames
    WriteFailed,     // a new file could not be written
};

// One frame chunk in 'movi': where its fourcc stands, counted from the 'movi'
// fourcc (as the index counts), and its data size.
struct AviFrameEntry {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t fourcc = 0;
};

// The parts of an AVI that appending touches, as offsets in the file.
struct AviLayout {
    int width = 0;
    int height = 0;
    int bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t rate = 0;
    std::uint32_t scale = 0;
    std::uint64_t moviFourcc = 0;    // the 'movi' fourcc; index offsets count from here
    std::uint64_t moviEnd = 0;       // end of the last chunk in 'movi': the index goes here
    std::uint64_t moviSizeAt = 0;    // the size field of LIST 'movi'
    std::uint64_t totalFramesAt = 0; // main header frame count
    std::uint64_t lengthAt = 0;      // stream header length
    std::vector<AviFrameEntry> frames;
};

// Parses a whole file held in memory. Everything is checked before use: each
// chunk must lie inside its list, the file must be a RIFF 'AVI ' with one
// video stream whose 'movi' list is followed by nothing but its index, and
// 'movi' may hold only frame chunks ('00db', '00dc') and padding ('JUNK').
// Anything else gives OpenFailed: such a file is not one this writer can
// extend. The stream's format is reported, not judged.
AviOpenStatus parseAvi(std::span<const std::uint8_t> file, AviLayout& layout);

// An AVI being written; the file stays open for the whole run.
struct AviWriter {
    GrowingFile file;
    AviLayout layout;
    std::uint32_t frameBytes = 0;
    std::uint64_t mostBytes = kAviMostBytes;
    std::vector<std::uint8_t> buffer; // the frame chunk and the index, reused
};

// The bytes of a new AVI without frames.
std::vector<std::uint8_t> aviEmptyFileBytes(int width, int height, int frameRate);

// A new file (replacing any file of that name only when it is written whole).
AviOpenStatus createAvi(AviWriter& writer, const std::string& path, int width, int height, int frameRate);

// An existing file to add frames to: its stream must be width x height
// (WrongSize), not 8-bit (NotDirectColour), and uncompressed bottom-up 24-bit
// frames of the size those take (WrongCodec). layout receives what was found
// also when the stream does not fit, for the messages.
AviOpenStatus appendAvi(AviWriter& writer, const std::string& path, int width, int height);

// Appends vidmem24 at the image size as the next frame. NoBuffer without
// vidmem24, Unsupported at another size than the file's, TooLarge when the file would
// pass writer.mostBytes, WriteFailed when a write fails (the file is put back
// as it was before the frame).
ImageStatus writeAviFrame(AviWriter& writer, const ImagePlane<std::uint32_t>& vidmem24, ImageSize size);

void closeAvi(AviWriter& writer);

} // namespace kalvenor
