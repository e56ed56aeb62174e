#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/frontend.h"
#include "files/dxf_export.h"
#include "model/landscape.h"
#include "platform/scripted_frontend.h"
#include "support/command_output.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

using kalvenor::testing::entries;
using kalvenor::testing::FileSizeLimit;
using kalvenor::testing::readFile;
using kalvenor::testing::writeFile;

struct TempDir : kalvenor::testing::TempDir {
    TempDir() : kalvenor::testing::TempDir("dxf") {}
};

// Every "\n" of a text as the file stores it.
std::string crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// A landscape whose cells tell their position, with a margin column and row
// (beyond the last sample point) that must never be exported.
Landscape patternLandscape(int width, int height)
{
    Landscape land;
    EXPECT_EQ(allocateGrid(land, width, height), 1);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) land.elevation[r][c] = static_cast<std::int16_t>(r * 7 - c * 13);
    for (int r = 0; r < height; ++r) land.elevation[r][width - 1] = 9999;
    for (int c = 0; c < width; ++c) land.elevation[height - 1][c] = 8888;
    return land;
}

// ---- A reader for what the export writes, independent of the writer ----

struct DxfVertex {
    double x = 0, y = 0, z = 0;
    std::string zText; // as written
    std::string yText;
};

struct DxfObject {
    std::string layer;
    long vertexCount = -1; // group 71 of the POLYLINE
    long faceCount = -1;   // group 72
    std::vector<DxfVertex> vertices;
    std::vector<std::array<long, 3>> faces;
    std::string seqendLayer;
};

// Group code and value pairs; fails the test on a line not ended by CR LF.
std::vector<std::pair<int, std::string>> dxfPairs(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "text after the last CR LF";
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(lines.size())) << "a bare LF";
    EXPECT_EQ(lines.size() % 2, 0u);
    std::vector<std::pair<int, std::string>> pairs;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) pairs.emplace_back(std::stoi(lines[i]), lines[i + 1]);
    return pairs;
}

// The objects of an ENTITIES-only file, checking its frame as it goes.
std::vector<DxfObject> readDxf(const std::string& text)
{
    const auto pairs = dxfPairs(text);
    std::vector<DxfObject> objects;
    if (pairs.size() < 4) {
        ADD_FAILURE() << "too short";
        return objects;
    }
    EXPECT_EQ(pairs[0], (std::pair<int, std::string>{0, "SECTION"}));
    EXPECT_EQ(pairs[1], (std::pair<int, std::string>{2, "ENTITIES"}));
    EXPECT_EQ(pairs[pairs.size() - 2], (std::pair<int, std::string>{0, "ENDSEC"}));
    EXPECT_EQ(pairs[pairs.size() - 1], (std::pair<int, std::string>{0, "EOF"}));
    // Entities: a 0 group and the groups up to the next 0.
    for (std::size_t i = 2; i + 2 < pairs.size();) {
        const std::string type = pairs[i].second;
        const std::size_t first = i + 1;
        std::size_t j = first;
        while (j < pairs.size() && pairs[j].first != 0) ++j;
        i = j;
        auto value = [&](int code) {
            for (std::size_t k = first; k < j; ++k)
                if (pairs[k].first == code) return pairs[k].second;
            return std::string("?");
        };
        if (type == "POLYLINE") {
            DxfObject o;
            o.layer = value(8);
            EXPECT_EQ(value(66), "1");
            EXPECT_EQ(value(70), "64");
            o.vertexCount = std::stol(value(71));
            o.faceCount = std::stol(value(72));
            objects.push_back(o);
        } else if (type == "VERTEX" && !objects.empty()) {
            DxfObject& o = objects.back();
            EXPECT_EQ(value(8), o.layer);
            if (value(70) == "192") {
                o.vertices.push_back({std::stod(value(10)), std::stod(value(20)), std::stod(value(30)), value(30),
                                      value(20)});
            } else {
                EXPECT_EQ(value(70), "128");
                o.faces.push_back({std::stol(value(71)), std::stol(value(72)), std::stol(value(73))});
            }
        } else if (type == "SEQEND" && !objects.empty()) {
            objects.back().seqendLayer = value(8);
        } else {
            ADD_FAILURE() << "unexpected entity " << type;
        }
    }
    return objects;
}

