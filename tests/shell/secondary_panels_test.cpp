// The panels that buttons open over the tab panels, driven by clicks and keys
// without a window: their fields and buttons run the keywords, and closing
// one gives the tab's panel back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/app.h"
#include "model/path_layout.h"
#include "panels/key_codes.h"
#include "panels/main_panel.h"
#include "platform/scripted_frontend.h"
#include "shell/startup.h"
#include "shell/window_commands.h"
#include "window_fixture.h"
#include "../panels/scripted_input.h"

namespace kalvenor {
namespace {

class SecondaryPanels : public WindowFixture {
protected:
    // A control at row r, column c of the panel at (372, 8); fields stand at column 22.
    void at(int row, int column, int dx = 6) { input.click(372 + 8 + 8 * column + dx, 8 + 32 + 24 * row + 8); }
    void type(const char* text)
    {
        input.key(kKeyEnd);
        for (int i = 0; i < 300; ++i) input.key(kKeyBackspace);
        for (const char* c = text; *c != '\0'; ++c) input.key(*c);
        input.key(kKeyEnter);
    }
    void done() { input.click(372 + 300 - 70, 8 + 500 - 24); }
};

TEST_F(SecondaryPanels, CloudControlPanelSetsTheCloudsAndGivesTheSkyPanelBack)
{
    ASSERT_EQ(runWindowCommand(*ctx, 1285), 1); // Sky
    at(1, 22);
    type("70");
    at(5, 24, 4); // "L"
    at(4, 22);
    type("300"); // lining beyond 0 .. 255: refused, the field shows the setting again
    done();
    EXPECT_EQ(runWindowCommand(*ctx, 1244), 1);
    EXPECT_EQ(app->scene.clouds.density, 70);
    EXPECT_EQ(app->scene.clouds.sizeDivisor, 4);
    EXPECT_EQ(app->scene.clouds.lining, 20);
    ASSERT_TRUE(main.open);
    EXPECT_EQ(main.open->gadgets.front().text, " Sky objects and properties  ");
}

TEST_F(SecondaryPanels, TreeControlPanelSetsBandsKindsAndSizes)
{
    ASSERT_EQ(runWindowCommand(*ctx, 1288), 1); // Tree
    const auto masks = app->scene.trees.kindMask;
    at(1, 6, 4);  // Tree1: Palm
    at(3, 21, 4); // Tree3: Pine
    at(1, 27, 30);
    type("120"); // Tree1 density
    at(6, 22);
    type("44"); // palm size
    input.key(kKeyEscape);
    EXPECT_EQ(runWindowCommand(*ctx, 1200), 1);
    EXPECT_EQ(app->scene.trees.kindMask[0], masks[0] ^ 1);
    EXPECT_EQ(app->scene.trees.kindMask[2], masks[2] ^ 8);
    EXPECT_EQ(app->scene.trees.kindMask[1], masks[1]);
    EXPECT_EQ(app->scene.trees.density[0], 120);
    EXPECT_EQ(app->scene.trees.palmSize, 44);
    EXPECT_EQ(main.open->gadgets.front().text, "        Tree controls        ");
}

// A Targa of 2 x 2 opaque pixels.
void writeTarga(const std::filesystem::path& path)
{
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>(40 * i)).put(static_cast<char>(90)).put(static_cast<char>(200));
}

TEST_F(SecondaryPanels, TextureFileBoxesLoadAndRemoveTextures)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "texture-panel";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    writeTarga(dir / "dirt.tga");
    ASSERT_EQ(runWindowCommand(*ctx, 1289), 1); // Texture
    ui.fileAnswers = {(dir / "dirt.tga").string()};
    at(0, 30, 4); // Dirt1's "..."
    at(1, 7, 20); // Snow1's name: typed, a file that is not there
    type("missing.tga");
    done();
    EXPECT_EQ(runWindowCommand(*ctx, 1303), 1);
    EXPECT_EQ(ui.fileRequests.back().title, "Select Dirt1 Texture:");
    EXPECT_TRUE(app->textures[38].inUse());
    EXPECT_EQ(app->textures[38].name(), (dir / "dirt.tga").string());
    EXPECT_FALSE(app->textures[42].inUse());
    EXPECT_FALSE(ui.reports.empty()); // the missing file was reported

    // An emptied name removes the texture.
    at(0, 7, 20);
    type("");
    done();
    EXPECT_EQ(runWindowCommand(*ctx, 1303), 1);
    EXPECT_FALSE(app->textures[38].inUse());
    std::filesystem::remove_all(dir);
}

// The vehicle list's "Custom": the characteristics stored as they are edited.
TEST_F(SecondaryPanels, VehicleCharacteristicsOfCustom)
{
    ASSERT_EQ(runWindowCommand(*ctx, 1296), 1); // Path
    at(1, 10, 8); // Ground
    at(2, 22, 60);
    type("-7"); // bank
    at(3, 27, 8); // pitch off
    at(6, 22, 60);
    type("250"); // node height
    done();
    EXPECT_EQ(runWindowCommand(*ctx, 1376), 1);
    const PathSettings s = readPathSettings(app->path);
    EXPECT_EQ(s.vehicleClass, 3);
    EXPECT_EQ(s.bankCoefficient, -7);
    EXPECT_EQ(s.pitching, 0);
    EXPECT_EQ(s.nodeHeight, 250);
}

} // namespace
} // namespace kalvenor
