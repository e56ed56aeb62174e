#include "panels/main_panel.h"

#include <algorithm>
#include <array>

#include "model/landscape.h"
#include "panels/font.h"
#include "panels/panel_style.h"

namespace kalvenor {

namespace {

constexpr MenuItem kProjectMenu[] = {
    {1085, "About Kalvenor", "About this program."},
    {1084, "About Landscape", "Information about the current lanscape."},
    {1086, "About Image", "Information about the last image."},
    {1047, "Viewing Options", "Select viewing (while rendering) options."},
    {1700, "Help", "Open the documentation."},
    {0, "", ""},
    {1068, "Spawn DOS", "Start a command shell; type exit to come back."},
    {0, "", ""},
    {1075, "Exit", "Exit Kalvenor."},
};

constexpr MenuItem kLoadMenu[] = {
    {1115, "Load Landscape", "Load a Kalvenor landscape file."},
    {1116, "Load Region", "Automatically place several Kalvenor landscapes into a large area."},
    {1117, "Load Binary", "Import a 16bit integer binary landscape."},
    {1255, "Load Cloud", "Load a Kalvenor CLD cloud pattern."},
    {1121, "Load CMap", "Load a colour scheme."},
    {1122, "Load Palette", "Load a palette."},
    {0, "", ""},
    {1050, "Load PCX", "Load a PCX image."},
    {1051, "Load Targa", "Load a Targa image."},
    {1052, "Load BMP", "Load a BMP image."},
    {1053, "Load JPEG", "Load a JPEG image."},
    {1275, "Load Stereo", "Load a stereo pair."},
};

constexpr MenuItem kSaveMenu[] = {
    {1124, "Save Landscape", "Save the current landscape (elevation data only) as a Kalvenor landscape file."},
    {1125, "Save Session", "Save the current landscape and all settings as a Kalvenor landscape file."},
    {1134, "Save CMap", "Save the colour scheme."},
    {1256, "Save Cloud", "Save the current cloud pattern as a Kalvenor CLD file."},
    {0, "", ""},
    {1054, "Save PCX", "Save the image as a PCX file."},
    {1055, "Save Targa", "Save the image as a Targa file."},
    {1056, "Save BMP", "Save the image as a BMP file."},
    {1057, "Save JPEG", "Save the image as a JPEG file."},
    {0, "", ""},
    {1128, "Save DXF", "Export the current landscape as a DXF polyface mesh."},
    {1129, "Save Texture Map", "Save the ground colours as a Targa file."},
    {1127, "Save ASCII Z", "Export the current landscape as an ASCII text file."},
};

constexpr MenuItem kImpExpMenu[] = {
    {1257, "Save elevations as PCX", "Save the elevations as a PCX picture."},
    {1258, "Load PCX as elevations", "Make elevations from a PCX picture."},
    {0, "", ""},
    {1259, "Save ground colors as PCX", "Save the ground colours as a PCX picture."},
    {1260, "Load PCX as ground colors", "Make ground colours from a PCX picture."},
    {0, "", ""},
    {1261, "View->DEM", "Make elevations from the last image."},
    {1262, "View->Col", "Make ground colours from the last image."},
    {0, "", ""},
    {1710, "Import elevations", "Make elevations from a GeoTIFF, 16-bit PNG, SRTM or other elevation raster."},
    {1711, "Export elevations", "Save the elevations as GeoTIFF, 16-bit PNG or Terragen."},
    {1712, "Export mesh", "Save the landscape as a glTF, OBJ, STL or PLY mesh."},
};

constexpr MenuItem kQualityMenu[] = {
    {1268, "Low", "Fast, rough images."},
    {1269, "Medium", "Images of medium quality."},
    {1270, "High", "Images of high quality."},
    {1271, "Ultra", "Images of the highest quality."},
    {1272, "User", "Run a user image quality script."},
};

struct Tab {
    int id;
    int y;
    const char* label;
    const char* help;
    PanelDescriptor panel;
};

// The fourteen tabs at x = 673, each opening a 300 x 500 panel at (372, 8).
const std::array<Tab, 14> kTabs = {{
    {1283, 16, "   Camera   ", "Selects camera properties.", {372, 8, 300, 500, "Camera controls"}},
    {1284, 48, "   Light    ", "Selects lighting properties.", {372, 8, 300, 500, "     Lighting properties     "}},
    {1285, 80, "    Sky     ", "Controls for objects in the sky: clouds, sun, moon, etc.",
     {372, 8, 300, 500, " Sky objects and properties  "}},
    {1286, 112, "  Terrain   ", "Selects terrain properties.", {372, 8, 300, 500, "      Terrain properties     "}},
    {1287, 144, "   Water    ", "Create rivers, lakes, seas...", {372, 8, 300, 500, "        Water features       "}},
    {1288, 176, "    Tree    ", "Tree controls.", {372, 8, 300, 500, "        Tree controls        "}},
    {1289, 208, "  Texture   ", "2D and 3D texture options.", {372, 8, 300, 500, "       Texture controls       "}},
    {1290, 240, "Manipulation", "Manipulations of the current landscape.",
     {372, 8, 300, 500, "   Landscape manipulations   "}},
    {1291, 272, "  Creation  ", "Creating new fractal landscapes.",
     {372, 8, 300, 500, "  Fractal landscape creation "}},
    {1295, 304, " Placement  ", "Place trees and buildings.", {372, 8, 300, 500, "      Object placement       "}},
    {1294, 336, "   Image    ", "Image properties and size controls.",
     {372, 8, 300, 500, "      Image properties       "}},
    {1293, 368, " VR Control ", "Virtual reality controls.", {372, 8, 300, 500, "Virtual Reality Controls"}},
    {1296, 432, "    Path    ", "Create and edit animation paths.", {372, 8, 300, 500, "       Animation path        "}},
    {1297, 464, " Animation  ", "Create and view animations.", {372, 8, 300, 500, "          Animation          "}},
}};

constexpr int kTabX = 673;

Gadget button(int id, int x, int y, const char* text, const char* help)
{
    return Gadget{.kind = kGadgetButton, .x = x, .y = y, .id = id, .text = text, .help = help};
}

Gadget menu(int id, int x, const char* text, std::span<const MenuItem> items)
{
    return Gadget{.kind = kGadgetMenu, .x = x, .y = 8, .id = id, .text = text, .items = items};
}

} // namespace

std::vector<Gadget> mainWindowGadgets()
{
    std::vector<Gadget> g = {
        menu(1000, 8, "Project", kProjectMenu),
        menu(1002, 72, " Load ", kLoadMenu),
        menu(1003, 128, " Save ", kSaveMenu),
        menu(1006, 184, "ImpExp", kImpExpMenu),
        menu(1007, 352, "Quality", kQualityMenu),
        button(1061, 402, 516, "    Render    ", "Create a new image."),
        button(1132, 530, 516, "   Display    ", "Redisplay the last rendered image."),
        // The map's scroll bars start at position 128 of 256.
        Gadget{.kind = kGadgetHSlider, .x = 34, .y = 311, .id = 1309, .help = "Scroll topographic map horizontally.",
               .width = 284, .height = 14, .value = 128, .range = 256},
        Gadget{.kind = kGadgetVScroll, .x = 319, .y = 26, .id = 1308, .help = "Scroll topographic map vertically.",
               .width = 14, .height = 284, .value = 128, .range = 256},
        button(1314, 336, 315, "T", "Center the topo map around the target."),
        button(1313, 321, 315, "C", "Center the topo map around the camera."),
        button(1310, 28, 137, "+", "Zoom in on topographic map."),
        button(1312, 28, 160, "=", "Unzoom topographic map."),
        button(1311, 28, 183, "-", "Zoom out on topographic map."),
        button(1315, 28, 422, "+", "Zoom view in."),
        button(1316, 28, 445, "-", "Zoom view out."),
        button(1237, 324, 343, "BB", "Mark a bounding box (only areas within the box are rendered)."),
    };
    for (const Tab& t : kTabs)
        g.push_back(Gadget{.kind = kGadgetTab, .flags = kFlagMainTab, .x = kTabX, .y = t.y, .id = t.id, .text = t.label,
                           .help = t.help, .panel = &t.panel});
    return g;
}

const PanelDescriptor* tabPanel(int tabId)
{
    for (const Tab& t : kTabs)
        if (t.id == tabId) return &t.panel;
    return nullptr;
}

void redrawMap(Surface& s, MainPanel& main, const Landscape& land)
{
    if (main.map.extent != mapExtent(land)) unzoomMap(main.map, land); // a landscape of another size
    buildMapImage(main.map, land);
    drawMap(s, main.map, land, main.marks);
    for (Gadget& g : main.frame.gadgets) {
        const int value = g.id == 1309 ? main.map.scrollX : g.id == 1308 ? main.map.scrollY : -1;
        if (value < 0 || g.value == value) continue;
        g.value = value;
        drawGadget(s, main.frame, g);
    }
}

void drawMainSurface(Surface& s, MainPanel& main, const Landscape& land)
{
    std::vector<Gadget> kept = std::move(main.frame.gadgets); // states kept across redraws
    main.frame = openPanel(s, 0, 0, kSurfaceWidth, kSurfaceHeight, false);
    main.frame.gadgets = kept.empty() ? mainWindowGadgets() : std::move(kept);
    main.frame.moveArea = std::array<int, 4>{kMapLeft, kMapTop, kMapRight, kMapBottom}; // the map's read-out
    drawGadgets(s, main.frame);
    redrawMap(s, main, land);
    showStatus(s, {});
    if (main.openTab != 0) {
        const int tab = main.openTab;
        std::vector<Gadget> controls;
        if (main.open && main.open->gadgets.size() > 1)
            controls.assign(main.open->gadgets.begin() + 1, main.open->gadgets.end());
        main.open.reset();
        openTab(s, main, tab, std::move(controls));
    }
}

bool openTab(Surface& s, MainPanel& main, int tabId, std::vector<Gadget> controls)
{
    const PanelDescriptor* panel = tabPanel(tabId);
    if (panel == nullptr) return false;
    for (Gadget& g : main.frame.gadgets) {
        if (g.kind != kGadgetTab || (g.flags & kFlagMainTab) == 0) continue;
        const int state = g.id == tabId ? 1 : 0;
        if (g.state != state || g.x1 < g.x0) {
            g.state = state;
            drawGadget(s, main.frame, g);
        }
    }
    if (main.open) closePanel(s, *main.open);
    main.open = openPanel(s, panel->x, panel->y, panel->width, panel->height, false);
    Gadget title{.kind = kGadgetLabel, .x = (panel->width - static_cast<int>(panel->title.size()) * kCharWidth) / 2,
                 .y = 8, .text = std::string(panel->title)};
    main.open->gadgets = {title};
    for (Gadget& g : controls) main.open->gadgets.push_back(std::move(g));
    main.frame.child = &*main.open;
    main.frame.hovered = nullptr;
    drawGadgets(s, *main.open);
    // The menu row stays readable where the panel reaches under it ("Quality" at 352).
    for (Gadget& g : main.frame.gadgets)
        if (g.kind == kGadgetMenu) drawGadget(s, main.frame, g);
    main.openTab = tabId;
    return true;
}

} // namespace kalvenor
