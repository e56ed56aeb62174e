// ASCII Z export: the elevation grid as text, one line per sampled row, each
// sampled elevation written as "%d " and every line ended by CR LF.
#pragma once

#include <string>

#include "landscape/landscape.h"
#include "landscape/scene_settings.h"

namespace kalvenor {

class Frontend;

enum class ExportResult { Ok, OpenFailed, WriteFailed, Aborted };

// The columns and rows an export covers at a sample step: the bounding box
// widened to multiples of the step when it is on, else the whole grid.
struct ExportArea {
    int firstColumn = 0;
    int lastColumn = 0;
    int firstRow = 0;
    int lastRow = 0;
};
ExportArea exportArea(const Landscape& land, const BoundingBox& box, int step);

// Writes the file at path (its directories created first). A step below 1
// counts as 1. Polls for abort before each row; a partial file stays.
ExportResult exportAsciiZ(const Landscape& land, const BoundingBox& box, const std::string& path, int step,
                          Frontend& ui);

} // namespace kalvenor
