#include "render/tree_branches.h"

#include <algorithm>
#include <cmath>

#include "render/scene_frame.h"
#include "terrain/tree_placement.h"

namespace kalvenor {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegree = kPi / 180.0f;

constexpr int kMaxApparent = 125;
constexpr int kPixelsPerLevel = 18;
constexpr int kLeastDepth = 4, kMostDepth = 8, kMostLeafLevel = 8;
constexpr int kPineDepthFactor = 3;

// Seed offsets: the three lean draws, and the five children of a branch.
constexpr std::uint32_t kLeanOffset[3] = {101, 202, 303};
constexpr std::uint32_t kChildOffset[5] = {11, 23, 37, 51, 67};

// The lean's vertical component: a lean of 4 tilts the trunk by about 3.6 degrees.
constexpr float kLeanUp = 64.0f;
constexpr float kTurnStep = 11.25f * kDegree;

constexpr int kLeafStride[kMostLeafLevel + 1] = {4, 4, 3, 3, 3, 2, 2, 1, 1};

// Builder proportions.
constexpr float kOakTrunk = 0.33f, kOakThickness = 0.125f;
constexpr float kPineTrunk = 0.1f, kPineThickness = 1.0f / 12.0f;
constexpr float kPadsTrunk = 0.33f, kPadsThickness = 1.0f / 48.0f;
constexpr float kColumnTrunk = 0.5f, kColumnThickness = 1.0f / 16.0f;
constexpr float kPalmTrunk = 0.9f, kPalmThickness = 1.0f / 48.0f;

constexpr float kTwigShortening = 0.5f, kLeafGrowth = 3.0f, kLeafDrawn = 0.66f;

// The random turn every child takes about its own direction, and how far
// bending (0..1) turns and droops the children.
constexpr float kTwistPerDraw = kPi / 128.0f;
constexpr float kJitter = 20.0f * kDegree;  // at full bending, for a draw of 128
// The oak's side children turn up toward the light by this much, so that a
// deep crown keeps above the trunk instead of closing round it like a ball.
constexpr float kOakLift = 15.0f * kDegree;

// Pine: a leader that runs on almost straight, whorls of four side branches.
constexpr float kPineSideTurn = 70.0f * kDegree;
constexpr float kPineSideDroop = 20.0f * kDegree;
constexpr float kPineLeaderJitter = 3.0f * kDegree;
constexpr float kPineSpread = 2.2f; // the lowest whorl's branches, in lengths of the leader

// Second cactus: thin stems that fork in two at every joint, each stem
// carrying a flat pad (a wide leaf) that hides it.
constexpr float kPadFork = 40.0f * kDegree;
constexpr float kPadStemShortening = 0.85f;
constexpr float kPadLength = 1.6f; // drawn at 0.66 of it: a pad a little longer than its stem

// Leaf width as a fraction of its length.
constexpr float kOakLeafWidth = 0.6f, kPineLeafWidth = 0.7f, kPadWidth = 0.7f, kFrondWidth = 0.3f;

enum class BranchRule { Oak, Pine, Pads };

struct Branch {
    Vec3 start;
    BranchFrame frame;
    float length = 0.0f, width = 0.0f;
    int depth = 0, nesting = 0;
    std::uint32_t seed = 0;
    bool missing = false;
    bool pad = false;  // a cactus pad: the plant's body, drawn whatever the leaf count and switch
};

// One tree's growth: what every branch reads, and the leaf count.
struct Growth {
    TreeDraw& draw;
    RandomStreams& random;
    BranchRule rule;
    int recursionDepth;
    int stride;
    bool leaves;
    float bend;
    float leafWidth;
    bool wedgeLeaves = false; // leaves widest where they start (a pine's needle sprays)
    float crownScale = 1.0f;
    int leafCount = 0;
};

// Beyond depth 4 the branches below the trunk are shortened so that the chain
// from the trunk's top to a leaf (about 3.5 trunk lengths at depth 4) keeps
// its length: more depth gives a finer crown, not a larger one.
float oakCrownScale(int depth)
{
    constexpr float kChainAtDepth4 = 3.5f;
    return depth <= kLeastDepth ? 1.0f : kChainAtDepth4 / (static_cast<float>(depth) - 0.5f);
}

void applyDepthRule(BranchLevels& levels)
{
    if (levels.depth < kLeastDepth) {
        levels.leafLevel = std::max(0, 2 * levels.depth);
        levels.depth = kLeastDepth;
    } else if (levels.depth > kMostDepth) {
        levels.depth = kMostDepth;
    }
}

int oakLeafLevel(int a) { return std::clamp((a % kPixelsPerLevel) / 2, 0, kMostLeafLevel); }

float distance2(Vec3 a, Vec3 b)
{
    const Vec3 d = vsub(a, b);
    return vdot(d, d);
}

// Items drawn farthest first: index -1 is the branch itself, 0.. its children.
struct Item {
    float distance = 0.0f;
    int index = -1;
};

void sortFarthestFirst(Item* items, int count)
{
    for (int i = 1; i < count; ++i) {
        const Item item = items[i];
        int j = i;
        for (; j > 0 && items[j - 1].distance < item.distance; --j) items[j] = items[j - 1];
        items[j] = item;
    }
}

// The child's seeded draw decides whether it grows; the stream's state after
// it is the child's own seed, and the child's further draws follow it.
Branch seededChild(Growth& g, const Branch& parent, int index, Vec3 start)
{
    Branch c;
    const int draw = seedAndDrawA(g.random, parent.seed + kChildOffset[index]);
    c.missing = childMissing(draw);
    c.seed = g.random.a;
    c.start = start;
    c.nesting = parent.nesting + 1;
    c.depth = parent.depth - 1;
    return c;
}

// The frame turned by a random twist and by the bending's random tilt.
BranchFrame bent(Growth& g, const BranchFrame& f, float jitter)
{
    const float aboutSide = static_cast<float>(drawA(g.random)) / 128.0f * jitter;
    const float aboutAcross = static_cast<float>(drawA(g.random)) / 128.0f * jitter;
    const float twist = static_cast<float>(drawA(g.random)) * kTwistPerDraw;
    return twisted(turnedAboutAcross(turnedAboutSide(f, aboutSide), aboutAcross), twist);
}

// Straight on, +45 and -45 degrees about the side axis, then about the across axis.
BranchFrame fiveWay(const BranchFrame& f, int index, float angle)
{
    switch (index) {
    case 1: return turnedAboutSide(f, angle);
    case 2: return turnedAboutSide(f, -angle);
    case 3: return turnedAboutAcross(f, angle);
    case 4: return turnedAboutAcross(f, -angle);
    default: return f;
    }
}

int oakChildren(Growth& g, const Branch& b, Vec3 end, Branch* out)
{
    for (int i = 0; i < 5; ++i) {
        Branch c = seededChild(g, b, i, end);
        c.frame = bent(g, fiveWay(b.frame, i, kPi / 4.0f), g.bend * kJitter);
        if (i != 0) c.frame = drooped(c.frame, -kOakLift);
        c.length = b.nesting == 0 ? b.length * g.crownScale : b.length;
        c.width = b.width * (i == 0 ? 0.7f : 0.55f);
        out[i] = c;
    }
    return 5;
}

int pineChildren(Growth& g, const Branch& b, Vec3 end, Branch* out)
{
    // The leader always grows: a pine that lost it would stop short.
    Branch leader = seededChild(g, b, 0, end);
    leader.missing = false;
    leader.frame = bent(g, b.frame, g.bend * kPineLeaderJitter);
    leader.length = b.length;
    leader.width = b.width * 0.94f;
    out[0] = leader;
    // Lower whorls reach farther: the side length falls with the height.
    const float reach = b.length * kPineSpread * static_cast<float>(b.depth) / static_cast<float>(g.recursionDepth);
    for (int i = 1; i < 5; ++i) {
        Branch c = seededChild(g, b, i, end);
        c.frame = drooped(bent(g, fiveWay(b.frame, i, kPineSideTurn), g.bend * kJitter), g.bend * kPineSideDroop);
        c.depth = 1;
        c.length = reach;
        c.width = b.width * 0.35f;
        out[i] = c;
    }
    return 5;
}

int padChildren(Growth& g, const Branch& b, Vec3 end, Branch* out)
{
    // The pad lies along the stem itself, from its start.
    Branch pad = seededChild(g, b, 0, b.start);
    pad.frame = bent(g, b.frame, g.bend * kJitter * 0.5f);
    pad.depth = 0;
    pad.length = b.length * kPadLength;
    pad.pad = true;
    pad.missing = false;
    out[0] = pad;
    for (int i = 1; i < 3; ++i) {
        Branch c = seededChild(g, b, i, end);
        c.frame = bent(g, turnedAboutAcross(b.frame, i == 1 ? kPadFork : -kPadFork), g.bend * kJitter);
        c.length = b.length * kPadStemShortening;
        c.width = b.width * 0.8f;
        out[i] = c;
    }
    return 3;
}

int makeChildren(Growth& g, const Branch& b, Vec3 end, Branch* out)
{
    switch (g.rule) {
    case BranchRule::Pine: return pineChildren(g, b, end, out);
    case BranchRule::Pads: return padChildren(g, b, end, out);
    default: return oakChildren(g, b, end, out);
    }
}

void growBranch(Growth& g, const Branch& b);

void growLimb(Growth& g, Branch b)
{
    b.length = b.length * static_cast<float>(64 - b.nesting) / 64.0f;
    const Vec3 end = vadd(b.start, vscale(b.frame.dir, b.length));
    Branch children[5];
    const int count = makeChildren(g, b, end, children);

    Item items[6];
    items[0] = {distance2(vscale(vadd(b.start, end), 0.5f), g.draw.eye), -1};
    for (int i = 0; i < count; ++i) {
        const Vec3 middle = vadd(children[i].start, vscale(children[i].frame.dir, children[i].length * 0.5f));
        items[i + 1] = {distance2(middle, g.draw.eye), i};
    }
    sortFarthestFirst(items, count + 1);
    for (int i = 0; i <= count; ++i) {
        const int index = items[i].index;
        if (index < 0)
            drawBranchBody(g.draw, b.start, end, b.frame, b.width, children[0].width, g.draw.bark, b.seed, b.depth);
        else if (!children[index].missing)
            growBranch(g, children[index]);
    }
}

void growLeaf(Growth& g, const Branch& b)
{
    if (b.pad) {
        drawLeaf(g.draw, b.start, b.frame, b.length * kLeafDrawn, g.leafWidth, g.draw.leaf, b.seed);
        return;
    }
    const bool drawn = g.leaves && g.leafCount % g.stride == 0;
    ++g.leafCount;
    if (!drawn) return;
    const float length = b.length * kLeafDrawn;
    if (g.wedgeLeaves) {
        const Vec3 tip = vadd(b.start, vscale(b.frame.dir, length));
        drawLeafStrip(g.draw, b.start, tip, length * g.leafWidth, 0.0f, b.frame.dir, g.draw.leaf, b.seed);
        return;
    }
    drawLeaf(g.draw, b.start, b.frame, length, g.leafWidth, g.draw.leaf, b.seed);
}

void growTwig(Growth& g, Branch b)
{
    b.length *= kTwigShortening;
    const Vec3 end = vadd(b.start, vscale(b.frame.dir, b.length));
    Branch leaf = b;
    leaf.start = end;
    leaf.length = b.length * kLeafGrowth;
    leaf.depth = 0;
    leaf.nesting = b.nesting + 1;
    leaf.seed = lcgStep(b.seed + kChildOffset[0]);
    const Vec3 twigMiddle = vscale(vadd(b.start, end), 0.5f);
    const Vec3 leafMiddle = vadd(end, vscale(b.frame.dir, leaf.length * kLeafDrawn * 0.5f));
    const bool leafFirst = distance2(leafMiddle, g.draw.eye) > distance2(twigMiddle, g.draw.eye);
    if (leafFirst) growLeaf(g, leaf);
    // Twigs belong to the foliage: a bare tree shows its branches only.
    if (g.leaves && pixelsAt(g.draw, b.width, twigMiddle) >= 1.0f)
        drawSegment(g.draw, b.start, end, b.width, g.draw.bark, b.seed, 1);
    if (!leafFirst) growLeaf(g, leaf);
}

void growBranch(Growth& g, const Branch& b)
{
    if (b.depth >= 2)
        growLimb(g, b);
    else if (b.depth == 1)
        growTwig(g, b);
    else
        growLeaf(g, b);
}

// The trunk's frame: along the lean, turned about itself by the lean's third component.
BranchFrame trunkFrame(const TreeLean& lean)
{
    const Vec3 dir = vunit({static_cast<float>(lean.x), static_cast<float>(lean.y), kLeanUp});
    return twisted(frameAlong(dir, {1.0f, 0.0f, 0.0f}), static_cast<float>(lean.turn) * kTurnStep);
}

void drawRecursiveTree(TreeDraw& d, const TreeShape& shape, RandomStreams& random, BranchRule rule,
                       const BranchLevels& levels, float trunk, float thickness, float leafWidth)
{
    const TreeLean lean = treeLean(random, shape.seed);
    Growth g{d, random, rule, levels.recursionDepth, leafStride(levels.leafLevel), shape.leaves, shape.bend, leafWidth};
    if (rule == BranchRule::Oak) g.crownScale = oakCrownScale(levels.depth);
    g.wedgeLeaves = rule == BranchRule::Pine;
    Branch b;
    b.start = shape.base;
    b.frame = trunkFrame(lean);
    b.length = static_cast<float>(shape.size) * trunk;
    b.width = b.length * thickness;
    b.depth = levels.recursionDepth;
    b.seed = shape.seed;
    growBranch(g, b);
}

// A piece of a palm or of the first cactus: a limb and the order it is drawn in.
struct Piece {
    Vec3 a, b;
    BranchFrame frame;
    float width = 0.0f, endWidth = 0.0f;
};

void drawPiecesFarthestFirst(TreeDraw& d, const Piece* pieces, int count, const TreePaint& paint,
                             std::uint32_t seed)
{
    Item items[16];
    count = std::min(count, 16);
    for (int i = 0; i < count; ++i) items[i] = {distance2(vscale(vadd(pieces[i].a, pieces[i].b), 0.5f), d.eye), i};
    sortFarthestFirst(items, count);
    for (int i = 0; i < count; ++i) {
        const Piece& p = pieces[items[i].index];
        // A trunk or column stays a pixel wide however far it is: without it the crown would float.
        const float least = widthOfPixels(d, 1.05f, vscale(vadd(p.a, p.b), 0.5f));
        const std::uint32_t pieceSeed = seed + static_cast<std::uint32_t>(items[i].index) * 8u;
        drawBranchBody(d, p.a, p.b, p.frame, std::max(p.width, least), std::max(p.endWidth, least), paint, pieceSeed,
                       kLeastDepth);
    }
}

// Palm: a slender trunk curving by the bending in four pieces, and a crown of
// drooping fronds (six to ten, with the leaf level) of two to four pieces each (with the depth).
constexpr int kPalmPieces = 4;
constexpr float kPalmCurve = 30.0f * kDegree;
constexpr float kFrondRise = 40.0f * kDegree;
constexpr float kFrondDroopBase = 40.0f * kDegree, kFrondDroopBend = 60.0f * kDegree;
constexpr float kFrondLength = 0.45f;
constexpr int kMostFronds = 10;

// Width along a frond (0 at its start, 1 at its tip): narrow at the crown,
// widest before the middle, a point at the tip.
float frondProfile(float t) { return std::sin(kPi * (0.1f + 0.9f * t)); }

void drawFrond(TreeDraw& d, const TreeShape& shape, Vec3 start, BranchFrame f, int segments, std::uint32_t seed)
{
    const float size = static_cast<float>(shape.size);
    const float length = size * kFrondLength / static_cast<float>(segments);
    const float width = size * kFrondLength * kFrondWidth;
    const float droop = (kFrondDroopBase + kFrondDroopBend * shape.bend) / static_cast<float>(segments);
    for (int s = 0; s < segments; ++s) {
        const Vec3 next = vadd(start, vscale(f.dir, length));
        const float t0 = static_cast<float>(s) / static_cast<float>(segments);
        const float t1 = static_cast<float>(s + 1) / static_cast<float>(segments);
        const float w1 = s + 1 == segments ? 0.0f : width * frondProfile(t1);
        const std::uint32_t pieceSeed = seed + static_cast<std::uint32_t>(s);
        drawLeafStrip(d, start, next, width * frondProfile(t0), w1, f.dir, d.leaf, pieceSeed);
        start = next;
        f = drooped(f, droop);
    }
}

// The trunk's pieces, curving about the trunk frame's side axis; f ends as the frame at the crown.
Vec3 palmTrunk(const TreeShape& shape, BranchFrame& f, Piece* pieces)
{
    const float size = static_cast<float>(shape.size);
    const float length = size * kPalmTrunk / kPalmPieces;
    const float width = size * kPalmTrunk * kPalmThickness;
    Vec3 at = shape.base;
    for (int i = 0; i < kPalmPieces; ++i) {
        const Vec3 next = vadd(at, vscale(f.dir, length));
        const float taper = 0.08f * static_cast<float>(i);
        pieces[i] = {at, next, f, width * (1.0f - taper), width * (0.92f - taper)};
        at = next;
        f = turnedAboutSide(f, shape.bend * kPalmCurve / kPalmPieces);
    }
    return at;
}

void drawPalm(TreeDraw& d, const TreeShape& shape, RandomStreams& random)
{
    BranchFrame f = trunkFrame(treeLean(random, shape.seed));
    Piece pieces[kPalmPieces];
    const Vec3 crown = palmTrunk(shape, f, pieces);
    const BranchLevels levels = oakLevels(shape.apparent, shape.detail);
    const int fronds = shape.leaves ? std::min(6 + levels.leafLevel / 2, kMostFronds) : 0;
    const int segments = std::clamp(levels.depth - 3, 2, 4);

    // Fronds spread evenly round the crown, each turned a little by its own draw.
    BranchFrame frames[kMostFronds];
    Item items[kMostFronds];
    const float reach = static_cast<float>(shape.size) * kFrondLength * 0.5f;
    for (int i = 0; i < fronds; ++i) {
        const std::uint32_t frondSeed = shape.seed + kChildOffset[i % 5] + static_cast<std::uint32_t>(i) * 97u;
        const float turn = static_cast<float>(seedAndDrawA(random, frondSeed)) * kTwistPerDraw * 0.25f;
        const float azimuth = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(fronds) + turn;
        frames[i] = turnedAboutSide(twisted(f, azimuth), -(kPi / 2.0f - kFrondRise));
        items[i] = {distance2(vadd(crown, vscale(frames[i].dir, reach)), d.eye), i};
    }
    sortFarthestFirst(items, fronds);

    // Fronds beyond the crown first, then the trunk, then the near fronds.
    const float crownDistance = distance2(crown, d.eye);
    int next = 0;
    const auto frond = [&](const Item& item) {
        const std::uint32_t frondSeed = shape.seed + static_cast<std::uint32_t>(item.index) * 16u;
        drawFrond(d, shape, crown, frames[item.index], segments, frondSeed);
    };
    for (; next < fronds && items[next].distance > crownDistance; ++next) frond(items[next]);
    drawPiecesFarthestFirst(d, pieces, kPalmPieces, d.bark, shape.seed);
    for (; next < fronds; ++next) frond(items[next]);
}

// First cactus: a fleshy column with one to three arms that bend upward, all
// in the cactus's own (leaf) colour.
constexpr int kMostArms = 3;
constexpr float kArmRise = 20.0f * kDegree;

int columnPieces(const TreeShape& shape, const BranchFrame& f, float length, float width, Piece* out)
{
    const Vec3 base = shape.base;
    const Vec3 lower = vadd(base, vscale(f.dir, length * 0.55f));
    const Vec3 upper = vadd(base, vscale(f.dir, length * 0.93f));
    const Vec3 top = vadd(base, vscale(f.dir, length));
    out[0] = {base, lower, f, width, width};
    out[1] = {lower, upper, f, width, width};
    out[2] = {upper, top, f, width, width * 0.6f}; // the rounded top
    return 3;
}

int armPieces(const TreeShape& shape, const BranchFrame& f, float length, float width, Piece* out)
{
    const int arms = 1 + ((shape.w2 >> 3) & 1) + ((shape.w3 >> 3) & 1);
    int count = 0;
    for (int j = 0; j < arms && j < kMostArms; ++j) {
        const float height = length * (0.3f + 0.14f * static_cast<float>(j));
        const Vec3 root = vadd(shape.base, vscale(f.dir, height));
        const float turn = static_cast<float>((shape.w1 >> (4 * j)) & 15) * kPi / 24.0f;
        const float azimuth = 2.0f * kPi * static_cast<float>(j) / 3.0f + turn;
        // Out from the column, a little upward, then up.
        const BranchFrame out1 = turnedAboutSide(twisted(f, azimuth), -(kPi / 2.0f - kArmRise));
        const Vec3 elbow = vadd(root, vscale(out1.dir, length * 0.16f + width * 0.5f));
        const float rise = length * (0.2f + 0.06f * static_cast<float>((shape.w3 >> (j + 5)) & 1));
        const Vec3 tip = vadd(elbow, vscale(f.dir, rise));
        const float armWidth = width * 0.7f;
        out[count++] = {root, elbow, out1, armWidth, armWidth};
        out[count++] = {elbow, tip, f, armWidth, armWidth * 0.6f};
    }
    return count;
}

void drawColumnCactus(TreeDraw& d, const TreeShape& shape, RandomStreams& random)
{
    const BranchFrame f = trunkFrame(treeLean(random, shape.seed));
    const float length = static_cast<float>(shape.size) * kColumnTrunk;
    const float width = length * kColumnThickness;
    Piece pieces[3 + 2 * kMostArms];
    int count = columnPieces(shape, f, length, width, pieces);
    count += armPieces(shape, f, length, width, pieces + count);
    drawPiecesFarthestFirst(d, pieces, count, d.leaf, shape.seed);
}

} // namespace

