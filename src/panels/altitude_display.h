// The altitude display of the Path panel: the flight seen from the side, its
// altitude as a line over the ground profile under it, the points in path
// order from left to right. Unzoomed it shows the whole flight; zoomed, a
// window of the points centred on the current one. A click on it picks the
// point under the pointer, and the same pixel maths place the marker of the
// current point, so both always agree.
//
// The display is drawn into a rectangle given by its corners (both included):
// a one-pixel frame, and inside it the picture. Nothing is drawn outside the
// rectangle.
#pragma once

#include "panels/panel_style.h"
#include "panels/surface.h"

namespace kalvenor {

struct Landscape;
struct PathState;

namespace altitude_colour {
constexpr Colour kBack = panel_colour::kField;
constexpr Colour kFrame = panel_colour::kDark;
constexpr Colour kEarth = rgb(150, 112, 72); // the ground profile, filled down to the bottom
constexpr Colour kFlight = rgb(0, 64, 255);  // the flight's altitude
constexpr Colour kMarker = rgb(224, 0, 0);   // the current point
constexpr Colour kHighText = panel_colour::kText; // on the background
constexpr Colour kLowText = panel_colour::kLight; // on the earth
} // namespace altitude_colour

constexpr int kAltitudeZoomMax = 64;

struct AltitudeView {
    int zoom = 1; // 1 .. 64: the display shows a zoom-th of the points, at least 2
};

// The "+", "-" and "=" buttons: the zoom doubled (at most 64), halved (at
// least 1) and back to 1.
AltitudeView zoomAltitudeIn(AltitudeView view);
AltitudeView zoomAltitudeOut(AltitudeView view);
AltitudeView unzoomAltitude(AltitudeView view);

// The points shown: first .. first + count - 1.
struct AltitudeWindow {
    int first = 0;
    int count = 0;
};

// The window for a list of pointCount points: count = pointCount / zoom
// rounded up, at least 2 (when there are that many); first puts the current
// point (clamped to the list) in the middle, then is clamped so that the
// window stays within the list. Empty for an empty list.
AltitudeWindow altitudeWindow(AltitudeView view, int pointCount, int currentPoint);

// The inside of the display, x0 + 1 .. x1 - 1, is W columns, and the window's
// points share them evenly: point first + k sits at the middle of the k-th of
// count equal strips. A column shows the point nearest its middle.
//
// So with more points than columns a column goes to a point and back to the
// same column; with fewer, a point goes to a column and back to the same point.
//
// The point shown at column x (clamped to the inside); -1 for an empty window.
int altitudeDisplayPoint(int x, int x0, int x1, AltitudeWindow window);
// The column a point is drawn at; outside the inside when the point is outside the window.
int altitudeDisplayColumn(int point, int x0, int x1, AltitudeWindow window);

// The vertical scale: the lowest altitude drawn, ground or flight, lies
// kAltitudeLabelBand rows above the bottom inside row, the highest as many
// rows below the top inside row, linear in between, rounded to the nearest row. The bands
// hold the two altitudes as text, so no label covers the picture; a display
// under 4 text lines tall keeps bands of an eighth of its inside and no text.
constexpr int kAltitudeLabelBand = 18;

// Draws the display for the points of path over land, with the current point
// (clamped to the list) marked by a vertical line. The ground of a column is
// the highest ground under the points drawn in it and under the flight at its
// middle, so a peak under a point that shares its column still shows, and a
// zoomed display follows the ground between the points. Where the flight goes
// on beyond the window, its line runs on to the edge. A path without points
// shows "No path".
void drawAltitudeDisplay(Surface& s, int x0, int y0, int x1, int y1, const PathState& path, const Landscape& land,
                         AltitudeView view, int currentPoint);

} // namespace kalvenor
