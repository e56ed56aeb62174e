// The program's own file requester on the in-memory surface: which names the
// filter lets through, what a directory lists, and choosing, typing and
// walking into directories with scripted input.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "panels/file_requester.h"
#include "panels/key_codes.h"
#include "panels/scripted_input.h"
#include "panels/toolkit.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

TEST(FileRequester, FilterPatterns)
{
    const struct {
        const char* name;
        const char* filter;
        bool match;
    } cases[] = {
        {"VALLEY.K4S", "*.K4S;*.DEM", true}, {"valley.k4s", "*.K4S", true}, {"a.dem", "*.K4S; *.DEM", true},
        {"a.txt", "*.K4S;*.DEM", false},     {"abc", "a?c", true},          {"ac", "a?c", false},
        {"x", "*", true},                    {"a.b.c", "*.c", true},        {"a.c.b", "*.c", false},
        {"abc", "", false},                  {"KALVE.SCR", "K*E.S?R", true},
    };
    for (const auto& c : cases) EXPECT_EQ(matchesFilter(c.name, c.filter), c.match) << c.name << " " << c.filter;
}

class FileRequesterFlow : public ::testing::Test {
protected:
    // A directory of its own: ctest runs the tests of this fixture side by side.
    kalvenor::testing::TempDir temp{"file-requester"};
    fs::path dir;
    Surface s;
    ScriptedInput input;
    FileRequesterMemory memory;
    // Where the box stands: centred on the surface.
    static constexpr int kLeft = (kSurfaceWidth - 560) / 2, kTop = (kSurfaceHeight - 396) / 2;

    void SetUp() override
    {
        dir = temp.path;
        for (const char* sub : {"Zeta", "alpha", ".hidden"}) fs::create_directories(dir / sub);
        for (const char* name : {"b.DEM", "a.k4s", "c.txt"}) std::ofstream(dir / name) << "x";
    }

    void clickFile(int row) { input.click(kLeft + 288 + 20, kTop + 70 + 2 + row * 16 + 8); }
    void clickDirectory(int row) { input.click(kLeft + 8 + 20, kTop + 70 + 2 + row * 16 + 8); }
    void type(std::string_view text)
    {
        input.click(kLeft + 96 + 10, kTop + 306 + 8); // the file name field
        for (const char c : text) input.key(c);
        input.key(kKeyEnter);
    }
    std::optional<std::string> run(bool save, const std::string& start)
    {
        return fileRequester(s, input, FileRequest{save ? "Save Session Landscape" : "Load Kalvenor Landscape",
                                                   start, "*.K4S;*.DEM", "", save},
                             "/", memory);
    }
};

TEST_F(FileRequesterFlow, ListsSubdirectoriesAndTheFilesTheFilterLetsThrough)
{
    const DirectoryListing listing = listDirectory(dir.string(), "*.K4S;*.DEM");
    EXPECT_TRUE(listing.readable);
    EXPECT_EQ(listing.directories, (std::vector<std::string>{"alpha", "Zeta"}));
    EXPECT_EQ(listing.files, (std::vector<std::string>{"a.k4s", "b.DEM"}));
    EXPECT_FALSE(listDirectory((dir / "missing").string(), "*").readable);
}

TEST_F(FileRequesterFlow, ASecondClickOnANameTakesIt)
{
    clickFile(1);
    clickFile(1);
    EXPECT_EQ(run(false, dir.string()), (dir / "b.DEM").string());
    // Remembered for the kind: the next one starts there with the name.
    input.key(kKeyEnter);
    EXPECT_EQ(run(false, "/"), (dir / "b.DEM").string());
}

TEST_F(FileRequesterFlow, OpenWantsAFileThatExistsSaveTakesANewName)
{
    type("nothing.k4s");
    input.key(kKeyEscape);
    Surface before = s;
    showStatus(before, {}); // the requester leaves the status line empty
    EXPECT_EQ(run(false, dir.string()), std::nullopt);
    EXPECT_EQ(s.pixels, before.pixels); // what lay beneath is back

    type("new.k4s");
    EXPECT_EQ(run(true, dir.string()), (dir / "new.k4s").string());
}

TEST_F(FileRequesterFlow, ClickingADirectoryWalksIntoIt)
{
    clickDirectory(0); // alpha
    type("x.k4s");
    EXPECT_EQ(run(true, dir.string()), (dir / "alpha" / "x.k4s").string());
    // A typed directory name is walked into too (a fresh start: nothing remembered).
    memory = {};
    type("Zeta");
    type("y.k4s");
    EXPECT_EQ(run(true, dir.string()), (dir / "Zeta" / "y.k4s").string());
}

} // namespace
} // namespace kalvenor
