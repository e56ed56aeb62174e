// DXF export: the elevation grid as polyface meshes for CAD and modelling
// programs. The sampled area is cut into objects of fewer faces than a limit,
// each a POLYLINE on its own layer "KN_00", "KN_01", ... with its vertices row
// by row and two triangular faces per cell, every line ended by CR LF.
#pragma once

#include <string>

#include "files/ascii_z.h"
#include "model/landscape.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

struct DxfOptions {
    // Neighbouring objects overlap by one grid column or row on each side of
    // their seam, and every vertex on an object's border sits 0.1 lower, so a
    // program that shades per object sees no seam.
    bool overlapSeams = false;
    // Coordinates offset by the landscape's placement: utmX to x, utmY to y,
    // utmExtra to z. Otherwise they start at 0, 0, 0.
    bool utmBased = false;
    // Objects are split until they hold fewer faces than this. Below 1 counts
    // as 1. An area of one cell each way (or one that cannot be halved any
    // further) is written whole, whatever the limit.
    int maxPolygons = 1000;
    // Sample step in grid columns and rows; below 1 counts as 1.
    int step = 1;
};

// Writes the file at path (its directories created first): the area that
// exportArea gives for the step, as one or more objects. Polls for abort
// before each vertex row and outlines each object on the topographic map. The
// file is replaced only when the export completes: on an abort or a failed
// write the previous file at path stays as it was and no partial file is left.
ExportResult exportDxf(const Landscape& land, const BoundingBox& box, const std::string& path,
                       const DxfOptions& options, Frontend& ui);

// What the DXF command keeps from one export to the next. The first limit,
// 1000 faces, keeps every object's vertex numbers far below the 32767 that
// readers with 16-bit vertex indices accept.
struct DxfRemembered {
    int maxPolygons = 1000;
};

// The "Export DXF" command: asks for the file (".DXF" added to a name without
// an extension, "Replace ... ?" for an existing one), then for seams,
// coordinates, the object limit (the remembered one offered and the answer
// remembered) and the subsample rate, and exports. Returns 1 on success and
// when the user cancels any requester or declines the replace (nothing is
// written then), 0 after reporting a file that could not be written, -1 on an
// abort.
int exportDxfCommand(const Landscape& land, const BoundingBox& box, DxfRemembered& remembered,
                     const std::string& defaultDir, Frontend& ui);

} // namespace kalvenor
