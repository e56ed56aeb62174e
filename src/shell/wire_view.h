// The quick 3-D view of the window: the landscape as a wire frame of coarse
// cells, seen by the camera, in a box over the map. Walkabout moves the
// camera in it with keys and clicks and keeps the new camera when it ends;
// Preview path flies the camera path in it; Preview script steps through a
// script's frames in it.
#pragma once

#include <span>
#include <string>

namespace kalvenor {

struct WindowContext;

// Draws the camera's view in the box (opening the box when it is closed),
// with caption above it, and shows the surface.
void showWireView(WindowContext& ctx, const std::string& caption);

// Waits millis milliseconds between two frames of a preview, the windows kept
// alive; false when the user stopped it (Esc or the right button).
bool previewWait(WindowContext& ctx, int millis);

// Closes the box: the main window as it was under it.
void closeWireView(WindowContext& ctx);

// Walkabout (1242) and Preview path (1360).
std::span<const int> wireViewCommandIds();

// Walkabout: the arrows move forward and back and turn, Page Up and Page Down
// climb and sink, Home and End pitch up and down, a click in the view turns
// toward it; Enter or "Done" keeps the camera (its target placed ahead of
// it, on its heading and pitch), Esc or "Cancel" puts the old one back.
// Preview path: the flight played at the animation speed from the position
// slider's point; Esc or the right button stops it. 1 done, 0 nothing to
// show, -1 cancelled or stopped.
int runWireViewCommand(WindowContext& ctx, int id);

} // namespace kalvenor
