#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "base/byte_order.h"
#include "files/header_fields.h"
#include "files/session_file.h"
#include "model/path_layout.h"
#include "model/setting_limits.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using Bytes = std::vector<std::uint8_t>;
using kalvenor::testing::readFile;
using kalvenor::testing::TempDir;

void fillMaps(Landscape& land, int seed)
{
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) {
            land.elevation[r][c] = static_cast<std::int16_t>((r * 7 + c * 13 + seed) % 400 - 50 + (c % 17 == 0 ? 300 : 0));
            land.terrain[r][c] = static_cast<std::uint16_t>(((r + c) & 0xFF) | ((c & 3) << 8));
            land.shadow[r][c] = static_cast<std::uint16_t>(r * c + seed);
        }
}

void setTexture(TextureSlots& slots, std::size_t i, const std::string& name, std::size_t dataBytes)
{
    TextureSlot& slot = slots[i];
    slot.entry.fill(0);
    slot.entry[0] = 1;
    std::copy(name.begin(), name.end(), slot.entry.begin() + kTextureNameOffset);
    put32le(slot.entry.data() + kTextureLevelsOffset + kTextureLevelWord, 0);
    put32le(slot.entry.data() + kTextureLevelsOffset + kTextureLevelBytes + kTextureLevelWord,
            static_cast<std::uint32_t>(dataBytes / 2));
    slot.data.resize(dataBytes);
    for (std::size_t k = 0; k < dataBytes; ++k) slot.data[k] = static_cast<std::uint8_t>(k * 7 + i);
}

// A session with something other than the defaults in every kind of block.
void buildSession(App& app, int width, int height)
{
    ASSERT_EQ(allocateGrid(app.landscape, width, height), 1);
    fillMaps(app.landscape, 3);
    Landscape& land = app.landscape;
    setLandscapeName(land, "Session land");
    setLandscapeComment(land, "with everything");
    land.utmX = 640000;
    land.utmY = 4200000;
    land.utmExtra = 11;
    land.spacingX = 25.0f;
    land.spacingY = 20.0f;
    land.verticalSpacing = 2.0f;
    land.polygonSize = 2;
    SceneSettings& s = app.scene;
    s.camera.cameraX = 1234.5f;
    s.camera.heading = -17.25f;
    s.camera.fieldOfView = 61;
    s.camera.cameraSeparation = 12.0f;
    s.lighting.sunAzimuth = 135.0f;
    s.lighting.sunDeclination = 22.0f;
    s.sky.sunMoon.moonX = -1.5e8f;
    s.colouring.snowLine = 1800;
    s.trees.slots[2][1] = 8;
    s.trees.branchBend[3] = 9;
    s.generation.seed = 0x89ABCDEFu;
    s.generation.verticalScale = 1.75f;
    s.generation.verticalScale2 = 1.75f;
    s.render.backgroundFile = "back.tga";
    s.render.foregroundFile = "front.tga";
    for (std::size_t i = 0; i < s.colourScheme.size(); ++i) s.colourScheme[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0; i < s.surfaceAttributes.size(); ++i) s.surfaceAttributes[i] = static_cast<std::uint8_t>(i * 5);
    for (std::size_t i = 0; i < s.clouds.pattern.size(); ++i) s.clouds.pattern[i] = static_cast<std::uint8_t>((i >> 9) * 3);
    s.clouds.colours.fill(0x42);
    for (std::size_t i = 0; i < app.palette.entries.size(); ++i) app.palette.entries[i] = static_cast<std::uint8_t>(255 - i);
    app.path.settings.fill(0x17);
    for (std::size_t i = 0; i < app.path.nodes.size(); ++i) app.path.nodes[i] = static_cast<std::uint8_t>(i % 251);
    setTexture(app.textures, 3, "GROUND\\grass.tga", 300);
    setTexture(app.textures, 200, "SKY\\clouds.tga", 64);
}

LoadResult parse(App& app, const Bytes& file, ScriptedFrontend& ui)
{
    LoadTarget target = loadTargetOf(app);
    return parseLandscapeFile(file, target, ui, "fixture.k4s");
}

