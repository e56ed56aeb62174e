#include <gtest/gtest.h>

#include <assimp/cimport.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "interchange/mesh_export.h"
#include "model/default_scheme.h"
#include "platform/scripted_frontend.h"
#include "render/scene_fixture.h"
#include "render/terrain_lighting.h"
#include "support/command_output.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"
#include "terrain/water.h"

namespace kalvenor {
namespace {

using kalvenor::testing::entries;
using kalvenor::testing::FileSizeLimit;
using kalvenor::testing::readFile;
using kalvenor::testing::writeFile;

struct TempDir : kalvenor::testing::TempDir {
    TempDir() : kalvenor::testing::TempDir("mesh") {}
};

constexpr float kSpacing = 30.0f;

// Sample points 0..12 across and 0..9 along the rows, 30 m apart, with
// elevations that tell their position; ground codes in three bands of columns
// and a pond of water; trees grown and placed, one on the last column (where
// no cell starts) and a house.
struct Fixture {
    Landscape land;
    SceneSettings scene;

    Fixture()
    {
        EXPECT_EQ(allocateGrid(land, 14, 11), 1);
        for (int r = 0; r < land.gridHeight; ++r)
            for (int c = 0; c < land.gridWidth; ++c) {
                land.elevation[r][c] = static_cast<std::int16_t>(100 + 7 * r - 3 * c + (r * c) % 5);
                land.terrain[r][c] = static_cast<std::uint16_t>(c < 4 ? 38 : c < 8 ? 56 : 42);
                if (c >= 3 && c <= 6 && r >= 2 && r <= 4) land.terrain[r][c] = kWater1;
            }
        land.terrain[4][6] = kWater3;
        plant(1, 1, 34);  // palm
        plant(9, 6, 37);  // pine
        plant(10, 2, 37); // pine
        plant(5, 7, 61);  // oak placed by hand
        plant(12, 3, 35); // oak on the last column
        plant(2, 5, 72);  // House1
        land.terrainValidAt = 1;
        installDefaultScheme(scene);
    }

    void plant(int column, int row, int object) { land.terrain[row][column] |= static_cast<std::uint16_t>(object << 8); }
};

// What an export of columns c0..c1 and rows r0..r1 at a step must hold,
// counted from the maps: land and water cells (by the code of each cell's
// first corner) and the distinct corners of each.
struct Expected {
    long groundCells = 0;
    long waterCells = 0;
    std::set<std::pair<int, int>> groundPoints;
    std::set<std::pair<int, int>> waterPoints;
    long faces() const { return 2 * (groundCells + waterCells); }
};

Expected expectedFor(const Landscape& land, int c0, int r0, int c1, int r1, int step)
{
    Expected e;
    for (int r = r0; r < r1; r += step)
        for (int c = c0; c < c1; c += step) {
            const bool water = isWaterCode(land.terrain[r][c] & 0xFF);
            ++(water ? e.waterCells : e.groundCells);
            auto& points = water ? e.waterPoints : e.groundPoints;
            for (int dr : {0, step})
                for (int dc : {0, step}) points.insert({c + dc, r + dr});
        }
    return e;
}

struct ImportedScene {
    const aiScene* scene = nullptr;
    explicit ImportedScene(const std::string& path) : scene(aiImportFile(path.c_str(), 0)) {}
    ~ImportedScene() { aiReleaseImport(scene); }
    ImportedScene(const ImportedScene&) = delete;
    ImportedScene& operator=(const ImportedScene&) = delete;
};

long faceCount(const aiScene& scene)
{
    long faces = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) faces += scene.mMeshes[m]->mNumFaces;
    return faces;
}

const aiMesh* meshNamed(const aiScene& scene, const std::string& name)
{
    for (unsigned m = 0; m < scene.mNumMeshes; ++m)
        if (name == scene.mMeshes[m]->mName.C_Str()) return scene.mMeshes[m];
    return nullptr;
}

using kalvenor::testing::commandOutput;

bool haveCommand(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

// The value after "key" on its own line of a tool's output ("Faces:   258").
long fieldOf(const std::string& output, const std::string& key)
{
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
    return -1;
}

// ---- Formats ----

TEST(MeshFormats, ExtensionNamesTheFormat)
{
    struct Case {
        const char* path;
        bool known;
        MeshFormat format;
    };
    const Case cases[] = {
        {"land.obj", true, MeshFormat::Obj},   {"out/LAND.GLB", true, MeshFormat::Glb},
        {"a.b/land.Stl", true, MeshFormat::Stl}, {"land.ply", true, MeshFormat::Ply},
        {"land.gltf", false, MeshFormat::Obj}, {"land.obj.bak", false, MeshFormat::Obj},
        {"meshes.obj/land", false, MeshFormat::Obj}, {"land", false, MeshFormat::Obj},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        MeshFormat format = MeshFormat::Obj;
        EXPECT_EQ(isMeshExportExtension(c.path), c.known);
        EXPECT_EQ(meshFormatOf(c.path, format), c.known);
        if (c.known) {
            EXPECT_EQ(format, c.format);
        }
    }
    EXPECT_EQ(materialLibraryPath("out.d/land.obj"), "out.d/land.mtl");
}

// ---- OBJ, read back by Python ----

struct ObjSummary {
    std::map<std::string, std::string> lines; // first word -> the rest, for single lines
    std::map<std::string, std::pair<long, std::vector<std::string>>> groups;
    std::map<std::string, std::array<double, 3>> materials;
    std::map<std::pair<int, int>, std::string> points;
};

ObjSummary parseSummary(const std::string& output)
{
    ObjSummary s;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "group") {
            std::string name, facesWord, materialsWord, m;
            long faces = 0;
            words >> name >> facesWord >> faces >> materialsWord;
            auto& g = s.groups[name];
            g.first = faces;
            while (words >> m) g.second.push_back(m);
        } else if (key == "material") {
            std::string name;
            std::array<double, 3> kd{};
            words >> name >> kd[0] >> kd[1] >> kd[2];
            s.materials[name] = kd;
        } else if (key == "point") {
            int c = 0, r = 0;
            std::string z;
            words >> c >> r >> z;
            s.points[{c, r}] = z;
        } else {
            std::string rest;
            std::getline(words >> std::ws, rest);
            s.lines[key] = rest;
        }
    }
    return s;
}

