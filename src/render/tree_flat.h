// Flat (2-D) trees: a handful of polygons on a card that stands on the
// tree's base and turns to face the eye (its up axis leans back as the eye
// rises, so trees seen from above still show their shape). Each kind has a
// far shape of two to four polygons and a near one of four to nine, chosen
// by the tree's height on screen; the trunk is drawn in the bark colour and
// the crown in the leaf colour, the cactus in its own (leaf) colour with two
// shapes like the solid one (a column with arms, a clump of pads). A card
// stands about as tall as the solid tree of the same size would.
#pragma once

#include "render/tree_branches.h"
#include "render/tree_surface.h"

namespace kalvenor {

// Trees at least this many pixels tall on screen get the near shape.
constexpr int kNearFlatPixels = 24;

// Draws the flat tree the shape describes.
void drawFlatTree(TreeDraw& d, const TreeShape& shape);

// Draws the flat tree as its kind's texture map on the card (TreeTextureOn):
// the map as wide as its shape makes it, standing on the base, its
// transparent texels showing what lies behind.
void drawTexturedFlatTree(TreeDraw& d, const TreeShape& shape, const ClassTexture& map);

// How far a flat tree can reach from its base, as multiples of its size.
TreeReach flatTreeReach();

} // namespace kalvenor