// ---- Byte for byte, worked out by hand ----

// A 4 x 4 grid: sample points 0..2 each way, spacing 12.5 by 7.5.
Landscape tinyLandscape()
{
    Landscape land;
    EXPECT_EQ(allocateGrid(land, 4, 4), 1);
    const std::int16_t rows[4][4] = {
        {100, -5, 0, 9999},
        {32767, 12, -32768, 9999},
        {7, 8, 9, 9999},
        {8888, 8888, 8888, 8888},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) land.elevation[r][c] = rows[r][c];
    land.spacingX = 12.5f;
    land.spacingY = 7.5f;
    land.utmX = 1000;
    land.utmY = -2000;
    land.utmExtra = 50;
    return land;
}

std::string vertexRecord(const char* x, const char* y, const char* z)
{
    return std::string("0\nVERTEX\n8\nKN_00\n10\n") + x + "\n20\n" + y + "\n30\n" + z + "\n70\n192\n";
}

std::string faceRecord(int a, int b, int c)
{
    return "0\nVERTEX\n8\nKN_00\n10\n0\n20\n0\n30\n0\n70\n128\n71\n" + std::to_string(a) + "\n72\n" +
           std::to_string(b) + "\n73\n" + std::to_string(c) + "\n";
}

// Three by three vertices make two by two cells; w = 3. Per cell (j, i) the
// faces are (3j+i+1, 3j+i+2, -(3j+i+5)) and (-(3j+i+1), 3j+i+5, 3j+i+4).
std::string tinyFaces()
{
    return faceRecord(1, 2, -5) + faceRecord(-1, 5, 4) +  // j 0, i 0
           faceRecord(2, 3, -6) + faceRecord(-2, 6, 5) +  // j 0, i 1
           faceRecord(4, 5, -8) + faceRecord(-4, 8, 7) +  // j 1, i 0
           faceRecord(5, 6, -9) + faceRecord(-5, 9, 8);   // j 1, i 1
}

std::string tinyFile(const std::string& vertices)
{
    return crlf("0\nSECTION\n2\nENTITIES\n"
                "0\nPOLYLINE\n8\nKN_00\n66\n1\n70\n64\n71\n9\n72\n8\n" +
                vertices + tinyFaces() + "0\nSEQEND\n8\nKN_00\n0\nENDSEC\n0\nEOF\n");
}

TEST(DxfExport, SmallGridByteForByte)
{
    struct Case {
        const char* what;
        DxfOptions options;
        std::string expected;
    };
    const Case cases[] = {
        {"zero based, seams apart",
         {false, false, 1000, 1},
         tinyFile(vertexRecord("0", "0", "100") + vertexRecord("12.5", "0", "-5") + vertexRecord("25", "0", "0") +
                  vertexRecord("0", "7.5", "32767") + vertexRecord("12.5", "7.5", "12") +
                  vertexRecord("25", "7.5", "-32768") + vertexRecord("0", "15", "7") +
                  vertexRecord("12.5", "15", "8") + vertexRecord("25", "15", "9"))},
        // Offsets 1000, -2000, 50; every vertex but the centre one is on the
        // border and sits 0.1 lower.
        {"UTM based, seams overlapping",
         {true, true, 1000, 1},
         tinyFile(vertexRecord("1000", "-2000", "149.9") + vertexRecord("1012.5", "-2000", "44.9") +
                  vertexRecord("1025", "-2000", "49.9") + vertexRecord("1000", "-1992.5", "32816.9") +
                  vertexRecord("1012.5", "-1992.5", "62") + vertexRecord("1025", "-1992.5", "-32718.1") +
                  vertexRecord("1000", "-1985", "56.9") + vertexRecord("1012.5", "-1985", "57.9") +
                  vertexRecord("1025", "-1985", "58.9"))},
    };
    TempDir dir;
    const Landscape land = tinyLandscape();
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        ScriptedFrontend ui;
        ASSERT_EQ(exportDxf(land, BoundingBox{}, dir / "tiny.dxf", t.options, ui), ExportResult::Ok);
        EXPECT_EQ(readFile(dir / "tiny.dxf"), t.expected);
        EXPECT_EQ(ui.statuses, std::vector<std::string>{"Saving DXF File"});
        EXPECT_EQ(ui.polls, 3); // before each vertex row
        ASSERT_EQ(ui.plots.size(), 1u);
        EXPECT_EQ(ui.plots[0].lastColumn, 2);
        EXPECT_EQ(ui.plots[0].lastRow, 2);
        EXPECT_EQ(entries(dir.path), std::vector<std::string>{"tiny.dxf"});
    }
}