std::string objCheck(const std::string& path, const std::vector<std::pair<int, int>>& points)
{
    std::string command = "python3 " KALVENOR_SOURCE_DIR "/tests/interchange/obj_check.py '" + path + "' 30 30";
    for (const auto& [c, r] : points) command += " " + std::to_string(c) + "," + std::to_string(r);
    return commandOutput(command);
}

TEST(MeshExportObj, PythonReadsTheGridAndTheGroupsBack)
{
    if (!haveCommand("python3")) GTEST_SKIP() << "python3 not available";
    const Fixture f;
    const Expected all = expectedFor(f.land, 0, 0, 12, 9, 1);
    ASSERT_GT(all.waterCells, 0);
    const std::vector<std::pair<int, int>> probes = {{0, 0}, {12, 9}, {5, 3}, {7, 8}, {12, 0}};
    for (bool water : {true, false}) {
        SCOPED_TRACE(water ? "water apart" : "water in the ground");
        TempDir dir;
        MeshExportOptions options;
        options.water = water;
        ScriptedFrontend ui;
        ASSERT_EQ(exportMesh(f.land, BoundingBox{}, f.scene.colourScheme, options, dir / "land.obj", ui), 1);
        EXPECT_EQ(entries(dir.path), (std::vector<std::string>{"land.mtl", "land.obj"}));
        EXPECT_TRUE(ui.messages.empty());

        const ObjSummary s = parseSummary(objCheck(dir / "land.obj", probes));
        EXPECT_EQ(s.lines.at("mtllib"), "land.mtl"); // the final name, not the temporary one
        EXPECT_EQ(s.lines.at("vertices"), "130");    // every sample point once, shared by land and water
        EXPECT_EQ(s.lines.at("downward"), "0");
        EXPECT_EQ(s.lines.at("bad"), "0");
        for (const auto& [c, r] : probes) EXPECT_EQ(s.points.at({c, r}), std::to_string(f.land.elevation[r][c]));

        ASSERT_EQ(s.groups.count("ground"), 1u);
        EXPECT_EQ(s.groups.count("water"), water ? 1u : 0u);
        EXPECT_EQ(s.groups.at("ground").first, water ? 2 * all.groundCells : all.faces());
        if (water) {
            EXPECT_EQ(s.groups.at("water").first, 2 * all.waterCells);
        }
        // One material per code present, coloured as the scheme colours the code.
        std::set<int> codes;
        for (const auto& [name, group] : s.groups)
            for (const std::string& material : group.second) {
                SCOPED_TRACE(material);
                const int code = std::atoi(material.c_str() + material.find('_') + 1);
                EXPECT_TRUE(codes.insert(code).second);
                EXPECT_EQ(name == "water", water && isWaterCode(code));
                const Rgb rgb = schemeColour(f.scene.colourScheme, code);
                const auto& kd = s.materials.at(material);
                EXPECT_NEAR(kd[0], rgb.r / 255.0, 1e-3);
                EXPECT_NEAR(kd[1], rgb.g / 255.0, 1e-3);
                EXPECT_NEAR(kd[2], rgb.b / 255.0, 1e-3);
            }
        EXPECT_EQ(codes, (std::set<int>{38, 42, 56, kWater1, kWater3}));
    }
}

