// Drawing the trees that placement left in the object byte of the terrain
// map. Every tree is rebuilt from its grid position alone: the position seeds
// the random words that fix its size, colours and shape, so a tree looks the
// same in every frame whatever order the cells are visited in.
//
// Where a tree stands: on the cell whose first corner is its grid point,
// near the cell's centre (moved by up to a quarter cell each way by its
// words), on the ground interpolated from the cell's four corners. The
// terrain walk draws it right after that cell's ground.
#pragma once

#include <cstdint>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "render/terrain_lighting.h"
#include "render/tree_surface.h"
#include "render/view_transform.h"

namespace kalvenor {

struct SceneFrame;

// Object codes of trees; the same numbers are the leaf colour entries.
constexpr int kFirstTreeObject = 34; // palm
constexpr int kLastTreeObject = 37;  // pine
constexpr int kFirstBarkEntry = 64;  // bark colours, in the same order

inline bool isTreeObject(int object) { return object >= kFirstTreeObject && object <= kLastTreeObject; }

// The positional seed of the tree's grid point and the three words drawn
// after it, each (draw << 8) XOR (next draw) from stream A.
struct TreeWords {
    std::uint32_t seed = 0;
    int w1 = 0, w2 = 0, w3 = 0;
    int sum() const { return w1 + w2 + w3; }
};

// Reseeds C with the positional seed of (col, row), seeds A with its result
// and draws the three words.
TreeWords treeWords(RandomStreams& random, int col, int row);

// A further word from stream A, formed as the three above.
int nextTreeWord(RandomStreams& random);

// The size setting of the kind (palm, oak, cactus, pine) for object t.
int kindSize(const TreeSettings& trees, int object);

// size plus (w1 + w2 + w3) mod trunc(size / 4), the remainder taking the sign
// of the sum; sizes below 4 are used as they are.
int treeSize(int kindSizeSetting, const TreeWords& words);

// One colour component moved by (word AND 7) - 4 and held to 0..255.
int variedComponent(int component, int word);

struct TreeColours {
    Rgb bark, leaf;
};

// Bark (entry 64 + t - 34) and leaf (entry t) colours of object t, each
// component varied by its own word: bark red, green, blue, then leaf red,
// green, blue, six words drawn in that order.
TreeColours treeColours(const SchemeBytes& scheme, int object, RandomStreams& random);

// The cactus has two shapes: the first when (w1 + w2 + w3) AND 21 is 0.
inline bool firstCactusShape(const TreeWords& words) { return (words.sum() & 21) == 0; }

// The drawing state of an object standing at base on grid point (col, row):
// the eye, the light, one haze weight (its base's), the terrain's shadow
// there and the render switches; its paints are the caller's.
TreeDraw objectDraw(SceneFrame& frame, Vec3 base, int col, int row);

// A colour of the scheme with its class code and that class's attributes.
TreePaint paintOf(const SceneSettings& scene, Rgb colour, int entry);

// Where the tree of grid point (col, row) stands, on the cell of the given step.
Vec3 treeBase(const Landscape& land, int col, int row, int step, const TreeWords& words);

// False when the box from (base - reach, base - reach, base - below) to
// (base + reach, base + reach, base + above) lies wholly outside one side of
// the view volume.
bool treeBoxInView(const ViewState& view, Vec3 base, float reach, float below, float above);

// Draws the tree of object t (34..37) standing on grid point (col, row), in
// the 2-D or 3-D form the settings ask for. Nothing when the size is not
// positive or the tree is out of view.
void drawTree(SceneFrame& frame, int object, int col, int row);

} // namespace kalvenor
