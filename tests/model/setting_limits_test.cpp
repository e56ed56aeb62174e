#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "model/landscape.h"
#include "model/scene_reset.h"
#include "model/setting_limits.h"

namespace kalvenor {
namespace {

// The settings as the program starts them, and as a new landscape resets them,
// lie within their limits: nothing the program sets itself is ever refused.
TEST(SettingLimits, StartAndResetSettingsLieWithinThem)
{
    EXPECT_EQ(firstSettingOutsideLimits(SceneSettings{}), "");
    Landscape land;
    SceneSettings scene;
    resetScene(land, scene);
    EXPECT_EQ(firstSettingOutsideLimits(scene), "");
    for (const SettingLimit& limit : settingLimits()) EXPECT_LE(limit.least, limit.most) << limit.name;
}

// After a file is read: numbers go to the nearest end, a choice that names
// nothing goes back to its start value, a float that is not a number keeps
// the value it had before the file (or its start value when that was no good).
TEST(SettingLimits, LoadsAreBroughtWithinByTheTablesRule)
{
    SceneSettings before;
    before.camera.heading = 20.0f;
    before.camera.pitch = std::numeric_limits<float>::quiet_NaN();
    const SettingValues earlier = settingValues(before);

    SceneSettings s = before;
    s.camera.cameraX = -5.0e9f;                                    // clamp
    s.camera.heading = std::numeric_limits<float>::quiet_NaN();    // the value before
    s.camera.pitch = std::numeric_limits<float>::quiet_NaN();      // the start value: before was no good either
    s.camera.fieldOfView = 0;                                      // clamp
    s.render.pixelDitherKind = 3;                                  // reset
    s.sky.haze = 250000;                                           // clamp
    s.trees.branchBend[1] = 200;                                   // clamp, in a byte
    s.generation.seed = 4294967295u;                               // any seed is a seed
    EXPECT_EQ(keepWithinLimits(s, earlier), 7);
    EXPECT_EQ(s.camera.cameraX, -1.0e7f);
    EXPECT_EQ(s.camera.heading, 20.0f);
    EXPECT_EQ(s.camera.pitch, SceneSettings{}.camera.pitch);
    EXPECT_EQ(s.camera.fieldOfView, 1);
    EXPECT_EQ(s.render.pixelDitherKind, SceneSettings{}.render.pixelDitherKind);
    EXPECT_EQ(s.sky.haze, 100000);
    EXPECT_EQ(s.trees.branchBend[1], 100);
    EXPECT_EQ(s.generation.seed, 4294967295u);
    EXPECT_EQ(firstSettingOutsideLimits(s), "");
}

// After a script line: what left the limits takes back its value, and the
// first of them is named with its range.
TEST(SettingLimits, ALineThatLeavesThemIsTakenBack)
{
    SceneSettings s;
    s.sky.haze = 40;
    const SettingValues before = settingValues(s);
    s.sky.haze = -3;
    s.clouds.density = 101;
    s.camera.bank = 12.5f; // within: kept
    EXPECT_EQ(restoreWithinLimits(s, before), "sky.haze takes values from 0 to 100000");
    EXPECT_EQ(s.sky.haze, 40);
    EXPECT_EQ(s.clouds.density, SceneSettings{}.clouds.density);
    EXPECT_EQ(s.camera.bank, 12.5f);
    EXPECT_EQ(restoreWithinLimits(s, before), "");
}

TEST(SettingLimits, LimitOfFindsTheSettingByItsAddress)
{
    SceneSettings s;
    const SettingLimit* haze = limitOf(s, &s.sky.haze);
    ASSERT_NE(haze, nullptr);
    EXPECT_STREQ(haze->name, "sky.haze");
    EXPECT_EQ(limitOf(s, &s.colourScheme), nullptr);
}

// The reference page lists every limited setting with the same range.
TEST(SettingLimits, EverySettingIsInTheReferencePage)
{
    std::ifstream in(std::string(KALVENOR_SOURCE_DIR) + "/docs/setting-limits.md");
    ASSERT_TRUE(in) << "docs/setting-limits.md";
    const std::string page((std::istreambuf_iterator<char>(in)), {});
    // "1 000 000" is read as 1000000; "any" is the whole range of the setting's type.
    const auto number = [](std::string text) {
        std::erase(text, ' ');
        return text == "any" ? std::numeric_limits<double>::quiet_NaN() : std::stod(text);
    };
    for (const SettingLimit& limit : settingLimits()) {
        const std::string key = "| `" + std::string(limit.name) + "` |";
        const std::size_t at = page.find(key);
        ASSERT_NE(at, std::string::npos) << limit.name;
        const std::size_t second = page.find('|', at + key.size());
        const std::size_t third = page.find('|', second + 1);
        const double least = number(page.substr(at + key.size(), second - at - key.size()));
        const double most = number(page.substr(second + 1, third - second - 1));
        if (std::isnan(least)) {
            EXPECT_LE(limit.least, -2147483648.0) << limit.name;
            EXPECT_GE(limit.most, 2147483647.0) << limit.name;
        } else {
            EXPECT_NEAR(least, limit.least, std::fabs(limit.least) * 1e-4) << limit.name;
            EXPECT_NEAR(most, limit.most, std::fabs(limit.most) * 1e-4) << limit.name;
        }
    }
}

} // namespace
} // namespace kalvenor
