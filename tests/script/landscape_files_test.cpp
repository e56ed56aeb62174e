#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "script_fixture.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using LandscapeFileKeywords = ScriptTest;

std::string littleEndianSamples(std::initializer_list<int> samples)
{
    std::string bytes;
    for (int s : samples) {
        bytes += static_cast<char>(s & 0xFF);
        bytes += static_cast<char>((s >> 8) & 0xFF);
    }
    return bytes;
}

TEST_F(LandscapeFileKeywords, LoadBinaryDemFillsTheGridCornerAndResetsScaleAndSea)
{
    // Three rows of four samples; the grid keeps its size and the rest is cleared.
    const std::string path = write("ramp.bin", littleEndianSamples({1, 2, 3, 4, 10, 20, 30, 40, -5, 300, 0, 7}));
    app.scene.generation.verticalScale = 2.5f;
    app.scene.colouring.seaLevel = 12;

    EXPECT_EQ(run("LoadBinaryDEM " + path + " 4 3"), LineResult::Done);
    const Landscape& land = app.landscape;
    EXPECT_EQ(land.gridWidth, kSmallGrid);
    EXPECT_EQ(land.elevation[0][0], 1);
    EXPECT_EQ(land.elevation[1][3], 40);
    EXPECT_EQ(land.elevation[2][0], -5);
    EXPECT_EQ(land.elevation[2][1], 300);
    EXPECT_EQ(land.elevation[0][4], 0);
    EXPECT_EQ(land.elevation[129][129], 0); // the pyramid is gone
    EXPECT_EQ(land.highestElevation, 300);
    EXPECT_EQ(app.scene.generation.verticalScale, 1.0f);
    EXPECT_EQ(app.scene.colouring.seaLevel, 0);
    EXPECT_EQ(land.terrainValidAt, land.sizeX);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LandscapeFileKeywords, LoadBinaryDemOfAMissingFileSaysSoAndKeepsTheLandscape)
{
    const std::int16_t top = app.landscape.elevation[129][129];
    EXPECT_EQ(run("LoadBinaryDEM " + (dir / "missing.bin").string() + " 4 3"), LineResult::Done);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Error opening file: \"" + (dir / "missing.bin").string() + "\"");
    EXPECT_EQ(app.landscape.elevation[129][129], top);
}

} // namespace
} // namespace kalvenor

namespace kalvenor {
namespace {

TEST_F(LandscapeFileKeywords, ExportDxfWritesPolyfaceObjectsWithTheGivenSettings)
{
    // Step 64 on the 258 x 258 grid: a 5 x 5 vertex lattice, 32 faces, split at 10 faces.
    const std::string path = (dir / "out" / "land.dxf").string();
    app.landscape.utmX = 1000;
    EXPECT_EQ(run("ExportDXF " + path + " 64 10 0 1"), LineResult::Done);
    const std::string text = testing::readFile(path);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.rfind("0\r\nSECTION\r\n2\r\nENTITIES\r\n", 0), 0u);
    EXPECT_NE(text.find("KN_01"), std::string::npos); // split into more than one object
    EXPECT_NE(text.find("10\r\n1000\r\n"), std::string::npos); // UTM based: x of column 0 is utmX
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LandscapeFileKeywords, ExportDxfIntoAnUnwritablePlaceSaysSo)
{
    EXPECT_EQ(run("ExportDXF /proc/kalvenor.dxf 64 10 0 0"), LineResult::Done);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Error writing file: \"/proc/kalvenor.dxf\"");
}

} // namespace
} // namespace kalvenor

