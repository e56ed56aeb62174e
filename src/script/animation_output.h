// Animations made from scripts: every frame line, Render and RewriteImage of a
// script run with an output base becomes one numbered image file.
#pragma once

#include <string>

#include "script/runner.h"

namespace kalvenor {

struct App;
class Frontend;

// The program's name, shown in the status line when an animation ends.
inline constexpr const char* kProductTitle = "Kalvenor";

enum class SeriesFormat { Pcx, Targa, Jpeg, Bmp, Png };

struct SeriesOutput {
    std::string base; // frame n is base + five digits + extension
    SeriesFormat format = SeriesFormat::Targa;
};

// ".PCX", ".TGA", ".JPG", ".BMP", ".PNG".
const char* seriesExtension(SeriesFormat format);

// The name of frame n: "%s%05d.TGA" and its kin.
std::string frameFileName(const SeriesOutput& output, int frame);

// The base chosen in the "Base Picture Name:" requester: its directory and the
// first three characters of the file name without its extension.
std::string seriesBaseFromChoice(const std::string& chosen);

// Before frame 0 is written: when it exists, asks "Continue existing animation
// or delete it?". Continue: the first frame not yet there; Delete: removes the
// frames from 0 up to the first that cannot be removed and starts at 0. The
// directories of the base are created first.
int existingSeriesStart(const SeriesOutput& output, Frontend& ui);

// Renders (unless the request is a rewrite) and saves one frame; the frame
// callback of the script runner. 1 done, 0 the frame could not be saved, -1 the
// render failed or was aborted.
int makeSeriesFrame(App& app, Frontend& ui, const SeriesOutput& output, const FrameRequest& request);

// Runs the script with the series as output from startFrame; the runner's
// result. The render display mode is 0 during the run and restored after it;
// the camera bank ends at 0 and the status line shows the product title.
int runAnimation(App& app, Frontend& ui, const std::string& script, const SeriesOutput& output, int startFrame);

// "User aborted script!", "Error running script! (frame %d of %d)",
// "Format error in script!" or "Script completed successfully.".
std::string animationResultText(int result, int currentFrame, int totalFrames);

} // namespace kalvenor
