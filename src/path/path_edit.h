// Node editing of the camera path, as the Path panel and the map clicks call
// it. Nodes are picked on the topographic map (Frontend::mapPoint): the node
// nearest to the marked cell, measured on the map. Every edit that changes the
// nodes or the vehicle makes the point list again (quietly when there are
// still fewer than four nodes).
//
// Results: 1 done, 0 refused (with its message), -1 cancelled.
#pragma once

#include "base/frontend.h"
#include "model/landscape.h"
#include "model/path_layout.h"

namespace kalvenor {

inline constexpr const char* kNoNodesToInsertBetween = "No nodes to insert between.  Create a new path first.";
inline constexpr const char* kPathFull = "A path holds at most 1000 nodes.";

// Where a marked map cell lies in landscape coordinates (metres).
void mapPointToWorld(const Landscape& land, const MapPoint& cell, double& x, double& y);

// "Create a new path": every node erased (the table zeroed), the points gone.
void createNewPath(PathState& path);

// A click of the "Create a new path" mode: a node appended at the marked cell,
// at the ground elevation there plus the node height, with the current speed
// setting, no target and no roll.
int appendPathNode(PathState& path, const Landscape& land, const MapPoint& cell, Frontend& ui);

// Node index changed to node as a script sets it (every value already
// checked), and the point list made again. The number of nodes stays.
void changePathNode(PathState& path, const Landscape& land, int index, const PathNode& node, Frontend& ui);

// "Add node": asks "Add new node:" and inserts a node made as appendPathNode
// makes it between the two consecutive nodes whose connecting line passes
// nearest to the marked cell (the closing line of a closed loop included).
int addPathNode(PathState& path, const Landscape& land, Frontend& ui);

// "Remove node": "Select node (Delete Node):".
int removePathNode(PathState& path, const Landscape& land, Frontend& ui);

// "Edit node": "Select node (Edit Node):", then the "Manual Node Editor:" with
// node X, Y, Z, speed, target X, Y, Z and roll. A value that is not a finite
// number within +-1e7 keeps the old one; the roll is truncated into
// -99999 .. 99999.
int editPathNode(PathState& path, const Landscape& land, Frontend& ui);

// "Set target": "Select node (Set Target):", then "Mark target (Set Target):";
// the target is the marked cell at its ground elevation, the state 1.
int setNodeTarget(PathState& path, const Landscape& land, Frontend& ui);

// "Unset target": "Select node (UnSet Target):"; the state becomes 2 (the
// target is released at this node).
int unsetNodeTarget(PathState& path, const Landscape& land, Frontend& ui);

// "Add roll": "Select node (Add Roll):" (the first node takes no roll),
// "Number of frames?" (1 .. 99999), then "Clockwise or Counterclockwise?".
int addNodeRoll(PathState& path, const Landscape& land, Frontend& ui);

// "Remove roll": "Select node (Remove Roll):"; the roll becomes 0.
int removeNodeRoll(PathState& path, const Landscape& land, Frontend& ui);

// "Closed loop": switches the closed-loop setting.
void toggleClosedLoop(PathState& path, const Landscape& land, Frontend& ui);

// A choice of the "Vehicle type" menu (the preset's row copied in).
void setPathVehicle(PathState& path, Vehicle vehicle, const Landscape& land, Frontend& ui);

// The fields of the "Vehicle characteristics:" panel and the speed field of
// the Path panel.
enum class PathCharacteristic { VehicleClass, Bank, Pitching, ExtraPitch, Smoothness, NodeHeight, PathClearance, Speed };

// Stores one field's value, brought into the field's range (vehicle class 2 or
// 3, pitching 0 or 1, bank -1000 .. 1000, extra pitch -360 .. 360, smoothness
// 0 .. 1000, node height and path clearance -100000 .. 100000 metres, speed
// 1 .. 10000000 centimetres). The value as stored.
long setPathCharacteristic(PathState& path, PathCharacteristic field, long value, const Landscape& land,
                           Frontend& ui);

} // namespace kalvenor