// A seven-digit northing must keep its metres, which six significant digits
// would not: 4500025 is written in full, values that "%g" holds exactly stay
// as "%g" writes them.
TEST(DxfExport, UtmCoordinatesKeepEveryMetre)
{
    TempDir dir;
    Landscape land = tinyLandscape();
    land.spacingX = 25.0f;
    land.spacingY = 25.0f;
    land.utmX = 500000;
    land.utmY = 4500000;
    land.utmExtra = 1234;
    ScriptedFrontend ui;
    ASSERT_EQ(exportDxf(land, BoundingBox{}, dir / "utm.dxf", {false, true, 1000, 1}, ui), ExportResult::Ok);
    const auto objects = readDxf(readFile(dir / "utm.dxf"));
    ASSERT_EQ(objects.size(), 1u);
    const auto& v = objects[0].vertices;
    ASSERT_EQ(v.size(), 9u);
    const double xs[] = {500000, 500025, 500050};
    const double ys[] = {4500000, 4500025, 4500050};
    const char* yTexts[] = {"4.5e+06", "4500025", "4.50005e+06"};
    for (int k = 0; k < 9; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(v[k].x, xs[k % 3]);
        EXPECT_EQ(v[k].y, ys[k / 3]);
        EXPECT_EQ(v[k].yText, yTexts[k / 3]);
    }
    EXPECT_EQ(v[0].z, 1334);     // 100 + 1234
    EXPECT_EQ(v[5].z, -31534);   // -32768 + 1234
    EXPECT_EQ(v[4].zText, "1246"); // 12 + 1234
}

TEST(DxfExport, StepSamplesTheWidenedBoundingBox)
{
    TempDir dir;
    const Landscape land = patternLandscape(12, 12);
    // Columns 3..7 and rows 2..5 widened to the step 2: columns 2..8, rows 2..6.
    const BoundingBox box{1, 3, 2, 7, 5};
    ScriptedFrontend ui;
    ASSERT_EQ(exportDxf(land, box, dir / "box.dxf", {false, false, 1000, 2}, ui), ExportResult::Ok);
    const auto objects = readDxf(readFile(dir / "box.dxf"));
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].vertexCount, 12); // 4 columns by 3 rows
    EXPECT_EQ(objects[0].faceCount, 12);   // 2 x 3 x 2
    ASSERT_EQ(objects[0].vertices.size(), 12u);
    ASSERT_EQ(objects[0].faces.size(), 12u);
    const int columns[] = {2, 4, 6, 8};
    const int rows[] = {2, 4, 6};
    for (int k = 0; k < 12; ++k) {
        const int c = columns[k % 4];
        const int r = rows[k / 4];
        EXPECT_EQ(objects[0].vertices[k].x, c * 30.0);
        EXPECT_EQ(objects[0].vertices[k].y, r * 30.0);
        EXPECT_EQ(objects[0].vertices[k].z, land.elevation[r][c]);
    }
    // w = 4: the last cell (j 1, i 2) gives (7, 8, -12) and (-7, 12, 11).
    EXPECT_EQ(objects[0].faces[10], (std::array<long, 3>{7, 8, -12}));
    EXPECT_EQ(objects[0].faces[11], (std::array<long, 3>{-7, 12, 11}));
    ASSERT_EQ(ui.plots.size(), 1u);
    EXPECT_EQ(ui.plots[0].firstColumn, 2);
    EXPECT_EQ(ui.plots[0].firstRow, 2);
    EXPECT_EQ(ui.plots[0].lastColumn, 8);
    EXPECT_EQ(ui.plots[0].lastRow, 6);
}

// ---- Objects and seams ----

