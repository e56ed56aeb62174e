// The keywords that exchange elevations and meshes with other programs: a
// round trip through each raster format, the fit words, the mesh's subsample
// rate and the colours worked out first, and failures that leave the line
// failed and the landscape as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script_fixture.h"

namespace kalvenor {
namespace {

std::vector<std::int16_t> elevations(const Landscape& land)
{
    std::vector<std::int16_t> out;
    for (int r = 0; r < land.gridHeight; ++r) out.insert(out.end(), land.elevation[r], land.elevation[r] + land.gridWidth);
    return out;
}

// The triangle count a binary STL declares after its 80-byte header, and whether its size agrees.
std::uint32_t stlTriangles(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    char header[84] = {};
    in.read(header, sizeof header);
    const auto* b = reinterpret_cast<const unsigned char*>(header + 80);
    const std::uint32_t count = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    EXPECT_EQ(std::filesystem::file_size(path), 84u + 50u * count) << path;
    return count;
}

class InterchangeKeywords : public ScriptTest {
protected:
    ScriptPlace place; // counts the failed lines
    LineResult run(std::string_view line) { return executeLine(app, ui, line, place); }
    std::string at(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(InterchangeKeywords, EveryRasterFormatBringsTheSameElevationsBack)
{
    ASSERT_EQ(run("GenerateFractal 4321"), LineResult::Done);
    const std::vector<std::int16_t> generated = elevations(app.landscape);
    for (const char* name : {"a.tif", "a.png", "a.TIFF"}) ASSERT_EQ(run(std::string("ExportElevations ") + at(name)), LineResult::Done);
    ASSERT_TRUE(ui.messages.empty()) << ui.messages.front();
    for (const char* name : {"a.tif", "a.png", "a.TIFF"}) {
        ASSERT_EQ(run("GenerateFractal 99"), LineResult::Done);
        ASSERT_EQ(run("SeaLevel 40 0"), LineResult::Done);
        ASSERT_NE(elevations(app.landscape), generated);
        ASSERT_EQ(run(std::string("ImportElevations ") + at(name)), LineResult::Done);
        EXPECT_EQ(elevations(app.landscape), generated) << name;
        // Elevations come in as metres: no vertical scale and the sea at 0.
        EXPECT_EQ(app.scene.generation.verticalScale, 1.0f);
        EXPECT_EQ(app.scene.colouring.seaLevel, 0);
        EXPECT_EQ(place.failures, 0) << name;
    }
    EXPECT_FALSE(ui.reports.empty()); // what the import found goes to the log
}

TEST_F(InterchangeKeywords, TheFitWordIsReadAndABadOneFailsTheLine)
{
    ASSERT_EQ(run("GenerateFractal 4321"), LineResult::Done);
    ASSERT_EQ(run("ExportElevations " + at("g.tif")), LineResult::Done);
    for (const char* fit : {"crop", "Bilinear", "NEAREST", "rules"}) {
        ASSERT_EQ(run("ImportElevations " + at("g.tif") + " " + fit), LineResult::Done);
        EXPECT_EQ(place.failures, 0) << fit;
    }
    ASSERT_EQ(run("GenerateFractal 77"), LineResult::Done);
    const std::vector<std::int16_t> before = elevations(app.landscape);
    const std::string lines[] = {"ImportElevations " + at("g.tif") + " sideways", "ImportElevations " + at("none.tif"),
                                 "ImportElevations", "ImportElevations " + at("g.tif") + " crop more"};
    for (const std::string& line : lines) {
        const int failed = place.failures;
        EXPECT_EQ(run(line), LineResult::Done) << line;
        EXPECT_EQ(place.failures, failed + 1) << line;
        EXPECT_EQ(elevations(app.landscape), before) << line;
    }
}

TEST_F(InterchangeKeywords, AMeshTakesEveryStepthPointAndTheGroundColoursFirst)
{
    ASSERT_EQ(run("GenerateFractal 4321"), LineResult::Done);
    ASSERT_GT(app.landscape.terrainValidAt, 1);
    ASSERT_EQ(run("ExportMesh " + at("whole.stl")), LineResult::Done);
    ASSERT_EQ(run("ExportMesh " + at("fourth.stl") + " 4"), LineResult::Done);
    EXPECT_EQ(place.failures, 0);
    // Two triangles a sampled cell, ground and water together.
    const std::uint32_t cells = static_cast<std::uint32_t>(app.landscape.sizeX * app.landscape.sizeY);
    EXPECT_EQ(stlTriangles(dir / "whole.stl"), 2 * cells);
    EXPECT_EQ(stlTriangles(dir / "fourth.stl"), 2 * cells / 16);
    // The colours were out of date: they were worked out before the export, as before a session save.
    EXPECT_EQ(app.landscape.terrainValidAt, 1);
    ASSERT_FALSE(ui.questions.empty());
    EXPECT_EQ(ui.questions.front().rfind("Need to calculate colors/shades", 0), 0u);
}

TEST_F(InterchangeKeywords, FailedExportsFailTheLineAndWriteNothing)
{
    ASSERT_EQ(run("GenerateFractal 4321"), LineResult::Done);
    ui.askAnswers = {false}; // "Quit" when the colours would be worked out
    const std::string lines[] = {"ExportMesh " + at("q.glb"),     "ExportMesh " + at("z.glb") + " 0",
                                 "ExportMesh " + at("m.xyz"),     "ExportElevations " + at("e.xyz"),
                                 "ExportElevations " + at("e.tif/"), "ExportMesh " + at("d.glb/")};
    for (const std::string& line : lines) {
        const int failed = place.failures;
        EXPECT_EQ(run(line), LineResult::Done) << line;
        EXPECT_EQ(place.failures, failed + 1) << line;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir)) ADD_FAILURE() << "written: " << entry.path();
}

} // namespace
} // namespace kalvenor
