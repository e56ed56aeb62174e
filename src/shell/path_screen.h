// The Path panel's own pictures: the altitude display under its controls, the
// position slider that picks a point of the flight, and the display's zoom.
#pragma once

namespace kalvenor {

struct App;
struct Gadget;
struct WindowContext;

// Where the display stands in the Path panel, corners included.
constexpr int kAltitudeX0 = 380, kAltitudeY0 = 330, kAltitudeX1 = 663, kAltitudeY1 = 496;

// Draws the altitude display when the Path panel is open.
void drawPathScreen(WindowContext& ctx);

// A click on no gadget: when it lies on the display, the point under it
// becomes the current one (the camera goes there) and true comes back.
bool pathScreenClick(WindowContext& ctx, int x, int y);

// The position slider (1362): the current point on a scale of 0 .. 1000 along
// the flight; moving it puts the camera on the point it names.
double pathPosition(const App& app);
int movePathPosition(WindowContext& ctx, const Gadget& slider);

// The display's zoom buttons: "+" (1366), "=" (1367) and "-" (1368).
template <int Id>
int zoomAltitude(WindowContext& ctx, const Gadget&);

} // namespace kalvenor