// Every vertex of an object lies on the grid within the sample points, and its
// height is the cell's, 0.1 lower on the object's border when seams overlap.
// Returns the object's cells across and down.
std::pair<int, int> checkObject(const Landscape& land, const DxfObject& o, bool overlap)
{
    std::set<double> xs, ys;
    for (const DxfVertex& v : o.vertices) {
        xs.insert(v.x);
        ys.insert(v.y);
    }
    const int nx = static_cast<int>(xs.size()) - 1;
    const int ny = static_cast<int>(ys.size()) - 1;
    EXPECT_EQ(o.vertexCount, static_cast<long>(o.vertices.size()));
    EXPECT_EQ(o.vertexCount, (nx + 1L) * (ny + 1L));
    EXPECT_EQ(o.faceCount, 2L * nx * ny);
    EXPECT_EQ(o.faceCount, static_cast<long>(o.faces.size()));
    EXPECT_EQ(o.seqendLayer, o.layer);
    for (const DxfVertex& v : o.vertices) {
        const int c = static_cast<int>(v.x / land.spacingX);
        const int r = static_cast<int>(v.y / land.spacingY);
        EXPECT_EQ(c * static_cast<double>(land.spacingX), v.x);
        EXPECT_EQ(r * static_cast<double>(land.spacingY), v.y);
        if (c < 0 || c > land.sizeX || r < 0 || r > land.sizeY) {
            ADD_FAILURE() << o.layer << " reads outside the sample points: " << c << "," << r;
            continue;
        }
        const bool border = v.x == *xs.begin() || v.x == *xs.rbegin() || v.y == *ys.begin() || v.y == *ys.rbegin();
        const double drop = overlap && border ? 0.1 : 0.0;
        EXPECT_NEAR(v.z, land.elevation[r][c] - drop, 1e-9) << o.layer << " at " << c << "," << r;
    }
    return {nx, ny};
}

TEST(DxfExport, SplitsIntoTilesBelowTheLimit)
{
    TempDir dir;
    const Landscape land = patternLandscape(258, 258);
    ScriptedFrontend ui;
    ASSERT_EQ(exportDxf(land, BoundingBox{}, dir / "big.dxf", {false, false, 1000, 1}, ui), ExportResult::Ok);

    // 256 x 256 cells halved along the longer side, columns first on a tie,
    // until 16 x 16 cells (512 faces; 16 x 32 has 1024, not below 1000).
    const auto objects = readDxf(readFile(dir / "big.dxf"));
    ASSERT_EQ(objects.size(), 256u);
    ASSERT_EQ(ui.plots.size(), 256u);
    EXPECT_EQ(ui.polls, 256 * 17);
    const MapRect firstPlots[] = {
        {0, 0, 16, 16}, {0, 16, 16, 32}, {16, 0, 32, 16}, {16, 16, 32, 32}, {0, 32, 16, 48}, {0, 48, 16, 64},
    };
    for (std::size_t k = 0; k < std::size(firstPlots); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ui.plots[k].firstColumn, firstPlots[k].firstColumn);
        EXPECT_EQ(ui.plots[k].firstRow, firstPlots[k].firstRow);
        EXPECT_EQ(ui.plots[k].lastColumn, firstPlots[k].lastColumn);
        EXPECT_EQ(ui.plots[k].lastRow, firstPlots[k].lastRow);
    }
    // The last one: the second half of every split.
    EXPECT_EQ(ui.plots.back().firstColumn, 240);
    EXPECT_EQ(ui.plots.back().firstRow, 240);

    std::vector<int> cover(256 * 256, 0);
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const std::string number = std::to_string(k);
        EXPECT_EQ(objects[k].layer, "KN_" + std::string(number.size() < 2 ? "0" : "") + number);
        EXPECT_EQ(objects[k].vertexCount, 289);
        EXPECT_EQ(objects[k].faceCount, 512);
        checkObject(land, objects[k], false);
        const MapRect& p = ui.plots[k];
        for (int r = p.firstRow; r < p.lastRow; ++r)
            for (int c = p.firstColumn; c < p.lastColumn; ++c) ++cover[r * 256 + c];
    }
    EXPECT_EQ(objects[100].layer, "KN_100");
    // Every cell in exactly one object.
    EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), 256 * 256);
}

