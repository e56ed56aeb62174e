#include "files/texture_map.h"

#include <algorithm>

#include "base/file_requests.h"
#include "base/frontend.h"
#include "codecs/targa.h"
#include "files/landscape_pcx.h"

namespace kalvenor {

namespace {

constexpr int kMaxTextureMapSide = 8192; // cells in one row of the row buffer

int roundDown(int v, int step) { return v / step * step; }            // v >= 0: truncation is the floor
int roundUp(int v, int step) { return (v + step - 1) / step * step; } // v >= 0

} // namespace

TextureMapArea textureMapArea(const Landscape& land, const BoundingBox& box)
{
    const int g = std::max(1, static_cast<int>(land.polygonSize));
    if (!box.enabled) return {0, 0, roundDown(std::max(0, land.sizeX), g), roundDown(std::max(0, land.sizeY), g)};
    const int gridWidth = land.terrain.width, gridHeight = land.terrain.height;
    const int x0 = roundDown(std::clamp(std::min(box.firstColumn, box.lastColumn), 0, gridWidth), g);
    const int y0 = roundDown(std::clamp(std::min(box.firstRow, box.lastRow), 0, gridHeight), g);
    const int x1 = std::min(roundUp(std::clamp(std::max(box.firstColumn, box.lastColumn), 0, gridWidth), g), gridWidth);
    const int y1 = std::min(roundUp(std::clamp(std::max(box.firstRow, box.lastRow), 0, gridHeight), g), gridHeight);
    return {x0, y0, x1 - x0, y1 - y0};
}

ImageStatus saveTextureMap(const Landscape& land, const ColourScheme& scheme, const TextureMapArea& area,
                           const std::string& path, bool compress)
{
    if (!land.terrain.allocated()) return ImageStatus::NoBuffer;
    if (area.width <= 0 || area.height <= 0 || area.width > kMaxTextureMapSide || area.firstColumn < 0 ||
        area.firstRow < 0 || area.firstColumn + area.width > land.terrain.width ||
        area.firstRow + area.height > land.terrain.height)
        return ImageStatus::BadArgument;
    return writeTarga(path, area.width, area.height, compress, [&](int i, std::span<std::uint32_t> row) {
        const std::uint16_t* cells = land.terrain[area.firstRow + i] + area.firstColumn;
        for (std::size_t x = 0; x < row.size(); ++x) {
            const std::size_t at = kSchemeEntryBytes * (cells[x] & 0xFF);
            row[x] = packPixel(scheme[at + 1], scheme[at + 2], scheme[at + 3]);
        }
    });
}

int commandSaveTextureMap(Frontend& ui, const ImagePlane<std::uint32_t>& vidmem24, const Landscape& land,
                          const ColourScheme& scheme, const BoundingBox& box, bool compress,
                          const std::function<bool()>& recalculate, const std::string& directory)
{
    if (!vidmem24.allocated()) {
        ui.message(kNeeds24Bit);
        return 0;
    }
    if (!groundColoursCurrent(land)) {
        if (!ui.ask(kNeedColours, "OK", "Quit")) return -1;
        if (!recalculate()) return -1;
    }
    const auto path = askSavePath(ui, "Save Texture Map (Targa)", directory, "*.TGA", ".TGA");
    if (!path) return -1;
    ui.status("Save Texture Map");
    if (saveTextureMap(land, scheme, textureMapArea(land, box), *path, compress) == ImageStatus::Ok) return 1;
    ui.message(fileMessage(kErrorWritingFile, *path));
    return 0;
}

} // namespace kalvenor
