// Reading a PNG picture back in tests (the program only writes them).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalvenor::testing {

struct RgbPicture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, row by row
};

// The picture, or nothing when the file cannot be read as a PNG.
std::optional<RgbPicture> readPng(const std::string& path);

// Writes pixels 0x00RRGGBB as an 8-bit RGB PNG; false when it cannot.
bool writePng(const std::string& path, const RgbPicture& picture);

} // namespace kalvenor::testing