// The first half ends one column past the split line and the second starts one
// column before it: the two share three columns, and each lowers its own
// border column among them.
TEST(DxfExport, OverlappingSeamsOfTwoObjects)
{
    TempDir dir;
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 10, 4), 1); // sample points 0..8 by 0..2: 32 faces
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 10; ++c) land.elevation[r][c] = static_cast<std::int16_t>(10 * r + c);
    ScriptedFrontend ui;
    ASSERT_EQ(exportDxf(land, BoundingBox{}, dir / "seam.dxf", {true, false, 32, 1}, ui), ExportResult::Ok);
    const auto objects = readDxf(readFile(dir / "seam.dxf"));
    // 32 faces reach the limit: split at column 4 into columns 0..5 and 3..8,
    // 20 faces each.
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].layer, "KN_00");
    EXPECT_EQ(objects[1].layer, "KN_01");
    const double middleRows[2][6] = {
        {9.9, 11, 12, 13, 14, 14.9},  // columns 0..5, row 1
        {12.9, 14, 15, 16, 17, 17.9}, // columns 3..8, row 1
    };
    const int firstColumn[2] = {0, 3};
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(objects[k].vertexCount, 18);
        EXPECT_EQ(objects[k].faceCount, 20);
        ASSERT_EQ(objects[k].vertices.size(), 18u);
        for (int i = 0; i < 6; ++i) {
            const int c = firstColumn[k] + i;
            EXPECT_EQ(objects[k].vertices[i].x, 30.0 * c);
            EXPECT_NEAR(objects[k].vertices[i].z, c - 0.1, 1e-9);      // row 0: border
            EXPECT_EQ(objects[k].vertices[6 + i].z, middleRows[k][i]);  // row 1
            EXPECT_NEAR(objects[k].vertices[12 + i].z, 20 + c - 0.1, 1e-9); // row 2: border
        }
    }
    ASSERT_EQ(ui.plots.size(), 2u);
    EXPECT_EQ(ui.plots[0].lastColumn, 5);
    EXPECT_EQ(ui.plots[1].firstColumn, 3);
}

TEST(DxfExport, OverlappingSeamsOfAFullGrid)
{
    TempDir dir;
    const Landscape land = patternLandscape(258, 258);
    ScriptedFrontend ui;
    ASSERT_EQ(exportDxf(land, BoundingBox{}, dir / "big.dxf", {true, false, 1000, 1}, ui), ExportResult::Ok);
    const auto objects = readDxf(readFile(dir / "big.dxf"));
    ASSERT_GT(objects.size(), 1u);
    ASSERT_EQ(ui.plots.size(), objects.size());

    // Columns 0..256 split at 128 into 0..129 and 127..256, rows likewise;
    // then 0..129 at 64 into 0..65, ... down to 0..17 by 0..17 (578 faces).
    const MapRect firstPlots[] = {{0, 0, 17, 17}, {0, 15, 17, 33}, {15, 0, 33, 17}, {15, 15, 33, 33}};
    for (std::size_t k = 0; k < std::size(firstPlots); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ui.plots[k].firstColumn, firstPlots[k].firstColumn);
        EXPECT_EQ(ui.plots[k].firstRow, firstPlots[k].firstRow);
        EXPECT_EQ(ui.plots[k].lastColumn, firstPlots[k].lastColumn);
        EXPECT_EQ(ui.plots[k].lastRow, firstPlots[k].lastRow);
    }
    EXPECT_EQ(objects[0].faceCount, 578);
    EXPECT_EQ(objects[1].faceCount, 612);

    std::vector<int> cover(256 * 256, 0);
    for (std::size_t k = 0; k < objects.size(); ++k) {
        SCOPED_TRACE(objects[k].layer);
        checkObject(land, objects[k], true);
        EXPECT_LT(objects[k].faceCount, 1000);
        const MapRect& p = ui.plots[k];
        for (int r = p.firstRow; r < p.lastRow; ++r)
            for (int c = p.firstColumn; c < p.lastColumn; ++c) ++cover[r * 256 + c];
    }
    // No cell left out; along seams cells belong to two objects.
    EXPECT_EQ(std::count(cover.begin(), cover.end(), 0), 0);
    EXPECT_GT(std::count(cover.begin(), cover.end(), 2), 0);
}