Bytes encode(const App& app, const SessionSwitches& sw)
{
    ScriptedFrontend ui;
    return encodeSession({app.landscape, app.scene, app.textures, app.path, app.palette}, sw, ui);
}

TEST(SessionFile, SaveLoadSaveGivesIdenticalBytesAndEveryBlockBack)
{
    TempDir dir("session");
    App first;
    buildSession(first, 301, 260);
    ScriptedFrontend ui;
    ASSERT_EQ(saveSession(first, dir / "a.K4S", ui), Outcome::Done);

    App second;
    ASSERT_EQ(allocateGrid(second.landscape, 258, 258), 1);
    ASSERT_EQ(loadLandscape(second, dir / "a.K4S", ui), Loaded::WithSettings);
    ASSERT_EQ(saveSession(second, dir / "b.K4S", ui), Outcome::Done);
    EXPECT_EQ(readFile(dir / "a.K4S"), readFile(dir / "b.K4S"));
    EXPECT_TRUE(ui.messages.empty());

    const Landscape& a = first.landscape;
    const Landscape& b = second.landscape;
    ASSERT_EQ(b.gridWidth, 301);
    ASSERT_EQ(b.gridHeight, 260);
    for (int r = 0; r < a.gridHeight; ++r)
        for (int c = 0; c < a.gridWidth; ++c) {
            ASSERT_EQ(a.elevation[r][c], b.elevation[r][c]);
            ASSERT_EQ(a.terrain[r][c], b.terrain[r][c]);
            ASSERT_EQ(a.shadow[r][c], b.shadow[r][c]);
        }
    EXPECT_EQ(b.name, "Session land");
    EXPECT_EQ(b.utmY, 4200000);
    EXPECT_EQ(b.spacingY, 20.0f);
    EXPECT_EQ(b.polygonSize, 2);
    EXPECT_EQ(b.terrainValidAt, 1);
    EXPECT_EQ(b.shadowValidAt, 1);
    EXPECT_EQ(b.paletteStale, 0);
    EXPECT_EQ(second.scene.camera.heading, -17.25f);
    EXPECT_EQ(second.scene.camera.fieldOfView, 61);
    EXPECT_EQ(second.scene.generation.seed, 0x89ABCDEFu);
    EXPECT_EQ(second.scene.trees.slots[2][1], 8);
    EXPECT_EQ(second.scene.render.foregroundFile, "front.tga");
    EXPECT_EQ(second.scene.clouds.pattern, first.scene.clouds.pattern);
    EXPECT_EQ(second.scene.surfaceAttributes, first.scene.surfaceAttributes);
    EXPECT_EQ(second.palette.entries, first.palette.entries);
    EXPECT_EQ(second.path.nodes, first.path.nodes);
    EXPECT_EQ(second.path.settings, first.path.settings);
    EXPECT_EQ(second.textures[3].data, first.textures[3].data);
    EXPECT_EQ(second.textures[200].name(), "SKY\\clouds.tga");
    EXPECT_FALSE(second.textures[4].inUse());
}

