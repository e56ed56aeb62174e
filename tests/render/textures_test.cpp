#include "render/textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "base/byte_order.h"
#include "files/landscape_file.h"
#include "files/session_file.h"
#include "platform/scripted_frontend.h"
#include "render/cell_draw.h"
#include "render/sky_discs.h"
#include "scene_fixture.h"
#include "script/exec_handlers.h"
#include "script/script_args.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using testing::TempDir;

std::uint32_t texel(int r, int g, int b, int a)
{
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16 |
           static_cast<std::uint32_t>(a) << 24;
}

// An uncompressed Targa, rows stored from the top, 32 bits (with alpha) or 24.
std::vector<std::uint8_t> targaBytes(int width, int height, const std::vector<std::uint32_t>& texels, bool alpha)
{
    std::vector<std::uint8_t> out(18, 0);
    out[2] = 2;
    put16le(out.data() + 12, static_cast<std::uint16_t>(width));
    put16le(out.data() + 14, static_cast<std::uint16_t>(height));
    out[16] = alpha ? 32 : 24;
    out[17] = alpha ? 0x28 : 0x20;
    for (const std::uint32_t t : texels) {
        out.push_back(static_cast<std::uint8_t>(t >> 16));
        out.push_back(static_cast<std::uint8_t>(t >> 8));
        out.push_back(static_cast<std::uint8_t>(t));
        if (alpha) out.push_back(static_cast<std::uint8_t>(t >> 24));
    }
    return out;
}

std::string writeTexture(const TempDir& dir, const std::string& name, int width, int height,
                         const std::vector<std::uint32_t>& texels, bool alpha = true)
{
    const std::string path = dir / name;
    testing::writeBytes(path, targaBytes(width, height, texels, alpha));
    return path;
}

std::uint32_t dataTexel(const TextureSlot& slot, std::size_t index) { return get32le(slot.data.data() + index * 4); }

TEST(Textures, LevelsHalveToOneAndFollowEachOther)
{
    struct Case {
        int width, height;
        std::array<std::array<int, 3>, kTextureLevelCount> levels; // width, height, start
        std::size_t total;
    };
    const Case cases[] = {
        // Nine 1 x 1 levels: nine texels, more than the 1 x 1 x 6 bytes a 1 x 1 map would be given.
        {1, 1, {{{1, 1, 0}, {1, 1, 1}, {1, 1, 2}, {1, 1, 3}, {1, 1, 4}, {1, 1, 5}, {1, 1, 6}, {1, 1, 7}, {1, 1, 8}}}, 9},
        {4, 2, {{{4, 2, 0}, {2, 1, 8}, {1, 1, 10}, {1, 1, 11}, {1, 1, 12}, {1, 1, 13}, {1, 1, 14}, {1, 1, 15}, {1, 1, 16}}}, 17},
        {1, 4, {{{1, 4, 0}, {1, 2, 4}, {1, 1, 6}, {1, 1, 7}, {1, 1, 8}, {1, 1, 9}, {1, 1, 10}, {1, 1, 11}, {1, 1, 12}}}, 13},
        {5, 3, {{{5, 3, 0}, {2, 1, 15}, {1, 1, 17}, {1, 1, 18}, {1, 1, 19}, {1, 1, 20}, {1, 1, 21}, {1, 1, 22}, {1, 1, 23}}}, 24},
        {512, 256, {{{512, 256, 0}, {256, 128, 131072}, {128, 64, 163840}, {64, 32, 172032}, {32, 16, 174080},
                     {16, 8, 174592}, {8, 4, 174720}, {4, 2, 174752}, {2, 1, 174760}}}, 174762},
    };
    for (const Case& c : cases) {
        const TextureLayout layout = textureLayout(c.width, c.height);
        for (int level = 0; level < kTextureLevelCount; ++level) {
            const auto& want = c.levels[static_cast<std::size_t>(level)];
            const TextureLevelSize& got = layout[static_cast<std::size_t>(level)];
            EXPECT_EQ(got.width, want[0]) << c.width << "x" << c.height << " level " << level;
            EXPECT_EQ(got.height, want[1]) << c.width << "x" << c.height << " level " << level;
            EXPECT_EQ(got.start, static_cast<std::size_t>(want[2])) << c.width << "x" << c.height << " level " << level;
        }
        EXPECT_EQ(textureTexels(layout), c.total) << c.width << "x" << c.height;
    }
}

