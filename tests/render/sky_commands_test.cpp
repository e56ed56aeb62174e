#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless_frontend.h"
#include "platform/scripted_frontend.h"
#include "render/sky_commands.h"
#include "terrain/colouring_state.h"
#include "terrain/sun.h"

namespace kalvenor {
namespace {

// The sun setter's world: shading marked as computed at polygon size 1, so
// that an invalidation shows as shadowValidAt moving to sizeX.
struct SunWorld {
    Landscape land;
    LightingSettings lighting;
    ColouringState state;
    SunWorld()
    {
        land.sizeX = 64;
        land.shadowValidAt = 1;
        land.paletteStale = 0;
        recomputeSun(lighting, state.sun);
    }
    bool shadingInvalidated() const { return land.shadowValidAt == 64 && land.paletteStale == 1; }
};

ScriptedFrontend answering(std::optional<std::vector<double>> answer)
{
    ScriptedFrontend ui;
    ui.numbersAnswers.push_back(std::move(answer));
    return ui;
}

TEST(SkyCommands, SunPositionOfferedInUnitsOfItsDistance)
{
    // The start direction, east at 45 degrees: 1.5e11 x (0.70710678, 0, 0.70710678) / 1.5e11.
    SunWorld w;
    ScriptedFrontend ui;
    EXPECT_EQ(setSunPosition(w.land, w.lighting, w.state, ui), 1);
    ASSERT_EQ(ui.questions, std::vector<std::string>{"Set sun position:"});
    ASSERT_EQ(ui.offeredNumbers.size(), 1u);
    ASSERT_EQ(ui.offeredNumbers[0].size(), 3u);
    EXPECT_NEAR(ui.offeredNumbers[0][0], 0.70710678, 1e-6);
    EXPECT_NEAR(ui.offeredNumbers[0][1], 0.0, 1e-6);
    EXPECT_NEAR(ui.offeredNumbers[0][2], 0.70710678, 1e-6);
    // Taken as offered: the sun stays and nothing is recomputed.
    EXPECT_EQ(w.lighting.sunAzimuth, -90.0f);
    EXPECT_EQ(w.lighting.sunDeclination, 45.0f);
    EXPECT_FALSE(w.shadingInvalidated());
}

TEST(SkyCommands, EditedSunPositionSetsTheSunsDirection)
{
    // Azimuth atan2(-x, y), declination atan2(z, |xy|); L = (-sin A cos D, cos A cos D, sin D),
    // the integer vector trunc(256 L), the drawn sun at 1.5e11 L.
    struct Case {
        std::vector<double> answer;
        float azimuth, declination;
        std::array<std::int32_t, 3> integer;
    };
    const Case cases[] = {
        {{0, -1, 0}, 180.0f, 0.0f, {0, -256, 0}},        // due south on the horizon
        {{0, 0, 2}, 0.0f, 90.0f, {0, 0, 256}},           // straight up, whatever the length
        {{-1, 0, 1}, 90.0f, 45.0f, {-181, 0, 181}},      // west, 45 up: 256 x 0.7071 = 181.02
        {{0.5, 0.5, 0}, -45.0f, 0.0f, {181, 181, 0}},    // north-east on the horizon
    };
    for (const Case& c : cases) {
        SunWorld w;
        ScriptedFrontend ui = answering(c.answer);
        EXPECT_EQ(setSunPosition(w.land, w.lighting, w.state, ui), 1);
        EXPECT_NEAR(w.lighting.sunAzimuth, c.azimuth, 1e-4) << c.answer[0] << " " << c.answer[1] << " " << c.answer[2];
        EXPECT_NEAR(w.lighting.sunDeclination, c.declination, 1e-4);
        EXPECT_EQ(w.state.sun.integer, c.integer);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(w.state.sun.position[i], static_cast<double>(c.integer[i]) / 256.0 * 1.5e11, 0.005 * 1.5e11);
        EXPECT_TRUE(w.shadingInvalidated());
    }
}

TEST(SkyCommands, CancelOrNoDirectionLeavesTheSun)
{
    const std::optional<std::vector<double>> answers[] = {std::nullopt, std::vector<double>{0, 0, 0}};
    const int results[] = {-1, 1};
    for (int i = 0; i < 2; ++i) {
        SunWorld w;
        const std::array<float, 3> position = w.state.sun.position;
        ScriptedFrontend ui = answering(answers[i]);
        EXPECT_EQ(setSunPosition(w.land, w.lighting, w.state, ui), results[i]);
        EXPECT_EQ(w.lighting.sunAzimuth, -90.0f);
        EXPECT_EQ(w.lighting.sunDeclination, 45.0f);
        EXPECT_EQ(w.state.sun.position, position);
        EXPECT_FALSE(w.shadingInvalidated());
    }
}

TEST(SkyCommands, MoonPositionInUnitsOfItsDistance)
{
    // The start position (-268700000, 0, 268700000) is offered as (-0.70710526, 0, 0.70710526).
    SunMoonSettings bodies;
    ScriptedFrontend ui = answering(std::vector<double>{1, 0.5, 0});
    EXPECT_EQ(setMoonPosition(bodies, ui), 1);
    ASSERT_EQ(ui.questions, std::vector<std::string>{"Set moon position:"});
    EXPECT_NEAR(ui.offeredNumbers[0][0], -0.70710526, 1e-7);
    EXPECT_NEAR(ui.offeredNumbers[0][2], 0.70710526, 1e-7);
    EXPECT_EQ(bodies.moonX, 380000000.0f);
    EXPECT_EQ(bodies.moonY, 190000000.0f);
    EXPECT_EQ(bodies.moonZ, 0.0f);

    SunMoonSettings kept;
    ScriptedFrontend cancel = answering(std::nullopt);
    EXPECT_EQ(setMoonPosition(kept, cancel), -1);
    EXPECT_EQ(kept.moonX, -268700000.0f);
    EXPECT_EQ(kept.moonZ, 268700000.0f);
}

TEST(SkyCommands, BatchAnswersAreThreeNumbers)
{
    struct Case {
        const char* text;
        bool valid;
        std::vector<double> numbers;
    };
    const Case cases[] = {
        {"0.5 0 1", true, {0.5, 0, 1}},   {"1,2,3", true, {1, 2, 3}},     {" -1 , 2.5e-1 3 ", true, {-1, 0.25, 3}},
        {"1 2", false, {}},               {"1 2 3 4", false, {}},         {"a b c", false, {}},
        {"nan 1 2", false, {}},           {"", false, {}},
    };
    for (const Case& c : cases) {
        const std::optional<std::vector<double>> parsed = parseNumberList(c.text, 3);
        EXPECT_EQ(parsed.has_value(), c.valid) << c.text;
        if (parsed) {
            EXPECT_EQ(*parsed, c.numbers) << c.text;
        }
    }

    // A batch run: the answer given in advance, a cancel, and a bad answer that keeps the offer.
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    HeadlessFrontend ui(sink);
    ui.addAnswer({"Set sun position:", "0 -1 0"});
    ui.addAnswer({"Set moon position:", "cancel"});
    EXPECT_EQ(ui.askNumbers("Set sun position:", {0.7, 0, 0.7}), (std::vector<double>{0, -1, 0}));
    EXPECT_EQ(ui.askNumbers("Set moon position:", {1, 2, 3}), std::nullopt);
    HeadlessFrontend plain(sink);
    plain.addAnswer({"Set sun position:", "north"});
    EXPECT_EQ(plain.askNumbers("Set sun position:", {0.7, 0, 0.7}), (std::vector<double>{0.7, 0, 0.7}));
    std::fclose(sink);
}

} // namespace
} // namespace kalvenor
