#include "codecs/stereo.h"

#include <algorithm>
#include <new>
#include <vector>

#include "base/file_requests.h"
#include "base/frontend.h"
#include "codecs/targa.h"

namespace kalvenor {

namespace {

constexpr std::uint32_t kGreenBlue = 0x00FFFF00;
constexpr int kDividerPerWidth = 16;
constexpr int kDividerReference = 640;

std::size_t pixelCount(const PixelView& v) { return static_cast<std::size_t>(v.width) * static_cast<std::size_t>(v.height); }

// One side of the pair: the Targa at a requested path loaded opaque into the
// cleared view. 1, 0 (file error shown) or -1 when the requester was cancelled.
int loadSide(Frontend& ui, const PixelView& view, const char* title, const std::string& directory,
             TargaHeader& header)
{
    const auto path = askLoadPath(ui, title, directory, "*.TGA");
    if (!path) return -1;
    ui.status("  Load Targa24  ");
    clearView(view);
    if (loadTarga(*path, view, TargaMode::Opaque, header) == ImageStatus::Ok) return 1;
    ui.message(fileMessage(kErrorReadingFile, kStereoImageName));
    return 0;
}

template <typename T>
bool allocatePlane(std::vector<T>& plane, std::size_t n)
{
    try {
        plane.assign(n, T{});
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

void composeRedBlue(const PixelView& right, std::span<const std::uint8_t> leftReds)
{
    if (leftReds.size() < pixelCount(right)) return;
    for (int y = 0; y < right.height; ++y) {
        std::uint32_t* row = right.row(y);
        const std::uint8_t* reds = leftReds.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(right.width);
        for (int x = 0; x < right.width; ++x) row[x] = (row[x] & kGreenBlue) | reds[x];
    }
}

bool cyberscopeLayout(int width, int height, CyberscopeLayout& layout)
{
    const int half = width / 2;
    if (half < 1 || height < half || height > width) return false;
    layout = {half, (height - half) / 2, (width - height) / 2, width * kDividerPerWidth / kDividerReference};
    return true;
}

void cyberscopeLeftPlane(const PixelView& image, const CyberscopeLayout& l, std::span<std::uint32_t> plane)
{
    const int h = image.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l.half; ++x)
            plane[static_cast<std::size_t>(y) * l.half + x] = image.row(l.firstRow + x)[l.firstColumn + (h - 1 - y)];
}

void cyberscopeRightPlane(const PixelView& image, const CyberscopeLayout& l, std::span<std::uint32_t> plane)
{
    const int h = image.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l.half; ++x)
            plane[static_cast<std::size_t>(y) * l.half + x] = image.row(l.firstRow + (l.half - 1 - x))[l.firstColumn + y];
}

void composeCyberscope(const PixelView& image, const CyberscopeLayout& l, std::span<const std::uint32_t> left,
                       std::span<const std::uint32_t> right)
{
    const int dividerFirst = std::max(0, l.half - l.divider - 1);
    const int dividerLast = std::min(image.width - 1, l.half + l.divider);
    for (int y = 0; y < image.height; ++y) {
        std::uint32_t* row = image.row(y);
        const std::size_t at = static_cast<std::size_t>(y) * l.half;
        std::copy_n(left.begin() + static_cast<std::ptrdiff_t>(at), l.half, row);
        std::copy_n(right.begin() + static_cast<std::ptrdiff_t>(at), l.half, row + l.half);
        std::fill(row + dividerFirst, row + dividerLast + 1, 0u);
    }
}

int loadStereoPair(Frontend& ui, ImagePlane<std::uint32_t>& vidmem24, ImageSize size, StereoKind kind,
                   LoadedImageInfo& info, const std::string& directory)
{
    const PixelView view = viewOf(vidmem24, size);
    if (!view.valid()) {
        ui.message(kNeeds24Bit);
        return 0;
    }
    CyberscopeLayout layout;
    if (kind == StereoKind::Cyberscope && !cyberscopeLayout(view.width, view.height, layout)) {
        ui.message(kCyberscopeSize);
        return 0;
    }
    const auto fail = [&info](int result) {
        if (result == 0) info = {};
        return result;
    };

    // Left image, and what the pair keeps of it.
    TargaHeader left;
    if (const int r = loadSide(ui, view, "Left Image", directory, left); r != 1) return fail(r);
    std::vector<std::uint8_t> reds;
    std::vector<std::uint32_t> leftPlane, rightPlane;
    const std::size_t planeWords = static_cast<std::size_t>(layout.half) * static_cast<std::size_t>(view.height);
    const bool allocated = kind == StereoKind::RedBlue
                               ? allocatePlane(reds, pixelCount(view))
                               : allocatePlane(leftPlane, planeWords) && allocatePlane(rightPlane, planeWords);
    if (!allocated) {
        ui.message(kStereoNoMemory);
        return fail(0);
    }
    if (kind == StereoKind::RedBlue) {
        for (int y = 0; y < view.height; ++y)
            for (int x = 0; x < view.width; ++x)
                reds[static_cast<std::size_t>(y) * view.width + x] = pixelRed(view.row(y)[x]);
    } else {
        cyberscopeLeftPlane(view, layout, leftPlane);
    }

    // Right image, of the same size.
    TargaHeader right;
    if (const int r = loadSide(ui, view, "Right Image", directory, right); r != 1) return fail(r);
    if (right.width != left.width || right.height != left.height) {
        ui.message(kStereoSizeMismatch);
        ui.message(fileMessage(kErrorReadingFile, kStereoImageName));
        return fail(0);
    }
    if (kind == StereoKind::RedBlue) {
        composeRedBlue(view, reds);
    } else {
        cyberscopeRightPlane(view, layout, rightPlane);
        composeCyberscope(view, layout, leftPlane, rightPlane);
    }
    info = {right.width, right.height, right.depth};
    return 1;
}

int commandLoadStereo(Frontend& ui, ImagePlane<std::uint32_t>& vidmem24, ImageSize size, LoadedImageInfo& info,
                      const std::string& directory)
{
    if (!vidmem24.allocated()) {
        ui.message(kNeeds24Bit);
        return 0;
    }
    const StereoKind kind =
        ui.ask("Red/Blue or Cyberscope?", "Red/Blue", "Cyberscope") ? StereoKind::RedBlue : StereoKind::Cyberscope;
    return loadStereoPair(ui, vidmem24, size, kind, info, directory);
}

} // namespace kalvenor