TEST(MeshExportObj, GroundIsGreyUnlessTheCodesAreCurrentAtTheStep)
{
    struct Case {
        int validAt;
        int frozen;
        int step;
        bool grey;
    };
    const Fixture f;
    const Case cases[] = {
        {1, 0, 1, false},           {1, 0, 3, false},  {2, 0, 2, false}, {2, 0, 1, true},
        {2, 0, 3, true},            {12, 0, 1, true},  {12, 1, 1, false}, // sizeX: never coloured; frozen: from a file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.validAt << " " << c.frozen << " step " << c.step);
        Fixture g;
        Landscape& land = g.land;
        land.terrainValidAt = c.validAt;
        land.terrainFrozen = c.frozen;
        TempDir dir;
        MeshExportOptions options;
        options.step = c.step;
        ScriptedFrontend ui;
        ASSERT_EQ(exportMesh(land, BoundingBox{}, f.scene.colourScheme, options, dir / "land.obj", ui), 1);
        EXPECT_EQ(ui.reports.size(), c.grey ? 1u : 0u);
        const ImportedScene in(dir / "land.obj");
        ASSERT_NE(in.scene, nullptr);
        std::set<std::string> names;
        for (unsigned m = 0; m < in.scene->mNumMaterials; ++m) {
            aiString name;
            in.scene->mMaterials[m]->Get(AI_MATKEY_NAME, name);
            names.insert(name.C_Str());
        }
        // The water keeps its own materials either way.
        EXPECT_EQ(names.count("water_51"), 1u);
        EXPECT_EQ(names.count("ground"), c.grey ? 1u : 0u);
        EXPECT_EQ(names.count("ground_38"), c.grey ? 0u : 1u);
    }
}

// ---- glTF ----

TEST(MeshExportGlb, AssimpInfoCountsAGeneratedIsland)
{
    if (!haveCommand("assimp")) GTEST_SKIP() << "the assimp tool is not installed";
    auto app = std::make_unique<App>();
    ScriptedFrontend ui;
    testing::applyTestScheme(app->scene);
    app->scene.trees.kindMask = {1, 2, 4, 8};
    testing::makeIsland(*app, ui, kSmallGrid, 4711);
    const Landscape& land = app->landscape;
    constexpr int step = 2;
    const Expected e = expectedFor(land, 0, 0, land.sizeX, land.sizeY, step);
    ASSERT_GT(e.waterCells, 0);
    ASSERT_GT(e.groundCells, 0);
    long trees = 0;
    for (int r = 0; r < land.sizeY; r += step)
        for (int c = 0; c < land.sizeX; c += step) {
            const int object = land.terrain[r][c] >> 8;
            trees += (object >= 34 && object <= 37) || (object >= 60 && object <= 63);
        }
    ASSERT_GT(trees, 0);

    for (bool withTrees : {false, true}) {
        SCOPED_TRACE(withTrees ? "trees" : "no trees");
        TempDir dir;
        MeshExportOptions options;
        options.step = step;
        options.trees = withTrees;
        ASSERT_EQ(exportMesh(land, BoundingBox{}, app->scene.colourScheme, options, dir / "island.glb", ui), 1);
        const std::string info = commandOutput("assimp info '" + (dir / "island.glb") + "' 2>&1");
        long treeVertices = 0, treeFaces = 0, treeMeshes = 0;
        std::istringstream in(info);
        for (std::string line; std::getline(in, line);) {
            // "    2 (tree_palm): [32 / 0 / 14 | triangle]"
            if (line.find("(tree_") == std::string::npos) continue;
            long v = 0, bones = 0, faces = 0;
            ASSERT_EQ(std::sscanf(line.c_str() + line.find('['), "[%ld / %ld / %ld", &v, &bones, &faces), 3);
            treeVertices += v, treeFaces += faces, ++treeMeshes;
        }
        EXPECT_EQ(fieldOf(info, "Vertices:"),
                  static_cast<long>(e.groundPoints.size() + e.waterPoints.size()) + treeVertices);
        EXPECT_EQ(fieldOf(info, "Faces:"), e.faces() + treeFaces);
        // The root, ground, water, and with trees their node and one per tree.
        EXPECT_EQ(fieldOf(info, "Nodes:"), withTrees ? 4 + trees : 3);
        EXPECT_EQ(treeMeshes > 0, withTrees);
        EXPECT_LE(treeMeshes, 4);
    }
}