BranchLevels oakLevels(int apparent, int detail)
{
    const int a = std::clamp(apparent, 0, kMaxApparent);
    BranchLevels levels;
    levels.leafLevel = oakLeafLevel(a);
    levels.depth = a / kPixelsPerLevel + detail; // / truncates; a is not negative
    applyDepthRule(levels);
    levels.recursionDepth = levels.depth;
    return levels;
}

BranchLevels pineLevels(int apparent, int detail)
{
    const int a = std::clamp(apparent, 0, kMaxApparent);
    BranchLevels levels;
    levels.leafLevel = std::clamp(oakLeafLevel(a) / 2 + 4, 0, kMostLeafLevel);
    levels.depth = a / kPixelsPerLevel + detail;
    applyDepthRule(levels);
    levels.recursionDepth = kPineDepthFactor * levels.depth;
    return levels;
}

BranchLevels secondCactusLevels(int apparent, int detail)
{
    BranchLevels levels = pineLevels(apparent, detail);
    levels.recursionDepth = levels.depth;
    return levels;
}

int leafStride(int leafLevel) { return kLeafStride[std::clamp(leafLevel, 0, kMostLeafLevel)]; }

TreeLean treeLean(RandomStreams& random, std::uint32_t seed)
{
    TreeLean lean;
    lean.x = (seedAndDrawA(random, seed + kLeanOffset[0]) & 7) - 4;
    lean.y = (seedAndDrawA(random, seed + kLeanOffset[1]) & 7) - 4;
    lean.turn = (seedAndDrawA(random, seed + kLeanOffset[2]) & 31) - 16;
    return lean;
}