TEST(SessionFile, HeaderWordsAreLittleEndianWithTheirStoredTypes)
{
    App app;
    buildSession(app, 258, 258);
    app.scene.lighting.sunAzimuth = -90.5f; // rounded away from zero
    app.scene.camera.fieldOfView = 53;
    app.scene.trees.density = {10, 20, 30, 45};
    app.scene.texture.horizontalDeformation = 77;
    const Bytes file = encode(app, fullSession());
    const std::uint8_t* h = file.data();

    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h)), "KN4 DEM File");
    EXPECT_EQ(get32le(h + 132), 1u);
    EXPECT_EQ(get32le(h + 136), 258u);
    EXPECT_EQ(get32le(h + 144), 1u);
    EXPECT_EQ(get32le(h + 148), 640000u);
    EXPECT_EQ(bitsFloat(get32le(h + 160)), 25.0f);
    EXPECT_EQ(bitsFloat(get32le(h + 260)), 53.0f) << "whole degrees stored as a float";
    EXPECT_EQ(static_cast<std::int32_t>(get32le(h + 296)), -91);
    EXPECT_EQ(static_cast<std::int32_t>(get32le(h + 300)), 22);
    EXPECT_EQ(h[593], 0);
    EXPECT_EQ(h[601], 8);
    EXPECT_EQ(h[631], 9);
    EXPECT_EQ(get32le(h + 612), 105u) << "sum of the densities";
    EXPECT_EQ(get32le(h + 616), 140u) << "sum of the species sizes";
    EXPECT_EQ(bitsFloat(get32le(h + 684)), 1.75f);
    EXPECT_EQ(get32le(h + 692), 0x89ABCDEFu);
    EXPECT_EQ(get32le(h + 708), 2u) << "polygon size";
    EXPECT_EQ(get32le(h + 796), 12u) << "camera separation as a whole number";
    EXPECT_EQ(get32le(h + 856), 77u);
    EXPECT_TRUE(std::all_of(h + 860, h + 1024, [](std::uint8_t b) { return b == 0; }));

    // Read back: the angle as whole degrees, the field of view rounded, 856 ignored,
    // the vertical scale into both factors.
    Bytes patched = file;
    put32le(patched.data() + 260, floatBits(47.6f));
    put32le(patched.data() + 684, floatBits(3.0f));
    App loaded;
    ASSERT_EQ(allocateGrid(loaded.landscape, 258, 258), 1);
    loaded.scene.generation.verticalScale2 = 9.0f;
    ScriptedFrontend ui;
    ASSERT_EQ(parse(loaded, patched, ui).loaded, Loaded::WithSettings);
    EXPECT_EQ(loaded.scene.lighting.sunAzimuth, -91.0f);
    EXPECT_EQ(loaded.scene.camera.fieldOfView, 48);
    EXPECT_EQ(loaded.scene.texture.horizontalDeformation, 0);
    EXPECT_EQ(loaded.scene.generation.verticalScale, 3.0f);
    EXPECT_EQ(loaded.scene.generation.verticalScale2, 3.0f);
}

// The running wave phase is finer than the word that stores it: the word holds
// it rounded to whole percent, halves away from zero.
TEST(SessionFile, WavePhaseIsStoredAsWholePercent)
{
    const struct {
        float phase;
        std::int32_t word;
    } cases[] = {{3.3333333f, 3}, {3.5f, 4}, {66.6f, 67}, {0.25f, 0}};
    for (const auto& c : cases) {
        HeaderSettings settings;
        settings.scene.waves.phase = c.phase;
        std::array<std::uint8_t, kSessionHeaderBytes> header = {};
        storeSessionWords(settings, header.data());
        EXPECT_EQ(static_cast<std::int32_t>(get32le(header.data() + 536)), c.word) << c.phase;
        HeaderSettings loaded;
        loadSessionWords(header.data(), loaded);
        EXPECT_EQ(loaded.scene.waves.phase, static_cast<float>(c.word)) << c.phase;
    }
}

// Every read word gets its own value; loading and storing again must give the
// same bytes, which fails when two words share a setting or a word is lost.
// Every word within its setting's limits comes back with all its bits.
TEST(SessionFile, EveryHeaderWordTravelsBothWays)
{
    std::array<std::uint8_t, kSessionHeaderBytes> header = {};
    HeaderSettings limits;
    for (const HeaderWord& word : sessionHeaderWords()) {
        std::uint8_t* p = header.data() + word.offset;
        const SettingLimit* limit =
            limitOf(limits.scene, std::visit([](auto* f) -> const void* { return f; }, word.field(limits)));
        // A distinct value for each word, all four bytes in use where the range allows.
        auto within = [&](double wide) {
            if (limit == nullptr || (wide >= limit->least && wide <= limit->most)) return wide;
            const double span = std::min(limit->most - limit->least, 1.0e6);
            return std::floor(limit->least + std::fmod(word.offset * 7.0 + 1.0, span + 1.0));
        };
        switch (word.type) {
        case WordType::Int:
            put32le(p, static_cast<std::uint32_t>(static_cast<std::int64_t>(
                           within(0x01000000u * (word.offset % 200) + word.offset * 7u + 1u))));
            break;
        case WordType::Float: put32le(p, floatBits(static_cast<float>(within(word.offset + 0.5)))); break;
        case WordType::RoundedInt:
            put32le(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(within(-static_cast<double>(word.offset)))));
            break;
        case WordType::IntAsFloat: put32le(p, floatBits(static_cast<float>(within(word.offset)))); break;
        case WordType::Byte: *p = static_cast<std::uint8_t>(within(word.offset * 3 % 256)); break;
        }
    }
    HeaderSettings settings;
    loadSessionWords(header.data(), settings);
    std::array<std::uint8_t, kSessionHeaderBytes> again = {};
    storeSessionWords(settings, again.data());
    for (const HeaderWord& word : sessionHeaderWords()) {
        if (!word.read) continue;
        const std::size_t n = word.type == WordType::Byte ? 1 : 4;
        EXPECT_TRUE(std::equal(header.begin() + word.offset, header.begin() + word.offset + n,
                               again.begin() + word.offset))
            << "word at " << word.offset;
    }
}

