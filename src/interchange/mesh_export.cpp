#include "interchange/mesh_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/mesh.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "base/frontend.h"
#include "base/paths.h"
#include "files/ascii_z.h"
#include "interchange/mesh_output.h"
#include "render/terrain_lighting.h"
#include "render/trees.h"
#include "terrain/object_placement.h"
#include "terrain/water.h"

namespace kalvenor {

namespace {

constexpr const char* kGroundName = "ground";
constexpr const char* kWaterName = "water";
constexpr const char* kTreesName = "trees";
constexpr const char* kRootName = "landscape";

// The library's exporter of each format. STL is written binary: smaller, and
// read by everything that reads the text form. PLY is written as text: the
// library's binary PLY writer (5.2) declares its colours as bytes but writes
// them as floats, which no reader can follow.
struct FormatEntry {
    const char* extension;
    MeshFormat format;
    const char* exporterId;
};
constexpr FormatEntry kFormats[] = {
    {".obj", MeshFormat::Obj, "obj"},
    {".glb", MeshFormat::Glb, "glb2"},
    {".stl", MeshFormat::Stl, "stlb"},
    {".ply", MeshFormat::Ply, "ply"},
};

// Class keys of the cells: a ground code 0 .. 255, or this one for every
// ground cell when the terrain map is not current.
constexpr int kGreyKey = 256;
constexpr int kClassKeys = 257;
constexpr int kGreyLevel = 128;
constexpr float kWaterRoughness = 0.2f;

// A tree node costs the library about a kilobyte (its name field alone is one),
// twice over since the exporter copies the scene: beyond this many the rest are
// left out and counted in a report.
constexpr std::size_t kMaxTreeNodes = 100000;
constexpr const char* kTreeKindNames[] = {"palm", "oak", "cactus", "pine"};

// The tree shape in heights: a square trunk under a square pyramid crown.
constexpr double kTrunkHalfWidth = 0.06;
constexpr double kTrunkTop = 0.35;
constexpr double kCrownBase = 0.25;
constexpr double kCrownHalfWidth = 0.3;

enum class Step { Done, Aborted };

// The sampled points of the export area: i across (columns), j down the rows.
struct SampledGrid {
    const Landscape& land;
    ExportArea area;
    int step = 1;
    int nx = 0; // cells across
    int ny = 0; // cells along the rows

