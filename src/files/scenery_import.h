// Import of Scenery Animator landscapes: a big-endian chunked file whose
// "DEMH" chunk gives the size and a comment and whose "DEM " chunk holds the
// rows, each delta-coded like our own elevation rows but neither packed nor
// prefixed with a length.
#pragma once

#include <cstdio>
#include <string>

#include "model/landscape.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;
struct RandomStreams;

// Loads the file into the landscape. In automatic size mode the grid takes
// each side rounded up to a multiple of 8, plus the margin of 2 (at most
// 2050); in fixed mode the data must fit the grid. Cells the file does not
// cover get the lowest imported elevation. The terrain and shadow maps are
// cleared and marked not computed; the scene reset is left to the caller.
//
// A file that cannot be read or is not a well-formed Scenery Animator file is
// reported on out and a size that does not fit through ui; both return 0 with
// the landscape as it was. Returns 1 on success.
int importSceneryAnimator(Landscape& land, RandomStreams& random, const std::string& path, Frontend& ui,
                          std::FILE* out = stdout);

// The menu command: requester "Load Scenery File:" ("*.DEM"), the import, then
// the new-landscape reset. 1, 0, or -1 when cancelled.
int importSceneryCommand(Landscape& land, SceneSettings& scene, RandomStreams& random, const std::string& directory,
                         Frontend& ui);

} // namespace kalvenor