// Words beyond their limits: numbers come in clamped, choices that name
// nothing at their start values, floats that are not numbers as they were.
TEST(SessionFile, WordsBeyondTheirLimitsAreBroughtWithin)
{
    std::array<std::uint8_t, kSessionHeaderBytes> header = {};
    HeaderSettings start;
    storeSessionWords(start, header.data());
    const auto putInt = [&](std::size_t at, std::int32_t v) { put32le(header.data() + at, static_cast<std::uint32_t>(v)); };
    const auto putFloat = [&](std::size_t at, float v) { put32le(header.data() + at, floatBits(v)); };
    putFloat(236, 1.0e30f);                                  // camera X
    putFloat(268, -std::numeric_limits<float>::infinity()); // heading
    putInt(260, floatBits(400.0f));                          // field of view, stored as a float
    putInt(332, -5);                                         // haze
    putInt(744, 1 << 30);                                    // image width
    putInt(720, 7);                                          // pixel dither kind: no such kind
    putInt(792, 0);                                          // lens direction: no such lens
    putInt(364, 250);                                        // cloud density
    HeaderSettings settings;
    settings.scene.camera.heading = 33.0f;
    loadSessionWords(header.data(), settings);
    const SceneSettings& s = settings.scene;
    EXPECT_EQ(s.camera.cameraX, kMaxPathCoordinate);
    EXPECT_EQ(s.camera.heading, 33.0f);
    EXPECT_EQ(s.camera.fieldOfView, 179);
    EXPECT_EQ(s.sky.haze, 0);
    EXPECT_EQ(s.render.imageWidth, kLargestImageSide);
    EXPECT_EQ(s.render.pixelDitherKind, SceneSettings{}.render.pixelDitherKind);
    EXPECT_EQ(s.camera.lensDirection, kLensForward);
    EXPECT_EQ(s.clouds.density, 100);
    EXPECT_EQ(firstSettingOutsideLimits(s), "");
}

TEST(SessionFile, BlocksFollowInTheirOrderWithTheirStatusTexts)
{
    App app;
    buildSession(app, 258, 258);
    ScriptedFrontend ui;
    const Bytes file =
        encodeSession({app.landscape, app.scene, app.textures, app.path, app.palette}, fullSession(), ui);
    const std::size_t order[] = {172, 176, 180, 184, 188, 192, 196, 376, 380, 844, 848, 200};
    std::uint32_t previous = 1023;
    for (std::size_t field : order) {
        const std::uint32_t at = get32le(file.data() + field);
        EXPECT_GT(at, previous) << "field " << field;
        previous = at;
    }
    EXPECT_EQ(file.size(), get32le(file.data() + 200) + 80u + 40000u);
    const std::vector<std::string> expected = {"Saving Landscape", " Saving  Colors ", " Saving  Shades ",
                                               " Saving Palette ", " Saving  Clouds ", "  Cloud Colors  ",
                                               "Background name ", "Foreground name "};
    EXPECT_EQ(ui.statuses, expected);

    // The texture data follows the table; the table holds its file offset and size.
    const std::uint32_t table = get32le(file.data() + 180);
    const std::uint8_t* entry = file.data() + table + 3 * kTextureEntryBytes;
    EXPECT_EQ(entry[0], 1);
    EXPECT_EQ(get32le(entry + kTextureSizeOffset), 300u);
    EXPECT_EQ(get32le(entry + kTextureDataOffset), table + 256u * 404u);
    EXPECT_EQ(file[table + 256 * 404 + 1], app.textures[3].data[1]);
    EXPECT_EQ(get32le(entry + 276 + 16 + 12), 150u) << "level words are distances into the data";
}