TEST(Textures, BlocksAverageByAlpha)
{
    struct Case {
        std::array<std::uint32_t, 4> block;
        std::uint32_t expected;
    };
    const Case cases[] = {
        // Opaque: red (101 x 255 + 510) / 1020 = 25 (25.75 truncated), green 35, blue 45; alpha 1022 >> 2 = 255.
        {{texel(10, 20, 30, 255), texel(20, 30, 40, 255), texel(30, 40, 50, 255), texel(41, 50, 60, 255)},
         texel(25, 35, 45, 255)},
        // All alphas 0: the total counts as 1, every sum is 0, alpha (0 + 2) >> 2 = 0.
        {{texel(200, 100, 50, 0), texel(255, 255, 255, 0), texel(1, 2, 3, 0), texel(9, 9, 9, 0)}, 0u},
        // Total 259: red (51000 + 765 + 129) / 259 = 200, green (765 + 129) / 259 = 3,
        // blue (50 + 765 + 129) / 259 = 3; alpha 261 >> 2 = 65. The alpha-0 texel counts for nothing.
        {{texel(200, 0, 0, 255), texel(0, 100, 0, 0), texel(0, 0, 50, 1), texel(255, 255, 255, 3)}, texel(200, 3, 3, 65)},
        // One texel of alpha 2 decides the colour: (14 + 1) / 2 = 7, (16 + 1) / 2 = 8, (18 + 1) / 2 = 9; alpha 4 >> 2 = 1.
        {{texel(7, 8, 9, 2), texel(255, 0, 255, 0), texel(0, 255, 0, 0), texel(255, 255, 255, 0)}, texel(7, 8, 9, 1)},
        // Rounds to nearest: red (2 x 255 + 510) / 1020 = 1 (exactly 1.0), green (1 x 255 + 510) / 1020 = 0.
        {{texel(1, 1, 0, 255), texel(1, 0, 0, 255), texel(0, 0, 0, 255), texel(0, 0, 0, 255)}, texel(1, 0, 0, 255)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(averageTexels(c.block[0], c.block[1], c.block[2], c.block[3]), c.expected) << std::hex << c.expected;
}

TEST(Textures, EdgeTexelsStandInForMissingNeighbours)
{
    // A 1 x 2 map: level 1 averages (top, top, bottom, bottom), since the column has no right neighbour.
    // Red (100 x 510 + 510) / 1020 = 50, blue (200 x 510 + 510) / 1020 = 100.
    std::vector<std::uint32_t> texels(textureTexels(textureLayout(1, 2)), 0xDEADBEEFu);
    texels[0] = texel(100, 0, 0, 255);
    texels[1] = texel(0, 0, 200, 255);
    const TextureLayout layout = textureLayout(1, 2);
    buildTextureLevels(texels, layout);
    EXPECT_EQ(texels[2], texel(50, 0, 100, 255));
    // Level 2 from the one texel repeated four times: (50 x 1020 + 510) / 1020 = 50 again, and so on down.
    for (std::size_t i = 3; i < texels.size(); ++i) EXPECT_EQ(texels[i], texel(50, 0, 100, 255)) << i;
}

TEST(Textures, LoadFillsTheSlotWithNineLevels)
{
    TempDir dir("textures");
    // 2 x 2, top row first: red, green / blue, white with alpha 51.
    const std::string path = writeTexture(dir, "ground.tga", 2, 2,
                                          {texel(255, 0, 0, 255), texel(0, 255, 0, 255), texel(0, 0, 255, 255),
                                           texel(255, 255, 255, 51)});
    TextureSlots slots;
    ScriptedFrontend ui;
    ASSERT_EQ(loadTexture(slots, 46, path, ui), 1);
    EXPECT_TRUE(ui.messages.empty());
    const TextureSlot& slot = slots[46];
    EXPECT_EQ(slot.entry[0], 46);
    EXPECT_EQ(slot.name(), path);
    ASSERT_EQ(slot.data.size(), (4u + 8u) * 4u); // 2 x 2 and eight 1 x 1 levels
    EXPECT_EQ(get32le(slot.entry.data() + kTextureSizeOffset), slot.data.size());
    EXPECT_EQ(dataTexel(slot, 0), texel(255, 0, 0, 255));
    EXPECT_EQ(dataTexel(slot, 3), texel(255, 255, 255, 51));
    // Total 816: red (65025 + 13005 + 408) / 816 = 96 (96.1), green the same, blue likewise 96;
    // alpha 818 >> 2 = 204.
    const std::uint32_t level1 = texel(96, 96, 96, 204);
    for (int level = 1; level < kTextureLevelCount; ++level) {
        const SlotLevel l = slotLevel(slot, level);
        EXPECT_EQ(l.width, 1) << level;
        EXPECT_EQ(l.height, 1) << level;
        EXPECT_EQ(l.start, static_cast<std::size_t>(3 + level) * 4) << level;
        // Averaging four equal texels keeps them: (96 x 816 + 408) / 816 = 96.5 truncated.
        EXPECT_EQ(dataTexel(slot, l.start / 4), level1) << level;
    }
}

TEST(Textures, OneByOneMapGetsNineOneByOneLevels)
{
    TempDir dir("textures");
    const std::string path = writeTexture(dir, "dot.tga", 1, 1, {texel(10, 20, 30, 0)}, false);
    TextureSlots slots;
    ScriptedFrontend ui;
    ASSERT_EQ(loadTexture(slots, 50, path, ui), 1);
    ASSERT_EQ(slots[50].data.size(), 9u * 4u);
    for (int level = 0; level < kTextureLevelCount; ++level) {
        const SlotLevel l = slotLevel(slots[50], level);
        EXPECT_EQ(l.width, 1);
        EXPECT_EQ(l.height, 1);
        // A 24-bit texel is opaque: 255 x 4 + 2 >> 2 keeps 255, the colour stays.
        EXPECT_EQ(dataTexel(slots[50], l.start / 4), texel(10, 20, 30, 255)) << level;
    }
}

TEST(Textures, EmptyNameClearsAndSucceeds)
{
    TempDir dir("textures");
    const std::string path = writeTexture(dir, "a.tga", 1, 1, {texel(1, 2, 3, 255)});
    TextureSlots slots;
    ScriptedFrontend ui;
    ASSERT_EQ(loadTexture(slots, 42, path, ui), 1);
    EXPECT_EQ(loadTexture(slots, 42, "", ui), 1);
    EXPECT_FALSE(slots[42].inUse());
    EXPECT_TRUE(slots[42].data.empty());
    EXPECT_EQ(slots[42].name(), "");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(Textures, FailuresKeepTheClassMapAndSayWhy)
{
    TempDir dir("textures");
    const std::string good = writeTexture(dir, "good.tga", 1, 1, {texel(1, 2, 3, 255)});
    std::vector<std::uint8_t> shortPixels = targaBytes(2, 2, {1, 2, 3, 4}, true);
    shortPixels.resize(shortPixels.size() - 1);
    testing::writeBytes(dir / "short.tga", shortPixels);
    testing::writeBytes(dir / "header.tga", std::vector<std::uint8_t>(10, 0));
    std::vector<std::uint8_t> huge = targaBytes(0, 0, {}, true);
    put16le(huge.data() + 12, 8192); // the widest row the Targa reader takes at 32 bits
    put16le(huge.data() + 14, 65535);
    testing::writeBytes(dir / "huge.tga", huge);

    const struct {
        std::string name;
        std::string message;
    } cases[] = {
        {dir / "missing.tga", "Error reading file \"" + (dir / "missing.tga") + "\"."},
        {dir / "header.tga", "Error reading file \"" + (dir / "header.tga") + "\"."},
        {dir / "short.tga", "Error reading file \"" + (dir / "short.tga") + "\"."},
        // 18 bytes that claim 8192 x 65535 pixels: refused before anything is allocated for them.
        {dir / "huge.tga", "Error reading file \"" + (dir / "huge.tga") + "\"."},
    };
    for (const auto& c : cases) {
        TextureSlots slots;
        ScriptedFrontend ui;
        ASSERT_EQ(loadTexture(slots, 47, good, ui), 1);
        const TextureSlot before = slots[47];
        EXPECT_EQ(loadTexture(slots, 47, c.name, ui), 0) << c.name;
        EXPECT_EQ(slots[47].name(), good) << c.name; // a failed load keeps the map the class had
        EXPECT_EQ(slots[47].data, before.data) << c.name;
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
        // A class without a map stays without one.
        EXPECT_EQ(loadTexture(slots, 48, c.name, ui), 0) << c.name;
        EXPECT_FALSE(slots[48].inUse()) << c.name;
    }
    TextureSlots slots;
    ScriptedFrontend ui;
    EXPECT_EQ(loadTexture(slots, 256, good, ui), 0);
    EXPECT_EQ(loadTexture(slots, -1, good, ui), 0);
}

TEST(Textures, MissingFileOffersAnotherOrSkips)
{
    TempDir dir("textures");
    const std::string good = writeTexture(dir, "good.tga", 1, 1, {texel(1, 2, 3, 255)});
    const std::string missing = dir / "gone.tga";
    const std::string question = "Unable to locate " + missing + " [Select another texture|Skip it]";
    {
        TextureSlots slots;
        ScriptedFrontend ui;
        ui.askAnswers = {false}; // Skip it
        EXPECT_EQ(findTexture(slots, 51, missing, ui, "/textures/"), 0);
        EXPECT_EQ(ui.questions, std::vector<std::string>{question});
        EXPECT_TRUE(ui.fileRequests.empty());
        EXPECT_FALSE(slots[51].inUse());
    }
    {
        TextureSlots slots;
        ScriptedFrontend ui;
        ui.askAnswers = {true};
        ui.fileAnswers = {good};
        EXPECT_EQ(findTexture(slots, 51, missing, ui, "/textures/"), 1);
        ASSERT_EQ(ui.fileRequests.size(), 1u);
        EXPECT_EQ(ui.fileRequests[0].title, "Select texture map");
        EXPECT_EQ(ui.fileRequests[0].pattern, "*.TGA");
        EXPECT_EQ(ui.fileRequests[0].directory, "/textures/");
        EXPECT_EQ(slots[51].name(), good);
        EXPECT_EQ(slotLevel(slots[51], 0).width, 1);
    }
    {
        TextureSlots slots;
        ScriptedFrontend ui;
        ui.askAnswers = {true}; // and the file box is cancelled
        EXPECT_EQ(findTexture(slots, 51, missing, ui, "/textures/"), 0);
        EXPECT_FALSE(slots[51].inUse());
    }
    {
        TextureSlots slots;
        ScriptedFrontend ui;
        EXPECT_EQ(findTexture(slots, 51, good, ui, "/textures/"), 1); // there: nothing asked
        EXPECT_TRUE(ui.questions.empty());
    }
}

TEST(Textures, NamedSessionSlotsAreLoadedOrFreed)
{
    TempDir dir("textures");
    const std::string good = writeTexture(dir, "good.tga", 2, 1, {texel(1, 2, 3, 255), texel(4, 5, 6, 255)});
    TextureSlots slots;
    // As a session saved with names only leaves them: class byte and name, no data.
    const auto nameOnly = [&](int k, const std::string& name) {
        slots[static_cast<std::size_t>(k)].entry[0] = static_cast<std::uint8_t>(k);
        std::copy(name.begin(), name.end(), slots[static_cast<std::size_t>(k)].entry.begin() + kTextureNameOffset);
    };
    nameOnly(42, good);
    nameOnly(43, dir / "gone.tga");
    ScriptedFrontend ui;
    ui.askAnswers = {false};
    loadNamedTextures(slots, ui, "");
    EXPECT_EQ(slotLevel(slots[42], 0).width, 2);
    EXPECT_FALSE(slots[43].inUse());
    ASSERT_EQ(ui.questions.size(), 1u);
    loadNamedTextures(slots, ui, ""); // asked once only
    EXPECT_EQ(ui.questions.size(), 1u);
}

TEST(Textures, FramePreparationUnpacksUsableSlotsOnly)
{
    TextureSlots slots;
    FrameTextures frame;
    prepareFrameTextures(slots, frame);
    EXPECT_TRUE(frame.maps.empty()); // nothing in use: nothing allocated
    for (const ClassTexture* t : frame.byClass) EXPECT_EQ(t, nullptr);

    TempDir dir("textures");
    ScriptedFrontend ui;
    ASSERT_EQ(loadTexture(slots, 55, writeTexture(dir, "w.tga", 2, 2,
                                                  {texel(9, 9, 9, 255), texel(9, 9, 9, 255), texel(9, 9, 9, 255),
                                                   texel(9, 9, 9, 255)}),
                          ui),
              1);
    put16le(slots[55].entry.data() + kTextureScaleOffset, 12);
    slots[60].entry[0] = 60; // named, no data: drawn plain
    slots[61] = slots[55];
    slots[61].entry[0] = 61;
    slots[61].data.resize(8); // level 0 no longer fits: drawn plain
    prepareFrameTextures(slots, frame);
    ASSERT_NE(frame.byClass[55], nullptr);
    EXPECT_EQ(frame.byClass[60], nullptr);
    EXPECT_EQ(frame.byClass[61], nullptr);
    const ClassTexture& t = *frame.byClass[55];
    EXPECT_EQ(t.scale, 12);
    EXPECT_EQ(t.levels[0].width, 2);
    EXPECT_EQ(t.levels[0].texels[3], texel(9, 9, 9, 255));
    EXPECT_EQ(t.levels[1].width, 1);
    EXPECT_EQ(t.levels[1].texels, t.texels.data() + 4);
    EXPECT_EQ(&detailLevel(t, 7), &t.levels[7]);
}

TEST(Textures, EmbeddedInASessionTheyComeBackWhole)
{
    TempDir dir("textures");
    auto app = std::make_unique<App>();
    ASSERT_EQ(allocateGrid(app->landscape, 258, 258), 1);
    ScriptedFrontend ui;
    std::vector<std::uint32_t> map;
    for (int i = 0; i < 12; ++i) map.push_back(texel(i * 20, 255 - i * 20, i, 100 + i * 10));
    ASSERT_EQ(loadTexture(app->textures, 56, writeTexture(dir, "under tree.tga", 4, 3, map), ui), 1);
    const std::vector<std::uint8_t> file =
        encodeSession({app->landscape, app->scene, app->textures, app->path, app->palette}, fullSession(), ui);

    auto loaded = std::make_unique<App>();
    ASSERT_EQ(allocateGrid(loaded->landscape, 258, 258), 1);
    LoadTarget target = loadTargetOf(*loaded);
    ASSERT_EQ(readSession(file, target, ui).loaded, Loaded::WithSettings);
    // Sessions store an in-use flag where memory keeps the class; the slot's place names the class.
    EXPECT_TRUE(loaded->textures[56].inUse());
    EXPECT_TRUE(std::equal(loaded->textures[56].entry.begin() + 1, loaded->textures[56].entry.end(),
                           app->textures[56].entry.begin() + 1));
    EXPECT_EQ(loaded->textures[56].data, app->textures[56].data);
    FrameTextures frame;
    prepareFrameTextures(loaded->textures, frame);
    ASSERT_NE(frame.byClass[56], nullptr);
    EXPECT_EQ(frame.byClass[56]->levels[0].texels[11], map[11]);
    EXPECT_EQ(frame.byClass[56]->levels[1].width, 2);
    EXPECT_EQ(frame.byClass[56]->levels[1].height, 1);
}

// ---- Drawing ----

// A flat field of dirt seen from low in the east: every triangle has class 38.
void dirtField(testing::Scene& s)
{
    testing::makeFlatLandscape(*s.app, 34, 0, 38);
    CameraSettings& c = s.app->scene.camera;
    c.cameraX = 30 * 30.0f, c.cameraY = 16 * 30.0f, c.cameraZ = 120.0f;
    c.heading = 90, c.pitch = -10, c.bank = 0;
    s.app->scene.render.blend = 0; // so the untextured colour is exactly the class colour lit
}

std::vector<std::uint32_t> pixels(const testing::Scene& s)
{
    std::vector<std::uint32_t> out;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) out.push_back(s.canvas->at24(x, y));
    return out;
}

TEST(TexturedTerrain, TexelsReplaceTheClassColourLitTheSameWay)
{
    TempDir dir("textures");
    testing::Scene plain(160, 120, 160, 160);
    dirtField(plain);
    ASSERT_EQ(plain.draw(), 1);
    const std::vector<std::uint32_t> before = pixels(plain);

    // A texture of the class colour itself, opaque: the same picture, drawn texel by texel.
    const std::uint32_t dirt = texel(120, 100, 70, 255);
    testing::Scene same(160, 120, 160, 160);
    dirtField(same);
    ASSERT_EQ(loadTexture(same.app->textures, 38, writeTexture(dir, "dirt.tga", 2, 2, {dirt, dirt, dirt, dirt}), same.ui), 1);
    ASSERT_EQ(same.draw(), 1);
    EXPECT_EQ(pixels(same), before);

    // A white texture changes every terrain pixel (class byte 38) and nothing else.
    const std::uint32_t white = texel(255, 255, 255, 255);
    testing::Scene lit(160, 120, 160, 160);
    dirtField(lit);
    ASSERT_EQ(loadTexture(lit.app->textures, 38, writeTexture(dir, "white.tga", 1, 1, {white}), lit.ui), 1);
    ASSERT_EQ(lit.draw(), 1);
    const std::vector<std::uint32_t> after = pixels(lit);
    int terrain = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if ((before[i] >> 24) == 38) {
            ++terrain;
            EXPECT_NE(after[i], before[i]) << i;
            EXPECT_EQ(after[i] >> 24, 38u) << i;
        } else {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_GT(terrain, 1000);
}

TEST(TexturedTerrain, QuadDetailPicksTheLevelAndPlacesTheCoordinates)
{
    TempDir dir("textures");
    testing::Scene s(64, 64, 64, 64);
    dirtField(s);
    App& app = *s.app;
    std::vector<std::uint32_t> map(16, texel(1, 2, 3, 255));
    ASSERT_EQ(loadTexture(app.textures, 38, writeTexture(dir, "four.tga", 4, 4, map), s.ui), 1);
    prepareFrameTextures(app.textures, s.state.textures);
    SceneFrame frame{app.landscape, app.scene, app.colouring.sun, app.colouring.strata, app.view, app.light,
                     app.raster, s.canvas->target, s.ui, s.state};
    prepareTerrainParams(frame);
    const ClassTexture& texture = *s.state.textures.byClass[38];

    // Corners at cells (10, 0), (11, 0), (10, 1) of 30 m, behind the eye so nothing is drawn and the
    // polygon keeps its coordinates. The first corner's jitter of 0.5 moves it an eighth of a cell.
    TerrainVertex a, b, c;
    a.x = 300, b.x = 330, c.x = 300;
    a.y = 0, b.y = 0, c.y = 30;
    a.jitterS = 0.5f;
    for (TerrainVertex* v : {&a, &b, &c}) v->code = 38, v->view = {0.0f, 0.0f, -10.0f};
    struct Case {
        int detail, width;
        std::array<float, 3> s, t;
    };
    const Case cases[] = {
        // Level 0: 32 texels a cell, 8192 in texels x 256. The first corner's 10.125 x 8192 = 82944 is
        // exactly 81 periods of 4 x 256, which all three corners lose: 0, 90112 - 82944, 81920 - 82944.
        {0, 4, {{0.0f, 7168.0f, -1024.0f}}, {{0.0f, 0.0f, 8192.0f}}},
        // Level 3: 4 texels a cell (1024); the map is 1 x 1, so the period is 256: 10.125 x 1024 = 10368 = 40.5 periods.
        // 40 whole periods (10240) come off: 128, 11264 - 10240, 0.
        {3, 1, {{128.0f, 1024.0f, 0.0f}}, {{0.0f, 0.0f, 1024.0f}}},
    };
    for (const Case& k : cases) {
        shadeTriangle(frame, a, b, c, k.detail);
        const Polygon& p = s.state.work;
        ASSERT_EQ(p.texture, &s.state.terrainTexture);
        EXPECT_EQ(p.texture->texels, texture.levels[static_cast<std::size_t>(k.detail)].texels);
        EXPECT_EQ(p.texture->width, k.width);
        for (int i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(p.vertices[static_cast<std::size_t>(i)].s, k.s[static_cast<std::size_t>(i)]) << k.detail << " " << i;
            EXPECT_FLOAT_EQ(p.vertices[static_cast<std::size_t>(i)].t, k.t[static_cast<std::size_t>(i)]) << k.detail << " " << i;
        }
        EXPECT_FLOAT_EQ(p.vertices[3].s, p.vertices[0].s);
    }
    // A class without a texture stays untextured.
    for (TerrainVertex* v : {&a, &b, &c}) v->code = 39;
    shadeTriangle(frame, a, b, c, 0);
    EXPECT_EQ(s.state.work.texture, nullptr);
}

TEST(TexturedTerrain, SunAndMoonTakeTheirLoadedMaps)
{
    TempDir dir("textures");
    testing::Scene s(160, 120, 160, 160);
    dirtField(s);
    s.app->scene.sky.sunMoon.sunSize = 100;
    s.app->scene.sky.sunMoon.starsAndMoon = 1;
    s.app->scene.sky.sunMoon.moonSize = 100;
    ASSERT_EQ(loadTexture(s.app->textures, kSunTextureClass,
                          writeTexture(dir, "sun.tga", 2, 1, {texel(250, 200, 0, 255), texel(250, 100, 0, 128)}), s.ui),
              1);
    ASSERT_EQ(s.draw(), 1);
    ASSERT_EQ(s.state.sun.view.width, 2);
    EXPECT_EQ(s.state.sun.view.texels[1], texel(250, 100, 0, 128));
    // Without a map the moon keeps its one texel of the moon colour (entry 79: 128, 128, 128).
    ASSERT_EQ(s.state.moon.view.width, 1);
    EXPECT_EQ(s.state.moon.view.texels[0], texel(128, 128, 128, 255));
}

// ---- The script keyword ----

int runTextureLoad(App& app, ScriptedFrontend& ui, const std::string& line)
{
    const ScriptArgs args = parseArgs(line, ArgPattern::RestOfLine);
    ScriptPlace place;
    ScriptContext ctx{app, ui, args, line, 0, place, true};
    const int result = execTextureLoad(ctx) == LineResult::Done ? 1 : -1;
    return ctx.applyMarks ? result : -result;
}

TEST(TextureScript, TextureLoadLoadsFreesAndRefusesBadClasses)
{
    TempDir dir("textures spaced");
    const std::string path = writeTexture(dir, "snow 1.tga", 1, 1, {texel(240, 240, 250, 255)});
    auto app = std::make_unique<App>();
    ScriptedFrontend ui;
    EXPECT_EQ(runTextureLoad(*app, ui, "TextureLoad 42 " + path + "  "), 1);
    EXPECT_EQ(app->textures[42].name(), path);
    EXPECT_EQ(slotLevel(app->textures[42], 0).width, 1);
    EXPECT_EQ(runTextureLoad(*app, ui, "TextureLoad 42"), 1);
    EXPECT_FALSE(app->textures[42].inUse());
    EXPECT_TRUE(ui.messages.empty());

    for (const std::string& bad : {"TextureLoad 256 " + path, "TextureLoad -1 " + path, "TextureLoad x " + path,
                                  "TextureLoad 4x " + path, std::string("TextureLoad")}) {
        ScriptedFrontend badUi;
        EXPECT_EQ(runTextureLoad(*app, badUi, bad), -1) << bad; // no marks applied
        EXPECT_EQ(badUi.messages.size(), 1u) << bad;
        EXPECT_FALSE(anyTextureInUse(app->textures)) << bad;
    }
}

} // namespace
} // namespace kalvenor
