// Solid (3-D) trees: a trunk that leans a little, and branches grown from it
// recursively, drawn farthest first so that the tree needs no depth buffer.
//
// The oak shows the pattern. Its apparent size a (pixels, at most 125) sets
// the depth of the recursion and the leaf level; a branch of depth d >= 2 is
// shortened by (64 - n) / 64 (n = branches around it) and carries five
// children turned by 0 and +-45 degrees about its two cross axes, about one
// in seven missing; depth 1 is a twig with one leaf three times its length;
// depth 0 is a leaf, of which every k-th is drawn. Beyond depth 4 the crown
// below the trunk is scaled so that the tree keeps its size as it nears the
// eye (more depth gives more, smaller branches and leaves), and side children
// turn up toward the light a little. The pine and the second cactus share the
// levels but grow their own children (a leader with whorls of four side
// branches; stems that fork in two, each carrying a pad); the palm and the
// first cactus are built directly.
//
// Worst cases, in polygons per tree (a solid limb gives at most four with
// back-face culling and seven without, a thin segment or a leaf one):
// - oak at depth D: (5^(D-1) - 1) / 4 limbs, 5^(D-1) twigs and as many
//   leaves: 374 at depth 4 (every tree under 54 pixels at high detail), 46,874
//   at depth 7 (the most at high detail), 234,374 at depth 8 (ultra). About a
//   seventh of the children is missing, twigs thinner than a pixel are not
//   drawn and the k table thins the leaves: a near oak measures about 8,000 at
//   high detail and 34,000 at ultra, a distant one about 50;
// - pine at recursion depth R (12..24): (R - 1) x (4 + 4 x 2) + 2, at most 278;
// - second cactus at depth D: 5 x (2^(D-1) - 1) + 2 x 2^(D-1), at most 891;
// - palm: 4 x 4 for the trunk and at most 10 fronds of 4 pieces, 56;
// - first cactus: 9 pieces of at most 4, 36.
#pragma once

#include "model/random_streams.h"
#include "render/tree_surface.h"

namespace kalvenor {

// The leaf level (0..8) and depth (4..8) of the oak, pine and second cactus
// builders, and the depth the branch recursion starts at.
struct BranchLevels {
    int leafLevel = 0;
    int depth = 4;
    int recursionDepth = 4;
};

// Oak: leaf level trunc((a mod 18) / 2) held to 0..8, depth trunc(a / 18) +
// detail; a depth below 4 becomes 4 with the leaf level max(0, 2 x depth), one
// above 8 becomes 8. a is held to 0..125 first.
BranchLevels oakLevels(int apparent, int detail);

// Pine and second cactus: the leaf level is trunc(l / 2) + 4 with l the oak's,
// held to 0..8, before the same depth rule; the pine's recursion starts at
// 3 x depth, the cactus's at depth.
BranchLevels pineLevels(int apparent, int detail);
BranchLevels secondCactusLevels(int apparent, int detail);

// Every k-th leaf is drawn: k = 4, 4, 3, 3, 3, 2, 2, 1, 1 for leaf levels 0..8.
int leafStride(int leafLevel);

// The trunk's lean: three draws from stream A reseeded with the tree's seed
// plus a fixed offset each: x and y (draw AND 7) - 4, and a third component
// (draw AND 31) - 16 that turns the crown about the trunk (in steps of 11.25 degrees).
struct TreeLean {
    int x = 0, y = 0, turn = 0;
};
TreeLean treeLean(RandomStreams& random, std::uint32_t seed);

// True when a child's seeded draw is a multiple of 7: the child is missing.
bool childMissing(int seededDraw);

// Draws the solid tree the shape describes (its object and cactus shape choose the builder).
void drawSolidTree(TreeDraw& d, const TreeShape& shape, RandomStreams& random);

// How far a solid tree of the shape can reach from its base, as multiples of its size.
struct TreeReach {
    float sideways = 0.0f, above = 0.0f, below = 0.0f;
};
TreeReach solidTreeReach(int object, bool firstCactus);

} // namespace kalvenor
