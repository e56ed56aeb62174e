#include "files/landscape_pcx.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <limits>
#include <vector>

#include "base/file_requests.h"
#include "base/frontend.h"

namespace kalvenor {

namespace {

constexpr int kRampHues = 16;
constexpr int kRampSteps = 16;
constexpr int kRampFirstHue = 168;
constexpr int kRampHueStep = 11;
constexpr int kRampSaturation = 192;
constexpr int kRampFirstValue = 96;
constexpr int kRampValueStep = 8;
constexpr std::size_t kIntervalEntry = 255;

// Which code byte of a terrain cell a picture index stands for.
enum class CodeByte { First, Second };

// One row of the ground-colour table: the codes first..last of one byte give
// index (or index + code - first when stepped). Stepped rows and single codes
// can be turned back into codes when loading; the others stand for a group.
struct GroundIndexRule {
    CodeByte byte;
    char first;
    char last;
    std::uint8_t index;
    bool stepped;
};

// The second byte decides first, so its rows are searched before the first byte's.
constexpr GroundIndexRule kGroundIndexRules[] = {
    {CodeByte::Second, '<', '?', 12, true}, {CodeByte::Second, 'H', 'K', 28, true},
    {CodeByte::First, '3', '7', 2, true},   {CodeByte::First, '2', '2', 7, true},
    {CodeByte::First, '8', ';', 8, false},  {CodeByte::First, '"', '%', 9, false},
    {CodeByte::First, '&', ')', 16, false}, {CodeByte::First, '*', '-', 20, false},
    {CodeByte::First, '.', '1', 24, false}, {CodeByte::First, 'X', '[', 32, true},
};

// The map colours of indices 0..35 as 12-bit red, green, blue nibbles.
constexpr std::uint16_t kGroundMapColours[] = {
    0x000, 0xFFF, 0x226, 0x337, 0x559, 0x66A, 0x88C, 0x985, 0x530, 0x530, 0x530, 0x530,
    0x351, 0x462, 0x573, 0x684, 0x975, 0x975, 0x975, 0x975, 0x888, 0x888, 0x888, 0x888,
    0x444, 0x444, 0x444, 0x444, 0xC00, 0xCC0, 0x0C0, 0x00C, 0x222, 0x333, 0x444, 0x555,
};

std::uint8_t firstByte(std::uint16_t cell) { return static_cast<std::uint8_t>(cell); }
std::uint8_t secondByte(std::uint16_t cell) { return static_cast<std::uint8_t>(cell >> 8); }

void setColour(PcxPalette& p, std::size_t entry, int r, int g, int b)
{
    p[3 * entry] = static_cast<std::uint8_t>(r);
    p[3 * entry + 1] = static_cast<std::uint8_t>(g);
    p[3 * entry + 2] = static_cast<std::uint8_t>(b);
}

// Hue, saturation and value on a 0..255 scale to red, green, blue; every
// product is shifted down by 8, which floors (all values are non-negative).
void hsvToRgb(int h, int s, int v, int& r, int& g, int& b)
{
    const int region = h / 43;
    const int rest = (h - region * 43) * 6;
    const int p = (v * (255 - s)) >> 8;
    const int q = (v * (255 - ((s * rest) >> 8))) >> 8;
    const int t = (v * (255 - ((s * (255 - rest)) >> 8))) >> 8;
    switch (region) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
    }
}

// The interval as the pictures use it: below 0 counts as 1, 0 is refused by the callers.
int effectiveInterval(int interval) { return interval < 0 ? 1 : interval; }

std::int16_t toElevation(long long value)
{
    return static_cast<std::int16_t>(std::clamp<long long>(value, std::numeric_limits<std::int16_t>::min(),
                                                           std::numeric_limits<std::int16_t>::max()));
}

// Grid width and height of the pictures: the grid, cut to the row buffer.
int pictureSide(int gridSide) { return std::min(gridSide, kPcxMaxLine); }

// Every file row k (from the top) goes to grid row h - 1 - k with h the
// smaller of the grid's and the file's heights, cut to the grid width.
ImageStatus decodeIntoGrid(std::span<const std::uint8_t> file, const PcxHeader& header, int gridWidth, int gridHeight,
                           const std::function<void(int row, std::span<const std::uint8_t> pixels)>& store)
{
    const int h = std::min(gridHeight, header.height);
    const auto columns = static_cast<std::size_t>(std::min(gridWidth, header.width));
    return decodePcxRows(file, header, h, [&](int k, std::span<const std::uint8_t> line) {
        store(h - 1 - k, line.first(columns));
    });
}

// Runs the whole decode without storing anything: a picture cut short or
// damaged is found before the grid or the scheme changes.
ImageStatus checkDecodes(std::span<const std::uint8_t> file, const PcxHeader& header, int gridWidth, int gridHeight)
{
    return decodeIntoGrid(file, header, gridWidth, gridHeight, [](int, std::span<const std::uint8_t>) {});
}

// The scheme entry whose colour is nearest (squared distance, first on ties).
std::uint8_t nearestSchemeEntry(const ColourScheme& scheme, int r, int g, int b)
{
    int best = 0;
    long bestDistance = LONG_MAX;
    for (int e = 0; e < 256; ++e) {
        const std::size_t at = kSchemeEntryBytes * static_cast<std::size_t>(e);
        const long dr = scheme[at + 1] - r, dg = scheme[at + 2] - g, db = scheme[at + 3] - b;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = e;
        }
    }
    return static_cast<std::uint8_t>(best);
}

