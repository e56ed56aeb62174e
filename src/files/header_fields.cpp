#include "files/header_fields.h"

#include <cmath>
#include <type_traits>

#include "base/byte_order.h"
#include "model/setting_limits.h"

namespace kalvenor {

namespace {

// A table accessor: the setting that a word carries, reached from the settings record.
#define KV_FIELD(member) [](HeaderSettings& s) -> FieldPtr { return &s.member; }

using enum WordType;

constexpr HeaderWord kSessionWords[] = {
    // Camera
    {236, Float, KV_FIELD(scene.camera.cameraX)},
    {240, Float, KV_FIELD(scene.camera.cameraY)},
    {244, Float, KV_FIELD(scene.camera.cameraZ)},
    {248, Float, KV_FIELD(scene.camera.targetX)},
    {252, Float, KV_FIELD(scene.camera.targetY)},
    {256, Float, KV_FIELD(scene.camera.targetZ)},
    {260, IntAsFloat, KV_FIELD(scene.camera.fieldOfView)},
    {264, Float, KV_FIELD(scene.camera.bank)},
    {268, Float, KV_FIELD(scene.camera.heading)},
    {272, Float, KV_FIELD(scene.camera.pitch)},
    {276, Float, KV_FIELD(scene.camera.focalFactor)},
    {280, Int, KV_FIELD(scene.camera.lockX)},
    {284, Int, KV_FIELD(scene.camera.lockY)},
    {288, Int, KV_FIELD(scene.camera.lockZ)},
    // Sun and lighting
    {292, Int, KV_FIELD(scene.lighting.autoExposure)},
    {296, RoundedInt, KV_FIELD(scene.lighting.sunAzimuth)},
    {300, RoundedInt, KV_FIELD(scene.lighting.sunDeclination)},
    {304, Int, KV_FIELD(scene.lighting.contrast)},
    {308, Int, KV_FIELD(scene.lighting.exposure)},
    {312, Int, KV_FIELD(scene.lighting.exaggeration)},
    {316, Int, KV_FIELD(scene.lighting.shadows)},
    {320, Int, KV_FIELD(scene.lighting.lightingRoughness)},
    // Sky and clouds
    {324, Int, KV_FIELD(scene.sky.sky)},
    {328, Int, KV_FIELD(scene.sky.horizon)},
    {332, Int, KV_FIELD(scene.sky.haze)},
    {336, Int, KV_FIELD(scene.clouds.clouds)},
    {340, Int, KV_FIELD(scene.clouds.number)},
    {344, Int, KV_FIELD(scene.clouds.texture)},
    {348, Int, KV_FIELD(scene.clouds.textureMode)},
    {352, Int, KV_FIELD(scene.clouds.low)},
    {356, Int, KV_FIELD(scene.clouds.high)},
    {360, Int, KV_FIELD(scene.clouds.altitude)},
    {364, Int, KV_FIELD(scene.clouds.density)},
    {368, Int, KV_FIELD(scene.clouds.hardness)},
    {372, Int, KV_FIELD(scene.clouds.lining)},
    {384, Int, KV_FIELD(scene.lighting.phongHighlights)},
    {388, Int, KV_FIELD(scene.render.antialiasType)},
    // Sun and moon discs
    {392, Float, KV_FIELD(scene.sky.sunMoon.moonCounter)},
    {396, Int, KV_FIELD(scene.sky.sunMoon.moonDiscColour)},
    {400, Float, KV_FIELD(scene.sky.sunMoon.moonX)},
    {404, Float, KV_FIELD(scene.sky.sunMoon.moonY)},
    {408, Float, KV_FIELD(scene.sky.sunMoon.moonZ)},
    {412, Float, KV_FIELD(scene.sky.sunMoon.moonRadius)},
    {416, Int, KV_FIELD(scene.sky.sunMoon.moonSize)},
    {420, Int, KV_FIELD(scene.sky.sunMoon.starsAndMoon)},
    {424, Int, KV_FIELD(scene.sky.sunMoon.sunCounter)},
    {428, Int, KV_FIELD(scene.sky.sunMoon.sunDiscColour)},
    {432, Int, KV_FIELD(scene.sky.sunMoon.sunWords[0])},
    {436, Int, KV_FIELD(scene.sky.sunMoon.sunWords[1])},
    {440, Int, KV_FIELD(scene.sky.sunMoon.sunWords[2])},
    {444, Int, KV_FIELD(scene.sky.sunMoon.sunWords[3])},
    {448, Int, KV_FIELD(scene.sky.sunMoon.sunSize)},
    {452, Int, KV_FIELD(scene.sky.sunMoon.sunWord452)},
    // Terrain colouring
    {456, Int, KV_FIELD(scene.colouring.snowLine)},
    {460, Int, KV_FIELD(scene.colouring.treeLine)},
    {464, Int, KV_FIELD(scene.colouring.dither)},
    {468, Int, KV_FIELD(scene.colouring.valleys)},
    {472, Int, KV_FIELD(scene.colouring.valleyStrength)},
    {476, Int, KV_FIELD(scene.colouring.valleyWidth)},
    {480, Int, KV_FIELD(scene.colouring.cliffs)},
    {484, Int, KV_FIELD(scene.colouring.cliffThreshold)},
    {488, Int, KV_FIELD(scene.colouring.cliffMode)},
    {496, Int, KV_FIELD(scene.colouring.strataThickness)},
    {500, Int, KV_FIELD(scene.colouring.strataWarp)},
    {504, Int, KV_FIELD(scene.colouring.strataTiltA)},
    {508, Int, KV_FIELD(scene.colouring.strataTiltB)},
    {512, Int, KV_FIELD(scene.script.temporary)},
    {516, Int, KV_FIELD(scene.colouring.seaLevel)},
    // Waves
    {520, Int, KV_FIELD(scene.waves.source)},
    {524, Int, KV_FIELD(scene.waves.length)},
    {528, Int, KV_FIELD(scene.waves.speed)},
    {532, Int, KV_FIELD(scene.waves.amplitude)},
    {536, RoundedInt, KV_FIELD(scene.waves.phase)},
    {540, Int, KV_FIELD(scene.waves.enabled)},
    // Trees
    {544, Int, KV_FIELD(scene.trees.density[0])},
    {548, Int, KV_FIELD(scene.trees.density[1])},
    {552, Int, KV_FIELD(scene.trees.density[2])},
    {556, Int, KV_FIELD(scene.trees.density[3])},
    {560, Int, KV_FIELD(scene.trees.palmSize)},
    {564, Int, KV_FIELD(scene.trees.oakSize)},
    {568, Int, KV_FIELD(scene.trees.cactusSize)},
    {572, Int, KV_FIELD(scene.trees.pineSize)},
    {576, Int, KV_FIELD(scene.trees.kindMask[0])},
    {580, Int, KV_FIELD(scene.trees.kindMask[1])},
    {584, Int, KV_FIELD(scene.trees.kindMask[2])},
    {588, Int, KV_FIELD(scene.trees.kindMask[3])},
    {592, Byte, KV_FIELD(scene.trees.slots[0][0])},
    {593, Byte, KV_FIELD(scene.trees.slots[0][1])},
    {594, Byte, KV_FIELD(scene.trees.slots[0][2])},
    {595, Byte, KV_FIELD(scene.trees.slots[0][3])},
    {596, Byte, KV_FIELD(scene.trees.slots[1][0])},
    {597, Byte, KV_FIELD(scene.trees.slots[1][1])},
    {598, Byte, KV_FIELD(scene.trees.slots[1][2])},
    {599, Byte, KV_FIELD(scene.trees.slots[1][3])},
    {600, Byte, KV_FIELD(scene.trees.slots[2][0])},
    {601, Byte, KV_FIELD(scene.trees.slots[2][1])},
    {602, Byte, KV_FIELD(scene.trees.slots[2][2])},
    {603, Byte, KV_FIELD(scene.trees.slots[2][3])},
    {604, Byte, KV_FIELD(scene.trees.slots[3][0])},
    {605, Byte, KV_FIELD(scene.trees.slots[3][1])},
    {606, Byte, KV_FIELD(scene.trees.slots[3][2])},
    {607, Byte, KV_FIELD(scene.trees.slots[3][3])},
    {608, Int, KV_FIELD(scene.trees.trees)},
    {620, Int, KV_FIELD(scene.trees.detail)},
    {624, Byte, KV_FIELD(scene.trees.leaves[0])},
    {625, Byte, KV_FIELD(scene.trees.leaves[1])},
    {626, Byte, KV_FIELD(scene.trees.leaves[2])},
    {627, Byte, KV_FIELD(scene.trees.leaves[3])},
    {628, Byte, KV_FIELD(scene.trees.branchBend[0])},
    {629, Byte, KV_FIELD(scene.trees.branchBend[1])},
    {630, Byte, KV_FIELD(scene.trees.branchBend[2])},
    {631, Byte, KV_FIELD(scene.trees.branchBend[3])},
    {632, Int, KV_FIELD(scene.trees.solid)},
    {636, Int, KV_FIELD(scene.trees.texture)},
    // Textures
    {640, Int, KV_FIELD(scene.texture.shadeLevel)},
    {644, Int, KV_FIELD(scene.texture.altitudeLevel)},
    {648, Int, KV_FIELD(scene.texture.maxPolygonSize)},
    {652, Int, KV_FIELD(scene.texture.maxRecursion)},
    {656, Int, KV_FIELD(scene.texture.shadeWord656)},
    {660, Int, KV_FIELD(scene.texture.shadeWord660)},
    {664, Int, KV_FIELD(scene.clouds.sizeDivisor)},
    {668, Int, KV_FIELD(scene.clouds.detailNear)},
    {672, Int, KV_FIELD(scene.clouds.detailFar)},
    // Rendering, generation and image
    {676, Int, KV_FIELD(scene.render.blend)},
    {680, Int, KV_FIELD(scene.render.gouraud)},
    {684, Float, KV_FIELD(scene.generation.verticalScale)},
    {688, Int, KV_FIELD(sizeMode)},
    {692, Int, KV_FIELD(scene.generation.seed)},
    {696, Int, KV_FIELD(scene.generation.roughness)},
    {700, Int, KV_FIELD(scene.generation.featureSize)},
    {704, Int, KV_FIELD(scene.generation.islandMode)},
    {708, Int, KV_FIELD(polygonSize)},
    {712, Int, KV_FIELD(scene.render.paletteLocked)},
    {716, Int, KV_FIELD(scene.render.pixelDither)},
    {720, Int, KV_FIELD(scene.render.pixelDitherKind)},
    {724, Int, KV_FIELD(scene.render.polygonCount)},
    {728, Int, KV_FIELD(scene.render.renderStartMillis)},
    {732, Int, KV_FIELD(scene.render.renderEndMillis)},
    {736, Int, KV_FIELD(scene.render.antialias)},
    {740, Int, KV_FIELD(scene.render.flare)},
    {744, Int, KV_FIELD(scene.render.imageWidth)},
    {748, Int, KV_FIELD(scene.render.imageHeight)},
    {752, Int, KV_FIELD(scene.render.viewWidth)},
    {756, Int, KV_FIELD(scene.render.viewHeight)},
    {760, Int, KV_FIELD(scene.render.imageBits)},
    {764, Int, KV_FIELD(scene.render.displayModeNumber)},
    {768, Int, KV_FIELD(scene.render.screenWord768)},
    {772, Int, KV_FIELD(scene.render.displayMode)},
    {776, Int, KV_FIELD(scene.render.redrawSeconds)},
    {780, Int, KV_FIELD(scene.render.trueColourDisplay)},
    {784, Int, KV_FIELD(scene.camera.stereoLens)},
    {788, Int, KV_FIELD(scene.camera.focalLength)},
    {792, Int, KV_FIELD(scene.camera.lensDirection)},
    {796, RoundedInt, KV_FIELD(scene.camera.cameraSeparation)},
    {800, Int, KV_FIELD(scene.camera.stereoShift)},
    {804, Int, KV_FIELD(scene.script.beep)},
    {808, Int, KV_FIELD(scene.render.backFaceCulling)},
    {812, Int, KV_FIELD(scene.render.box.enabled)},
    {816, Int, KV_FIELD(scene.render.box.firstColumn)},
    {820, Int, KV_FIELD(scene.render.box.firstRow)},
    {824, Int, KV_FIELD(scene.render.box.lastColumn)},
    {828, Int, KV_FIELD(scene.render.box.lastRow)},
    {832, Int, KV_FIELD(scene.render.distanceLimit)},
    {836, Int, KV_FIELD(scene.render.background)},
    {840, Int, KV_FIELD(scene.render.foreground)},
    {852, Int, KV_FIELD(scene.render.targaCompress)},
    {856, Int, KV_FIELD(scene.texture.horizontalDeformation), false},
};

using enum OldConversion;

constexpr OldWord kOldViewWords[] = {
    {188, Plain, KV_FIELD(polygonSize)},
    {192, ToFloat, KV_FIELD(scene.camera.cameraX)},
    {196, ToFloat, KV_FIELD(scene.camera.cameraY)},
    {200, ToFloat, KV_FIELD(scene.camera.cameraZ)},
    {204, ToFloat, KV_FIELD(scene.camera.targetX)},
    {208, ToFloat, KV_FIELD(scene.camera.targetY)},
    {212, ToFloat, KV_FIELD(scene.camera.targetZ)},
    {216, ToFloat, KV_FIELD(scene.camera.bank)},
    {220, Negated, KV_FIELD(scene.camera.heading)},
    {224, ToFloat, KV_FIELD(scene.camera.pitch)},
    {232, Plain, KV_FIELD(scene.colouring.seaLevel)},
    {236, Plain, KV_FIELD(scene.colouring.treeLine)},
    {240, Plain, KV_FIELD(scene.colouring.snowLine)},
    {244, Plain, KV_FIELD(scene.colouring.dither)},
    {248, Plain, KV_FIELD(scene.sky.haze)},
    {256, Plain, KV_FIELD(scene.lighting.shadows)},
    // One stored display word feeds both the render display mode and the redraw mode.
    {260, Plain, KV_FIELD(scene.render.screenWord768)},
    {260, Plain, KV_FIELD(scene.render.displayMode)},
    {264, Plain, KV_FIELD(scene.render.paletteLocked)},
    {272, Plain, KV_FIELD(scene.lighting.lightingRoughness)},
    {276, Plain, KV_FIELD(scene.render.blend)},
    {280, Plain, KV_FIELD(scene.render.gouraud)},
    {284, Plain, KV_FIELD(scene.render.pixelDither)},
    {288, Plain, KV_FIELD(scene.generation.seed)},
    {292, Plain, KV_FIELD(scene.generation.roughness)},
    {296, Plain, KV_FIELD(scene.generation.featureSize)},
    {300, Plain, KV_FIELD(scene.lighting.exaggeration)},
    {304, Azimuth, KV_FIELD(scene.lighting.sunAzimuth)},
    {308, ToFloat, KV_FIELD(scene.lighting.sunDeclination)},
};

constexpr OldWord kOldSceneWords[] = {
    {340, Plain, KV_FIELD(scene.generation.islandMode)},
    {344, Plain, KV_FIELD(scene.render.pixelDitherKind)},
    {348, Plain, KV_FIELD(scene.texture.altitudeLevel)},
    {352, Plain, KV_FIELD(scene.texture.maxPolygonSize)},
    {356, Plain, KV_FIELD(scene.texture.maxRecursion)},
    {360, Plain, KV_FIELD(scene.sky.sky)},
    {364, Plain, KV_FIELD(scene.sky.horizon)},
    {368, Plain, KV_FIELD(scene.trees.trees)},
    {392, Plain, KV_FIELD(scene.render.backFaceCulling)},
    {396, Plain, KV_FIELD(scene.render.box.enabled)},
    {400, Plain, KV_FIELD(scene.render.box.firstColumn)},
    {404, Plain, KV_FIELD(scene.render.box.firstRow)},
    {408, Plain, KV_FIELD(scene.render.box.lastColumn)},
    {412, Plain, KV_FIELD(scene.render.box.lastRow)},
    {416, Plain, KV_FIELD(scene.render.distanceLimit)},
    {420, Plain, KV_FIELD(scene.colouring.cliffThreshold)},
    {424, Plain, KV_FIELD(scene.clouds.clouds)},
    {428, Plain, KV_FIELD(scene.clouds.low)},
    {432, Plain, KV_FIELD(scene.clouds.high)},
    {436, Plain, KV_FIELD(scene.clouds.altitude)},
    {440, Plain, KV_FIELD(scene.clouds.density)},
    {444, Plain, KV_FIELD(scene.clouds.hardness)},
    {456, Plain, KV_FIELD(scene.render.antialias)},
    {460, Plain, KV_FIELD(scene.render.flare)},
    {464, Plain, KV_FIELD(scene.render.imageWidth)},
    {468, Plain, KV_FIELD(scene.render.imageHeight)},
    {472, Plain, KV_FIELD(scene.render.background)},
    {476, Plain, KV_FIELD(scene.render.foreground)},
    {488, Plain, KV_FIELD(scene.texture.shadeLevel)},
    {496, Plain, KV_FIELD(scene.trees.detail)},
    // One leaves byte (the low byte of the converted word) for all four classes.
    {500, Plain, KV_FIELD(scene.trees.leaves[0])},
    {500, Plain, KV_FIELD(scene.trees.leaves[1])},
    {500, Plain, KV_FIELD(scene.trees.leaves[2])},
    {500, Plain, KV_FIELD(scene.trees.leaves[3])},
    {504, Plain, KV_FIELD(scene.trees.solid)},
    {508, Plain, KV_FIELD(scene.trees.texture)},
    {512, Plain, KV_FIELD(scene.clouds.number)},
    {516, Plain, KV_FIELD(scene.clouds.texture)},
    {520, Plain, KV_FIELD(scene.clouds.textureMode)},
};

constexpr OldWord kOldExtendedWords[] = {
    {524, Plain, KV_FIELD(scene.colouring.valleys)},
    {528, Times30, KV_FIELD(scene.colouring.valleyWidth)},
    {532, Plain, KV_FIELD(scene.camera.fieldOfView)},
    {536, Plain, KV_FIELD(scene.render.viewWidth)},
    {540, Plain, KV_FIELD(scene.render.viewHeight)},
    {544, Plain, KV_FIELD(scene.render.imageWidth)},
    {548, Plain, KV_FIELD(scene.render.imageHeight)},
    {564, Plain, KV_FIELD(scene.camera.lensDirection)},
    {568, Plain, KV_FIELD(scene.render.redrawSeconds)},
    {572, Plain, KV_FIELD(scene.camera.lockX)},
    {576, Plain, KV_FIELD(scene.camera.lockY)},
    {580, Plain, KV_FIELD(scene.camera.lockZ)},
    {584, ToFloat, KV_FIELD(scene.camera.cameraSeparation)},
    {588, Plain, KV_FIELD(scene.camera.stereoShift)},
    {592, Plain, KV_FIELD(scene.camera.stereoLens)},
    {596, Plain, KV_FIELD(scene.trees.density[0])},
    {600, Plain, KV_FIELD(scene.trees.density[1])},
    {604, Plain, KV_FIELD(scene.trees.density[2])},
    {608, Plain, KV_FIELD(scene.trees.density[3])},
    {612, Plain, KV_FIELD(scene.trees.palmSize)},
    {616, Plain, KV_FIELD(scene.trees.oakSize)},
    {620, Plain, KV_FIELD(scene.trees.cactusSize)},
    {624, Plain, KV_FIELD(scene.trees.pineSize)},
    {628, Plain, KV_FIELD(scene.trees.kindMask[0])},
    {632, Plain, KV_FIELD(scene.trees.kindMask[1])},
    {636, Plain, KV_FIELD(scene.trees.kindMask[2])},
    {640, Plain, KV_FIELD(scene.trees.kindMask[3])},
    {660, Plain, KV_FIELD(scene.lighting.autoExposure)},
    {664, Plain, KV_FIELD(scene.lighting.phongHighlights)},
    {668, Plain, KV_FIELD(scene.render.displayModeNumber)},
    {672, Plain, KV_FIELD(scene.render.trueColourDisplay)},
    {688, Plain, KV_FIELD(scene.render.targaCompress)},
    {692, Plain, KV_FIELD(sizeMode)},
    {696, Plain, KV_FIELD(scene.texture.shadeWord656)},
    {700, Plain, KV_FIELD(scene.texture.shadeWord660)},
};

#undef KV_FIELD

// Old-format big-endian word ranges, first and last byte; the last range only with flag bit 4.
struct ByteRange {
    std::uint16_t first;
    std::uint16_t last;
};
constexpr ByteRange kOldBigEndianRanges[] = {{128, 383}, {388, 595}, {628, 643}, {660, 695}};
constexpr ByteRange kOldOptionalBigEndianRange = {696, 715};

constexpr std::size_t kOldSpeciesOffset = 644; // 16 bytes, stored as they are
constexpr std::size_t kOldSpacingOffset = 176;
constexpr std::size_t kOldFocalOffset = 228;
constexpr std::size_t kOldVerticalScaleOffset = 268;
constexpr std::size_t kOldFloatAnglesOffset = 704; // bank, heading (negated), pitch

bool inRange(std::size_t offset, ByteRange r) { return offset >= r.first && offset + 3 <= r.last; }

std::uint32_t storedBits(FieldPtr field, WordType type)
{
    return std::visit(
        [type](auto* p) -> std::uint32_t {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, float>) {
                return type == RoundedInt ? static_cast<std::uint32_t>(roundToInt(*p)) : floatBits(*p);
            } else if constexpr (std::is_same_v<T, std::uint8_t>) {
                return *p;
            } else {
                return type == IntAsFloat ? floatBits(static_cast<float>(*p)) : static_cast<std::uint32_t>(*p);
            }
        },
        field);
}

void loadBits(FieldPtr field, WordType type, std::uint32_t bits)
{
    // A float word that is not a number or infinite names no setting: the setting keeps its value.
    if ((type == Float || type == IntAsFloat) && !std::isfinite(bitsFloat(bits))) return;
    std::visit(
        [type, bits](auto* p) {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, float>) {
                *p = type == RoundedInt ? static_cast<float>(static_cast<std::int32_t>(bits)) : bitsFloat(bits);
            } else if constexpr (std::is_same_v<T, std::uint8_t>) {
                *p = static_cast<std::uint8_t>(bits);
            } else {
                *p = static_cast<T>(type == IntAsFloat ? static_cast<std::uint32_t>(roundToInt(bitsFloat(bits))) : bits);
            }
        },
        field);
}

