// The main window's surface: the menu row, the topographic map with its
// controls, the fourteen panel tabs and the panel the selected tab opens, the
// Render and Display buttons, and the status line.
#pragma once

#include <optional>
#include <vector>

#include "panels/gadget.h"
#include "panels/toolkit.h"

namespace kalvenor {

struct Landscape;

// The map area on the surface: 256 x 256 pixels from (48, 40).
constexpr int kMapLeft = 48;
constexpr int kMapTop = 40;
constexpr int kMapSize = 256;

struct MainPanel {
    PanelInstance frame;                // the whole surface, with the main window's gadgets
    std::optional<PanelInstance> open;  // the panel of the selected tab
    int openTab = 0;                    // its tab's identifier, 0 when none is open
};

// The main window's gadgets, as its table lists them.
std::vector<Gadget> mainWindowGadgets();

// The panel a tab opens (nullptr for an identifier that is no tab).
const PanelDescriptor* tabPanel(int tabId);

// The whole surface drawn anew: frame, gadgets, the map picture of land, an
// open panel again, and an empty status line.
void drawMainSurface(Surface& s, MainPanel& main, const Landscape& land);

// The plain elevation picture of the landscape in the map area: north up, the
// lowest point black, the highest white.
void drawMapPicture(Surface& s, const Landscape& land);

// Selecting a tab: the other tabs cleared, the open panel closed, the tab's
// panel opened at its place with its title over its controls (read with the
// main window's gadgets from then on). False for an identifier that is no tab.
bool openTab(Surface& s, MainPanel& main, int tabId, std::vector<Gadget> controls = {});

} // namespace kalvenor
