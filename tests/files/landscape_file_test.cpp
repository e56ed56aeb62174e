#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "base/byte_order.h"
#include "files/dem_file.h"
#include "files/session_file.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using Bytes = std::vector<std::uint8_t>;
using kalvenor::testing::readFile;
using kalvenor::testing::TempDir;
using kalvenor::testing::writeFile;

void fillElevations(Landscape& land, int seed)
{
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c)
            land.elevation[r][c] = static_cast<std::int16_t>((r * 5 + c * 3 + seed) % 300 + (c % 19 == 0 ? 400 : 0));
}

void makeGrid(App& app, int width, int height, SizeMode mode, int seed = 0)
{
    ASSERT_EQ(allocateGrid(app.landscape, width, height), 1);
    app.landscape.sizeMode = mode;
    fillElevations(app.landscape, seed);
}

Bytes demOf(int width, int height, std::int32_t utmX, std::int32_t utmY, int seed = 1)
{
    App app;
    allocateGrid(app.landscape, width, height);
    fillElevations(app.landscape, seed);
    app.landscape.utmX = utmX;
    app.landscape.utmY = utmY;
    app.landscape.utmExtra = 77;
    return encodeDem(app.landscape, app.scene, wholeLandscape(app.landscape));
}

Bytes sessionOf(int width, int height)
{
    App app;
    allocateGrid(app.landscape, width, height);
    fillElevations(app.landscape, 2);
    app.textures[1].entry[0] = 1;
    app.textures[1].entry[4] = 'T';
    app.textures[1].data.assign(40, 9);
    app.scene.render.backgroundFile = "bg.tga";
    ScriptedFrontend ui;
    return encodeSession({app.landscape, app.scene, app.textures, app.path, app.palette}, fullSession(), ui);
}

LoadResult parse(App& app, const Bytes& file, ScriptedFrontend& ui)
{
    LoadTarget target = loadTargetOf(app);
    return parseLandscapeFile(file, target, ui, "f.dem");
}

// The four maps agree with the recorded size.
bool whole(const Landscape& land)
{
    for (const auto* map : {&land.elevation, &land.work})
        if (map->width != land.gridWidth || map->height != land.gridHeight) return false;
    for (const auto* map : {&land.terrain, &land.shadow})
        if (map->width != land.gridWidth || map->height != land.gridHeight) return false;
    return land.sizeX == land.gridWidth - 2 && land.sizeY == land.gridHeight - 2;
}

bool sameElevations(const Landscape& a, const Landscape& b)
{
    if (a.gridWidth != b.gridWidth || a.gridHeight != b.gridHeight) return false;
    for (int r = 0; r < a.gridHeight; ++r)
        for (int c = 0; c < a.gridWidth; ++c)
            if (a.elevation[r][c] != b.elevation[r][c]) return false;
    return true;
}

TEST(LandscapeFilePlacement, AutomaticModeTakesTheFilesSizeAndPlacement)
{
    App app;
    makeGrid(app, 258, 258, SizeMode::Automatic);
    ScriptedFrontend ui;
    ASSERT_EQ(parse(app, demOf(300, 200, 5000, 6000), ui).loaded, Loaded::Landscape);
    EXPECT_EQ(app.landscape.gridWidth, 300);
    EXPECT_EQ(app.landscape.gridHeight, 200);
    EXPECT_EQ(app.landscape.utmX, 5000);
    EXPECT_EQ(app.landscape.utmExtra, 77);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(ui.statuses.front(), "LoadingLandscape");
    EXPECT_TRUE(whole(app.landscape));
}