void applyOldWord(const OldWord& word, std::uint32_t bits, HeaderSettings& settings)
{
    const auto value = static_cast<std::int32_t>(bits);
    std::visit(
        [&](auto* p) {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, float>) {
                switch (word.conversion) {
                case Negated: *p = -static_cast<float>(value); break;
                case Azimuth: *p = static_cast<float>(180.0 - static_cast<double>(value)); break;
                default: *p = static_cast<float>(value); break;
                }
            } else if constexpr (std::is_same_v<T, std::uint8_t>) {
                *p = static_cast<std::uint8_t>(bits);
            } else {
                // Times30 wraps like the 32-bit word it rebuilds.
                *p = static_cast<T>(word.conversion == Times30 ? bits * 30u : bits);
            }
        },
        word.field(settings));
}

void applyOldTable(std::span<const OldWord> table, const std::uint8_t* header, std::uint32_t flags,
                   HeaderSettings& settings)
{
    for (const OldWord& word : table) applyOldWord(word, oldWord(header, word.offset, flags), settings);
}

// The view block's three spacings; a value below 1.0 (or not a number) takes its default.
void applyOldSpacings(const std::uint8_t* header, std::uint32_t flags, HeaderSettings& settings)
{
    static constexpr float kDefaults[] = {30.0f, 30.0f, 1.0f};
    float* targets[] = {&settings.spacingX, &settings.spacingY, &settings.verticalSpacing};
    for (int i = 0; i < 3; ++i) {
        *targets[i] = storedSpacing(bitsFloat(oldWord(header, kOldSpacingOffset + 4 * static_cast<std::size_t>(i), flags)),
                                    kDefaults[i]);
    }
    settings.hasSpacing = true;
}

