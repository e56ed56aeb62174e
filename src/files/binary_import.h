// Import of raw elevation data: width x height 16-bit little-endian samples,
// row after row, behind a header of a given number of bytes that is skipped.
#pragma once

#include <string>

#include "model/landscape.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

// The numbers the import command offers next time: the last answers given.
// A width or height of 0 means "not asked yet": the current grid size is offered.
struct BinaryImportState {
    int width = 0;
    int height = 0;
    int headerBytes = 0;
};

// Limits of the numbers accepted: a side of 16-bit samples no wider than any
// sensible file, and a header that can be skipped by seeking.
constexpr long kMaxBinarySide = 65535;

enum class BinaryImportStatus { Ok, BadSize, BadHeader, OpenFailed, ReadFailed };

// Reads the file into the elevation map without changing the grid size: row r
// of the file becomes elevation row r, its first min(width, gridWidth)
// samples copied and the rest of the grid cleared. A row the file ends in the
// middle of, and every row after it, stays cleared.
//
// The landscape is touched only when the numbers are valid, the file opened
// and at least one whole row follows the header; otherwise it stays as it was.
BinaryImportStatus importBinaryElevations(Landscape& land, const std::string& path, int width, int height,
                                          int headerBytes);

// The menu command: asks for the file and the three numbers (remembered for
// next time), imports, offers to remove steps and resets the scene for the
// new landscape. Returns 1, 0 on failure (with a message) or -1 when cancelled.
int importBinaryCommand(Landscape& land, SceneSettings& scene, BinaryImportState& state,
                        const std::string& defaultDir, Frontend& ui);

} // namespace kalvenor
