// Objects placed by hand on the terrain map: trees and houses in the object
// byte, roads, water and beach as ground codes, and the eraser that gives a
// cell back to the colouring.
//
// The codes: trees placed by hand are 60 palm, 61 oak, 62 cactus and 63 pine
// (the tree kinds 34 .. 37 plus 26, so that the colouring's tree placement,
// which clears 34 .. 37, leaves them standing); House1 to House4 are 72 .. 75.
// Roads take ground code 88, water 51 and beach 50: codes the colouring keeps.
// Erasing clears the object byte and the ground code, and the colours of the
// landscape are worked out again so the cell takes the code its altitude and
// slope give.
#pragma once

#include <optional>
#include <string_view>

#include "model/landscape.h"

namespace kalvenor {

enum class PlacedKind { Palm, Oak, Cactus, Pine, House1, House2, House3, House4, Water, Beach, Erase };

constexpr int kFirstPlacedTree = 60; // palm; oak, cactus and pine follow
constexpr int kFirstHouse = 72;      // House1; House2 .. House4 follow
constexpr int kPlacedTreeOffset = kFirstPlacedTree - 34;

// The kind a word names ("Palm", "House3", "Erase" ...; letter case aside).
std::optional<PlacedKind> placedKindOf(std::string_view word);

// Places at grid point (column, row): a tree or a house on that point alone;
// water, beach or the eraser on every point within `radius` metres of the
// point (the point itself at least). Returns the number of points changed (0
// outside the landscape).
int placeObject(Landscape& land, PlacedKind kind, int column, int row, double radius);

// A road along the straight line between two grid points (both inside the
// landscape): every point on it takes the road code and loses its object.
// Where the line steps diagonally the point beside it is paved too, so the
// road's points join side to side.
// Returns the number of points changed.
int placeRoad(Landscape& land, int column0, int row0, int column1, int row1);

} // namespace kalvenor
