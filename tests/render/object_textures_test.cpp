// Texture maps on what stands on the ground: flat trees drawn as their
// kind's map (transparent where the map is), house faces, roads, and the
// shade texture levels of the ground; and the pictures without them as
// they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/render_driver.h"
#include "platform/scripted_frontend.h"
#include "render/textures.h"
#include "script/interpreter.h"
#include "shell/startup.h"
#include "../support/temp_dir.h"
#include "../support/texture_maps.h"

namespace kalvenor {
namespace {

constexpr int kWidth = 96, kHeight = 72;

template <typename Texel>
std::string writeMap(const testing::TempDir& dir, const std::string& name, int w, int h, Texel texel)
{
    return testing::writeTextureMap(dir, name, w, h, texel);
}

class ObjectTextures : public ::testing::Test {
protected:
    testing::TempDir dir{"objtex"};

    // A valley seen from 120 m to the south of (3800, 1500), which lies in the middle of the picture.
    std::vector<std::uint32_t> render(const std::vector<std::string>& extra)
    {
        App app;
        ScriptedFrontend ui;
        initialiseApp(app, ui);
        std::vector<std::string> lines = {"LandscapeSizeSmall", "FractalRoughness 40", "GenerateFractal 12",
                                          "ImageSize 96 72", "TreeOn", "TreeDensity 0", "TreeSize 20",
                                          "SunAzimuth 180", "SunDeclination 30", "CameraXYZ 3800 1380 0",
                                          "TargetXYZ 3800 1500 -50", "PixelDitherOrdered 0", "AntialiasOff",
                                          "LightingRoughness 0"};
        lines.insert(lines.end(), extra.begin(), extra.end());
        for (const std::string& line : lines) EXPECT_EQ(executeLine(app, ui, line), LineResult::Done) << line;
        EXPECT_TRUE(ui.reports.empty()) << ui.reports.front();
        EXPECT_EQ(renderImage(app, ui), Outcome::Done);
        std::vector<std::uint32_t> rgb;
        for (int r = 0; r < kHeight; ++r)
            for (int c = 0; c < kWidth; ++c) rgb.push_back(app.images.vidmem24[r][c] & 0xFFFFFFu);
        return rgb;
    }

