// A session from someone else may hold any bit pattern in any settings word.
// Every word of the header, set in turn to values that are not numbers,
// infinite, or at the ends of its type, must load and render a small frame
// with trees and clouds without a fault (the sanitizers watch every float
// converted to an integer) and leave every setting within its limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "app/render_driver.h"
#include "base/byte_order.h"
#include "files/header_fields.h"
#include "files/session_file.h"
#include "model/setting_limits.h"
#include "script/keyword_table.h"
#include "script_fixture.h"
#include "shell/startup.h"

namespace kalvenor {
namespace {

std::vector<std::uint32_t> hostileBits(WordType type)
{
    const auto bits = [](float f) { return floatBits(f); };
    switch (type) {
    case WordType::Float:
    case WordType::IntAsFloat:
        return {bits(std::numeric_limits<float>::quiet_NaN()), bits(std::numeric_limits<float>::infinity()),
                bits(-std::numeric_limits<float>::infinity()), bits(std::numeric_limits<float>::max()),
                bits(-3.0e9f)};
    case WordType::Byte: return {255, 128};
    default: return {0x80000000u, 0x7FFFFFFFu, 0xFFFFFFFFu};
    }
}

class HostileSession : public ScriptTest, public ::testing::WithParamInterface<int> {
protected:
    std::vector<char> original;

    void SetUp() override
    {
        ScriptTest::SetUp();
        const std::string session = (dir / "base.k4s").string();
        for (const char* line : {"GenerateFractal 5", "PolygonSize4", "SeaLevel 10 0", "ImageSize 24 16", "TreeOn", "Tree3D",
                                 "TreeDensity 200", "CloudOn", "CloudNumber 3", "ShadowsOn", "AntialiasOn",
                                 "CameraXYZ 500 3800 900", "TargetXYZ 4000 3800 200"})
            ASSERT_EQ(run(line), LineResult::Done) << line;
        ASSERT_EQ(run("SaveSession " + session), LineResult::Done);
        std::ifstream in(session, std::ios::binary);
        original.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_GT(original.size(), kSessionHeaderBytes);
    }

    // Loads the session with one word replaced into a fresh program and renders it.
    void loadAndRender(const HeaderWord& word, std::uint32_t bits)
    {
        std::vector<char> bytes = original;
        auto* at = reinterpret_cast<std::uint8_t*>(bytes.data()) + word.offset;
        if (word.type == WordType::Byte)
            *at = static_cast<std::uint8_t>(bits);
        else
            put32le(at, bits);
        const std::string path = (dir / "hostile.k4s").string();
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::ssize(bytes));

        App fresh;
        ScriptedFrontend freshUi;
        initialiseApp(fresh, freshUi);
        const auto loaded = loadStartupLandscape(fresh, freshUi, path, dir.string());
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(*loaded, Loaded::WithSettings);
        EXPECT_EQ(firstSettingOutsideLimits(fresh.scene), "");
        const Outcome rendered = renderImage(fresh, freshUi);
        EXPECT_TRUE(rendered == Outcome::Done || rendered == Outcome::Failed);
    }
};

constexpr int kShards = 8;

// The settings words, then the file's own words of placement and spacing.
std::vector<HeaderWord> everyWord()
{
    const auto settings = sessionHeaderWords();
    std::vector<HeaderWord> words(settings.begin(), settings.end());
    const auto none = [](HeaderSettings&) -> FieldPtr { return static_cast<std::int32_t*>(nullptr); };
    for (const std::size_t offset : {kSessionUtmXOffset, kSessionUtmYOffset, kSessionUtmExtraOffset})
        words.push_back({static_cast<std::uint16_t>(offset), WordType::Int, none});
    for (const std::size_t offset : {kSessionSpacingXOffset, kSessionSpacingYOffset, kSessionVerticalSpacingOffset})
        words.push_back({static_cast<std::uint16_t>(offset), WordType::Float, none});
    return words;
}

TEST_P(HostileSession, EveryWordWithHostileValuesLoadsAndRenders)
{
    const std::vector<HeaderWord> words = everyWord();
    for (std::size_t i = static_cast<std::size_t>(GetParam()); i < words.size(); i += kShards) {
        if (!words[i].read) continue;
        for (const std::uint32_t bits : hostileBits(words[i].type)) {
            SCOPED_TRACE("word at " + std::to_string(words[i].offset) + " = " + std::to_string(bits));
            loadAndRender(words[i], bits);
            if (HasFatalFailure()) return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, HostileSession, ::testing::Range(0, kShards));

// The renderer itself takes any value of any setting, whatever let it in:
// each setting set straight to the ends of its type renders or is refused,
// never a fault.
class HostileSettings : public HostileSession {};

void setHostile(SettingPtr field, double value)
{
    std::visit(
        [value](auto* p) {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, float>)
                *p = static_cast<float>(value);
            else
                *p = static_cast<T>(std::clamp(value, static_cast<double>(std::numeric_limits<T>::min()),
                                               static_cast<double>(std::numeric_limits<T>::max())));
        },
        field);
}

TEST_P(HostileSettings, EverySettingAtTheEndsOfItsTypeRenders)
{
    const std::string session = (dir / "base.k4s").string();
    const auto limits = settingLimits();
    constexpr double kValues[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), 2147483647.0, -2147483648.0};
    for (std::size_t i = static_cast<std::size_t>(GetParam()); i < limits.size(); i += kShards) {
        App fresh;
        ScriptedFrontend freshUi;
        initialiseApp(fresh, freshUi);
        ASSERT_EQ(loadStartupLandscape(fresh, freshUi, session, dir.string()), Loaded::WithSettings);
        const SceneSettings start = fresh.scene;
        for (const double value : kValues) {
            if (std::isnan(value) && !std::holds_alternative<float*>(limits[i].field(fresh.scene))) continue;
            SCOPED_TRACE(std::string(limits[i].name) + " = " + std::to_string(value));
            fresh.scene = start;
            setHostile(limits[i].field(fresh.scene), value);
            applyScriptMarks(fresh.landscape, kMarkAll);
            const bool within = firstSettingOutsideLimits(fresh.scene).empty();
            const std::size_t reports = freshUi.reports.size();
            const Outcome rendered = renderImage(fresh, freshUi);
            EXPECT_TRUE(rendered == Outcome::Done || rendered == Outcome::Failed);
            EXPECT_EQ(firstSettingOutsideLimits(fresh.scene), "");
            EXPECT_EQ(freshUi.reports.size(), reports + (within ? 0 : 1)); // said when anything was brought within
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, HostileSettings, ::testing::Range(0, kShards));

} // namespace
} // namespace kalvenor