    int column(int i) const { return area.firstColumn + i * step; }
    int row(int j) const { return area.firstRow + j * step; }
    std::size_t point(int i, int j) const
    {
        return static_cast<std::size_t>(j) * static_cast<std::size_t>(nx + 1) + static_cast<std::size_t>(i);
    }
    std::size_t cell(int i, int j) const
    {
        return static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + static_cast<std::size_t>(i);
    }
    int elevation(int i, int j) const { return land.elevation[row(j)][column(i)]; }
    std::uint16_t terrain(int i, int j) const { return land.terrain[row(j)][column(i)]; }
    int code(int i, int j) const { return terrain(i, j) & 0xFF; }
    double x(int i) const { return static_cast<double>(column(i)) * static_cast<double>(land.spacingX); }
    double y(int j) const { return static_cast<double>(row(j)) * static_cast<double>(land.spacingY); }
};

// Grid metres (x east, y north, z up) in the file's axes: unchanged, or turned
// y up for glTF as (x, z, -y), a rotation, so windings and normals keep their sense.
struct Axes {
    bool yUp = false;
    aiVector3D operator()(double x, double y, double z) const
    {
        if (yUp) return {static_cast<float>(x), static_cast<float>(z), static_cast<float>(-y)};
        return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    }
};

// One mesh of the export: the cells of one class key.
struct Part {
    bool water = false;
    std::string material;
    Rgb colour;      // the material's colour (white where vertex colours carry it)
    long cells = 0;
    int firstRow = INT_MAX; // first and last cell row holding the part
    int lastRow = -1;
};

struct MeshBuild {
    SampledGrid grid;
    const SchemeBytes& scheme;
    MeshFormat format;
    Frontend& ui;
    bool coloursCurrent = false;
    bool splitWater = true;
    Axes axes{};
    std::vector<std::uint16_t> cellPart{}; // per cell: its part (a class key while classifying)
    std::vector<std::int32_t> remap{};     // per sampled point: its vertex in the mesh being built, or -1
    std::vector<Part> parts{};
    long rowsDone = 0;
    long rowsTotal = 1;
};

bool vertexColours(MeshFormat f) { return f == MeshFormat::Glb || f == MeshFormat::Ply; }

// glTF's vertex colours are linear; the scheme's are sRGB, as the screen shows them.
float linearFromSrgb(int component)
{
    const double c = component / 255.0;
    return static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
}

aiColor4D colourOf(Rgb c, bool linear)
{
    if (linear) return {linearFromSrgb(c.r), linearFromSrgb(c.g), linearFromSrgb(c.b), 1.0f};
    return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f};
}

void progress(MeshBuild& b)
{
    ++b.rowsDone;
    b.ui.progress("Building mesh", static_cast<int>(std::min<long>(b.rowsDone * 100 / b.rowsTotal, 100)));
}

// ---- Cells to parts ----

// The class of a cell with ground code `code`. OBJ keeps one class per code
// (its material); the other formats colour vertices and need only land and water.
int classKey(const MeshBuild& b, int code)
{
    const bool water = b.splitWater && isWaterCode(code);
    if (b.format != MeshFormat::Obj) return water ? 1 : 0;
    if (water || b.coloursCurrent) return code;
    return kGreyKey;
}

Part partFor(const MeshBuild& b, int key)
{
    Part part;
    const bool obj = b.format == MeshFormat::Obj;
    part.water = obj ? b.splitWater && key != kGreyKey && isWaterCode(key) : key == 1;
    if (!obj) {
        part.material = part.water ? kWaterName : kGroundName;
        part.colour = {255, 255, 255};
    } else if (key == kGreyKey) {
        part.material = kGroundName;
        part.colour = {kGreyLevel, kGreyLevel, kGreyLevel};
    } else {
        char name[32];
        std::snprintf(name, sizeof name, "%s_%d", part.water ? kWaterName : kGroundName, key);
        part.material = name;
        part.colour = schemeColour(b.scheme, key);
    }
    return part;
}

// Gives every cell its part: ground parts first, by key, then the water.
Step classifyCells(MeshBuild& b)
{
    const SampledGrid& g = b.grid;
    b.cellPart.assign(static_cast<std::size_t>(g.nx) * static_cast<std::size_t>(g.ny), 0);
    std::array<bool, kClassKeys> present{};
    b.rowsTotal = 2L * g.ny; // until the parts are known: at least one more pass over the rows
    for (int j = 0; j < g.ny; ++j) {
        if (b.ui.pollAbort()) return Step::Aborted;
        progress(b);
        for (int i = 0; i < g.nx; ++i) {
            const int key = classKey(b, g.code(i, j));
            b.cellPart[g.cell(i, j)] = static_cast<std::uint16_t>(key);
            present[static_cast<std::size_t>(key)] = true;
        }
    }
    std::array<int, kClassKeys> partOfKey;
    partOfKey.fill(-1);
    for (bool water : {false, true})
        for (int key = 0; key < kClassKeys; ++key) {
            if (!present[static_cast<std::size_t>(key)]) continue;
            Part part = partFor(b, key);
            if (part.water != water) continue;
            partOfKey[static_cast<std::size_t>(key)] = static_cast<int>(b.parts.size());
            b.parts.push_back(std::move(part));
        }
    for (int j = 0; j < g.ny; ++j)
        for (int i = 0; i < g.nx; ++i) {
            std::uint16_t& cell = b.cellPart[g.cell(i, j)];
            cell = static_cast<std::uint16_t>(partOfKey[cell]);
            Part& part = b.parts[cell];
            ++part.cells;
            part.firstRow = std::min(part.firstRow, j);
            part.lastRow = std::max(part.lastRow, j);
        }
    // Progress runs on over the rows each part's mesh is built from.
    b.rowsTotal = g.ny;
    for (const Part& part : b.parts) b.rowsTotal += part.lastRow - part.firstRow + 1;
    return Step::Done;
}

// ---- The grid meshes ----

// The surface normal at a sampled point from its neighbours on the sampled
// grid (one-sided at the area's edges), in the file's axes.
aiVector3D pointNormal(const MeshBuild& b, int i, int j)
{
    const SampledGrid& g = b.grid;
    const int i0 = std::max(i - 1, 0), i1 = std::min(i + 1, g.nx);
    const int j0 = std::max(j - 1, 0), j1 = std::min(j + 1, g.ny);
    const double runX = g.x(i1) - g.x(i0), runY = g.y(j1) - g.y(j0);
    // A spacing of 0 from a damaged file must not divide by zero: the slope counts as flat.
    const double dzdx = runX > 0.0 ? (g.elevation(i1, j) - g.elevation(i0, j)) / runX : 0.0;
    const double dzdy = runY > 0.0 ? (g.elevation(i, j1) - g.elevation(i, j0)) / runY : 0.0;
    const double length = std::sqrt(dzdx * dzdx + dzdy * dzdy + 1.0);
    return b.axes(-dzdx / length, -dzdy / length, 1.0 / length);
}

// A point's vertex colour: its own code's; on a water mesh a shore point that
// is not water itself takes the colour of flat water, and without a current
// terrain map the land is grey.
Rgb pointColour(const MeshBuild& b, const Part& part, int code)
{
    if (part.water) return schemeColour(b.scheme, isWaterCode(code) ? code : kWater1);
    if (!b.coloursCurrent) return {kGreyLevel, kGreyLevel, kGreyLevel};
    return schemeColour(b.scheme, code);
}

// Marks the corners of the part's cells, then numbers them in grid order;
// returns how many there are.
std::int32_t numberVertices(MeshBuild& b, std::uint16_t p, const Part& part)
{
    const SampledGrid& g = b.grid;
    for (int j = part.firstRow; j <= part.lastRow; ++j)
        for (int i = 0; i < g.nx; ++i) {
            if (b.cellPart[g.cell(i, j)] != p) continue;
            b.remap[g.point(i, j)] = b.remap[g.point(i + 1, j)] = 0;
            b.remap[g.point(i, j + 1)] = b.remap[g.point(i + 1, j + 1)] = 0;
        }
    std::int32_t count = 0;
    for (int j = part.firstRow; j <= part.lastRow + 1; ++j)
        for (int i = 0; i <= g.nx; ++i) {
            std::int32_t& v = b.remap[g.point(i, j)];
            if (v >= 0) v = count++;
        }
    return count;
}

void fillVertices(MeshBuild& b, const Part& part, aiMesh& mesh)
{
    const SampledGrid& g = b.grid;
    const bool linear = b.format == MeshFormat::Glb;
    for (int j = part.firstRow; j <= part.lastRow + 1; ++j)
        for (int i = 0; i <= g.nx; ++i) {
            const std::int32_t v = b.remap[g.point(i, j)];
            if (v < 0) continue;
            mesh.mVertices[v] = b.axes(g.x(i), g.y(j), g.elevation(i, j));
            mesh.mNormals[v] = pointNormal(b, i, j);
            if (mesh.mColors[0] != nullptr) mesh.mColors[0][v] = colourOf(pointColour(b, part, g.code(i, j)), linear);
        }
}

void setTriangle(aiFace& face, unsigned a, unsigned b, unsigned c)
{
    face.mIndices = new unsigned[3]{a, b, c};
    face.mNumIndices = 3;
}

// Two triangles per cell, split along the diagonal from the first corner;
// counter-clockwise seen from above, so both face up.
Step fillFaces(MeshBuild& b, std::uint16_t p, const Part& part, aiMesh& mesh)
{
    const SampledGrid& g = b.grid;
    unsigned f = 0;
    for (int j = part.firstRow; j <= part.lastRow; ++j) {
        if (b.ui.pollAbort()) return Step::Aborted;
        progress(b);
        for (int i = 0; i < g.nx; ++i) {
            if (b.cellPart[g.cell(i, j)] != p) continue;
            const auto a = static_cast<unsigned>(b.remap[g.point(i, j)]);
            const auto east = static_cast<unsigned>(b.remap[g.point(i + 1, j)]);
            const auto far = static_cast<unsigned>(b.remap[g.point(i + 1, j + 1)]);
            const auto north = static_cast<unsigned>(b.remap[g.point(i, j + 1)]);
            setTriangle(mesh.mFaces[f++], a, east, far);
            setTriangle(mesh.mFaces[f++], a, far, north);
        }
    }
    return Step::Done;
}

Step buildPartMesh(MeshBuild& b, std::uint16_t p, std::unique_ptr<aiMesh>& out)
{
    const Part& part = b.parts[p];
    const std::int32_t vertices = numberVertices(b, p, part);
    auto mesh = std::make_unique<aiMesh>();
    mesh->mName.Set(part.water ? kWaterName : kGroundName);
    mesh->mMaterialIndex = p;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = static_cast<unsigned>(vertices);
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    mesh->mNormals = new aiVector3D[mesh->mNumVertices];
    if (vertexColours(b.format)) mesh->mColors[0] = new aiColor4D[mesh->mNumVertices];
    mesh->mNumFaces = static_cast<unsigned>(2 * part.cells);
    mesh->mFaces = new aiFace[mesh->mNumFaces];

    fillVertices(b, part, *mesh);
    const Step step = fillFaces(b, p, part, *mesh);
    // The numbering is cleared for the next part.
    const SampledGrid& g = b.grid;
    std::fill(b.remap.begin() + static_cast<std::ptrdiff_t>(g.point(0, part.firstRow)),
              b.remap.begin() + static_cast<std::ptrdiff_t>(g.point(g.nx, part.lastRow + 1)) + 1, -1);
    if (step == Step::Aborted) return step;
    out = std::move(mesh);
    return Step::Done;
}

// ---- Trees ----

struct TreeSite {
    int kind = 0; // 0 palm, 1 oak, 2 cactus, 3 pine
    int i = 0;
    int j = 0;
};

// The trees standing on the first corners of the exported cells, in row
// order; grown and hand-placed trees alike.
std::vector<TreeSite> treeSites(const SampledGrid& g, const MeshExportOptions& options, std::size_t& total)
{
    std::vector<TreeSite> sites;
    total = 0;
    for (int j = 0; j < g.ny; ++j)
        for (int i = 0; i < g.nx; ++i) {
            int object = g.terrain(i, j) >> 8;
            if (object >= kFirstPlacedTree && object < kFirstPlacedTree + 4) object -= kPlacedTreeOffset;
            if (!isTreeObject(object)) continue;
            const int kind = object - kFirstTreeObject;
            if (options.treeSizes[static_cast<std::size_t>(kind)] <= 0) continue;
            ++total;
            if (sites.size() < kMaxTreeNodes) sites.push_back({kind, i, j});
        }
    return sites;
}

struct ShapeBuilder {
    std::vector<aiVector3D> positions;
    std::vector<aiVector3D> normals;
    std::vector<aiColor4D> colours;
    Axes axes;