// Limits that can never be met and steps that take overlapping halves off
// the step lattice must still end, write no object without a cell, and read
// nothing outside the sample points.
TEST(DxfExport, AnyLimitAndStepTerminatesWithSoundObjects)
{
    TempDir dir;
    const Landscape land = patternLandscape(15, 12); // sample points 0..13 by 0..10
    for (bool overlap : {false, true}) {
        for (int step : {1, 2, 3, 4, 5}) {
            std::string belowOne;
            for (int limit : {-5, 0, 1, 2, 7, 50}) {
                SCOPED_TRACE(::testing::Message() << "overlap " << overlap << " step " << step << " limit " << limit);
                ScriptedFrontend ui;
                ASSERT_EQ(exportDxf(land, BoundingBox{}, dir / "g.dxf", {overlap, false, limit, step}, ui),
                          ExportResult::Ok);
                const std::string text = readFile(dir / "g.dxf");
                // A limit below 1 counts as 1.
                if (limit < 1 && belowOne.empty()) belowOne = text;
                if (limit <= 1) {
                    EXPECT_EQ(text, belowOne);
                }

                const auto objects = readDxf(text);
                ASSERT_EQ(ui.plots.size(), objects.size());
                long faces = 0;
                for (const DxfObject& o : objects) {
                    const auto [nx, ny] = checkObject(land, o, overlap);
                    EXPECT_GE(nx, 1) << o.layer;
                    EXPECT_GE(ny, 1) << o.layer;
                    // Over the limit only when the longer side cannot be halved.
                    if (o.faceCount >= std::max(limit, 1)) {
                        EXPECT_LE(std::max(nx, ny), overlap ? 3 : 1) << o.layer;
                    }
                    faces += o.faceCount;
                }
                // Without overlap the objects tile the area exactly.
                const long nx = 13 / step, ny = 10 / step;
                if (!overlap) {
                    EXPECT_EQ(faces, 2 * nx * ny);
                }
            }
        }
    }
}

// ---- Failures ----

TEST(DxfExport, AbortLeavesThePreviousFileUntouched)
{
    TempDir dir;
    const std::string path = dir / "land.dxf";
    const Landscape land = patternLandscape(258, 258);
    // The first row, inside the first object, and in the second object.
    for (int poll : {1, 5, 20}) {
        SCOPED_TRACE(poll);
        writeFile(path, "an older export\r\n");
        ScriptedFrontend ui;
        ui.abortOnPoll = poll;
        EXPECT_EQ(exportDxf(land, BoundingBox{}, path, {false, false, 1000, 1}, ui), ExportResult::Aborted);
        EXPECT_EQ(ui.polls, poll);
        EXPECT_EQ(readFile(path), "an older export\r\n");
        EXPECT_EQ(entries(dir.path), std::vector<std::string>{"land.dxf"});
    }
    ScriptedFrontend first;
    first.abortOnPoll = 1;
    EXPECT_EQ(exportDxf(land, BoundingBox{}, dir / "new.dxf", {}, first), ExportResult::Aborted);
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"land.dxf"});
}

TEST(DxfExport, FailedWriteStopsAndKeepsThePreviousFile)
{
    TempDir dir;
    const std::string path = dir / "land.dxf";
    writeFile(path, "an older export\r\n");
    const Landscape land = patternLandscape(258, 258);
    ScriptedFrontend ui;
    {
        FileSizeLimit limit(4096); // a few records of some ten megabytes
        EXPECT_EQ(exportDxf(land, BoundingBox{}, path, {false, false, 1000, 1}, ui), ExportResult::WriteFailed);
    }
    EXPECT_LT(ui.polls, 256 * 17); // stopped at the failure, not at the end
    EXPECT_EQ(readFile(path), "an older export\r\n");
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"land.dxf"});
}

TEST(DxfExport, UnwritableLocationFailsToOpen)
{
    TempDir dir;
    writeFile(dir / "plain", "a file, not a directory");
    const Landscape land = tinyLandscape();
    ScriptedFrontend ui;
    EXPECT_EQ(exportDxf(land, BoundingBox{}, dir / "plain/sub/x.dxf", {}, ui), ExportResult::OpenFailed);
    EXPECT_EQ(ui.polls, 0);
    EXPECT_TRUE(ui.plots.empty());
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"plain"});
}

// ---- The command ----

// Records the default each number prompt offers.
struct RecordingFrontend : ScriptedFrontend {
    std::vector<long> offered;
    std::optional<long> askNumber(const std::string& prompt, long defaultValue) override
    {
        offered.push_back(defaultValue);
        return ScriptedFrontend::askNumber(prompt, defaultValue);
    }
};

