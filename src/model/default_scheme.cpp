#include "model/default_scheme.h"

#include "model/colour_scheme.h"
#include "model/surface_attributes.h"

namespace kalvenor {

namespace {

struct SchemeColour {
    int first, last; // entries
    std::uint8_t red, green, blue;
};

// Entries the sky and sun tables name keep those colours; the ground colours
// run from dark and green in the valleys to pale on the heights. Entries not
// listed get the scheme's default fill (leaves, bark, houses, clouds, roads...).
constexpr SchemeColour kDefaultColours[] = {
    {25, 26, 192, 192, 192}, // sky haze, haze
    {32, 32, 48, 112, 16},   // horizon: ground beyond the landscape
    {33, 33, 64, 128, 192},  // sky
    {38, 38, 124, 112, 82},  // bare ground, lowest to highest
    {39, 39, 134, 118, 90},
    {40, 40, 142, 128, 104},
    {41, 41, 152, 142, 124},
    {42, 42, 226, 230, 236}, // snow
    {43, 43, 234, 238, 244},
    {44, 44, 242, 244, 248},
    {45, 45, 250, 250, 252},
    {46, 46, 118, 108, 96},  // cliffs, least to most steep
    {47, 47, 106, 98, 88},
    {48, 48, 94, 88, 80},
    {49, 49, 82, 76, 70},
    {50, 50, 206, 190, 142}, // beach
    {51, 51, 36, 72, 132},   // water: flat
    {52, 52, 40, 80, 140},
    {53, 53, 150, 180, 210}, // steep water to waterfalls
    {54, 54, 190, 210, 230},
    {55, 55, 220, 232, 244},
    {56, 56, 52, 100, 40},   // ground under trees, lowest to highest
    {57, 57, 64, 108, 44},
    {58, 58, 78, 112, 50},
    {59, 59, 96, 116, 60},
    {77, 77, 255, 248, 240}, // sun and the light of the scene
    {79, 79, 128, 128, 128}, // moon
};

} // namespace

void installDefaultScheme(SceneSettings& scene)
{
    scene.colourScheme.fill(0);
    for (const SchemeColour& c : kDefaultColours)
        for (int e = c.first; e <= c.last; ++e) {
            const auto at = static_cast<std::size_t>(e) * 4;
            scene.colourScheme[at + 1] = c.red;
            scene.colourScheme[at + 2] = c.green;
            scene.colourScheme[at + 3] = c.blue;
        }
    fillUnsetSchemeEntries(scene.colourScheme);
    scene.surfaceAttributes = defaultSurfaceAttributes();
}

} // namespace kalvenor
