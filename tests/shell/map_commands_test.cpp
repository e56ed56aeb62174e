// The map in the window without a window: the mode buttons, a click's action
// at the place the map's maths gives, the read-out, the box drag, the zoom
// gadgets and the picks operations ask for.
#include <gtest/gtest.h>

#include <memory>

#include "app/app.h"
#include "model/landscape.h"
#include "model/path_layout.h"
#include "panels/key_codes.h"
#include "panels/main_panel.h"
#include "platform/scripted_frontend.h"
#include "script/interpreter.h"
#include "shell/map_commands.h"
#include "shell/startup.h"
#include "shell/window_commands.h"
#include "window_fixture.h"
#include "../panels/scripted_input.h"

namespace kalvenor {
namespace {

class MapCommands : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        Landscape& land = app->landscape;
        ASSERT_EQ(resizeLandscape(land, app->random, kSmallGrid, kSmallGrid), 1);
        // A slope rising to the north-east: elevation 2 x column + row.
        for (int r = 0; r < land.gridHeight; ++r)
            for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = static_cast<std::int16_t>(2 * c + r);
        computeElevationStatistics(land);
        drawMainSurface(surface, main, land);
        refreshMap(*ctx);
    }
};

// Place camera: a click at pixel (58, 275) (column 10, row 20 at one cell a
// pixel) puts the camera at (300, 600) at its height above the ground, the
// Camera panel shows it and the read-out names the same place.
TEST_F(MapCommands, PlaceCameraAndTargetWhereTheMapSays)
{
    CameraSettings& cam = app->scene.camera;
    ASSERT_EQ(runWindowCommand(*ctx, 1283), 1); // Camera
    ASSERT_EQ(runWindowCommand(*ctx, 1059), 1);
    EXPECT_EQ(ctx->mapMode, 1059);
    EXPECT_EQ(ui.statuses.back(), "Place camera: click on the map.");
    EXPECT_EQ(control(1059).state, 1);
    const double above = cam.cameraZ - app->landscape.elevation[static_cast<int>(cam.cameraY / 30)][static_cast<int>(cam.cameraX / 30)];

    EXPECT_EQ(mapClick(*ctx, 58, 275), 1);
    EXPECT_FLOAT_EQ(cam.cameraX, 300.0f);
    EXPECT_FLOAT_EQ(cam.cameraY, 600.0f);
    EXPECT_NEAR(cam.cameraZ, 2 * 10 + 20 + above, 0.01);
    EXPECT_DOUBLE_EQ(control(1170).number, 300.0);
    EXPECT_DOUBLE_EQ(control(1171).number, 600.0);
    EXPECT_EQ(control(1059).state, 1); // the mode stays for the next click
    mapHover(*ctx, 58, 275);
    EXPECT_EQ(ui.statuses.back(), "A  X=300     Y=600     Z=40    ");
    EXPECT_EQ(surface.at(58, 275), rgb(255, 255, 0)); // the camera's mark

    ASSERT_EQ(runWindowCommand(*ctx, 1058), 1);
    EXPECT_EQ(control(1058).state, 1);
    EXPECT_EQ(control(1059).state, 0);
    EXPECT_EQ(mapClick(*ctx, 148, 195), 1); // column 100, row 100
    EXPECT_FLOAT_EQ(cam.targetX, 3000.0f);
    EXPECT_FLOAT_EQ(cam.targetY, 3000.0f);
    EXPECT_FLOAT_EQ(cam.targetZ, 300.0f); // on the ground
    EXPECT_NE(cam.heading, 0.0f);         // the camera looks at it

    // Another tab ends the mode: a click then only says how to choose one.
    ASSERT_EQ(runWindowCommand(*ctx, 1284), 1);
    EXPECT_EQ(ctx->mapMode, 0);
    EXPECT_EQ(mapClick(*ctx, 60, 200), 0);
    EXPECT_FLOAT_EQ(cam.targetX, 3000.0f);
}

// Snow and tree lines take the elevation of the cell clicked; the sea fills to it.
TEST_F(MapCommands, LinesAndSeaLevelTakeTheClickedElevation)
{
    ASSERT_EQ(runWindowCommand(*ctx, 1286), 1); // Terrain
    ASSERT_EQ(runWindowCommand(*ctx, 1167), 1);
    EXPECT_EQ(mapClick(*ctx, 48 + 100, 295 - 50), 1);
    EXPECT_EQ(app->scene.colouring.snowLine, 250);
    EXPECT_EQ(control(1186).value, 250);
    ASSERT_EQ(runWindowCommand(*ctx, 1169), 1);
    EXPECT_EQ(mapClick(*ctx, 48 + 30, 295 - 10), 1);
    EXPECT_EQ(app->scene.colouring.treeLine, 70);
    EXPECT_EQ(mapClick(*ctx, 20, 100), 0); // off the map: nothing

    ASSERT_EQ(runWindowCommand(*ctx, 1287), 1); // Water
    ASSERT_EQ(runWindowCommand(*ctx, 1168), 1);
    EXPECT_EQ(mapClick(*ctx, 48 + 5, 295 - 5), 1); // elevation 15: answers Yes, Yes
    EXPECT_EQ(app->scene.colouring.seaLevel, 15);
    EXPECT_EQ(app->landscape.elevation[0][0], 0); // 0 raised to 15, then lowered by 15
}