void applyOldView(const std::uint8_t* header, std::uint32_t flags, HeaderSettings& settings)
{
    applyOldSpacings(header, flags, settings);
    applyOldTable(kOldViewWords, header, flags, settings);
    CameraSettings& camera = settings.scene.camera;
    const auto focal = static_cast<std::int32_t>(oldWord(header, kOldFocalOffset, flags));
    camera.focalLength = focal;
    camera.focalFactor = static_cast<float>(focal) * 0.0625f;
    const float scale = bitsFloat(oldWord(header, kOldVerticalScaleOffset, flags));
    settings.scene.generation.verticalScale = scale;
    settings.scene.generation.verticalScale2 = scale;
}

void applyOldExtended(const std::uint8_t* header, std::uint32_t flags, HeaderSettings& settings)
{
    applyOldTable(kOldExtendedWords, header, flags, settings);
    auto& slots = settings.scene.trees.slots;
    for (std::size_t i = 0; i < 16; ++i) slots[i / 4][i % 4] = header[kOldSpeciesOffset + i];
    // Float angles that replace the whole degrees of the view block.
    CameraSettings& camera = settings.scene.camera;
    camera.bank = bitsFloat(oldWord(header, kOldFloatAnglesOffset, flags));
    camera.heading = -bitsFloat(oldWord(header, kOldFloatAnglesOffset + 4, flags));
    camera.pitch = bitsFloat(oldWord(header, kOldFloatAnglesOffset + 8, flags));
}

} // namespace