    static int differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
    {
        int n = 0;
        for (std::size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
        return n;
    }
};

TEST_F(ObjectTextures, FlatTreesShowTheirMapAndWhatLiesBehindItsClearTexels)
{
    const std::string clear = writeMap(dir, "clear.tga", 8, 16, [](int, int) { return 0x00FF0000u; });
    const std::string solid = writeMap(dir, "solid.tga", 8, 16, [](int, int) { return 0xFF2040C0u; });
    // A cactus: it casts no object shadow, so without its card the ground is as it was.
    const std::string pine = "PlaceObject Cactus 3800 1500";
    const auto ground = render({});
    const auto procedural = render({pine});
    ASSERT_GT(differing(ground, procedural), 0);

    // Without a map, or with textures off, the flat tree is the procedural one to the byte.
    EXPECT_EQ(render({pine, "TreeTextureOn"}), procedural);
    EXPECT_EQ(render({pine, "TextureLoad 36 " + solid}), procedural);
    // A map of clear texels only: the tree leaves the ground as it was.
    EXPECT_EQ(render({pine, "TreeTextureOn", "TextureLoad 36 " + clear}), ground);
    // An opaque map: a blue card where the tree stands, lit, near the middle.
    const auto card = render({pine, "TreeTextureOn", "TextureLoad 36 " + solid});
    int blue = 0, left = kWidth, right = -1;
    for (std::size_t i = 0; i < card.size(); ++i) {
        if (card[i] == ground[i]) continue;
        left = std::min(left, static_cast<int>(i % kWidth));
        right = std::max(right, static_cast<int>(i % kWidth));
        const std::uint32_t c = card[i];
        blue += ((c >> 16) & 255) > (c & 255) ? 1 : 0; // vidmem24 holds red in its low byte
    }
    EXPECT_GT(blue, 20);
    EXPECT_LT(right - left, 40);
    EXPECT_NE(card, procedural);
}

TEST_F(ObjectTextures, HouseFacesAndRoadsTakeTheirMaps)
{
    const std::string house = "PlaceObject House4 3800 1500";
    const std::string clear = writeMap(dir, "clear.tga", 16, 16, [](int, int) { return 0x00FFFFFFu; });
    const std::string stripes = writeMap(dir, "stripes.tga", 16, 16,
                                         [](int x, int) { return (x & 4) != 0 ? 0xFF000000u : 0xFFFFFFFFu; });
    const auto plain = render({house});
    ASSERT_GT(differing(render({}), plain), 0);
    // A map that is clear everywhere lays nothing over the house colour.
    for (const char* cls : {"101", "102", "103"})
        EXPECT_EQ(render({house, std::string("TextureLoad ") + cls + " " + clear}), plain) << cls;
    // Seen from the south: House4's gable end (class 102) and its roof (101) show the stripes; its long
    // walls face east and west, out of sight, and House1's classes are not House4's.
    EXPECT_GT(differing(render({house, "TextureLoad 102 " + stripes}), plain), 0);
    EXPECT_GT(differing(render({house, "TextureLoad 101 " + stripes}), plain), 0);
    EXPECT_EQ(render({house, "TextureLoad 103 " + stripes}), plain);
    EXPECT_EQ(render({house, "TextureLoad 93 " + stripes}), plain);

    // The path texture (class 88) on a road.
    const std::string road = "PlaceRoad 3700 1500 3900 1500";
    const auto bare = render({road});
    EXPECT_GT(differing(bare, render({road, "TextureLoad 88 " + stripes})), 0);
}

TEST_F(ObjectTextures, ShadeTextureLevelsMottleTheGroundAndOffLeavesItAsItWas)
{
    const auto plain = render({});
    EXPECT_EQ(render({"ShadeTextureOff"}), plain);
    EXPECT_EQ(render({"ShadeTextureHigh", "ShadeTextureOff"}), plain);
    const auto low = render({"ShadeTextureLow"});
    const auto medium = render({"ShadeTextureMedium"});
    const auto high = render({"ShadeTextureHigh"});
    EXPECT_GT(differing(plain, low), kWidth * kHeight / 4);
    EXPECT_GT(differing(low, medium), 0);
    EXPECT_GT(differing(medium, high), 0);
    // The altitude kind draws no mottle.
    EXPECT_NE(render({"ShadeTextureHigh", "AltitudeTextureLow"}), high);
}

TEST(ShadeTextures, GroundClassesWithoutAMapGetOneOfTheirColour)
{
    FrameTextures frame;
    std::array<std::uint8_t, 1024> scheme = {};
    scheme[42 * 4 + 1] = 200, scheme[42 * 4 + 2] = 100, scheme[42 * 4 + 3] = 50; // snow 1
    ClassTexture own;
    own.texels.assign(1, 0xFF00FF00u);
    frame.maps.resize(kTextureSlots);
    frame.byClass[40] = &own;
    addShadeTextures(frame, scheme, 2);
    EXPECT_EQ(frame.byClass[40], &own);      // its own map stays
    EXPECT_EQ(frame.byClass[51], nullptr);   // water is left alone
    EXPECT_EQ(frame.byClass[76], nullptr);   // and clouds
    ASSERT_NE(frame.byClass[42], nullptr);
    const TextureView& level0 = frame.byClass[42]->levels[0];
    ASSERT_EQ(level0.width, kShadeTextureSide);
    long red = 0, green = 0;
    std::uint32_t lowest = 255, highest = 0;
    for (int i = 0; i < kShadeTextureSide * kShadeTextureSide; ++i) {
        const std::uint32_t t = level0.texels[i];
        EXPECT_EQ(t >> 24, 160u);
        red += t & 255;
        green += (t >> 8) & 255;
        lowest = std::min(lowest, t & 255);
        highest = std::max(highest, t & 255);
    }
    // The class's colour on average, mottled both ways.
    EXPECT_NEAR(red / (kShadeTextureSide * kShadeTextureSide), 200, 12);
    EXPECT_NEAR(green / (kShadeTextureSide * kShadeTextureSide), 100, 6);
    EXPECT_LT(lowest, 180u);
    EXPECT_GT(highest, 220u);

    FrameTextures none;
    addShadeTextures(none, scheme, 0);
    for (const ClassTexture* t : none.byClass) EXPECT_EQ(t, nullptr);
}

// The next frame of an animation keeps the maps while colour and level stay,
// and makes them again, as a first frame would, when either changes.
TEST(ShadeTextures, TheNextFrameKeepsTheMapsUntilTheirColourOrLevelChanges)
{
    std::array<std::uint8_t, 1024> scheme = {};
    scheme[42 * 4 + 1] = 200, scheme[42 * 4 + 2] = 100, scheme[42 * 4 + 3] = 50;
    FrameTextures frame;
    addShadeTextures(frame, scheme, 2);
    const std::uint32_t* made = frame.byClass[42]->texels.data();
    frame.byClass.fill(nullptr);
    addShadeTextures(frame, scheme, 2);
    EXPECT_EQ(frame.byClass[42]->texels.data(), made); // kept, not made again

    const auto fresh = [](const std::array<std::uint8_t, 1024>& colours, int level) {
        FrameTextures first;
        addShadeTextures(first, colours, level);
        return first.byClass[42]->texels;
    };
    for (const auto& [red, level] : {std::pair{90, 2}, std::pair{90, 3}}) {
        scheme[42 * 4 + 1] = static_cast<std::uint8_t>(red);
        frame.byClass.fill(nullptr);
        addShadeTextures(frame, scheme, level);
        EXPECT_EQ(frame.byClass[42]->texels, fresh(scheme, level)) << red << " " << level;
    }
}

} // namespace
} // namespace kalvenor
