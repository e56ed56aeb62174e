// Objects placed by hand: the codes each kind writes, what the colouring
// keeps of them, what a render shows, and that a session keeps them.
#include <gtest/gtest.h>

#include <vector>

#include "app/render_driver.h"
#include "script_fixture.h"
#include "shell/startup.h"
#include "terrain/object_placement.h"
#include "terrain/shading.h"
#include "terrain/terrain_preparation.h"

namespace kalvenor {
namespace {

using Placement = ScriptTest;

// Cell (10, 20) lies at (300, 600) metres.
TEST_F(Placement, EachKindWritesItsCodes)
{
    Landscape& land = app.landscape;
    for (int r = 0; r < land.terrain.height; ++r)
        for (int c = 0; c < land.terrain.width; ++c) land.terrain[r][c] = 0x0027; // bare ground, nothing on it
    const struct {
        const char* line;
        int column, row;
        std::uint16_t cell;
    } cases[] = {
        {"PlaceObject Palm 300 600", 10, 20, 60 << 8 | 0x27},
        {"PlaceObject oak 330 600", 11, 20, 61 << 8 | 0x27},
        {"PlaceObject Cactus 360 600", 12, 20, 62 << 8 | 0x27},
        {"PlaceObject PINE 390 600", 13, 20, 63 << 8 | 0x27},
        {"PlaceObject House1 300 900", 10, 30, 72 << 8 | 0x27},
        {"PlaceObject House4 390 900", 13, 30, 75 << 8 | 0x27},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(run(c.line), LineResult::Done) << c.line;
        EXPECT_EQ(land.terrain[c.row][c.column], c.cell) << c.line;
    }
    // Water within 45 m of (40, 40): the point, its four neighbours at 30 m and the diagonals at 42 m.
    ASSERT_EQ(run("PlaceObject Water 1200 1200 45"), LineResult::Done);
    int water = 0;
    for (int r = 35; r <= 45; ++r)
        for (int c = 35; c <= 45; ++c) water += land.terrain[r][c] == 51 ? 1 : 0;
    EXPECT_EQ(water, 9);
    EXPECT_EQ(land.terrain[40][42], 0x0027);
    ASSERT_EQ(run("PlaceObject Beach 1200 1200"), LineResult::Done); // no radius: the point alone
    EXPECT_EQ(land.terrain[40][40], 50);
    EXPECT_EQ(land.terrain[40][41], 51);
    // A road clears what stood on its way.
    ASSERT_EQ(run("PlaceRoad 300 600 390 690"), LineResult::Done);
    for (int i = 0; i <= 3; ++i) EXPECT_EQ(land.terrain[20 + i][10 + i], 88) << i;
    // The eraser gives the points back to the colouring.
    land.terrainValidAt = 1;
    ASSERT_EQ(run("PlaceObject Erase 390 900 0"), LineResult::Done);
    EXPECT_EQ(land.terrain[30][13], 0);
    EXPECT_EQ(land.terrainValidAt, land.sizeX);

    // Refused: a kind that is none, a place missing, a negative radius; outside the landscape nothing happens.
    const SceneSettings before = app.scene;
    for (const char* line : {"PlaceObject Castle 300 600", "PlaceObject Pine 300", "PlaceObject Water 300 600 -5"}) {
        ui.reports.clear();
        EXPECT_EQ(run(line), LineResult::Done);
        EXPECT_EQ(ui.reports.size(), 1u) << line;
    }
    ui.reports.clear();
    EXPECT_EQ(run("PlaceObject Pine -3000 600"), LineResult::Done);
    EXPECT_TRUE(ui.reports.empty());
    EXPECT_TRUE(app.scene == before);
}

// Placed trees and houses stand through a new colouring (which replants its
// own trees) and through a session saved and loaded.
TEST_F(Placement, PlacedObjectsSurviveColouringAndSessions)
{
    ASSERT_EQ(run("GenerateFractal 31"), LineResult::Done);
    ASSERT_EQ(run("PlaceObject Pine 300 600"), LineResult::Done);
    ASSERT_EQ(run("PlaceObject House2 600 600"), LineResult::Done);
    ASSERT_EQ(run("PlaceRoad 900 900 1500 900"), LineResult::Done);
    ASSERT_EQ(run("TreeLine 2000"), LineResult::Done); // recolour everything
    Landscape& land = app.landscape;
    ASSERT_EQ(prepareTerrain(land, app.scene, app.colouring, app.random, ui), 1);
    EXPECT_EQ(land.terrain[20][10] >> 8, 63);
    EXPECT_EQ(land.terrain[20][20] >> 8, 73);
    EXPECT_EQ(land.terrain[30][40] & 0xFF, 88);

    const std::string session = (dir / "placed.k4s").string();
    ASSERT_EQ(run("SaveSession " + session), LineResult::Done);
    App fresh;
    ScriptedFrontend freshUi;
    initialiseApp(fresh, freshUi);
    ASSERT_EQ(loadStartupLandscape(fresh, freshUi, session, dir.string()), Loaded::WithSettings);
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c)
            ASSERT_EQ(fresh.landscape.terrain[r][c], land.terrain[r][c]) << r << "," << c;
}

// Every kind placed by hand is drawn where it stands (houses with trees off
// too), and the picture changes near it only; the trees that cast shadows and
// the tallest house mark the object shadow beside them (with trees on).
TEST(PlacementRender, EveryKindAppearsWhereItStandsAndTheTallOnesCastShadows)
{
    // Gentle hills seen from above, so nothing nearer hides the place. The colour bands' boundaries
    // are left smooth ("Dither 0"): the colouring draws their roughness from one stream point after
    // point and passes over the points it keeps (water, beach, roads), so with rough boundaries a
    // painted area moves the roughness of every point coloured after it.
    const std::vector<std::string> scene = {"LandscapeSizeSmall", "FractalRoughness 40", "GenerateFractal 12",
                                            "ImageSize 96 72", "TreeOn", "TreeDensity 0", "Tree3D", "TreeSize 600",
                                            "SunAzimuth 180", "SunDeclination 30", "CameraXYZ 3800 -500 2500",
                                            "TargetXYZ 3800 1500 0", "PixelDitherOrdered 0", "AntialiasOff",
                                            "Dither 0"};
    struct Drawn {
        std::vector<std::uint32_t> rgb;
        bool shadowMarked = false; // an object shadow within a cell of (126, 50), where (3800, 1500) lies
    };
    const auto render = [&](const std::string& extra) {
        App app;
        ScriptedFrontend ui;
        initialiseApp(app, ui);
        for (const std::string& line : scene) EXPECT_EQ(executeLine(app, ui, line), LineResult::Done) << line;
        for (std::size_t from = 0; from < extra.size();) {
            const std::size_t end = std::min(extra.find('\n', from), extra.size());
            EXPECT_EQ(executeLine(app, ui, extra.substr(from, end - from)), LineResult::Done);
            from = end + 1;
        }
        EXPECT_TRUE(ui.reports.empty()) << ui.reports.front();
        EXPECT_EQ(renderImage(app, ui), Outcome::Done);
        Drawn drawn;
        for (int r = 0; r < 72; ++r)
            for (int c = 0; c < 96; ++c) drawn.rgb.push_back(app.images.vidmem24[r][c]);
        for (int r = 49; r <= 51; ++r)
            for (int c = 125; c <= 127; ++c) drawn.shadowMarked |= (app.landscape.shadow[r][c] & kObjectShadowBit) != 0;
        return drawn;
    };
    const Drawn plain = render("");
    EXPECT_FALSE(plain.shadowMarked);
    const struct {
        const char* lines;
        bool shadow;
    } cases[] = {
        {"PlaceObject Palm 3800 1500", true},   {"PlaceObject Oak 3800 1500", true},
        {"PlaceObject Cactus 3800 1500", false}, {"PlaceObject Pine 3800 1500", true},
        {"PlaceObject House1 3800 1500", false}, {"PlaceObject House2 3800 1500", false},
        {"PlaceObject House3 3800 1500", false}, {"PlaceObject House4 3800 1500", true},
        {"TreeOff\nPlaceObject House4 3800 1500", false}, {"PlaceObject Water 3800 1500 60", false},
        {"PlaceObject Beach 3800 1500 60", false}, {"PlaceRoad 3700 1500 3900 1500", false},
    };
    for (const auto& c : cases) {
        const Drawn with = render(c.lines);
        int changed = 0, left = 96, right = -1;
        for (std::size_t i = 0; i < plain.rgb.size(); ++i)
            if (plain.rgb[i] != with.rgb[i]) {
                ++changed;
                left = std::min(left, static_cast<int>(i % 96));
                right = std::max(right, static_cast<int>(i % 96));
            }
        EXPECT_GT(changed, 0) << c.lines;
        EXPECT_LT(right - left, 48) << c.lines; // near the middle, where (3800, 1500) lies
        EXPECT_EQ(with.shadowMarked, c.shadow) << c.lines;
    }
}

} // namespace
} // namespace kalvenor
