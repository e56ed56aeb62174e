// The texture map: the ground colours of the terrain map written as a 24-bit
// Targa, one pixel per cell, the first map row at the bottom of the picture.
#pragma once

#include <functional>
#include <string>

#include "codecs/image_io.h"
#include "model/colour_scheme.h"
#include "model/landscape.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

struct TextureMapArea {
    int firstColumn = 0;
    int firstRow = 0;
    int width = 0;
    int height = 0;
};

// With the box on: its corners snapped outwards to multiples of the polygon
// size (the lower corner down, the upper one up), kept inside the grid.
// Otherwise from 0 to the map width and height, each rounded down to a
// multiple of the polygon size.
TextureMapArea textureMapArea(const Landscape& land, const BoundingBox& box);

// Each cell of the area gives the scheme colour of its ground code (the low byte).
ImageStatus saveTextureMap(const Landscape& land, const ColourScheme& scheme, const TextureMapArea& area,
                           const std::string& path, bool compress);

// The menu command: needs vidmem24, asks to calculate the colours when they
// are not current (recalculate colours the whole map at polygon size 1 and
// returns false when aborted). 1, 0 (message shown) or -1 when cancelled.
int commandSaveTextureMap(Frontend& ui, const ImagePlane<std::uint32_t>& vidmem24, const Landscape& land,
                          const ColourScheme& scheme, const BoundingBox& box, bool compress,
                          const std::function<bool()>& recalculate, const std::string& directory);

} // namespace kalvenor
