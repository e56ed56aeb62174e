// The render driver: one complete frame from the settings to the finished
// 24-bit and 8-bit images. The Render command, the script keyword and every
// animation frame come here.
#pragma once

#include "render/terrain_walk.h"

namespace kalvenor {

struct App;
class Frontend;

inline constexpr const char* kNoVidmem8 = "No vidmem8, cannot render.";
inline constexpr const char* kNoVidmem24 = "No vidmem24, cannot render.";

// The whole render: buffers checked, terrain and palette prepared, background,
// the frame, foreground, statistics. 1 when the frame completed, -1 when it was
// aborted or the palette could not be predicted, 0 when a buffer is missing.
int renderImage(App& app, Frontend& ui);

// The same for frame index of count of an animation (the progress names the frame).
int renderImage(App& app, Frontend& ui, int index, int count);

// One frame of the pipeline: object shadows, oversize, lens, eyes, the scene,
// reduction, flare, stereo shift, the 8-bit conversion and the per-frame
// counters. index counts from 0; count 1 means a single image ("Render"),
// otherwise the progress reads "Frame index+1 of count". 1 completed, -1 aborted.
int renderFrame(App& app, Frontend& ui, int index, int count);

// The records of the App one frame of the scene draws with.
SceneRecords sceneRecordsOf(App& app);

// The progress label of frame index of count.
const char* progressLabel(int index, int count, char* buffer, int size);

} // namespace kalvenor
