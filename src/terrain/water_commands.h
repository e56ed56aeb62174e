// The interactive terrain edits of the water panel and the Erode button: each
// keeps an undo copy, shows its result on the topographic map and asks whether
// to keep it; "No" restores the copy. Scripts call the same functions (a batch
// run answers the acceptance questions with their first button, "Yes").
//
// Results: 1 when accepted, -1 when cancelled or rejected, 0 when there was
// nothing to do (a cell outside the landscape, no maps).
#pragma once

#include "model/landscape.h"
#include "model/random_streams.h"
#include "terrain/erosion.h"

namespace kalvenor {

class Frontend;

inline constexpr const char* kAcceptRiver = "Accept river?";
inline constexpr const char* kAcceptLake = "Accept lake?";
inline constexpr const char* kAcceptSea = "Accept Sea?";
inline constexpr const char* kAcceptErosion = "Accept erosion?";
inline constexpr const char* kLakeLevelPrompt = "Desired lake level:";
inline constexpr const char* kEraseOldWater = "Erase old Rivers/Lakes/Seas?";

// A river from the sample point (column, row), then the water colouring.
int createRiver(Landscape& land, int column, int row, RandomStreams& random, Frontend& ui);

// Asks "Desired lake level:" (the cell's elevation offered; Cancel gives -1),
// then as createLakeAtLevel.
int createLake(Landscape& land, int column, int row, RandomStreams& random, Frontend& ui);

// A lake from the sample point (column, row) with its surface at level + 1,
// then the water colouring. An aborted fill keeps and colours what it filled.
int createLakeAtLevel(Landscape& land, int column, int row, int level, RandomStreams& random, Frontend& ui);

// Asks "Erase old Rivers/Lakes/Seas?" (Yes clears the terrain map), runs the
// sea pass with `level`, updates the statistics, redraws the map and asks
// "Accept Sea?".
int createSea(Landscape& land, int level, RandomStreams& random, Frontend& ui);

// Erosion of up to `rounds` rounds (kErodeUntilEsc from the panel), then
// "Accept erosion?".
int erodeLandscape(Landscape& land, long long rounds, RandomStreams& random, Frontend& ui);

} // namespace kalvenor
