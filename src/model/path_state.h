// The camera path of the path editor. The 80-byte record of path settings and
// the 40000-byte node table are kept exactly as sessions carry them, so a
// session read and written again is unchanged; the path editor reads and
// changes them through the typed view of path_layout.h. Beside them lives the
// point list made from the nodes, one point per animation frame, which is
// never stored: generation remakes it (path_generate.h).
//
// Changed by the node editing operations, by generation and by loading a
// session that carries a path (which brings a fresh, empty point list).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalvenor {

constexpr std::size_t kPathSettingsBytes = 80;
constexpr std::size_t kPathNodeBytes = 40000;

// Room of the point list: 10000 points, 5000 when that much memory cannot be
// had. One slot is always kept free, so at most capacity - 1 points are made.
constexpr std::size_t kPathPointCapacity = 10000;
constexpr std::size_t kPathPointFallbackCapacity = 5000;

// One frame of the flight.
struct PathPoint {
    float x = 0.0f, y = 0.0f, z = 0.0f; // metres, landscape coordinates
    float bank = 0.0f;                  // degrees
    float heading = 0.0f;
    float pitch = 0.0f;
    float targetX = 0.0f, targetY = 0.0f, targetZ = 0.0f;
    float scratch = 0.0f;         // the smoothing passes keep each new value here until the pass ends
    std::int32_t targetFlag = 0;  // 1: the point looks at its target
    std::int32_t node = 0;        // number of the node whose segment made the point
};

// The settings record as a path starts out (twenty little-endian words; word
// 19 is the single-precision 1.0).
constexpr std::array<std::uint8_t, kPathSettingsBytes> defaultPathSettingsBytes()
{
    constexpr std::uint32_t words[20] = {0, 0, 0, 1, 1, 0, 0, 1, 2, 0, 1, 200, 3000, 10, 100, 15, 20, 0, 30,
                                         0x3F800000u};
    std::array<std::uint8_t, kPathSettingsBytes> bytes = {};
    for (std::size_t w = 0; w < 20; ++w)
        for (std::size_t b = 0; b < 4; ++b) bytes[w * 4 + b] = static_cast<std::uint8_t>(words[w] >> (8 * b));
    return bytes;
}

struct PathState {
    std::array<std::uint8_t, kPathSettingsBytes> settings = defaultPathSettingsBytes();
    std::vector<std::uint8_t> nodes = std::vector<std::uint8_t>(kPathNodeBytes);

    std::vector<PathPoint> points;                 // made by generation; empty until then
    std::size_t pointCapacity = kPathPointCapacity; // a smaller room makes the full-list case testable
    int currentPoint = 0;                          // the point the position slider shows
    float greatestHeight = 0.0f;                   // highest point above ground of the last clearance pass
};

} // namespace kalvenor
