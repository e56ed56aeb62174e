// What each input of terrain colouring and shading invalidates, in one table.
//
// The ground codes, the cliff codes, the shades and the 8-bit palette are all
// computed lazily before a render. Whenever one of their inputs changes, the
// code that changed it reports the input here, and the next render recomputes
// exactly the derived results listed for that input. Nothing else writes the
// validity markers on behalf of an input.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "model/landscape.h"

namespace kalvenor {

// The derived results, as bits.
enum DerivedResult : std::uint8_t {
    kGroundCodes = 1, // colour pass with tree placement: terrainValidAt
    kCliffCodes = 2,  // cliff pass: cliffValidAt
    kShades = 4,      // shade pass: shadowValidAt
    kPalette = 8,     // colour prediction: paletteStale
};

enum class ColouringInput : std::uint8_t {
    Elevations,        // any edit, load or generation of elevations
    Spacing,           // metres per cell
    LandscapeSeed,     // the seed the passes reseed with
    TreeLine,
    SnowLine,
    BoundaryRoughness, // Dither
    Valley,            // valley effect switch, width, strength
    CliffThreshold,
    CliffsOff,
    CliffsOn,
    CliffColouring,    // by slope or stratified, and the strata while stratified
    TreeDensity,       // band densities, mean density
    TreeKinds,         // the kind mask of a band
    TreeSize,          // kind sizes, mean size
    Sun,
    Shadows,
    Exaggeration,
    LightingRoughness,
    ShadingSwitch,     // contrast to or from 0, which turns shading off and on
    Contrast,          // any other contrast change
    Exposure,
    PolygonSize,
};

struct Invalidation {
    ColouringInput input;
    std::string_view name;
    std::uint8_t invalidates; // DerivedResult bits
};

// Every input with what it invalidates. Reasons that are not obvious:
// - the colour pass rewrites every code, cliff codes included, so whatever
//   reclassifies ground codes also reruns the cliff pass;
// - the palette is predicted from a sample of the ground codes and from lit
//   colours, which depend on contrast and exposure and, through auto exposure, on
//   the light level the shade pass derives from the sun;
// - trees are placed at the end of the colour pass, so their densities and kinds
//   rerun it (the codes come out the same, so the palette stays);
// - switching cliffs on only adds cliff codes to fresh ground codes; switching
//   them off must bring the ground codes back;
// - the stratified colours replace cliff codes at the same points, so only the
//   cliff pass reruns;
// - contrast enters shading only through "0 turns shading off";
// - sizes are read when trees are drawn, and a coarser or finer polygon size is
//   handled by the validity markers themselves: neither invalidates anything.
inline constexpr Invalidation kInvalidations[] = {
    {ColouringInput::Elevations, "elevations", kGroundCodes | kCliffCodes | kShades | kPalette},
    {ColouringInput::Spacing, "spacing", kGroundCodes | kCliffCodes | kShades | kPalette},
    {ColouringInput::LandscapeSeed, "landscape seed", kGroundCodes | kCliffCodes | kShades | kPalette},
    {ColouringInput::TreeLine, "tree line", kGroundCodes | kCliffCodes | kPalette},
    {ColouringInput::SnowLine, "snow line", kGroundCodes | kCliffCodes | kPalette},
    {ColouringInput::BoundaryRoughness, "boundary roughness", kGroundCodes | kCliffCodes | kPalette},
    {ColouringInput::Valley, "valley effect", kGroundCodes | kCliffCodes | kPalette},
    {ColouringInput::CliffThreshold, "cliff threshold", kGroundCodes | kCliffCodes | kPalette},
    {ColouringInput::CliffsOff, "cliffs off", kGroundCodes | kCliffCodes | kPalette},
    {ColouringInput::CliffsOn, "cliffs on", kCliffCodes | kPalette},
    {ColouringInput::CliffColouring, "cliff colouring", kCliffCodes | kPalette},
    {ColouringInput::TreeDensity, "tree density", kGroundCodes | kCliffCodes},
    {ColouringInput::TreeKinds, "tree kinds", kGroundCodes | kCliffCodes},
    {ColouringInput::TreeSize, "tree size", 0},
    {ColouringInput::Sun, "sun", kShades | kPalette},
    {ColouringInput::Shadows, "shadows", kShades},
    {ColouringInput::Exaggeration, "exaggeration", kShades},
    {ColouringInput::LightingRoughness, "lighting roughness", kShades},
    {ColouringInput::ShadingSwitch, "shading switch", kShades | kPalette},
    {ColouringInput::Contrast, "contrast", kPalette},
    {ColouringInput::Exposure, "exposure", kPalette},
    {ColouringInput::PolygonSize, "polygon size", 0},
};

// The table row of an input.
const Invalidation& invalidationOf(ColouringInput input);

// Marks what the input invalidates: the validity markers become sizeX ("not
// computed"), the palette is marked stale.
void inputChanged(Landscape& land, ColouringInput input);

} // namespace kalvenor
