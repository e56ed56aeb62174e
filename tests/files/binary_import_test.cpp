#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/binary_import.h"
#include "model/landscape.h"
#include "model/scene_settings.h"
#include "platform/scripted_frontend.h"
#include "support/landscape_cells.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

using kalvenor::testing::elevationCells;

struct TempDir : kalvenor::testing::TempDir {
    TempDir() : kalvenor::testing::TempDir("binimport") {}
};

// A sample whose two bytes differ and which covers negative values, so that a
// wrong byte order or a shifted row shows.
std::int16_t sample(int column, int row)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(row * 311 + column * 17 + 0x0180));
}

// width x height little-endian samples behind headerBytes bytes of 0xEE,
// with extraBytes bytes of the next row after the whole rows.
void writeBinary(const std::string& path, int width, int wholeRows, int headerBytes = 0, int extraBytes = 0)
{
    std::vector<char> bytes(static_cast<std::size_t>(headerBytes), static_cast<char>(0xEE));
    for (int r = 0; r <= wholeRows; ++r)
        for (int c = 0; c < width; ++c) {
            const auto u = static_cast<std::uint16_t>(sample(c, r));
            bytes.push_back(static_cast<char>(u & 0xFF));
            bytes.push_back(static_cast<char>(u >> 8));
        }
    bytes.resize(static_cast<std::size_t>(headerBytes) + static_cast<std::size_t>(wholeRows * width * 2 + extraBytes));
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Landscape filledLandscape(std::int16_t value = 9)
{
    Landscape land;
    EXPECT_EQ(allocateGrid(land, kSmallGrid, kSmallGrid), 1);
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = value;
    return land;
}

// Every cell equals the file's sample inside the first columns x rows, else 0.
void expectImported(const Landscape& land, int columns, int rows)
{
    int wrong = 0;
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) {
            const std::int16_t expected = (c < columns && r < rows) ? sample(c, r) : 0;
            if (land.elevation[r][c] != expected && ++wrong <= 5)
                ADD_FAILURE() << "cell " << c << "," << r << ": " << land.elevation[r][c] << " != " << expected;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(BinaryImport, LargerFileFillsTheGridWithItsFirstRowsAndColumns)
{
    TempDir dir;
    writeBinary(dir / "big.bin", 300, 300);
    Landscape land = filledLandscape();
    SceneSettings scene;
    scene.colouring.seaLevel = 50;
    land.terrain[3][3] = 77;
    BinaryImportState state;
    ScriptedFrontend ui;
    ui.fileAnswers = {dir / "big.bin"};
    ui.numberAnswers = {300, 300, 0};
    ui.askAnswers = {false};

    EXPECT_EQ(importBinaryCommand(land, scene, state, dir.path.string(), ui), 1);

    EXPECT_EQ(land.gridWidth, kSmallGrid);
    EXPECT_EQ(land.gridHeight, kSmallGrid);
    expectImported(land, kSmallGrid, kSmallGrid);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Load Binary Data");
    EXPECT_EQ(ui.fileRequests[0].pattern, "*.bin");
    EXPECT_EQ(ui.fileRequests[0].directory, dir.path.string());
    EXPECT_EQ(ui.questions, (std::vector<std::string>{"Data width:", "Data height:", "Header bytes to skip:",
                                                      "Remove steps? [Yes|No]"}));
    EXPECT_TRUE(ui.messages.empty());
    // The new-landscape reset ran.
    EXPECT_EQ(scene.colouring.seaLevel, 0);
    EXPECT_EQ(land.terrain[3][3], 0);
    EXPECT_EQ(land.terrainValidAt, land.sizeX);
    EXPECT_EQ(land.paletteStale, 1);
}

TEST(BinaryImport, SmallerFileWithHeaderLeavesTheRestCleared)
{
    TempDir dir;
    writeBinary(dir / "small.bin", 100, 50, 37);
    Landscape land = filledLandscape();
    EXPECT_EQ(importBinaryElevations(land, dir / "small.bin", 100, 50, 37), BinaryImportStatus::Ok);
    expectImported(land, 100, 50);
}

// A file with fewer rows than it is said to have, or a row cut short, is
// refused whole: the landscape keeps every elevation it had.
TEST(BinaryImport, AFileShorterThanItsSizeChangesNothing)
{
    TempDir dir;
    writeBinary(dir / "short.bin", 20, 4, 6, 13);
    Landscape land = filledLandscape();
    const std::vector<std::int16_t> before = elevationCells(land);
    EXPECT_EQ(importBinaryElevations(land, dir / "short.bin", 20, 10, 6), BinaryImportStatus::ReadFailed);
    EXPECT_EQ(elevationCells(land), before);
    EXPECT_EQ(importBinaryElevations(land, dir / "short.bin", 20, 5, 6), BinaryImportStatus::ReadFailed);
    EXPECT_EQ(elevationCells(land), before);
    EXPECT_EQ(importBinaryElevations(land, dir / "short.bin", 20, 4, 6), BinaryImportStatus::Ok);
    expectImported(land, 20, 4);
}

TEST(BinaryImport, MissingFileLeavesTheLandscapeAlone)
{
    TempDir dir;
    Landscape land = filledLandscape();
    const std::vector<std::int16_t> before = elevationCells(land);
    SceneSettings scene;
    scene.colouring.seaLevel = 50;
    BinaryImportState state;
    ScriptedFrontend ui;
    ui.fileAnswers = {dir / "typo.bin"};
    ui.numberAnswers = {300, 300, 0};

    EXPECT_EQ(importBinaryCommand(land, scene, state, dir.path.string(), ui), 0);

    EXPECT_EQ(elevationCells(land), before);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Error opening file: \"" + (dir / "typo.bin") + "\""}));
    EXPECT_EQ(ui.questions.size(), 3u); // no "Remove steps?"
    EXPECT_EQ(scene.colouring.seaLevel, 50);
}