    // A flat polygon (3 or 4 corners, counter-clockwise seen from outside) in
    // local metres, z up; its own vertices carry its normal.
    void polygon(std::initializer_list<aiVector3D> corners, const aiColor4D& colour)
    {
        const aiVector3D* c = corners.begin();
        const aiVector3D n = ((c[1] - c[0]) ^ (c[2] - c[0])).Normalize();
        for (const aiVector3D& p : corners) {
            positions.push_back(axes(p.x, p.y, p.z));
            normals.push_back(axes(n.x, n.y, n.z));
            colours.push_back(colour);
        }
    }
};

// The tree mesh of one kind, standing on its origin, `height` metres tall.
std::unique_ptr<aiMesh> treeMesh(const MeshBuild& b, int kind, double height, unsigned material)
{
    const int object = kFirstTreeObject + kind;
    const aiColor4D bark = colourOf(schemeColour(b.scheme, kFirstBarkEntry + kind), true);
    const aiColor4D leaf = colourOf(schemeColour(b.scheme, object), true);
    ShapeBuilder s;
    s.axes = b.axes;
    // The square's corners counter-clockwise seen from above.
    constexpr std::array<std::array<int, 2>, 4> square = {{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}};
    const auto at = [&](std::size_t k, double halfWidth, double z) {
        const auto& c = square[k % 4];
        return aiVector3D(static_cast<float>(c[0] * halfWidth * height), static_cast<float>(c[1] * halfWidth * height),
                          static_cast<float>(z * height));
    };
    std::vector<unsigned> corners; // vertices per polygon, in order
    for (std::size_t k = 0; k < 4; ++k) {
        s.polygon({at(k, kTrunkHalfWidth, 0.0), at(k + 1, kTrunkHalfWidth, 0.0), at(k + 1, kTrunkHalfWidth, kTrunkTop),
                   at(k, kTrunkHalfWidth, kTrunkTop)},
                  bark);
        corners.push_back(4);
    }
    const aiVector3D apex(0.0f, 0.0f, static_cast<float>(height));
    for (std::size_t k = 0; k < 4; ++k) {
        s.polygon({at(k, kCrownHalfWidth, kCrownBase), at(k + 1, kCrownHalfWidth, kCrownBase), apex}, leaf);
        corners.push_back(3);
    }
    // The crown's underside, counter-clockwise seen from below.
    s.polygon({at(0, kCrownHalfWidth, kCrownBase), at(3, kCrownHalfWidth, kCrownBase),
               at(2, kCrownHalfWidth, kCrownBase), at(1, kCrownHalfWidth, kCrownBase)},
              leaf);
    corners.push_back(4);

    auto mesh = std::make_unique<aiMesh>();
    mesh->mName.Set(std::string("tree_") + kTreeKindNames[kind]);
    mesh->mMaterialIndex = material;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = static_cast<unsigned>(s.positions.size());
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    mesh->mNormals = new aiVector3D[mesh->mNumVertices];
    mesh->mColors[0] = new aiColor4D[mesh->mNumVertices];
    std::copy(s.positions.begin(), s.positions.end(), mesh->mVertices);
    std::copy(s.normals.begin(), s.normals.end(), mesh->mNormals);
    std::copy(s.colours.begin(), s.colours.end(), mesh->mColors[0]);
    unsigned faces = 0;
    for (unsigned n : corners) faces += n - 2;
    mesh->mNumFaces = faces;
    mesh->mFaces = new aiFace[faces];
    unsigned first = 0, f = 0;
    for (unsigned n : corners) {
        for (unsigned k = 1; k + 1 < n; ++k) setTriangle(mesh->mFaces[f++], first, first + k, first + k + 1);
        first += n;
    }
    return mesh;
}

// Where a tree stands: the middle of its cell, on the cell's diagonal, so on
// the ground as the two triangles draw it.
aiVector3D treeBase(const SampledGrid& g, const TreeSite& t, const Axes& axes)
{
    const double x = (g.x(t.i) + g.x(t.i + 1)) * 0.5;
    const double y = (g.y(t.j) + g.y(t.j + 1)) * 0.5;
    const double z = (g.elevation(t.i, t.j) + g.elevation(t.i + 1, t.j + 1)) * 0.5;
    return axes(x, y, z);
}

aiNode* newNode(const std::string& name, aiNode* parent)
{
    auto* node = new aiNode(name);
    node->mParent = parent;
    return node;
}

void setMeshes(aiNode& node, const std::vector<unsigned>& meshes)
{
    if (meshes.empty()) return;
    node.mNumMeshes = static_cast<unsigned>(meshes.size());
    node.mMeshes = new unsigned[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), node.mMeshes);
}

