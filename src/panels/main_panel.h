// The main window's surface: the menu row, the topographic map with its
// controls, the fourteen panel tabs and the panel the selected tab opens, the
// Render and Display buttons, and the status line.
#pragma once

#include <optional>
#include <vector>

#include "panels/gadget.h"
#include "panels/toolkit.h"
#include "panels/topo_map.h"

namespace kalvenor {

struct Landscape;

struct MainPanel {
    PanelInstance frame;                // the whole surface, with the main window's gadgets
    std::optional<PanelInstance> open;  // the panel of the selected tab
    int openTab = 0;                    // its tab's identifier, 0 when none is open
    MapView map;                        // the topographic map's zoom, scroll and image
    MapMarks marks;                     // what the map marks (camera, target, bounding box)
};

// The main window's gadgets, as its table lists them.
std::vector<Gadget> mainWindowGadgets();

// The panel a tab opens (nullptr for an identifier that is no tab).
const PanelDescriptor* tabPanel(int tabId);

// The whole surface drawn anew: frame, gadgets, the map of land, an open
// panel again, and an empty status line.
void drawMainSurface(Surface& s, MainPanel& main, const Landscape& land);

// The map image built again from land and drawn with its marks; the map's
// scroll gadgets show its scroll positions.
void redrawMap(Surface& s, MainPanel& main, const Landscape& land);

// Selecting a tab: the other tabs cleared, the open panel closed, the tab's
// panel opened at its place with its title over its controls (read with the
// main window's gadgets from then on). False for an identifier that is no tab.
bool openTab(Surface& s, MainPanel& main, int tabId, std::vector<Gadget> controls = {});

} // namespace kalvenor
