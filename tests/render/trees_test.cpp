#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/tree_branches.h"
#include "render/tree_surface.h"
#include "render/trees.h"
#include "scene_fixture.h"
#include "terrain/colouring_common.h"

namespace kalvenor {
namespace {

using testing::Scene;

// ---------------------------------------------------------------------------
// The words of a tree: positional seed, then three words from stream A.

struct WordsCase {
    int col, row;
    std::uint32_t seed;
    int w1, w2, w3;
};

TEST(TreeWords, FollowThePositionalSeedAndStreamA)
{
    // (12, 7): 3987654321 / 7 = 569664903 (unsigned), 1234567890 / 12 = 102880657;
    // (569664903 XOR 102880657) x 192837465 mod 2^32 = 0xCAF871A6 seeds C; its
    // two steps give (s >> 16) - 32768 = -21811 and -16596, so the seed is
    // (-21811 << 16) + (-16596) = 0xAACCBF2C = 2865545004.
    // A then steps from it: draws -12, 46, 39, 92, 100, -115, giving
    // w1 = (-12 << 8) ^ 46 = -3026, w2 = (39 << 8) ^ 92 = 10076,
    // w3 = (100 << 8) ^ -115 = -25715.
    // (0, 0) counts as (123, 234); the words of (40, 24) have a positive sum.
    const WordsCase cases[] = {
        {12, 7, 2865545004u, -3026, 10076, -25715},
        {0, 0, 3369943362u, -23775, -6526, 16569},
        {40, 24, 3278788403u, 32344, -30803, 3688},
    };
    for (const WordsCase& c : cases) {
        RandomStreams random;
        const TreeWords w = treeWords(random, c.col, c.row);
        EXPECT_EQ(w.seed, c.seed) << c.col << "," << c.row;
        EXPECT_EQ(w.w1, c.w1) << c.col << "," << c.row;
        EXPECT_EQ(w.w2, c.w2) << c.col << "," << c.row;
        EXPECT_EQ(w.w3, c.w3) << c.col << "," << c.row;
    }
}

TEST(TreeWords, DoNotDependOnWhatTheStreamsHeldBefore)
{
    RandomStreams fresh, used;
    seedAll(used, 987654321u);
    drawA(used), drawB(used), drawC(used);
    const TreeWords a = treeWords(fresh, 12, 7), b = treeWords(used, 12, 7);
    EXPECT_EQ(a.seed, b.seed);
    EXPECT_EQ(a.w1, b.w1);
    EXPECT_EQ(a.w3, b.w3);
}

TEST(TreeSize, AddsTheSumModuloAQuarterWithTheSignOfTheSum)
{
    struct Case {
        int size, sum, expected;
    };
    const Case cases[] = {
        {25, -18665, 20}, // -18665 = -3110 x 6 - 5
        {35, -18665, 34}, // -18665 = -2333 x 8 - 1
        {60, -18665, 55}, // -18665 = -1244 x 15 - 5
        {25, 5229, 28},   // 5229 = 871 x 6 + 3
        {60, 5229, 69},   // 5229 = 348 x 15 + 9
        {8, -5, 7},       // quarter 2: -5 = -2 x 2 - 1
        {4, 12345, 4},    // quarter 1: no remainder
        {3, 12345, 3},    // below 4: kept as it is
        {0, -100, 0},
        {20, 0, 20},
    };
    for (const Case& c : cases) {
        TreeWords w;
        w.w1 = c.sum; // only the sum counts
        EXPECT_EQ(treeSize(c.size, w), c.expected) << c.size << " " << c.sum;
    }
    // The oak at (12, 7): its words sum to -3026 + 10076 - 25715 = -18665.
    RandomStreams random;
    EXPECT_EQ(treeSize(25, treeWords(random, 12, 7)), 20);
}

TEST(TreeShape, CactusTakesItsFirstShapeWhenTheSumAnd21IsZero)
{
    RandomStreams random;
    // (8, 5): 30018 - 17028 - 10462 = 2528 = 0b100111100000, AND 21 = 0.
    EXPECT_TRUE(firstCactusShape(treeWords(random, 8, 5)));
    // (12, 7): -18665 AND 21 = 21.
    EXPECT_FALSE(firstCactusShape(treeWords(random, 12, 7)));
    // (40, 24): 5229 AND 21 = 5.
    EXPECT_FALSE(firstCactusShape(treeWords(random, 40, 24)));
}

// ---------------------------------------------------------------------------
// Colours.

TEST(TreeColours, EachComponentMovesByTheWordAnd7Minus4)
{
    struct Case {
        int component, word, expected;
    };
    const Case cases[] = {
        {100, 0, 96},   {100, 7, 103},  {100, 4, 100}, {100, -1, 103}, // -1 AND 7 = 7
        {100, -8, 96},  {100, 13, 101}, // 13 AND 7 = 5
        {2, 0, 0},      {0, 3, 0},      {255, 7, 255}, {253, 7, 255},  {254, 5, 255},
    };
    for (const Case& c : cases)
        EXPECT_EQ(variedComponent(c.component, c.word), c.expected) << c.component << " " << c.word;
}

SchemeBytes schemeWith(int entry, Rgb c)
{
    SchemeBytes scheme{};
    scheme[static_cast<std::size_t>(entry) * 4 + 1] = static_cast<std::uint8_t>(c.r);
    scheme[static_cast<std::size_t>(entry) * 4 + 2] = static_cast<std::uint8_t>(c.g);
    scheme[static_cast<std::size_t>(entry) * 4 + 3] = static_cast<std::uint8_t>(c.b);
    return scheme;
}

TEST(TreeColours, BarkThenLeafFromTheWordsAfterTheFirstThree)
{
    SchemeBytes scheme = schemeWith(65, {80, 64, 48});
    const SchemeBytes leaf = schemeWith(35, {64, 96, 48});
    for (std::size_t i = 35 * 4; i < 36 * 4; ++i) scheme[i] = leaf[i];
    RandomStreams random;
    treeWords(random, 12, 7);
    // Words 4 to 9 of (12, 7): -17531, -27410, -519, 402, 23956, 16956;
    // AND 7 gives 5, 6, 1, 2, 4, 4, so the moves are +1, +2, -3, -2, 0, 0.
    const TreeColours c = treeColours(scheme, 35, random);
    EXPECT_EQ(c.bark.r, 81);
    EXPECT_EQ(c.bark.g, 66);
    EXPECT_EQ(c.bark.b, 45);
    EXPECT_EQ(c.leaf.r, 62);
    EXPECT_EQ(c.leaf.g, 96);
    EXPECT_EQ(c.leaf.b, 48);
}

TEST(TreeColours, StayWithinFourBelowAndThreeAboveTheSchemeAndReachBothEnds)
{
    SchemeBytes scheme{};
    for (std::size_t i = 0; i < scheme.size(); ++i) scheme[i] = 128;
    int least = 0, most = 0;
    for (int row = 0; row < 20; ++row)
        for (int col = 0; col < 20; ++col) {
            RandomStreams random;
            treeWords(random, col, row);
            const TreeColours c = treeColours(scheme, 37, random);
            for (const int v : {c.bark.r, c.bark.g, c.bark.b, c.leaf.r, c.leaf.g, c.leaf.b}) {
                ASSERT_GE(v, 124);
                ASSERT_LE(v, 131);
                least = std::min(least, v - 128), most = std::max(most, v - 128);
            }
        }
    EXPECT_EQ(least, -4);
    EXPECT_EQ(most, 3);
}

// ---------------------------------------------------------------------------
// Levels of the solid builders.

struct LevelsCase {
    int apparent, detail, leafLevel, depth;
};

TEST(TreeLevels, OakDepthAndLeafLevel)
{
    const LevelsCase cases[] = {
        {0, 1, 2, 4},    // depth 1: raised to 4, leaf level 2 x 1
        {17, -1, 0, 4},  // depth -1: leaf level max(0, -2)
        {60, 0, 6, 4},   // 60 mod 18 = 6 -> 3, but depth 3 sets it to 6
        {100, -1, 5, 4}, // 100 mod 18 = 10 -> 5; depth 5 - 1 = 4 stands
        {89, 1, 8, 5},   // 17 -> 8; depth 4 + 1
        {72, 2, 0, 6},   // 0 -> 0; depth 4 + 2
        {125, 1, 8, 7},
        {125, 2, 8, 8},
        {125, 3, 8, 8},  // 9 is cut to 8
        {300, 2, 8, 8},  // a is held to 125
        {-5, 1, 2, 4},   // and to 0
    };
    for (const LevelsCase& c : cases) {
        const BranchLevels l = oakLevels(c.apparent, c.detail);
        EXPECT_EQ(l.leafLevel, c.leafLevel) << c.apparent << " " << c.detail;
        EXPECT_EQ(l.depth, c.depth) << c.apparent << " " << c.detail;
        EXPECT_EQ(l.recursionDepth, c.depth) << c.apparent << " " << c.detail;
    }
}

TEST(TreeLevels, PineAndSecondCactusRaiseTheLeafLevelAndThePineTriplesTheDepth)
{
    struct Case {
        int apparent, detail, leafLevel, depth, pineRecursion;
    };
    const Case cases[] = {
        {125, 1, 8, 7, 21}, // l = 8: 4 + 4
        {90, 0, 4, 5, 15},  // 90 mod 18 = 0: 0 + 4
        {36, 2, 4, 4, 12},  // depth 2 + 2 = 4 stands
        {40, 1, 6, 4, 12},  // l = 2 -> 5, but depth 3 is raised and sets 6
        {110, 1, 4, 7, 21}, // 110 mod 18 = 2: l = 1, trunc(1 / 2) + 4 = 4
    };
    for (const Case& c : cases) {
        const BranchLevels pine = pineLevels(c.apparent, c.detail);
        EXPECT_EQ(pine.leafLevel, c.leafLevel) << c.apparent;
        EXPECT_EQ(pine.depth, c.depth) << c.apparent;
        EXPECT_EQ(pine.recursionDepth, c.pineRecursion) << c.apparent;
        const BranchLevels cactus = secondCactusLevels(c.apparent, c.detail);
        EXPECT_EQ(cactus.leafLevel, c.leafLevel) << c.apparent;
        EXPECT_EQ(cactus.recursionDepth, c.depth) << c.apparent;
    }
}

TEST(TreeLevels, EveryKthLeafIsDrawn)
{
    const int expected[] = {4, 4, 3, 3, 3, 2, 2, 1, 1};
    for (int level = 0; level <= 8; ++level) EXPECT_EQ(leafStride(level), expected[level]) << level;
}

TEST(TreeLevels, AChildIsMissingWhenItsDrawIsAMultipleOf7)
{
    for (const int draw : {0, 7, -7, -14, 126, -126, 119}) EXPECT_TRUE(childMissing(draw)) << draw;
    for (const int draw : {1, -1, 6, -6, 8, 127, -128, 125}) EXPECT_FALSE(childMissing(draw)) << draw;
    // About one child in seven: 37 of the 256 draws -128..127 are multiples of 7.
    int missing = 0;
    for (int draw = -128; draw <= 127; ++draw) missing += childMissing(draw) ? 1 : 0;
    EXPECT_EQ(missing, 37);
}

TEST(TreeLean, ComponentsStayInTheirRanges)
{
    RandomStreams random;
    bool tilted = false;
    for (std::uint32_t seed = 0; seed < 2000; seed += 7) {
        const TreeLean lean = treeLean(random, seed);
        ASSERT_GE(lean.x, -4);
        ASSERT_LE(lean.x, 3);
        ASSERT_GE(lean.y, -4);
        ASSERT_LE(lean.y, 3);
        ASSERT_GE(lean.turn, -16);
        ASSERT_LE(lean.turn, 15);
        tilted = tilted || lean.x != lean.y;
        // The same seed always gives the same lean.
        const TreeLean again = treeLean(random, seed);
        ASSERT_EQ(lean.x, again.x);
        ASSERT_EQ(lean.turn, again.turn);
    }
    EXPECT_TRUE(tilted);
}

TEST(TreeSurface, ObjectRoughnessOffset)
{
    // Seed 0 steps to 12345, whose upper half is 0: r = -range.
    struct Case {
        std::uint32_t seed;
        int range, detail, expected;
    };
    const Case cases[] = {
        {0, 100, 0, -800},  // (-100 << 5) / (1 + 3): detail 0 counts as 1
        {0, 100, 1, -800},
        {0, 100, 5, -400},  // -3200 / 8
        {0, 100, 6, -355},  // -3200 / 9 truncated toward zero
        {0, 0, 1, 0},
        {12345, 0, 3, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(objectRoughness(c.seed, c.range, c.detail), c.expected) << c.seed;
    for (std::uint32_t seed = 1; seed < 5000; seed += 13) {
        const int j = objectRoughness(seed, 100, 1);
        ASSERT_GE(j, -800);
        ASSERT_LT(j, 800);
    }
}

// ---------------------------------------------------------------------------
// Where a tree stands, and whether it can be seen.

TEST(TreePlace, StandsInTheMiddleHalfOfItsCellOnTheGround)
{
    App app;
    testing::makeFlatLandscape(app, 34, 0, ground::kTree1);
    Landscape& land = app.landscape;
    // A plane rising 2 m per column and 3 m per row: the base lies on it.
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = static_cast<std::int16_t>(2 * c + 3 * r);
    for (const auto& [col, row, step] : {std::tuple{12, 7, 1}, std::tuple{8, 5, 2}, std::tuple{20, 24, 4}}) {
        RandomStreams random;
        const TreeWords w = treeWords(random, col, row);
        const Vec3 base = treeBase(land, col, row, step, w);
        const float fx = base.x / land.spacingX - static_cast<float>(col);
        const float fy = base.y / land.spacingY - static_cast<float>(row);
        EXPECT_GE(fx, 0.25f * static_cast<float>(step)) << col;
        EXPECT_LT(fx, 0.75f * static_cast<float>(step)) << col;
        EXPECT_GE(fy, 0.25f * static_cast<float>(step)) << row;
        EXPECT_LT(fy, 0.75f * static_cast<float>(step)) << row;
        EXPECT_NEAR(base.z, 2.0f * base.x / land.spacingX + 3.0f * base.y / land.spacingY, 1e-3f) << col;
    }
}

TEST(TreePlace, BoxInViewOnlyWhenSomePartOfItCanBeSeen)
{
    ViewState view;
    CameraSettings camera; // at the origin, heading 0: looking along +Y, level
    buildViewRotation(view, camera);
    struct Case {
        Vec3 base;
        float reach, below, above;
        bool visible;
    };
    const Case cases[] = {
        {{0, 300, 0}, 10, 0, 20, true},      // straight ahead
        {{0, -300, 0}, 10, 0, 20, false},    // behind
        {{500, 300, 0}, 10, 0, 20, false},   // far to the right, outside the 53-degree view
        {{500, 300, 0}, 400, 0, 20, true},   // the same, but reaching into the view
        {{0, 300, 200}, 10, 0, 20, false},   // high above the view
        {{0, 300, 200}, 10, 300, 20, true},  // hanging down into it
        {{0, 5, 0}, 10, 0, 20, true},        // round the eye
    };
    for (const Case& c : cases)
        EXPECT_EQ(treeBoxInView(view, c.base, c.reach, c.below, c.above), c.visible)
            << c.base.x << "," << c.base.y << "," << c.base.z;
}

// ---------------------------------------------------------------------------
// Trees in a rendered scene.

constexpr int kGround = 57; // Tree 2, ground under trees
constexpr int kTreeCol = 33, kTreeRow = 38;

void applyTreeColours(SceneSettings& scene)
{
    const Rgb leaf[4] = {{48, 120, 40}, {60, 110, 40}, {90, 120, 70}, {40, 80, 50}};
    const Rgb bark[4] = {{110, 80, 50}, {90, 70, 50}, {100, 110, 60}, {80, 60, 45}};
    for (int i = 0; i < 4; ++i) {
        for (const auto& [entry, c] : {std::pair{34 + i, leaf[i]}, std::pair{64 + i, bark[i]}}) {
            scene.colourScheme[static_cast<std::size_t>(entry) * 4 + 1] = static_cast<std::uint8_t>(c.r);
            scene.colourScheme[static_cast<std::size_t>(entry) * 4 + 2] = static_cast<std::uint8_t>(c.g);
            scene.colourScheme[static_cast<std::size_t>(entry) * 4 + 3] = static_cast<std::uint8_t>(c.b);
        }
    }
}

// A flat plane 66 x 66 at 0 with one tree object at (kTreeCol, kTreeRow),
// seen level from 40 m up, 150 m south of the tree's cell, looking north.
void treeScene(Scene& s, int object)
{
    testing::makeFlatLandscape(*s.app, 66, 0, kGround);
    Landscape& land = s.app->landscape;
    land.terrain[kTreeRow][kTreeCol] = ground::withObject(land.terrain[kTreeRow][kTreeCol], object);
    applyTreeColours(s.app->scene);
    TreeSettings& trees = s.app->scene.trees;
    trees.trees = 1;
    CameraSettings& c = s.app->scene.camera;
    c.cameraX = (kTreeCol + 0.5f) * land.spacingX;
    c.cameraY = (kTreeRow + 0.5f) * land.spacingY - 150.0f;
    c.cameraZ = 40.0f;
    c.heading = 0, c.pitch = 0, c.bank = 0;
}

struct ClassCount {
    int pixels = 0;
    int leaf = 0, bark = 0;
    long sumX = 0;
};

ClassCount countTreePixels(const Scene& s, int object)
{
    ClassCount n;
    const ImageBuffers& images = s.canvas->images;
    for (int y = 0; y < s.canvas->geometry.height; ++y)
        for (int x = 0; x < s.canvas->geometry.width; ++x) {
            const int k = pixelClass(images.vidmem24[y][x]);
            const bool leaf = k == object, bark = k == object + 30;
            if (!leaf && !bark) continue;
            ++n.pixels;
            n.leaf += leaf ? 1 : 0;
            n.bark += bark ? 1 : 0;
            n.sumX += x;
        }
    return n;
}

std::vector<std::uint32_t> pixels24(const Scene& s)
{
    std::vector<std::uint32_t> out;
    for (int y = 0; y < s.canvas->geometry.height; ++y)
        for (int x = 0; x < s.canvas->geometry.width; ++x) out.push_back(s.canvas->images.vidmem24[y][x]);
    return out;
}

struct RenderCase {
    const char* name;
    int object;
    bool solid;
    int col, row; // a grid point whose words pick the wanted cactus shape
};

// The cactus at (8, 5) takes the first shape, the one at (12, 7) the second;
// the scene moves its tree there.
constexpr RenderCase kRenderCases[] = {
    {"palm_2d", 34, false, kTreeCol, kTreeRow},   {"oak_2d", 35, false, kTreeCol, kTreeRow},
    {"column_2d", 36, false, 8, 5},               {"stems_2d", 36, false, 12, 7},
    {"pine_2d", 37, false, kTreeCol, kTreeRow},   {"palm_3d", 34, true, kTreeCol, kTreeRow},
    {"oak_3d", 35, true, kTreeCol, kTreeRow},     {"column_3d", 36, true, 8, 5},
    {"stems_3d", 36, true, 12, 7},                {"pine_3d", 37, true, kTreeCol, kTreeRow},
};

void moveTree(Scene& s, int object, int col, int row)
{
    Landscape& land = s.app->landscape;
    land.terrain[kTreeRow][kTreeCol] = ground::withObject(land.terrain[kTreeRow][kTreeCol], 0);
    land.terrain[row][col] = ground::withObject(land.terrain[row][col], object);
    CameraSettings& c = s.app->scene.camera;
    c.cameraX = (col + 0.5f) * land.spacingX;
    c.cameraY = (row + 0.5f) * land.spacingY - 150.0f;
}

TEST(TreeRender, EveryKindDrawsWhereItStandsInBothModes)
{
    for (const RenderCase& rc : kRenderCases) {
        Scene s(320, 240, 320, 320);
        treeScene(s, rc.object);
        moveTree(s, rc.object, rc.col, rc.row);
        s.app->scene.trees.solid = rc.solid ? 1 : 0;
        ASSERT_EQ(s.draw(), 1) << rc.name;
        EXPECT_TRUE(s.canvas->guardIntact()) << rc.name;
        const ClassCount n = countTreePixels(s, rc.object);
        // The tree stands 150 m ahead (w = 75 with focal factor 2), within 7.5 m
        // of the sight line: its middle lies within 16 pixels of column 160;
        // crowns reach out unevenly, so the centroid is allowed 40.
        EXPECT_GT(n.pixels, 40) << rc.name;
        if (n.pixels > 0) {
            EXPECT_NEAR(static_cast<double>(n.sumX) / n.pixels, 160.0, 40.0) << rc.name;
        }
        EXPECT_GT(n.leaf, 0) << rc.name;
        testing::saveScene(*s.canvas, std::string("tree_") + rc.name);
    }
}

TEST(TreeRender, TreesOffDrawNothingAndObjectCodesDrawTheirKinds)
{
    Scene bare(320, 240, 320, 320);
    treeScene(bare, 0);
    ASSERT_EQ(bare.draw(), 1);
    const std::vector<std::uint32_t> empty = pixels24(bare);

    for (const bool solid : {false, true}) {
        Scene off(320, 240, 320, 320);
        treeScene(off, 35);
        off.app->scene.trees.trees = 0;
        off.app->scene.trees.solid = solid ? 1 : 0;
        ASSERT_EQ(off.draw(), 1);
        EXPECT_EQ(countTreePixels(off, 35).pixels, 0);
        EXPECT_EQ(pixels24(off), empty);
    }
    // A ground code left in the object byte draws nothing; a palm planted by
    // hand (60) is the palm of 34; a house (72) stands there.
    const auto drawn = [](int object) {
        Scene scene(320, 240, 320, 320);
        treeScene(scene, object);
        EXPECT_EQ(scene.draw(), 1);
        return pixels24(scene);
    };
    EXPECT_EQ(drawn(57), empty);
    EXPECT_EQ(drawn(60), drawn(34));
    EXPECT_NE(drawn(72), empty);
}

TEST(TreeRender, SolidOakWithoutLeavesShowsOnlyBark)
{
    Scene s(320, 240, 320, 320);
    treeScene(s, 35);
    TreeSettings& trees = s.app->scene.trees;
    trees.solid = 1;
    trees.leaves = {1, 0, 1, 1};
    ASSERT_EQ(s.draw(), 1);
    const ClassCount n = countTreePixels(s, 35);
    EXPECT_EQ(n.leaf, 0);
    EXPECT_GT(n.bark, 10);
}

TEST(TreeRender, ATreeBehindTheCameraSubmitsNothing)
{
    const auto polygons = [](int object, float heading) {
        Scene s(160, 120, 160, 160);
        treeScene(s, object);
        s.app->scene.trees.solid = 1;
        s.app->scene.camera.heading = heading;
        EXPECT_EQ(s.draw(), 1);
        return s.app->raster.framePolygons;
    };
    // Looking south, away from the tree: not one polygon more than the bare plane.
    EXPECT_EQ(polygons(35, 180), polygons(0, 180));
    // Looking north at it: the tree's polygons are there.
    EXPECT_GT(polygons(35, 0), polygons(0, 0) + 10);
}

// The rows and columns the tree's pixels span.
struct Extent {
    int top = 1 << 30, bottom = -1, left = 1 << 30, right = -1;
    int height() const { return bottom - top + 1; }
    int width() const { return right - left + 1; }
};

Extent treeExtent(const Scene& s, int object)
{
    Extent e;
    for (int y = 0; y < s.canvas->geometry.height; ++y)
        for (int x = 0; x < s.canvas->geometry.width; ++x) {
            const int k = pixelClass(s.canvas->images.vidmem24[y][x]);
            if (k != object && k != object + 30) continue;
            e.top = std::min(e.top, y), e.bottom = std::max(e.bottom, y);
            e.left = std::min(e.left, x), e.right = std::max(e.right, x);
        }
    return e;
}

TEST(TreeRender, MoreDetailGivesAFinerOakNotALargerOne)
{
    // 150 m away on a 640-pixel projection the oak is about 100 pixels tall:
    // depth 5 at low detail, 8 at ultra.
    Extent extent[2];
    int polygons[2] = {};
    for (int i = 0; i < 2; ++i) {
        Scene s(640, 480, 640, 640);
        treeScene(s, 35);
        s.app->scene.trees.solid = 1;
        s.app->scene.trees.detail = i == 0 ? -1 : 2;
        ASSERT_EQ(s.draw(), 1);
        extent[i] = treeExtent(s, 35);
        polygons[i] = s.app->raster.framePolygons;
    }
    EXPECT_GT(polygons[1], polygons[0] * 2); // far more branches and leaves...
    // ...in a crown of about the same size.
    EXPECT_NEAR(extent[1].height(), extent[0].height(), extent[0].height() / 4);
    EXPECT_NEAR(extent[1].width(), extent[0].width(), extent[0].width() / 4);
}

TEST(TreeRender, SameFrameTwiceGivesTheSamePixels)
{
    for (const bool solid : {false, true}) {
        const auto render = [solid]() {
            Scene s(320, 240, 320, 320);
            treeScene(s, 35);
            Landscape& land = s.app->landscape;
            // A small wood of every kind around the first tree.
            const int kinds[4] = {34, 35, 36, 37};
            for (int i = 0; i < 12; ++i)
                land.terrain[30 + i][28 + (i * 5) % 11] =
                    ground::withObject(land.terrain[30 + i][28 + (i * 5) % 11], kinds[i % 4]);
            s.app->scene.trees.solid = solid ? 1 : 0;
            s.app->scene.lighting.lightingRoughness = 100;
            EXPECT_EQ(s.draw(), 1);
            return pixels24(s);
        };
        const std::vector<std::uint32_t> first = render();
        EXPECT_EQ(first, render()) << solid;
    }
}

} // namespace
} // namespace kalvenor
