// The two off-screen images the renderer draws into and the image files and
// animations read: vidmem24 (one 32-bit word per pixel: red bits 0-7, green
// 8-15, blue 16-23, class code 24-31) and vidmem8 (one byte per pixel). Each is
// a row table, ended by a null entry, over one zero-filled block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/setting_limits.h"

namespace kalvenor {

constexpr int kMinImageSide = 16;   // smallest side set by number
constexpr int kMaxImageSide = kLargestImageSide; // largest side of an image or an allocation

inline constexpr std::uint32_t packPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t cls = 0)
{
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(b) << 16) | (static_cast<std::uint32_t>(cls) << 24);
}
inline constexpr std::uint8_t pixelRed(std::uint32_t p) { return static_cast<std::uint8_t>(p); }
inline constexpr std::uint8_t pixelGreen(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 8); }
inline constexpr std::uint8_t pixelBlue(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 16); }
inline constexpr std::uint8_t pixelClass(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 24); }

template <typename Pixel>
struct ImagePlane {
    std::unique_ptr<Pixel[]> block;
    std::vector<Pixel*> rows; // height + 1 entries, the last one null
    int width = 0;
    int height = 0;

    bool allocated() const { return block != nullptr; }
    Pixel* operator[](int row) { return rows[static_cast<std::size_t>(row)]; }
    const Pixel* operator[](int row) const { return rows[static_cast<std::size_t>(row)]; }

    // Reuses the block when the size is unchanged (contents kept); a new block is zero-filled.
    bool allocate(int w, int h);
    void release();
};

// Shown by the commands that turn the 8-bit image into landscape data when there is none.
inline constexpr const char* kNoImageToConvert = "No vidmem8, cannot convert view.";

struct ImageBuffers {
    ImagePlane<std::uint32_t> vidmem24;
    ImagePlane<std::uint8_t> vidmem8;
};

} // namespace kalvenor
