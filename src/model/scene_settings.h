// Every setting a render, a generation pass or a file uses, grouped by the
// subsystem that owns it. One SceneSettings lives in the App; panels and
// script keywords change it, session files store it whole, operations read
// the groups they need.
//
// Some words are carried for subsystems whose behaviour is built elsewhere
// (sun and moon discs, render statistics, cloud detail...). They keep their
// start values and travel through session files unchanged, so a session read
// and written again keeps them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvenor {

// Control ids of the camera panel's lens buttons, stored as the setting itself.
enum LensId : std::int32_t {
    kLensLeft = 1224,
    kLensCenter = 1225,
    kLensRight = 1226,
    kLensPort = 1227,
    kLensForward = 1228,
    kLensStarboard = 1229,
    kLensAstern = 1230,
};

struct CameraSettings {
    float cameraX = 0.0f, cameraY = 0.0f, cameraZ = 0.0f;
    float targetX = 0.0f, targetY = 0.0f, targetZ = 0.0f;
    float bank = 0.0f;    // degrees
    float heading = 0.0f; // degrees
    float pitch = 0.0f;   // degrees, positive looks up
    std::int32_t lockX = 0, lockY = 0, lockZ = 0;
    float focalFactor = 2.0f;       // 1 / tan(FOV / 2)
    std::int32_t focalLength = 32;  // 16 x focal factor, truncated
    std::int32_t fieldOfView = 53;  // whole degrees, as last set; 2 atan(1 / focal factor) at start
    std::int32_t lensDirection = kLensForward;
    std::int32_t stereoLens = kLensCenter;
    float cameraSeparation = 10.0f; // metres from the centre camera to each eye
    std::int32_t stereoShift = 32;  // pixels

    bool operator==(const CameraSettings&) const = default;
};

struct LightingSettings {
    float sunAzimuth = -90.0f;    // degrees
    float sunDeclination = 45.0f; // degrees
    std::int32_t shadows = 1;
    std::int32_t lightingRoughness = 100;
    std::int32_t exaggeration = 0;
    std::int32_t exposure = 128;
    std::int32_t contrast = 192;
    std::int32_t autoExposure = 1;
    std::int32_t phongHighlights = 1;

    bool operator==(const LightingSettings&) const = default;
};

// The sun and moon discs drawn in the sky.
struct SunMoonSettings {
    float moonCounter = 0.0f;         // stepped after every frame
    std::int32_t moonDiscColour = 0;  // derived from the moon colour
    float moonX = -268700000.0f, moonY = 0.0f, moonZ = 268700000.0f;
    float moonRadius = 17280000.0f;
    std::int32_t moonSize = 10;
    std::int32_t starsAndMoon = 0;
    std::int32_t sunCounter = 0;
    std::int32_t sunDiscColour = 0;   // derived from the sun colour
    std::array<std::int32_t, 4> sunWords = {}; // disc placement words, recomputed from the sun direction
    std::int32_t sunSize = 10;        // 0 = no sun
    std::int32_t sunWord452 = 0;

    bool operator==(const SunMoonSettings&) const = default;
};

struct SkySettings {
    std::int32_t sky = 1;
    std::int32_t horizon = 1;
    std::int32_t haze = 100;
    SunMoonSettings sunMoon;

    bool operator==(const SkySettings&) const = default;
};

struct TerrainColourSettings {
    std::int32_t treeLine = 0; // metres
    std::int32_t snowLine = 0; // metres
    std::int32_t seaLevel = 0; // metres
    std::int32_t cliffThreshold = 45;
    std::int32_t cliffs = 1;
    std::int32_t cliffMode = 1; // 1 by slope, 2 stratified
    std::int32_t dither = 100;  // boundary roughness
    std::int32_t valleys = 1;
    std::int32_t valleyStrength = 100;
    std::int32_t valleyWidth = 200; // metres
    std::int32_t strataThickness = 20;
    std::int32_t strataWarp = 100;
    std::int32_t strataTiltA = 0;
    std::int32_t strataTiltB = 0;
    // Stacking direction of the strata (x, y, z); the default stacks horizontal layers.
    std::array<float, 3> strataTilt = {0.0f, 0.0f, 1.0f};

    bool operator==(const TerrainColourSettings&) const = default;
};

struct GenerationSettings {
    std::uint32_t seed = 0;
    std::int32_t roughness = 100;
    std::int32_t featureSize = 1; // 1, 2, 4 or 8
    std::int32_t islandMode = 1;
    float verticalScale = 1.0f;
    float verticalScale2 = 1.0f; // the second vertical factor

    bool operator==(const GenerationSettings&) const = default;
};

struct WaveSettings {
    std::int32_t enabled = 1;
    std::int32_t source = 45; // degrees
    std::int32_t length = 10;
    std::int32_t speed = 25;
    std::int32_t amplitude = 10;
    // Percent of a cycle. Kept exactly as frames step it on (100 / speed each),
    // so a speed that does not divide 100 keeps its pace; files and scripts
    // carry whole percent.
    float phase = 0.0f;

    bool operator==(const WaveSettings&) const = default;
};

// Tree kinds are bit values in a band's kind mask.
enum TreeKind : std::uint8_t { kTreePalm = 1, kTreeOak = 2, kTreeCactus = 4, kTreePine = 8 };

