#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <numbers>
#include <limits>
#include <string>
#include <vector>

#include "app/landscape_commands.h"
#include "files/landscape_file.h"
#include "files/path_export.h"
#include "model/path_layout.h"
#include "path/path_dynamics.h"
#include "path/path_edit.h"
#include "path/path_generate.h"
#include "path/path_spline.h"
#include "platform/scripted_frontend.h"
#include "script/interpreter.h"
#include "script/runner.h"
#include "shell/startup.h"
#include "support/temp_dir.h"

namespace kalvenor {

// Names the preset in test output instead of dumping its bytes.
void PrintTo(const VehiclePreset& preset, std::ostream* out) { *out << preset.name; }

namespace {

using testing::readFile;
using testing::TempDir;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

PathNode node(float x, float y, float z, float speed = 3000.0f)
{
    PathNode n;
    n.x = x, n.y = y, n.z = z, n.speed = speed;
    return n;
}

void setNodes(PathState& path, const std::vector<PathNode>& nodes)
{
    for (std::size_t i = 0; i < nodes.size(); ++i) writePathNode(path, static_cast<int>(i), nodes[i]);
    setPathNodeCount(path, static_cast<int>(nodes.size()));
}

PathPoint point(float x, float y, float z = 0.0f)
{
    PathPoint p;
    p.x = x, p.y = y, p.z = z;
    return p;
}

std::vector<float> field(const std::vector<PathPoint>& points, float PathPoint::*member)
{
    std::vector<float> values;
    for (const PathPoint& p : points) values.push_back(p.*member);
    return values;
}

void expectNear(const std::vector<float>& actual, const std::vector<double>& expected, double tolerance,
                const std::string& what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << what << " [" << i << "]";
}

// A 258 x 258 grid at 30 m spacing whose elevation is given per cell.
template <typename Height>
void shapeGround(Landscape& land, Height height)
{
    ASSERT_EQ(allocateGrid(land, kSmallGrid, kSmallGrid), 1);
    land.spacingX = land.spacingY = 30.0f;
    for (int row = 0; row < land.gridHeight; ++row)
        for (int column = 0; column < land.gridWidth; ++column)
            land.elevation[row][column] = static_cast<std::int16_t>(height(column, row));
}

class PathTest : public ::testing::Test {
protected:
    Landscape land;
    PathState path;
    ScriptedFrontend ui;

    void SetUp() override
    {
        shapeGround(land, [](int, int) { return 0; });
    }

