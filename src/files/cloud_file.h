// Cloud pattern files (.CLD): a 256 x 256 8-bit PCX picture whose first row
// is the pattern's last (row 255), with a grey ramp as its palette. Older
// pattern files are the 65536 raw bytes, row 0 first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/image_io.h"

namespace kalvenor {

class Frontend;

// Writes the pattern (256 x 256 bytes, row-major); the previous file stays
// when anything fails.
ImageStatus saveCloudPattern(const std::string& path, const std::vector<std::uint8_t>& pattern);

// Reads a pattern file held in memory into pattern (256 x 256 bytes). A file
// that is not a suitable PCX picture is taken as raw bytes, the first 65536 of
// it; a picture's pixels become greys through its palette
// (trunc((30 R + 59 G + 11 B) / 100)), and everything beyond its width and
// height keeps its values. A picture that ends early, or a raw file shorter
// than a pattern, is Truncated and leaves the pattern as it was.
ImageStatus decodeCloudPattern(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& pattern);

// The file at path; any failure leaves the pattern unchanged.
ImageStatus loadCloudPattern(const std::string& path, std::vector<std::uint8_t>& pattern);

// "Save cloud pattern": the requester ("Save Cloud Pattern", "*.CLD"), ".CLD"
// added when missing, the overwrite question, then the file. 1 saved, 0 failed
// or cancelled.
int saveCloudPatternCommand(Frontend& ui, const std::vector<std::uint8_t>& pattern, const std::string& directory);
// "Load cloud pattern": the requester ("Load Cloud Pattern", "*.CLD"). 1 loaded, 0 cancelled or failed.
int loadCloudPatternCommand(Frontend& ui, std::vector<std::uint8_t>& pattern, const std::string& directory);

} // namespace kalvenor
