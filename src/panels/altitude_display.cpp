#include "panels/altitude_display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "model/landscape.h"
#include "model/path_state.h"
#include "panels/font.h"
#include "path/path_dynamics.h"

namespace kalvenor {

namespace {

constexpr const char* kNoPath = "No path";

// a / b rounded toward minus infinity (b > 0); a point left of the window has a negative strip.
long long floorDiv(long long a, long long b) { return a / b - (a % b != 0 && a < 0 ? 1 : 0); }

// The inside of the display and its vertical scale.
struct Frame {
    int left = 0, top = 0, right = 0, bottom = 0;
    int band = 0;              // rows above the lowest and below the highest altitude
    double low = 0, high = 1;  // altitudes of rows bottom - band and top + band

    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool holds(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }

    int rowOf(double altitude) const
    {
        const double rows = height() - 1 - 2 * band;
        return bottom - band - static_cast<int>(std::lround((altitude - low) * rows / (high - low)));
    }
};

void put(Surface& s, const Frame& f, int x, int y, Colour c)
{
    if (f.holds(x, y) && x >= 0 && y >= 0 && x < s.width && y < s.height) s.row(y)[x] = c;
}

// A line between two pixels, drawn only where it lies inside the display.
void line(Surface& s, const Frame& f, int x0, int y0, int x1, int y1, Colour c)
{
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        put(s, f, x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += stepX;
        if (e2 <= dx) err += dx, y0 += stepY;
    }
}

// Text put at (x, y) when it fits inside the display, else nothing.
void label(Surface& s, const Frame& f, int x, int y, const std::string& text, Colour ink)
{
    const int width = static_cast<int>(text.size()) * kCharWidth;
    if (f.holds(x, y) && f.holds(x + width - 1, y + kCharHeight - 1))
        drawText(s, x, y, text, ink, altitude_colour::kBack, true);
}

// The flight at a fractional point index t (clamped to the list), between the
// two points around it.
PathPoint between(const std::vector<PathPoint>& points, double t)
{
    const int last = static_cast<int>(points.size()) - 1;
    t = std::clamp(t, 0.0, static_cast<double>(last));
    const int k = std::min(static_cast<int>(t), last);
    const PathPoint& a = points[static_cast<std::size_t>(k)];
    const PathPoint& b = points[static_cast<std::size_t>(std::min(k + 1, last))];
    const float f = static_cast<float>(t - k);
    PathPoint p;
    p.x = a.x + (b.x - a.x) * f, p.y = a.y + (b.y - a.y) * f, p.z = a.z + (b.z - a.z) * f;
    return p;
}

// The point index at the middle of column c of the inside.
double middleOf(const Frame& f, AltitudeWindow window, int c)
{
    return window.first + (2.0 * c + 1.0) * window.count / (2.0 * f.width()) - 0.5;
}

// The ground of every column: the highest under the points drawn in it and
// under the flight at the column's middle.
std::vector<double> groundProfile(const Frame& f, const Landscape& land, const std::vector<PathPoint>& points,
                                  AltitudeWindow window)
{
    std::vector<double> ground(static_cast<std::size_t>(f.width()));
    for (int c = 0; c < f.width(); ++c) {
        const PathPoint p = between(points, middleOf(f, window, c));
        ground[static_cast<std::size_t>(c)] = groundElevation(land, p.x, p.y);
    }
    for (int k = window.first; k < window.first + window.count; ++k) {
        const PathPoint& p = points[static_cast<std::size_t>(k)];
        const int c = altitudeDisplayColumn(k, f.left - 1, f.right + 1, window) - f.left;
        double& g = ground[static_cast<std::size_t>(c)];
        g = std::max(g, groundElevation(land, p.x, p.y));
    }
    return ground;
}

struct Vertex {
    int x = 0;
    double z = 0;
};

// The corners of the flight line: the window's points and, where the flight
// goes on beyond the window, its altitude at the first and last columns, so
// a zoomed line runs from edge to edge.
std::vector<Vertex> flightLine(const Frame& f, const std::vector<PathPoint>& points, AltitudeWindow window)
{
    const int n = static_cast<int>(points.size()), last = window.first + window.count - 1;
    std::vector<Vertex> line;
    const double leftEdge = middleOf(f, window, 0), rightEdge = middleOf(f, window, f.width() - 1);
    if (window.first > 0 && leftEdge < window.first) line.push_back({f.left, between(points, leftEdge).z});
    for (int k = window.first; k <= last; ++k)
        line.push_back({altitudeDisplayColumn(k, f.left - 1, f.right + 1, window), points[static_cast<std::size_t>(k)].z});
    if (last < n - 1 && rightEdge > last) line.push_back({f.right, between(points, rightEdge).z});
    return line;
}

// The scale from the lowest to the highest altitude shown, ground and flight.
void fitScale(Frame& f, const std::vector<double>& ground, const std::vector<Vertex>& flight)
{
    double low = *std::min_element(ground.begin(), ground.end());
    double high = *std::max_element(ground.begin(), ground.end());
    for (const Vertex& v : flight) {
        low = std::min(low, v.z);
        high = std::max(high, v.z);
    }
    f.low = low;
    f.high = std::max(high, low + 1.0); // a level picture still needs a scale
    f.band = f.height() >= 4 * kCharHeight ? kAltitudeLabelBand : f.height() / 8;
}

void drawLabels(Surface& s, const Frame& f)
{
    if (f.band < kAltitudeLabelBand) return;
    char text[32];
    std::snprintf(text, sizeof text, "%ld m", std::lround(f.high));
    label(s, f, f.left + 2, f.top + 1, text, altitude_colour::kHighText);
    std::snprintf(text, sizeof text, "%ld m", std::lround(f.low));
    label(s, f, f.left + 2, f.bottom - kCharHeight, text, altitude_colour::kLowText);
}

} // namespace

AltitudeView zoomAltitudeIn(AltitudeView view)
{
    return {std::min(std::clamp(view.zoom, 1, kAltitudeZoomMax) * 2, kAltitudeZoomMax)};
}

AltitudeView zoomAltitudeOut(AltitudeView view) { return {std::clamp(view.zoom / 2, 1, kAltitudeZoomMax)}; }

AltitudeView unzoomAltitude(AltitudeView) { return {1}; }

AltitudeWindow altitudeWindow(AltitudeView view, int pointCount, int currentPoint)
{
    if (pointCount <= 0) return {};
    const int zoom = std::clamp(view.zoom, 1, kAltitudeZoomMax);
    const int count = std::min(pointCount, std::max((pointCount + zoom - 1) / zoom, 2));
    const int current = std::clamp(currentPoint, 0, pointCount - 1);
    return {std::clamp(current - count / 2, 0, pointCount - count), count};
}

int altitudeDisplayPoint(int x, int x0, int x1, AltitudeWindow window)
{
    const int w = x1 - x0 - 1;
    if (window.count <= 0 || w <= 0) return -1;
    const long long c = std::clamp(x, x0 + 1, x1 - 1) - (x0 + 1);
    return window.first + static_cast<int>(((2 * c + 1) * window.count) / (2LL * w));
}

int altitudeDisplayColumn(int point, int x0, int x1, AltitudeWindow window)
{
    const int w = x1 - x0 - 1;
    if (window.count <= 0 || w <= 0) return x0;
    const long long k = point - window.first;
    return x0 + 1 + static_cast<int>(floorDiv((2 * k + 1) * w, 2LL * window.count));
}

void drawAltitudeDisplay(Surface& s, int x0, int y0, int x1, int y1, const PathState& path, const Landscape& land,
                         AltitudeView view, int currentPoint)
{
    Frame f{x0 + 1, y0 + 1, x1 - 1, y1 - 1};
    outlineRect(s, x0, y0, x1, y1, altitude_colour::kFrame);
    if (f.width() <= 0 || f.height() <= 0) return;
    fillRect(s, f.left, f.top, f.right, f.bottom, altitude_colour::kBack);

    const std::vector<PathPoint>& points = path.points;
    const int n = static_cast<int>(points.size());
    if (n == 0) {
        const int width = static_cast<int>(std::char_traits<char>::length(kNoPath)) * kCharWidth;
        label(s, f, f.left + (f.width() - width) / 2, f.top + (f.height() - kCharHeight) / 2, kNoPath,
              altitude_colour::kHighText);
        return;
    }
    const int current = std::clamp(currentPoint, 0, n - 1);
    const AltitudeWindow window = altitudeWindow(view, n, current);

    // The ground, filled from its top down to the bottom.
    const std::vector<double> ground = groundProfile(f, land, points, window);
    const std::vector<Vertex> flight = flightLine(f, points, window);
    fitScale(f, ground, flight);
    for (int c = 0; c < f.width(); ++c)
        fillRect(s, f.left + c, std::max(f.rowOf(ground[static_cast<std::size_t>(c)]), f.top), f.left + c, f.bottom,
                 altitude_colour::kEarth);

    // The current point under the flight, so the line stays whole.
    const int marker = altitudeDisplayColumn(current, x0, x1, window);
    line(s, f, marker, f.top, marker, f.bottom, altitude_colour::kMarker);

    for (std::size_t i = 0; i < flight.size(); ++i) {
        const Vertex& from = flight[i == 0 ? 0 : i - 1];
        line(s, f, from.x, f.rowOf(from.z), flight[i].x, f.rowOf(flight[i].z), altitude_colour::kFlight);
    }
    drawLabels(s, f);
}

} // namespace kalvenor
