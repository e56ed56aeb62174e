#include "render/terrain_lighting.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kalvenor {

namespace {

constexpr double kTwoOverPi = 0.6366182836771072;
constexpr float kLeastHilite = 0.001f;
constexpr float kSheenExponent = 0.05f;


float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Below this s the hilite s^sharpness x 256 truncates to 0, and the power is
// not worked out. The bound lies a relative 1e-4 under the root 256^(-1/p):
// there s^p is at most (1 - 1e-4) / 256, far below what the float power's
// error of about a unit in the last place could lift to 1/256.
float zeroHiliteBelow(int sharpness)
{
    static const std::array<float, 256> bounds = [] {
        std::array<float, 256> b{}; // sharpness 0: s^0 is 1, never 0
        for (std::size_t p = 1; p < b.size(); ++p)
            b[p] = static_cast<float>(std::pow(1.0 / 256.0, 1.0 / static_cast<double>(p)) * (1.0 - 1e-4));
        return b;
    }();
    return sharpness > 0 && sharpness < 256 ? bounds[static_cast<std::size_t>(sharpness)] : 0.0f;
}

// The degrees of a slope come from tables of the true cosines of whole
// degrees. The float arc cosine lies within a few units in its last place of
// the true one, so only an upward part within a hair (1e-4 degree) of a
// whole degree can come out on the other side of it; for those, and for
// anything outside 0 ... 1, the arc cosine itself is asked.
class SlopeTable {
public:
    SlopeTable()
    {
        constexpr double kHair = 1e-4;
        for (std::size_t j = 0; j < edge_.size(); ++j) {
            const double degrees = static_cast<double>(j);
            edge_[j] = std::cos(degrees / kDegreesPerRadian);
            above_[j] = std::cos((degrees + kHair) / kDegreesPerRadian);
            below_[j] = std::cos((degrees - kHair) / kDegreesPerRadian);
        }
        for (std::size_t b = 0; b < first_.size(); ++b) {
            const double top = static_cast<double>(b + 1) / kBuckets;
            first_[b] = static_cast<std::uint8_t>(std::acos(std::min(top, 1.0)) * kDegreesPerRadian);
        }
    }

    int degrees(float nz) const
    {
        if (!(nz >= 0.0f && nz < 1.0f)) return exact(nz);
        const double z = nz;
        int k = first_[static_cast<std::size_t>(z * kBuckets)]; // at most the slope: the bucket's top is less steep
        while (z <= edge_[static_cast<std::size_t>(k) + 1]) ++k;
        // Strictly between k + hair and k + 1 - hair degrees.
        if (z < above_[static_cast<std::size_t>(k)] && z > below_[static_cast<std::size_t>(k) + 1]) return k;
        return exact(nz);
    }

private:
    static constexpr double kDegreesPerRadian = 57.29577951308232;
    static constexpr int kBuckets = 4096;
    static int exact(float nz) { return static_cast<int>(std::acos(std::min(nz, 1.0f)) * kDegreesPerRadian); }

    std::array<double, 92> edge_{}, above_{}, below_{}; // a face is at most 90 degrees steep
    std::array<std::uint8_t, kBuckets> first_{};
};

} // namespace

int slopeDegrees(float nz)
{
    static const SlopeTable table;
    return table.degrees(nz);
}

Rgb fullValue(Rgb c)
{
    const int top = std::max({c.r, c.g, c.b});
    if (top <= 0) return {255, 255, 255};
    return {c.r * 255 / top, c.g * 255 / top, c.b * 255 / top};
}

void setFrameLight(SurfaceLight& light, const SceneSettings& scene, int lightLevel)
{
    const LightingSettings& lighting = scene.lighting;
    const int contrast = std::clamp(lighting.contrast, 0, 255);
    const Rgb sun = fullValue(schemeColour(scene.colourScheme, kEntrySun));
    const Rgb ambient = fullValue(schemeColour(scene.colourScheme, kEntryAmbient));
    // Integer products: c = contrast / 255 taken exactly, then truncated.
    light.light[0] = sun.r * contrast / 255;
    light.light[1] = sun.g * contrast / 255;
    light.light[2] = sun.b * contrast / 255;
    light.ambient[0] = ambient.r * (255 - contrast) / 255;
    light.ambient[1] = ambient.g * (255 - contrast) / 255;
    light.ambient[2] = ambient.b * (255 - contrast) / 255;
    light.exposureFactor = exposureFactor(lighting.autoExposure != 0, lightLevel, lighting.exposure);
}

void setDrawingStage(SurfaceLight& light, const SchemeBytes& scheme, int hazeEntry)
{
    const Rgb haze = schemeColour(scheme, hazeEntry);
    light.haze[0] = haze.r;
    light.haze[1] = haze.g;
    light.haze[2] = haze.b;
}

float frameHazeWeight(float weight, int haze)
{
    if (haze <= 0) return 0.0f;
    return weight * static_cast<float>(haze) / 25600.0f;
}

int diffuseIntensity(Vec3 n, Vec3 l, bool exaggeration)
{
    float d = dot(n, l);
    if (exaggeration) {
        d = std::max(d, 0.0f);
        d = static_cast<float>(1.0 - std::acos(std::min(static_cast<double>(d), 1.0)) * kTwoOverPi);
    }
    const int i = static_cast<int>(d * 256.0f); // truncated toward zero
    return std::max(i, 0);
}

Hilite phongHilite(Vec3 n, Vec3 l, Vec3 v, const SurfaceAttributes& attributes, bool water)
{
    const float nl = dot(n, l);
    const Vec3 r = {2.0f * nl * n.x - l.x, 2.0f * nl * n.y - l.y, 2.0f * nl * n.z - l.z};
    const float s = std::clamp(dot(r, v), kLeastHilite, 1.0f);
    Hilite h;
    h.value = s < zeroHiliteBelow(attributes.phongSharpness)
                  ? 0
                  : static_cast<int>(std::pow(s, static_cast<float>(attributes.phongSharpness)) * 256.0f);
    h.strength = attributes.phongIntensity;
    if (water) {
        // The sheen: the reflected view ray grazing the horizon lights the water.
        const float s2 = std::max(1.0f - std::max(0.0f, 2.0f * dot(n, v) * n.z - v.z), kLeastHilite);
        const float h2 = std::pow(s2, static_cast<float>(attributes.phongSharpness) * kSheenExponent) * 128.0f;
        if (h2 > static_cast<float>(h.value)) {
            h.value = static_cast<int>(h2);
            h.strength /= 2;
        }
    }
    return h;
}

} // namespace kalvenor
