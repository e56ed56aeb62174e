// Animations made from scripts: every frame line, Render and RewriteImage of a
// script run with an output base becomes one frame, saved as a numbered image
// file or appended to one animation file (KANIM, FLC or AVI).
#pragma once

#include <string>

#include "codecs/avi.h"
#include "codecs/flc.h"
#include "codecs/image_formats.h"
#include "codecs/image_io.h"
#include "script/runner.h"

namespace kalvenor {

struct App;
class Frontend;

// The program's name, shown in the status line when an animation ends.
inline constexpr const char* kProductTitle = "Kalvenor";

// Frames per second of FLC and AVI files, unless a continued file sets its own.
inline constexpr int kDefaultFrameRate = 15;

struct SeriesOutput {
    // Image series: frame n is base + five digits + extension. Animation files
    // (KANIM, FLC, AVI): the chosen name, whose extension gives way to the format's.
    std::string base;
    ImageFormat format = ImageFormat::Targa;
    int frameRate = kDefaultFrameRate;
    // The frames of a new AVI (a continued one keeps its own).
    AviCodec codec = AviCodec::Uncompressed;
    // Every frame starts the dither stream D from its own number (frameDitherSeed),
    // so that frame n is the same whichever frames a run makes: split rendering.
    bool frameSeeded = false;
};

// The start of the dither stream D for frame n when frames are seeded: 1 for
// frame 0, as at the start of a plain run, then n x 2654435761 + 1 (mod 2^32).
constexpr std::uint32_t frameDitherSeed(int frame) { return static_cast<std::uint32_t>(frame) * 2654435761u + 1u; }

// The resume record beside an animation: the animation file's name, or the
// series' base, with ".resume" added.
std::string resumeRecordName(const SeriesOutput& output);

// The file of a KANIM, FLC or AVI animation: the base with its extension (from
// the last dot of its file name on) replaced by the format's.
std::string animationFileName(const SeriesOutput& output);

// The name of frame n: "%s%05d.TGA" and its kin.
std::string frameFileName(const SeriesOutput& output, int frame);

// The base chosen in the "Base Picture Name:" requester: its directory and the
// first three characters of the file name without its extension.
std::string seriesBaseFromChoice(const std::string& chosen);

// Before frame first is written: when it exists, asks "Continue existing
// animation or delete it?". Continue: the first frame from first on not yet
// there (last + 1 when every frame up to last is); Delete: removes the frames
// from first up to last or to the first that cannot be removed, and starts at
// first. The directories of the base are created first.
int existingSeriesStart(const SeriesOutput& output, Frontend& ui, int first = 0, int last = kLastScriptFrame);

// Where an animation starts: result 1 and the first frame to make; 0 when the
// existing file could not be read; -1 when the user cancelled or the file
// cannot be continued. Every failure has shown its message already.
struct AnimationStart {
    int result = 1;
    int frame = 0;
};

// Before an animation of any format, with image the current image size.
// Series as existingSeriesStart. For an existing animation file the same
// question is asked; Delete removes the file. Continue checks the file:
// KANIM: "Not a valid KANIM file!" or "Wrong image size for KANIM!" (-1);
// FLC: a file that cannot be read gives 0, another size asks "Error: FLC size
// = WxH, image size = WxH" with "Erase FLC" (start anew) and "Cancel" (-1), and
// the file's speed becomes the frame rate; AVI: "Unable to open NAME for
// appending.", "Incorrect dimensions: W x H", "AVI is not direct-color." or
// "Wrong CODEC?" (0), and the stream's rate becomes the frame rate. The frames
// already in the file are the start. An image of 0 x 0 stands for a size not
// known yet (a batch run's script may set it): the file's size is then
// compared with the image's when the first frame is saved.
AnimationStart existingAnimationStart(SeriesOutput& output, ImageSize image, Frontend& ui);

// The animation file of one run: its resolved name, the FLC's last palette and
// the AVI, which stays open between frames.
struct AnimationFiles {
    bool opened = false; // opened at the first frame saved
    std::string path;
    FlcStream flc;
    AviWriter avi;
};

// Renders (unless the request is a rewrite) and saves one frame; the frame
// callback of the script runner. Done, Failed when the frame could not be saved
// (its message shown), Cancelled when the render failed or was aborted.
Outcome makeAnimationFrame(App& app, Frontend& ui, const SeriesOutput& output, AnimationFiles& files,
                       const FrameRequest& request);

// Runs the script with the output, making the frames of range; the runner's
// outcome, Failed when the animation file could not be opened (its message
// shown). The render display mode is 0 during the run and restored after it;
// the AVI is closed, the camera bank ends at 0 and the status line shows the
// product title.
//
// Replayed frames (a batch run that continues, or starts past frame 0) are
// brought up to date without drawing (replayFrame). Unless frames are seeded,
// the resume record is written after every frame, and a replay that ends at the
// frame the record names takes the dither stream from it; without such a
// record the replayed frames are rendered again, unsaved, so that the new ones
// match an uninterrupted run whatever the cost (the message says so).
ScriptOutcome runAnimation(App& app, Frontend& ui, const std::string& script, const SeriesOutput& output,
                           const FrameRange& range);

// From startFrame on, the lines before it skipped (the window's continue).
ScriptOutcome runAnimation(App& app, Frontend& ui, const std::string& script, const SeriesOutput& output,
                           int startFrame);

// "User aborted script!", "Error running script! (frame %d of %d)",
// "Format error in script!" or "Script completed successfully.".
std::string animationResultText(RunEnd end, int currentFrame, int totalFrames);

} // namespace kalvenor