TEST(BinaryImport, RefusedWithoutTouchingTheLandscape)
{
    TempDir dir;
    writeBinary(dir / "data.bin", 10, 10);
    std::ofstream(dir / "empty.bin").close();
    fs::create_directory(dir.path / "folder.bin");

    struct Case {
        const char* file;
        int width, height, header;
        BinaryImportStatus expected;
    };
    const Case cases[] = {
        {"data.bin", 0, 10, 0, BinaryImportStatus::BadSize},
        {"data.bin", 10, -3, 0, BinaryImportStatus::BadSize},
        {"data.bin", 65536, 10, 0, BinaryImportStatus::BadSize},
        {"data.bin", 10, 10, -1, BinaryImportStatus::BadHeader},
        {"data.bin", 10, 10, 200, BinaryImportStatus::ReadFailed}, // header skips every row
        {"data.bin", 101, 10, 0, BinaryImportStatus::ReadFailed},  // not even one row of that width
        {"empty.bin", 10, 10, 0, BinaryImportStatus::ReadFailed},
        {"folder.bin", 10, 10, 0, BinaryImportStatus::OpenFailed}, // not a regular file: not opened
        {"none.bin", 10, 10, 0, BinaryImportStatus::OpenFailed},
    };
    for (const Case& c : cases) {
        Landscape land = filledLandscape();
        EXPECT_EQ(importBinaryElevations(land, dir / c.file, c.width, c.height, c.header), c.expected)
            << c.file << " " << c.width << "x" << c.height << "+" << c.header;
        EXPECT_EQ(elevationCells(land), elevationCells(filledLandscape())) << c.file;
    }
}

