// Typed view of the stored camera path: the settings record (twenty 32-bit
// little-endian words) and the node table (up to 1000 nodes of 40 bytes).
// The bytes in PathState stay the stored form; these functions read fields
// out of them and write fields back, touching nothing else, so reserved words
// survive every edit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/path_state.h"

namespace kalvenor {

// What the editor and the export say when a path has no points.
inline constexpr const char* kNoPoints = "No points to delete";

constexpr int kMaxPathNodes = 1000;
constexpr std::size_t kPathNodeRecordBytes = 40;
static_assert(kMaxPathNodes * kPathNodeRecordBytes == kPathNodeBytes);

// Node target states.
constexpr std::int32_t kTargetNone = 0;
constexpr std::int32_t kTargetLook = 1;    // the camera looks at this node's target
constexpr std::int32_t kTargetRelease = 2; // the target is released here

// Vehicle classes.
constexpr std::int32_t kVehicleAir = 2;
constexpr std::int32_t kVehicleGround = 3;

// One node record. Byte offsets: 0 x, 4 y, 8 z, 12..20 target x, y, z, 24 speed
// (single-precision), 28 target state, 32 roll, 36 reserved (32-bit words).
struct PathNode {
    float x = 0.0f, y = 0.0f, z = 0.0f;                   // metres
    float targetX = 0.0f, targetY = 0.0f, targetZ = 0.0f; // metres
    float speed = 0.0f;                                   // centimetres between frames
    std::int32_t targetState = kTargetNone;
    std::int32_t roll = 0; // +n clockwise barrel roll over n frames, -n counter-clockwise
    std::uint32_t reserved = 0;
};

// The settings record, word by word.
struct PathSettings {
    std::int32_t nodeCount = 0;          // word 0
    std::int32_t groundClearance = 0;    // 1: air paths are lifted to the path clearance
    std::int32_t closedAtGeneration = 0; // the closed-loop setting the last generation used
    std::int32_t reserved3 = 1;
    std::int32_t variableSpeed = 1;      // 1: spline through the node speeds; 0: fixed spacing
    std::int32_t closedLoop = 0;         // 1: the last node joins the first
    std::int32_t fixedFrameCount = 0;    // 1: spacing from the frame count
    std::int32_t reserved7 = 1;
    std::int32_t vehicleClass = kVehicleAir;
    std::int32_t reserved9 = 0;
    std::int32_t pitching = 1;
    std::int32_t frameCount = 200;       // frames of the fixed frame count mode
    std::int32_t speed = 3000;           // average distance between frames, centimetres
    std::int32_t bankCoefficient = 10;
    std::int32_t nodeHeight = 100;       // metres above ground of new nodes (air vehicles)
    std::int32_t reservedVehicle = 15;
    std::int32_t smoothness = 20;        // passes of the smoothing steps
    std::int32_t extraPitch = 0;         // degrees added to every frame
    std::int32_t pathClearance = 30;     // metres above ground (ground vehicles)
    std::uint32_t reserved19 = 0x3F800000u; // word 19: a single-precision value (1.0), kept as its bits
};

PathSettings readPathSettings(const PathState& path);
void writePathSettings(PathState& path, const PathSettings& settings);

// Node i of the table (0 .. 999); a node beyond a short table reads as zeros.
PathNode readPathNode(const PathState& path, int index);
// Writes node i (0 .. 999), growing a short table to its full 40000 bytes first.
void writePathNode(PathState& path, int index, const PathNode& node);

// The node count as far as it can be trusted: the stored count brought into
// 0 .. 1000 (a hostile or damaged record may hold anything).
int pathNodeCount(const PathState& path);
void setPathNodeCount(PathState& path, int count);

// The nodes in use, in path order.
std::vector<PathNode> readPathNodes(const PathState& path);

// Largest coordinate, in metres, that a node may hold. Far beyond any landscape
// (2050 cells of at most a few hundred metres), small enough that the spline
// arithmetic stays finite and bounded.
constexpr float kMaxPathCoordinate = 1.0e7f;

// Checks the nodes a generation would use: every position and speed, and the
// target of every node that looks at one, finite and within
// kMaxPathCoordinate. Nothing when all are usable, else the text naming the
// first bad node (counted from 1).
std::optional<std::string> checkPathNodes(const std::vector<PathNode>& nodes);

// The vehicle presets of the "Vehicle type" menu.
enum class Vehicle { Glider, Jet, CruiseMissile, Helicopter, DuneBuggy, Motorcycle };

struct VehiclePreset {
    Vehicle vehicle;
    const char* name;
    std::int32_t vehicleClass;
    std::int32_t pitching;
    std::int32_t bankCoefficient;
    std::int32_t nodeHeight;
    std::int32_t reservedVehicle;
    std::int32_t smoothness;
    std::int32_t extraPitch;
};

inline constexpr VehiclePreset kVehiclePresets[] = {
    {Vehicle::Glider, "Glider", kVehicleAir, 1, 5, 140, 7, 60, 0},
    {Vehicle::Jet, "Jet", kVehicleAir, 1, 10, 100, 15, 20, 0},
    {Vehicle::CruiseMissile, "Cruise Missile", kVehicleAir, 1, 20, 70, 7, 20, 0},
    {Vehicle::Helicopter, "Helicopter", kVehicleAir, 1, 20, 100, 15, 20, 0},
    {Vehicle::DuneBuggy, "Dune Buggy", kVehicleGround, 1, -2, 50, 10, 20, 0},
    {Vehicle::Motorcycle, "Motorcycle", kVehicleGround, 1, 15, 50, 10, 15, 0},
};

// Copies the preset's row into the settings and sets the reserved flags 7 and
// 9 to 1. The path clearance is not part of a preset.
void applyVehiclePreset(PathSettings& settings, Vehicle vehicle);

} // namespace kalvenor
