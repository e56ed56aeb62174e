// Allocation of the image buffers for the image geometry, the image size by
// number with its memory fallbacks, and the preset display modes.
#pragma once

#include <cstdint>
#include <string>

#include "base/fatal_error.h"
#include "codecs/image_buffers.h"
#include "model/scene_settings.h"
#include "render/projection.h"

namespace kalvenor {

class Frontend;

// The image-size command could not even get 320 x 200: the program ends with
// this exit code after showing the message with both answers "Oh no!".
constexpr int kImageMemoryExitCode = 20;
struct ImageMemoryExit : FatalError {
    explicit ImageMemoryExit(const std::string& message) : FatalError(message, kImageMemoryExitCode) {}
};

constexpr int kMaxCommandImageSide = 4096; // the size panel's limit
constexpr int kFallbackImageWidth = 320;
constexpr int kFallbackImageHeight = 200;

// The allocation the geometry and settings need: 2W x 2H with antialiasing,
// W x 2H with flare alone (the lower half is the flare's scratch rows), else W x H.
struct AllocationSize {
    int width = 0, height = 0;
};
AllocationSize neededAllocation(const ImageGeometry& geometry, const RenderSettings& render);

// Reallocates both buffers when the needed size differs from the allocated
// one (the old contents are lost). 1 on success; 0 with the allocated size
// 0 x 0 when a side exceeds 8192 (no buffer left) or memory runs out (after
// "allocate_vidmem24() failed." or "allocate_vidmem8() failed.").
// Not to be called during an oversize frame.
int ensureImageBuffers(ImageBuffers& images, ImageGeometry& geometry, const RenderSettings& render, Frontend& ui);

// Size by number: 16..8192 on each side, else 0 and nothing changes. A new
// size sets PW = PH = the larger side; the buffers are then made to fit.
// Returns 0 when they cannot be.
int setImageSize(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui, int width,
                 int height);

// The size panel's command: the height is cut to the width, 4096 is the
// limit, and memory failures fall back to the previous size, then to
// 320 x 200, then end the program (ImageMemoryExit). 1 when the requested
// size is in force. The caller resizes the render window to the image.
int imageSizeCommand(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui, int width,
                     int height);

// The image-size requester: asks width and height, then falls back as the
// command does but never ends the program. 1 when the requested size is in
// force, 0 when refused or reverted, -1 when cancelled.
int imageSizeDialog(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui);

// A preset display mode: size and depth, and the mode number sessions store.
struct DisplayMode {
    std::int32_t number;
    int width, height, depth;
    int sizeNumber; // 1..6, the GrMode preset
};
// 640 x 400 has no deeper variant with a mode number, so it is offered in 8 bits only.
inline constexpr DisplayMode kDisplayModes[] = {
    {0x13, 320, 200, 8, 1},     {0x10D, 320, 200, 15, 1},   {0x10E, 320, 200, 16, 1},   {0x10F, 320, 200, 24, 1},
    {0x100, 640, 400, 8, 2},
    {0x101, 640, 480, 8, 3},    {0x110, 640, 480, 15, 3},   {0x111, 640, 480, 16, 3},   {0x112, 640, 480, 24, 3},
    {0x103, 800, 600, 8, 4},    {0x113, 800, 600, 15, 4},   {0x114, 800, 600, 16, 4},   {0x115, 800, 600, 24, 4},
    {0x105, 1024, 768, 8, 5},   {0x116, 1024, 768, 15, 5},  {0x117, 1024, 768, 16, 5},  {0x118, 1024, 768, 24, 5},
    {0x107, 1280, 1024, 8, 6},  {0x119, 1280, 1024, 15, 6}, {0x11A, 1280, 1024, 16, 6}, {0x11B, 1280, 1024, 24, 6},
};
constexpr int kDisplayModeCount = static_cast<int>(sizeof(kDisplayModes) / sizeof(kDisplayModes[0]));
constexpr std::int32_t kBasicDisplayMode = 0x13; // 320 x 200 in 8 bits, always available

// Index in kDisplayModes of a mode number, or -1.
int displayModeIndex(std::int32_t number);
// Index of the preset size (1..6) in the given depth, or in 8 bits when that depth is not offered; -1 if none.
int displayModeForSize(int sizeNumber, int depth);

// Sets the preset size with its projection extents, the display depth and
// the window size, and records them in the settings. 0 for an index out of
// range or when the buffers cannot be had.
int setDisplayMode(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui, int index);

// A session's saved display: the mode by number (falling back to 320 x 200
// in 8 bits; FatalError "Unable to set video mode!" when even that fails),
// then the saved image size when it differs from the mode's.
void restoreDisplayMode(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui,
                        std::int32_t number, int savedWidth, int savedHeight);

} // namespace kalvenor
