// The topographic map in the window: its zoom, scroll and centring gadgets,
// the buttons that choose what a click on the map does (place the camera or
// the target, set the snow or tree line, start a river, a lake or the sea,
// mark the bounding box), the read-out under the pointer, and the map picks
// and plots that operations ask for through the Frontend.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "base/frontend.h"
#include "panels/topo_map.h"

namespace kalvenor {

struct WindowContext;

// The map's gadgets and the buttons that choose a click mode.
std::span<const int> mapCommandIds();

// Runs one: the map gadgets change the view; a mode button arms its mode (said
// in the status line) until another mode, a tab or Esc ends it. 1 done, 0
// nothing done, -1 cancelled.
int runMapCommand(WindowContext& ctx, int id);

// A left click on the map at surface point (px, py): the armed mode's action.
// Without a mode the status line says how to choose one.
int mapClick(WindowContext& ctx, int px, int py);

// Ends the armed mode (its button released).
void endMapMode(WindowContext& ctx);

// The read-out for the pointer at (px, py) over the map, in the status line;
// returns it (empty off the map).
std::string mapHover(WindowContext& ctx, int px, int py);

// What the map marks now: the camera, the target and the box, or with the
// Path panel open the flight and its nodes.
MapMarks mapMarks(WindowContext& ctx);

// The map rebuilt and drawn with its marks.
void refreshMap(WindowContext& ctx);

// The open panel's controls show the settings again (a placed camera moves its
// fields), the armed mode's button pressed.
void refillPanel(WindowContext& ctx);

// The Frontend's map services in the window: a modal pick of a grid point (the
// prompt and the read-out in the status line; a click outside the landscape is
// refused; Esc or the right button cancels), and cells plotted while an
// operation works on them.
std::optional<MapPoint> pickMapPoint(WindowContext& ctx, const std::string& prompt);
void plotOnMap(WindowContext& ctx, const MapRect& cells);

} // namespace kalvenor
