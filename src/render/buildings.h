// Houses placed by hand (objects 72 .. 75, House1 .. House4): a box of four
// walls under a gable roof, standing in the middle of its cell, drawn right
// after the cell's ground through the same polygon submission as the trees.
//
// The four kinds grow in size: House1 a small cottage, House4 a tall house.
// Walls take the house's colour (scheme entries 68 .. 71), the roof the same
// colour darkened, or their texture maps; each face is lit by the sun as the
// terrain is, and only the faces turned toward the eye are drawn.
#pragma once

namespace kalvenor {

struct SceneFrame;

constexpr int kFirstHouseObject = 72; // House1
constexpr int kLastHouseObject = 75;  // House4
constexpr int kFirstHouseColour = 68; // House1's colour entry

inline bool isHouseObject(int object) { return object >= kFirstHouseObject && object <= kLastHouseObject; }

// The texture classes of the houses: for House1 .. House4 in turn the top
// (the roof), the front (the gable ends) and the side (the long walls), from
// class 92 on. A face whose class has a map shows it stretched once across
// the face, blended by its alpha over the house colour.
enum class HouseFace { Top, Front, Side };
constexpr int kFirstHouseTextureClass = 92;
constexpr int houseTextureClass(int object, HouseFace face)
{
    return kFirstHouseTextureClass + 3 * (object - kFirstHouseObject) + static_cast<int>(face);
}

// Draws the house `object` standing on grid point (col, row).
void drawHouse(SceneFrame& frame, int object, int col, int row);

} // namespace kalvenor