// ---- The scene ----

// A plain material: not metal (glTF assumes metal unless told), matte unless
// it is water.
aiMaterial* newMaterial(const std::string& name, Rgb colour, bool water)
{
    auto* material = new aiMaterial;
    const aiString text(name);
    material->AddProperty(&text, AI_MATKEY_NAME);
    const aiColor4D diffuse = colourOf(colour, false);
    material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    const float metallic = 0.0f, roughness = water ? kWaterRoughness : 1.0f;
    material->AddProperty(&metallic, 1, AI_MATKEY_METALLIC_FACTOR);
    material->AddProperty(&roughness, 1, AI_MATKEY_ROUGHNESS_FACTOR);
    return material;
}

// Meshes and materials wait here until the scene takes them all at once, so
// running out of memory part way leaks nothing.
struct SceneParts {
    std::vector<std::unique_ptr<aiMesh>> meshes;
    std::vector<std::unique_ptr<aiMaterial>> materials;
};

void handOver(aiScene& scene, SceneParts& parts)
{
    scene.mNumMeshes = static_cast<unsigned>(parts.meshes.size());
    scene.mMeshes = new aiMesh*[parts.meshes.size()];
    for (std::size_t k = 0; k < parts.meshes.size(); ++k) scene.mMeshes[k] = parts.meshes[k].release();
    scene.mNumMaterials = static_cast<unsigned>(parts.materials.size());
    scene.mMaterials = new aiMaterial*[parts.materials.size()];
    for (std::size_t k = 0; k < parts.materials.size(); ++k) scene.mMaterials[k] = parts.materials[k].release();
}