const std::vector<std::string> kOptionQuestions = {
    "Overlap seams for smooth shading? [Yes|No]",
    "Zero based or UTM based coordinates? [Zero based|UTM based]",
    "Input maximum number of polygons per object:",
    "Subsample rate:",
};

TEST(DxfCommand, AsksInOrderRemembersTheLimitAndExports)
{
    TempDir dir;
    const Landscape land = tinyLandscape();
    DxfRemembered remembered;
    RecordingFrontend ui;
    ui.fileAnswers = {dir / "land"};
    ui.askAnswers = {false, false}; // seams apart, UTM based
    ui.numberAnswers = {50, 2};
    EXPECT_EQ(exportDxfCommand(land, BoundingBox{}, remembered, dir.path.string(), ui), 1);

    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Save DXF File");
    EXPECT_EQ(ui.fileRequests[0].pattern, "*.DXF");
    EXPECT_EQ(ui.fileRequests[0].directory, dir.path.string());
    EXPECT_TRUE(ui.fileRequests[0].save);
    EXPECT_EQ(ui.questions, kOptionQuestions);
    EXPECT_EQ(ui.offered, (std::vector<long>{1000, 1}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(remembered.maxPolygons, 50);

    // The file holds what the export itself writes with those answers.
    ScriptedFrontend direct;
    ASSERT_EQ(exportDxf(land, BoundingBox{}, dir / "direct.dxf", {false, true, 50, 2}, direct), ExportResult::Ok);
    EXPECT_EQ(readFile(dir / "land.DXF"), readFile(dir / "direct.dxf"));

    // The next export offers the remembered limit; an answer below 1 is kept as 1.
    RecordingFrontend again;
    again.fileAnswers = {dir / "again"};
    again.numberAnswers = {0};
    EXPECT_EQ(exportDxfCommand(land, BoundingBox{}, remembered, dir.path.string(), again), 1);
    EXPECT_EQ(again.offered, (std::vector<long>{50, 1}));
    EXPECT_EQ(remembered.maxPolygons, 1);
    EXPECT_TRUE(fs::exists(dir / "again.DXF"));
}

TEST(DxfCommand, ExtensionAddedOnlyWhenTheNameHasNone)
{
    const std::pair<const char*, const char*> cases[] = {
        {"land", "land.DXF"},
        {"land.dxf", "land.dxf"},
        {"land.", "land."},
        {"v1.2/land", "v1.2/land.DXF"}, // a dot in a directory is no extension
    };
    const Landscape land = tinyLandscape();
    for (const auto& [answer, written] : cases) {
        SCOPED_TRACE(answer);
        TempDir dir;
        DxfRemembered remembered;
        ScriptedFrontend ui;
        ui.fileAnswers = {dir / answer};
        EXPECT_EQ(exportDxfCommand(land, BoundingBox{}, remembered, dir.path.string(), ui), 1);
        EXPECT_TRUE(fs::is_regular_file(dir / written));
    }
}

TEST(DxfCommand, ReplaceAskedWithTheFullPath)
{
    TempDir dir;
    const Landscape land = tinyLandscape();
    const std::string path = dir / "old.DXF";
    writeFile(path, "an older export\r\n");

    DxfRemembered remembered;
    ScriptedFrontend declined;
    declined.fileAnswers = {dir / "old"};
    declined.askAnswers = {false};
    EXPECT_EQ(exportDxfCommand(land, BoundingBox{}, remembered, dir.path.string(), declined), 1);
    EXPECT_EQ(declined.questions, std::vector<std::string>{"Replace " + path + " ? [Replace|Cancel]"});
    EXPECT_TRUE(declined.statuses.empty());
    EXPECT_EQ(readFile(path), "an older export\r\n");

    ScriptedFrontend accepted;
    accepted.fileAnswers = {dir / "old"};
    EXPECT_EQ(exportDxfCommand(land, BoundingBox{}, remembered, dir.path.string(), accepted), 1);
    ASSERT_EQ(accepted.questions.size(), 5u);
    EXPECT_EQ(accepted.questions[0], "Replace " + path + " ? [Replace|Cancel]");
    EXPECT_EQ(readFile(path).substr(0, 10), "0\r\nSECTION");
}

TEST(DxfCommand, CancelledRequestersWriteNothing)
{
    struct Case {
        const char* what;
        bool fileGiven;
        std::vector<std::optional<long>> numbers;
        std::size_t questions;
    };
    const Case cases[] = {
        {"file requester", false, {}, 0},
        {"object limit", true, {std::nullopt}, 3},
        {"subsample rate", true, {100, std::nullopt}, 4},
    };
    const Landscape land = tinyLandscape();
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        TempDir dir;
        DxfRemembered remembered;
        ScriptedFrontend ui;
        if (t.fileGiven) ui.fileAnswers = {dir / "land"};
        ui.numberAnswers.assign(t.numbers.begin(), t.numbers.end());
        EXPECT_EQ(exportDxfCommand(land, BoundingBox{}, remembered, dir.path.string(), ui), 1);
        EXPECT_EQ(ui.questions.size(), t.questions);
        EXPECT_TRUE(ui.statuses.empty());
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(entries(dir.path).empty());
    }
}

TEST(DxfCommand, ReportsWriteErrorsAndAborts)
{
    TempDir dir;
    writeFile(dir / "plain", "a file, not a directory");
    const Landscape land = tinyLandscape();
    DxfRemembered remembered;

    // A file that cannot even be created is reported as a write error.
    ScriptedFrontend unwritable;
    unwritable.fileAnswers = {dir / "plain/sub/land.dxf"};
    EXPECT_EQ(exportDxfCommand(land, BoundingBox{}, remembered, dir.path.string(), unwritable), 0);
    EXPECT_EQ(unwritable.messages,
              std::vector<std::string>{fileMessage(kErrorWritingFile, dir / "plain/sub/land.dxf")});

    ScriptedFrontend aborted;
    aborted.fileAnswers = {dir / "land.dxf"};
    aborted.abortOnPoll = 2;
    EXPECT_EQ(exportDxfCommand(land, BoundingBox{}, remembered, dir.path.string(), aborted), -1);
    EXPECT_TRUE(aborted.messages.empty());
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"plain"});
}

