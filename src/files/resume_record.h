// The resume record of an animation: the state a frame of a continued batch
// run needs and the script's lines cannot give back (the dither stream and its
// tables, whose draws depend on the pictures made). Written beside the frames
// after every frame, read when a run continues. A small text file:
//
//   Kalvenor resume record 1
//   frame 120
//   dither 3735928559
//   table 1103527590 64
//   palette 00000000001a2b3c...
//
// "frame" is the next frame to make; "dither" the stream D at its start;
// "table" the D the dither tables were built from and their amount, or
// "table none" when they were never built; "palette" the 8-bit palette as it
// stands (predicted with draws of D), 1024 bytes in 2048 hex digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "codecs/display_palette.h"

namespace kalvenor {

struct ResumeRecord {
    int frame = 0;
    std::uint32_t dither = 1;
    bool table = false;
    std::uint32_t tableSeed = 1;
    std::int32_t tableAmount = 0;
    DisplayPalette palette;
};

// Replaces the record at path whole. False when it could not be written.
bool writeResumeRecord(const std::string& path, const ResumeRecord& record);

// The record at path; nothing when there is none or it is not a record of ours
// (anything but the lines above, with numbers in range, is refused).
std::optional<ResumeRecord> readResumeRecord(const std::string& path);

} // namespace kalvenor