TEST(LandscapeFilePlacement, FixedModePlacesASmallerFileByUtmOrByHand)
{
    // Auto: (1000 + 314 - 1000) / 30 = 10.47 -> 10; (2000 + 584 - 2000) / 30 = 19.47 -> 19.
    const Bytes file = demOf(258, 258, 1000 + 314, 2000 + 584);
    App source;
    allocateGrid(source.landscape, 258, 258);
    fillElevations(source.landscape, 1);

    const struct {
        const char* name;
        int choice;
        std::optional<MapPoint> point;
        int column, row;
        std::int32_t utmX;
    } cases[] = {
        {"auto by UTM", 1, std::nullopt, 10, 19, 1000},
        {"manual at 0, 0 takes the file's placement", 0, MapPoint{0, 0}, 0, 0, 1314},
        {"manual elsewhere keeps the placement", 0, MapPoint{40, 3}, 40, 3, 1000},
    };
    for (const auto& c : cases) {
        App app;
        makeGrid(app, 514, 514, SizeMode::Fixed, 9);
        app.landscape.utmX = 1000;
        app.landscape.utmY = 2000;
        App before;
        makeGrid(before, 514, 514, SizeMode::Fixed, 9);
        ScriptedFrontend ui;
        ui.choiceAnswers = {c.choice};
        ui.pointAnswers = {c.point};
        ASSERT_EQ(parse(app, file, ui).loaded, Loaded::Landscape) << c.name;
        EXPECT_EQ(ui.questions.front(), "Choose placement mode: [Manual|Auto]");
        EXPECT_EQ(app.landscape.gridWidth, 514);
        EXPECT_EQ(app.landscape.utmX, c.utmX) << c.name;
        // The margin is not placed: 256 x 256 samples land at the offset, the rest is as before.
        EXPECT_EQ(app.landscape.elevation[c.row][c.column], source.landscape.elevation[0][0]) << c.name;
        EXPECT_EQ(app.landscape.elevation[c.row + 255][c.column + 255], source.landscape.elevation[255][255]);
        EXPECT_EQ(app.landscape.elevation[c.row + 256][c.column + 256], before.landscape.elevation[c.row + 256][c.column + 256]);
    }
}

TEST(LandscapeFilePlacement, RefusalsLeaveTheLandscapeAsItWas)
{
    Bytes wide = demOf(258, 258, 0, 0);
    put32be(wide.data() + 132, 1);
    put32be(wide.data() + 136, 2051);
    const struct {
        const char* name;
        Bytes file;
        SizeMode mode;
        std::optional<int> choice;
        std::string message; // empty: none
    } cases[] = {
        {"2051 columns, automatic", wide, SizeMode::Automatic, 0, "Landscape file too big! \"f.dem\""},
        {"2051 columns, fixed", wide, SizeMode::Fixed, 0, "Landscape file too big! \"f.dem\""},
        {"larger than the fixed grid", demOf(600, 300, 0, 0), SizeMode::Fixed, 0, "Landscape file too big! \"f.dem\""},
        {"west of the grid", demOf(258, 258, -31, 0), SizeMode::Fixed, 1, "Landscape outside of current region! \"f.dem\""},
        // Column offset 257 + 256 samples passes sizeX = 512.
        {"east of the grid", demOf(258, 258, 257 * 30, 0), SizeMode::Fixed, 1, "Landscape outside of current region! \"f.dem\""},
        {"placement cancelled", demOf(258, 258, 0, 0), SizeMode::Fixed, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        App app;
        makeGrid(app, 514, 514, c.mode, 4);
        App before;
        makeGrid(before, 514, 514, c.mode, 4);
        ScriptedFrontend ui;
        ui.choiceAnswers = {c.choice};
        EXPECT_EQ(parse(app, c.file, ui).loaded, Loaded::Nothing) << c.name;
        EXPECT_TRUE(sameElevations(app.landscape, before.landscape)) << c.name;
        EXPECT_EQ(app.landscape.utmX, 0);
        const std::vector<std::string> expected =
            c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message};
        EXPECT_EQ(ui.messages, expected) << c.name;
    }
}

TEST(LandscapeFile, FileMessagesNameTheFile)
{
    TempDir dir("messages");
    writeFile(dir / "short.dem", std::string(2047, 'K'));
    std::string other(4096, '\0');
    other.replace(0, 9, "Some file");
    writeFile(dir / "other.dem", other);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {dir / "missing.dem", "Error opening file: \"" + (dir / "missing.dem") + "\""},
        {dir / "short.dem", "Error reading file: \"" + (dir / "short.dem") + "\""},
        {dir / "other.dem", "Not a Kalvenor Landscape file. \"" + (dir / "other.dem") + "\""},
    };
    for (const auto& c : cases) {
        App app;
        makeGrid(app, 258, 258, SizeMode::Automatic);
        ScriptedFrontend ui;
        EXPECT_EQ(loadLandscape(app, c.path, ui), Loaded::Nothing);
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
    }
}

