#include "render/wire_frame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>

#include "render/camera.h"
#include "render/view_transform.h"

namespace kalvenor {

namespace {

constexpr int kCellsAlongSide = 80;     // sampled cells along the longer side of the landscape
constexpr float kNearDistance = 1.0f;   // metres in front of the eye
constexpr int kShades = 32;             // brightness steps from the nearest line to the farthest
constexpr float kFarBrightness = 0.3f;  // of the farthest line, the nearest being 1
constexpr int kMarkerArm = 3;           // pixels each way from the target's centre

struct Rgb {
    float r, g, b;
};
constexpr Rgb kLandLine = {210.0f, 235.0f, 190.0f};
constexpr Rgb kWaterLine = {70.0f, 140.0f, 255.0f};

using ShadeTable = std::array<std::uint32_t, kShades>;

ShadeTable shadesOf(Rgb colour)
{
    ShadeTable table{};
    for (int k = 0; k < kShades; ++k) {
        const float brightness = 1.0f - (1.0f - kFarBrightness) * static_cast<float>(k) / (kShades - 1);
        const auto channel = [&](float c) { return static_cast<std::uint32_t>(c * brightness); };
        table[static_cast<std::size_t>(k)] = channel(colour.r) << 16 | channel(colour.g) << 8 | channel(colour.b);
    }
    return table;
}

// What every line of one frame is drawn with.
struct Frame {
    ViewState view;
    float cx = 0.0f, cy = 0.0f; // the projection centre, in projected pixels
    float rowOffset = 0.0f;     // the first projected row the picture shows
    float nearW = 0.0f;         // the near plane as a view-space w
    float nearestW = 0.0f;      // w of the nearest and the farthest sampled point in front
    float shadeScale = 0.0f;    // shades per unit of w beyond nearestW
    std::uint32_t* pixels = nullptr;
    int width = 0, height = 0;
    ShadeTable land{}, water{};
};

bool landscapeUsable(const Landscape& land)
{
    return land.elevation.allocated() && land.sizeX > 0 && land.sizeY > 0 && land.elevation.width > land.sizeX &&
           land.elevation.height > land.sizeY && std::isfinite(land.spacingX) && std::isfinite(land.spacingY);
}

// About kCellsAlongSide sampled cells along the longer side, rounded to the nearest whole step.
int autoStep(const Landscape& land)
{
    const int longer = std::max(land.sizeX, land.sizeY);
    return std::max(1, (longer + kCellsAlongSide / 2) / kCellsAlongSide);
}

// Sampled points along a side of size cells: every step-th one and the last.
int sampleCount(int size, int step) { return (size - 1) / step + 2; }
int sampleAt(int index, int step, int size) { return index >= (size - 1) / step + 1 ? size : index * step; }

// The first whole pixel index at or after x, and the first after x, held to 0..limit.
int firstAtOrAfter(double x, int limit)
{
    if (!(x > 0.0)) return 0;
    if (!(x < limit)) return limit;
    return static_cast<int>(std::ceil(x));
}
int firstAfter(double x, int limit)
{
    if (!(x >= 0.0)) return 0;
    if (!(x < limit)) return limit;
    return static_cast<int>(std::floor(x)) + 1;
}

// The horizon as a line a x + b y + c = 0 in projected pixels. A ray through
// projected pixel (x, y) has view direction ((x - cx)/cx, (y - cy)/cy, F) for
// focal factor F; the transposed rotation turns that into world depth (down),
// q1 (x - cx)/cx + q2 (y - cy)/cy + f3 F. Multiplied by cx cy, so that a
// one-pixel projection divides by nothing: a x + b y + c > 0 is below the horizon.
struct HorizonLine {
    double a, b, c;
};

HorizonLine horizonOf(const Frame& f)
{
    const ViewRotation& r = f.view.rotation;
    const double cx = f.cx, cy = f.cy;
    return {r.q1 * cy, r.q2 * cx, (-r.q1 - r.q2 + r.f3 * f.view.focalFactor) * cx * cy};
}

// Sky above the horizon, ground below, row by row.
void fillBackground(const Frame& f, const HorizonLine& h)
{
    for (int row = 0; row < f.height; ++row) {
        std::uint32_t* line = f.pixels + static_cast<std::ptrdiff_t>(row) * f.width;
        const double rowTerm = h.b * (row + static_cast<double>(f.rowOffset)) + h.c;
        int skyFirst = 0, skyEnd = 0; // sky pixels [skyFirst, skyEnd)
        if (h.a > 0.0) {
            skyEnd = firstAtOrAfter(-rowTerm / h.a, f.width);
        } else if (h.a < 0.0) {
            skyFirst = firstAfter(-rowTerm / h.a, f.width);
            skyEnd = f.width;
        } else if (rowTerm < 0.0) {
            skyEnd = f.width;
        }
        std::fill(line, line + skyFirst, kWireGround);
        std::fill(line + skyFirst, line + skyEnd, kWireSky);
        std::fill(line + skyEnd, line + f.width, kWireGround);
    }
}

// Liang-Barsky: cuts the segment to 0..maxX x 0..maxY. False when nothing is
// left or a coordinate is not a number.
bool clipToRect(double& x0, double& y0, double& x1, double& y1, double maxX, double maxY)
{
    const double dx = x1 - x0, dy = y1 - y0;
    double t0 = 0.0, t1 = 1.0;
    // The part where p t <= q.
    const auto keep = [&](double p, double q) {
        if (p == 0.0) return q >= 0.0;
        const double t = q / p;
        if (p < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!keep(-dx, x0) || !keep(dx, maxX - x0) || !keep(-dy, y0) || !keep(dy, maxY - y0)) return false;
    const double ax = x0 + t0 * dx, ay = y0 + t0 * dy, bx = x0 + t1 * dx, by = y0 + t1 * dy;
    if (!(std::isfinite(ax) && std::isfinite(ay) && std::isfinite(bx) && std::isfinite(by))) return false;
    x0 = ax, y0 = ay, x1 = bx, y1 = by;
    return true;
}

// Nearest pixel of a clipped coordinate, held to 0..limit against rounding.
int pixelOf(double v, int limit) { return std::clamp(static_cast<int>(v + 0.5), 0, limit); }

// Bresenham from (x0, y0) to (x1, y1), both inside the picture.
void plotLine(const Frame& f, int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const std::ptrdiff_t stepX = x1 < x0 ? -1 : 1;
    const std::ptrdiff_t stepY = y1 < y0 ? -static_cast<std::ptrdiff_t>(f.width) : f.width;
    // The major axis moves every pixel, the minor one each time the error runs out.
    const bool alongX = dx >= dy;
    const int major = alongX ? dx : dy, minor = alongX ? dy : dx;
    const std::ptrdiff_t majorStep = alongX ? stepX : stepY, minorStep = alongX ? stepY : stepX;
    std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y0) * f.width + x0;
    int error = major / 2;
    f.pixels[at] = colour;
    for (int i = 0; i < major; ++i) {
        at += majorStep;
        error -= minor;
        if (error < 0) {
            error += major;
            at += minorStep;
        }
        f.pixels[at] = colour;
    }
}

void drawClipped(const Frame& f, double x0, double y0, double x1, double y1, std::uint32_t colour)
{
    const int maxX = f.width - 1, maxY = f.height - 1;
    if (!clipToRect(x0, y0, x1, y1, maxX, maxY)) return;
    plotLine(f, pixelOf(x0, maxX), pixelOf(y0, maxY), pixelOf(x1, maxX), pixelOf(y1, maxY), colour);
}

// Two far points of the horizon, chosen along its flatter axis so that a line
// through the picture gets moderate coordinates.
void drawHorizon(const Frame& f, const HorizonLine& h)
{
    if (std::fabs(h.b) >= std::fabs(h.a) && h.b != 0.0) {
        const double x0 = -1.0, x1 = f.width;
        drawClipped(f, x0, -(h.a * x0 + h.c) / h.b - f.rowOffset, x1, -(h.a * x1 + h.c) / h.b - f.rowOffset,
                    kWireHorizon);
    } else if (h.a != 0.0) {
        const double y0 = f.rowOffset - 1.0, y1 = f.rowOffset + f.height;
        drawClipped(f, -(h.b * y0 + h.c) / h.a, -1.0, -(h.b * y1 + h.c) / h.a, f.height, kWireHorizon);
    }
}

void project(const Frame& f, float u, float v, float w, float& x, float& y)
{
    x = f.cx + u * f.cx / w;
    y = f.cy + v * f.cy / w - f.rowOffset;
}

// View space and pixels of every sampled point; the nearest and farthest w in front.
void placePoints(Frame& f, const Landscape& land, int step, int seaLevel, std::vector<WireFramePoint>& points)
{
    const int columns = sampleCount(land.sizeX, step), rows = sampleCount(land.sizeY, step);
    points.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    float nearest = std::numeric_limits<float>::infinity(), farthest = 0.0f;
    WireFramePoint* p = points.data();
    for (int j = 0; j < rows; ++j) {
        const int row = sampleAt(j, step, land.sizeY);
        const std::int16_t* elevations = land.elevation[row];
        const float y = static_cast<float>(row) * land.spacingY;
        for (int i = 0; i < columns; ++i, ++p) {
            const int col = sampleAt(i, step, land.sizeX);
            const int z = elevations[col];
            const Vec3 v = toViewSpace(f.view, static_cast<float>(col) * land.spacingX, y, static_cast<float>(z));
            p->u = v.x, p->v = v.y, p->w = v.z;
            p->water = z <= seaLevel;
            if (v.z >= f.nearW) {
                project(f, v.x, v.y, v.z, p->x, p->y);
                nearest = std::min(nearest, v.z);
                farthest = std::max(farthest, v.z);
            }
        }
    }
    f.nearestW = nearest;
    f.shadeScale = farthest > nearest ? kShades / (farthest - nearest) : 0.0f;
}

std::uint32_t shadeOf(const Frame& f, const ShadeTable& table, float w)
{
    const float s = (w - f.nearestW) * f.shadeScale;
    if (!(s > 0.0f)) return table[0];
    if (s >= kShades - 1) return table[kShades - 1];
    return table[static_cast<std::size_t>(s)];
}

// The segment from a (in front of the near plane) toward b (behind it) ends on the plane.
void cutAtNearPlane(const Frame& f, const WireFramePoint& a, const WireFramePoint& b, float& x, float& y)
{
    const float t = (a.w - f.nearW) / (a.w - b.w);
    project(f, a.u + t * (b.u - a.u), a.v + t * (b.v - a.v), f.nearW, x, y);
}

void drawEdge(const Frame& f, const WireFramePoint& a, const WireFramePoint& b)
{
    // Written so that a w that is not a number counts as behind.
    const bool aFront = a.w >= f.nearW, bFront = b.w >= f.nearW;
    if (!aFront && !bFront) return;
    float ax = a.x, ay = a.y, bx = b.x, by = b.y;
    float wa = a.w, wb = b.w;
    if (!aFront) {
        cutAtNearPlane(f, b, a, ax, ay);
        wa = f.nearW;
    } else if (!bFront) {
        cutAtNearPlane(f, a, b, bx, by);
        wb = f.nearW;
    }
    const std::uint32_t colour = shadeOf(f, a.water && b.water ? f.water : f.land, (wa + wb) * 0.5f);
    drawClipped(f, ax, ay, bx, by, colour);
}

// The sampled index nearest the eye along one axis, held to 0..count-1.
int eyeIndex(float eye, float sampleSpacing, int count)
{
    const float index = std::round(eye / sampleSpacing);
    if (!(index > 0.0f)) return 0;
    return index < static_cast<float>(count - 1) ? static_cast<int>(index) : count - 1;
}

// Indices 0..count-1 from both ends toward the eye's, so nearer lines are drawn over farther ones.
template <typename Visit>
void walkTowards(int count, int eye, const Visit& visit)
{
    for (int k = 0; k < eye; ++k) visit(k);
    for (int k = count - 1; k >= eye; --k) visit(k);
}

// Each sampled point draws the edges to its neighbours at the next column and the next row.
void drawEdges(const Frame& f, const Landscape& land, int step, const std::vector<WireFramePoint>& points)
{
    const int columns = sampleCount(land.sizeX, step), rows = sampleCount(land.sizeY, step);
    const float stepX = land.spacingX * static_cast<float>(step), stepY = land.spacingY * static_cast<float>(step);
    const int eyeColumn = eyeIndex(f.view.eyeX, stepX, columns), eyeRow = eyeIndex(f.view.eyeY, stepY, rows);
    walkTowards(rows, eyeRow, [&](int j) {
        const WireFramePoint* line = points.data() + static_cast<std::ptrdiff_t>(j) * columns;
        walkTowards(columns, eyeColumn, [&](int i) {
            if (i + 1 < columns) drawEdge(f, line[i], line[i + 1]);
            if (j + 1 < rows) drawEdge(f, line[i], line[i + columns]);
        });
    });
}

void markTarget(const Frame& f, const CameraSettings& camera)
{
    const Vec3 v = toViewSpace(f.view, camera.targetX, camera.targetY, camera.targetZ);
    if (!(v.z >= f.nearW)) return;
    float x = 0.0f, y = 0.0f;
    project(f, v.x, v.y, v.z, x, y);
    if (!(x > -kMarkerArm - 1 && x < f.width + kMarkerArm && y > -kMarkerArm - 1 && y < f.height + kMarkerArm)) return;
    const int cx = static_cast<int>(std::floor(x + 0.5f)), cy = static_cast<int>(std::floor(y + 0.5f));
    const auto plot = [&](int px, int py) {
        if (px >= 0 && px < f.width && py >= 0 && py < f.height)
            f.pixels[static_cast<std::ptrdiff_t>(py) * f.width + px] = kWireTarget;
    };
    for (int k = -kMarkerArm; k <= kMarkerArm; ++k) {
        plot(cx + k, cy);
        plot(cx, cy + k);
    }
}

int heldSide(int side) { return std::clamp(side, 0, kMaxWireFrameSide); }

} // namespace

void resizeWireFrameView(WireFrameView& view, int width, int height)
{
    view.width = heldSide(width);
    view.height = heldSide(height);
    const ProjectionExtents extents = sizeByNumberExtents(view.width, view.height);
    view.projWidth = extents.width;
    view.projHeight = extents.height;
    view.pixels.resize(static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height));
}