void markElevationsChanged(Landscape& land)
{
    computeElevationStatistics(land);
    resetDerivedMaps(land);
    land.modified = true;
    land.mapStale = true;
}

void markGroundColoursLoaded(Landscape& land)
{
    land.terrainFrozen = 1;
    land.paletteStale = 1;
    land.modified = true;
    land.mapStale = true;
}

} // namespace

PcxPalette indexRampPalette()
{
    PcxPalette p = {};
    for (int g = 0; g < kRampHues; ++g)
        for (int s = 0; s < kRampSteps; ++s) {
            int r = 0, gr = 0, b = 0;
            hsvToRgb(kRampFirstHue - kRampHueStep * g, kRampSaturation, kRampFirstValue + kRampValueStep * s, r, gr,
                     b);
            setColour(p, static_cast<std::size_t>(kRampSteps * g + s), r, gr, b);
        }
    return p;
}

PcxPalette elevationPalette(ElevationPcxMode mode, int interval)
{
    PcxPalette p = {};
    if (mode == ElevationPcxMode::Grey) {
        for (int v = 0; v < 256; ++v) setColour(p, static_cast<std::size_t>(v), v, v, v);
        return p;
    }
    p = indexRampPalette();
    setColour(p, 0, 0, 0, 0);
    const auto i = static_cast<std::uint16_t>(effectiveInterval(interval));
    setColour(p, kIntervalEntry, i & 255, i >> 8, i >> 8);
    return p;
}

std::uint8_t groundColourIndex(std::uint16_t cell)
{
    for (const GroundIndexRule& rule : kGroundIndexRules) {
        const auto code = rule.byte == CodeByte::First ? firstByte(cell) : secondByte(cell);
        const auto first = static_cast<std::uint8_t>(rule.first), last = static_cast<std::uint8_t>(rule.last);
        if (code < first || code > last) continue;
        return static_cast<std::uint8_t>(rule.stepped ? rule.index + (code - first) : rule.index);
    }
    return 0;
}

std::uint16_t applyTerrainTypePixel(std::uint16_t cell, std::uint8_t pixel)
{
    for (const GroundIndexRule& rule : kGroundIndexRules) {
        if (!rule.stepped) continue;
        const int span = rule.last - rule.first;
        if (pixel < rule.index || pixel > rule.index + span) continue;
        const auto code = static_cast<std::uint16_t>(static_cast<std::uint8_t>(rule.first) + (pixel - rule.index));
        return rule.byte == CodeByte::First ? static_cast<std::uint16_t>((cell & 0xFF00) | code)
                                            : static_cast<std::uint16_t>((cell & 0x00FF) | (code << 8));
    }
    return cell;
}