TEST(SessionFile, TexturesByNameKeepOnlyTheirNames)
{
    App app;
    buildSession(app, 258, 258);
    SessionSwitches sw = fullSession();
    sw.embedTextures = false;
    const Bytes file = encode(app, sw);
    const std::uint32_t table = get32le(file.data() + 180);
    ASSERT_NE(table, 0u);
    const std::uint8_t* entry = file.data() + table + 3 * kTextureEntryBytes;
    EXPECT_EQ(entry[0], 0);
    EXPECT_EQ(get32le(entry + kTextureSizeOffset), 0u);
    EXPECT_EQ(get32le(entry + kTextureDataOffset), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry + kTextureNameOffset)), "GROUND\\grass.tga");
    EXPECT_EQ(get32le(file.data() + 184), table + 256u * 404u) << "no texture data between table and rows";

    App loaded;
    ASSERT_EQ(allocateGrid(loaded.landscape, 258, 258), 1);
    setTexture(loaded.textures, 7, "old.tga", 10);
    ScriptedFrontend ui;
    ASSERT_EQ(parse(loaded, file, ui).loaded, Loaded::WithSettings);
    EXPECT_TRUE(loaded.textures[3].inUse());
    EXPECT_EQ(loaded.textures[3].name(), "GROUND\\grass.tga");
    EXPECT_TRUE(loaded.textures[3].data.empty());
    EXPECT_FALSE(loaded.textures[7].inUse()) << "the file's table replaces the live slots";
    EXPECT_EQ(encode(loaded, sw), file);

    // Without any slot in use there is no table at all, and loading empties the slots.
    resetTextureSlots(app.textures);
    const Bytes bare = encode(app, fullSession());
    EXPECT_EQ(get32le(bare.data() + 180), 0u);
    ASSERT_EQ(parse(loaded, bare, ui).loaded, Loaded::WithSettings);
    EXPECT_FALSE(anyTextureInUse(loaded.textures));
}

TEST(SessionFile, SchemeFileCarriesSettingsAndColoursButNoMaps)
{
    TempDir dir("scheme");
    App app;
    buildSession(app, 301, 260);
    ScriptedFrontend ui;
    ASSERT_EQ(saveScheme(app, dir / "a.SCM", ui), Outcome::Done);
    const std::string text = readFile(dir / "a.SCM");
    const Bytes file(text.begin(), text.end());
    EXPECT_EQ(get32le(file.data() + 132), 0u) << "not a session";
    for (std::size_t field : {184, 188, 192, 196, 200, 376, 380, 848}) EXPECT_EQ(get32le(file.data() + field), 0u);
    for (std::size_t field : {172, 176, 180, 844}) EXPECT_NE(get32le(file.data() + field), 0u);

    App other;
    ASSERT_EQ(allocateGrid(other.landscape, 258, 258), 1);
    fillMaps(other.landscape, 50);
    other.landscape.utmX = 5;
    setLandscapeName(other.landscape, "Mine");
    const std::int16_t corner = other.landscape.elevation[10][10];
    ASSERT_EQ(loadSchemeNewLayout(other, dir / "a.SCM", ui), Outcome::Done);
    EXPECT_EQ(other.landscape.gridWidth, 258);
    EXPECT_EQ(other.landscape.utmX, 5);
    EXPECT_EQ(other.landscape.name, "Mine");
    EXPECT_EQ(other.landscape.elevation[10][10], corner);
    EXPECT_EQ(other.scene.colourScheme, app.scene.colourScheme);
    EXPECT_EQ(other.scene.surfaceAttributes, app.scene.surfaceAttributes);
    EXPECT_EQ(other.scene.colouring.snowLine, 1800);
    EXPECT_EQ(other.scene.render.backgroundFile, "back.tga");
    EXPECT_EQ(other.textures[3].data, app.textures[3].data);
    // Saved again, only the landscape's own words (name, size, placement) differ.
    ASSERT_EQ(saveScheme(other, dir / "b.SCM", ui), Outcome::Done);
    EXPECT_EQ(readFile(dir / "b.SCM").substr(172), text.substr(172));
    EXPECT_TRUE(ui.messages.empty());
}

