// Mesh export through the Open Asset Import Library: the landscape (whole or
// the bounding box, every step-th grid point) as a triangle mesh for 3-D
// packages, game engines and printers. The format follows the extension:
//
//   .obj  Wavefront OBJ with a .mtl beside it: one material per ground code
//         present (Kd from the code's colour in the colour scheme), the land in
//         group "ground" and the water in group "water".
//   .glb  glTF 2.0 binary: meshes "ground" and "water" with vertex colours
//         (COLOR_0) from the terrain map, and the trees as instances: one small
//         mesh per tree kind, referenced by one node per tree.
//   .stl  binary STL: the ground and water triangles, without colour.
//   .ply  PLY (text): the same with vertex colours.
//
// Coordinates are metres from the grid's first point, as in the DXF export: x
// = column x spacingX (east), y = row x spacingY (north), z = the elevation as
// stored (the renderer draws whole metres; verticalSpacing only travels with
// the files). OBJ, STL and PLY keep these numbers, z up, so an OBJ vertex
// reads like the grid. glTF is y up by definition: there a point is (x, z, -y),
// the same right-handed scene turned upright. Every triangle faces up.
//
// Each sampled cell is two triangles, split along the diagonal from its first
// corner (column, row) to the opposite one, as the renderer draws it. A cell
// takes the ground code of its first corner; with the water option a cell
// whose code is water (51 .. 55) goes to the water object. When the terrain map
// is not current (never coloured, or coloured at a step this export does not
// sample) the ground gets one grey material and a report says so; water codes
// still split the water off, since rivers, lakes and hand-placed water keep
// their codes through every recolouring.
//
// A tree stands on a sampled point whose object byte holds one (grown 34 .. 37
// or placed 60 .. 63), at the middle of the cell that starts there, as tall as
// its kind's size setting: a four-sided trunk under a four-sided crown, in the
// kind's bark and leaf colours. Only glTF carries them; the other formats have
// no instancing and leave them out.
#pragma once

#include <array>
#include <string>

#include "model/landscape.h"
#include "model/scene_settings.h"
#include "model/surface_attributes.h"

namespace kalvenor {

class Frontend;

struct MeshExportOptions {
    int step = 1;             // every step-th grid point; below 1 counts as 1
    bool boundingBox = false; // only the bounding box area (exportArea), when the box is on
    bool water = true;        // water cells as their own object
    bool trees = true;        // trees as instanced objects (glTF only)
    // Heights in metres of palm, oak, cactus and pine: the scene's tree size
    // settings (TreeSettings palmSize .. pineSize).
    std::array<int, 4> treeSizes = {TreeSettings{}.palmSize, TreeSettings{}.oakSize, TreeSettings{}.cactusSize,
                                    TreeSettings{}.pineSize};
};

enum class MeshFormat { Obj, Glb, Stl, Ply };

// The format an extension names (letter case aside); false for any other.
bool meshFormatOf(const std::string& path, MeshFormat& format);
bool isMeshExportExtension(const std::string& path);

// The material library an OBJ export writes beside path: the name with its
// extension replaced by ".mtl", as the OBJ's "mtllib" line names it.
std::string materialLibraryPath(const std::string& path);

// Builds the mesh and writes it at path (its directories created first),
// showing progress and polling for abort row by row while building. Returns 1
// on success, 0 after reporting the file and the reason through ui (no file of
// that kind, nothing to export, out of memory, a failed write), -1 when
// aborted. The file is replaced only when the export completes; an OBJ's .mtl
// is written the same way, so a failure or an abort leaves both previous files
// as they were. The write itself, inside the library, cannot be aborted.
int exportMesh(const Landscape& land, const BoundingBox& box, const SchemeBytes& colours,
               const MeshExportOptions& options, const std::string& path, Frontend& ui);

} // namespace kalvenor