// A river started by a click and answered "No" leaves the landscape as it
// was; answered "Yes" it stays, with water in the terrain map.
TEST_F(MapCommands, ARejectedRiverChangesNothing)
{
    Landscape& land = app->landscape;
    const auto snapshot = [&] {
        std::vector<std::int32_t> v;
        for (int r = 0; r < land.gridHeight; ++r)
            for (int c = 0; c < land.gridWidth; ++c) v.push_back(land.elevation[r][c] * 65536 + land.terrain[r][c]);
        return v;
    };
    const auto before = snapshot();
    ASSERT_EQ(runWindowCommand(*ctx, 1287), 1); // Water
    ASSERT_EQ(runWindowCommand(*ctx, 1090), 1);
    ui.askAnswers = {false};
    mapClick(*ctx, 48 + 200, 295 - 200);
    EXPECT_EQ(ui.questions.back(), "Accept river? [Yes|No]");
    EXPECT_TRUE(snapshot() == before);
    ui.askAnswers = {true};
    mapClick(*ctx, 48 + 200, 295 - 200);
    EXPECT_FALSE(snapshot() == before);

    // Outside the landscape: said, nothing asked.
    const std::size_t asked = ui.questions.size();
    zoomMapOut(main.map, land);
    EXPECT_EQ(mapClick(*ctx, 49, 294), 0);
    EXPECT_EQ(ui.statuses.back(), "That is outside the landscape.");
    EXPECT_EQ(ui.questions.size(), asked);
}

// The box: dragged from (58, 285) to (68, 275) it covers cells 10 .. 20 both
// ways; a click without dragging removes it.
TEST_F(MapCommands, BoundingBoxByDragging)
{
    const BoundingBox& box = app->scene.render.box;
    ASSERT_EQ(runWindowCommand(*ctx, 1237), 1);
    input.move(64, 280);
    input.events.push_back({InputKind::Move, 68, 275});
    input.events.push_back({InputKind::LeftUp, 68, 275});
    EXPECT_EQ(mapClick(*ctx, 58, 285), 1);
    EXPECT_EQ(box, (BoundingBox{1, 10, 10, 20, 20}));
    EXPECT_EQ(surface.at(63, 285), rgb(0, 0, 0)); // drawn on the map
    input.events.push_back({InputKind::LeftUp, 70, 270});
    EXPECT_EQ(mapClick(*ctx, 70, 270), 1);
    EXPECT_EQ(box.enabled, 0);
}

// The map's gadgets and the lens zoom below it.
TEST_F(MapCommands, ZoomScrollCentreAndTheViewZoom)
{
    ASSERT_EQ(runWindowCommand(*ctx, 1310), 1);
    EXPECT_EQ(main.map.zoom, 8);
    ASSERT_EQ(runWindowCommand(*ctx, 1312), 1);
    EXPECT_EQ(main.map.zoom, 16);
    app->scene.camera.cameraX = 1500, app->scene.camera.cameraY = 600;
    ASSERT_EQ(runWindowCommand(*ctx, 1313), 1);
    EXPECT_EQ(main.map.scrollX, 49);
    EXPECT_EQ(main.map.scrollY, 20);
    for (const Gadget& g : main.frame.gadgets) {
        if (g.id == 1309) {
            EXPECT_EQ(g.value, 49);
        }
        if (g.id == 1308) {
            EXPECT_EQ(g.value, 20);
        }
    }
    Gadget slider{.kind = kGadgetHSlider, .id = 1309, .value = 0, .range = 256};
    ctx->gadget = &slider;
    ASSERT_EQ(runWindowCommand(*ctx, 1309), 1);
    EXPECT_EQ(main.map.scrollX, 0);
    ctx->gadget = nullptr;

    // A tenth of the focal length, at least 1: 32 -> 35; 5 -> 4; 1 stays 1.
    CameraSettings& cam = app->scene.camera;
    ASSERT_EQ(executeLine(*app, ui, "FocalLength 32"), LineResult::Done);
    EXPECT_EQ(runWindowCommand(*ctx, 1315), 1);
    EXPECT_EQ(cam.focalLength, 35);
    EXPECT_FLOAT_EQ(cam.focalFactor, 35 * 0.0625f);
    ASSERT_EQ(executeLine(*app, ui, "FocalLength 5"), LineResult::Done);
    runWindowCommand(*ctx, 1316);
    EXPECT_EQ(cam.focalLength, 4);
    ASSERT_EQ(executeLine(*app, ui, "FocalLength 1"), LineResult::Done);
    runWindowCommand(*ctx, 1316);
    EXPECT_EQ(cam.focalLength, 1);
}

