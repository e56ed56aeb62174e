// AVI, written by our own RIFF writer: one video stream of 24-bit frames from
// vidmem24, either uncompressed (each a bottom-up device-independent bitmap:
// blue, green, red per pixel, rows padded to 4 bytes) or Motion JPEG (each a
// baseline JPEG at the JPEG quality setting).
//
// New files are AVI 2.0 (OpenDML), so that they may grow past 2 GiB:
//
//   RIFF 'AVI '
//     LIST 'hdrl'
//       'avih' (56 bytes)   main header: frame time, frames in this first RIFF, size
//       LIST 'strl'
//         'strh' (56)       'vids', 'DIB ' or 'MJPG', scale 1, rate = frame rate, length = all frames
//         'strf' (40)       bitmap header: width, height, 1 plane, 24 bits, uncompressed or 'MJPG'
//         'indx' (4120)     super index: one entry (offset, size, frames) per RIFF's 'ix00', room for 256
//       LIST 'odml'
//         'dmlh' (248)      all frames
//     LIST 'movi'
//       '00db' or '00dc'    one chunk per frame
//       'ix00'              standard index of this RIFF's frames: offset from the RIFF, size
//     'idx1'                16 bytes per frame of this RIFF: fourcc, key frame, offset from 'movi', size
//   RIFF 'AVIX'             when the one before holds 1 GiB: more frames, the same way
//     LIST 'movi'
//       frames ... 'ix00'
//
// Files of the first AVI layout (a single RIFF without 'indx', uncompressed)
// are continued as they are, up to 2 GiB.
//
// The file is complete after every frame: the frame and new indexes are
// written where the old indexes stood, then the sizes and counts in the
// headers. A failed write puts the file back as it was.
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

constexpr std::uint64_t kAviMostBytes = 0x7FFFFFFF;          // a file of the first layout
constexpr std::uint64_t kAviSegmentBytes = std::uint64_t{1} << 30; // one RIFF of an AVI 2.0 file
constexpr std::uint32_t kAviSuperIndexEntries = 256;
constexpr std::size_t kAviMainHeaderBytes = 56;
constexpr std::size_t kAviStreamHeaderBytes = 56;
constexpr std::size_t kAviBitmapHeaderBytes = 40;
constexpr std::size_t kAviIndexEntryBytes = 16;
constexpr std::uint32_t kAviHasIndex = 0x10;  // main header flag
constexpr std::uint32_t kAviKeyFrame = 0x10;  // index entry flag
constexpr std::uint16_t kAviBits = 24;

// The bytes of one stored row: 3 per pixel, padded to a multiple of 4.
std::uint32_t aviRowBytes(int width);

enum class AviCodec { Uncompressed, MotionJpeg };

// What opening an existing file found out, and why it cannot be continued.
enum class AviOpenStatus {
    Ok,
    OpenFailed,      // not there, not readable, or not an AVI whose layout we can extend
    WrongSize,       // the stream's frame size is not the image size
    NotDirectColour, // the stream has 8 bits per pixel
    WrongCodec,      // the stream is neither uncompressed 24-bit bottom-up frames nor Motion JPEG
    WriteFailed,     // a new file could not be written
};

// One frame chunk: where its fourcc stands in the file, and its data size.
struct AviFrameEntry {
    std::uint64_t at = 0;
    std::uint32_t size = 0;
    std::uint32_t fourcc = 0;
};

// One RIFF of the file ('AVI ', then 'AVIX'), as offsets in the file.
struct AviSegment {
    std::uint64_t riffAt = 0;      // the 'RIFF' fourcc
    std::uint64_t moviSizeAt = 0;  // the size field of its LIST 'movi'
    std::uint64_t moviFourcc = 0;  // the 'movi' fourcc; idx1 offsets count from here
    std::uint64_t framesEnd = 0;   // the end of its last frame chunk: its indexes follow
    std::size_t firstFrame = 0;    // its frames in AviLayout::frames
    std::size_t frameCount = 0;
};

// The parts of an AVI that appending touches, as offsets in the file.
struct AviLayout {
    int width = 0;
    int height = 0;
    int bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t rate = 0;
    std::uint32_t scale = 0;
    std::uint64_t totalFramesAt = 0; // main header frame count
    std::uint64_t lengthAt = 0;      // stream header length
    bool openDml = false;            // AVI 2.0: a super index and 'dmlh'
    std::uint64_t superIndexAt = 0;  // the data of 'indx'
    std::uint32_t superIndexRoom = 0; // entries it has room for
    std::uint64_t dmlhAt = 0;        // the total frame count of 'dmlh'
    std::vector<AviSegment> segments;
    std::vector<AviFrameEntry> frames;
};

// Parses a whole file held in memory. Everything is checked before use: each
// chunk must lie inside its list, the file must be a RIFF 'AVI ' with one
// video stream whose 'movi' list is followed by nothing but its index, then
// (AVI 2.0 only) RIFF 'AVIX' chunks of one 'movi' list each, up to the room of
// the super index; 'movi' may hold only frame chunks ('00db', '00dc'), their
// standard index ('ix00') and padding ('JUNK'). Anything else gives
// OpenFailed: such a file is not one this writer can extend. The stream's
// format is reported, not judged.
AviOpenStatus parseAvi(std::span<const std::uint8_t> file, AviLayout& layout);

// An AVI being written; the file stays open for the whole run.
struct AviWriter {
    GrowingFile file;
    AviLayout layout;
    AviCodec codec = AviCodec::Uncompressed;
    int jpegQuality = 90;                        // Motion JPEG frames
    std::uint32_t frameBytes = 0;                // an uncompressed frame
    std::uint64_t mostBytes = kAviMostBytes;     // the whole file (no limit but the super index's for AVI 2.0)
    std::uint64_t segmentBytes = kAviSegmentBytes; // one RIFF of an AVI 2.0 file
    std::vector<std::uint8_t> buffer;            // the frame chunk, reused
    std::vector<std::uint8_t> jpeg;              // the compressed frame, reused
};

// The bytes of a new AVI 2.0 file without frames.
std::vector<std::uint8_t> aviEmptyFileBytes(int width, int height, int frameRate,
                                            AviCodec codec = AviCodec::Uncompressed);

// A new file (replacing any file of that name only when it is written whole).
AviOpenStatus createAvi(AviWriter& writer, const std::string& path, int width, int height, int frameRate,
                        AviCodec codec = AviCodec::Uncompressed);

// An existing file to add frames to: its stream must be width x height
// (WrongSize), not 8-bit (NotDirectColour), and uncompressed bottom-up 24-bit
// frames of the size those take or Motion JPEG (WrongCodec); the frames added
// are of the file's codec. layout receives what was found also when the
// stream does not fit, for the messages.
AviOpenStatus appendAvi(AviWriter& writer, const std::string& path, int width, int height);

// Appends vidmem24 at the image size as the next frame. NoBuffer without
// vidmem24, Unsupported at another size than the file's, TooLarge when the
// file would pass writer.mostBytes (or an AVI 2.0 file would need more RIFFs
// than its super index has room for), WriteFailed when a write fails (the file
// is put back as it was before the frame).
ImageStatus writeAviFrame(AviWriter& writer, const ImagePlane<std::uint32_t>& vidmem24, ImageSize size);

void closeAvi(AviWriter& writer);

} // namespace kalvenor
