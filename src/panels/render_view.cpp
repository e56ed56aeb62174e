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

} // namespace

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