void matchRenderFraming(WireFrameView& view, const ImageGeometry& render)
{
    if (render.width <= 0) return;
    const double scale = static_cast<double>(view.width) / render.width;
    view.projWidth = static_cast<int>(std::lround(render.projWidth * scale));
    view.projHeight = static_cast<int>(std::lround(render.projHeight * scale));
}

void drawWireFrame(const Landscape& land, const CameraSettings& camera, const WireFrameOptions& options,
                   WireFrameView& view)
{
    view.width = heldSide(view.width);
    view.height = heldSide(view.height);
    const std::size_t size = static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height);
    if (view.pixels.size() != size) view.pixels.resize(size);
    if (size == 0) return;
    if (view.projWidth <= 0 || view.projHeight <= 0) {
        const ProjectionExtents extents = sizeByNumberExtents(view.width, view.height);
        view.projWidth = extents.width;
        view.projHeight = extents.height;
    }

    Frame f;
    CameraSettings lens = camera;
    applyLens(f.view, lens);
    buildViewRotation(f.view, lens);
    f.pixels = view.pixels.data();
    f.width = view.width;
    f.height = view.height;
    f.cx = static_cast<float>(view.projWidth / 2);
    f.cy = static_cast<float>(view.projHeight / 2);
    f.rowOffset = static_cast<float>((view.projHeight - view.height) / 2);
    if (!(lens.focalFactor > 0.0f) || !std::isfinite(lens.focalFactor)) {
        std::fill(view.pixels.begin(), view.pixels.end(), kWireGround);
        return;
    }
    f.nearW = kNearDistance / lens.focalFactor;

    const HorizonLine horizon = horizonOf(f);
    fillBackground(f, horizon);
    drawHorizon(f, horizon);
    if (landscapeUsable(land)) {
        const int step = options.step > 0 ? options.step : autoStep(land);
        f.land = shadesOf(kLandLine);
        f.water = shadesOf(kWaterLine);
        placePoints(f, land, step, options.seaLevel, view.points);
        drawEdges(f, land, step, view.points);
    }
    if (options.markTarget) markTarget(f, lens);
}

} // namespace kalvenor
