// kalvenor convert: the arguments it takes, a landscape through each kind of
// file it writes and back, and the exit codes a batch job sees.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "platform/scripted_frontend.h"
#include "script/interpreter.h"
#include "shell/convert_command.h"
#include "shell/startup.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::TempDir;

std::vector<std::int16_t> elevations(const Landscape& land)
{
    std::vector<std::int16_t> out;
    for (int r = 0; r < land.gridHeight; ++r) out.insert(out.end(), land.elevation[r], land.elevation[r] + land.gridWidth);
    return out;
}

TEST(ConvertCommand, ArgumentsAreCheckedBeforeAnythingIsRead)
{
    struct Case {
        std::vector<std::string> args;
        const char* error; // empty: accepted
    };
    const Case cases[] = {
        {{"convert", "a.hgt", "b.tif"}, ""},
        {{"convert", "a.k4s", "b.GLB", "--step", "3"}, ""},
        {{"convert", "--fit", "Nearest", "a.asc", "b.k4s"}, ""},
        {{"convert", "a.hgt"}, "convert needs an input and an output file"},
        {{"convert", "a", "b.tif", "c.tif"}, "unexpected argument c.tif"},
        {{"convert", "a.hgt", "b.xyz"}, "convert writes .tif, .tiff, .png, .ter, .obj, .glb, .stl, .ply, .dem or .k4s, not b.xyz"},
        {{"convert", "a.hgt", "b.tif", "--fit", "stretch"}, "--fit takes rules, crop, bilinear or nearest"},
        {{"convert", "a.hgt", "b.obj", "--step", "0"}, "--step takes a whole number from 1 to 2048"},
        {{"convert", "a.hgt", "b.obj", "--step", "2x"}, "--step takes a whole number from 1 to 2048"},
        {{"convert", "a.hgt", "b.obj", "--step"}, "--step needs a value"},
        {{"convert", "a.hgt", "b.obj", "--colour"}, "unknown option --colour"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto cl = parseConvertCommandLine(c.args, error);
        EXPECT_EQ(error, c.error) << c.args[1];
        EXPECT_EQ(cl.has_value(), std::string(c.error).empty()) << c.args[1];
    }
    std::string error;
    const auto cl = parseConvertCommandLine({"convert", "in.asc", "out.glb", "--fit", "crop", "--step", "4"}, error);
    ASSERT_TRUE(cl);
    EXPECT_EQ(cl->input, "in.asc");
    EXPECT_EQ(cl->output, "out.glb");
    EXPECT_EQ(cl->fit, RasterFit::Crop);
    EXPECT_EQ(cl->step, 4);
}

TEST(ConvertCommand, ALandscapeGoesThroughEveryRasterAndComesBackTheSame)
{
    TempDir dir{"convert"};
    ScriptedFrontend ui;
    std::vector<std::int16_t> original;
    {
        App app;
        initialiseApp(app, ui);
        ASSERT_EQ(executeLine(app, ui, "GenerateFractal 2468"), LineResult::Done);
        ASSERT_EQ(saveSession(app, dir / "start.k4s", ui), Outcome::Done);
        original = elevations(app.landscape);
    }
    // Session to raster, raster to landscape file, landscape file to the next raster, and so on.
    std::string from = dir / "start.k4s";
    for (const char* to : {"a.tif", "b.dem", "c.png", "d.k4s", "e.ter", "f.k4s"}) {
        App app;
        initialiseApp(app, ui);
        ConvertCommandLine cl;
        cl.input = from;
        cl.output = dir / to;
        ASSERT_EQ(convertLandscape(app, ui, cl), 0) << from << " to " << to << ": "
                                                    << (ui.messages.empty() ? "" : ui.messages.back());
        from = cl.output;
    }
    App app;
    initialiseApp(app, ui);
    ASSERT_NE(loadLandscape(app, from, ui), Loaded::Nothing);
    EXPECT_EQ(elevations(app.landscape), original);

    // A mesh out of the same landscape.
    ConvertCommandLine mesh;
    mesh.input = dir / "start.k4s";
    mesh.output = dir / "m.stl";
    mesh.step = 2;
    EXPECT_EQ(convertLandscape(app, ui, mesh), 0);
    EXPECT_EQ(std::filesystem::file_size(dir / "m.stl"), 84u + 50u * 2u * 128u * 128u);
}

int runKalvenor(const std::string& arguments)
{
    const std::string command = std::string(KALVENOR_BINARY) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ConvertCommand, ABatchJobSeesTheOutcomeInTheExitCode)
{
    TempDir dir{"convert-exit"};
    const std::string broken = dir / "broken.tif";
    { std::ofstream(broken, std::ios::binary) << "II*\0not really a TIFF"; }
    EXPECT_EQ(runKalvenor("convert " + dir / "none.tif" + " " + dir / "x.k4s"), 1);
    EXPECT_EQ(runKalvenor("convert " + broken + " " + dir / "x.k4s"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.k4s"));
    EXPECT_EQ(runKalvenor("convert " + broken + " " + dir / "x.xyz"), 2);
    EXPECT_EQ(runKalvenor("convert --help"), 0);
    EXPECT_EQ(runKalvenor("help convert"), 0);
}

} // namespace
} // namespace kalvenor
