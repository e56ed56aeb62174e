// What the image file readers and writers share: the status they return, the
// view of a pixel-word image they load into, the loaded-image information,
// read-only access to a whole file, and the requester steps of the menu
// commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "codecs/image_buffers.h"

namespace kalvenor {

class Frontend;

// Result of a reader or writer. Commands turn it into 1/0 (or the PCX codes)
// and the file messages; the readers and writers never talk to the user.
enum class ImageStatus {
    Ok,
    OpenFailed,  // the file could not be opened or mapped
    Truncated,   // the data ended before the picture did
    BadHeader,   // not a file of the kind this reader takes
    TooLarge,    // a side or a row beyond what the reader accepts
    Unsupported, // a well-formed file of a variant the reader does not take
    WriteFailed, // creating, writing or committing the output failed
    NoBuffer,    // the image buffer to read or write does not exist
    BadArgument, // a parameter the operation cannot work with
};

// 1 for Ok, 0 for every failure.
// A row of packed pixels as red, green, blue bytes (3 x width of them), the
// order the compressed writers take.
inline void unpackRgbRow(const std::uint32_t* packed, int width, std::uint8_t* rgb)
{
    for (int x = 0; x < width; ++x) {
        rgb[3 * x] = pixelRed(packed[x]);
        rgb[3 * x + 1] = pixelGreen(packed[x]);
        rgb[3 * x + 2] = pixelBlue(packed[x]);
    }
}

inline int imageResult(ImageStatus s) { return s == ImageStatus::Ok ? 1 : 0; }

// The rows of a row buffer: the longest file row the Targa, BMP and texture
// map code reads or writes.
constexpr std::size_t kRowBufferBytes = 32768;

// The size of the picture: the current image size, which may be smaller than
// the buffers' allocation (after an antialiased render the allocation stays
// doubled).
struct ImageSize {
    int width = 0;
    int height = 0;
};

// A picture of pixel words: row r starts at pixels + r * stride.
struct PixelView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    bool valid() const { return pixels != nullptr && width > 0 && height > 0; }
    std::uint32_t* row(int r) const { return pixels + r * stride; }
};

// The image size clipped to the allocation of vidmem24; invalid when there is no vidmem24.
PixelView viewOf(ImagePlane<std::uint32_t>& plane, ImageSize size);
// The same for vidmem8, as a width and height clipped to the allocation (0 x 0 without one).
ImageSize clippedSize(const ImagePlane<std::uint8_t>& plane, ImageSize size);
ImageSize clippedSize(const ImagePlane<std::uint32_t>& plane, ImageSize size);

// Every pixel of the view set to 0.
void clearView(const PixelView& view);

// Width, height and bits per pixel of the last image loaded by a menu command
// (the "About Image" information); all 0 after a failed load.
struct LoadedImageInfo {
    int width = 0;
    int height = 0;
    int bits = 0;
};

// A whole file mapped read-only. Empty files give an empty span; ok() is false
// when the file could not be opened. Paths are resolved as users write them
// ("\" or "/", letter case looked up when the exact name is missing).
class MappedFile {
public:
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool ok() const { return ok_; }
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
    bool ok_ = false;
};

// The message every 24-bit command shows when vidmem24 does not exist.
inline constexpr const char* kNeeds24Bit = "This function requires 24-bit mode.";

} // namespace kalvenor