// The position a point of the grid takes in glTF's y-up axes.
aiVector3D yUp(double column, double row, double z)
{
    return {static_cast<float>(column * kSpacing), static_cast<float>(z), static_cast<float>(-row * kSpacing)};
}

bool near(const aiVector3D& a, const aiVector3D& b) { return (a - b).Length() < 1e-3f; }

TEST(MeshExportGlb, TreesAreNodesSharingTheirKindsMesh)
{
    const Fixture f;
    TempDir dir;
    MeshExportOptions options;
    options.treeSizes = {10, 12, 5, 20};
    ScriptedFrontend ui;
    ASSERT_EQ(exportMesh(f.land, BoundingBox{}, f.scene.colourScheme, options, dir / "land.glb", ui), 1);
    const ImportedScene in(dir / "land.glb");
    ASSERT_NE(in.scene, nullptr);
    const aiScene& scene = *in.scene;
    const aiNode* trees = scene.mRootNode->FindNode("trees");
    ASSERT_NE(trees, nullptr);

    struct Tree {
        const char* name;
        int column, row;
        const char* mesh;
        int height;
    };
    const Tree expected[] = {{"palm_1_1", 1, 1, "tree_palm", 10},
                             {"pine_10_2", 10, 2, "tree_pine", 20},
                             {"pine_9_6", 9, 6, "tree_pine", 20},
                             {"oak_5_7", 5, 7, "tree_oak", 12}};
    ASSERT_EQ(trees->mNumChildren, std::size(expected)); // not the oak on the last column, not the house
    std::map<std::string, unsigned> meshOf;
    for (const Tree& t : expected) {
        SCOPED_TRACE(t.name);
        const aiNode* node = trees->FindNode(t.name);
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(node->mNumMeshes, 1u);
        const aiMesh& mesh = *scene.mMeshes[node->mMeshes[0]];
        EXPECT_STREQ(mesh.mName.C_Str(), t.mesh);
        // Trees of a kind share one mesh.
        EXPECT_EQ(meshOf.emplace(t.mesh, node->mMeshes[0]).first->second, node->mMeshes[0]);
        // Standing in the middle of its cell, on the cell's diagonal.
        aiVector3D scale, position;
        aiQuaternion rotation;
        node->mTransformation.Decompose(scale, rotation, position);
        const double ground = (f.land.elevation[t.row][t.column] + f.land.elevation[t.row + 1][t.column + 1]) / 2.0;
        EXPECT_TRUE(near(position, yUp(t.column + 0.5, t.row + 0.5, ground)))
            << position.x << " " << position.y << " " << position.z;
        float top = 0.0f, bottom = 1e9f;
        for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
            top = std::max(top, mesh.mVertices[v].y);
            bottom = std::min(bottom, mesh.mVertices[v].y);
        }
        EXPECT_FLOAT_EQ(top, static_cast<float>(t.height));
        EXPECT_FLOAT_EQ(bottom, 0.0f);
    }
    EXPECT_EQ(meshOf.size(), 3u);

    // The ground in y-up axes, coloured by vertex and facing up.
    const aiMesh* ground = meshNamed(scene, "ground");
    const aiMesh* water = meshNamed(scene, "water");
    ASSERT_NE(ground, nullptr);
    ASSERT_NE(water, nullptr);
    ASSERT_NE(ground->mColors[0], nullptr);
    ASSERT_NE(water->mColors[0], nullptr);
    const Expected e = expectedFor(f.land, 0, 0, 12, 9, 1);
    EXPECT_EQ(ground->mNumVertices, e.groundPoints.size());
    EXPECT_EQ(water->mNumVertices, e.waterPoints.size());
    for (const auto& [c, r] : e.groundPoints) {
        const aiVector3D p = yUp(c, r, f.land.elevation[r][c]);
        EXPECT_TRUE(std::any_of(ground->mVertices, ground->mVertices + ground->mNumVertices,
                                [&](const aiVector3D& v) { return near(v, p); }))
            << c << " " << r;
    }
    for (const aiMesh* mesh : {ground, water})
        for (unsigned k = 0; k < mesh->mNumFaces; ++k) {
            const unsigned* i = mesh->mFaces[k].mIndices;
            const aiVector3D n = (mesh->mVertices[i[1]] - mesh->mVertices[i[0]]) ^
                                 (mesh->mVertices[i[2]] - mesh->mVertices[i[0]]);
            EXPECT_GT(n.y, 0.0f) << k;
        }
    // Water looks like water, whatever the scheme's exact numbers.
    const aiColor4D pond = water->mColors[0][0];
    EXPECT_GT(pond.b, pond.r);

    // Without the tree option, or in a format without instances, no trees.
    MeshExportOptions bare;
    bare.trees = false;
    ASSERT_EQ(exportMesh(f.land, BoundingBox{}, f.scene.colourScheme, bare, dir / "bare.glb", ui), 1);
    const ImportedScene plain(dir / "bare.glb");
    ASSERT_NE(plain.scene, nullptr);
    EXPECT_EQ(plain.scene->mRootNode->FindNode("trees"), nullptr);
    EXPECT_EQ(plain.scene->mNumMeshes, 2u);
}

