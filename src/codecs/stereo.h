// Stereo pairs composed from two Targa files loaded into vidmem24: a red/blue
// anaglyph (red from the left image, green and blue from the right) or a
// Cyberscope pair (the central window of each image turned a quarter turn,
// side by side, with a black divider).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor {

class Frontend;

enum class StereoKind { RedBlue, Cyberscope };

inline constexpr const char* kStereoNoMemory = "Not enough memory for 24 bit buffer!";
inline constexpr const char* kStereoSizeMismatch = "Files must be same dimensions.";
inline constexpr const char* kCyberscopeSize = "Cyberscope needs an image height between half the width and the width.";
inline constexpr const char* kStereoImageName = "Stereo image";

// Every pixel: red from leftReds (one byte per pixel, row by row), green and
// blue from the picture, fourth byte 0.
void composeRedBlue(const PixelView& right, std::span<const std::uint8_t> leftReds);

// The Cyberscope geometry of a W x H picture: h2 = W / 2; the window is h2
// rows by H columns from row (H - h2) / 2 and column (W - H) / 2; the divider
// covers columns h2 - d - 1 .. h2 + d with d = W * 16 / 640 (integer division).
struct CyberscopeLayout {
    int half = 0;
    int firstRow = 0;
    int firstColumn = 0;
    int divider = 0;
};
// False when the window would leave the picture (H below W / 2 or above W).
bool cyberscopeLayout(int width, int height, CyberscopeLayout& layout);

// A plane of half x H words, pixel (x, y) at y * half + x: the window turned a
// quarter turn anticlockwise (left) or clockwise (right).
void cyberscopeLeftPlane(const PixelView& image, const CyberscopeLayout& layout, std::span<std::uint32_t> plane);
void cyberscopeRightPlane(const PixelView& image, const CyberscopeLayout& layout, std::span<std::uint32_t> plane);
// Both planes side by side in every row, then the black divider.
void composeCyberscope(const PixelView& image, const CyberscopeLayout& layout, std::span<const std::uint32_t> left,
                       std::span<const std::uint32_t> right);

// The interactive pair: "Left Image" and "Right Image" requesters, each file
// loaded opaque into the cleared vidmem24. Shows the stereo messages and, on
// a failed read, "Error reading file:" with "Stereo image". 1, 0 or -1 when
// cancelled; info from the last Targa header read, zeroed on failure.
int loadStereoPair(Frontend& ui, ImagePlane<std::uint32_t>& vidmem24, ImageSize size, StereoKind kind,
                   LoadedImageInfo& info, const std::string& directory);

// The menu command: asks "Red/Blue or Cyberscope?" first.
int commandLoadStereo(Frontend& ui, ImagePlane<std::uint32_t>& vidmem24, ImageSize size, LoadedImageInfo& info,
                      const std::string& directory);

} // namespace kalvenor
