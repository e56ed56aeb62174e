// kalvenor convert IN OUT: a landscape moved between Kalvenor's own files and
// the rasters and meshes of other programs without a script: a landscape or
// session file, or any elevation raster GDAL reads, in; a GeoTIFF, 16-bit PNG
// or Terragen raster, a mesh, or a landscape or session file out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interchange/elevation_raster.h"

namespace kalvenor {

struct App;
class Frontend;

struct ConvertCommandLine {
    std::string input;
    std::string output;
    RasterFit fit = RasterFit::SizeRules; // --fit: how a raster comes in
    int step = 1;                         // --step: every step-th point of a mesh
    std::vector<std::string> answers;     // --answer 'QUESTION=ANSWER'
};

// Parses the arguments after "convert". On bad usage returns nothing and fills error.
std::optional<ConvertCommandLine> parseConvertCommandLine(const std::vector<std::string>& args, std::string& error);

// True when convert can write a file of this name (by its extension).
bool convertWrites(const std::string& path);

// Reads input into app (a file starting with either landscape format's magic
// through the landscape loader, anything else as a raster) and writes output.
// Returns the exit code: 0 written, 1 the input could not be read or the
// output not written (the message shown).
int convertLandscape(App& app, Frontend& ui, const ConvertCommandLine& cl);

// The whole subcommand; args[0] is "convert". Returns the process exit code.
int runConvertCommand(const std::vector<std::string>& args, const char* argv0);

} // namespace kalvenor