// Colours, cliffs and shades count as computed at every polygon size.
void markTerrainComputed(Landscape& land)
{
    land.terrainValidAt = land.cliffValidAt = land.shadowValidAt = 1;
}

TEST(SessionFile, OutOfDateTerrainIsComputedFirstOrTheSaveIsCancelled)
{
    TempDir dir("calc");
    App app;
    buildSession(app, 258, 258);
    resetTextureSlots(app.textures);
    app.landscape.terrainValidAt = app.landscape.shadowValidAt = app.landscape.sizeX;

    ScriptedFrontend quit;
    quit.fileAnswers = {dir / "quit.k4s"};
    quit.askAnswers = {false};
    EXPECT_EQ(saveSessionCommand(app, quit, false), Outcome::Cancelled);
    EXPECT_EQ(quit.questions, std::vector<std::string>{"Need to calculate colors/shades [OK|Quit]"});
    EXPECT_FALSE(std::filesystem::exists(dir / "quit.k4s"));

    ScriptedFrontend ok;
    ok.fileAnswers = {dir / "ok.k4s"};
    EXPECT_EQ(saveSessionCommand(app, ok, false), Outcome::Done);
    EXPECT_LE(app.landscape.terrainValidAt, app.landscape.polygonSize);
    EXPECT_LE(app.landscape.shadowValidAt, app.landscape.polygonSize);
    EXPECT_TRUE(std::filesystem::exists(dir / "ok.k4s"));

    ScriptedFrontend again; // now up to date: no question
    again.fileAnswers = {dir / "again.k4s"};
    EXPECT_EQ(saveSessionCommand(app, again, false), Outcome::Done);
    EXPECT_TRUE(again.questions.empty());
}

TEST(SessionFile, ElevationAnsweredNoWritesNoMapRows)
{
    TempDir dir("noelev");
    App app;
    buildSession(app, 258, 258);
    markTerrainComputed(app.landscape);
    ScriptedFrontend ui;
    ui.fileAnswers = {dir / "plain"};
    ui.askAnswers = {true, false}; // Embed, then No elevation data
    ASSERT_EQ(saveSessionCommand(app, ui, true), Outcome::Done);
    const std::vector<std::string> questions = {"Embed textures or only their names? [Embed|Names only]",
                                                "Include elevation data? [Yes|No]"};
    EXPECT_EQ(ui.questions, questions);
    const std::string text = readFile(dir / "plain.K4S");
    ASSERT_GT(text.size(), 1024u);
    const auto* h = reinterpret_cast<const std::uint8_t*>(text.data());
    for (std::size_t field : {184, 188, 192, 376, 380}) EXPECT_EQ(get32le(h + field), 0u) << field;
    EXPECT_NE(get32le(h + 196), 0u) << "the palette is still written";
    EXPECT_NE(get32le(h + 200), 0u);
}

TEST(SessionFile, ShiftQuestionsChooseTheMaps)
{
    TempDir dir("maps");
    App app;
    buildSession(app, 258, 258);
    resetTextureSlots(app.textures);
    markTerrainComputed(app.landscape);
    ScriptedFrontend ui;
    ui.fileAnswers = {dir / "m.k4s"};
    ui.askAnswers = {true, false, true, false}; // elevation yes, terrain no, shadow yes, clouds no
    ASSERT_EQ(saveSessionCommand(app, ui, true), Outcome::Done);
    const std::vector<std::string> questions = {"Include elevation data? [Yes|No]", "Include terrain map? [Yes|No]",
                                                "Include shadow map? [Yes|No]", "Include cloud pattern? [Yes|No]"};
    EXPECT_EQ(ui.questions, questions);
    const std::string text = readFile(dir / "m.k4s");
    const auto* h = reinterpret_cast<const std::uint8_t*>(text.data());
    EXPECT_NE(get32le(h + 184), 0u);
    EXPECT_EQ(get32le(h + 188), 0u);
    EXPECT_NE(get32le(h + 192), 0u);
    EXPECT_EQ(get32le(h + 376), 0u);
}

} // namespace
} // namespace kalvenor