std::span<const HeaderWord> sessionHeaderWords() { return kSessionWords; }
std::span<const OldWord> oldViewWords() { return kOldViewWords; }
std::span<const OldWord> oldSceneWords() { return kOldSceneWords; }
std::span<const OldWord> oldExtendedWords() { return kOldExtendedWords; }

std::int32_t roundToInt(double value)
{
    if (std::isnan(value)) return 0;
    if (value <= -2147483648.0) return INT32_MIN;
    if (value >= 2147483647.0) return INT32_MAX;
    return static_cast<std::int32_t>(std::lround(value));
}

void storeSessionWords(const HeaderSettings& settings, std::uint8_t* header)
{
    // The accessors hand out writable pointers for loading; storing only reads through them.
    auto& source = const_cast<HeaderSettings&>(settings);
    for (const HeaderWord& word : kSessionWords) {
        const std::uint32_t bits = storedBits(word.field(source), word.type);
        if (word.type == Byte)
            header[word.offset] = static_cast<std::uint8_t>(bits);
        else
            put32le(header + word.offset, bits);
    }
}

void loadSessionWords(const std::uint8_t* header, HeaderSettings& settings)
{
    const SettingValues before = settingValues(settings.scene);
    for (const HeaderWord& word : kSessionWords) {
        if (!word.read) continue;
        const std::uint32_t bits = word.type == Byte ? header[word.offset] : get32le(header + word.offset);
        loadBits(word.field(settings), word.type, bits);
    }
    // One stored vertical scale feeds both vertical factors.
    settings.scene.generation.verticalScale2 = settings.scene.generation.verticalScale;
    keepWithinLimits(settings.scene, before);
}

