#include "path/path_spline.h"

#include <algorithm>
#include <cmath>

namespace kalvenor {

namespace {

constexpr double kTangentShare = 5.0 / 14.0; // length of the Bezier's inner control arms
constexpr double kSlowestNodeSpeed = 10.0;   // centimetres; slower node speeds count as this
constexpr double kLookAhead = 50.0;          // a released target runs 50 frames ahead of the camera

struct V3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
V3 operator/(V3 a, double k) { return {a.x / k, a.y / k, a.z / k}; }
double length(V3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

V3 nodePosition(const PathNode& n) { return {n.x, n.y, n.z}; }
V3 nodeTarget(const PathNode& n) { return {n.targetX, n.targetY, n.targetZ}; }
V3 pointPosition(const PathPoint& p) { return {p.x, p.y, p.z}; }

// Keeps the samples that are far enough apart, while the list has room.
struct Sampler {
    std::vector<PathPoint>& points;
    std::size_t limit; // capacity - 1: one slot stays free

    bool full() const { return points.size() >= limit; }

    void offer(V3 at, double minDistance, int node)
    {
        if (full()) return;
        if (!points.empty() && length(at - pointPosition(points.back())) < minDistance) return;
        PathPoint p;
        p.x = static_cast<float>(at.x);
        p.y = static_cast<float>(at.y);
        p.z = static_cast<float>(at.z);
        p.node = node;
        points.push_back(p);
    }
};

// The inner control arm of a Bezier end: along the chord of the neighbouring
// nodes, scaled to the segment. Coinciding neighbours give no arm (rather than
// a division by zero).
V3 controlArm(V3 chord, double segmentLength)
{
    const double chordLength = length(chord);
    if (chordLength == 0.0) return {};
    return chord * segmentLength / chordLength * kTangentShare;
}

// Fixed speed: a cubic Bezier from P1 to P2, sampled from t = 1/N.
void sampleBezier(const V3 (&p)[4], double spacing, int node, Sampler& out)
{
    const double d21 = length(p[2] - p[1]);
    const V3 c1 = p[1] + controlArm(p[2] - p[0], d21);
    const V3 c2 = p[2] - controlArm(p[3] - p[1], d21);
    const V3 c = (c1 - p[1]) * 3.0;
    const V3 b = (c2 - c1) * 3.0 - c;
    const V3 a = p[2] - p[1] - c - b;

    const double n = d21 * (1.0 / 3.0) * 3000.0 / spacing;
    double step = 1.0 / n;
    if (!(step > 0.0)) step = 0.001;
    const double minDistance = spacing / 100.0;
    for (double t = step; t <= 1.0 && !out.full(); t += step) {
        out.offer(((a * t + b) * t + c) * t + p[1], minDistance, node);
        if (t + step == t) break; // a step too small to move t on would never end
    }
}

V3 bSplinePoint(const V3 (&p)[4], double t)
{
    const double t2 = t * t, t3 = t2 * t;
    const double b0 = (-t3 + 3.0 * t2 - 3.0 * t + 1.0) / 6.0;
    const double b1 = (3.0 * t3 - 6.0 * t2 + 4.0) / 6.0;
    const double b2 = (-3.0 * t3 + 3.0 * t2 + 3.0 * t + 1.0) / 6.0;
    const double b3 = t3 / 6.0;
    return p[0] * b0 + p[1] * b1 + p[2] * b2 + p[3] * b3;
}

// Variable speed: a uniform cubic B-spline from t = 0, its spacing moving
// linearly from the speed of the second node to that of the third.
void sampleBSpline(const V3 (&p)[4], double v1, double v2, int node, Sampler& out)
{
    v1 = std::max(v1, kSlowestNodeSpeed);
    v2 = std::max(v2, kSlowestNodeSpeed);
    const double n =
        (length(p[1] - p[0]) / 3.0 + length(p[2] - p[1]) + length(p[3] - p[2]) / 3.0) * 600.0 / std::min(v1, v2);
    const double step = 1.0 / n;
    for (double t = 0.0; t <= 1.0 && !out.full(); t += step) {
        out.offer(bSplinePoint(p, t), (v1 + (v2 - v1) * t) / 100.0, node);
        if (t + step == t) break;
    }
}

int segmentCount(int nodeCount, bool closed) { return closed ? nodeCount : nodeCount - 3; }

// Where the camera would be 50 frames on, at the speed it has at point p. The
// last point of the list has no successor: a closed loop goes on to point 0,
// an open path keeps the direction it came from.
V3 lookAhead(const std::vector<PathPoint>& points, int p, bool closed)
{
    const V3 here = pointPosition(points[static_cast<std::size_t>(p)]);
    const int n = static_cast<int>(points.size());
    if (p + 1 < n) return here + (pointPosition(points[static_cast<std::size_t>(p + 1)]) - here) * kLookAhead;
    if (closed) return here + (pointPosition(points[0]) - here) * kLookAhead;
    if (p > 0) return here + (here - pointPosition(points[static_cast<std::size_t>(p - 1)])) * kLookAhead;
    return here;
}

} // namespace

double frameSpacing(const std::vector<PathNode>& nodes, const PathSettings& settings)
{
    double spacing = settings.speed;
    if (settings.fixedFrameCount != 0 && settings.frameCount != 0) {
        double sum = 0.0;
        for (std::size_t k = 1; k + 2 < nodes.size(); ++k)
            sum += length(nodePosition(nodes[k + 1]) - nodePosition(nodes[k]));
        spacing = 100.0 * sum / settings.frameCount;
    }
    return spacing;
}

void assignSegmentTargets(const std::vector<PathNode>& nodes, const SegmentSpan& span, bool closed,
                          std::vector<PathPoint>& points)
{
    const std::size_t n = nodes.size();
    const PathNode& a = nodes[static_cast<std::size_t>(span.segment + 1) % n];
    const PathNode& b = nodes[static_cast<std::size_t>(span.segment + 2) % n];
    const bool aLooks = a.targetState == kTargetLook;
    const bool bLooks = b.targetState == kTargetLook;
    if (!aLooks && !bLooks) return;

    for (int p = span.first; p <= span.last; ++p) {
        // A segment of one point has nothing to blend over: it takes the start.
        const double w = span.last > span.first ? static_cast<double>(p - span.first) / (span.last - span.first) : 0.0;
        V3 from, to;
        if (aLooks && b.targetState == kTargetRelease) {
            from = nodeTarget(a);
            to = lookAhead(points, p, closed);
        } else if (aLooks) {
            from = nodeTarget(a);
            to = bLooks ? nodeTarget(b) : nodeTarget(a);
        } else {
            from = lookAhead(points, p, closed);
            to = nodeTarget(b);
        }
        const V3 target = from + (to - from) * w;
        PathPoint& point = points[static_cast<std::size_t>(p)];
        point.targetX = static_cast<float>(target.x);
        point.targetY = static_cast<float>(target.y);
        point.targetZ = static_cast<float>(target.z);
        point.targetFlag = 1;
    }
}

void buildSplinePoints(const std::vector<PathNode>& nodes, const PathSettings& settings, std::size_t capacity,
                       std::vector<PathPoint>& points)
{
    points.clear();
    const int n = static_cast<int>(nodes.size());
    if (n < 4 || capacity < 2) return;
    const bool closed = settings.closedLoop != 0;
    const double spacing = frameSpacing(nodes, settings);
    Sampler out{points, capacity - 1};

    std::vector<SegmentSpan> spans;
    for (int i = 0; i < segmentCount(n, closed) && !out.full(); ++i) {
        V3 p[4];
        for (int k = 0; k < 4; ++k) p[k] = nodePosition(nodes[static_cast<std::size_t>((i + k) % n)]);
        const int before = static_cast<int>(points.size());
        if (settings.variableSpeed != 0)
            sampleBSpline(p, nodes[static_cast<std::size_t>((i + 1) % n)].speed,
                          nodes[static_cast<std::size_t>((i + 2) % n)].speed, i + 1, out);
        else
            sampleBezier(p, spacing, i + 1, out);
        if (static_cast<int>(points.size()) > before) spans.push_back({i, before, static_cast<int>(points.size()) - 1});
    }
    // Targets come once every segment is sampled, so that the look-ahead of a
    // segment's last point sees the first point of the next segment.
    for (const SegmentSpan& span : spans) assignSegmentTargets(nodes, span, closed, points);
}

} // namespace kalvenor