struct TreeSettings {
    std::int32_t trees = 0;
    std::array<std::int32_t, 4> density = {50, 50, 50, 50};
    std::int32_t palmSize = 35;
    std::int32_t oakSize = 25;
    std::int32_t cactusSize = 20;
    std::int32_t pineSize = 60;
    std::array<std::int32_t, 4> kindMask = {0, 0, 0, 0}; // kinds that grow in each band Tree1..Tree4
    // Slot tables of the four bands, four kind flags each, derived from the masks before a render.
    std::array<std::array<std::uint8_t, 4>, 4> slots = {};
    std::array<std::uint8_t, 4> branchBend = {50, 100, 50, 75}; // palm, oak, cactus, pine
    std::int32_t solid = 0;  // Tree2D = 0, Tree3D = 1
    std::int32_t detail = 1; // -1 low, 0 medium, 1 high, 2 ultra
    std::array<std::uint8_t, 4> leaves = {1, 1, 1, 1};
    std::int32_t texture = 0; // 2 on, 0 off

    bool operator==(const TreeSettings&) const = default;
};

struct CloudSettings {
    std::int32_t clouds = 0;
    std::int32_t density = 40;
    std::int32_t hardness = 50;
    std::int32_t altitude = 4000;
    std::int32_t number = 8; // cloud seed
    std::int32_t texture = 0;
    std::int32_t textureMode = 0;
    std::int32_t low = 128;  // derived from density and hardness
    std::int32_t high = 178; // derived from density and hardness
    std::int32_t lining = 20;
    std::int32_t sizeDivisor = 8;
    std::int32_t detailNear = 6;
    std::int32_t detailFar = 11;
    std::vector<std::uint8_t> pattern = std::vector<std::uint8_t>(256 * 256); // 256 rows of 256 bytes
    std::array<std::uint8_t, 1024> colours = {};

    bool operator==(const CloudSettings&) const = default;
};

struct BoundingBox {
    std::int32_t enabled = 0;
    std::int32_t firstColumn = 0;
    std::int32_t firstRow = 0;
    std::int32_t lastColumn = 0;
    std::int32_t lastRow = 0;

    bool operator==(const BoundingBox&) const = default;
};

struct RenderSettings {
    BoundingBox box;
    std::int32_t distanceLimit = 0; // 0 = none
    std::int32_t blend = 1;
    std::int32_t gouraud = 0;
    std::int32_t pixelDither = 100;
    std::int32_t pixelDitherKind = 2; // 1 ordered, 2 random
    std::int32_t backFaceCulling = 1;
    std::int32_t antialias = 1;
    std::int32_t antialiasType = 1;
    std::int32_t flare = 1;
    std::int32_t imageWidth = 320;
    std::int32_t imageHeight = 200;
    std::int32_t imageBits = 8;
    std::int32_t imageSizeMode = 1;    // 1 .. 6 for the preset sizes
    std::int32_t displayModeNumber = 0x13; // the display mode as sessions name it
    std::int32_t viewWidth = 320;      // render window
    std::int32_t viewHeight = 200;
    std::int32_t displayMode = 2;      // 0 no display, 1 at the end, 2 redraw every redrawSeconds
    std::int32_t redrawSeconds = 5;
    std::int32_t screenWord768 = 0;
    std::int32_t trueColourDisplay = 0;
    std::int32_t paletteLocked = 0;
    std::int32_t background = 0;
    std::int32_t foreground = 0;
    std::string backgroundFile; // at most 127 characters
    std::string foregroundFile;
    std::int32_t targaCompress = 0;
    std::int32_t jpegQuality = 90;
    std::int32_t pngLevel = 2; // zlib level of PNG files written: 0 .. 3 fast, up to 9 smallest
    // Statistics of the last render.
    std::int32_t polygonCount = 0;
    std::int32_t renderStartMillis = 0;
    std::int32_t renderEndMillis = 0;

    bool operator==(const RenderSettings&) const = default;
};

struct TextureSettings {
    std::int32_t kind = 0;  // 0 off, 1 altitude, 2 shade
    std::int32_t level = 0; // 1 .. 4
    std::int32_t shadeLevel = 1;
    std::int32_t altitudeLevel = 2;
    std::int32_t maxPolygonSize = 15; // derived from the altitude level
    std::int32_t maxRecursion = 6;    // derived from the altitude level
    std::int32_t shadeWord656 = 0;    // derived from the shade level
    std::int32_t shadeWord660 = 0;
    std::int32_t horizontalDeformation = 0;
    // The fractal detail of subdivided near terrain, in percent of its amplitude:
    // the first subdivision (large scale) and all deeper ones (small scale).
    std::int32_t detailLarge = 100;
    std::int32_t detailSmall = 100;

    bool operator==(const TextureSettings&) const = default;
};

struct ScriptSettings {
    std::int32_t saveFrames = 1; // AutoSaveOn / AutoSaveOff
    std::int32_t beep = 0;
    std::int32_t temporary = 100; // internal tuning value

    bool operator==(const ScriptSettings&) const = default;
};

struct SceneSettings {
    CameraSettings camera;
    LightingSettings lighting;
    SkySettings sky;
    TerrainColourSettings colouring;
    GenerationSettings generation;
    WaveSettings waves;
    TreeSettings trees;
    CloudSettings clouds;
    RenderSettings render;
    TextureSettings texture;
    ScriptSettings script;
    std::array<std::uint8_t, 1024> colourScheme = {};      // 256 entries of 4 bytes: 0, red, green, blue
    std::array<std::uint8_t, 1280> surfaceAttributes = {}; // five bytes per scheme entry

    bool operator==(const SceneSettings&) const = default;
};

} // namespace kalvenor