// A pick asked for by an operation: Esc cancels; a click outside the
// landscape is refused and the next one inside is taken.
TEST_F(MapCommands, PicksForOperations)
{
    input.key(kKeyEscape);
    EXPECT_FALSE(pickMapPoint(*ctx, "Mark Region:"));
    zoomMapOut(main.map, app->landscape);
    input.click(49, 294);
    input.move(176, 168);
    input.click(176, 168); // Z 32, origin -128: column 256 - 128 = 128, row 128
    const std::optional<MapPoint> picked = pickMapPoint(*ctx, "Mark Region:");
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->column, 128);
    EXPECT_EQ(picked->row, 126); // row (295 - 168) - 64 = 63, x 60 m = 3780 m
}

// The placement tools: a pine by a click, water painted by a drag, a road
// from the press to the release.
TEST_F(MapCommands, PlacementToolsPlantPaintAndLayRoads)
{
    Landscape& land = app->landscape;
    ASSERT_EQ(runWindowCommand(*ctx, 1295), 1); // Placement
    ASSERT_EQ(runWindowCommand(*ctx, 1330), 1); // Pine
    EXPECT_EQ(mapClick(*ctx, 58, 275), 1);
    EXPECT_EQ(land.terrain[20][10] >> 8, 63);
    EXPECT_EQ(surface.at(58, 275), mapColour(39));

    ASSERT_EQ(runWindowCommand(*ctx, 1336), 1); // Water, dragged from column 100 to 110 along row 100
    input.move(153, 195);
    input.move(158, 195);
    input.events.push_back({InputKind::LeftUp, 158, 195});
    EXPECT_EQ(mapClick(*ctx, 148, 195), 1);
    for (const int c : {99, 100, 105, 110, 111}) EXPECT_EQ(land.terrain[100][c] & 0xFF, 51) << c;
    EXPECT_NE(land.terrain[100][113] & 0xFF, 51);

    ASSERT_EQ(runWindowCommand(*ctx, 1341), 1); // Road from (30, 30) to (40, 35)
    input.move(88, 260);
    input.events.push_back({InputKind::LeftUp, 88, 260});
    EXPECT_EQ(mapClick(*ctx, 78, 265), 1);
    EXPECT_EQ(land.terrain[30][30] & 0xFF, 88);
    EXPECT_EQ(land.terrain[35][40] & 0xFF, 88);
}

// The Path panel: "Create a new path" makes a node of each click; the map
// shows the nodes in place of the camera; Remove node takes the one picked.
TEST_F(MapCommands, PathNodesByClicks)
{
    ASSERT_EQ(runWindowCommand(*ctx, 1296), 1); // Path
    ASSERT_EQ(runWindowCommand(*ctx, 1352), 1);
    for (const auto& [x, y] : {std::pair{58, 275}, std::pair{98, 235}, std::pair{148, 215}})
        EXPECT_EQ(mapClick(*ctx, x, y), 1);
    EXPECT_EQ(pathNodeCount(app->path), 3);
    const PathNode second = readPathNode(app->path, 1);
    EXPECT_FLOAT_EQ(second.x, 1500.0f); // column 50, row 60
    EXPECT_FLOAT_EQ(second.y, 1800.0f);
    EXPECT_EQ(surface.at(98, 235), rgb(255, 160, 0)); // the node's mark

    ui.pointAnswers = {MapPoint{51, 61}}; // Remove node: the one nearest the cell marked
    EXPECT_EQ(runWindowCommand(*ctx, 1356), 1);
    EXPECT_EQ(ui.questions.back(), "Select node (Delete Node):");
    ASSERT_EQ(pathNodeCount(app->path), 2);
    EXPECT_FLOAT_EQ(readPathNode(app->path, 1).x, 3000.0f); // the third is second now
    EXPECT_NE(surface.at(98, 235), rgb(255, 160, 0));
}

// The Placement panel shows the ground colours on the map, worked out first.
TEST_F(MapCommands, PlacementShowsTheGroundColours)
{
    ASSERT_EQ(runWindowCommand(*ctx, 1295), 1);
    EXPECT_EQ(main.map.display, MapDisplay::GroundColours);
    EXPECT_NE(app->landscape.terrain[10][10] & 0xFF, 0);
    ASSERT_EQ(runWindowCommand(*ctx, 1283), 1);
    EXPECT_EQ(main.map.display, MapDisplay::Elevations);
}

} // namespace
} // namespace kalvenor
