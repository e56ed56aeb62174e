#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "base/byte_order.h"
#include "files/dem_file.h"
#include "files/header_fields.h"
#include "files/row_codec.h"
#include "platform/scripted_frontend.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

using Bytes = std::vector<std::uint8_t>;
using kalvenor::testing::readFile;
using kalvenor::testing::TempDir;

// Elevations with steps of 300 m every 17 columns, so rows need the escape code.
void fillLandscape(Landscape& land, int seed)
{
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c)
            land.elevation[r][c] = static_cast<std::int16_t>((r * 7 + c * 13 + seed) % 400 - 50 + (c % 17 == 0 ? 300 : 0));
}

void makeGrid(App& app, int width, int height, SizeMode mode = SizeMode::Automatic)
{
    ASSERT_EQ(allocateGrid(app.landscape, width, height), 1);
    app.landscape.sizeMode = mode;
    fillLandscape(app.landscape, 0);
}

LoadResult parse(App& app, const Bytes& file, ScriptedFrontend& ui)
{
    LoadTarget target = loadTargetOf(app);
    return parseLandscapeFile(file, target, ui, "fixture.dem");
}

bool sameElevations(const Landscape& a, const Landscape& b, int columnOffset = 0, int rowOffset = 0)
{
    for (int r = 0; r < a.gridHeight; ++r)
        for (int c = 0; c < a.gridWidth; ++c)
            if (a.elevation[r][c] != b.elevation[r + rowOffset][c + columnOffset]) return false;
    return true;
}

