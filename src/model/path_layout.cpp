#include "model/path_layout.h"

#include <algorithm>
#include <cmath>

#include "base/byte_order.h"

namespace kalvenor {

namespace {

// Byte offsets inside a node record.
constexpr std::size_t kNodeX = 0, kNodeY = 4, kNodeZ = 8;
constexpr std::size_t kNodeTargetX = 12, kNodeTargetY = 16, kNodeTargetZ = 20;
constexpr std::size_t kNodeSpeed = 24, kNodeTargetState = 28, kNodeRoll = 32, kNodeReserved = 36;

constexpr std::size_t kSettingWords = 20;

// Word i of the settings record.
std::int32_t word(const PathState& path, std::size_t i)
{
    return static_cast<std::int32_t>(get32le(path.settings.data() + i * 4));
}

void putWord(PathState& path, std::size_t i, std::int32_t value)
{
    put32le(path.settings.data() + i * 4, static_cast<std::uint32_t>(value));
}

float getFloat(const std::uint8_t* p) { return bitsFloat(get32le(p)); }
void putFloat(std::uint8_t* p, float value) { put32le(p, floatBits(value)); }

bool usable(float value) { return std::isfinite(value) && std::fabs(value) <= kMaxPathCoordinate; }

} // namespace

PathSettings readPathSettings(const PathState& path)
{
    PathSettings s;
    std::int32_t* fields[] = {&s.nodeCount,      &s.groundClearance, &s.closedAtGeneration, &s.reserved3,
                              &s.variableSpeed,  &s.closedLoop,      &s.fixedFrameCount,    &s.reserved7,
                              &s.vehicleClass,   &s.reserved9,       &s.pitching,           &s.frameCount,
                              &s.speed,          &s.bankCoefficient, &s.nodeHeight,         &s.reservedVehicle,
                              &s.smoothness,     &s.extraPitch,      &s.pathClearance};
    for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = word(path, i);
    s.reserved19 = get32le(path.settings.data() + (kSettingWords - 1) * 4);
    return s;
}

void writePathSettings(PathState& path, const PathSettings& s)
{
    const std::int32_t fields[] = {s.nodeCount,     s.groundClearance, s.closedAtGeneration, s.reserved3,
                                   s.variableSpeed, s.closedLoop,      s.fixedFrameCount,    s.reserved7,
                                   s.vehicleClass,  s.reserved9,       s.pitching,           s.frameCount,
                                   s.speed,         s.bankCoefficient, s.nodeHeight,         s.reservedVehicle,
                                   s.smoothness,    s.extraPitch,      s.pathClearance};
    for (std::size_t i = 0; i < std::size(fields); ++i) putWord(path, i, fields[i]);
    put32le(path.settings.data() + (kSettingWords - 1) * 4, s.reserved19);
}

PathNode readPathNode(const PathState& path, int index)
{
    PathNode n;
    const std::size_t at = static_cast<std::size_t>(index) * kPathNodeRecordBytes;
    if (index < 0 || at + kPathNodeRecordBytes > path.nodes.size()) return n;
    const std::uint8_t* p = path.nodes.data() + at;
    n.x = getFloat(p + kNodeX);
    n.y = getFloat(p + kNodeY);
    n.z = getFloat(p + kNodeZ);
    n.targetX = getFloat(p + kNodeTargetX);
    n.targetY = getFloat(p + kNodeTargetY);
    n.targetZ = getFloat(p + kNodeTargetZ);
    n.speed = getFloat(p + kNodeSpeed);
    n.targetState = static_cast<std::int32_t>(get32le(p + kNodeTargetState));
    n.roll = static_cast<std::int32_t>(get32le(p + kNodeRoll));
    n.reserved = get32le(p + kNodeReserved);
    return n;
}

void writePathNode(PathState& path, int index, const PathNode& n)
{
    if (index < 0 || index >= kMaxPathNodes) return;
    if (path.nodes.size() < kPathNodeBytes) path.nodes.resize(kPathNodeBytes, 0);
    std::uint8_t* p = path.nodes.data() + static_cast<std::size_t>(index) * kPathNodeRecordBytes;
    putFloat(p + kNodeX, n.x);
    putFloat(p + kNodeY, n.y);
    putFloat(p + kNodeZ, n.z);
    putFloat(p + kNodeTargetX, n.targetX);
    putFloat(p + kNodeTargetY, n.targetY);
    putFloat(p + kNodeTargetZ, n.targetZ);
    putFloat(p + kNodeSpeed, n.speed);
    put32le(p + kNodeTargetState, static_cast<std::uint32_t>(n.targetState));
    put32le(p + kNodeRoll, static_cast<std::uint32_t>(n.roll));
    put32le(p + kNodeReserved, n.reserved);
}

int pathNodeCount(const PathState& path)
{
    const int stored = std::clamp(word(path, 0), 0, kMaxPathNodes);
    // A table cut short holds fewer whole records than the count claims.
    return std::min(stored, static_cast<int>(path.nodes.size() / kPathNodeRecordBytes));
}

void setPathNodeCount(PathState& path, int count) { putWord(path, 0, std::clamp(count, 0, kMaxPathNodes)); }

std::vector<PathNode> readPathNodes(const PathState& path)
{
    std::vector<PathNode> nodes;
    const int count = pathNodeCount(path);
    nodes.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) nodes.push_back(readPathNode(path, i));
    return nodes;
}

std::optional<std::string> checkPathNodes(const std::vector<PathNode>& nodes)
{
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const PathNode& n = nodes[i];
        bool ok = usable(n.x) && usable(n.y) && usable(n.z) && usable(n.speed);
        if (n.targetState == kTargetLook) ok = ok && usable(n.targetX) && usable(n.targetY) && usable(n.targetZ);
        if (!ok) return "Path node " + std::to_string(i + 1) + " holds an unusable value.";
    }
    return std::nullopt;
}

void applyVehiclePreset(PathSettings& settings, Vehicle vehicle)
{
    for (const VehiclePreset& p : kVehiclePresets) {
        if (p.vehicle != vehicle) continue;
        settings.vehicleClass = p.vehicleClass;
        settings.pitching = p.pitching;
        settings.bankCoefficient = p.bankCoefficient;
        settings.nodeHeight = p.nodeHeight;
        settings.reservedVehicle = p.reservedVehicle;
        settings.smoothness = p.smoothness;
        settings.extraPitch = p.extraPitch;
        settings.reserved7 = 1;
        settings.reserved9 = 1;
    }
}

} // namespace kalvenor
