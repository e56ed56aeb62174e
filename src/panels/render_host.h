// What the window's commands need of the render window, apart from the
// Frontend: the window adapter provides it, tests provide a fake.
#pragma once

namespace kalvenor {

class RenderHost {
public:
    virtual ~RenderHost() = default;
    // Shows the render window for the current image size, ready for a render
    // ("Kalvenor Image"), and marks a render as running.
    virtual void prepareRender() = 0;
    // The render has ended: the image is shown as it stands.
    virtual void renderFinished() = 0;
    // While busy the window serves only painting, panning and the abort.
    virtual void setBusy(bool busy) = 0;
};

} // namespace kalvenor