TEST(DemFile, SaveLoadSaveGivesIdenticalBytes)
{
    TempDir dir("dem");
    for (const auto& [w, h] : {std::pair{258, 258}, std::pair{301, 203}}) {
        App first;
        makeGrid(first, w, h);
        setLandscapeName(first.landscape, "Ridge");
        setLandscapeComment(first.landscape, "a comment");
        first.landscape.utmX = 512000;
        first.landscape.utmY = -4100;
        first.landscape.utmExtra = 33;
        for (std::size_t i = 0; i < first.scene.colourScheme.size(); ++i)
            first.scene.colourScheme[i] = static_cast<std::uint8_t>(i * 3);
        ScriptedFrontend ui;
        ASSERT_EQ(saveDem(first, dir / "a.DEM", ui), Outcome::Done);

        App second;
        makeGrid(second, 258, 258);
        fillLandscape(second.landscape, 99);
        EXPECT_EQ(loadLandscape(second, dir / "a.DEM", ui), Loaded::Landscape) << w;
        EXPECT_EQ(second.landscape.gridWidth, w);
        EXPECT_EQ(second.landscape.gridHeight, h);
        EXPECT_TRUE(sameElevations(first.landscape, second.landscape));
        EXPECT_EQ(second.landscape.name, "Ridge");
        EXPECT_EQ(second.landscape.comment, "a comment");
        EXPECT_EQ(second.landscape.utmX, 512000);
        EXPECT_EQ(second.landscape.utmExtra, 33);
        EXPECT_EQ(second.scene.colourScheme, first.scene.colourScheme);
        ASSERT_EQ(saveDem(second, dir / "b.DEM", ui), Outcome::Done);
        EXPECT_EQ(readFile(dir / "a.DEM"), readFile(dir / "b.DEM")) << w;
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST(DemFile, HeaderRangesAreBigEndianAndTheSchemeIsNot)
{
    App app;
    makeGrid(app, 300, 260);
    app.landscape.utmX = 0x01020304;
    app.landscape.utmY = -2; // FF FF FF FE
    app.landscape.spacingX = 30.0f; // 0x41F00000
    app.scene.generation.verticalScale = 2.5f; // 0x40200000
    app.scene.colourScheme[0] = 0x11;
    app.scene.colourScheme[5] = 0x22;
    const Bytes file = encodeDem(app.landscape, app.scene, wholeLandscape(app.landscape));

    const struct {
        std::size_t offset;
        Bytes expected;
    } fields[] = {
        {0, {'K', 'a', 'l', 'v', 'e', ' ', 'D', 'E', 'M', ' ', 'F', 'i', 'l', 'e', 0}},
        {128, {0, 0, 0, 1}},                // compressed
        {132, {0, 0, 0, 1}},                // flags: size valid
        {136, {0, 0, 0x01, 0x2C}},          // 300
        {140, {0, 0, 0x01, 0x04}},          // 260
        {144, {0, 0, 0, 1}},
        {164, {0x01, 0x02, 0x03, 0x04}},    // utmX
        {168, {0xFF, 0xFF, 0xFF, 0xFE}},    // utmY
        {176, {0x41, 0xF0, 0x00, 0x00}},    // spacingX 30.0
        {184, {0x3F, 0x80, 0x00, 0x00}},    // vertical spacing 1.0
        {268, {0x40, 0x20, 0x00, 0x00}},    // VerticalScale 2.5
        {1024, {0x11, 0, 0, 0, 0, 0x22}},   // the scheme as it is
    };
    for (const auto& f : fields)
        EXPECT_EQ(Bytes(file.begin() + f.offset, file.begin() + f.offset + f.expected.size()), f.expected)
            << "offset " << f.offset;

    // The first row follows the header: its length big-endian, then its first sample big-endian.
    const std::uint16_t length = get16be(file.data() + 2048);
    EXPECT_GT(length, 2);
    std::uint8_t unpacked[kMaxDeltaBytes];
    std::size_t produced = 0;
    ASSERT_EQ(packBitsDecode(file.data() + 2050, length, unpacked, sizeof unpacked, produced), CodecStatus::Ok);
    EXPECT_EQ(static_cast<std::int16_t>(get16be(unpacked)), app.landscape.elevation[0][0]);

    makeGrid(app, 258, 258);
    const Bytes small = encodeDem(app.landscape, app.scene, wholeLandscape(app.landscape));
    EXPECT_EQ(get32be(small.data() + 132), 0u) << "a 258 x 258 file sets no flag";
}

TEST(DemFile, HalfRegionIsClampedAndMovesThePlacementToItsCorner)
{
    App app;
    makeGrid(app, 514, 514);
    app.landscape.utmX = 1000;
    app.landscape.utmY = -500;
    app.landscape.spacingX = 30.5f;
    app.landscape.spacingY = 12.25f;

    // Corner column 300 is clamped to sizeX / 2 = 256.
    const DemRegion region = halfRegionAt(app.landscape, {300, 10});
    EXPECT_EQ(region.firstColumn, 256);
    EXPECT_EQ(region.firstRow, 10);
    EXPECT_EQ(region.width, 258);
    EXPECT_EQ(region.height, 258);
    EXPECT_EQ(halfRegionAt(app.landscape, {-5, 400}).firstRow, 256);

    const Bytes file = encodeDem(app.landscape, app.scene, region);
    EXPECT_EQ(get32be(file.data() + 132), 0u);
    // 1000 + 256 x 30.5 = 8808; -500 + 10 x 12.25 = -377.5, rounded away from zero to -378.
    EXPECT_EQ(static_cast<std::int32_t>(get32be(file.data() + 164)), 8808);
    EXPECT_EQ(static_cast<std::int32_t>(get32be(file.data() + 168)), -378);

    App loaded;
    makeGrid(loaded, 258, 258);
    ScriptedFrontend ui;
    ASSERT_EQ(parse(loaded, file, ui).loaded, Loaded::Landscape);
    for (int r = 0; r < 258; ++r)
        for (int c = 0; c < 258; ++c)
            ASSERT_EQ(loaded.landscape.elevation[r][c], app.landscape.elevation[r + 10][c + 256]) << c << "," << r;
}

// A header from our own writer with the optional blocks of other writers added by hand.
struct OldFixture {
    Bytes file;
    void be(std::size_t offset, std::int32_t v) { put32be(file.data() + offset, static_cast<std::uint32_t>(v)); }
    void beFloat(std::size_t offset, float f) { put32be(file.data() + offset, floatBits(f)); }
    void leFloat(std::size_t offset, float f) { put32le(file.data() + offset, floatBits(f)); }
    void flags(std::uint32_t f) { put32be(file.data() + 132, f); }
};

OldFixture fixture258()
{
    App app;
    allocateGrid(app.landscape, 258, 258);
    fillLandscape(app.landscape, 5);
    return {encodeDem(app.landscape, app.scene, wholeLandscape(app.landscape))};
}

TEST(DemFile, ViewAndSceneBlocksAreConverted)
{
    OldFixture f = fixture258();
    f.flags(kOldFlagView | kOldFlagScene);
    f.beFloat(176, 0.5f); // below 1.0: the default 30.0
    f.beFloat(180, 25.0f);
    f.beFloat(184, 2.0f);
    f.be(188, 4);
    f.be(192, 1000);
    f.be(204, -250);
    f.be(216, 7);
    f.be(220, 30);  // heading stored negated
    f.be(224, -12);
    f.be(228, 40);  // focal length x 16
    f.be(236, 900);
    f.be(260, 1);   // into both display words
    f.beFloat(268, 2.5f);
    f.be(288, static_cast<std::int32_t>(0xDEADBEEFu));
    f.be(304, 100); // azimuth stored as 180 - azimuth
    f.be(308, 30);
    f.be(420, 60);
    f.be(464, 640);
    f.be(468, 480);
    f.be(500, 0x00000100); // the low byte, 0, for all four classes
    f.be(512, 17);

    App app;
    makeGrid(app, 258, 258);
    ScriptedFrontend ui;
    const LoadResult result = parse(app, f.file, ui);
    ASSERT_EQ(result.loaded, Loaded::WithSettings);
    const SceneSettings& s = app.scene;
    EXPECT_EQ(app.landscape.spacingX, 30.0f);
    EXPECT_EQ(app.landscape.spacingY, 25.0f);
    EXPECT_EQ(app.landscape.verticalSpacing, 2.0f);
    EXPECT_EQ(app.landscape.polygonSize, 4);
    EXPECT_EQ(s.camera.cameraX, 1000.0f);
    EXPECT_EQ(s.camera.targetX, -250.0f);
    EXPECT_EQ(s.camera.bank, 7.0f);
    EXPECT_EQ(s.camera.heading, -30.0f);
    EXPECT_EQ(s.camera.pitch, -12.0f);
    EXPECT_EQ(s.camera.focalFactor, 2.5f);
    EXPECT_EQ(s.camera.focalLength, 40);
    EXPECT_EQ(s.colouring.treeLine, 900);
    EXPECT_EQ(s.render.displayMode, 1);
    EXPECT_EQ(s.render.screenWord768, 1);
    EXPECT_EQ(s.generation.verticalScale, 2.5f);
    EXPECT_EQ(s.generation.verticalScale2, 2.5f);
    EXPECT_EQ(s.generation.seed, 0xDEADBEEFu);
    EXPECT_EQ(s.lighting.sunAzimuth, 80.0f);
    EXPECT_EQ(s.lighting.sunDeclination, 30.0f);
    EXPECT_EQ(s.colouring.cliffThreshold, 60);
    EXPECT_EQ(s.render.imageWidth, 640);
    EXPECT_EQ(s.render.imageHeight, 480);
    EXPECT_EQ(s.trees.leaves, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(s.clouds.number, 17);
    EXPECT_EQ(result.fileVerticalScale, 2.5f);
}

TEST(DemFile, ExtendedBlockFloatsFollowFlagBitFour)
{
    for (const bool bigEndian : {true, false}) {
        OldFixture f = fixture258();
        f.flags(kOldFlagView | kOldFlagExtended | (bigEndian ? kOldFlagHighWordsBigEndian : 0));
        f.beFloat(176, 30.0f);
        f.beFloat(180, 30.0f);
        f.beFloat(184, 1.0f);
        f.be(220, 30);
        f.be(528, 7); // valley width / 30
        f.be(564, kLensPort);
        f.be(628, 5);
        f.be(692, 2);
        for (std::size_t i = 0; i < 16; ++i) f.file[644 + i] = static_cast<std::uint8_t>(i + 1);
        const float angles[] = {1.5f, 12.5f, -3.25f};
        for (std::size_t i = 0; i < 3; ++i) {
            if (bigEndian)
                f.beFloat(704 + 4 * i, angles[i]);
            else
                f.leFloat(704 + 4 * i, angles[i]);
        }
        App app;
        makeGrid(app, 258, 258);
        ScriptedFrontend ui;
        ASSERT_EQ(parse(app, f.file, ui).loaded, Loaded::WithSettings);
        const SceneSettings& s = app.scene;
        EXPECT_EQ(s.camera.bank, 1.5f) << bigEndian;
        EXPECT_EQ(s.camera.heading, -12.5f) << "the float heading replaces the whole degrees, negated";
        EXPECT_EQ(s.camera.pitch, -3.25f);
        EXPECT_EQ(s.colouring.valleyWidth, 210);
        EXPECT_EQ(s.camera.lensDirection, kLensPort);
        EXPECT_EQ(s.trees.kindMask[0], 5);
        EXPECT_EQ(s.trees.slots[0][0], 1);
        EXPECT_EQ(s.trees.slots[3][3], 16);
        EXPECT_EQ(app.landscape.sizeMode, SizeMode::Fixed);
    }
}

TEST(DemFile, MapBlocksBehindFlagBitZero)
{
    OldFixture f = fixture258();
    f.flags(kOldFlagSizeValid);
    f.be(136, 258);
    f.be(140, 258);
    f.be(188, 2); // the polygon size the maps were made at

    // Terrain rows with high bytes set, shadow rows, palette and a background name, appended.
    auto appendRows = [&](std::uint16_t cell) {
        const std::size_t at = f.file.size();
        std::uint8_t cells[258 * 2];
        std::uint8_t packed[packBitsBound(sizeof cells) + 2];
        for (int r = 0; r < 258; ++r) {
            for (int c = 0; c < 258; ++c) put16be(cells + 2 * c, static_cast<std::uint16_t>(cell + c));
            const std::size_t n = packBitsEncode(cells, sizeof cells, packed + 2);
            put16be(packed, static_cast<std::uint16_t>(n));
            f.file.insert(f.file.end(), packed, packed + n + 2);
        }
        return static_cast<std::int32_t>(at);
    };
    f.be(152, appendRows(0x1234));
    f.be(156, appendRows(0xABCD));
    f.be(160, static_cast<std::int32_t>(f.file.size()));
    f.file.insert(f.file.end(), 1024, 0x5A);
    f.be(480, static_cast<std::int32_t>(f.file.size()));
    const std::string name = "sky.tga";
    f.file.insert(f.file.end(), name.begin(), name.end());
    f.file.insert(f.file.end(), 128 - name.size(), 0);

    App app;
    makeGrid(app, 258, 258);
    ScriptedFrontend ui;
    ASSERT_EQ(parse(app, f.file, ui).loaded, Loaded::Landscape);
    const Landscape& land = app.landscape;
    EXPECT_EQ(land.terrain[3][0], 0x34) << "terrain cells keep only their low byte";
    EXPECT_EQ(land.terrain[3][2], 0x36);
    EXPECT_EQ(land.shadow[3][0], 0xABCD);
    EXPECT_EQ(land.terrainValidAt, 2);
    EXPECT_EQ(land.cliffValidAt, 2);
    EXPECT_EQ(land.shadowValidAt, 2);
    EXPECT_EQ(land.paletteStale, 0);
    EXPECT_EQ(app.palette.entries[7], 0x5A);
    EXPECT_EQ(app.scene.render.backgroundFile, "sky.tga");
}

TEST(DemFile, ZeroSizeWordsMeanTheSmallGrid)
{
    OldFixture f = fixture258();
    f.flags(kOldFlagSizeValid);
    f.be(136, 0);
    f.be(140, 0);
    App app;
    makeGrid(app, 300, 300);
    ScriptedFrontend ui;
    EXPECT_EQ(parse(app, f.file, ui).loaded, Loaded::Landscape);
    EXPECT_EQ(app.landscape.gridWidth, 258);
    EXPECT_EQ(app.landscape.gridHeight, 258);
}

} // namespace
} // namespace kalvenor