bool oldWordIsBigEndian(std::size_t offset, std::uint32_t flags)
{
    for (const ByteRange& r : kOldBigEndianRanges)
        if (inRange(offset, r)) return true;
    return (flags & kOldFlagHighWordsBigEndian) != 0 && inRange(offset, kOldOptionalBigEndianRange);
}

std::uint32_t oldWord(const std::uint8_t* header, std::size_t offset, std::uint32_t flags)
{
    return oldWordIsBigEndian(offset, flags) ? get32be(header + offset) : get32le(header + offset);
}

float storedSpacing(float value, float fallback)
{
    return std::isfinite(value) && value >= 1.0f && value <= kMaxSpacing ? value : fallback;
}

bool applyOldBlocks(const std::uint8_t* header, std::uint32_t flags, HeaderSettings& settings)
{
    const SettingValues before = settingValues(settings.scene);
    if (flags & kOldFlagView) applyOldView(header, flags, settings);
    if (flags & kOldFlagScene) applyOldTable(kOldSceneWords, header, flags, settings);
    if (flags & kOldFlagExtended) applyOldExtended(header, flags, settings);
    keepWithinLimits(settings.scene, before);
    return (flags & (kOldFlagView | kOldFlagScene | kOldFlagExtended)) != 0;
}

} // namespace kalvenor
