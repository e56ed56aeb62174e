#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "files/row_codec.h"
#include "files/scenery_import.h"
#include "model/landscape.h"
#include "model/random_streams.h"
#include "platform/scripted_frontend.h"
#include "support/landscape_cells.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using kalvenor::testing::elevationCells;
using kalvenor::testing::writeBytes;

struct TempDir : kalvenor::testing::TempDir {
    TempDir() : kalvenor::testing::TempDir("scenery") {}
};

void append(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

void appendWord(Bytes& out, std::uint32_t v)
{
    std::uint8_t word[4];
    put32be(word, v);
    out.insert(out.end(), word, word + 4);
}

// The "DEMH" tag and content: six words (rows at 8, samples at 12), padding
// up to the comment at 38, and the comment with its terminator.
Bytes headerChunk(std::uint32_t rows, std::uint32_t samples, const std::string& comment)
{
    Bytes out;
    append(out, "DEMH");
    for (std::uint32_t w : {0x11111111u, 0x22222222u, rows, samples, 0x33333333u, 0x44444444u}) appendWord(out, w);
    out.resize(out.size() + 14, 0x5A);
    append(out, comment);
    out.push_back(0);
    return out;
}

// Rows delta-coded by our own row writer, one after another with no lengths.
Bytes encodeRows(int rows, int samples, const std::function<std::int16_t(int, int)>& value)
{
    Bytes out;
    std::vector<std::int16_t> row(static_cast<std::size_t>(samples));
    Bytes coded(2 + 3 * static_cast<std::size_t>(samples));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < samples; ++c) row[static_cast<std::size_t>(c)] = value(c, r);
        const std::size_t n = deltaEncodeRow(row.data(), row.size(), coded.data());
        out.insert(out.end(), coded.begin(), coded.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return out;
}

// A whole file: magic, a chunk length the reader does not use, header chunk, data chunk.
Bytes sceneryFile(std::uint32_t rows, std::uint32_t samples, const std::string& comment, const Bytes& rowData)
{
    Bytes out;
    append(out, "SANM");
    appendWord(out, 0x0BADF00D);
    const Bytes header = headerChunk(rows, samples, comment);
    out.insert(out.end(), header.begin(), header.end());
    append(out, "DEM ");
    out.insert(out.end(), rowData.begin(), rowData.end());
    return out;
}

// What the import printed on its output stream.
struct CapturedStream {
    std::FILE* file = std::tmpfile();
    ~CapturedStream() { std::fclose(file); }
    std::string text()
    {
        std::fflush(file);
        std::rewind(file);
        std::string s;
        for (int ch; (ch = std::fgetc(file)) != EOF;) s.push_back(static_cast<char>(ch));
        return s;
    }
};

Landscape defaultLandscape(SizeMode mode = SizeMode::Automatic)
{
    Landscape land;
    RandomStreams random;
    EXPECT_EQ(resizeLandscape(land, random, kSmallGrid, kSmallGrid), 1);
    land.sizeMode = mode;
    setLandscapeComment(land, "before");
    return land;
}

// Smooth slopes with a jump every 37 columns that needs the escape.
std::int16_t terrainValue(int column, int row)
{
    if (column % 37 == 5) return static_cast<std::int16_t>(2000 + row);
    return static_cast<std::int16_t>(300 + (column * 3 + row * 2) % 250 - row);
}

TEST(SceneryImport, AutomaticModeRoundsTheGridUpAndFillsBeyondTheData)
{
    TempDir dir;
    writeBytes(dir / "land.dem", sceneryFile(301, 301, "Alpine valley", encodeRows(301, 301, terrainValue)));
    Landscape land = defaultLandscape();
    land.terrain[2][2] = 40;
    land.terrainFrozen = land.shadowFrozen = 1;
    land.terrainValidAt = 1;
    RandomStreams random;
    ScriptedFrontend ui;
    CapturedStream out;

    ASSERT_EQ(importSceneryAnimator(land, random, dir / "land.dem", ui, out.file), 1);

    EXPECT_EQ(land.gridWidth, 306); // 301 rounded up to 304, plus 2
    EXPECT_EQ(land.gridHeight, 306);
    EXPECT_EQ(land.sizeMode, SizeMode::Automatic);
    // The data lands as stored; the fill rule averages set cells, so every filled cell lies
    // within the range of the data.
    int lowest = 32767;
    int highest = -32768;
    for (int r = 0; r < 301; ++r)
        for (int c = 0; c < 301; ++c) {
            lowest = std::min<int>(lowest, terrainValue(c, r));
            highest = std::max<int>(highest, terrainValue(c, r));
        }
    int wrong = 0;
    for (int r = 0; r < 306; ++r)
        for (int c = 0; c < 306; ++c) {
            const int v = land.elevation[r][c];
            const bool ok = (c < 301 && r < 301) ? v == terrainValue(c, r) : (v >= lowest && v <= highest);
            if (!ok && ++wrong <= 5) ADD_FAILURE() << "cell " << c << "," << r << ": " << v;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(land.name, "Scenery Animator Landscape");
    EXPECT_EQ(land.comment, "Alpine valley");
    EXPECT_EQ(land.terrain[2][2], 0);
    EXPECT_EQ(land.terrainFrozen, 0);
    EXPECT_EQ(land.shadowFrozen, 0);
    EXPECT_EQ(land.terrainValidAt, 304);
    EXPECT_EQ(land.cliffValidAt, 304);
    EXPECT_EQ(land.shadowValidAt, 304);
    EXPECT_EQ(ui.statuses, (std::vector<std::string>{"LoadingLandscape", "Adjust Landscape"}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(out.text(), "");
}

TEST(SceneryImport, RowsDecodeByteForByte)
{
    // Two rows of four samples worked out by hand; the second row starts right
    // after the last byte of the first.
    const Bytes rows = {
        0x01, 0x00,       // 256
        0xFF,             // -1: 255
        0x80, 0xFC, 0x18, // escaped -1000
        0x7F,             // +127: -873
        0x00, 0x05,       // 5
        0x81,             // -127: -122
        0x80, 0x7F, 0xFF, // escaped 32767
        0xFE,             // -2: 32765
    };
    TempDir dir;
    writeBytes(dir / "hand.dem", sceneryFile(2, 4, "", rows));
    Landscape land = defaultLandscape();
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(importSceneryAnimator(land, random, dir / "hand.dem", ui, nullptr), 1);

    ASSERT_EQ(land.gridWidth, 10);
    ASSERT_EQ(land.gridHeight, 10);
    const std::vector<std::int16_t> row0 = {256, 255, -1000, -873};
    const std::vector<std::int16_t> row1 = {5, -122, 32767, 32765};
    EXPECT_EQ(std::vector<std::int16_t>(land.elevation[0], land.elevation[0] + 4), row0);
    EXPECT_EQ(std::vector<std::int16_t>(land.elevation[1], land.elevation[1] + 4), row1);
    // Everything beyond the data is filled from it, never left unset.
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c) EXPECT_GE(land.elevation[r][c], -1000) << c << "," << r;
    EXPECT_EQ(land.comment, "");
}

TEST(SceneryImport, CommentIsCutTo63Characters)
{
    TempDir dir;
    const std::string comment(80, 'c');
    writeBytes(dir / "long.dem", sceneryFile(3, 3, comment, encodeRows(3, 3, terrainValue)));
    Landscape land = defaultLandscape();
    RandomStreams random;
    ScriptedFrontend ui;
    ASSERT_EQ(importSceneryAnimator(land, random, dir / "long.dem", ui, nullptr), 1);
    EXPECT_EQ(land.comment, std::string(63, 'c'));
}

TEST(SceneryImport, FixedModePlacesDataInTheGridOrRefusesItWhenTooBig)
{
    TempDir dir;
    writeBytes(dir / "fits.dem", sceneryFile(50, 258, "", encodeRows(50, 258, terrainValue)));
    writeBytes(dir / "wide.dem", sceneryFile(50, 259, "", encodeRows(50, 259, terrainValue)));
    RandomStreams random;

    Landscape land = defaultLandscape(SizeMode::Fixed);
    ScriptedFrontend ui;
    ASSERT_EQ(importSceneryAnimator(land, random, dir / "fits.dem", ui, nullptr), 1);
    EXPECT_EQ(land.gridWidth, kSmallGrid);
    EXPECT_EQ(land.gridHeight, kSmallGrid);
    EXPECT_EQ(land.elevation[49][257], terrainValue(257, 49));
    // Rows past the data are filled by the adjust step from the rows above them.
    EXPECT_GE(land.elevation[50][0], -30000);
    EXPECT_GE(land.elevation[257][257], -30000);

    Landscape fixed = defaultLandscape(SizeMode::Fixed);
    const std::vector<std::int16_t> before = elevationCells(fixed);
    ScriptedFrontend refused;
    EXPECT_EQ(importSceneryAnimator(fixed, random, dir / "wide.dem", refused, nullptr), 0);
    EXPECT_EQ(refused.messages, (std::vector<std::string>{"Landscape file too big! \"" + (dir / "wide.dem") + "\""}));
    EXPECT_EQ(elevationCells(fixed), before);
    EXPECT_EQ(fixed.comment, "before");
}

TEST(SceneryImport, SidesNearTheLimit)
{
    TempDir dir;
    RandomStreams random;
    struct Case {
        std::uint32_t rows, samples;
        int gridWidth, gridHeight; // 0: refused as too big
    };
    // 2049 and 2050 samples round past 2050 but fit the largest grid.
    const Case cases[] = {{6, 2048, 2050, 10}, {6, 2049, 2050, 10}, {2050, 3, 10, 2050}, {6, 2051, 0, 0},
                          {5000, 3, 0, 0}};
    for (const Case& c : cases) {
        const std::string path = dir / ("side" + std::to_string(c.samples) + "x" + std::to_string(c.rows));
        const int storedRows = std::min<int>(static_cast<int>(c.rows), 8);
        writeBytes(path, sceneryFile(c.rows, c.samples, "", encodeRows(storedRows, static_cast<int>(c.samples),
                                                                        terrainValue)));
        Landscape land = defaultLandscape();
        ScriptedFrontend ui;
        const int result = importSceneryAnimator(land, random, path, ui, nullptr);
        if (c.gridWidth == 0) {
            EXPECT_EQ(result, 0) << path;
            EXPECT_EQ(ui.messages, (std::vector<std::string>{"Landscape file too big! \"" + path + "\""})) << path;
            EXPECT_EQ(land.gridWidth, kSmallGrid) << path;
            EXPECT_EQ(land.comment, "before") << path;
        } else {
            EXPECT_EQ(result, 1) << path;
            EXPECT_EQ(land.gridWidth, c.gridWidth) << path;
            EXPECT_EQ(land.gridHeight, c.gridHeight) << path;
            const int lastColumn = static_cast<int>(c.samples) - 1;
            EXPECT_EQ(land.elevation[storedRows - 1][lastColumn], terrainValue(lastColumn, storedRows - 1)) << path;
        }
    }
}

TEST(SceneryImport, UnreadableFilesAreReportedOnTheStream)
{
    TempDir dir;
    Bytes wrongMagic = sceneryFile(3, 3, "", encodeRows(3, 3, terrainValue));
    wrongMagic[3] = 'X';
    writeBytes(dir / "other.dem", wrongMagic);
    fs::create_directory(dir.path / "folder.dem");
    // Sparse, so it takes no room on disk; too big to be held in memory.
    std::ofstream(dir / "huge.dem").close();
    fs::resize_file(dir.path / "huge.dem", 3000000000u);

    const std::pair<std::string, std::string> cases[] = {
        {dir / "huge.dem", "unable to allocate buffer! (3000000000 bytes)\n"},
        {dir / "missing.dem", "File (" + (dir / "missing.dem") + ") not found\n"},
        {dir / "folder.dem", "File (" + (dir / "folder.dem") + ") not found\n"},
        {dir / "other.dem", "Not a Scenery Animator file!\n"},
    };
    for (const auto& [path, printed] : cases) {
        Landscape land = defaultLandscape();
        const std::vector<std::int16_t> before = elevationCells(land);
        RandomStreams random;
        ScriptedFrontend ui;
        CapturedStream out;
        EXPECT_EQ(importSceneryAnimator(land, random, path, ui, out.file), 0) << path;
        EXPECT_EQ(out.text(), printed);
        EXPECT_EQ(ui.statuses, (std::vector<std::string>{"LoadingLandscape"}));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(elevationCells(land), before) << path;
    }
}

// Files whose header lies: each is refused before the landscape is touched.
TEST(SceneryImport, MalformedHeadersAreRefused)
{
    const Bytes rows = encodeRows(4, 4, terrainValue);
    const Bytes good = sceneryFile(4, 4, "ok", rows);
    auto cut = [](Bytes b, std::size_t size) {
        b.resize(size);
        return b;
    };
    Bytes headerAtEnd; // "DEM " first, then a "DEMH" whose words run past the end
    append(headerAtEnd, "SANM");
    append(headerAtEnd, "DEM ");
    headerAtEnd.insert(headerAtEnd.end(), rows.begin(), rows.end());
    append(headerAtEnd, "DEMH");
    appendWord(headerAtEnd, 0);
    appendWord(headerAtEnd, 0);
    appendWord(headerAtEnd, 4);
    Bytes noDataTag = good;
    noDataTag.resize(good.size() - rows.size() - 4);
    Bytes noHeaderTag = good;
    noHeaderTag[8 + 3] = 'X'; // "DEMX"
    Bytes oneByteOfData = sceneryFile(4, 4, "", {0x01});

    struct Case {
        const char* name;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {"empty", {}},
        {"magic_only", cut(good, 4)},
        {"header_cut_inside_words", cut(good, 8 + 4 + 20)},
        {"header_cut_before_comment", cut(good, 8 + 4 + 37)},
        {"header_words_past_end", headerAtEnd},
        {"no_data_tag", noDataTag},
        {"no_header_tag", noHeaderTag},
        {"data_without_a_sample", oneByteOfData},
        {"zero_rows", sceneryFile(0, 4, "", rows)},
        {"zero_samples", sceneryFile(4, 0, "", rows)},
        {"negative_rows", sceneryFile(0xFFFFFFFF, 4, "", rows)},
        {"negative_samples", sceneryFile(4, 0x80000000, "", rows)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        writeBytes(dir / c.name, c.bytes);
        Landscape land = defaultLandscape();
        const std::vector<std::int16_t> before = elevationCells(land);
        RandomStreams random;
        ScriptedFrontend ui;
        CapturedStream out;
        EXPECT_EQ(importSceneryAnimator(land, random, dir / c.name, ui, out.file), 0) << c.name;
        EXPECT_EQ(out.text(), "Not a Scenery Animator file!\n") << c.name;
        EXPECT_EQ(elevationCells(land), before) << c.name;
        EXPECT_EQ(land.comment, "before") << c.name;
    }
}

// Files whose data end early or whose comment lacks its terminator load what
// they hold; the adjust step covers the rest.
TEST(SceneryImport, DataEndingEarlyLoadsWhatIsThere)
{
    // Gentle slopes: each row of 10 samples takes 2 + 9 bytes.
    auto value = [](int c, int r) { return static_cast<std::int16_t>(500 - 7 * c + 3 * r); };
    const Bytes rows = encodeRows(10, 10, value);
    const std::size_t rowBytes = 11;
    ASSERT_EQ(rows.size(), 10 * rowBytes);
    Bytes midRow = sceneryFile(10, 10, "early", Bytes(rows.begin(), rows.begin() + 3 * rowBytes + 6));
    Bytes escapeCut = sceneryFile(1, 4, "", {0x00, 0x10, 0x01, 0x80, 0x12});
    Bytes unterminated; // data first, then a header whose comment runs to the end of the file
    append(unterminated, "SANM");
    append(unterminated, "DEM ");
    unterminated.insert(unterminated.end(), rows.begin(), rows.end());
    Bytes header = headerChunk(10, 10, "tail");
    header.pop_back();
    unterminated.insert(unterminated.end(), header.begin(), header.end());

    TempDir dir;
    RandomStreams random;
    {
        writeBytes(dir / "mid.dem", midRow);
        Landscape land = defaultLandscape();
        ScriptedFrontend ui;
        ASSERT_EQ(importSceneryAnimator(land, random, dir / "mid.dem", ui, nullptr), 1);
        EXPECT_EQ(land.gridWidth, 18);
        int lowest = 32767;
        int highest = -32768;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 10; ++c) {
                EXPECT_EQ(land.elevation[r][c], value(c, r)) << c << "," << r;
                lowest = std::min<int>(lowest, value(c, r));
                highest = std::max<int>(highest, value(c, r));
            }
        // Six bytes of row 3: the first sample and four differences.
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(land.elevation[3][c], value(c, 3)) << c;
            lowest = std::min<int>(lowest, value(c, 3));
            highest = std::max<int>(highest, value(c, 3));
        }
        // The rest is filled from the decoded samples, within their range.
        for (int r = 3; r < 18; ++r)
            for (int c = r == 3 ? 5 : 0; c < 18; ++c) {
                EXPECT_GE(land.elevation[r][c], lowest) << c << "," << r;
                EXPECT_LE(land.elevation[r][c], highest) << c << "," << r;
            }
        EXPECT_EQ(land.comment, "early");
    }
    {
        writeBytes(dir / "escape.dem", escapeCut);
        Landscape land = defaultLandscape();
        ScriptedFrontend ui;
        ASSERT_EQ(importSceneryAnimator(land, random, dir / "escape.dem", ui, nullptr), 1);
        EXPECT_EQ(land.elevation[0][0], 16);
        EXPECT_EQ(land.elevation[0][1], 17);
        // The escaped sample was cut off: the cell is filled from its neighbours, 16 and 17.
        EXPECT_GE(land.elevation[0][2], 16);
        EXPECT_LE(land.elevation[0][2], 17);
    }
    {
        writeBytes(dir / "tail.dem", unterminated);
        Landscape land = defaultLandscape();
        ScriptedFrontend ui;
        ASSERT_EQ(importSceneryAnimator(land, random, dir / "tail.dem", ui, nullptr), 1);
        EXPECT_EQ(land.comment, "tail");
        EXPECT_EQ(land.elevation[9][9], value(9, 9));
    }
}

} // namespace
} // namespace kalvenor