TEST(BinaryImport, CommandRefusesBadNumbersWithAMessage)
{
    TempDir dir;
    writeBinary(dir / "data.bin", 10, 10);
    struct Case {
        long width, height, header;
        std::string message;
    };
    const Case cases[] = {
        {0, 10, 0, "Data width and height must be from 1 to 65535."},
        {10, 70000, 0, "Data width and height must be from 1 to 65535."},
        {10, 10, -5, "Header bytes to skip must be from 0 to 2147483647."},
        {10, 10, 3000000000L, "Header bytes to skip must be from 0 to 2147483647."},
        {10, 10, 1000, "Error reading file: \"" + (dir / "data.bin") + "\""},
    };
    for (const Case& c : cases) {
        Landscape land = filledLandscape();
        SceneSettings scene;
        BinaryImportState state{12, 13, 14};
        ScriptedFrontend ui;
        ui.fileAnswers = {dir / "data.bin"};
        ui.numberAnswers = {c.width, c.height, c.header};
        EXPECT_EQ(importBinaryCommand(land, scene, state, "", ui), 0) << c.message;
        EXPECT_EQ(ui.messages, (std::vector<std::string>{c.message}));
        EXPECT_EQ(elevationCells(land), elevationCells(filledLandscape())) << c.message;
    }
}

TEST(BinaryImport, NumbersAreRememberedForTheNextImport)
{
    TempDir dir;
    writeBinary(dir / "a.bin", 300, 300);
    writeBinary(dir / "b.bin", 100, 50, 37);
    Landscape land = filledLandscape();
    SceneSettings scene;
    BinaryImportState state;
    ScriptedFrontend ui;

    // Nothing asked yet: the grid size and no header are offered. "Remove steps?" is answered No.
    ui.askAnswers = {false, false, false};
    ui.fileAnswers = {dir / "a.bin"};
    ASSERT_EQ(importBinaryCommand(land, scene, state, "", ui), 1);
    EXPECT_EQ(state.width, kSmallGrid);
    EXPECT_EQ(state.height, kSmallGrid);
    EXPECT_EQ(state.headerBytes, 0);
    // The 300-wide file was read as rows of 258 samples.
    const int index = 257 * kSmallGrid + 257;
    EXPECT_EQ(land.elevation[257][257], sample(index % 300, index / 300));

    ui.fileAnswers = {dir / "b.bin"};
    ui.numberAnswers = {100, 50, 37};
    ASSERT_EQ(importBinaryCommand(land, scene, state, "", ui), 1);

    // Accepting the offered numbers repeats the last import.
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = 9;
    ui.fileAnswers = {dir / "b.bin"};
    ASSERT_EQ(importBinaryCommand(land, scene, state, "", ui), 1);
    expectImported(land, 100, 50);
    EXPECT_EQ(state.width, 100);
    EXPECT_EQ(state.height, 50);
    EXPECT_EQ(state.headerBytes, 37);
}

TEST(BinaryImport, RemoveStepsYesAndCancelling)
{
    TempDir dir;
    writeBinary(dir / "a.bin", 10, 10);
    Landscape land = filledLandscape();
    SceneSettings scene;
    BinaryImportState state;
    ScriptedFrontend ui;
    ui.fileAnswers = {dir / "a.bin"};
    ui.numberAnswers = {10, 10, 0};
    ui.askAnswers = {true};
    EXPECT_EQ(importBinaryCommand(land, scene, state, "", ui), 1);
    EXPECT_EQ(ui.questions.back(), "Remove steps? [Yes|No]");
    EXPECT_TRUE(ui.messages.empty());
    // Removing steps rebuilt the surface: the imported corner no longer stands alone in a flat grid,
    // and nothing is left unset.
    Landscape plain = filledLandscape();
    ASSERT_EQ(importBinaryElevations(plain, dir / "a.bin", 10, 10, 0), BinaryImportStatus::Ok);
    EXPECT_NE(elevationCells(land), elevationCells(plain));
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) ASSERT_GE(land.elevation[r][c], -30000) << c << "," << r;

    // Cancelling the file requester or a number changes nothing.
    Landscape other = filledLandscape();
    ScriptedFrontend cancel;
    EXPECT_EQ(importBinaryCommand(other, scene, state, "", cancel), -1);
    cancel.fileAnswers = {dir / "a.bin"};
    cancel.numberAnswers = {20, std::nullopt};
    EXPECT_EQ(importBinaryCommand(other, scene, state, "", cancel), -1);
    EXPECT_EQ(elevationCells(other), elevationCells(filledLandscape()));
    EXPECT_EQ(state.width, 10);
}

} // namespace
} // namespace kalvenor
