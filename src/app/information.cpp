#include "app/information.h"

#include <cstdio>

#include "app/app.h"

namespace kalvenor {

namespace {

template <typename... Args>
std::string formatted(const char* format, Args... args)
{
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

} // namespace

std::vector<std::string> landscapeInformation(const Landscape& land)
{
    return {
        "LandScape Name: " + land.name,
        "Comment: " + land.comment,
        formatted("Grid: %d x %d cells", land.gridWidth, land.gridHeight),
        formatted("Extent: %0.0lf x %0.0lf meters", static_cast<double>(land.sizeX) * land.spacingX,
                  static_cast<double>(land.sizeY) * land.spacingY),
        formatted("UTM X: %d  UTM Y: %d", land.utmX, land.utmY),
        formatted("Lowest point: %d m", land.lowestElevation),
        formatted("Highest point: %d m at column %d, row %d", land.highestElevation, land.highestColumn,
                  land.highestRow),
    };
}

std::vector<std::string> imageInformation(const App& app)
{
    const RenderSettings& r = app.scene.render;
    std::vector<std::string> lines = {
        formatted("Image: %d x %d pixels, %d-bit display", app.geometry.width, app.geometry.height,
                  app.geometry.displayDepth),
    };
    if (r.renderEndMillis != 0 || r.polygonCount != 0)
        lines.push_back(formatted("Last render: %d polygons in %.1f s", r.polygonCount,
                                  (r.renderEndMillis - r.renderStartMillis) * 0.001));
    const LoadedImageInfo& loaded = app.loadedImage;
    if (loaded.width > 0)
        lines.push_back(formatted("Last picture read: %d x %d, %d bits", loaded.width, loaded.height, loaded.bits));
    return lines;
}

} // namespace kalvenor