// The tree kinds present get a mesh each and every tree a node under "trees".
void addTrees(MeshBuild& b, const MeshExportOptions& options, SceneParts& parts, aiNode& root)
{
    std::size_t total = 0;
    const std::vector<TreeSite> sites = treeSites(b.grid, options, total);
    if (sites.empty()) return;
    if (total > sites.size())
        b.ui.report("Mesh export: " + std::to_string(total - sites.size()) + " of " + std::to_string(total) +
                    " trees left out (at most " + std::to_string(kMaxTreeNodes) + ")");
    const auto material = static_cast<unsigned>(parts.materials.size());
    parts.materials.emplace_back(newMaterial("tree", {255, 255, 255}, false));
    std::array<int, 4> meshOfKind{-1, -1, -1, -1};
    for (const TreeSite& t : sites) {
        int& mesh = meshOfKind[static_cast<std::size_t>(t.kind)];
        if (mesh >= 0) continue;
        mesh = static_cast<int>(parts.meshes.size());
        parts.meshes.push_back(treeMesh(b, t.kind, options.treeSizes[static_cast<std::size_t>(t.kind)], material));
    }
    aiNode* trees = root.mChildren[root.mNumChildren++] = newNode(kTreesName, &root);
    trees->mChildren = new aiNode*[sites.size()];
    for (const TreeSite& t : sites) {
        char name[48];
        std::snprintf(name, sizeof name, "%s_%d_%d", kTreeKindNames[t.kind], b.grid.column(t.i), b.grid.row(t.j));
        aiNode* node = trees->mChildren[trees->mNumChildren++] = newNode(name, trees);
        aiMatrix4x4::Translation(treeBase(b.grid, t, b.axes), node->mTransformation);
        setMeshes(*node, {static_cast<unsigned>(meshOfKind[static_cast<std::size_t>(t.kind)])});
    }
}

