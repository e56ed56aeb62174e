// A camera path exported as a script: the header and caption lines, then one
// frame line per point (camera X, Y, Z, bank, heading, pitch), each but the
// first followed by its distance from the point before. Running the script
// flies the path; rendering it with an output base makes the animation.
#pragma once

#include <string>
#include <vector>

#include "files/script_file.h"
#include "model/path_layout.h"
#include "model/path_state.h"

namespace kalvenor {

class Frontend;



// Brings every point's bank, heading and pitch into -180 .. 180 with one
// addition or subtraction of 360 (above 180 loses 360, below -180 gains it).
// The points keep the folded values.
void foldPointAngles(std::vector<PathPoint>& points);

// The script text of the points as they are, lines ending in "\n":
// "%9.2f, " for each of the six values, then " (%0.2f)" with the distance in
// metres from the previous point for every point but the first.
std::string pathScriptText(const std::vector<PathPoint>& points);

enum class PathExportStatus { Ok, NoPoints, OpenFailed, WriteFailed };

// Folds the angles and writes the script to file (lines ending in CR LF),
// whole or not at all: a failed write leaves any earlier file as it was.
PathExportStatus writePathScript(std::vector<PathPoint>& points, const std::string& file);

// The "Export path" command: the requester "Save Script name:" (default
// "KALVE.SCR", pattern "*.SCR") from directory, "Replace %s ?" for an
// existing file, then the script. Messages: "No points to delete" without
// points, "Error opening motion file %s" when the file cannot be created,
// "Error writing file:" when writing fails. 1 written, 0 failed, -1 cancelled.
int exportPathCommand(PathState& path, const std::string& directory, Frontend& ui);

} // namespace kalvenor
