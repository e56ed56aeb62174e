#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edit_fixture.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"
#include "terrain/undo.h"
#include "terrain/water.h"
#include "terrain/water_commands.h"

namespace kalvenor {
namespace {

using testing::codeAt;
using testing::elevationCells;
using testing::flatLandscape;
using testing::terrainCells;

// A landscape with a river valley, some road and beach codes, and derived maps
// marked as computed, to see what each command keeps and what it invalidates.
Landscape valley()
{
    Landscape land = testing::blankLandscape(30, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            land.elevation[y][x] = static_cast<std::int16_t>(50 + 3 * (x > 15 ? x - 15 : 15 - x) + (30 - y));
    land.terrain[5][5] = 0x0100 | 88;
    land.terrain[20][3] = kBeachCode;
    for (int y = 0; y < 30; ++y) land.shadow[y][7] = 0x5A5A;
    land.terrainValidAt = land.cliffValidAt = land.shadowValidAt = 1;
    land.terrainFrozen = land.shadowFrozen = 1;
    computeElevationStatistics(land);
    return land;
}

struct Snapshot {
    std::vector<std::int16_t> elevations;
    std::vector<std::uint16_t> terrain;
    explicit Snapshot(const Landscape& land) : elevations(elevationCells(land)), terrain(terrainCells(land)) {}
};

TEST(WaterCommands, AcceptedRiverIsColouredAndInvalidatesDerivedMaps)
{
    Landscape land = valley();
    RandomStreams random;
    ScriptedFrontend ui;
    EXPECT_EQ(createRiver(land, 15, 5, random, ui), 1);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Accept river? [Yes|No]"});
    int water = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            ASSERT_NE(codeAt(land, y, x), kRiverMarker);
            water += isWaterCode(codeAt(land, y, x)) ? 1 : 0;
        }
    EXPECT_GT(water, 10); // down the valley to the border
    EXPECT_EQ(land.terrainValidAt, land.sizeX);
    EXPECT_EQ(land.cliffValidAt, land.sizeX);
    EXPECT_EQ(land.shadowValidAt, land.sizeX);
    EXPECT_EQ(land.terrainFrozen, 0);
    EXPECT_EQ(land.shadowFrozen, 0);
}

TEST(WaterCommands, RejectingRestoresEveryElevationAndCode)
{
    struct Edit {
        const char* name;
        int (*run)(Landscape&, RandomStreams&, Frontend&);
        int questionCount;
    };
    const Edit edits[] = {
        {"river", [](Landscape& l, RandomStreams& r, Frontend& ui) { return createRiver(l, 15, 5, r, ui); }, 1},
        {"lake", [](Landscape& l, RandomStreams& r, Frontend& ui) { return createLakeAtLevel(l, 15, 10, 120, r, ui); }, 1},
        {"sea", [](Landscape& l, RandomStreams& r, Frontend& ui) { return createSea(l, 90, r, ui); }, 2},
        {"erosion", [](Landscape& l, RandomStreams& r, Frontend& ui) { return erodeLandscape(l, 20, r, ui); }, 1},
    };
    for (const Edit& edit : edits) {
        Landscape land = valley();
        const Snapshot before(land);
        const int lowest = land.lowestElevation;
        RandomStreams random;
        ScriptedFrontend ui;
        ui.askAnswers.assign(static_cast<std::size_t>(edit.questionCount - 1), true);
        ui.askAnswers.push_back(false); // "No" to the acceptance question
        EXPECT_EQ(edit.run(land, random, ui), -1) << edit.name;
        EXPECT_EQ(ui.questions.size(), static_cast<std::size_t>(edit.questionCount)) << edit.name;
        EXPECT_EQ(elevationCells(land), before.elevations) << edit.name;
        EXPECT_EQ(terrainCells(land), before.terrain) << edit.name;
        EXPECT_EQ(land.lowestElevation, lowest) << edit.name;
        EXPECT_EQ(land.terrainValidAt, 1) << edit.name; // the colours are back as they were
    }
}

TEST(WaterCommands, NoMemoryForUndo)
{
    // Cancel: nothing happens.
    Landscape land = valley();
    land.work.release();
    const Snapshot before(land);
    RandomStreams random;
    ScriptedFrontend cancel;
    cancel.askAnswers = {false};
    EXPECT_EQ(createRiver(land, 15, 5, random, cancel), -1);
    EXPECT_EQ(cancel.questions, std::vector<std::string>{"Not Enough memory for UNDO buffer. [Continue|Cancel]"});
    EXPECT_EQ(elevationCells(land), before.elevations);
    EXPECT_TRUE(cancel.plots.empty());

    // Continue, then No: there is nothing to restore, so the river stays.
    ScriptedFrontend goOn;
    goOn.askAnswers = {true, false};
    EXPECT_EQ(createRiver(land, 15, 5, random, goOn), -1);
    EXPECT_EQ(goOn.questions.back(), "Accept river? [Yes|No]");
    EXPECT_NE(elevationCells(land), before.elevations);
    EXPECT_EQ(land.terrainValidAt, land.sizeX);

    Landscape eroded = valley();
    eroded.work.release();
    ScriptedFrontend erosionCancel;
    erosionCancel.askAnswers = {false};
    EXPECT_EQ(erodeLandscape(eroded, 10, random, erosionCancel), -1);
    EXPECT_EQ(elevationCells(eroded), before.elevations);
}

TEST(WaterCommands, LakeAsksForItsLevel)
{
    Landscape land = valley();
    const Snapshot before(land);
    RandomStreams random;
    ScriptedFrontend cancel;
    cancel.numberAnswers = {std::nullopt};
    EXPECT_EQ(createLake(land, 15, 10, random, cancel), -1);
    EXPECT_EQ(cancel.questions, std::vector<std::string>{"Desired lake level:"});
    EXPECT_EQ(elevationCells(land), before.elevations);

    // The default is the clicked cell's elevation: the surface is one above it.
    const int clicked = land.elevation[10][15];
    ScriptedFrontend accept;
    EXPECT_EQ(createLake(land, 15, 10, random, accept), 1);
    EXPECT_EQ(land.elevation[10][15], clicked + 1);
    EXPECT_TRUE(isWaterCode(codeAt(land, 10, 15)));
    EXPECT_EQ(accept.questions.back(), "Accept lake? [Yes|No]");
}

TEST(WaterCommands, OutsideClicksDoNothing)
{
    Landscape land = valley();
    const Snapshot before(land);
    RandomStreams random;
    ScriptedFrontend ui;
    EXPECT_EQ(createRiver(land, 29, 3, random, ui), 0);
    EXPECT_EQ(createRiver(land, -1, 3, random, ui), 0);
    EXPECT_EQ(createLake(land, 3, 40, random, ui), 0);
    EXPECT_EQ(createLakeAtLevel(land, 3, -2, 10, random, ui), 0);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(elevationCells(land), before.elevations);
    EXPECT_EQ(terrainCells(land), before.terrain);
}

TEST(WaterCommands, SeaEraseQuestionAndStatistics)
{
    // Erase Yes: the road and beach codes go before the sea is laid.
    Landscape land = valley();
    RandomStreams random;
    ScriptedFrontend erase;
    EXPECT_EQ(createSea(land, 90, random, erase), 1);
    EXPECT_EQ(erase.questions, (std::vector<std::string>{"Erase old Rivers/Lakes/Seas? [Yes|No]", "Accept Sea? [Yes|No]"}));
    EXPECT_EQ(codeAt(land, 5, 5), 0);          // the road was above the sea
    EXPECT_EQ(land.terrain[5][5] >> 8, 0);     // cleared with the whole map
    EXPECT_EQ(land.elevation[5][5], 50 + 30 + 25 - 90);
    const int highest = land.highestElevation;
    computeElevationStatistics(land);
    EXPECT_EQ(land.highestElevation, highest);

    // Erase No: the road code stays.
    Landscape keep = valley();
    ScriptedFrontend keepUi;
    keepUi.askAnswers = {false, true};
    EXPECT_EQ(createSea(keep, 90, random, keepUi), 1);
    EXPECT_EQ(codeAt(keep, 5, 5), 88);
}

TEST(WaterCommands, AcceptedErosionKeepsTheRaisedPits)
{
    Landscape land = valley();
    land.elevation[12][12] = 0; // a deep pit
    const auto before = elevationCells(land);
    RandomStreams random;
    ScriptedFrontend ui;
    EXPECT_EQ(erodeLandscape(land, 100, random, ui), 1);
    EXPECT_EQ(ui.questions.back(), "Accept erosion? [Yes|No]");
    EXPECT_GT(land.elevation[12][12], 0);
    EXPECT_NE(elevationCells(land), before);
    EXPECT_EQ(land.terrainValidAt, land.sizeX);
}

} // namespace
} // namespace kalvenor
