#include "render/projection.h"

#include <algorithm>

namespace kalvenor {

ProjectionExtents presetExtents(int width, int height)
{
    // 320 x 200 and 640 x 400: the 8:5 sizes see 7/8 as far down as across.
    if (width * 5 == height * 8) return {width, width * 7 / 8};
    return {width, width};
}

ProjectionExtents sizeByNumberExtents(int width, int height)
{
    const int side = std::max(width, height);
    return {side, side};
}

void recomputeScroll(ImageGeometry& g)
{
    const auto place = [](int image, int window, int& scroll, int& margin) {
        if (image >= window) {
            scroll = (image - window) / 2;
            margin = 0;
        } else {
            scroll = 0;
            margin = (window - image) / 2;
        }
    };
    place(g.width, g.windowWidth, g.scrollX, g.marginX);
    place(g.height, g.windowHeight, g.scrollY, g.marginY);
}

void projectPolygon(Polygon& polygon, const ImageGeometry& geometry)
{
    const int count = std::clamp(polygon.count, 0, kMaxPolygonVertices);
    for (int i = 0; i < count; ++i) {
        PolygonVertex& p = polygon.vertices[static_cast<std::size_t>(i)];
        const ImagePoint at = projectPoint(p.u, p.v, p.w, geometry);
        p.u = at.x;
        p.v = at.y;
    }
}

} // namespace kalvenor
