// Where trees grow: the kinds each altitude band may hold, the placement that
// ends every colour pass, and the mean density and size that scale the four
// band densities and the four kind sizes together.
#pragma once

#include <array>
#include <cstdint>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"

namespace kalvenor {

class Frontend;

// Object codes of the four tree kinds, in kind-flag order palm, oak, cactus, pine.
enum TreeObject : int { kObjectPalm = 34, kObjectOak = 35, kObjectCactus = 36, kObjectPine = 37 };

// The four kind flags a band's placement draws from, given its kind mask:
// none 0,0,0,0; one t,t,t,t; two a,a,b,b; three a,b,c,c; four 1,2,4,8.
std::array<std::uint8_t, 4> slotTable(std::int32_t kindMask);

// Rebuilds trees.slots from trees.kindMask.
void buildSlotTables(TreeSettings& trees);

// The object code of a kind flag (1, 2, 4, 8), or 0 for no kind.
int treeObjectFor(int kindFlag);

// Clears every tree from the sampled points and grows new ones on the tree
// bands, drawing from stream A as it goes (the caller has just seeded it).
// The slot tables are derived from the kind masks on entry. Shows progress
// "Trees"; cannot be aborted.
void placeTrees(Landscape& land, const TreeSettings& trees, RandomStreams& random, Frontend& ui);

// Mean of the four band densities: trunc((d1 + d2 + d3 + d4 + 2) / 4).
int meanTreeDensity(const TreeSettings& trees);
// Scales the four densities to mean v, keeping their proportions.
void setMeanTreeDensity(TreeSettings& trees, int v);

// The same over the four kind sizes (palm, oak, cactus, pine).
int meanTreeSize(const TreeSettings& trees);
void setMeanTreeSize(TreeSettings& trees, int v);

} // namespace kalvenor
