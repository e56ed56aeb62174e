// Every colouring and shading input makes the next render recompute what
// depends on it, and nothing more.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "terrain/colouring_common.h"
#include "terrain/colouring_fixture.h"
#include "terrain/colouring_inputs.h"
#include "terrain/invalidation.h"
#include "terrain/terrain_preparation.h"

namespace kalvenor {
namespace {

using testing_colour::flatLandscape;
using testing_colour::makeLandscape;

struct World {
    Landscape land = flatLandscape(16, 0);
    SceneSettings scene;
    ColouringState state;
    RandomStreams random;

    // Everything computed at polygon size 1, palette fresh.
    void markComputed()
    {
        land.terrainValidAt = land.cliffValidAt = land.shadowValidAt = 1;
        land.paletteStale = 0;
    }
    std::uint8_t invalidated() const
    {
        std::uint8_t what = 0;
        if (land.terrainValidAt != 1) what |= kGroundCodes;
        if (land.cliffValidAt != 1) what |= kCliffCodes;
        if (land.shadowValidAt != 1) what |= kShades;
        if (land.paletteStale) what |= kPalette;
        return what;
    }
};

struct SetterCase {
    const char* what;
    std::function<void(World&)> change;
    std::uint8_t expected;
};

TEST(Invalidation, EachSetterInvalidatesWhatDependsOnIt)
{
    constexpr std::uint8_t colours = kGroundCodes | kCliffCodes;
    const SetterCase cases[] = {
        {"tree line", [](World& w) { setTreeLine(w.land, w.scene.colouring, 77); }, colours | kPalette},
        {"snow line", [](World& w) { setSnowLine(w.land, w.scene.colouring, 777); }, colours | kPalette},
        {"dither", [](World& w) { setBoundaryRoughness(w.land, w.scene.colouring, 5); }, colours | kPalette},
        {"valley off", [](World& w) { setValleyEffect(w.land, w.scene.colouring, false); }, colours | kPalette},
        {"valley width", [](World& w) { setValleyWidth(w.land, w.scene.colouring, 300); }, colours | kPalette},
        {"cliff threshold", [](World& w) { setCliffThreshold(w.land, w.scene.colouring, 50); }, colours | kPalette},
        {"cliffs off", [](World& w) { setCliffs(w.land, w.scene.colouring, w.state, w.random, false); },
         colours | kPalette},
        {"stratified", [](World& w) { setStratified(w.land, w.scene.colouring, w.state, w.random, true); },
         kCliffCodes | kPalette},
        {"strata thickness while by slope", [](World& w) { setStrataThickness(w.land, w.scene.colouring, 9); }, 0},
        {"tree density", [](World& w) { setTreeDensity(w.land, w.scene.trees, 2, 90); }, colours},
        {"mean density", [](World& w) { applyMeanTreeDensity(w.land, w.scene.trees, 90); }, colours},
        {"tree kinds", [](World& w) { setTreeKinds(w.land, w.scene.trees, 0, kTreePine); }, colours},
        {"mean size", [](World& w) { applyMeanTreeSize(w.scene.trees, 90); }, 0},
        {"sun", [](World& w) { setSun(w.land, w.scene.lighting, w.state, 10.0f, 30.0f); }, kShades | kPalette},
        {"sun preset N", [](World& w) { applySunPreset(w.land, w.scene.lighting, w.state, 1064); }, kShades | kPalette},
        {"shadows off", [](World& w) { setShadows(w.land, w.scene.lighting, false); }, kShades},
        {"exaggeration", [](World& w) { setExaggeration(w.land, w.scene.lighting, true); }, kShades},
        {"lighting roughness", [](World& w) { setLightingRoughness(w.land, w.scene.lighting, 0); }, kShades},
        {"contrast 192 to 100", [](World& w) { setContrast(w.land, w.scene.lighting, 100); }, kPalette},
        {"contrast to 0", [](World& w) { setContrast(w.land, w.scene.lighting, 0); }, kShades | kPalette},
        {"exposure", [](World& w) { setExposure(w.land, w.scene.lighting, 140); }, kPalette},
        {"polygon size", [](World& w) { setPolygonSize(w.land, 4); }, 0},
        // Unchanged values change nothing.
        {"same tree line", [](World& w) { setTreeLine(w.land, w.scene.colouring, w.scene.colouring.treeLine); }, 0},
        {"same sun", [](World& w) { setSun(w.land, w.scene.lighting, w.state, -90.0f, 45.0f); }, 0},
        {"cliffs on again", [](World& w) { setCliffs(w.land, w.scene.colouring, w.state, w.random, true); }, 0},
    };
    for (const SetterCase& c : cases) {
        World w;
        w.markComputed();
        c.change(w);
        EXPECT_EQ(w.invalidated(), c.expected) << c.what;
    }
}

TEST(Invalidation, CliffsBackOnRerunOnlyTheCliffPass)
{
    World w;
    setCliffs(w.land, w.scene.colouring, w.state, w.random, false);
    w.land.terrainValidAt = 1; // a render without cliffs ran the colour pass only
    w.land.paletteStale = 0;
    setCliffs(w.land, w.scene.colouring, w.state, w.random, true);
    EXPECT_EQ(w.land.terrainValidAt, 1);
    EXPECT_EQ(w.land.cliffValidAt, 16);
    // Switching cliffs on rebuilds the strata table, which reseeds every stream.
    EXPECT_EQ(w.random.c, 1324354u);
}

TEST(Invalidation, SunRecomputesTheLightAtOnce)
{
    World w;
    setSun(w.land, w.scene.lighting, w.state, 90.0f, 45.0f);
    EXPECT_EQ(w.state.sun.integer, (std::array<std::int32_t, 3>{-181, 0, 181}));
    EXPECT_EQ(applySunPreset(w.land, w.scene.lighting, w.state, 1065), 1);
    EXPECT_EQ(w.scene.lighting.sunAzimuth, 180.0f);
    EXPECT_EQ(w.scene.lighting.sunDeclination, 45.0f);
    EXPECT_EQ(w.state.sun.integer, (std::array<std::int32_t, 3>{0, -181, 181}));
    EXPECT_EQ(applySunPreset(w.land, w.scene.lighting, w.state, 1070), 0);
}

// Counts the passes a preparation runs by the progress labels they show.
struct PassLog {
    int colour = 0, cliffs = 0, shade = 0;
};
PassLog prepare(World& w)
{
    ScriptedFrontend ui;
    EXPECT_EQ(prepareTerrain(w.land, w.scene, w.state, w.random, ui), 1);
    PassLog log;
    for (const std::string& line : ui.progressLines) {
        log.colour += line.rfind("Color:", 0) == 0;
        log.cliffs += line.rfind("Cliffs:", 0) == 0;
        log.shade += line.rfind("Shade:", 0) == 0;
    }
    return log;
}

TEST(Invalidation, RendersRecomputeExactlyWhatWasInvalidated)
{
    World w;
    w.land = makeLandscape(16, 16, [](int c, int r) { return 40 * r + c; });
    w.scene.colouring.treeLine = 200;
    w.scene.colouring.snowLine = 500;

    PassLog log = prepare(w);
    EXPECT_TRUE(log.colour && log.cliffs && log.shade);

    w.land.polygonSize = 8; // coarser: everything reused
    log = prepare(w);
    EXPECT_FALSE(log.colour || log.cliffs || log.shade);
    w.land.polygonSize = 1;

    setTreeLine(w.land, w.scene.colouring, 250);
    log = prepare(w);
    EXPECT_TRUE(log.colour && log.cliffs);
    EXPECT_FALSE(log.shade);

    setLightingRoughness(w.land, w.scene.lighting, 30);
    log = prepare(w);
    EXPECT_FALSE(log.colour || log.cliffs);
    EXPECT_TRUE(log.shade);

    setStratified(w.land, w.scene.colouring, w.state, w.random, true);
    log = prepare(w);
    EXPECT_FALSE(log.colour || log.shade);
    EXPECT_TRUE(log.cliffs);

    inputChanged(w.land, ColouringInput::Elevations);
    log = prepare(w);
    EXPECT_TRUE(log.colour && log.cliffs && log.shade);
}

TEST(Invalidation, TableNamesEveryInput)
{
    for (const Invalidation& row : kInvalidations) {
        EXPECT_EQ(&invalidationOf(row.input), &row);
        EXPECT_FALSE(row.name.empty());
    }
}

} // namespace
} // namespace kalvenor
