// The render driver: one complete frame from the settings to the finished
// 24-bit and 8-bit images. The Render command, the script keyword and every
// animation frame come here.
#pragma once

#include "base/outcome.h"

#include "render/terrain_walk.h"

namespace kalvenor {

struct App;
class Frontend;

inline constexpr const char* kNoVidmem8 = "No vidmem8, cannot render.";
inline constexpr const char* kNoVidmem24 = "No vidmem24, cannot render.";

// The whole render: buffers checked, terrain and palette prepared, background,
// the frame, foreground, statistics. Done when the frame completed, Cancelled
// when it was aborted or the palette could not be predicted, Failed when a
// buffer is missing (its message shown).
Outcome renderImage(App& app, Frontend& ui);

// The same for frame index of count of an animation (the progress names the frame).
Outcome renderImage(App& app, Frontend& ui, int index, int count);

// A frame of an animation passed over without drawing it: everything a render
// leaves behind besides the picture (the settings brought within their limits,
// the terrain prepared, the palette predicted, object shadows marked, named
// textures loaded, the sun, moon and wave counters stepped), so that the frames
// after it come out as if it had been rendered. The dither stream D is not
// stepped: its draws depend on the picture. Done, Cancelled or Failed as
// renderImage.
Outcome replayFrame(App& app, Frontend& ui);

// One frame of the pipeline: object shadows, oversize, lens, eyes, the scene,
// reduction, flare, stereo shift, the 8-bit conversion and the per-frame
// counters. index counts from 0; count 1 means a single image ("Render"),
// otherwise the progress reads "Frame index+1 of count". Done or Cancelled.
Outcome renderFrame(App& app, Frontend& ui, int index, int count);

// The records of the App one frame of the scene draws with.
SceneRecords sceneRecordsOf(App& app);

// The progress label of frame index of count.
const char* progressLabel(int index, int count, char* buffer, int size);

} // namespace kalvenor