// Damage applied to a good file. Failures found before the grid is touched leave
// it as it was; later ones leave a whole grid with the rows that were read.
struct Malformed {
    const char* name;
    std::function<Bytes()> build;
    bool untouched;
};

Bytes oldWithFirstRow(const Bytes& row)
{
    Bytes f = demOf(258, 258, 0, 0);
    f.resize(2048);
    f.push_back(static_cast<std::uint8_t>(row.size() >> 8));
    f.push_back(static_cast<std::uint8_t>(row.size()));
    f.insert(f.end(), row.begin(), row.end());
    return f;
}

TEST(LandscapeFile, MalformedFilesAreRefusedWithTheReadingMessage)
{
    const Malformed cases[] = {
        {"truncated header", [] { Bytes f = demOf(258, 258, 0, 0); f.resize(1500); return f; }, true},
        {"truncated rows", [] { Bytes f = demOf(258, 258, 0, 0); f.resize(f.size() - 300); return f; }, false},
        {"row length past the end",
         [] { Bytes f = demOf(258, 258, 0, 0); put16be(f.data() + 2048, 0xFFFF); return f; }, false},
        // 49 repeat runs of 128 bytes unpack to 6272 bytes: more than any coded row can hold.
        {"PackBits overflow",
         [] {
             Bytes row;
             for (int i = 0; i < 49; ++i) row.insert(row.end(), {0x81, 0x01});
             return oldWithFirstRow(row);
         },
         false},
        {"run ends early", [] { return oldWithFirstRow({0x05, 0x00, 0x01}); }, false},
        {"row short of samples",
         [] {
             Bytes f = demOf(258, 258, 0, 0);
             put32be(f.data() + 132, 1);
             put32be(f.data() + 136, 260); // the rows hold 258
             put32be(f.data() + 140, 258);
             return f;
         },
         false},
        {"stored width below 3",
         [] {
             Bytes f = demOf(258, 258, 0, 0);
             put32be(f.data() + 132, 1);
             put32be(f.data() + 136, 2);
             return f;
         },
         true},
        {"old block offset past the end",
         [] {
             Bytes f = demOf(258, 258, 0, 0);
             put32be(f.data() + 132, 1);
             put32be(f.data() + 136, 258);
             put32be(f.data() + 140, 258);
             put32be(f.data() + 160, static_cast<std::uint32_t>(f.size() - 100)); // a palette needs 1024
             return f;
         },
         true},
        {"session offset past the end",
         [] { Bytes f = sessionOf(258, 258); put32le(f.data() + 184, static_cast<std::uint32_t>(f.size() + 1)); return f; },
         true},
        {"path block cut short",
         [] { Bytes f = sessionOf(258, 258); f.resize(f.size() - 1); return f; }, true},
        {"background name without terminator",
         [] {
             Bytes f = sessionOf(258, 258);
             const std::uint32_t at = get32le(f.data() + 844);
             std::fill(f.begin() + at, f.begin() + at + 128, 'x');
             return f;
         },
         true},
    };
    for (const Malformed& c : cases) {
        App app;
        makeGrid(app, 300, 300, SizeMode::Automatic, 6);
        app.scene.colouring.snowLine = 4321;
        App before;
        makeGrid(before, 300, 300, SizeMode::Automatic, 6);
        ScriptedFrontend ui;
        EXPECT_EQ(parse(app, c.build(), ui).loaded, Loaded::Nothing) << c.name;
        EXPECT_EQ(ui.messages, std::vector<std::string>{"Error reading file: \"f.dem\""}) << c.name;
        EXPECT_TRUE(whole(app.landscape)) << c.name;
        EXPECT_EQ(app.scene.colouring.snowLine, 4321) << c.name << ": settings only come with a whole file";
        if (c.untouched) {
            EXPECT_TRUE(sameElevations(app.landscape, before.landscape)) << c.name;
        }
    }
}

