// One grid cell as terrain polygons: the view test of its corners, the
// fractal subdivision of near cells (3-D surface detail), and the shading of
// the two triangles every quad is drawn as.
#pragma once

#include "render/scene_frame.h"
#include "render/terrain_vertex.h"
#include "render/view_transform.h"

namespace kalvenor {

// Four corners in the order (col, row), (col+step, row), (col, row+step),
// (col+step, row+step), and what the subdivision reads of them.
struct TerrainQuad {
    const TerrainVertex* corner[4] = {};
    float edgeLength = 0; // (spacingX + spacingY) x step x 0.5, halved per level
    float sizeTerm = 0;   // ((1 - |nz|)^2 + c + 0.5) x edge length
    float distance = 0;   // of the last corner
    int detail = 0;       // 0..7, the texture level a quad of this size would use
    float screenSize = 0; // quadScreenSize, worked out once with the record
};

// False when the four view-space corners lie wholly outside one side of the
// view volume (all w <= 0, or all beyond one of the four side planes). u and
// v are first moved toward 0 by marginU and marginV, so a cell whose detail
// may reach into the view is kept.
bool cellInView(const Vec3 corners[4], float marginU, float marginV);

// The same test split per point, so a point shared by four cells is classified
// once: a bit for each side the point lies beyond (behind, left, right, above,
// below). A cell is out of view when its four codes share a bit.
std::uint8_t viewOutcode(Vec3 point, float marginU, float marginV);
inline bool outcodesInView(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) { return (a & b & c & d) == 0; }

// The margins of the surface-detail allowance: half a cell each way (0 when it is off).
float detailMarginU(const SceneFrame& frame);
float detailMarginV(const SceneFrame& frame);

// The quad's record beside its corners: normal from the diagonals, the cosine
// toward the eye, the size term, the screen size and the detail level.
TerrainQuad makeQuad(const SceneFrame& frame, const TerrainVertex* corners[4], float edgeLength);

// True when drawQuad is sure to draw the cell's quad at depth 0 without
// splitting it, found without the quad's normal: past the deepest level, or
// too small on screen even with the largest size term a quad can have (the
// flatness and the cosine toward the eye are each at most 1, a hair over
// after rounding). Every step of the size is a product or quotient of
// positive numbers, which rounding keeps in order, so a bound under the limit
// puts the exact size under it too. False whenever that cannot be sure.
bool staysWhole(const SceneFrame& frame, const TerrainVertex* corners[4], float edgeLength);

// Draws the cell whose four corner records are built, from depth 0 of the
// subdivision. The caller has found the cell in view (cellInView).
void drawCell(SceneFrame& frame, const TerrainVertex* corners[4]);

// A quad at recursion depth d: drawn as it is when its size on screen
// S = D x size term x 10 x focal factor / (sum of corner distances) is below
// the maximum polygon size or d passes the maximum depth; otherwise split into
// four children at the edge midpoints and the centre, drawn farthest first.
void drawQuad(SceneFrame& frame, const TerrainQuad& quad, int depth);

// Screen size estimate of drawQuad (a distance sum of 0 counts as 1).
float quadScreenSize(const SceneFrame& frame, const TerrainQuad& quad);

// The unit vector from placed point v (waves included) toward the eye: the
// normalised difference, to the bit, taken from the distance placing left.
Vec3 towardEye(const ViewState& view, const TerrainVertex& v);

// The order of the four children, farthest from the eye first.
struct ChildOrder {
    int index[4];
};
ChildOrder childOrder(float eyeX, float eyeY, float centreX, float centreY);

// Lights and submits triangle (a, b, c): waves are in the corners already;
// normal (held upward), class, hilite, diffuse intensity with roughness,
// shadow and shade, haze of the first corner, blended or Gouraud colour.
void shadeTriangle(SceneFrame& frame, const TerrainVertex& a, const TerrainVertex& b, const TerrainVertex& c,
                   int detail = 0);

} // namespace kalvenor