// ---- A third-party reader ----

// A python that has ezdxf: the one on the path, else the system's own.
std::optional<std::string> pythonWithEzdxf()
{
    for (const char* python : {"python3", "/usr/bin/python3"}) {
        const std::string probe = std::string(python) + " -c 'import ezdxf' >/dev/null 2>&1";
        if (std::system(probe.c_str()) == 0) return std::string(python);
    }
    return std::nullopt;
}

using kalvenor::testing::commandOutput;

TEST(DxfEzdxf, ThirdPartyReaderSeesTheObjects)
{
    const auto python = pythonWithEzdxf();
    if (!python) GTEST_SKIP() << "python3 with ezdxf not available";

    TempDir dir;
    Landscape land;
    ASSERT_EQ(allocateGrid(land, 10, 4), 1); // sample points 0..8 by 0..2
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 10; ++c) land.elevation[r][c] = static_cast<std::int16_t>(10 * r + c);
    land.utmX = 1000;
    land.utmY = 2000;
    land.utmExtra = 5;
    ScriptedFrontend ui;
    ASSERT_EQ(exportDxf(land, BoundingBox{}, dir / "land.dxf", {true, true, 32, 1}, ui), ExportResult::Ok);

    const std::string output =
        commandOutput(*python + " " KALVENOR_SOURCE_DIR "/tests/files/dxf_ezdxf_check.py " + (dir / "land.dxf"));
    // Columns 0..5 and 3..8, rows 0..2; offsets 1000, 2000, 5; the border 0.1
    // lower; the first face of a six-wide object (1, 2, -8).
    EXPECT_EQ(output, "entities 2\n"
                      "POLYLINE 2\n"
                      "object KN_00 AcDbPolyFaceMesh 18 20 18 20\n"
                      "first 1000.000 2000.000 4.900\n"
                      "last 1150.000 2060.000 29.900\n"
                      "face 1 2 -8\n"
                      "object KN_01 AcDbPolyFaceMesh 18 20 18 20\n"
                      "first 1090.000 2000.000 7.900\n"
                      "last 1240.000 2060.000 32.900\n"
                      "face 1 2 -8\n"
                      "errors 0\n");
}

} // namespace
} // namespace kalvenor