TEST(LandscapeFile, TextureDataPastTheEndClearsOnlyThatEntry)
{
    Bytes f = sessionOf(258, 258);
    const std::uint32_t table = get32le(f.data() + 180);
    put32le(f.data() + table + kTextureEntryBytes + kTextureSizeOffset, 0x7FFFFFF0u);
    App app;
    makeGrid(app, 258, 258, SizeMode::Automatic);
    ScriptedFrontend ui;
    EXPECT_EQ(parse(app, f, ui).loaded, Loaded::WithSettings);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(app.textures[1].inUse());
    EXPECT_TRUE(app.textures[1].data.empty());
    EXPECT_EQ(app.scene.render.backgroundFile, "bg.tga");
}

TEST(LandscapeFileCommands, SavesAskTheirQuestionsAndAddTheExtension)
{
    TempDir dir("commands");
    App app;
    makeGrid(app, 258, 258, SizeMode::Automatic);

    ScriptedFrontend ui;
    ui.fileAnswers = {dir / "land", dir / "land"};
    ASSERT_EQ(saveElevationsCommand(app, ui), Outcome::Done);
    EXPECT_EQ(ui.fileRequests[0].title, "Save Kalvenor Landscape");
    EXPECT_EQ(ui.fileRequests[0].pattern, "*.DEM");
    const std::string saved = readFile(dir / "land.DEM");
    ASSERT_FALSE(saved.empty());

    // An existing file: "Replace %s ?" with the path; Cancel leaves it alone.
    fillElevations(app.landscape, 50);
    ui.askAnswers = {false};
    EXPECT_EQ(saveElevationsCommand(app, ui), Outcome::Cancelled);
    EXPECT_EQ(ui.questions.back(), "Replace " + (dir / "land.DEM") + " ? [Replace|Cancel]");
    EXPECT_EQ(readFile(dir / "land.DEM"), saved);

    // A half region: the corner is marked on the map.
    App large;
    makeGrid(large, 514, 514, SizeMode::Automatic);
    ScriptedFrontend region;
    region.fileAnswers = {dir / "half"};
    region.askAnswers = {false};
    region.pointAnswers = {MapPoint{100, 20}};
    ASSERT_EQ(saveElevationsCommand(large, region), Outcome::Done);
    EXPECT_EQ(region.questions, (std::vector<std::string>{"Save entire landscape? [Yes|No]", "Mark Region:"}));
    EXPECT_NE(std::find(region.statuses.begin(), region.statuses.end(), "Mark Region:"), region.statuses.end());
    EXPECT_EQ(readFile(dir / "half.DEM").size() > 2048, true);

    ScriptedFrontend scheme;
    scheme.fileAnswers = {dir / "colours"};
    ASSERT_EQ(saveSchemeCommand(app, scheme), Outcome::Done);
    EXPECT_EQ(scheme.fileRequests[0].title, "Save Kalvenor Color Scheme");
    EXPECT_TRUE(std::filesystem::exists(dir / "colours.SCM"));

    ScriptedFrontend cancelled;
    EXPECT_EQ(saveSessionCommand(app, cancelled, false), Outcome::Cancelled);
    EXPECT_EQ(cancelled.fileRequests[0].title, "Save Session Landscape");
    EXPECT_EQ(cancelled.fileRequests[0].pattern, "*.K4S");
}

