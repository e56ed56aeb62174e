#include "path/path_dynamics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <optional>

#include "base/frontend.h"
#include "model/camera_aim.h"

namespace kalvenor {

namespace {

// Banks grow with the turn's sideways pull: for a steady turn of radius R at s
// metres a frame the measure below is s^2 / R metres, and a coefficient of 10
// at 30 m a frame banks about 31 degrees in a 5 km turn, 72 in a 1 km one.
constexpr double kBankMetres = 3.0;
constexpr double kMaxBank = 90.0;
constexpr int kClearanceRounds = 25;      // rounds the lowest height may stay the same
constexpr double kLeastHeightStart = 32000.0;
constexpr double kClearanceShare = 0.9;   // a point this share of the minimum up is high enough

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The neighbours of point i; a closed loop wraps, and the caller keeps the ends
// of an open path out of the loop.
int previousOf(int i, int n) { return i == 0 ? n - 1 : i - 1; }
int nextOf(int i, int n) { return i + 1 == n ? 0 : i + 1; }

// The points a smoothing pass changes: all of a closed loop, the interior of an open path.
int firstSmoothed(bool closed) { return closed ? 0 : 1; }
int lastSmoothed(int n, bool closed) { return closed ? n - 1 : n - 2; }

// The three-point mean (a + 2h + b) / 4 over one field, computed from the old
// values into the scratch slots and stored once the pass is done.
void smoothLinear(std::vector<PathPoint>& points, float PathPoint::*field, bool closed)
{
    const int n = static_cast<int>(points.size());
    if (n == 0) return;
    const int first = firstSmoothed(closed), last = lastSmoothed(n, closed);
    for (int i = first; i <= last; ++i) {
        const double a = points[at(previousOf(i, n))].*field;
        const double h = points[at(i)].*field;
        const double b = points[at(nextOf(i, n))].*field;
        points[at(i)].scratch = static_cast<float>((a + 2.0 * h + b) / 4.0);
    }
    for (int i = first; i <= last; ++i) points[at(i)].*field = points[at(i)].scratch;
}

// A(x, y) - 90, in 0 .. 360: the heading of a direction on the map.
double headingOf(double dx, double dy)
{
    double h = vectorAngle(dx, dy) - 90.0;
    if (h < 0.0) h += 360.0;
    return h;
}

// The direction a point looks along: toward its target, else toward the next
// point; past the end of the list, wrapAround decides between point 0 and the
// direction from the previous point.
void lookDirection(const std::vector<PathPoint>& points, int k, bool wrapAround, double& dx, double& dy, double& dz)
{
    const PathPoint& p = points[at(k)];
    const int n = static_cast<int>(points.size());
    const PathPoint* from = &p;
    const PathPoint* to = nullptr;
    if (p.targetFlag != 0) {
        dx = p.targetX - p.x, dy = p.targetY - p.y, dz = p.targetZ - p.z;
        return;
    }
    if (k + 1 < n) to = &points[at(k + 1)];
    else if (wrapAround) to = &points[0];
    else if (k > 0) from = &points[at(k - 1)], to = &p;
    if (to == nullptr) {
        dx = dy = dz = 0.0;
        return;
    }
    dx = static_cast<double>(to->x) - from->x;
    dy = static_cast<double>(to->y) - from->y;
    dz = static_cast<double>(to->z) - from->z;
}

// Raises the points around point p so that p stands at target: a bump of
// (cos(pi j / w) + 1) d over j = -(w - 1) .. w - 1.
void liftAround(std::vector<PathPoint>& points, int p, double target, int w, bool closed)
{
    const int n = static_cast<int>(points.size());
    const double d = (target - points[at(p)].z) / 2.0;
    for (int j = -(w - 1); j <= w - 1; ++j) {
        int k = p + j;
        if (closed) k = ((k % n) + n) % n;
        else if (k < 0 || k >= n) continue;
        points[at(k)].z = static_cast<float>(points[at(k)].z + (std::cos(std::numbers::pi * j / w) + 1.0) * d);
    }
}

std::string clearanceStatus(int point, int count, double least)
{
    char text[96];
    std::snprintf(text, sizeof text, "Adj Height...(%d/%d) Min=%d", point, count, static_cast<int>(least));
    return text;
}

} // namespace

double groundElevation(const Landscape& land, double x, double y)
{
    const double column = x / land.spacingX;
    const double row = y / land.spacingY;
    const ElevationMap& map = land.elevation;
    // Checked before the conversion, which truncates toward zero: -0.5 is column 0.
    if (!map.allocated() || !(column > -1.0 && column < map.width && row > -1.0 && row < map.height)) return 0.0;
    return map[static_cast<int>(row)][static_cast<int>(column)];
}

void followGround(std::vector<PathPoint>& points, const Landscape& land, double clearance)
{
    for (PathPoint& p : points) p.z = static_cast<float>(groundElevation(land, p.x, p.y) + clearance);
}

void smoothAltitudes(std::vector<PathPoint>& points, bool closed) { smoothLinear(points, &PathPoint::z, closed); }

double adjustClearance(std::vector<PathPoint>& points, const Landscape& land, double minimum, int smoothness,
                       bool closed, Frontend& ui)
{
    const int n = static_cast<int>(points.size());
    if (n == 0) return 0.0;
    std::vector<double> ground(at(n));
    for (int k = 0; k < n; ++k) ground[at(k)] = groundElevation(land, points[at(k)].x, points[at(k)].y);
    const int w = std::max(1, std::min(n, smoothness));

    int counter = kClearanceRounds;
    std::optional<long long> lastWhole;
    double greatest = -kLeastHeightStart;
    for (;;) {
        double least = kLeastHeightStart;
        int lowest = -1;
        greatest = -kLeastHeightStart;
        for (int k = 0; k < n; ++k) {
            const double h = points[at(k)].z - ground[at(k)];
            if (h < least) least = h, lowest = k;
            greatest = std::max(greatest, h);
        }
        ui.status(clearanceStatus(std::max(lowest, 0), n, least));
        // No point below the search's starting height: nothing to lift.
        if (lowest < 0 || !(least < kClearanceShare * minimum)) break;
        const long long whole = static_cast<long long>(least);
        if (lastWhole && *lastWhole == whole) {
            if (--counter == 0) break;
        } else {
            counter = kClearanceRounds;
            lastWhole = whole;
        }
        liftAround(points, lowest, ground[at(lowest)] + minimum, w, closed);
    }
    return greatest;
}

void computeHeadings(std::vector<PathPoint>& points, bool closed)
{
    const int n = static_cast<int>(points.size());
    for (int k = 0; k < n; ++k) {
        double dx, dy, dz;
        lookDirection(points, k, closed, dx, dy, dz);
        points[at(k)].heading = static_cast<float>(headingOf(dx, dy));
    }
    if (closed || n < 3 || points[at(n - 1)].targetFlag != 0) return;
    // The end of an open path keeps turning as it turned last. Kept in 0 .. 360
    // like every other heading (the same direction, one turn added or taken).
    double h = 2.0 * points[at(n - 2)].heading - points[at(n - 3)].heading;
    if (h < 0.0) h += 360.0;
    else if (h >= 360.0) h -= 360.0;
    points[at(n - 1)].heading = static_cast<float>(h);
}

void smoothAngles(std::vector<PathPoint>& points, float PathPoint::*angle, bool closed)
{
    const int n = static_cast<int>(points.size());
    if (n == 0) return;
    const int first = firstSmoothed(closed), last = lastSmoothed(n, closed);
    for (int i = first; i <= last; ++i) {
        const double h = points[at(i)].*angle;
        double a = points[at(previousOf(i, n))].*angle;
        double b = points[at(nextOf(i, n))].*angle;
        // Neighbours across the 0/360 seam are moved to h's side of it.
        if (h < 180.0) {
            if (a - h > 180.0) a -= 360.0;
            if (b - h > 180.0) b -= 360.0;
        } else if (h > 180.0) {
            if (h - a > 180.0) a += 360.0;
            if (h - b > 180.0) b += 360.0;
        }
        double mean = (a + h + b) / 3.0;
        if (mean < 0.0) mean += 360.0;
        if (mean > 360.0) mean -= 360.0;
        points[at(i)].scratch = static_cast<float>(mean);
    }
    for (int i = first; i <= last; ++i) points[at(i)].*angle = points[at(i)].scratch;
}

void computeBanks(std::vector<PathPoint>& points, double coefficient)
{
    const int n = static_cast<int>(points.size());
    for (PathPoint& p : points) p.bank = 0.0f;
    for (int i = 1; i + 1 < n; ++i) {
        const PathPoint &prev = points[at(i - 1)], &here = points[at(i)], &next = points[at(i + 1)];
        const double ux = static_cast<double>(prev.x) - here.x, uy = static_cast<double>(prev.y) - here.y;
        const double vx = static_cast<double>(here.x) - next.x, vy = static_cast<double>(here.y) - next.y;
        const double vz = static_cast<double>(here.z) - next.z;
        const double cross = ux * vy - uy * vx;
        const double len = std::sqrt(vx * vx + vy * vy + vz * vz);
        // Coinciding points make no turn (and would divide by zero); straight
        // flight banks +0, not the -0 that negating a zero turn would print.
        const double pull = len > 0.0 && cross != 0.0 ? cross / len : 0.0;
        const double bank = -std::atan(pull * coefficient / kBankMetres) * (180.0 / std::numbers::pi);
        points[at(i)].bank = static_cast<float>(std::clamp(bank, -kMaxBank, kMaxBank) + 0.0);
    }
    if (n >= 2) {
        points[0].bank = points[1].bank;
        points[at(n - 1)].bank = points[at(n - 2)].bank;
    }
}

void applyRoll(std::vector<PathPoint>& points, int start, int roll, bool closed)
{
    const long long n = static_cast<long long>(points.size());
    if (roll == 0 || start < 0 || start >= n) return;
    const long long frames = std::llabs(static_cast<long long>(roll));
    // An open path ends the roll with its last point; a closed loop goes on from
    // point 0 but never round a second time.
    const long long reach = std::min(frames, closed ? n : n - start);
    for (long long k = 0; k < reach; ++k) {
        PathPoint& p = points[static_cast<std::size_t>((start + k) % n)];
        const double amount = 360.0 * static_cast<double>(k + 1) / static_cast<double>(frames);
        double bank = p.bank;
        if (roll > 0) {
            bank += amount;
            if (bank > 180.0) bank -= 360.0;
        } else {
            bank -= amount;
            if (bank < -180.0) bank += 360.0;
        }
        p.bank = static_cast<float>(bank);
    }
}

void applyNodeRolls(std::vector<PathPoint>& points, const std::vector<PathNode>& nodes, bool closed)
{
    // First point of each node's segment; node numbers run to the node count.
    std::vector<int> firstOf(nodes.size() + 1, -1);
    for (int k = static_cast<int>(points.size()) - 1; k >= 0; --k) {
        const int node = points[at(k)].node;
        if (node >= 0 && at(node) < firstOf.size()) firstOf[at(node)] = k;
    }
    for (std::size_t j = 0; j < nodes.size(); ++j)
        if (nodes[j].roll != 0 && firstOf[j] >= 0) applyRoll(points, firstOf[j], nodes[j].roll, closed);
}

void computePitches(std::vector<PathPoint>& points, double extraPitch)
{
    const int n = static_cast<int>(points.size());
    for (int k = 0; k < n; ++k) {
        double dx, dy, dz;
        lookDirection(points, k, false, dx, dy, dz);
        double pitch = vectorAngle(std::sqrt(dx * dx + dy * dy), dz) + extraPitch;
        if (pitch < 0.0) pitch += 360.0;
        if (pitch > 360.0) pitch -= 360.0;
        points[at(k)].pitch = static_cast<float>(pitch);
    }
}

void smoothPitches(std::vector<PathPoint>& points, bool closed)
{
    for (PathPoint& p : points) {
        if (p.pitch > 90.0f) p.pitch -= 360.0f;
        if (p.pitch < -90.0f) p.pitch += 360.0f;
    }
    smoothLinear(points, &PathPoint::pitch, closed);
}

} // namespace kalvenor