PcxPalette groundColourPalette()
{
    PcxPalette p = indexRampPalette();
    std::size_t e = 0;
    for (const std::uint16_t c : kGroundMapColours) {
        setColour(p, e++, ((c >> 8) & 15) * 16, ((c >> 4) & 15) * 16, (c & 15) * 16);
    }
    return p;
}

std::uint8_t elevationPixel(int elevation, int base, int interval)
{
    const long long v = (static_cast<long long>(elevation) - base) / effectiveInterval(interval); // truncates
    return static_cast<std::uint8_t>(std::clamp<long long>(v, 0, 255));
}

ImageStatus saveElevationsPcx(const Landscape& land, const std::string& path, ElevationPcxMode mode, int base,
                              int interval)
{
    if (interval == 0) return ImageStatus::BadArgument;
    if (!land.elevation.allocated()) return ImageStatus::NoBuffer;
    const int width = pictureSide(land.elevation.width);
    const int height = pictureSide(land.elevation.height);
    return writePcx(
        path, width, height,
        [&](int k, std::span<std::uint8_t> row) {
            const std::int16_t* cells = land.elevation[land.elevation.height - 1 - k];
            for (std::size_t x = 0; x < row.size(); ++x) row[x] = elevationPixel(cells[x], base, interval);
        },
        elevationPalette(mode, interval));
}

ImageStatus decodeElevationsPcx(std::span<const std::uint8_t> file, Landscape& land, ElevationPcxMode mode, int base,
                                int interval)
{
    if (interval == 0) return ImageStatus::BadArgument;
    if (!land.elevation.allocated()) return ImageStatus::NoBuffer;
    PcxHeader header;
    if (const ImageStatus st = parsePcxHeader(file, header); st != ImageStatus::Ok) return st;
    if (const ImageStatus st = checkDecodes(file, header, land.elevation.width, land.elevation.height);
        st != ImageStatus::Ok)
        return st;
    const long long i = effectiveInterval(interval);

    // Grey pictures: each entry's level from its brightness (integer, truncated).
    std::array<std::int16_t, 256> level = {};
    if (mode == ElevationPcxMode::Grey) {
        PcxPalette palette = {};
        if (!pcxTrailingPalette(file, false, palette)) return ImageStatus::Truncated; // the levels come from it
        for (std::size_t e = 0; e < 256; ++e) {
            const long long lum = 30LL * palette[3 * e] + 59LL * palette[3 * e + 1] + 11LL * palette[3 * e + 2];
            level[e] = toElevation(i * lum / 100 + base);
        }
    } else {
        for (std::size_t e = 0; e < 256; ++e) level[e] = toElevation(base + static_cast<long long>(e) * i);
    }

    const ImageStatus st =
        decodeIntoGrid(file, header, land.elevation.width, land.elevation.height,
                       [&](int row, std::span<const std::uint8_t> pixels) {
                           std::int16_t* cells = land.elevation[row];
                           for (std::size_t x = 0; x < pixels.size(); ++x) cells[x] = level[pixels[x]];
                       });
    markElevationsChanged(land);
    return st;
}

ImageStatus loadElevationsPcx(const std::string& path, Landscape& land, ElevationPcxMode mode, int base,
                              int interval)
{
    if (interval == 0) return ImageStatus::BadArgument;
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    return decodeElevationsPcx(file.bytes(), land, mode, base, interval);
}

ImageStatus saveGroundColoursPcx(const Landscape& land, const std::string& path)
{
    if (!land.terrain.allocated()) return ImageStatus::NoBuffer;
    const int width = pictureSide(land.terrain.width);
    const int height = pictureSide(land.terrain.height);
    return writePcx(
        path, width, height,
        [&](int k, std::span<std::uint8_t> row) {
            const std::uint16_t* cells = land.terrain[land.terrain.height - 1 - k];
            for (std::size_t x = 0; x < row.size(); ++x) row[x] = groundColourIndex(cells[x]);
        },
        groundColourPalette());
}