Step buildScene(MeshBuild& b, const MeshExportOptions& options, aiScene& scene)
{
    if (classifyCells(b) == Step::Aborted) return Step::Aborted;
    const SampledGrid& g = b.grid;
    b.remap.assign(static_cast<std::size_t>(g.nx + 1) * static_cast<std::size_t>(g.ny + 1), -1);

    SceneParts parts;
    std::vector<unsigned> groundMeshes, waterMeshes;
    for (std::size_t p = 0; p < b.parts.size(); ++p) {
        parts.materials.emplace_back(newMaterial(b.parts[p].material, b.parts[p].colour, b.parts[p].water));
        std::unique_ptr<aiMesh> mesh;
        if (buildPartMesh(b, static_cast<std::uint16_t>(p), mesh) == Step::Aborted) return Step::Aborted;
        (b.parts[p].water ? waterMeshes : groundMeshes).push_back(static_cast<unsigned>(parts.meshes.size()));
        parts.meshes.push_back(std::move(mesh));
    }
    b.remap = {};
    b.cellPart = {};

    // Ground, water and trees under the root; each node is attached as soon as
    // it is made, so the scene frees it whatever fails later.
    aiNode& root = *(scene.mRootNode = newNode(kRootName, nullptr));
    root.mChildren = new aiNode*[3];
    for (const auto& [name, meshes] : {std::pair{kGroundName, &groundMeshes}, std::pair{kWaterName, &waterMeshes}}) {
        if (meshes->empty()) continue;
        aiNode* node = root.mChildren[root.mNumChildren++] = newNode(name, &root);
        setMeshes(*node, *meshes);
    }
    if (options.trees && b.format == MeshFormat::Glb) addTrees(b, options, parts, root);
    handOver(scene, parts);
    return Step::Done;
}

