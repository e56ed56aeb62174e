#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "files/ascii_z.h"
#include "model/landscape.h"
#include "platform/scripted_frontend.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using kalvenor::testing::entries;
using kalvenor::testing::FileSizeLimit;
using kalvenor::testing::readFile;
using kalvenor::testing::writeFile;

struct TempDir : kalvenor::testing::TempDir {
    TempDir() : kalvenor::testing::TempDir("asciiz") {}
};

// A 258 x 258 landscape whose cells tell their position, with both ends of
// the 16-bit range and a margin that must never be exported.
Landscape patternLandscape(int width = 258, int height = 258)
{
    Landscape land;
    EXPECT_EQ(allocateGrid(land, width, height), 1);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) land.elevation[r][c] = static_cast<std::int16_t>(r * 7 - c * 13);
    land.elevation[0][0] = -32768;
    land.elevation[1][1] = 32767;
    for (int r = 0; r < height; ++r) land.elevation[r][width - 1] = 9999;  // margin column
    for (int c = 0; c < width; ++c) land.elevation[height - 1][c] = 8888; // margin row
    return land;
}

// The expected text of the given columns and rows, written out independently.
std::string expectedText(const Landscape& land, const std::vector<int>& columns, const std::vector<int>& rows)
{
    std::string text;
    for (int r : rows) {
        for (int c : columns) text += std::to_string(land.elevation[r][c]) + " ";
        text += "\r\n";
    }
    return text;
}

std::vector<int> stepped(int first, int last, int step)
{
    std::vector<int> v;
    for (int i = first; i <= last; i += step) v.push_back(i);
    return v;
}

TEST(AsciiZ, WholeSmallGridAtStepOne)
{
    TempDir dir;
    const Landscape land = patternLandscape();
    ScriptedFrontend ui;
    ASSERT_EQ(exportAsciiZ(land, BoundingBox{}, dir / "land.txt", 1, ui), ExportResult::Ok);
    EXPECT_EQ(ui.statuses, std::vector<std::string>{"Saving Ascii Z"});
    EXPECT_EQ(ui.polls, 257); // once per row

    const std::string text = readFile(dir / "land.txt");
    EXPECT_EQ(text, expectedText(land, stepped(0, 256, 1), stepped(0, 256, 1)));

    // 257 lines of 257 numbers, each followed by one blank, every line ended by CR LF.
    std::istringstream lines(text);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        ASSERT_EQ(line.back(), ' ');
        std::istringstream numbers(line);
        int n = 0, v = 0;
        while (numbers >> v) ++n;
        ASSERT_EQ(n, 257);
        ASSERT_EQ(std::count(line.begin(), line.end(), ' '), 257);
    }
    EXPECT_EQ(count, 257);
    EXPECT_EQ(text.find("9999"), std::string::npos);
    EXPECT_EQ(text.find("8888"), std::string::npos);
    EXPECT_EQ(text.substr(0, 7), "-32768 ");
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"land.txt"});
}

TEST(AsciiZ, StepBelowOneCountsAsOne)
{
    TempDir dir;
    const Landscape land = patternLandscape(30, 20);
    const std::string expected = expectedText(land, stepped(0, 28, 1), stepped(0, 18, 1));
    for (int step : {1, 0, -1, -40}) {
        SCOPED_TRACE(step);
        ScriptedFrontend ui;
        ASSERT_EQ(exportAsciiZ(land, BoundingBox{}, dir / "s.txt", step, ui), ExportResult::Ok);
        EXPECT_EQ(readFile(dir / "s.txt"), expected);
    }
}

TEST(AsciiZ, StepThreeSamplesEveryThirdPointUpToTheLastMultiple)
{
    TempDir dir;
    const Landscape land = patternLandscape();
    ScriptedFrontend ui;
    ASSERT_EQ(exportAsciiZ(land, BoundingBox{}, dir / "s3.txt", 3, ui), ExportResult::Ok);
    // sizeX = 256: columns and rows 0, 3, ..., 255 (256 / 3 * 3), 86 of each.
    EXPECT_EQ(readFile(dir / "s3.txt"), expectedText(land, stepped(0, 255, 3), stepped(0, 255, 3)));
    EXPECT_EQ(ui.polls, 86);
}

TEST(AsciiZ, BoundingBoxIsWidenedToTheStep)
{
    TempDir dir;
    const Landscape land = patternLandscape();
    BoundingBox box{1, 10, 5, 20, 9}; // on; columns 10..20, rows 5..9
    ScriptedFrontend ui;
    ASSERT_EQ(exportAsciiZ(land, box, dir / "box.txt", 4, ui), ExportResult::Ok);
    // Columns 8..20 and rows 4..12 at step 4.
    EXPECT_EQ(readFile(dir / "box.txt"), expectedText(land, {8, 12, 16, 20}, {4, 8, 12}));
}

struct AreaCase {
    const char* what;
    BoundingBox box;
    int step;
    ExportArea expected;
};

