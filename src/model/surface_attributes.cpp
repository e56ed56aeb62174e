#include "model/surface_attributes.h"

namespace kalvenor {

namespace {

constexpr std::size_t kAttributeBytesPerEntry = 5;

// Rows of the default attribute table that differ from the common one.
struct AttributeDefault {
    int first, last; // scheme entries
    std::uint8_t intensity, sharpness, flareIntensity, flareRadius;
};

constexpr std::uint8_t kCommonIntensity = 50, kCommonSharpness = 20, kFullRoughness = 100;

constexpr AttributeDefault kAttributeDefaults[] = {
    {kEntryHorizon, kEntryHorizon, 0, 0, 0, 0},
    {50, 50, 100, 100, 0, 0},   // beach
    {51, 52, 175, 100, 0, 0},   // flat water
    {53, 53, 75, 75, 0, 0},     // whitewater
    {54, 54, 0, 0, 80, 5},      // waterfalls glow instead of shining
    {55, 55, 0, 0, 80, 10},
    {64, 67, 75, 5, 0, 0},      // bark
    {68, 75, 75, 20, 0, 0},     // houses and the ground under them
    {kEntrySun, kEntrySun, 0, 0, 80, 10},
    {88, 91, 50, 20, 0, 0},     // roads
};

} // namespace

AttributeBytes defaultSurfaceAttributes()
{
    AttributeBytes table{};
    const auto setRow = [&](int entry, std::uint8_t i, std::uint8_t s, std::uint8_t fi, std::uint8_t fr) {
        const std::size_t at = static_cast<std::size_t>(entry) * kAttributeBytesPerEntry;
        table[at] = i, table[at + 1] = s, table[at + 2] = fi, table[at + 3] = fr, table[at + 4] = kFullRoughness;
    };
    for (int entry = 0; entry < 256; ++entry) setRow(entry, kCommonIntensity, kCommonSharpness, 0, 0);
    for (const AttributeDefault& d : kAttributeDefaults)
        for (int entry = d.first; entry <= d.last; ++entry)
            setRow(entry, d.intensity, d.sharpness, d.flareIntensity, d.flareRadius);
    return table;
}

} // namespace kalvenor