// ---- The command ----

// The terrain map holds a current code at every point this export samples:
// it came from a file or image, or was coloured at a step that divides ours.
bool groundCodesCurrent(const Landscape& land, int step)
{
    if (land.terrainFrozen != 0) return true;
    const int at = land.terrainValidAt;
    return at >= 1 && at < land.sizeX && step % at == 0;
}

int fail(Frontend& ui, const std::string& path, const std::string& reason)
{
    ui.message(fileMessage(kErrorWritingFile, path) + ": " + reason);
    return 0;
}

const FormatEntry* formatEntryOf(const std::string& path)
{
    const std::string ext = lowerExtension(path);
    for (const FormatEntry& f : kFormats)
        if (ext == f.extension) return &f;
    return nullptr;
}

} // namespace

bool meshFormatOf(const std::string& path, MeshFormat& format)
{
    const FormatEntry* entry = formatEntryOf(path);
    if (entry == nullptr) return false;
    format = entry->format;
    return true;
}

bool isMeshExportExtension(const std::string& path) { return formatEntryOf(path) != nullptr; }

std::string materialLibraryPath(const std::string& path)
{
    // As the library's OBJ writer names it: everything up to the last dot.
    const std::size_t dot = path.find_last_of('.');
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ".mtl";
}

int exportMesh(const Landscape& land, const BoundingBox& box, const SchemeBytes& colours,
               const MeshExportOptions& options, const std::string& path, Frontend& ui)
{
    ui.status("Saving Mesh");
    const FormatEntry* entry = formatEntryOf(path);
    if (entry == nullptr) return fail(ui, path, "not a mesh format (.obj, .glb, .stl or .ply)");

    const int step = std::max(options.step, 1);
    BoundingBox area = box;
    if (!options.boundingBox) area.enabled = 0;
    SampledGrid grid{land, exportArea(land, area, step), step};
    grid.nx = (grid.area.lastColumn - grid.area.firstColumn) / step;
    grid.ny = (grid.area.lastRow - grid.area.firstRow) / step;
    // The maps must hold every point the area names.
    const bool mapsHold = land.elevation.allocated() && land.terrain.allocated() &&
                          grid.area.lastColumn < std::min(land.elevation.width, land.terrain.width) &&
                          grid.area.lastRow < std::min(land.elevation.height, land.terrain.height);
    if (!mapsHold) return fail(ui, path, "the landscape has no grid to export");
    if (grid.nx < 1 || grid.ny < 1) return fail(ui, path, "the area holds no whole cell at this step");

    MeshBuild build{grid, colours, entry->format, ui};
    build.coloursCurrent = groundCodesCurrent(land, step);
    build.splitWater = options.water;
    build.axes.yUp = entry->format == MeshFormat::Glb;
    if (!build.coloursCurrent)
        ui.report("Mesh export: the ground colours are not computed, so the ground is grey");
    ui.mapPlot(MapRect{grid.area.firstColumn, grid.area.firstRow, grid.area.lastColumn, grid.area.lastRow});

    try {
        auto scene = std::make_unique<aiScene>();
        if (buildScene(build, options, *scene) == Step::Aborted) return -1;
        ui.progress("Building mesh", 100);
        ui.status("Writing mesh");
        std::vector<std::string> files{path};
        if (entry->format == MeshFormat::Obj) files.push_back(materialLibraryPath(path));
        const std::optional<std::string> problem = writeScene(*scene, entry->exporterId, files);
        if (problem) return fail(ui, path, *problem);
    } catch (const std::bad_alloc&) {
        return fail(ui, path, "out of memory");
    }
    return 1;
}

} // namespace kalvenor