// On a 258 x 258 grid (sample points 0..256).
const AreaCase kAreas[] = {
    {"no box, step 1", {0, 10, 10, 20, 20}, 1, {0, 256, 0, 256}},
    {"no box, step 3", {0, 10, 10, 20, 20}, 3, {0, 255, 0, 255}},
    {"no box, step 0 as 1", {}, 0, {0, 256, 0, 256}},
    {"no box, step beyond the grid", {}, 1000, {0, 0, 0, 0}},
    {"box on multiples", {1, 8, 4, 100, 52}, 4, {8, 100, 4, 52}},
    {"box rounded outward, step 4", {1, 10, 5, 100, 50}, 4, {8, 100, 4, 52}},
    {"box rounded outward, step 3", {1, 10, 5, 100, 50}, 3, {9, 102, 3, 51}},
    {"box at step 1 is exact", {1, 10, 5, 100, 50}, 1, {10, 100, 5, 50}},
    {"box corners swapped", {1, 100, 50, 10, 5}, 4, {8, 100, 4, 52}},
    // 256 rounds up to 258, beyond the last sample point: back to the last one on the step.
    {"box up to the far edge, step 3", {1, 200, 200, 256, 256}, 3, {198, 255, 198, 255}},
    {"box up to the far edge, step 4", {1, 200, 200, 256, 256}, 4, {200, 256, 200, 256}},
    {"box past the grid", {1, 250, 250, 400, 1000}, 4, {248, 256, 248, 256}},
    {"box left of the grid", {1, -5, -30, 20, 6}, 4, {0, 20, 0, 8}},
    {"box wholly outside", {1, 300, 300, 400, 400}, 4, {256, 256, 256, 256}},
};

TEST(AsciiZ, ExportArea)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 258, 258), 1);
    for (const AreaCase& t : kAreas) {
        SCOPED_TRACE(t.what);
        const ExportArea a = exportArea(land, t.box, t.step);
        EXPECT_EQ(a.firstColumn, t.expected.firstColumn);
        EXPECT_EQ(a.lastColumn, t.expected.lastColumn);
        EXPECT_EQ(a.firstRow, t.expected.firstRow);
        EXPECT_EQ(a.lastRow, t.expected.lastRow);
    }
}

TEST(AsciiZ, ExportAreaOfAnOblongGrid)
{
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 102, 52), 1); // sizeX 100, sizeY 50
    const ExportArea a = exportArea(land, BoundingBox{}, 7);
    EXPECT_EQ(a.lastColumn, 98); // 100 / 7 * 7
    EXPECT_EQ(a.lastRow, 49);    // 50 / 7 * 7
    const ExportArea b = exportArea(land, BoundingBox{1, 0, 0, 100, 50}, 7);
    EXPECT_EQ(b.lastColumn, 98); // 105 is past the grid
    EXPECT_EQ(b.lastRow, 49);    // 56 is past the grid
}

TEST(AsciiZ, AbortLeavesThePreviousFileUntouched)
{
    TempDir dir;
    const std::string path = dir / "land.txt";
    writeFile(path, "an older export\r\n");
    const Landscape land = patternLandscape();
    ScriptedFrontend ui;
    ui.abortOnPoll = 5;
    EXPECT_EQ(exportAsciiZ(land, BoundingBox{}, path, 1, ui), ExportResult::Aborted);
    EXPECT_EQ(ui.polls, 5);
    EXPECT_EQ(readFile(path), "an older export\r\n");
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"land.txt"});

    // Without an older file nothing at all is left behind.
    ScriptedFrontend first;
    first.abortOnPoll = 1;
    EXPECT_EQ(exportAsciiZ(land, BoundingBox{}, dir / "new.txt", 1, first), ExportResult::Aborted);
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"land.txt"});
}

TEST(AsciiZ, CreatesTheDirectoriesOfThePath)
{
    TempDir dir;
    const Landscape land = patternLandscape(12, 12);
    ScriptedFrontend ui;
    // Either separator works.
    ASSERT_EQ(exportAsciiZ(land, BoundingBox{}, dir / "exports\\dem/z.txt", 1, ui), ExportResult::Ok);
    EXPECT_EQ(readFile((dir.path / "exports" / "dem" / "z.txt").string()),
              expectedText(land, stepped(0, 10, 1), stepped(0, 10, 1)));
}

TEST(AsciiZ, UnwritableLocationFailsToOpen)
{
    TempDir dir;
    writeFile(dir / "plain", "a file, not a directory");
    const Landscape land = patternLandscape(12, 12);
    ScriptedFrontend ui;
    EXPECT_EQ(exportAsciiZ(land, BoundingBox{}, dir / "plain/sub/z.txt", 1, ui), ExportResult::OpenFailed);
    EXPECT_EQ(ui.polls, 0);
    EXPECT_EQ(exportAsciiZ(land, BoundingBox{}, dir.path.string(), 1, ui), ExportResult::OpenFailed); // a directory
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"plain"});
    EXPECT_EQ(readFile(dir / "plain"), "a file, not a directory");
}

TEST(AsciiZ, FailedWriteKeepsThePreviousFile)
{
    TempDir dir;
    const std::string path = dir / "land.txt";
    writeFile(path, "an older export\r\n");
    const Landscape land = patternLandscape();
    ScriptedFrontend ui;
    {
        FileSizeLimit limit(4096); // far less than 257 rows
        EXPECT_EQ(exportAsciiZ(land, BoundingBox{}, path, 1, ui), ExportResult::WriteFailed);
    }
    EXPECT_EQ(readFile(path), "an older export\r\n");
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"land.txt"});
}

} // namespace
} // namespace kalvenor