TEST(LandscapeFileCommands, FailedSavesReportTheFile)
{
    TempDir dir("fail");
    writeFile(dir / "plain", "not a directory");
    const std::string path = dir / "plain/sub/x.DEM";
    App app;
    makeGrid(app, 258, 258, SizeMode::Automatic);
    ScriptedFrontend ui;
    EXPECT_EQ(saveDem(app, path, ui), Outcome::Failed);
    EXPECT_EQ(saveSession(app, path, ui), Outcome::Failed);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Error opening file: \"" + path + "\"",
                                                     "Error opening file: \"" + path + "\""}));
    EXPECT_EQ(readFile(dir / "plain"), "not a directory");

    // Rows wider than the row buffers are refused rather than written past them.
    App wide;
    ASSERT_EQ(allocateGrid(wide.landscape, 2051, 3), 1);
    ScriptedFrontend refused;
    EXPECT_EQ(saveDem(wide, dir / "wide.DEM", refused), Outcome::Failed);
    EXPECT_EQ(refused.messages, std::vector<std::string>{"Error writing file: \"" + (dir / "wide.DEM") + "\""});
    EXPECT_FALSE(std::filesystem::exists(dir / "wide.DEM"));
}

TEST(LandscapeFileRegion, TilesLandByTheirUtm)
{
    TempDir dir("region");
    const std::int32_t x0 = 600000;
    const std::int32_t y0 = 4000000;
    const struct {
        const char* name;
        int dx, dy, seed;
    } tiles[] = {{"a.dem", 0, 0, 1}, {"b.dem", 256, 0, 2}, {"c.dem", 0, 256, 3}, {"d.dem", 256, 256, 4},
                 {"far.dem", 400, 0, 5}}; // reaches past column 513: left out
    for (const auto& t : tiles) {
        const Bytes f = demOf(258, 258, x0 + t.dx * 30, y0 + t.dy * 30, t.seed);
        writeFile(dir / t.name, std::string(f.begin(), f.end()));
    }
    writeFile(dir / "readme.txt", "not a tile");

    App app;
    makeGrid(app, 258, 258, SizeMode::Automatic);
    ScriptedFrontend ui;
    ui.choiceAnswers = {0}; // Large
    ui.fileAnswers = {dir / "a.dem"};
    ASSERT_EQ(loadRegionCommand(app, ui), Outcome::Done);
    EXPECT_EQ(ui.questions.front(), "Select a region size: [Large|Huge]");
    EXPECT_EQ(ui.fileRequests[0].title, "Load Landsape Region");
    EXPECT_TRUE(ui.messages.empty());
    const Landscape& land = app.landscape;
    EXPECT_EQ(land.gridWidth, 514);
    EXPECT_EQ(land.sizeMode, SizeMode::Automatic);
    EXPECT_EQ(land.utmX, x0);
    for (const auto& t : tiles) {
        if (t.dx == 400) continue;
        App tile;
        allocateGrid(tile.landscape, 258, 258);
        fillElevations(tile.landscape, t.seed);
        // The later tile in name order covers the shared edge, so compare the cells inside it.
        EXPECT_EQ(land.elevation[t.dy + 1][t.dx + 1], tile.landscape.elevation[1][1]) << t.name;
        EXPECT_EQ(land.elevation[t.dy + 255][t.dx + 255], tile.landscape.elevation[255][255]) << t.name;
    }

    // A region size that cannot be had stops before the file requester.
    App tight;
    makeGrid(tight, 258, 258, SizeMode::Automatic);
    tight.landscape.mapBudgetBytes = 4 * 258 * 258 * 2;
    ScriptedFrontend memory;
    memory.choiceAnswers = {1}; // Huge
    EXPECT_EQ(loadRegionCommand(tight, memory), Outcome::Failed);
    EXPECT_EQ(memory.messages, std::vector<std::string>{"Insufficient memory available."});
    EXPECT_TRUE(memory.fileRequests.empty());
    EXPECT_EQ(tight.landscape.gridWidth, 258);

    // An abort before the first tile leaves the cleared grid.
    App aborted;
    makeGrid(aborted, 514, 514, SizeMode::Fixed);
    ScriptedFrontend stop;
    stop.fileAnswers = {dir / "a.dem"};
    stop.abortOnPoll = 1;
    EXPECT_EQ(loadRegionCommand(aborted, stop), Outcome::Cancelled);
    EXPECT_EQ(aborted.landscape.elevation[5][5], 0);
    EXPECT_EQ(aborted.landscape.sizeMode, SizeMode::Fixed);
}

} // namespace
} // namespace kalvenor