bool childMissing(int seededDraw) { return seededDraw % 7 == 0; }

void drawSolidTree(TreeDraw& d, const TreeShape& shape, RandomStreams& random)
{
    switch (shape.object) {
    case kObjectPalm: drawPalm(d, shape, random); return;
    case kObjectCactus:
        if (shape.firstCactus) {
            drawColumnCactus(d, shape, random);
            return;
        }
        drawRecursiveTree(d, shape, random, BranchRule::Pads, secondCactusLevels(shape.apparent, shape.detail),
                          kPadsTrunk, kPadsThickness, kPadWidth);
        return;
    case kObjectPine:
        drawRecursiveTree(d, shape, random, BranchRule::Pine, pineLevels(shape.apparent, shape.detail), kPineTrunk,
                          kPineThickness, kPineLeafWidth);
        return;
    default:
        drawRecursiveTree(d, shape, random, BranchRule::Oak, oakLevels(shape.apparent, shape.detail), kOakTrunk,
                          kOakThickness, kOakLeafWidth);
        return;
    }
}

TreeReach solidTreeReach(int object, bool firstCactus)
{
    // Generous bounds on the path from the base to the farthest leaf at the
    // greatest depth, leaning and bending included.
    switch (object) {
    case kObjectPalm: return {0.9f, 1.3f, 0.1f};
    case kObjectCactus: return firstCactus ? TreeReach{0.45f, 0.6f, 0.1f} : TreeReach{1.1f, 1.3f, 0.6f};
    case kObjectPine: return {1.6f, 2.6f, 0.4f};
    default: return {3.0f, 3.0f, 3.0f};
    }
}

} // namespace kalvenor