// ---- STL and PLY: the sampled area ----

TEST(MeshExport, StlAndPlyCoverTheSampledArea)
{
    struct Case {
        int step;
        bool boxOption;
        BoundingBox box;
        int c0, r0, c1, r1; // the expected area
    };
    const Case cases[] = {
        {1, false, {}, 0, 0, 12, 9},
        {2, false, {}, 0, 0, 12, 8},
        {3, false, {}, 0, 0, 12, 9},
        {5, false, {}, 0, 0, 10, 5},
        {1, true, {1, 2, 1, 7, 5}, 2, 1, 7, 5},
        {2, true, {1, 2, 1, 7, 5}, 2, 0, 8, 6}, // widened to the step
        {1, true, {1, 7, 5, 2, 1}, 2, 1, 7, 5}, // corners swapped
        {1, false, {1, 2, 1, 7, 5}, 0, 0, 12, 9}, // the box is there but not asked for
        {1, true, {0, 2, 1, 7, 5}, 0, 0, 12, 9},  // asked for but switched off
    };
    const Fixture f;
    for (const Case& c : cases)
        for (const char* name : {"land.stl", "land.ply"}) {
            SCOPED_TRACE(::testing::Message() << name << " step " << c.step << " box " << c.boxOption << " "
                                            << c.box.enabled << " (" << c.box.firstColumn << "," << c.box.firstRow
                                            << ")-(" << c.box.lastColumn << "," << c.box.lastRow << ")");
            TempDir dir;
            MeshExportOptions options;
            options.step = c.step;
            options.boundingBox = c.boxOption;
            ScriptedFrontend ui;
            ASSERT_EQ(exportMesh(f.land, c.box, f.scene.colourScheme, options, dir / name, ui), 1);
            ASSERT_EQ(ui.plots.size(), 1u);
            EXPECT_EQ(ui.plots[0].firstColumn, c.c0);
            EXPECT_EQ(ui.plots[0].lastRow, c.r1);
            const ImportedScene in(dir / name);
            ASSERT_NE(in.scene, nullptr);
            const long cells = static_cast<long>((c.c1 - c.c0) / c.step) * ((c.r1 - c.r0) / c.step);
            EXPECT_EQ(faceCount(*in.scene), 2 * cells);
            // z up, in grid metres: the area's corners are the extremes.
            aiVector3D low(1e9f, 1e9f, 1e9f), high(-1e9f, -1e9f, -1e9f);
            for (unsigned m = 0; m < in.scene->mNumMeshes; ++m) {
                const aiMesh& mesh = *in.scene->mMeshes[m];
                for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
                    const aiVector3D& p = mesh.mVertices[v];
                    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
                    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
                }
                if (std::string(name) == "land.ply") {
                    EXPECT_NE(mesh.mColors[0], nullptr);
                }
            }
            EXPECT_FLOAT_EQ(low.x, c.c0 * kSpacing);
            EXPECT_FLOAT_EQ(high.x, c.c1 * kSpacing);
            EXPECT_FLOAT_EQ(low.y, c.r0 * kSpacing);
            EXPECT_FLOAT_EQ(high.y, c.r1 * kSpacing);
            int lowest = 1 << 20, highest = -(1 << 20);
            for (int r = c.r0; r <= c.r1; r += c.step)
                for (int col = c.c0; col <= c.c1; col += c.step) {
                    lowest = std::min<int>(lowest, f.land.elevation[r][col]);
                    highest = std::max<int>(highest, f.land.elevation[r][col]);
                }
            EXPECT_FLOAT_EQ(low.z, static_cast<float>(lowest));
            EXPECT_FLOAT_EQ(high.z, static_cast<float>(highest));
        }
}

