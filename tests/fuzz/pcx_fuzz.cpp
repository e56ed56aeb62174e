// PCX files as hostile input: the picture reader, and the elevation and
// ground-colour readers that share its header and rows.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "codecs/pcx.h"
#include "files/landscape_pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvenor;
    const std::span<const std::uint8_t> file(data, size);
    static ImagePlane<std::uint8_t> vidmem8;
    if (!vidmem8.allocated()) vidmem8.allocate(64, 48);
    DisplayPalette palette;
    PcxHeader header;
    (void)decodePcxImage(file, vidmem8, {64, 48}, palette, header);

    static Landscape land;
    if (!land.elevation.allocated()) allocateGrid(land, 40, 30);
    static auto scheme = std::make_unique<ColourScheme>();
    (void)decodeElevationsPcx(file, land, ElevationPcxMode::Grey, -100, 7);
    (void)decodeGroundColoursPcx(file, land, *scheme, GroundPcxMode::Colours);
    (void)decodeGroundColoursPcx(file, land, *scheme, GroundPcxMode::TerrainType);
    return 0;
}
