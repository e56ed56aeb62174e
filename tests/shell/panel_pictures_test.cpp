// Each control panel as the window draws it: the title and the labels its
// controls carry, and the whole picture against the one committed in
// tests/shell/golden (looked at when it was made). KALVENOR_UPDATE_GOLDEN=1
// writes the pictures instead of comparing them; look at them before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "panels/main_panel.h"
#include "platform/scripted_frontend.h"
#include "shell/control_panels.h"
#include "shell/startup.h"
#include "support/png_reading.h"

namespace kalvenor {
namespace {

struct PanelLabels {
    int tab;
    std::vector<std::string> labels; // the labels the panel's table gives its controls
};

const PanelLabels kPanels[] = {
    {1283, {"Camera controls", " Place camera ", " Place target ", "X", "Y", "Z", "  Wide angle  ", "  Zoom lens   ",
            "   Walkabout   "}},
    {1284, {"Lighting properties", "N", "E", "S", "W", "    Colors    ", "   Textures   "}},
    {1285, {"Sky objects and properties", "    Colors    ", "   Textures   "}},
    {1286, {"Terrain properties", " Cliff colors ", "    Colors    "}},
    {1287, {"Water features", "Create river", "Create lake", "Set sea level"}},
    {1288, {"Tree controls", "  Draw as 2D  ", "  Draw as 3D  ", "L", "M", "H", "U", " Tree colors  ",
            " 2D textures  "}},
    {1289, {"Texture controls", "O", "L", "M", "H"}},
    {1290, {"Landscape manipulations", "Erode", "Smooth", "1", "2", "4", "8", "Roughen", "Stretch", "Enlarge section",
            "Enlarge all", "Shrink"}},
    {1291, {"Fractal landscape creation", "Set landscape size", "Randomize seed", "Enlarge section", "Smooth", "Erode",
            "Roughen", "Stretch"}},
    {1295, {"Object placement", "Pine", "Cactus", "Oak", "Palm", "House4", "House3", "House2", "House1", "Road",
            "Water", "Beach", "Erase"}},
    {1294, {"Image properties", "Select background", "Select foreground", "Load palette", "Palettized display",
            "Display options"}},
    {1293, {"Virtual Reality Controls", " Forward ", "  Port   ", "Starboard", " Astern  ", " Left ", "Center",
            " Right", "Stereographic Controls", "CamSep", "ImgSep"}},
    {1296, {"Create a new path", "Vehicle type", "Closed loop", "Add node", "Remove node", "Edit node", "Set target",
            "Unset target", "Add roll", "Remove roll", " Export path  ", "Preview path", "+", "=", "-"}},
    {1297, {"Create AVI", "Create FLC", "Create PCX series", "Create BMP series", "Create JPG series",
            "Create TGA series", "View AVI", "View FLC"}},
};

class PanelPictures : public ::testing::TestWithParam<PanelLabels> {
protected:
    std::unique_ptr<App> app = std::make_unique<App>();
    ScriptedFrontend ui;
    Surface surface;
    MainPanel main;
    std::vector<DrawnText> drawn;

    void SetUp() override
    {
        initialiseApp(*app, ui);
        drawMainSurface(surface, main, app->landscape);
        surface.textLog = &drawn;
    }
};

TEST_P(PanelPictures, ShowTheirLabelsAndLookAsCommitted)
{
    const PanelLabels& p = GetParam();
    ASSERT_TRUE(openTab(surface, main, p.tab, panelControls(p.tab, *app)));
    const PanelDescriptor* d = tabPanel(p.tab);
    ASSERT_NE(d, nullptr);
    for (const std::string& label : p.labels) {
        bool found = false;
        for (const DrawnText& t : drawn)
            found = found || (t.text.find(label) != std::string::npos && t.x >= d->x && t.x < d->x + d->width);
        EXPECT_TRUE(found) << p.tab << ": \"" << label << "\" is not drawn in the panel";
    }

    testing::RgbPicture picture{d->width, d->height, {}};
    for (int y = d->y; y < d->y + d->height; ++y)
        for (int x = d->x; x < d->x + d->width; ++x) picture.pixels.push_back(surface.at(x, y));
    const std::string golden =
        std::string(KALVENOR_SOURCE_DIR) + "/tests/shell/golden/panel-" + std::to_string(p.tab) + ".png";
    if (const char* update = std::getenv("KALVENOR_UPDATE_GOLDEN"); update != nullptr && *update == '1') {
        std::filesystem::create_directories(std::filesystem::path(golden).parent_path());
        ASSERT_TRUE(testing::writePng(golden, picture)) << golden;
        GTEST_SKIP() << "wrote " << golden << ": look at it before committing";
    }
    const std::optional<testing::RgbPicture> expected = testing::readPng(golden);
    ASSERT_TRUE(expected) << "no picture " << golden << " (KALVENOR_UPDATE_GOLDEN=1 makes it)";
    ASSERT_EQ(expected->width, picture.width);
    ASSERT_EQ(expected->height, picture.height);
    std::size_t differ = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) differ += picture.pixels[i] != expected->pixels[i] ? 1 : 0;
    EXPECT_EQ(differ, 0u) << p.tab << " differs from " << golden << " in " << differ << " pixels";
}

INSTANTIATE_TEST_SUITE_P(Tabs, PanelPictures, ::testing::ValuesIn(kPanels),
                         [](const ::testing::TestParamInfo<PanelLabels>& info) {
                             return "Tab" + std::to_string(info.param.tab);
                         });

} // namespace
} // namespace kalvenor
