#include "model/setting_limits.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <iterator>
#include <type_traits>

#include "model/path_layout.h"

namespace kalvenor {

namespace {

#define KV_SETTING(member) #member, [](SceneSettings& s) -> SettingPtr { return &s.member; }

constexpr double kAnyInt = 2147483647.0;
constexpr double kAnyUnsigned = 4294967295.0;
constexpr double kAnyFloat = 3.4028234663852886e38;
constexpr double kPlace = kMaxPathCoordinate; // metres from the landscape's origin
constexpr double kTurns = 36000.0;            // degrees: a hundred turns either way
constexpr double kFar = 1.0e6;                // metres
constexpr double kSky = 1.0e10;               // metres, for bodies far beyond the landscape

using enum OutOfRange;

// A flag: zero is off, every other value on.
#define KV_FLAG(member) {KV_SETTING(member), -kAnyInt - 1, kAnyInt}
// A word only carried (statistics, words recomputed before use, seeds): any value.
#define KV_ANY(member) {KV_SETTING(member), -kAnyInt - 1, kAnyInt}

const SettingLimit kLimits[] = {
    // Camera
    {KV_SETTING(camera.cameraX), -kPlace, kPlace},
    {KV_SETTING(camera.cameraY), -kPlace, kPlace},
    {KV_SETTING(camera.cameraZ), -kPlace, kPlace},
    {KV_SETTING(camera.targetX), -kPlace, kPlace},
    {KV_SETTING(camera.targetY), -kPlace, kPlace},
    {KV_SETTING(camera.targetZ), -kPlace, kPlace},
    {KV_SETTING(camera.bank), -kTurns, kTurns},
    {KV_SETTING(camera.heading), -kTurns, kTurns},
    {KV_SETTING(camera.pitch), -kTurns, kTurns},
    KV_FLAG(camera.lockX),
    KV_FLAG(camera.lockY),
    KV_FLAG(camera.lockZ),
    {KV_SETTING(camera.focalFactor), 0.001, 1000.0},
    {KV_SETTING(camera.focalLength), 0, 16000},
    {KV_SETTING(camera.fieldOfView), 1, 179},
    {KV_SETTING(camera.lensDirection), kLensPort, kLensAstern, Reset},
    {KV_SETTING(camera.stereoLens), kLensLeft, kLensRight, Reset},
    {KV_SETTING(camera.cameraSeparation), -kFar, kFar},
    {KV_SETTING(camera.stereoShift), -kLargestImageSide, kLargestImageSide},
    // Sun and lighting
    {KV_SETTING(lighting.sunAzimuth), -kTurns, kTurns},
    {KV_SETTING(lighting.sunDeclination), -kTurns, kTurns},
    KV_FLAG(lighting.shadows),
    {KV_SETTING(lighting.lightingRoughness), 0, 32767},
    KV_FLAG(lighting.exaggeration),
    {KV_SETTING(lighting.exposure), 0, 1023},
    {KV_SETTING(lighting.contrast), 0, 255},
    KV_FLAG(lighting.autoExposure),
    KV_FLAG(lighting.phongHighlights),
    // Sky, sun and moon discs
    KV_FLAG(sky.sky),
    KV_FLAG(sky.horizon),
    {KV_SETTING(sky.haze), 0, 100000},
    {KV_SETTING(sky.sunMoon.moonCounter), -kAnyFloat, kAnyFloat}, // stepped after every frame
    KV_ANY(sky.sunMoon.moonDiscColour),
    {KV_SETTING(sky.sunMoon.moonX), -kSky, kSky},
    {KV_SETTING(sky.sunMoon.moonY), -kSky, kSky},
    {KV_SETTING(sky.sunMoon.moonZ), -kSky, kSky},
    {KV_SETTING(sky.sunMoon.moonRadius), 0.0, kSky},
    {KV_SETTING(sky.sunMoon.moonSize), 0, 1000},
    KV_FLAG(sky.sunMoon.starsAndMoon),
    KV_ANY(sky.sunMoon.sunCounter), // stepped after every frame, wrapping
    KV_ANY(sky.sunMoon.sunDiscColour),
    KV_ANY(sky.sunMoon.sunWords[0]),
    KV_ANY(sky.sunMoon.sunWords[1]),
    KV_ANY(sky.sunMoon.sunWords[2]),
    KV_ANY(sky.sunMoon.sunWords[3]),
    {KV_SETTING(sky.sunMoon.sunSize), 0, 1000},
    KV_ANY(sky.sunMoon.sunWord452),
    // Terrain colouring
    KV_ANY(colouring.treeLine), // metres; scripts may set a line above everything
    KV_ANY(colouring.snowLine),
    {KV_SETTING(colouring.seaLevel), -kFar, kFar},
    {KV_SETTING(colouring.cliffThreshold), -360, 360},
    KV_FLAG(colouring.cliffs),
    {KV_SETTING(colouring.cliffMode), 1, 2, Reset},
    {KV_SETTING(colouring.dither), 0, 100000},
    KV_FLAG(colouring.valleys),
    {KV_SETTING(colouring.valleyStrength), 0, 10000},
    {KV_SETTING(colouring.valleyWidth), 0, kFar},
    {KV_SETTING(colouring.strataThickness), 0, kFar},
    {KV_SETTING(colouring.strataWarp), 0, kFar},
    {KV_SETTING(colouring.strataTiltA), -kTurns, kTurns},
    {KV_SETTING(colouring.strataTiltB), -kTurns, kTurns},
    {KV_SETTING(colouring.strataTilt[0]), -1.0, 1.0},
    {KV_SETTING(colouring.strataTilt[1]), -1.0, 1.0},
    {KV_SETTING(colouring.strataTilt[2]), -1.0, 1.0},
    // Generation
    {KV_SETTING(generation.seed), 0, kAnyUnsigned},
    KV_ANY(generation.roughness), // only its low 16 bits are read
    {KV_SETTING(generation.featureSize), 1, 8, Reset},
    KV_FLAG(generation.islandMode),
    {KV_SETTING(generation.verticalScale), 0.001, 1000.0},
    {KV_SETTING(generation.verticalScale2), 0.001, 1000.0},
    // Waves
    KV_FLAG(waves.enabled),
    {KV_SETTING(waves.source), -kTurns, kTurns},
    {KV_SETTING(waves.length), -kFar, kFar},
    {KV_SETTING(waves.speed), -kFar, kFar},
    {KV_SETTING(waves.amplitude), -kFar, kFar},
    {KV_SETTING(waves.phase), -kFar, kFar},
    // Trees
    KV_FLAG(trees.trees),
    {KV_SETTING(trees.density[0]), 0, 100000},
    {KV_SETTING(trees.density[1]), 0, 100000},
    {KV_SETTING(trees.density[2]), 0, 100000},
    {KV_SETTING(trees.density[3]), 0, 100000},
    {KV_SETTING(trees.palmSize), 0, 10000},
    {KV_SETTING(trees.oakSize), 0, 10000},
    {KV_SETTING(trees.cactusSize), 0, 10000},
    {KV_SETTING(trees.pineSize), 0, 10000},
    {KV_SETTING(trees.kindMask[0]), 0, 15, Reset},
    {KV_SETTING(trees.kindMask[1]), 0, 15, Reset},
    {KV_SETTING(trees.kindMask[2]), 0, 15, Reset},
    {KV_SETTING(trees.kindMask[3]), 0, 15, Reset},
    {KV_SETTING(trees.branchBend[0]), 0, 100},
    {KV_SETTING(trees.branchBend[1]), 0, 100},
    {KV_SETTING(trees.branchBend[2]), 0, 100},
    {KV_SETTING(trees.branchBend[3]), 0, 100},
    KV_FLAG(trees.solid),
    {KV_SETTING(trees.detail), -1, 2},
    KV_FLAG(trees.texture),
    // Clouds
    KV_FLAG(clouds.clouds),
    {KV_SETTING(clouds.density), 0, 100},
    {KV_SETTING(clouds.hardness), 0, 100},
    {KV_SETTING(clouds.altitude), -kFar, kFar},
    KV_ANY(clouds.number), // the cloud seed
    KV_FLAG(clouds.texture),
    KV_ANY(clouds.textureMode),
    {KV_SETTING(clouds.low), -1000, 1000},
    {KV_SETTING(clouds.high), -1000, 1000},
    {KV_SETTING(clouds.lining), 0, 255},
    {KV_SETTING(clouds.sizeDivisor), 1, 64},
    {KV_SETTING(clouds.detailNear), 0, 16},
    {KV_SETTING(clouds.detailFar), 0, 16},
    // Rendering and the image
    KV_FLAG(render.box.enabled),
    {KV_SETTING(render.box.firstColumn), 0, 2049},
    {KV_SETTING(render.box.firstRow), 0, 2049},
    {KV_SETTING(render.box.lastColumn), 0, 2049},
    {KV_SETTING(render.box.lastRow), 0, 2049},
    {KV_SETTING(render.distanceLimit), 0, 100000000},
    KV_FLAG(render.blend),
    KV_FLAG(render.gouraud),
    KV_ANY(render.pixelDither), // an amount, stored as scripts give it
    {KV_SETTING(render.pixelDitherKind), 1, 2, Reset},
    KV_FLAG(render.backFaceCulling),
    KV_FLAG(render.antialias),
    {KV_SETTING(render.antialiasType), 1, 2, Reset},
    KV_FLAG(render.flare),
    {KV_SETTING(render.imageWidth), 1, kLargestImageSide},
    {KV_SETTING(render.imageHeight), 1, kLargestImageSide},
    {KV_SETTING(render.imageBits), 8, 24, Reset},
    {KV_SETTING(render.imageSizeMode), 1, 6, Reset},
    KV_ANY(render.displayModeNumber),
    {KV_SETTING(render.viewWidth), 1, kLargestImageSide},
    {KV_SETTING(render.viewHeight), 1, kLargestImageSide},
    {KV_SETTING(render.displayMode), 0, 2, Reset},
    {KV_SETTING(render.redrawSeconds), 0, 86400},
    KV_ANY(render.screenWord768),
    KV_FLAG(render.trueColourDisplay),
    KV_FLAG(render.paletteLocked),
    KV_FLAG(render.background),
    KV_FLAG(render.foreground),
    KV_FLAG(render.targaCompress),
    {KV_SETTING(render.jpegQuality), 1, 100, Reset},
    {KV_SETTING(render.pngLevel), 0, 9, Reset},
    KV_ANY(render.polygonCount),
    KV_ANY(render.renderStartMillis),
    KV_ANY(render.renderEndMillis),
    // Textures
    {KV_SETTING(texture.kind), 0, 2, Reset},
    {KV_SETTING(texture.level), 0, 4, Reset},
    {KV_SETTING(texture.shadeLevel), 0, 4, Reset},
    {KV_SETTING(texture.altitudeLevel), 0, 4, Reset},
    {KV_SETTING(texture.maxPolygonSize), 0, 32000},
    {KV_SETTING(texture.maxRecursion), 0, 16},
    KV_ANY(texture.shadeWord656),
    KV_ANY(texture.shadeWord660),
    KV_ANY(texture.horizontalDeformation),
    {KV_SETTING(texture.detailLarge), 0, 1000},
    {KV_SETTING(texture.detailSmall), 0, 1000},
    // Scripts
    KV_FLAG(script.saveFrames),
    KV_FLAG(script.beep),
    KV_ANY(script.temporary),
};

#undef KV_ANY
#undef KV_FLAG
#undef KV_SETTING

// The address of the setting inside its record, for matching a field pointer.
const void* addressOf(SettingPtr p)
{
    return std::visit([](auto* q) -> const void* { return q; }, p);
}

bool outside(const SettingLimit& limit, double value) { return !(value >= limit.least && value <= limit.most); }

double valueOf(SettingPtr p)
{
    return std::visit([](auto* q) { return static_cast<double>(*q); }, p);
}

void setValue(SettingPtr p, double value)
{
    std::visit([value](auto* q) { *q = static_cast<std::remove_pointer_t<decltype(q)>>(value); }, p);
}

SceneSettings& writable(const SceneSettings& scene) { return const_cast<SceneSettings&>(scene); } // read through accessors

// The values the program starts with.
const SettingValues& startValues()
{
    static const SettingValues start = settingValues(SceneSettings{});
    return start;
}

std::string rangeText(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

} // namespace

std::span<const SettingLimit> settingLimits() { return kLimits; }

const SettingLimit* limitOf(const SceneSettings& scene, const void* field)
{
    for (const SettingLimit& limit : kLimits)
        if (addressOf(limit.field(writable(scene))) == field) return &limit;
    return nullptr;
}

SettingValues settingValues(const SceneSettings& scene)
{
    SettingValues values;
    values.reserve(std::size(kLimits));
    for (const SettingLimit& limit : kLimits) values.push_back(valueOf(limit.field(writable(scene))));
    return values;
}

int keepWithinLimits(SceneSettings& scene, const SettingValues& before)
{
    const SettingValues& start = startValues();
    int changed = 0;
    for (std::size_t i = 0; i < std::size(kLimits); ++i) {
        const SettingLimit& limit = kLimits[i];
        const SettingPtr field = limit.field(scene);
        const double value = valueOf(field);
        if (!outside(limit, value)) continue;
        const double earlier = i < before.size() ? before[i] : start[i];
        if (std::isnan(value))
            setValue(field, outside(limit, earlier) ? start[i] : earlier);
        else if (limit.repair == Reset)
            setValue(field, start[i]);
        else
            setValue(field, value < limit.least ? limit.least : limit.most);
        ++changed;
    }
    return changed;
}

std::string restoreWithinLimits(SceneSettings& scene, const SettingValues& before)
{
    const SettingValues& start = startValues();
    std::string first;
    for (std::size_t i = 0; i < std::size(kLimits); ++i) {
        const SettingLimit& limit = kLimits[i];
        const SettingPtr field = limit.field(scene);
        if (!outside(limit, valueOf(field))) continue;
        const double earlier = i < before.size() && !outside(limit, before[i]) ? before[i] : start[i];
        setValue(field, earlier);
        if (first.empty())
            first = std::string(limit.name) + " takes values from " + rangeText(limit.least) + " to " +
                    rangeText(limit.most);
    }
    return first;
}

std::string firstSettingOutsideLimits(const SceneSettings& scene)
{
    for (const SettingLimit& limit : kLimits)
        if (outside(limit, valueOf(limit.field(writable(scene))))) return limit.name;
    return {};
}

} // namespace kalvenor