namespace kalvenor {
namespace {

TEST_F(LandscapeFileKeywords, SessionSavedByScriptLoadsBackWithItsSettings)
{
    ASSERT_EQ(run("GenerateFractal 123456789"), LineResult::Done);
    ASSERT_EQ(run("Haze 37"), LineResult::Done);
    const std::string path = (dir / "sessions" / "island.k4s").string();
    ASSERT_EQ(run("SaveSession " + path), LineResult::Done);
    EXPECT_TRUE(ui.messages.empty());

    // A fresh program loads it back: the landscape and the settings come with it.
    App other;
    ASSERT_EQ(resizeLandscape(other.landscape, other.random, kLargeGrid, kLargeGrid), 1);
    ScriptedFrontend otherUi;
    ASSERT_EQ(executeLine(other, otherUi, "LoadLandscape " + path), LineResult::Done);
    EXPECT_EQ(other.landscape.gridWidth, kSmallGrid);
    EXPECT_EQ(other.landscape.name, "Fractal ISLAND #123456789");
    EXPECT_EQ(other.scene.sky.haze, 37);
    EXPECT_EQ(other.scene.generation.seed, 123456789u);
    for (int r = 0; r < kSmallGrid; r += 37)
        for (int c = 0; c < kSmallGrid; c += 41) EXPECT_EQ(other.landscape.elevation[r][c], app.landscape.elevation[r][c]);
}

TEST_F(LandscapeFileKeywords, ElevationsOnlyFileKeepsSettingsAndResetsScaleAndSea)
{
    ASSERT_EQ(run("GenerateFractal 42"), LineResult::Done);
    app.scene.generation.verticalScale = 3.0f;
    const std::string path = (dir / "land.dem").string();
    ASSERT_EQ(run("SaveDEM " + path), LineResult::Done);
    ASSERT_EQ(run("Haze 12"), LineResult::Done);
    app.scene.generation.verticalScale = 5.0f;
    app.scene.colouring.seaLevel = 50;
    ASSERT_EQ(run("LoadDEM " + path), LineResult::Done);
    EXPECT_EQ(app.scene.sky.haze, 12);
    EXPECT_EQ(app.scene.generation.verticalScale, 3.0f); // the file's own VerticalScale word
    EXPECT_EQ(app.scene.colouring.seaLevel, 0);
}

TEST_F(LandscapeFileKeywords, LoadingSomethingElseSaysSoAndKeepsTheLandscape)
{
    const std::string path = write("notes.txt", std::string(4000, 'x'));
    const std::int16_t top = app.landscape.elevation[129][129];
    EXPECT_EQ(run("LoadLandscape " + path), LineResult::Done);
    EXPECT_EQ(run("LoadScheme " + path), LineResult::Done);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], "Not a Kalvenor Landscape file. \"" + path + "\"");
    EXPECT_EQ(ui.messages[1], "Not a Kalvenor Landscape file. \"" + path + "\""); // the scheme loader, after both layouts
    EXPECT_EQ(app.landscape.elevation[129][129], top);
}

TEST_F(LandscapeFileKeywords, SchemeFromALandscapeFileFillsUnsetEntries)
{
    app.scene.colourScheme.fill(0);
    app.scene.colourScheme[4 * 42 + 1] = 200; // one set entry travels with the file
    const std::string path = (dir / "colours.dem").string();
    ASSERT_EQ(run("SaveDEM " + path), LineResult::Done);
    app.scene.colourScheme.fill(0);
    ASSERT_EQ(run("LoadCMap " + path), LineResult::Done);
    EXPECT_EQ(app.scene.colourScheme[4 * 42 + 1], 200);
    EXPECT_EQ(app.scene.colourScheme[308 + 1], 255); // a default colour filled in
}

// LoadScheme reads the layout SaveScheme writes: saved, loaded into a fresh
// program and saved again, the scheme file is the same byte for byte.
TEST_F(LandscapeFileKeywords, SchemesSavedByTheScriptLoadBackWhole)
{
    const std::string first = (dir / "first.scm").string();
    const std::string second = (dir / "second.scm").string();
    for (const char* line : {"SetColorSky 10 20 30", "SetColorBeach 200 190 100", "Haze 44", "SetColorExposure 120"})
        ASSERT_EQ(run(line), LineResult::Done) << line;
    ASSERT_EQ(run("SaveScheme " + first), LineResult::Done);

    App other;
    ScriptedFrontend otherUi;
    ASSERT_EQ(resizeLandscape(other.landscape, other.random, kSmallGrid, kSmallGrid), 1);
    resetScene(other.landscape, other.scene);
    ASSERT_EQ(executeLine(other, otherUi, "LoadScheme " + first), LineResult::Done);
    EXPECT_TRUE(otherUi.messages.empty());
    EXPECT_EQ(other.scene.colourScheme, app.scene.colourScheme);
    EXPECT_EQ(other.scene.sky.haze, 44);
    ASSERT_EQ(executeLine(other, otherUi, "SaveScheme " + second), LineResult::Done);

    std::ifstream a(first, std::ios::binary), b(second, std::ios::binary);
    const std::string one((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
    const std::string two((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(one.empty());
    EXPECT_TRUE(one == two);
}

} // namespace
} // namespace kalvenor
