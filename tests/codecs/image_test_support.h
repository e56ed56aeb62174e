// Shared pieces of the image file tests: synthetic pictures, file bytes as
// spans, and the third-party reader and writer (ImageMagick) when installed.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "codecs/image_buffers.h"
#include "codecs/image_io.h"

namespace kalvenor::testing {

// A width x height 8-bit picture given row by row from the top.
inline ImagePlane<std::uint8_t> indexedPicture(int width, const std::vector<std::vector<std::uint8_t>>& rows)
{
    ImagePlane<std::uint8_t> plane;
    plane.allocate(width, static_cast<int>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y)
        std::copy(rows[y].begin(), rows[y].end(), plane[static_cast<int>(y)]);
    return plane;
}

// A picture whose every pixel differs from its neighbours in each channel.
inline std::uint32_t gradientPixel(int x, int y)
{
    return packPixel(static_cast<std::uint8_t>(x * 5 + 3), static_cast<std::uint8_t>(y * 7 + 1),
                     static_cast<std::uint8_t>((x * 3 + y * 11) & 255), static_cast<std::uint8_t>(x + y));
}

inline void fillGradient(const PixelView& view)
{
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) view.row(y)[x] = gradientPixel(x, y);
}

// A w x h picture in a plane of its own, every pixel set to fill.
struct Picture {
    ImagePlane<std::uint32_t> plane;
    PixelView view;
    Picture(int w, int h, std::uint32_t fill = 0)
    {
        plane.allocate(w, h);
        view = viewOf(plane, {w, h});
        for (int y = 0; y < h; ++y) std::fill_n(view.row(y), w, fill);
    }
    std::uint32_t at(int x, int y) const { return view.row(y)[x]; }
};

inline std::uint32_t colourOf(std::uint32_t p) { return p & 0x00FFFFFF; }

inline std::span<const std::uint8_t> bytesOf(const std::string& s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

inline std::span<const std::uint8_t> bytesOf(const std::vector<std::uint8_t>& v) { return v; }

inline void put16(std::vector<std::uint8_t>& out, int v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline constexpr const char* kConvert = "/usr/bin/convert";

inline bool haveConvert() { return ::access(kConvert, X_OK) == 0; }

// Runs the command; its standard output, and whether it exited with 0.
inline bool runCommand(const std::string& command, std::string* output = nullptr)
{
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return false;
    std::string out;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = ::pclose(pipe);
    if (output != nullptr) *output = std::move(out);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The pixels of any picture ImageMagick reads, as red, green, blue bytes from
// the top row. ImageMagick keeps a Targa's row order as an orientation tag
// rather than turning the rows, so the picture is put upright first.
inline bool decodeWithConvert(const std::string& path, std::string& rgb)
{
    return runCommand(std::string(kConvert) + " '" + path + "' -auto-orient -depth 8 rgb:-", &rgb);
}

// A binary PPM of the picture, the input we give ImageMagick to convert.
inline std::string ppmOf(const PixelView& view)
{
    std::string out = "P6\n" + std::to_string(view.width) + " " + std::to_string(view.height) + "\n255\n";
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) {
            const std::uint32_t p = view.row(y)[x];
            out += static_cast<char>(pixelRed(p));
            out += static_cast<char>(pixelGreen(p));
            out += static_cast<char>(pixelBlue(p));
        }
    return out;
}

} // namespace kalvenor::testing
