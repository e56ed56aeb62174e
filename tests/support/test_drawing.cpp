#include "support/test_drawing.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "render/clipping.h"

namespace kalvenor::testing {

Canvas::Canvas(int width, int height, int projWidth, int projHeight)
{
    if (!images.vidmem24.allocate(width + kGuard, height + kGuard) ||
        !images.vidmem8.allocate(width + kGuard, height + kGuard))
        throw std::runtime_error("canvas allocation failed");
    geometry.width = width;
    geometry.height = height;
    geometry.projWidth = projWidth > 0 ? projWidth : width;
    geometry.projHeight = projHeight > 0 ? projHeight : height;
    geometry.allocatedWidth = width + kGuard;
    geometry.allocatedHeight = height + kGuard;
    for (int y = 0; y < height + kGuard; ++y)
        for (int x = 0; x < width + kGuard; ++x) {
            images.vidmem24[y][x] = kSentinel24;
            images.vidmem8[y][x] = kSentinel8;
        }
    clear();
    target.images = &images;
    target.geometry = &geometry;
    target.dither = &dither;
    target.ditherAmount = 0;
    target.light = &light;
}

bool Canvas::guardIntact() const
{
    for (int y = 0; y < images.vidmem24.height; ++y)
        for (int x = 0; x < images.vidmem24.width; ++x) {
            if (x < geometry.width && y < geometry.height) continue;
            if (images.vidmem24[y][x] != kSentinel24 || images.vidmem8[y][x] != kSentinel8) return false;
        }
    return true;
}

void Canvas::clear(std::uint32_t pixel24, std::uint8_t pixel8)
{
    for (int y = 0; y < geometry.height; ++y)
        for (int x = 0; x < geometry.width; ++x) {
            images.vidmem24[y][x] = pixel24;
            images.vidmem8[y][x] = pixel8;
        }
}

Polygon pixelPolygon(std::initializer_list<Corner> corners, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                     std::uint16_t classCode, std::uint16_t alpha)
{
    Polygon p;
    for (const Corner& c : corners) {
        PolygonVertex& v = p.vertices[static_cast<std::size_t>(p.count++)];
        v.u = c.x;
        v.v = c.y;
        v.w = 1.0f;
        v.red = static_cast<std::uint16_t>(r << 8);
        v.green = static_cast<std::uint16_t>(g << 8);
        v.blue = static_cast<std::uint16_t>(b << 8);
        v.alpha = alpha;
        v.classCode = classCode;
    }
    p.vertices[static_cast<std::size_t>(p.count)] = p.vertices[0];
    ++p.count;
    return p;
}

Polygon viewPolygon(std::initializer_list<PolygonVertex> corners)
{
    Polygon p;
    for (const PolygonVertex& c : corners) p.vertices[static_cast<std::size_t>(p.count++)] = c;
    p.vertices[static_cast<std::size_t>(p.count)] = p.vertices[0];
    ++p.count;
    return p;
}

void draw(Canvas& canvas, const Polygon& polygon) { rasterisePolygon(polygon, canvas.raster, canvas.target); }

bool submit(Canvas& canvas, Polygon polygon)
{
    Polygon scratch;
    if (!clipToView(polygon, scratch)) return false;
    projectPolygon(polygon, canvas.geometry);
    draw(canvas, polygon);
    return true;
}

std::vector<std::string> picture8(const Canvas& canvas, std::initializer_list<std::pair<int, char>> legend)
{
    std::vector<std::string> rows;
    for (int y = 0; y < canvas.geometry.height; ++y) {
        std::string row;
        for (int x = 0; x < canvas.geometry.width; ++x) {
            char c = '?';
            for (const auto& [value, symbol] : legend)
                if (value == canvas.at8(x, y)) c = symbol;
            row += c;
        }
        rows.push_back(row);
    }
    return rows;
}

bool writePpm(const std::string& path, const Canvas& canvas)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << canvas.geometry.width << ' ' << canvas.geometry.height << "\n255\n";
    for (int y = 0; y < canvas.geometry.height; ++y)
        for (int x = 0; x < canvas.geometry.width; ++x) {
            const std::uint32_t p = canvas.at24(x, y);
            const char rgb[3] = {static_cast<char>(pixelRed(p)), static_cast<char>(pixelGreen(p)),
                                 static_cast<char>(pixelBlue(p))};
            out.write(rgb, 3);
        }
    return static_cast<bool>(out);
}

bool writePgm(const std::string& path, const Canvas& canvas)
{
    std::ofstream out(path, std::ios::binary);
    out << "P5\n" << canvas.geometry.width << ' ' << canvas.geometry.height << "\n255\n";
    for (int y = 0; y < canvas.geometry.height; ++y)
        out.write(reinterpret_cast<const char*>(canvas.images.vidmem8[y]), canvas.geometry.width);
    return static_cast<bool>(out);
}

bool readPpm(const std::string& path, int& width, int& height, std::vector<std::uint32_t>& pixels)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get(); // the single white-space byte after the header
    if (!in || magic != "P6" || maxValue != 255 || width <= 0 || height <= 0) return false;
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (std::uint32_t& p : pixels) {
        unsigned char rgb[3];
        if (!in.read(reinterpret_cast<char*>(rgb), 3)) return false;
        p = packPixel(rgb[0], rgb[1], rgb[2]);
    }
    return true;
}

void keepDrawing(const Canvas& canvas, const std::string& name)
{
    const char* dir = std::getenv("KALVENOR_DRAWINGS");
    if (dir == nullptr || *dir == '\0') return;
    std::filesystem::create_directories(dir);
    const std::filesystem::path base = std::filesystem::path(dir) / name;
    writePpm(base.string() + ".ppm", canvas);
    writePgm(base.string() + ".pgm", canvas);
}

} // namespace kalvenor::testing