// ---- Failures ----

TEST(MeshExport, RefusedExportsWriteNothing)
{
    struct Case {
        const char* name;
        const char* file;
        BoundingBox box;
        const char* reason;
    };
    const Case cases[] = {
        {"a file where a folder should be", "plain/sub/land.glb", {}, "plain"},
        {"no mesh format", "land.gltf", {}, ".obj"},
        {"an area of one column", "land.obj", {1, 4, 2, 4, 8}, "cell"},
    };
    const Fixture f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFile(dir / "plain", "a file, not a folder");
        MeshExportOptions options;
        options.boundingBox = true;
        ScriptedFrontend ui;
        EXPECT_EQ(exportMesh(f.land, c.box, f.scene.colourScheme, options, dir / c.file, ui), 0);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].rfind(fileMessage(kErrorWritingFile, dir / c.file), 0), 0u) << ui.messages[0];
        EXPECT_NE(ui.messages[0].find(c.reason), std::string::npos) << ui.messages[0];
        EXPECT_EQ(entries(dir.path), std::vector<std::string>{"plain"});
    }
}

TEST(MeshExport, InterruptedExportsKeepThePreviousObjAndMtl)
{
    const Fixture f;
    struct Case {
        const char* name;
        int abortOnPoll; // 0: the disk fills up instead
        const char* file;
    };
    // Polls: one per row of cells while sorting them (9), then one per row of
    // each part as its mesh is built; the OBJ's parts are ground 38, 42, 56
    // (9 rows each), water 51 (3) and water 53 (1).
    const Case cases[] = {
        {"abort while sorting the cells", 1, "land.obj"},
        {"abort while building the ground", 12, "land.obj"},
        {"abort while building the water", 38, "land.obj"},
        {"abort in a glTF with trees", 17, "land.glb"},
        {"full disk", 0, "land.obj"},
        {"full disk", 0, "land.glb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << " " << c.file);
        TempDir dir;
        writeFile(dir / c.file, "the previous export\n");
        writeFile(dir / "land.mtl", "newmtl previous\n");
        ScriptedFrontend ui;
        ui.abortOnPoll = c.abortOnPoll;
        std::optional<FileSizeLimit> limit;
        if (c.abortOnPoll == 0) limit.emplace(2048); // the meshes take 7 to 19 kilobytes
        const int result =
            exportMesh(f.land, BoundingBox{}, f.scene.colourScheme, MeshExportOptions{}, dir / c.file, ui);
        limit.reset();
        if (c.abortOnPoll != 0) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(ui.polls, c.abortOnPoll);
            EXPECT_TRUE(ui.messages.empty());
        } else {
            EXPECT_EQ(result, 0);
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].rfind(fileMessage(kErrorWritingFile, dir / c.file), 0), 0u) << ui.messages[0];
        }
        EXPECT_EQ(readFile(dir / c.file), "the previous export\n");
        EXPECT_EQ(readFile(dir / "land.mtl"), "newmtl previous\n");
        std::vector<std::string> names{c.file, "land.mtl"};
        std::sort(names.begin(), names.end());
        EXPECT_EQ(entries(dir.path), names);
    }
}

} // namespace
} // namespace kalvenor
