#include <gtest/gtest.h>

#include <vector>

#include "script_fixture.h"
#include "support/landscape_cells.h"

namespace kalvenor {
namespace {

using EditingKeywords = ScriptTest;
using kalvenor::testing::elevationCells;

TEST_F(EditingKeywords, ManipulationsChangeTheLandscapeAndMarkIt)
{
    ASSERT_EQ(run("GenerateFractal 5"), LineResult::Done);
    const auto generated = elevationCells(app.landscape);
    app.landscape.modified = false;
    app.landscape.terrainValidAt = 1;
    ASSERT_EQ(run("Smooth"), LineResult::Done);
    EXPECT_NE(elevationCells(app.landscape), generated);
    EXPECT_TRUE(app.landscape.modified);
    EXPECT_EQ(app.landscape.terrainValidAt, app.landscape.sizeX);

    // Four swaps of the quarters give the landscape back.
    const auto smoothed = elevationCells(app.landscape);
    for (int i = 0; i < 4; ++i) ASSERT_EQ(run("SwapQuads"), LineResult::Done);
    EXPECT_EQ(elevationCells(app.landscape), smoothed);

    ASSERT_EQ(run("EnlargeAll"), LineResult::Done);
    EXPECT_EQ(app.landscape.gridWidth, kLargeGrid);
    ASSERT_EQ(run("Shrink"), LineResult::Done);
    EXPECT_EQ(app.landscape.gridWidth, kSmallGrid);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EditingKeywords, WaterKeywordsAskTheirQuestionAndRejectionRestores)
{
    ASSERT_EQ(run("GenerateFractal 11"), LineResult::Done);
    const auto before = elevationCells(app.landscape);
    ui.askAnswers = {false}; // "Accept river?" No
    ASSERT_EQ(run("MakeRiver 3840 3840"), LineResult::Done);
    ASSERT_FALSE(ui.questions.empty());
    EXPECT_EQ(ui.questions.back(), "Accept river? [Yes|No]");
    EXPECT_EQ(elevationCells(app.landscape), before);

    // A river from outside the landscape is ignored.
    const std::size_t asked = ui.questions.size();
    ASSERT_EQ(run("MakeRiver -100 50"), LineResult::Done);
    EXPECT_EQ(ui.questions.size(), asked);

    ASSERT_EQ(run("SeaLevel 25 0"), LineResult::Done); // the batch default accepts
    EXPECT_EQ(app.scene.colouring.seaLevel, 25);
    EXPECT_EQ(ui.questions.back(), "Accept Sea? [Yes|No]");
}

TEST_F(EditingKeywords, VerticalScaleRescalesAgainstTheAppliedScale)
{
    ASSERT_EQ(run("GenerateFractal 3"), LineResult::Done);
    const int highest = app.landscape.highestElevation;
    ASSERT_EQ(run("VerticalScale 2"), LineResult::Done);
    EXPECT_EQ(app.scene.generation.verticalScale, 2.0f);
    EXPECT_NEAR(app.landscape.highestElevation, 2 * highest, 2);
    ASSERT_EQ(run("VerticalScale 1"), LineResult::Done);
    EXPECT_NEAR(app.landscape.highestElevation, highest, 2);
}

} // namespace
} // namespace kalvenor
