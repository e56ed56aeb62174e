#include "panels/render_view.h"

#include <algorithm>

namespace kalvenor {

namespace {

// Moves an offset forward by step when the image is larger than the view on that axis, to at most
// image - view - 1.
void forward(int& offset, int step, int image, int view)
{
    if (image > view) offset = std::min(offset + step, image - view - 1);
}

// One pixel of either buffer as 0x00RRGGBB.
struct PixelSource {
    const ImageBuffers& images;
    const DisplayPalette& palette;
    bool deep;

    int width() const { return deep ? images.vidmem24.width : images.vidmem8.width; }
    int height() const { return deep ? images.vidmem24.height : images.vidmem8.height; }
    bool present() const { return deep ? images.vidmem24.allocated() : images.vidmem8.allocated(); }
    std::uint32_t at(int x, int y) const
    {
        if (deep) {
            const std::uint32_t p = images.vidmem24[y][x];
            return static_cast<std::uint32_t>(pixelRed(p)) << 16 | static_cast<std::uint32_t>(pixelGreen(p)) << 8 |
                   pixelBlue(p);
        }
        const std::size_t e = static_cast<std::size_t>(images.vidmem8[y][x]) * 4;
        return static_cast<std::uint32_t>(palette.entries[e + 1]) << 16 |
               static_cast<std::uint32_t>(palette.entries[e + 2]) << 8 | palette.entries[e + 3];
    }
};

} // namespace

void composeImage(const ImageBuffers& images, const ImageGeometry& geometry, const DisplayPalette& palette,
                  bool trueColour, int width, int height, std::vector<std::uint32_t>& out)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    out.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    const PixelSource source{images, palette, trueColour};
    if (!source.present()) return;
    const int step = geometry.oversize ? 4 : 1;
    const int shownWidth = geometry.oversize ? width / 2 : width;
    const int shownHeight = geometry.oversize ? height / 2 : height;
    const int left = geometry.oversize ? width / 4 : 0;
    const int top = geometry.oversize ? height / 4 : 0;
    const int columns = std::min(shownWidth, (source.width() + step - 1) / step);
    const int rows = std::min(shownHeight, (source.height() + step - 1) / step);
    for (int j = 0; j < rows; ++j) {
        std::uint32_t* row = &out[static_cast<std::size_t>(top + j) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(left)];
        for (int i = 0; i < columns; ++i) row[i] = source.at(step * i, step * j);
    }
}

void applyViewOperation(RenderView& v, int operation, bool has24Bit, bool deepScreen)
{
    const bool wider = v.imageWidth > v.viewWidth;
    const bool taller = v.imageHeight > v.viewHeight;
    switch (operation) {
    case kViewRedraw:
        v.y = std::min(v.y, v.imageHeight - v.viewHeight);
        v.x = std::min(v.x, v.imageWidth - v.viewWidth);
        break;
    case kViewUp: v.y -= kPanStep; break;
    case kViewDown: forward(v.y, kPanStep, v.imageHeight, v.viewHeight); break;
    case kViewRight: forward(v.x, kPanStep, v.imageWidth, v.viewWidth); break;
    case kViewLeft: v.x -= kPanStep; break;
    case kViewScaled: v.scaled = true; break;
    case kViewCentre:
        if (wider) v.x = (v.imageWidth - v.viewWidth) / 2;
        if (taller) v.y = (v.imageHeight - v.viewHeight) / 2;
        break;
    case kViewPageRight: forward(v.x, kPageStep, v.imageWidth, v.viewWidth); break;
    case kViewPageLeft: v.x -= kPageStep; break;
    case kViewPageUp: v.y -= kPageStep; break;
    case kViewPageDown: forward(v.y, kPageStep, v.imageHeight, v.viewHeight); break;
    case kViewTopLeft:
    case kViewBottomLeft:
    case kViewTopRight:
    case kViewBottomRight: {
        const bool right = operation == kViewTopRight || operation == kViewBottomRight;
        const bool bottom = operation == kViewBottomLeft || operation == kViewBottomRight;
        if (wider) v.x = right ? v.imageWidth - v.viewWidth - 1 : 0;
        if (taller) v.y = bottom ? v.imageHeight - v.viewHeight - 1 : 0;
        break;
    }
    case kViewTrueColourOn:
        if (has24Bit && deepScreen) v.trueColour = true;
        break;
    case kViewTrueColourOff: v.trueColour = false; break;
    default: break;
    }
    if ((operation >= kViewUp && operation <= kViewLeft) || (operation >= kViewCentre && operation <= kViewBottomRight))
        v.scaled = false;
    v.x = std::max(v.x, 0);
    v.y = std::max(v.y, 0);
}

} // namespace kalvenor
