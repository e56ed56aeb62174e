// Every setting a render, a generation pass or a file uses, grouped by the
// subsystem that owns it. One SceneSettings lives in the App; panels and
// script keywords change it, session files store it whole, operations read
// the groups they need.
//
// Words that a session file carries for subsystems whose behaviour is built
// elsewhere are kept here too, under the name of their meaning, so that a
// session read and written again keeps them unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>

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
    float focalFactor = 2.0f;      // 1 / tan(FOV / 2)
    std::int32_t focalLength = 32; // 16 x focal factor, truncated
    std::int32_t lensDirection = kLensForward;
    std::int32_t stereoLens = kLensCenter;
    float cameraSeparation = 10.0f; // metres from the centre camera to each eye
    std::int32_t stereoShift = 32;  // pixels
    // Words the session header keeps for the camera panel.
    std::int32_t cameraSetting260 = 0;
    std::int32_t cameraSetting788 = 0;
    std::int32_t cameraSetting796 = 0;
    std::int32_t cameraSetting800 = 0;
};

struct LightingSettings {
    float sunAzimuth = -90.0f;     // degrees
    float sunDeclination = 45.0f;  // degrees
    std::int32_t shadows = 1;
    std::int32_t lightingRoughness = 100;
    std::int32_t exaggeration = 0;
    std::int32_t exposure = 128;
    std::int32_t contrast = 192;
    std::int32_t lightingSetting = 0; // session word 292
};

struct SkySettings {
    std::int32_t sky = 1;
    std::int32_t horizon = 1;
    std::int32_t haze = 100;
};

struct TerrainColourSettings {
    std::int32_t treeLine = 0;  // metres
    std::int32_t snowLine = 0;  // metres
    std::int32_t seaLevel = 0;  // metres
    std::int32_t cliffThreshold = 45;
    std::int32_t cliffs = 1;
    std::int32_t dither = 100; // boundary roughness
};

struct GenerationSettings {
    std::uint32_t seed = 0;
    std::int32_t roughness = 100;
    std::int32_t featureSize = 1; // 1, 2, 4 or 8
    std::int32_t islandMode = 1;
    float verticalScale = 1.0f;
    float verticalScale2 = 1.0f; // the second vertical factor
};

struct WaveSettings {
    std::int32_t source = 0;
    std::int32_t length = 0;
    std::int32_t speed = 0;
    std::int32_t amplitude = 0;
    std::int32_t phase = 0;
};

// Tree kinds are bit values in a class's species byte.
enum TreeKind : std::uint8_t { kTreePalm = 1, kTreeOak = 2, kTreeCactus = 4, kTreePine = 8 };

struct TreeSettings {
    std::int32_t trees = 0;
    std::array<std::int32_t, 4> density = {50, 50, 50, 50};
    std::int32_t palmSize = 35;
    std::int32_t oakSize = 25;
    std::int32_t cactusSize = 20;
    std::int32_t pineSize = 60;
    std::array<std::int32_t, 4> extra = {50, 100, 50, 75}; // four further byte settings
    // Species bytes of the four classes, four bytes each; the first byte of a class holds its kinds.
    std::array<std::array<std::uint8_t, 4>, 4> species = {};
    std::int32_t solid = 0;  // Tree2D = 0, Tree3D = 1
    std::int32_t detail = 0; // -1 low, 0 medium, 1 high, 2 ultra
    std::array<std::uint8_t, 4> leaves = {1, 1, 1, 1};
    std::int32_t texture = 0; // 2 on, 0 off
};

struct CloudSettings {
    std::int32_t clouds = 0;
    std::int32_t density = 40;
    std::int32_t hardness = 50;
    std::int32_t altitude = 4000;
    std::int32_t number = 8; // cloud seed
    std::int32_t texture = 0;
};

struct BoundingBox {
    std::int32_t enabled = 0;
    std::int32_t firstColumn = 0;
    std::int32_t firstRow = 0;
    std::int32_t lastColumn = 0;
    std::int32_t lastRow = 0;
};

struct RenderSettings {
    BoundingBox box;
    std::int32_t blend = 1;
    std::int32_t gouraud = 0;
    std::int32_t pixelDither = 100;
    std::int32_t pixelDitherKind = 2; // 1 ordered, 2 random
    std::int32_t backFaceCulling = 1;
    std::int32_t imageWidth = 320;
    std::int32_t imageHeight = 200;
    std::int32_t imageBits = 8;
    std::int32_t imageSizeMode = 1; // 1 .. 6 for the preset sizes
    std::int32_t displayMode = 2;   // 0 no display, 1 at the end, 2 redraw every redrawSeconds
    std::int32_t redrawSeconds = 5;
    std::int32_t paletteLocked = 0;
    std::int32_t background = 0;
    std::int32_t foreground = 0;
    std::string backgroundFile; // at most 127 characters
    std::string foregroundFile;
};

struct TextureSettings {
    std::int32_t kind = 0;  // 0 off, 1 altitude, 2 shade
    std::int32_t level = 0; // 1 .. 4
    std::int32_t shadeLevel = 1;
    std::int32_t altitudeLevel = 2;
};

struct ScriptSettings {
    std::int32_t saveFrames = 1; // AutoSaveOn / AutoSaveOff
    std::int32_t beep = 0;
    std::int32_t temporary = 100; // internal tuning value
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
    std::array<std::uint8_t, 1024> colourScheme = {};       // 256 entries of 4 bytes
    std::array<std::uint8_t, 1280> surfaceAttributes = {};  // five bytes per scheme entry
};

} // namespace kalvenor
