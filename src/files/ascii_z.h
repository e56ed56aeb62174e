// ASCII Z export: the elevation grid as text, one line per sampled row, each
// sampled elevation written as "%d " and every line ended by CR LF.
#pragma once

#include <string>

#include "model/landscape.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

enum class ExportResult { Ok, OpenFailed, WriteFailed, Aborted };

// The columns and rows an export covers at a sample step: the bounding box
// widened to multiples of the step when it is on, else the whole grid. The
// area always lies within sample points 0..sizeX and 0..sizeY, its first
// column and row are multiples of the step and its last ones are reached by
// stepping from them (a box corner beyond the grid is pulled back to the last
// sample point on that step; a box given with its corners swapped is read
// the right way round).
struct ExportArea {
    int firstColumn = 0;
    int lastColumn = 0;
    int firstRow = 0;
    int lastRow = 0;
};
ExportArea exportArea(const Landscape& land, const BoundingBox& box, int step);

// Writes the file at path (its directories created first). A step below 1
// counts as 1. Polls for abort before each row. The file is replaced only
// when the export completes: on an abort or a failed write the previous file
// at path stays as it was and no partial file is left.
ExportResult exportAsciiZ(const Landscape& land, const BoundingBox& box, const std::string& path, int step,
                          Frontend& ui);

// The "Save Ascii Z File" command: asks for the file (".TXT" added to a name
// without an extension, "Replace ... ?" for an existing one) and the
// "Subsample rate:", and exports. Returns 1, 0 after reporting a file that
// could not be written, or -1 when cancelled or aborted.
int exportAsciiZCommand(const Landscape& land, const BoundingBox& box, const std::string& defaultDir, Frontend& ui);

} // namespace kalvenor
