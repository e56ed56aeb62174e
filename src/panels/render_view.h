// The render window's view of the image: which part of an image larger than
// the window is shown, and how. Pan steps of 20 pixels, pages of 100; the
// window's keys, menu and scroll bars all come down to the operations below.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/display_palette.h"
#include "codecs/image_buffers.h"
#include "render/projection.h"

namespace kalvenor {

struct RenderView {
    int imageWidth = 0, imageHeight = 0; // W x H
    int viewWidth = 0, viewHeight = 0;   // w x h: the window's client area
    int x = 0, y = 0;                    // pan offsets from the image's top-left corner
    bool scaled = false;                 // the image scaled to fit the window
    bool trueColour = false;             // the 24-bit image shown, else the 8-bit one through the palette
};

constexpr int kPanStep = 20;
constexpr int kPageStep = 100;

// The view operations by their codes.
enum ViewOperation : int {
    kViewRedraw = 0,         // clamp y to 0 .. H - h and x to 0 .. W - w
    kViewUp = 1,             // y - 20
    kViewDown = 2,           // y + 20, only when the image is taller; at most H - h - 1
    kViewRight = 3,          // x + 20, only when the image is wider; at most W - w - 1
    kViewLeft = 4,           // x - 20
    kViewScaled = 5,         // scaled display on
    kViewCentre = 6,         // x = (W - w) / 2 when wider, y = (H - h) / 2 when taller
    kViewPageRight = 7,      // x + 100 (limits as 3)
    kViewPageLeft = 8,       // x - 100
    kViewPageUp = 9,         // y - 100
    kViewPageDown = 10,      // y + 100 (limits as 2)
    kViewTopLeft = 11,       // the corners, each axis only when the image is larger on it:
    kViewBottomLeft = 12,    //   (0, H - h - 1)
    kViewTopRight = 13,      //   (W - w - 1, 0)
    kViewBottomRight = 14,   //   (W - w - 1, H - h - 1)
    kViewTrueColourOn = 15,  // only with a 24-bit image on a screen of 15 or more bits a pixel
    kViewTrueColourOff = 16,
};

// Applies one operation. Codes 1 to 4 and 6 to 14 turn the scaled display
// off; negative offsets become 0 after every operation. Unknown codes change
// nothing but that.
void applyViewOperation(RenderView& view, int operation, bool has24Bit = true, bool deepScreen = true);

// The image as the render window shows it: width x height pixels 0x00RRGGBB
// (the view's image size), from the 24-bit image or, when trueColour is off,
// from the 8-bit one through the display palette; what the buffers do not
// cover is black. While an antialiased frame is drawn at double size
// (geometry.oversize), a half-size preview of it sits in the middle: pixel
// (width / 4 + i, height / 4 + j) shows pixel (4i, 4j) of the double-size image.
void composeImage(const ImageBuffers& images, const ImageGeometry& geometry, const DisplayPalette& palette,
                  bool trueColour, int width, int height, std::vector<std::uint32_t>& out);

} // namespace kalvenor