    void settings(void (*change)(PathSettings&))
    {
        PathSettings s = readPathSettings(path);
        change(s);
        writePathSettings(path, s);
    }
};

// ---- The stored form ----

TEST(PathLayout, ANewPathHoldsTheDefaultSettings)
{
    const PathState path;
    const std::int32_t expected[19] = {0, 0, 0, 1, 1, 0, 0, 1, 2, 0, 1, 200, 3000, 10, 100, 15, 20, 0, 30};
    for (int w = 0; w < 19; ++w) {
        const std::uint8_t* p = path.settings.data() + 4 * w;
        EXPECT_EQ(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24, expected[w]) << "word " << w;
    }
    // Word 19 is the single-precision 1.0, little-endian.
    EXPECT_EQ(path.settings[76], 0x00);
    EXPECT_EQ(path.settings[77], 0x00);
    EXPECT_EQ(path.settings[78], 0x80);
    EXPECT_EQ(path.settings[79], 0x3F);
    const PathSettings s = readPathSettings(path);
    EXPECT_EQ(s.speed, 3000);
    EXPECT_EQ(s.vehicleClass, kVehicleAir);
    EXPECT_EQ(s.pathClearance, 30);
    EXPECT_EQ(s.reserved19, 0x3F800000u);
    EXPECT_EQ(path.nodes.size(), 40000u);
}

TEST(PathLayout, NodeFieldsLieLittleEndianAtTheirOffsets)
{
    PathState path;
    PathNode n = node(1.0f, -2.0f, 0.5f, 3000.0f);
    n.targetX = 2.0f, n.targetY = 4.0f, n.targetZ = -1.0f;
    n.targetState = kTargetLook;
    n.roll = -2;
    n.reserved = 0x11223344u;
    writePathNode(path, 1, n);
    const std::array<std::uint8_t, 40> expected = {
        0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x3F, // x 1.0, y -2.0, z 0.5
        0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0x40, 0x00, 0x00, 0x80, 0xBF, // targets 2.0, 4.0, -1.0
        0x00, 0x80, 0x3B, 0x45,                                                 // speed 3000.0
        0x01, 0x00, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0x44, 0x33, 0x22, 0x11, // state, roll, reserved
    };
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(path.nodes[40 + i], expected[i]) << "byte " << i;
    for (std::size_t i = 0; i < 40; ++i) EXPECT_EQ(path.nodes[i], 0) << "node 0 untouched, byte " << i;
    for (std::size_t i = 80; i < 120; ++i) EXPECT_EQ(path.nodes[i], 0) << "node 2 untouched, byte " << i;
}

TEST(PathLayout, TheTypedViewGivesBackEveryByte)
{
    PathState stored;
    for (std::size_t i = 0; i < stored.settings.size(); ++i) stored.settings[i] = static_cast<std::uint8_t>(i * 37 + 11);
    for (std::size_t i = 0; i < stored.nodes.size(); ++i) stored.nodes[i] = static_cast<std::uint8_t>(i * 131 + 7);

    PathState copy;
    copy.nodes.assign(kPathNodeBytes, 0xAA);
    writePathSettings(copy, readPathSettings(stored));
    for (int i = 0; i < kMaxPathNodes; ++i) writePathNode(copy, i, readPathNode(stored, i));
    EXPECT_EQ(copy.settings, stored.settings);
    EXPECT_EQ(copy.nodes, stored.nodes);
}

TEST(PathLayout, SessionsCarryThePathBytesUnchanged)
{
    TempDir dir("path");
    App saved;
    ScriptedFrontend ui;
    initialiseApp(saved, ui);
    for (std::size_t i = 0; i < saved.path.settings.size(); ++i) saved.path.settings[i] = static_cast<std::uint8_t>(i * 7 + 3);
    for (std::size_t i = 0; i < saved.path.nodes.size(); ++i) saved.path.nodes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    ASSERT_EQ(saveSession(saved, dir / "s.k4s", ui), Outcome::Done);

    App loaded;
    initialiseApp(loaded, ui);
    ASSERT_EQ(loadLandscape(loaded, dir / "s.k4s", ui), Loaded::WithSettings);
    EXPECT_EQ(loaded.path.settings, saved.path.settings);
    EXPECT_EQ(loaded.path.nodes, saved.path.nodes);
}

// Loading a session that carries a path rebuilds its flight at once, from the
// script and at start-up alike.
TEST(PathLayout, LoadingASessionRegeneratesThePoints)
{
    TempDir dir("pathload");
    ScriptedFrontend ui;
    App saved;
    initialiseApp(saved, ui);
    setNodes(saved.path, {node(300, 300, 500), node(2000, 300, 500), node(2000, 2000, 500), node(300, 2000, 500)});
    ASSERT_EQ(saveSession(saved, dir / "s.k4s", ui), Outcome::Done);

    App loaded;
    initialiseApp(loaded, ui);
    ASSERT_TRUE(loaded.path.points.empty());
    ASSERT_EQ(executeLine(loaded, ui, "LoadLandscape " + (dir / "s.k4s")), LineResult::Done);
    EXPECT_GT(loaded.path.points.size(), 4u);

    App started;
    initialiseApp(started, ui);
    ASSERT_EQ(loadStartupLandscape(started, ui, dir / "s.k4s", dir.path.string()), Loaded::WithSettings);
    EXPECT_EQ(started.path.points.size(), loaded.path.points.size());
}

TEST(PathLayout, TheNodeCountIsTrustedOnlyWithinTheTable)
{
    const struct {
        std::int32_t stored;
        std::size_t tableBytes;
        int expected;
    } cases[] = {
        {4, kPathNodeBytes, 4},      {1000, kPathNodeBytes, 1000}, {1001, kPathNodeBytes, 1000},
        {INT_MAX, kPathNodeBytes, 1000}, {-3, kPathNodeBytes, 0}, {INT_MIN, kPathNodeBytes, 0},
        {10, 5 * 40 + 39, 5}, // a table cut short holds five whole records
    };
    for (const auto& c : cases) {
        PathState path;
        PathSettings s = readPathSettings(path);
        s.nodeCount = c.stored;
        writePathSettings(path, s);
        path.nodes.resize(c.tableBytes);
        EXPECT_EQ(pathNodeCount(path), c.expected) << c.stored;
        EXPECT_EQ(readPathNodes(path).size(), static_cast<std::size_t>(c.expected)) << c.stored;
    }
}

TEST_F(PathTest, HostileNodesAreRefusedBeforeAnythingIsComputed)
{
    const auto nanAt = [](PathNode& n) { n.x = kNaN; };
    const auto infiniteSpeed = [](PathNode& n) { n.speed = kInf; };
    const auto farAway = [](PathNode& n) { n.y = 3.0e30f; };
    const auto nanTargetLooked = [](PathNode& n) { n.targetState = kTargetLook, n.targetZ = kNaN; };
    const auto nanTargetUnused = [](PathNode& n) { n.targetState = kTargetNone, n.targetZ = kNaN; };
    const struct {
        const char* name;
        void (*damage)(PathNode&);
        bool refused;
    } cases[] = {
        {"NaN position", nanAt, true},
        {"infinite speed", infiniteSpeed, true},
        {"coordinate beyond any landscape", farAway, true},
        {"NaN target that is looked at", nanTargetLooked, true},
        {"NaN target nobody looks at", nanTargetUnused, false},
    };
    for (const auto& c : cases) {
        std::vector<PathNode> nodes = {node(0, 0, 100), node(300, 0, 100), node(600, 0, 100), node(900, 0, 100)};
        c.damage(nodes[2]);
        setNodes(path, nodes);
        path.points.assign(3, PathPoint{}); // an old list must not survive a refusal
        ui.messages.clear();
        EXPECT_EQ(generatePath(path, land, ui), c.refused ? 0 : 1) << c.name;
        if (c.refused) {
            EXPECT_TRUE(path.points.empty()) << c.name;
            EXPECT_EQ(ui.messages, std::vector<std::string>{"Path node 3 holds an unusable value."}) << c.name;
        } else {
            EXPECT_TRUE(ui.messages.empty()) << c.name;
        }
    }
}

TEST_F(PathTest, HostileSettingsStillGiveAFiniteBoundedPath)
{
    setNodes(path, {node(0, 0, 100), node(300, 0, 100), node(600, 30, 100), node(900, 0, 100)});
    const struct {
        const char* name;
        void (*change)(PathSettings&);
    } cases[] = {
        {"huge smoothness", [](PathSettings& s) { s.smoothness = INT_MAX; }},
        {"negative smoothness", [](PathSettings& s) { s.smoothness = INT_MIN; }},
        {"fixed speed 0", [](PathSettings& s) { s.variableSpeed = 0, s.speed = 0; }},
        {"fixed speed negative", [](PathSettings& s) { s.variableSpeed = 0, s.speed = -50; }},
        {"frame count mode, negative count", [](PathSettings& s) { s.variableSpeed = 0, s.fixedFrameCount = 1, s.frameCount = -7; }},
        {"frame count mode, huge count", [](PathSettings& s) { s.variableSpeed = 0, s.fixedFrameCount = 1, s.frameCount = INT_MAX; }},
        {"huge clearance", [](PathSettings& s) { s.groundClearance = 1, s.pathClearance = INT_MAX; }},
        {"huge bank and pitch", [](PathSettings& s) { s.bankCoefficient = INT_MAX, s.extraPitch = INT_MIN; }},
    };
    for (const auto& c : cases) {
        path.settings = PathState{}.settings;
        setPathNodeCount(path, 4);
        PathSettings s = readPathSettings(path);
        c.change(s);
        writePathSettings(path, s);
        generatePathPoints(path, land, ui);
        ASSERT_FALSE(path.points.empty()) << c.name;
        EXPECT_LT(path.points.size(), kPathPointCapacity) << c.name;
        for (const PathPoint& p : path.points)
            for (float v : {p.x, p.y, p.z, p.bank, p.heading, p.pitch}) ASSERT_TRUE(std::isfinite(v)) << c.name;
    }
}

// ---- The curve ----

TEST(PathSpline, FrameSpacingComesFromTheSpeedOrTheFrameCount)
{
    // Nodes 1 .. 4 of six lie 30, 40 and 50 m apart (straight lines); the end
    // nodes are far away and do not count.
    const std::vector<PathNode> nodes = {node(-1000, 0, 0), node(0, 0, 0), node(30, 0, 0),
                                         node(30, 40, 0),   node(30, 40, 50), node(5000, 0, 0)};
    const struct {
        int fixedFrameCount;
        int frameCount;
        double expected;
    } cases[] = {
        {0, 10, 3000.0},            // the speed setting
        {1, 0, 3000.0},             // no frame count: still the speed
        {1, 10, 100.0 * 120 / 10},  // 120 m over 10 frames: 1200 cm
        {1, 240, 100.0 * 120 / 240}, // 50 cm
    };
    for (const auto& c : cases) {
        PathSettings s;
        s.fixedFrameCount = c.fixedFrameCount;
        s.frameCount = c.frameCount;
        EXPECT_DOUBLE_EQ(frameSpacing(nodes, s), c.expected) << c.fixedFrameCount << " " << c.frameCount;
    }
}

TEST(PathSpline, VariableSpeedSpacesPointsByTheNodeSpeeds)
{
    // Equally spaced nodes on a line make the B-spline run at constant pace
    // from x = 100 to 200: x = 100 + 100 t. N = (100/3 + 100 + 100/3) * 600 /
    // 2000 = 50 samples, 2 m apart. The minimum distance grows from 20 m (node
    // 1, 2000 cm) to 40 m (node 2): a sample at t is kept when it lies 20 + 20 t
    // metres from the last one. Kept: t = 0 (x 100), 0.26 (126 >= 25.2 away),
    // 0.58 (158 >= 31.6), 0.98 (198 >= 39.6).
    const std::vector<PathNode> nodes = {node(0, 0, 0, 2000), node(100, 0, 0, 2000), node(200, 0, 0, 4000),
                                         node(300, 0, 0, 4000)};
    std::vector<PathPoint> points;
    buildSplinePoints(nodes, PathSettings{}, kPathPointCapacity, points);
    expectNear(field(points, &PathPoint::x), {100, 126, 158, 198}, 1e-3, "x");
    expectNear(field(points, &PathPoint::y), {0, 0, 0, 0}, 1e-6, "y");
    for (const PathPoint& p : points) EXPECT_EQ(p.node, 1);
    for (const PathPoint& p : points) EXPECT_EQ(p.targetFlag, 0);
}

TEST(PathSpline, NodeSpeedsBelowTenCountAsTen)
{
    // At 10 cm the minimum distance is 0.1 m; speeds of 0 and -5 behave alike.
    const std::vector<PathNode> slow = {node(0, 0, 0, 10), node(1, 0, 0, 10), node(2, 0, 0, 10), node(3, 0, 0, 10)};
    std::vector<PathNode> stopped = slow;
    stopped[1].speed = 0.0f;
    stopped[2].speed = -5.0f;
    std::vector<PathPoint> a, b;
    buildSplinePoints(slow, PathSettings{}, kPathPointCapacity, a);
    buildSplinePoints(stopped, PathSettings{}, kPathPointCapacity, b);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_GE(a.size(), 9u); // 1 m at 0.1 m: about ten points
    EXPECT_LE(a.size(), 11u);
}

TEST(PathSpline, FixedSpeedFollowsTheBezierThroughTheMiddleNodes)
{
    // Worked from the curve's definition: T1 = (P2 - P0) * 300 / |P2 - P0| *
    // 5/14, T2 likewise from P3 - P1, c = 3 T1, b = 3 (C2 - C1) - c, a = P2 -
    // P1 - c - b, sampled at t = k / N from t = 1/N; a sample is kept when it
    // lies s / 100 metres from the last kept one.
    const struct {
        const char* name;
        std::vector<PathNode> nodes;
        int speed;
        std::vector<double> x, y;
    } cases[] = {
        // N = 300 / 3 * 3000 / 3000 = 100: about one point every 30 m.
        {"straight, 3000 cm",
         {node(0, 0, 0), node(100, 0, 0), node(400, 0, 0), node(500, 0, 0)},
         3000,
         {103.2079, 134.6363, 165.0619, 197.6786, 229.7353, 261.5742, 293.5375, 325.9675, 356.1424, 387.2430},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // N = 30; the curve leaves P1 along +x and meets P2 coming up from below.
        {"bending, 10000 cm",
         {node(0, 0, 0), node(100, 0, 0), node(400, 0, 0), node(400, 300, 0)},
         10000,
         {110.7456, 219.3432, 322.0392},
         {-0.2441, -19.3528, -33.4108}},
    };
    for (const auto& c : cases) {
        PathSettings s;
        s.variableSpeed = 0;
        s.speed = c.speed;
        std::vector<PathPoint> points;
        buildSplinePoints(c.nodes, s, kPathPointCapacity, points);
        expectNear(field(points, &PathPoint::x), c.x, 2e-3, c.name);
        expectNear(field(points, &PathPoint::y), c.y, 2e-3, c.name);
    }
}

TEST(PathSpline, AClosedLoopOfFourNodesGoesThroughAllAndBack)
{
    PathSettings s;
    s.variableSpeed = 0;
    s.closedLoop = 1;
    const std::vector<PathNode> nodes = {node(0, 0, 50), node(300, 0, 50), node(300, 300, 50), node(0, 300, 50)};
    std::vector<PathPoint> points;
    buildSplinePoints(nodes, s, kPathPointCapacity, points);

    // Each segment i records node i + 1: the four segments make the whole loop.
    std::vector<int> seen;
    for (const PathPoint& p : points)
        if (seen.empty() || seen.back() != p.node) seen.push_back(p.node);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
    // The Bezier meets every node (at t = 1 of the segment before it), so a
    // point lies within one spacing (30 m) of each node, and the loop closes.
    for (const PathNode& n : nodes) {
        double nearest = 1e9;
        for (const PathPoint& p : points) nearest = std::min<double>(nearest, std::hypot(p.x - n.x, p.y - n.y));
        EXPECT_LT(nearest, 30.0) << n.x << "," << n.y;
    }
    EXPECT_LT(std::hypot(points.back().x - points.front().x, points.back().y - points.front().y), 60.0);
    // Each side bulges to about 329 m: some 1316 m round at a point every 30 m
    // or a little more (42 when worked through sample by sample).
    EXPECT_GE(points.size(), 40u);
    EXPECT_LE(points.size(), 44u);
}

TEST(PathSpline, AFullListKeepsOneSlotFreeAndDropsTheRest)
{
    const std::vector<PathNode> nodes = {node(0, 0, 0), node(100, 0, 0), node(200, 0, 0), node(3000, 0, 0)};
    const struct {
        std::size_t capacity;
        std::size_t made;
    } cases[] = {{5, 4}, {2, 1}, {1, 0}};
    for (const auto& c : cases) {
        std::vector<PathPoint> points;
        buildSplinePoints(nodes, PathSettings{}, c.capacity, points);
        EXPECT_EQ(points.size(), c.made) << c.capacity;
    }
}

TEST(PathSpline, TargetsBlendByTheStatesOfTheSegmentsNodes)
{
    // Points at x = 100, 126, 158, 198 (see above), blend weights 0, 1/3, 2/3,
    // 1. Look-ahead L = P[p] + 50 (P[p + 1] - P[p]): 1400, 1726, 2158; the last
    // point of the open path carries on from its predecessor: 198 + 50 * 40 = 2198.
    const struct {
        const char* name;
        std::int32_t a, b;
        std::vector<double> x, y, z;
    } cases[] = {
        {"looks at A then B", kTargetLook, kTargetLook, {0, 100, 200, 300}, {500, 500, 500, 500}, {0, 20, 40, 60}},
        {"looks at A only", kTargetLook, kTargetNone, {0, 0, 0, 0}, {500, 500, 500, 500}, {0, 0, 0, 0}},
        {"released at B", kTargetLook, kTargetRelease, {0, 1726.0 / 3, 2158.0 * 2 / 3, 2198},
         {500, 1000.0 / 3, 500.0 / 3, 0}, {0, 0, 0, 0}},
        {"picked up at B", kTargetNone, kTargetLook, {1400, 1726 - 1426.0 / 3, 2158 - 1858.0 * 2 / 3, 300},
         {0, 500.0 / 3, 1000.0 / 3, 500}, {0, 20, 40, 60}},
    };
    for (const auto& c : cases) {
        std::vector<PathNode> nodes = {node(0, 0, 0, 2000), node(100, 0, 0, 2000), node(200, 0, 0, 4000),
                                       node(300, 0, 0, 4000)};
        nodes[1].targetState = c.a, nodes[1].targetX = 0, nodes[1].targetY = 500, nodes[1].targetZ = 0;
        nodes[2].targetState = c.b, nodes[2].targetX = 300, nodes[2].targetY = 500, nodes[2].targetZ = 60;
        std::vector<PathPoint> points;
        buildSplinePoints(nodes, PathSettings{}, kPathPointCapacity, points);
        ASSERT_EQ(points.size(), 4u) << c.name;
        for (const PathPoint& p : points) EXPECT_EQ(p.targetFlag, 1) << c.name;
        expectNear(field(points, &PathPoint::targetX), c.x, 1e-2, c.name);
        expectNear(field(points, &PathPoint::targetY), c.y, 1e-2, c.name);
        expectNear(field(points, &PathPoint::targetZ), c.z, 1e-2, c.name);
    }
    // Neither node looks at anything, or A only releases: no targets.
    for (std::int32_t a : {kTargetNone, kTargetRelease}) {
        std::vector<PathNode> nodes = {node(0, 0, 0), node(100, 0, 0), node(200, 0, 0), node(300, 0, 0)};
        nodes[1].targetState = a;
        nodes[2].targetState = kTargetRelease;
        std::vector<PathPoint> points;
        buildSplinePoints(nodes, PathSettings{}, kPathPointCapacity, points);
        for (const PathPoint& p : points) EXPECT_EQ(p.targetFlag, 0) << a;
    }
}

// ---- Vehicle dynamics on hand-made point lists ----

TEST(PathDynamics, GroundIsTheElevationOfTheCellUnderThePoint)
{
    Landscape land;
    shapeGround(land, [](int column, int row) { return 100 * row + column; });
    const struct {
        double x, y, expected;
    } cases[] = {
        {0, 0, 0},         {59.9, 30, 101},  {60, 30, 102},    {-10, 0, 0 /* truncates to column 0 */},
        {-29.9, 45, 100},  {-30, 0, 0},      {7739.9, 0, 257}, {7740, 0, 0 /* beyond the last column */},
        {0, 7739.9, 25700}, {0, 7740, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(groundElevation(land, c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST(PathDynamics, AltitudeSmoothingWeighsTheMiddleTwice)
{
    std::vector<PathPoint> open = {point(0, 0, 0), point(1, 0, 4), point(2, 0, 8), point(3, 0, 0)};
    std::vector<PathPoint> closed = open;
    smoothAltitudes(open, false);
    smoothAltitudes(closed, true);
    expectNear(field(open, &PathPoint::z), {0, 4, 5, 0}, 1e-6, "open: ends kept");
    expectNear(field(closed, &PathPoint::z), {1, 4, 5, 2}, 1e-6, "closed: wraps");
}

TEST(PathDynamics, ClearanceLiftsTheLowestPointsInSmoothBumps)
{
    // Flat ground at 0, five points on it, minimum 100, smoothness 2 (w = 2):
    // the first lowest point is lifted by 2d = 100 and its neighbours by
    // (cos(pi/2) + 1) d = 50. Rounds: point 0 (100, 50, 0, 0, 0), point 2
    // (100, 100, 100, 50, 0), point 4 (all 100).
    Landscape land;
    shapeGround(land, [](int, int) { return 0; });
    std::vector<PathPoint> points;
    for (int k = 0; k < 5; ++k) points.push_back(point(30.0f * k, 0, 0));
    ScriptedFrontend ui;
    const double greatest = adjustClearance(points, land, 100.0, 2, false, ui);
    expectNear(field(points, &PathPoint::z), {100, 100, 100, 100, 100}, 1e-4, "lifted");
    EXPECT_NEAR(greatest, 100.0, 1e-4);
    EXPECT_EQ(ui.statuses, (std::vector<std::string>{"Adj Height...(0/5) Min=0", "Adj Height...(2/5) Min=0",
                                                     "Adj Height...(4/5) Min=0", "Adj Height...(0/5) Min=100"}));

    // 0.9 x the minimum is high enough: 95 m stays, 89 m is lifted to 100.
    std::vector<PathPoint> near = {point(0, 0, 95), point(30, 0, 95)};
    adjustClearance(near, land, 100.0, 1, false, ui);
    expectNear(field(near, &PathPoint::z), {95, 95}, 0, "high enough");
    near[1].z = 89;
    adjustClearance(near, land, 100.0, 1, false, ui);
    expectNear(field(near, &PathPoint::z), {95, 100}, 1e-4, "lifted");

    // -10000, the minimum without ground clearance, lifts nothing above ground.
    std::vector<PathPoint> low = {point(0, 0, -50), point(30, 0, 5)};
    adjustClearance(low, land, -10000.0, 20, false, ui);
    expectNear(field(low, &PathPoint::z), {-50, 5}, 0, "unchanged");
}

TEST(PathDynamics, HeadingsPointAlongTheFlight)
{
    // Heading = A(dx, dy) - 90, in 0 .. 360: north (+y) is 0, west 90.
    const struct {
        float dx, dy;
        double heading;
    } cases[] = {{0, 10, 0}, {-10, 0, 90}, {0, -10, 180}, {10, 0, 270}, {10, 10, 315}, {-10, 10, 45}};
    for (const auto& c : cases) {
        std::vector<PathPoint> points = {point(0, 0), point(c.dx, c.dy)};
        computeHeadings(points, false);
        // The last point of a two-point path keeps the direction it came from.
        expectNear(field(points, &PathPoint::heading), {c.heading, c.heading}, 1e-4, "heading");
    }
}

TEST(PathDynamics, TheEndsOfAPathLookOnByTheirOwnRules)
{
    // Open: the last point turns on as the two before it turned: 2 * 0 - 90 =
    // -90, kept in range as 270.
    std::vector<PathPoint> open = {point(10, 0), point(0, 0), point(0, 10)};
    computeHeadings(open, false);
    expectNear(field(open, &PathPoint::heading), {90, 0, 270}, 1e-4, "open");
    // Closed: the last point looks back toward point 0.
    std::vector<PathPoint> closed = {point(0, 0), point(0, 10), point(-10, 10)};
    computeHeadings(closed, true);
    expectNear(field(closed, &PathPoint::heading), {0, 90, 225}, 1e-4, "closed");
    // A point with a target looks at it, the last one too.
    std::vector<PathPoint> target = {point(0, 0), point(0, 10), point(0, 20)};
    for (PathPoint& p : target) p.targetFlag = 1, p.targetX = p.x + 5, p.targetY = p.y;
    computeHeadings(target, false);
    expectNear(field(target, &PathPoint::heading), {270, 270, 270}, 1e-4, "target");
}

TEST(PathDynamics, AngleSmoothingAveragesAcrossTheSeam)
{
    // Closed, 350, 10, 20: every point's neighbours are moved to its side of 0/360
    // and all three means are 20/3 (366.67 - 360 for the first).
    std::vector<PathPoint> closed = {point(0, 0), point(1, 0), point(2, 0)};
    const float values[] = {350, 10, 20};
    for (int i = 0; i < 3; ++i) closed[i].heading = values[i];
    std::vector<PathPoint> open = closed;
    smoothAngles(closed, &PathPoint::heading, true);
    expectNear(field(closed, &PathPoint::heading), {20.0 / 3, 20.0 / 3, 20.0 / 3}, 1e-4, "closed");
    smoothAngles(open, &PathPoint::heading, false);
    expectNear(field(open, &PathPoint::heading), {350, 20.0 / 3, 20}, 1e-4, "open");

    // Banks go through the same pass: a negative mean comes out plus 360.
    std::vector<PathPoint> banks = {point(0, 0), point(1, 0), point(2, 0)};
    banks[0].bank = -20, banks[1].bank = -10, banks[2].bank = 0;
    smoothAngles(banks, &PathPoint::bank, false);
    expectNear(field(banks, &PathPoint::bank), {-20, 350, 0}, 1e-4, "banks");
}

TEST(PathDynamics, BanksLeanWithTheTurnAndItsCoefficient)
{
    // North 100 m, then 100 m on with 1 cm to the side: u x v = +-1 m^2 over a
    // next piece 100.0000005 m long, a pull of 0.01 m; bank = -atan(+-0.01 k / 3).
    // Left (west) turns make the cross product positive.
    const double k1 = std::atan(0.01 / 3.0) * 180.0 / std::numbers::pi; // 0.190985 degrees
    const double k10 = std::atan(0.1 / 3.0) * 180.0 / std::numbers::pi; // 1.909152 degrees
    const struct {
        const char* name;
        float side;
        double coefficient;
        double bank;
    } cases[] = {
        {"left, k 1", -0.01f, 1, -k1},      {"right, k 1", 0.01f, 1, k1},        {"left, k 10", -0.01f, 10, -k10},
        {"right, k 10", 0.01f, 10, k10},    {"left, dune buggy", -0.01f, -2, 2 * k1 * 0.99999}, {"straight", 0.0f, 10, 0},
    };
    for (const auto& c : cases) {
        std::vector<PathPoint> points = {point(0, 0), point(0, 100), point(c.side, 200)};
        computeBanks(points, c.coefficient);
        // The end points copy their neighbours.
        expectNear(field(points, &PathPoint::bank), {c.bank, c.bank, c.bank}, 1e-3, c.name);
    }
    // A sharp 90-degree left turn: u x v = 900 m^2 over 30 m, a pull of 30 m; -atan(100) = -89.427 degrees.
    std::vector<PathPoint> corner = {point(0, 0), point(0, 30), point(-30, 30), point(-60, 30)};
    computeBanks(corner, 10);
    expectNear(field(corner, &PathPoint::bank), {-89.4271, -89.4271, 0, 0}, 1e-3, "corner");
}

// A steady turn banks by its speed and radius as the documented formula says,
// and an ordinary turn of a few kilometres is no longer flown on its side.
TEST(PathDynamics, ATurnOfKnownRadiusAndSpeedBanksByTheFormula)
{
    const struct {
        double radius, step, coefficient;
    } cases[] = {{5000, 30, 10}, {1000, 30, 10}, {5000, 60, 10}, {2000, 20, 5}, {800, 10, 20}};
    for (const auto& c : cases) {
        // Counter-clockwise (left) around the circle: every interior point turns alike.
        const double phi = c.step / c.radius;
        std::vector<PathPoint> points;
        for (int i = 0; i < 8; ++i)
            points.push_back(point(static_cast<float>(c.radius * std::cos(i * phi)),
                                   static_cast<float>(c.radius * std::sin(i * phi))));
        computeBanks(points, c.coefficient);
        const double chord = 2 * c.radius * std::sin(phi / 2);
        const double expected = -std::atan(chord * std::sin(phi) * c.coefficient / 3.0) * 180.0 / std::numbers::pi;
        for (std::size_t i = 1; i + 1 < points.size(); ++i)
            EXPECT_NEAR(points[i].bank, expected, 0.05) << c.radius << " m at " << c.step << " m a frame";
    }
    // The jet's coefficient at 30 m a frame: about 31 degrees in a 5 km turn, 72 in a 1 km one.
    std::vector<PathPoint> wide, tight;
    for (int i = 0; i < 5; ++i) {
        wide.push_back(point(static_cast<float>(5000 * std::cos(i * 0.006)), static_cast<float>(5000 * std::sin(i * 0.006))));
        tight.push_back(point(static_cast<float>(1000 * std::cos(i * 0.03)), static_cast<float>(1000 * std::sin(i * 0.03))));
    }
    computeBanks(wide, 10);
    computeBanks(tight, 10);
    EXPECT_NEAR(wide[2].bank, -31.0, 0.5);
    EXPECT_NEAR(tight[2].bank, -71.6, 0.5);
}

TEST(PathDynamics, BarrelRollsTurnThroughAFullCircle)
{
    const auto bankAfter = [](int start, int roll, bool closed) {
        std::vector<PathPoint> points(40);
        applyRoll(points, start, roll, closed);
        return field(points, &PathPoint::bank);
    };
    // Clockwise over 36 frames: 10, 20, ... degrees; above 180 loses 360.
    const std::vector<float> cw = bankAfter(0, 36, false);
    EXPECT_FLOAT_EQ(cw[0], 10);
    EXPECT_FLOAT_EQ(cw[1], 20);
    EXPECT_FLOAT_EQ(cw[17], 180);
    EXPECT_FLOAT_EQ(cw[18], -170);
    EXPECT_FLOAT_EQ(cw[35], 0);
    EXPECT_FLOAT_EQ(cw[36], 0);
    // Counter-clockwise: -10, ...; below -180 gains 360.
    const std::vector<float> ccw = bankAfter(0, -36, false);
    EXPECT_FLOAT_EQ(ccw[0], -10);
    EXPECT_FLOAT_EQ(ccw[17], -180);
    EXPECT_FLOAT_EQ(ccw[18], 170);
    // Seven frames are not whole degrees: 360 / 7 per frame.
    EXPECT_NEAR(bankAfter(0, 7, false)[0], 360.0 / 7, 1e-4);
    // From point 30 of 40: an open path ends the roll at point 39, a closed
    // loop carries it on from point 0 (point 0 is frame 11: 110 degrees).
    const std::vector<float> open = bankAfter(30, 36, false);
    EXPECT_FLOAT_EQ(open[39], 100);
    EXPECT_FLOAT_EQ(open[0], 0);
    const std::vector<float> closed = bankAfter(30, 36, true);
    EXPECT_FLOAT_EQ(closed[39], 100);
    EXPECT_FLOAT_EQ(closed[0], 110);
    EXPECT_FLOAT_EQ(closed[25], 0);  // frame 36: 360 - 360
    EXPECT_FLOAT_EQ(closed[26], 0);  // untouched
    EXPECT_FLOAT_EQ(closed[29], 0);
    // A roll longer than the loop goes round once only (40 frames of 80).
    const std::vector<float> long_ = bankAfter(0, 80, true);
    EXPECT_FLOAT_EQ(long_[39], 180);
}

TEST(PathDynamics, EachNodesRollStartsAtTheFirstPointOfItsSegment)
{
    std::vector<PathPoint> points(6);
    for (int k = 0; k < 6; ++k) points[static_cast<std::size_t>(k)].node = k < 3 ? 1 : 2;
    std::vector<PathNode> nodes(5);
    nodes[2].roll = 3;   // segment of node 2 starts at point 3
    nodes[0].roll = 100; // node 0 starts no segment
    applyNodeRolls(points, nodes, false);
    expectNear(field(points, &PathPoint::bank), {0, 0, 0, 120, -120, 0}, 1e-4, "banks");
}

TEST(PathDynamics, PitchesFollowTheClimb)
{
    const struct {
        const char* name;
        float dx, dz;
        double extra;
        double pitch;
    } cases[] = {
        {"level", 10, 0, 0, 0},       {"climb 45", 10, 10, 0, 45},     {"descent 45", 10, -10, 0, 315},
        {"straight up", 0, 10, 0, 90}, {"straight down", 0, -10, 0, 270}, {"climb plus 10", 10, 10, 10, 55},
        {"level minus 10", 10, 0, -10, 350}, {"descent plus 60", 10, -10, 60, 15},
    };
    for (const auto& c : cases) {
        std::vector<PathPoint> points = {point(0, 0, 0), point(c.dx, 0, c.dz)};
        computePitches(points, c.extra);
        // The last point takes the direction from the one before it.
        expectNear(field(points, &PathPoint::pitch), {c.pitch, c.pitch}, 1e-4, c.name);
    }
}

TEST(PathDynamics, PitchSmoothingFoldsNearZeroFirst)
{
    std::vector<PathPoint> points(3);
    const float values[] = {0, 350, 100};
    for (int i = 0; i < 3; ++i) points[static_cast<std::size_t>(i)].pitch = values[i];
    std::vector<PathPoint> closed = points;
    // 350 becomes -10 and 100 becomes -260 and then 100 again: (0 - 20 + 100) / 4.
    smoothPitches(points, false);
    expectNear(field(points, &PathPoint::pitch), {0, 20, 100}, 1e-4, "open");
    smoothPitches(closed, true);
    expectNear(field(closed, &PathPoint::pitch), {(100 + 0 - 10) / 4.0, 20, (-10 + 200 + 0) / 4.0}, 1e-4, "closed");
}

// ---- Whole generations ----

TEST_F(PathTest, GenerationNeedsFourNodes)
{
    EXPECT_EQ(generatePath(path, land, ui), 0);
    EXPECT_TRUE(ui.messages.empty()); // no nodes: just an empty list
    for (int count : {1, 3}) {
        std::vector<PathNode> nodes;
        for (int i = 0; i < count; ++i) nodes.push_back(node(100.0f * i, 0, 100));
        setNodes(path, nodes);
        ui.messages.clear();
        EXPECT_EQ(generatePath(path, land, ui), 0);
        EXPECT_EQ(ui.messages, std::vector<std::string>{kTooFewNodes});
        EXPECT_TRUE(path.points.empty());
    }
}

TEST_F(PathTest, GenerationAnnouncesEachStepAndRemembersTheLoop)
{
    setNodes(path, {node(0, 0, 100), node(300, 0, 100), node(600, 30, 100), node(900, 0, 100)});
    settings([](PathSettings& s) { s.smoothness = 2, s.closedLoop = 1; });
    path.currentPoint = 5000;
    ASSERT_EQ(generatePath(path, land, ui), 1);
    const int n = static_cast<int>(path.points.size());
    const std::string count = std::to_string(n);
    const std::vector<std::string> expected = {
        "Generating Splines...",
        "Generating Points...",
        count + " Points...Setting Alts",
        count + " Points...Smoothing Alts (1/1)",
        "Adj Height...(0/" + count + ") Min=100",
        "Making Headings",
        "Smooth Headings (1/2)",
        "Smooth Headings (2/2)",
        count + " Points...Making Banks",
        count + " Points...Smooth Banks (1/4)",
        count + " Points...Smooth Banks (2/4)",
        count + " Points...Smooth Banks (3/4)",
        count + " Points...Smooth Banks (4/4)",
        "Generating Pitches",
        "Smoothing Pitches (1/1)",
        "",
    };
    EXPECT_EQ(ui.statuses, expected);
    EXPECT_EQ(readPathSettings(path).closedAtGeneration, 1);
    EXPECT_EQ(currentPathPoint(path), n - 1);
    EXPECT_EQ(path.currentPoint, n - 1);
}

class VehicleGround : public PathTest,
                      public ::testing::WithParamInterface<VehiclePreset> {};

TEST_P(VehicleGround, EachVehicleFollowsItsGroundRule)
{
    // Four nodes in a row along x at y = 3000 (grid row 100), 200 m up: the
    // path runs from x = 2500 to 3500 (columns 83 .. 116).
    const VehiclePreset& preset = GetParam();
    const bool ground = preset.vehicleClass == kVehicleGround;
    const struct {
        const char* name;
        int (*height)(int column, int row);
        bool groundClearance;
    } landscapes[] = {
        {"flat at 50", [](int, int) { return 50; }, false},
        {"sloping across the path", [](int, int row) { return row; }, false},     // 100 under the path
        {"rising along the path", [](int column, int) { return 2 * column; }, false}, // 166 .. 232
        {"rising along the path, clearance on", [](int column, int) { return 2 * column; }, true},
    };
    for (const auto& l : landscapes) {
        shapeGround(land, l.height);
        path = PathState{};
        setNodes(path, {node(1500, 3000, 200), node(2500, 3000, 200), node(3500, 3000, 200), node(4500, 3000, 200)});
        setPathVehicle(path, preset.vehicle, land, ui);
        PathSettings s = readPathSettings(path);
        s.groundClearance = l.groundClearance ? 1 : 0;
        writePathSettings(path, s);
        ASSERT_EQ(generatePath(path, land, ui), 1) << l.name;
        const std::vector<PathPoint>& points = path.points;
        ASSERT_GT(points.size(), 30u) << l.name;
        for (std::size_t k = 0; k < points.size(); ++k) {
            const PathPoint& p = points[k];
            const double under = groundElevation(land, p.x, p.y);
            const bool end = k == 0 || k + 1 == points.size();
            if (ground) {
                // Ground + 30; smoothing blurs the 2 m steps of the rising
                // ground between cells, and keeps the ends.
                EXPECT_NEAR(p.z, under + 30, end ? 1e-4 : 2.0) << l.name << " point " << k;
            } else if (l.groundClearance) {
                EXPECT_GE(p.z - under, 0.9 * 30 - 1e-3) << l.name << " point " << k;
            } else {
                EXPECT_NEAR(p.z, 200.0, 1e-3) << l.name << " point " << k; // even where under ground
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Presets, VehicleGround, ::testing::ValuesIn(kVehiclePresets),
                         [](const ::testing::TestParamInfo<VehiclePreset>& info) {
                             std::string name = info.param.name;
                             std::erase(name, ' ');
                             return name;
                         });

TEST_F(PathTest, PitchingOffGivesEveryFrameTheExtraPitch)
{
    setNodes(path, {node(0, 0, 100), node(300, 0, 150), node(600, 30, 300), node(900, 0, 100)});
    settings([](PathSettings& s) { s.pitching = 0, s.extraPitch = -7; });
    ASSERT_EQ(generatePath(path, land, ui), 1);
    for (const PathPoint& p : path.points) EXPECT_EQ(p.pitch, -7.0f);
}

// ---- Export ----

TEST(PathExport, AnglesAreFoldedOnceIntoPlusMinus180)
{
    const struct {
        float in, out;
    } cases[] = {{350, -10}, {190, -170}, {180, 180}, {-180, -180}, {-190, 170}, {540, 180}, {10, 10}};
    for (const auto& c : cases) {
        std::vector<PathPoint> points(1);
        points[0].bank = points[0].heading = points[0].pitch = c.in;
        foldPointAngles(points);
        EXPECT_EQ(points[0].bank, c.out) << c.in;
        EXPECT_EQ(points[0].heading, c.out) << c.in;
        EXPECT_EQ(points[0].pitch, c.out) << c.in;
    }
}

TEST(PathExport, ScriptTextHasOneFrameLinePerPoint)
{
    std::vector<PathPoint> points = {point(1, 2, 3), point(4, 6, 3), point(-1234.567f, 6, 3)};
    points[0].heading = -10;
    points[1].bank = 12.345f, points[1].pitch = -0.004f;
    EXPECT_EQ(pathScriptText(points),
              "Kalve Script File\n"
              "  CameraX,   CameraY,   CameraZ,      Bank,   Heading,     Pitch,  (delta)\n"
              "     1.00,      2.00,      3.00,      0.00,    -10.00,      0.00, \n"
              "     4.00,      6.00,      3.00,     12.35,      0.00,     -0.00,  (5.00)\n"
              " -1234.57,      6.00,      3.00,      0.00,      0.00,      0.00,  (1238.57)\n");
}

TEST(PathExport, TheWrittenScriptFliesThePath)
{
    TempDir dir("path");
    std::vector<PathPoint> points = {point(100, 200, 300), point(130, 200, 300)};
    points[1].heading = 350, points[1].bank = 5, points[1].pitch = 200;
    const std::string file = dir / "sub/fly.scr";
    ASSERT_EQ(writePathScript(points, file), PathExportStatus::Ok);
    EXPECT_EQ(points[1].heading, -10); // the points keep the folded angles
    EXPECT_EQ(readFile(file), "Kalve Script File\r\n"
                              "  CameraX,   CameraY,   CameraZ,      Bank,   Heading,     Pitch,  (delta)\r\n"
                              "   100.00,    200.00,    300.00,      0.00,      0.00,      0.00, \r\n"
                              "   130.00,    200.00,    300.00,      5.00,    -10.00,   -160.00,  (30.00)\r\n");

    App app;
    ScriptedFrontend ui;
    initialiseApp(app, ui);
    ASSERT_EQ(classicRunResult(runScript(app, ui, file, std::nullopt, 0, nullptr).end), 1);
    EXPECT_EQ(app.scriptProgress.totalFrames, 2);
    EXPECT_EQ(app.scene.camera.cameraX, 130.0f);
    EXPECT_EQ(app.scene.camera.heading, -10.0f);
    EXPECT_EQ(app.scene.camera.pitch, -160.0f);
}

TEST(PathExport, TheCommandAsksAndReports)
{
    TempDir dir("path");
    PathState path;
    ScriptedFrontend ui;
    EXPECT_EQ(exportPathCommand(path, dir.path.string(), ui), 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kNoPoints});
    EXPECT_TRUE(ui.fileRequests.empty());

    path.points = {point(1, 2, 3)};
    const std::string file = dir / "KALVE.SCR";
    testing::writeFile(file, "old");
    ui.fileAnswers = {file, file};
    ui.askAnswers = {false, true};
    EXPECT_EQ(exportPathCommand(path, dir.path.string(), ui), -1); // "Replace" declined
    EXPECT_EQ(readFile(file), "old");
    EXPECT_EQ(exportPathCommand(path, dir.path.string(), ui), 1);
    EXPECT_NE(readFile(file).find("     1.00,      2.00,      3.00,"), std::string::npos);
    ASSERT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(ui.fileRequests[0].title, "Save Script name:");
    EXPECT_EQ(ui.fileRequests[0].defaultName, "KALVE.SCR");
    EXPECT_EQ(ui.fileRequests[0].pattern, "*.SCR");
    EXPECT_EQ(ui.fileRequests[0].directory, dir.path.string());
    EXPECT_EQ(ui.questions[0], "Replace " + file + " ? [Replace|Cancel]");

    // A file under a plain file cannot be created.
    ui.messages.clear();
    ui.fileAnswers = {file + "/x.scr"};
    EXPECT_EQ(exportPathCommand(path, dir.path.string(), ui), 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Error opening motion file " + file + "/x.scr"});
}

// ---- Node editing ----

TEST_F(PathTest, NewNodesStandAtTheNodeHeightAboveTheMarkedCell)
{
    shapeGround(land, [](int column, int row) { return column + row; });
    settings([](PathSettings& s) { s.nodeHeight = 140, s.speed = 2500; });
    for (const MapPoint cell : {MapPoint{10, 20}, MapPoint{40, 20}, MapPoint{70, 50}})
        EXPECT_EQ(appendPathNode(path, land, cell, ui), 1);
    ASSERT_EQ(pathNodeCount(path), 3);
    const PathNode n = readPathNode(path, 2);
    EXPECT_EQ(n.x, 2100.0f);
    EXPECT_EQ(n.y, 1500.0f);
    EXPECT_EQ(n.z, 120.0f + 140.0f);
    EXPECT_EQ(n.speed, 2500.0f);
    EXPECT_EQ(n.targetState, kTargetNone);
    EXPECT_EQ(n.roll, 0);
    // Laying out a path is quiet until the fourth node makes points.
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(path.points.empty());
    EXPECT_EQ(appendPathNode(path, land, MapPoint{100, 50}, ui), 1);
    EXPECT_FALSE(path.points.empty());
}

TEST_F(PathTest, AddNodeInsertsIntoTheNearestGap)
{
    EXPECT_EQ(addPathNode(path, land, ui), 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kNoNodesToInsertBetween});

    // Nodes along row 0 at columns 0, 10, 20, 30; a click at column 15, row 2
    // is nearest the gap between nodes 1 and 2.
    for (int column : {0, 10, 20, 30}) appendPathNode(path, land, MapPoint{column, 0}, ui);
    ui.pointAnswers = {MapPoint{15, 2}, std::nullopt};
    EXPECT_EQ(addPathNode(path, land, ui), 1);
    const std::vector<PathNode> nodes = readPathNodes(path);
    std::vector<float> xs;
    for (const PathNode& n : nodes) xs.push_back(n.x);
    EXPECT_EQ(xs, (std::vector<float>{0, 300, 450, 600, 900}));
    EXPECT_EQ(nodes[2].y, 60.0f);
    EXPECT_EQ(addPathNode(path, land, ui), -1); // no point marked
    EXPECT_EQ(pathNodeCount(path), 5);
}

TEST_F(PathTest, RemoveNodeTakesTheNearestAndClosesTheGap)
{
    EXPECT_EQ(removePathNode(path, land, ui), 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kNoPoints});
    for (int column : {0, 10, 20}) appendPathNode(path, land, MapPoint{column, 0}, ui);
    ui.pointAnswers = {MapPoint{9, 1}};
    EXPECT_EQ(removePathNode(path, land, ui), 1);
    ASSERT_EQ(pathNodeCount(path), 2);
    EXPECT_EQ(readPathNode(path, 0).x, 0.0f);
    EXPECT_EQ(readPathNode(path, 1).x, 600.0f);
    for (std::size_t i = 80; i < 120; ++i) EXPECT_EQ(path.nodes[i], 0) << "freed record, byte " << i;
}

TEST_F(PathTest, TargetsRollsAndManualEdits)
{
    for (int column : {0, 10, 20, 30}) appendPathNode(path, land, MapPoint{column, 0}, ui);
    ui.pointAnswers = {MapPoint{10, 0}, MapPoint{50, 60}, // set target on node 1
                       MapPoint{20, 0},                   // unset target on node 2
                       MapPoint{0, 0},                    // roll on the first node: refused
                       MapPoint{10, 0}, MapPoint{20, 0}, // rolls on nodes 1 and 2
                       MapPoint{30, 0},                   // manual edit of node 3
                       MapPoint{20, 0}};                  // roll removed from node 2
    shapeGround(land, [](int column, int row) { return column == 50 && row == 60 ? 77 : 0; });
    EXPECT_EQ(setNodeTarget(path, land, ui), 1);
    EXPECT_EQ(unsetNodeTarget(path, land, ui), 1);
    EXPECT_EQ(addNodeRoll(path, land, ui), 0);
    ui.numberAnswers = {36, 500000};
    ui.askAnswers = {true, false};
    EXPECT_EQ(addNodeRoll(path, land, ui), 1);
    EXPECT_EQ(addNodeRoll(path, land, ui), 1);
    ui.numbersAnswers = {std::vector<double>{1, 2, 3, 4, 5, 6, kNaN, 12.9}};
    EXPECT_EQ(editPathNode(path, land, ui), 1);

    const PathNode n1 = readPathNode(path, 1);
    EXPECT_EQ(n1.targetState, kTargetLook);
    EXPECT_EQ(n1.targetX, 1500.0f);
    EXPECT_EQ(n1.targetY, 1800.0f);
    EXPECT_EQ(n1.targetZ, 77.0f);
    EXPECT_EQ(n1.roll, 36);
    const PathNode n2 = readPathNode(path, 2);
    EXPECT_EQ(n2.targetState, kTargetRelease);
    EXPECT_EQ(n2.roll, -99999); // counter-clockwise, frames held to 99999
    const PathNode n3 = readPathNode(path, 3);
    EXPECT_EQ(n3.x, 1.0f);
    EXPECT_EQ(n3.speed, 4.0f);
    EXPECT_EQ(n3.targetZ, 0.0f); // NaN keeps the old value
    EXPECT_EQ(n3.roll, 12);
    EXPECT_EQ(readPathNode(path, 0).roll, 0);
    EXPECT_EQ(removeNodeRoll(path, land, ui), 1);
    EXPECT_EQ(readPathNode(path, 2).roll, 0);
}

TEST_F(PathTest, ATableOfAThousandNodesTakesNoMore)
{
    setNodes(path, std::vector<PathNode>(1000, node(0, 0, 0)));
    EXPECT_EQ(appendPathNode(path, land, MapPoint{1, 1}, ui), 0);
    ui.pointAnswers = {MapPoint{1, 1}};
    EXPECT_EQ(addPathNode(path, land, ui), 0);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kPathFull, kPathFull}));
    EXPECT_EQ(pathNodeCount(path), 1000);
}

TEST_F(PathTest, VehicleChoicesCopyTheirRow)
{
    settings([](PathSettings& s) { s.pathClearance = 44, s.reserved7 = 0; });
    setPathVehicle(path, Vehicle::DuneBuggy, land, ui);
    PathSettings s = readPathSettings(path);
    EXPECT_EQ(s.vehicleClass, kVehicleGround);
    EXPECT_EQ(s.bankCoefficient, -2);
    EXPECT_EQ(s.nodeHeight, 50);
    EXPECT_EQ(s.reservedVehicle, 10);
    EXPECT_EQ(s.smoothness, 20);
    EXPECT_EQ(s.reserved7, 1);
    EXPECT_EQ(s.reserved9, 1);
    EXPECT_EQ(s.pathClearance, 44); // not part of a preset

    EXPECT_EQ(setPathCharacteristic(path, PathCharacteristic::Smoothness, 5000, land, ui), kMaxSmoothness);
    EXPECT_EQ(setPathCharacteristic(path, PathCharacteristic::VehicleClass, 2, land, ui), 2);
    EXPECT_EQ(setPathCharacteristic(path, PathCharacteristic::Speed, 0, land, ui), 1);
    s = readPathSettings(path);
    EXPECT_EQ(s.smoothness, kMaxSmoothness);
    EXPECT_EQ(s.vehicleClass, kVehicleAir);
    EXPECT_EQ(s.speed, 1);

    toggleClosedLoop(path, land, ui);
    EXPECT_EQ(readPathSettings(path).closedLoop, 1);
    toggleClosedLoop(path, land, ui);
    EXPECT_EQ(readPathSettings(path).closedLoop, 0);
}

TEST_F(PathTest, PlayingSetsTheCameraToEachPoint)
{
    CameraSettings camera;
    std::vector<float> seen;
    std::vector<int> waits;
    const auto show = [&](const CameraSettings& c) {
        seen.push_back(c.cameraX);
        return true;
    };
    const auto wait = [&](int ms) { waits.push_back(ms); };
    EXPECT_EQ(playPath(path, camera, 0, 25, ui, show, wait), 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kNoPathToView});

    path.points = {point(1, 0, 5), point(2, 0, 5), point(3, 0, 5)};
    path.points[2].heading = 33, path.points[2].bank = 4, path.points[2].pitch = -2;
    EXPECT_EQ(playPath(path, camera, 1, 30, ui, show, wait), 2);
    EXPECT_EQ(seen, (std::vector<float>{2, 3}));
    EXPECT_EQ(waits, std::vector<int>{33}); // 1000 / 30, truncated
    EXPECT_EQ(camera.heading, 33.0f);
    EXPECT_EQ(camera.bank, 4.0f);
    EXPECT_EQ(camera.pitch, -2.0f);
    EXPECT_EQ(path.currentPoint, 2);

    ui.abortOnPoll = ui.polls + 2;
    seen.clear();
    EXPECT_EQ(playPath(path, camera, 0, 0, ui, show, wait), 1); // interrupted before the second point
    EXPECT_EQ(waits.back(), 1000);                               // a rate below 1 counts as 1
}

} // namespace
} // namespace kalvenor