namespace {

// Colours: entries 128..255 come over as they are, and every pixel value is
// matched to a scheme entry once, not once per cell.
std::array<std::uint8_t, 256> installPictureColours(ColourScheme& scheme, const PcxPalette& palette)
{
    for (std::size_t e = 128; e < 256; ++e) {
        scheme[kSchemeEntryBytes * e] = 0;
        for (std::size_t c = 0; c < 3; ++c) scheme[kSchemeEntryBytes * e + 1 + c] = palette[3 * e + c];
    }
    std::array<std::uint8_t, 256> match = {};
    for (std::size_t e = 0; e < 256; ++e)
        match[e] = e >= 128 ? static_cast<std::uint8_t>(e)
                            : nearestSchemeEntry(scheme, palette[3 * e], palette[3 * e + 1], palette[3 * e + 2]);
    return match;
}

// One row of cells after a row of picture pixels: the pixel's terrain type, or its matched colour as the ground code.
void applyGroundPixels(std::uint16_t* cells, std::span<const std::uint8_t> pixels, GroundPcxMode mode,
                       const std::array<std::uint8_t, 256>& match)
{
    for (std::size_t x = 0; x < pixels.size(); ++x)
        cells[x] = mode == GroundPcxMode::Colours ? static_cast<std::uint16_t>((cells[x] & 0xFF00) | match[pixels[x]])
                                                  : applyTerrainTypePixel(cells[x], pixels[x]);
}

} // namespace

ImageStatus decodeGroundColoursPcx(std::span<const std::uint8_t> file, Landscape& land, ColourScheme& scheme,
                                   GroundPcxMode mode)
{
    if (!land.terrain.allocated()) return ImageStatus::NoBuffer;
    PcxHeader header;
    if (const ImageStatus st = parsePcxHeader(file, header); st != ImageStatus::Ok) return st;
    if (const ImageStatus st = checkDecodes(file, header, land.terrain.width, land.terrain.height);
        st != ImageStatus::Ok)
        return st;

    std::array<std::uint8_t, 256> match = {};
    if (mode == GroundPcxMode::Colours) {
        PcxPalette palette = {};
        if (!pcxTrailingPalette(file, false, palette)) return ImageStatus::Truncated; // the colours come from it
        match = installPictureColours(scheme, palette);
    }
    const ImageStatus st = decodeIntoGrid(file, header, land.terrain.width, land.terrain.height,
                                          [&](int row, std::span<const std::uint8_t> pixels) {
                                              applyGroundPixels(land.terrain[row], pixels, mode, match);
                                          });
    markGroundColoursLoaded(land);
    return st;
}

ImageStatus loadGroundColoursPcx(const std::string& path, Landscape& land, ColourScheme& scheme, GroundPcxMode mode)
{
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    return decodeGroundColoursPcx(file.bytes(), land, scheme, mode);
}

bool groundColoursCurrent(const Landscape& land) { return land.terrainFrozen != 0 || land.terrainValidAt <= 1; }

namespace {

GroundPcxMode askGroundMode(Frontend& ui)
{
    return ui.ask("Convert as terrain type or colors?", "Terrain Type", "Colors") ? GroundPcxMode::TerrainType
                                                                                  : GroundPcxMode::Colours;
}

ElevationPcxMode askElevationMode(Frontend& ui)
{
    return ui.ask("Index or Grey Scale?", "Index", "Grey Scale") ? ElevationPcxMode::Index : ElevationPcxMode::Grey;
}

// Base and interval: asked only with Shift, otherwise the last values. False when cancelled.
bool askElevationScale(Frontend& ui, ElevationPcxSettings& settings, bool shiftHeld)
{
    if (!shiftHeld) return true;
    const auto base = ui.askNumber("Base elevation:", settings.base);
    if (!base) return false;
    const auto interval = ui.askNumber("Elevation interval:", settings.interval);
    if (!interval) return false;
    settings.base = static_cast<int>(std::clamp<long>(*base, INT_MIN, INT_MAX));
    settings.interval = static_cast<int>(std::clamp<long>(*interval, INT_MIN, INT_MAX));
    return true;
}

// The command's answer to a reader or writer status: 1, or 0 after the message.
int reportStatus(Frontend& ui, ImageStatus st, const char* fileError, const std::string& path)
{
    if (st == ImageStatus::Ok) return 1;
    ui.message(st == ImageStatus::BadArgument ? std::string(kZeroInterval) : fileMessage(fileError, path));
    return 0;
}

} // namespace

