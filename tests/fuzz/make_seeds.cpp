// Writes the seed corpus of every fuzz target: files made by the program's own
// writers, so the fuzzers start from valid input. Usage: make_seeds DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "codecs/avi.h"
#include "codecs/bmp.h"
#include "codecs/flc.h"
#include "codecs/jpeg.h"
#include "codecs/kanim.h"
#include "codecs/pcx.h"
#include "codecs/targa.h"
#include "files/cloud_file.h"
#include "files/landscape_file.h"
#include "files/landscape_pcx.h"
#include "interchange/elevation_raster.h"
#include "model/landscape.h"
#include "platform/scripted_frontend.h"
#include "terrain/fractal.h"

namespace fs = std::filesystem;

namespace {

void write(const fs::path& dir, const std::string& name, const std::string& bytes)
{
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

void scriptSeeds(const fs::path& dir)
{
    const char* lines[] = {
        "CameraXYZ 100.5 -200 3e2", "GenerateFractal 4294967295", "SetColorSnow1 255 250 -1",
        "-5, 10.25, 30, 0, 90, -45,", "ExportAsciiZ out/z.txt 2", "DefaultDirDEM C:\\land\\", "; comment",
        "LoadBinaryDEM data.bin 300 200", "RedrawRate 5", "Haze",
    };
    int n = 0;
    for (const char* line : lines) write(dir, "line" + std::to_string(n++), line);
}

// Whole scripts: settings, a generation, edits, a render and saves.
void scriptRunSeeds(const fs::path& dir)
{
    const char* scripts[] = {
        "GenerateFractal 12\nSeaLevel 20 0\nHaze 40\nTreeOn\nCloudOn\nRender\nSaveTarga24 a.tga\n",
        "CameraXYZ 300 3900 1400\nTargetXYZ 5000 3900 200\nSunAzimuth 130\nPolygonSize2\nRender\nSaveJPG b.jpg\n",
        "MakeRiver 100 100\nMakeLake 50 60 3\nSmooth\nSaveSession c.k4s\nLoadDEM c.k4s\n",
        "SetColorSky 20 40 200\nPixelDitherOrdered 30\nTree3D\nTreeDensity 150\nRender\nSavePNG d.png\n",
    };
    int n = 0;
    for (const char* script : scripts) write(dir, "script" + std::to_string(n++), script);
}

// A small picture with runs and detail, the source of every image seed.
void fillPicture(kalvenor::ImagePlane<std::uint32_t>& plane, int w, int h)
{
    plane.allocate(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            plane[y][x] = y < 3 ? kalvenor::packPixel(10, 20, 30)
                                : kalvenor::packPixel(static_cast<std::uint8_t>(x * 9), static_cast<std::uint8_t>(y * 5),
                                                      static_cast<std::uint8_t>(x ^ y));
}

void pcxSeeds(const fs::path& dir)
{
    fs::create_directories(dir);
    kalvenor::ImagePlane<std::uint8_t> indices;
    indices.allocate(21, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 21; ++x) indices[y][x] = static_cast<std::uint8_t>(y < 4 ? 200 : x * 13 + y);
    kalvenor::DisplayPalette palette;
    (void)kalvenor::savePcx(indices, {21, 9}, palette, (dir / "picture.pcx").string());
    kalvenor::Landscape land;
    kalvenor::allocateGrid(land, 12, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) land.elevation[y][x] = static_cast<std::int16_t>(x * 40 + y * 3);
    (void)kalvenor::saveElevationsPcx(land, (dir / "elevations.pcx").string(), kalvenor::ElevationPcxMode::Grey, 0, 2);
    (void)kalvenor::saveGroundColoursPcx(land, (dir / "ground.pcx").string());
}

void trueColourSeeds(const fs::path& root)
{
    kalvenor::ImagePlane<std::uint32_t> plane;
    fillPicture(plane, 13, 7);
    fs::create_directories(root / "targa_fuzz");
    (void)kalvenor::saveTarga(plane, {13, 7}, (root / "targa_fuzz" / "raw.tga").string(), false);
    (void)kalvenor::saveTarga(plane, {13, 7}, (root / "targa_fuzz" / "rle.tga").string(), true);
    fs::create_directories(root / "bmp_fuzz");
    (void)kalvenor::saveBmp(plane, {13, 7}, (root / "bmp_fuzz" / "picture.bmp").string());
    fs::create_directories(root / "jpeg_fuzz");
    (void)kalvenor::saveJpeg(plane, {13, 7}, 75, (root / "jpeg_fuzz" / "picture.jpg").string());
}

// An animation of each kind and a cloud pattern, from our own writers.
void animationSeeds(const fs::path& dir)
{
    fs::create_directories(dir);
    kalvenor::ImagePlane<std::uint8_t> indices;
    indices.allocate(8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) indices[y][x] = static_cast<std::uint8_t>(y < 2 ? 7 : x * 31 + y);
    kalvenor::ImagePlane<std::uint32_t> plane;
    fillPicture(plane, 8, 6);
    kalvenor::FlcStream flc;
    (void)kalvenor::openFlcStream((dir / "fly.flc").string(), flc);
    for (int frame = 0; frame < 2; ++frame)
        (void)kalvenor::appendFlcFrame(flc, indices, {8, 6}, kalvenor::PcxPalette{}, 15, 0);
    kalvenor::AviWriter avi;
    if (kalvenor::createAvi(avi, (dir / "fly.avi").string(), 8, 6, 15) == kalvenor::AviOpenStatus::Ok) {
        (void)kalvenor::writeAviFrame(avi, plane, {8, 6});
        (void)kalvenor::writeAviFrame(avi, plane, {8, 6});
    }
    kalvenor::closeAvi(avi);
    for (int frame = 0; frame < 2; ++frame)
        (void)kalvenor::appendKanimFrame((dir / "fly.kan").string(), indices, {8, 6}, 0, kalvenor::PcxPalette{});
    std::vector<std::uint8_t> pattern(65536);
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>((i / 256) ^ (i % 256));
    (void)kalvenor::saveCloudPattern((dir / "sky.cld").string(), pattern);
}

} // namespace

// Landscape files, sessions and a scheme file from our own writers.
void landscapeSeeds(const fs::path& dir)
{
    fs::create_directories(dir);
    kalvenor::App app;
    kalvenor::ScriptedFrontend ui;
    kalvenor::resizeLandscape(app.landscape, app.random, kalvenor::kSmallGrid, kalvenor::kSmallGrid);
    kalvenor::generateLandscape(app.landscape, app.scene.generation, app.random, ui);
    app.landscape.terrainValidAt = app.landscape.cliffValidAt = app.landscape.shadowValidAt = 1;
    (void)kalvenor::saveDem(app, (dir / "land.dem").string(), ui);
    (void)kalvenor::saveSession(app, (dir / "session.k4s").string(), ui);
    (void)kalvenor::saveScheme(app, (dir / "colours.scm").string(), ui);
}

// A small Scenery Animator file: tags, a header chunk and two delta-coded rows.
void importSeeds(const fs::path& dir)
{
    std::string file = "SANM";
    file += "DEMH";
    std::string header(64, '\0');
    header[11] = 2; // rows
    header[15] = 3; // samples per row
    header.replace(38, 5, "hills");
    file += header;
    file += "DEM ";
    file += std::string("\x01\x00\x05\xFB", 4); // 256, 261, 256
    file += std::string("\x00\x10\x80\x12\x34\x01", 6); // 16, 0x1234, 0x1235
    write(dir, "scenery.dem", file);
    std::string scheme(2048, '\0');
    scheme.replace(0, 14, "Kalve DEM File");
    scheme[1024 + 4 * 42 + 1] = 100;
    write(dir, "scheme.scm", scheme);
}

// A small generated landscape as each raster the elevation import reads, and
// an ESRI ASCII grid with a no-data cell.
void elevationRasterSeeds(const fs::path& dir)
{
    fs::create_directories(dir);
    kalvenor::ScriptedFrontend ui;
    kalvenor::Landscape land;
    kalvenor::RandomStreams random;
    if (kalvenor::resizeLandscape(land, random, 10, 10) != 1) return;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c) land.elevation[r][c] = static_cast<std::int16_t>(r * 37 - c * 11);
    for (const char* name : {"grid.tif", "grid.png", "grid.ter"})
        (void)kalvenor::exportElevations(land, (dir / name).string(), ui);
    fs::remove(dir / "grid.png.aux.xml"); // the fuzz target reads one file
    write(dir, "grid.asc",
          "ncols 3\nnrows 2\nxllcorner 1000\nyllcorner 2000\ncellsize 25\nNODATA_value -9999\n"
          "1 2 3\n4 -9999 6\n");
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    scriptSeeds(root / "script_line_fuzz");
    pcxSeeds(root / "pcx_fuzz");
    trueColourSeeds(root);
    landscapeSeeds(root / "landscape_file_fuzz");
    landscapeSeeds(root / "session_render_fuzz");
    scriptRunSeeds(root / "script_run_fuzz");
    importSeeds(root / "import_fuzz");
    animationSeeds(root / "animation_fuzz");
    elevationRasterSeeds(root / "elevation_raster_fuzz");
    return 0;
}
