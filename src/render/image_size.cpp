#include "render/image_size.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

#include "base/frontend.h"

namespace kalvenor {

namespace {

constexpr const char* kVidmem24Failed = "allocate_vidmem24() failed.";
constexpr const char* kVidmem8Failed = "allocate_vidmem8() failed.";
constexpr const char* kTooLarge = "Maximim allowable image size is 4096x4096.";
constexpr const char* kRevertPrevious = "Insufficient memory, reverting to previous size.";
constexpr const char* kRevert320 = "Insufficient memory, reverting to 320x200.";
constexpr const char* kExiting = "Insufficient memory, exiting.";
constexpr const char* kChange320 = "Insufficient memory, changing to 320x200.";
constexpr const char* kNoMemory = "Insufficient memory.";
constexpr const char* kNoVideoMode = "Unable to set video mode!";

bool buffersPresent(const ImageBuffers& images) { return images.vidmem24.allocated() && images.vidmem8.allocated(); }

// Whether the memory limit, when one is set, leaves room for this many bytes.
bool fits(const ImageGeometry& geometry, std::size_t bytes)
{
    return geometry.memoryLimit == 0 || bytes <= geometry.memoryLimit;
}

int clampToInt(long value) { return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX)); }

} // namespace

AllocationSize neededAllocation(const ImageGeometry& geometry, const RenderSettings& render)
{
    const bool antialias = render.antialias != 0;
    const bool doubleHeight = antialias || render.flare != 0;
    return {antialias ? 2 * geometry.width : geometry.width, doubleHeight ? 2 * geometry.height : geometry.height};
}

int ensureImageBuffers(ImageBuffers& images, ImageGeometry& geometry, const RenderSettings& render, Frontend& ui)
{
    const AllocationSize need = neededAllocation(geometry, render);
    if (need.width == geometry.allocatedWidth && need.height == geometry.allocatedHeight && buffersPresent(images))
        return 1;

    images.vidmem24.release();
    images.vidmem8.release();
    geometry.allocatedWidth = 0;
    geometry.allocatedHeight = 0;
    if (need.width < 1 || need.height < 1 || need.width > kMaxImageSide || need.height > kMaxImageSide) return 0;

    const std::size_t pixels = static_cast<std::size_t>(need.width) * static_cast<std::size_t>(need.height);
    if (!fits(geometry, pixels * sizeof(std::uint32_t)) || !images.vidmem24.allocate(need.width, need.height)) {
        ui.message(kVidmem24Failed);
        return 0;
    }
    if (!fits(geometry, pixels * (sizeof(std::uint32_t) + 1)) || !images.vidmem8.allocate(need.width, need.height)) {
        ui.message(kVidmem8Failed);
        return 0;
    }
    geometry.allocatedWidth = need.width;
    geometry.allocatedHeight = need.height;
    geometry.largestSide = std::max(geometry.width, geometry.height);
    return 1;
}

int setImageSize(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui, int width,
                 int height)
{
    if (width < kMinImageSide || width > kMaxImageSide || height < kMinImageSide || height > kMaxImageSide) return 0;
    if (width != geometry.width || height != geometry.height) {
        const ProjectionExtents extents = sizeByNumberExtents(width, height);
        geometry.projWidth = extents.width;
        geometry.projHeight = extents.height;
        geometry.width = width;
        geometry.height = height;
        render.imageWidth = width;
        render.imageHeight = height;
    }
    // Also when the size is unchanged: buffers lost to an earlier failure are made again.
    const int result = ensureImageBuffers(images, geometry, render, ui);
    recomputeScroll(geometry);
    return result;
}

int imageSizeCommand(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui, int width,
                     int height)
{
    height = std::min(height, width);
    if (width > kMaxCommandImageSide || height > kMaxCommandImageSide) {
        ui.message(kTooLarge);
        return 0;
    }
    // A size below the minimum is refused as such, not reported as a lack of memory.
    if (width < kMinImageSide || height < kMinImageSide) return 0;

    const int oldWidth = geometry.width;
    const int oldHeight = geometry.height;
    if (setImageSize(images, geometry, render, ui, width, height)) return 1;
    ui.message(kRevertPrevious);
    if (setImageSize(images, geometry, render, ui, oldWidth, oldHeight)) return 0;
    ui.message(kRevert320);
    if (setImageSize(images, geometry, render, ui, kFallbackImageWidth, kFallbackImageHeight)) return 0;
    throw ImageMemoryExit(kExiting);
}

int imageSizeDialog(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui)
{
    const std::optional<long> width = ui.askNumber("Desired image width:", geometry.width);
    if (!width) return -1;
    const std::optional<long> height = ui.askNumber("Desired image height:", geometry.height);
    if (!height) return -1;

    const int oldWidth = geometry.width;
    const int oldHeight = geometry.height;
    const int result = setImageSize(images, geometry, render, ui, clampToInt(*width), clampToInt(*height));
    if (buffersPresent(images)) return result;

    char text[96];
    std::snprintf(text, sizeof text, "Insufficient memory, reverting to previous size (%dx%d).", oldWidth, oldHeight);
    ui.message(text);
    setImageSize(images, geometry, render, ui, oldWidth, oldHeight);
    if (buffersPresent(images)) return 0;
    ui.message(kChange320);
    setImageSize(images, geometry, render, ui, kFallbackImageWidth, kFallbackImageHeight);
    if (!buffersPresent(images)) ui.message(kNoMemory);
    return 0;
}

int displayModeIndex(std::int32_t number)
{
    for (int i = 0; i < kDisplayModeCount; ++i)
        if (kDisplayModes[i].number == number) return i;
    return -1;
}

int displayModeForSize(int sizeNumber, int depth)
{
    int eightBit = -1;
    for (int i = 0; i < kDisplayModeCount; ++i) {
        if (kDisplayModes[i].sizeNumber != sizeNumber) continue;
        if (kDisplayModes[i].depth == depth) return i;
        if (kDisplayModes[i].depth == 8) eightBit = i;
    }
    return eightBit;
}

int setDisplayMode(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui, int index)
{
    if (index < 0 || index >= kDisplayModeCount) return 0;
    const DisplayMode& mode = kDisplayModes[index];
    const ProjectionExtents extents = presetExtents(mode.width, mode.height);
    geometry.width = mode.width;
    geometry.height = mode.height;
    geometry.projWidth = extents.width;
    geometry.projHeight = extents.height;
    geometry.displayDepth = mode.depth;
    geometry.windowWidth = mode.width;
    geometry.windowHeight = mode.height;
    render.imageWidth = mode.width;
    render.imageHeight = mode.height;
    render.imageBits = mode.depth;
    render.imageSizeMode = mode.sizeNumber;
    render.displayModeNumber = mode.number;
    render.viewWidth = mode.width;
    render.viewHeight = mode.height;
    const int result = ensureImageBuffers(images, geometry, render, ui);
    recomputeScroll(geometry);
    return result;
}

void restoreDisplayMode(ImageBuffers& images, ImageGeometry& geometry, RenderSettings& render, Frontend& ui,
                        std::int32_t number, int savedWidth, int savedHeight)
{
    if (!setDisplayMode(images, geometry, render, ui, displayModeIndex(number)) &&
        !setDisplayMode(images, geometry, render, ui, displayModeIndex(kBasicDisplayMode)))
        throw FatalError(kNoVideoMode);
    if (savedWidth != geometry.width || savedHeight != geometry.height)
        setImageSize(images, geometry, render, ui, savedWidth, savedHeight);
}

} // namespace kalvenor
