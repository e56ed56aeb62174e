// The landscape as PCX pictures: elevations by palette index or grey level,
// and the ground colours of the terrain map as a picture of terrain types.
// The pictures show the grid with its last row at the top, so the file's row
// k is grid row height - 1 - k both ways.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "codecs/pcx.h"
#include "model/colour_scheme.h"
#include "model/landscape.h"

namespace kalvenor {

class Frontend;

enum class ElevationPcxMode { Index = 1, Grey = 2 };
enum class GroundPcxMode { TerrainType = 1, Colours = 2 };

// Base and interval of the elevation pictures, remembered between commands
// (asked again only when Shift is held).
struct ElevationPcxSettings {
    int base = 0;
    int interval = 10;
};

// The 16 x 16 ramp of the index picture: entry 16 g + s is hue 168 - 11 g (of
// 256) at saturation 192 and brightness 96 + 8 s.
PcxPalette indexRampPalette();

// The palette of an elevation picture: the ramp with entry 0 black and entry
// 255 carrying the interval (red its low byte, green and blue its high byte),
// or the grey ramp.
PcxPalette elevationPalette(ElevationPcxMode mode, int interval);

// The picture index of one terrain cell (low byte the ground code, high byte the object byte).
std::uint8_t groundColourIndex(std::uint16_t cell);
// The terrain cell after a Terrain Type pixel: the inverse of groundColourIndex where one exists.
std::uint16_t applyTerrainTypePixel(std::uint16_t cell, std::uint8_t pixel);
// The palette of a ground-colour picture.
PcxPalette groundColourPalette();

// The pixel of an elevation: (e - base) / interval truncated toward zero, clamped to 0..255.
std::uint8_t elevationPixel(int elevation, int base, int interval);

// Saves and loads. An interval below 0 counts as 1; an interval of 0 is
// refused with BadArgument before anything is read or written. Loading
// returns the PCX reader statuses and changes nothing when the header is refused.
ImageStatus saveElevationsPcx(const Landscape& land, const std::string& path, ElevationPcxMode mode, int base,
                              int interval);
ImageStatus decodeElevationsPcx(std::span<const std::uint8_t> file, Landscape& land, ElevationPcxMode mode, int base,
                                int interval);
ImageStatus loadElevationsPcx(const std::string& path, Landscape& land, ElevationPcxMode mode, int base,
                              int interval);

ImageStatus saveGroundColoursPcx(const Landscape& land, const std::string& path);
// Colours mode installs the file's palette entries 128..255 as scheme entries
// 128..255 and gives each cell the index of the scheme entry nearest to its
// pixel's colour.
ImageStatus decodeGroundColoursPcx(std::span<const std::uint8_t> file, Landscape& land, ColourScheme& scheme,
                                   GroundPcxMode mode);
ImageStatus loadGroundColoursPcx(const std::string& path, Landscape& land, ColourScheme& scheme, GroundPcxMode mode);

// The 8-bit image as ground colours, as a picture loaded by
// loadGroundColoursPcx would give them: grid row rows - 1 - y takes image row
// y x image height / rows, cell x the pixel x x image width / columns; the
// Colours mode matches the display palette. NoBuffer when there is no image.
ImageStatus viewAsGroundColours(const ImagePlane<std::uint8_t>& image, const DisplayPalette& display, Landscape& land,
                                ColourScheme& scheme, GroundPcxMode mode);

// True when every cell carries a current ground colour (computed at polygon
// size 1, or taken from a file).
bool groundColoursCurrent(const Landscape& land);

inline constexpr const char* kZeroInterval = "Elevation interval may not be 0.";
inline constexpr const char* kNeedColours = "Need to calculate colors first!";

// Menu commands: 1, 0 (message shown), or -1 when cancelled. shiftHeld asks
// base and interval; recalculate colours the whole map at polygon size 1 and
// returns false when aborted.
int commandSaveElevationsPcx(Frontend& ui, const Landscape& land, ElevationPcxSettings& settings, bool shiftHeld,
                             const std::string& directory);
int commandLoadElevationsPcx(Frontend& ui, Landscape& land, ElevationPcxSettings& settings, bool shiftHeld,
                             const std::string& directory);
int commandSaveGroundColoursPcx(Frontend& ui, const Landscape& land, const std::function<bool()>& recalculate,
                                const std::string& directory);
int commandLoadGroundColoursPcx(Frontend& ui, Landscape& land, ColourScheme& scheme, const std::string& directory);
// View as ground colours: the question of the loaded picture, then the image.
int commandViewAsGroundColours(Frontend& ui, const ImagePlane<std::uint8_t>& image, const DisplayPalette& display,
                               Landscape& land, ColourScheme& scheme);

} // namespace kalvenor