int commandSaveElevationsPcx(Frontend& ui, const Landscape& land, ElevationPcxSettings& settings, bool shiftHeld,
                             const std::string& directory)
{
    const auto path = askSavePath(ui, "Save elevations as PCX", directory, "*.PCX", ".PCX");
    if (!path) return -1;
    const ElevationPcxMode mode = askElevationMode(ui);
    if (!askElevationScale(ui, settings, shiftHeld)) return -1;
    return reportStatus(ui, saveElevationsPcx(land, *path, mode, settings.base, settings.interval), kErrorWritingFile,
                        *path);
}

int commandLoadElevationsPcx(Frontend& ui, Landscape& land, ElevationPcxSettings& settings, bool shiftHeld,
                             const std::string& directory)
{
    const auto path = askLoadPath(ui, "Load PCX as elevations", directory, "*.PCX");
    if (!path) return -1;
    const ElevationPcxMode mode = askElevationMode(ui);
    if (!askElevationScale(ui, settings, shiftHeld)) return -1;
    return reportStatus(ui, loadElevationsPcx(*path, land, mode, settings.base, settings.interval), kErrorReadingFile,
                        *path);
}

int commandSaveGroundColoursPcx(Frontend& ui, const Landscape& land, const std::function<bool()>& recalculate,
                                const std::string& directory)
{
    if (!groundColoursCurrent(land)) {
        if (!ui.ask(kNeedColours, "OK", "Quit")) return -1;
        if (!recalculate()) return -1;
    }
    const auto path = askSavePath(ui, "Save grounc colors as PCX", directory, "*.PCX", ".PCX");
    if (!path) return -1;
    return reportStatus(ui, saveGroundColoursPcx(land, *path), kErrorWritingFile, *path);
}

int commandLoadGroundColoursPcx(Frontend& ui, Landscape& land, ColourScheme& scheme, const std::string& directory)
{
    const auto path = askLoadPath(ui, "Load PCX as ground colors", directory, "*.PCX");
    if (!path) return -1;
    const GroundPcxMode mode = askGroundMode(ui);
    return reportStatus(ui, loadGroundColoursPcx(*path, land, scheme, mode), kErrorReadingFile, *path);
}

ImageStatus viewAsGroundColours(const ImagePlane<std::uint8_t>& image, const DisplayPalette& display, Landscape& land,
                                ColourScheme& scheme, GroundPcxMode mode)
{
    if (!image.allocated() || image.width <= 0 || image.height <= 0) return ImageStatus::NoBuffer;
    if (!land.terrain.allocated()) return ImageStatus::NoBuffer;
    std::array<std::uint8_t, 256> match = {};
    if (mode == GroundPcxMode::Colours) match = installPictureColours(scheme, paletteFromDisplay(display));
    const int rows = land.terrain.height;
    const int length = land.terrain.width;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(length));
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* source = image[static_cast<int>(static_cast<long long>(y) * image.height / rows)];
        for (int x = 0; x < length; ++x)
            pixels[static_cast<std::size_t>(x)] = source[static_cast<long long>(x) * image.width / length];
        applyGroundPixels(land.terrain[rows - 1 - y], pixels, mode, match);
    }
    markGroundColoursLoaded(land);
    return ImageStatus::Ok;
}

int commandViewAsGroundColours(Frontend& ui, const ImagePlane<std::uint8_t>& image, const DisplayPalette& display,
                               Landscape& land, ColourScheme& scheme)
{
    if (!image.allocated() || image.width <= 0 || image.height <= 0) {
        ui.message(kNoImageToConvert, "OK");
        return 0;
    }
    const GroundPcxMode mode = askGroundMode(ui);
    return viewAsGroundColours(image, display, land, scheme, mode) == ImageStatus::Ok ? 1 : 0;
}

} // namespace kalvenor
