// One Kalvenor frame next to Mesa's llvmpipe (through OSMesa) drawing the bare
// mesh of the same grid at the same image size, in the same run: a yardstick
// for the renderer against a plain z-buffered rasteriser on the same machine.
//
// Kalvenor's side is the whole render driver, as BM_FullRender times it
// (overview camera on a generated mountain landscape, altitude texture off).
// The GL side draws every cell of the grid as two triangles from one vertex
// buffer and one index buffer (32-bit indices), one colour per vertex (the
// ground colour of the point with the sun's light baked in), seen through
// Kalvenor's own camera and projection, depth test on (GL_LESS), no culling,
// no lighting, no texture. A GL frame is glClear, the draw, glFinish and
// glReadPixels of the RGBA image. With antialiasing the GL side draws at twice
// the width and height, and its frame includes the 2 x 2 box reduction of the
// read-back image to the image size, as Kalvenor's frame includes its own
// reduction. The buffers are built and uploaded before anything is timed, and
// both sides draw one untimed frame first.
//
// Threads: llvmpipe reads LP_NUM_THREADS once, when its first context is
// made, so the whole run has one count: LP_NUM_THREADS, 1 when unset, and
// Kalvenor is given the same count. make bench runs the comparison with 1
// and with 2.
//
// Each case prints one line (grid, image, antialiasing, threads, both median
// times and their ratio) and reports the same as counters. With
// KALVENOR_GL_DUMP=FILE.ppm the first case run also writes its GL picture to
// FILE.ppm and Kalvenor's to FILE_kalvenor.ppm, to check that both see the
// same view.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/osmesa.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/render_driver.h"
#include "base/worker_pool.h"
#include "bench_support.h"
#include "render/terrain_lighting.h"
#include "render/view_transform.h"
#include "terrain/colouring_common.h"

namespace kalvenor {
namespace {

// The thread count of the whole run: LP_NUM_THREADS, which is set to 1 when
// unset so that llvmpipe and Kalvenor agree. Must be called before the first
// OSMesa context is made.
int comparisonThreads()
{
    static const int threads = [] {
        const char* value = std::getenv("LP_NUM_THREADS");
        if (value == nullptr || *value == '\0') {
            setenv("LP_NUM_THREADS", "1", 1);
            return 1;
        }
        return std::clamp(std::atoi(value), 1, kMaxThreads);
    }();
    return threads;
}

// The one OSMesa context of the run, with the vertex and index buffers of
// the grid drawn last.
struct GlContext {
    OSMesaContext context = nullptr;
    std::string renderer;
    std::string name; // "llvmpipe", or the renderer string when it is another driver
    GLuint vertexBuffer = 0, indexBuffer = 0;
    std::vector<std::uint8_t> target; // the colour buffer OSMesa draws into

    ~GlContext()
    {
        if (context != nullptr) OSMesaDestroyContext(context);
    }

    // Makes the context current on a width x height RGBA buffer. False when
    // OSMesa fails.
    bool bind(int width, int height)
    {
        if (context == nullptr) {
            comparisonThreads();
            context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
            if (context == nullptr) return false;
        }
        target.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
        if (!OSMesaMakeCurrent(context, target.data(), GL_UNSIGNED_BYTE, width, height)) return false;
        if (renderer.empty()) {
            const auto* text = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
            renderer = text != nullptr ? text : "unknown";
            name = renderer.find("llvmpipe") != std::string::npos ? "llvmpipe" : renderer;
            std::printf("GL renderer: %s, LP_NUM_THREADS=%s\n", renderer.c_str(), std::getenv("LP_NUM_THREADS"));
            std::fflush(stdout);
            glGenBuffers(1, &vertexBuffer);
            glGenBuffers(1, &indexBuffer);
        }
        glViewport(0, 0, width, height);
        return true;
    }
};

GlContext& glContext()
{
    static GlContext gl;
    return gl;
}

// A mesh corner as the vertex buffer holds it: world position and colour.
struct MeshVertex {
    float x, y, z;
    std::uint8_t rgba[4];
};
static_assert(sizeof(MeshVertex) == 16);

// A 4 x 4 matrix in OpenGL's order (column after column).
using Matrix = std::array<GLfloat, 16>;

// A landscape with its mesh uploaded to the GL buffers. Kept from case to
// case while the grid stays the same (the cases come grid by grid), so each
// grid is generated and uploaded once.
struct PreparedGrid {
    int grid = 0;
    std::unique_ptr<App> app;
    GLsizei indexCount = 0;
    // Nearest and farthest view depth (Kalvenor's w) of the mesh points in view.
    float nearW = 1.0f, farW = 2.0f;
};

// The ground colour of each point (the terrain map the first render
// prepared) times the sun's light on the point's slope, so the relief shows
// without lighting in GL; no shadows, no haze.
std::array<std::uint8_t, 4> pointColour(const App& app, int col, int row)
{
    const Landscape& land = app.landscape;
    const int lastCol = land.sizeX, lastRow = land.sizeY;
    const auto height = [&](int c, int r) {
        return static_cast<float>(land.elevation[std::clamp(r, 0, lastRow)][std::clamp(c, 0, lastCol)]);
    };
    const float dzdx = (height(col + 1, row) - height(col - 1, row)) / (2.0f * land.spacingX);
    const float dzdy = (height(col, row + 1) - height(col, row - 1)) / (2.0f * land.spacingY);
    const float length = std::sqrt(dzdx * dzdx + dzdy * dzdy + 1.0f);
    const std::array<float, 3>& sun = app.colouring.sun.vector; // unit vector toward the sun
    const float lit = std::max((-dzdx * sun[0] - dzdy * sun[1] + sun[2]) / length, 0.0f);
    const float shade = 0.3f + 0.7f * lit;
    const Rgb ground = schemeColour(app.scene.colourScheme, ground::code(land.terrain[row][col]));
    const auto channel = [&](int value) { return static_cast<std::uint8_t>(std::clamp(value * shade, 0.0f, 255.0f)); };
    return {channel(ground.r), channel(ground.g), channel(ground.b), 255};
}

// Builds the vertex and index arrays of the whole grid, uploads them and
// measures the depth range of the points in Kalvenor's view.
bool uploadMesh(PreparedGrid& prepared, GlContext& gl)
{
    const App& app = *prepared.app;
    const Landscape& land = app.landscape;
    const int cols = land.sizeX + 1, rows = land.sizeY + 1;
    ViewState view;
    buildViewRotation(view, app.scene.camera);

    std::vector<MeshVertex> vertices(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    float nearW = std::numeric_limits<float>::max(), farW = 0.0f;
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) {
            MeshVertex& v = vertices[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                                     static_cast<std::size_t>(col)];
            v.x = static_cast<float>(col) * land.spacingX;
            v.y = static_cast<float>(row) * land.spacingY;
            v.z = static_cast<float>(land.elevation[row][col]);
            const auto colour = pointColour(app, col, row);
            std::copy(colour.begin(), colour.end(), v.rgba);
            const Vec3 p = toViewSpace(view, v.x, v.y, v.z);
            farW = std::max(farW, p.z);
            if (insideViewVolume(p)) nearW = std::min(nearW, p.z);
        }
    if (farW <= 0.0f) return false;
    prepared.farW = farW * 1.01f;
    // Nothing in view is cut by the near plane; the floor keeps the depth
    // buffer's precision when a point comes very close.
    prepared.nearW = std::max(std::min(nearW * 0.9f, prepared.farW * 0.5f), prepared.farW * 1e-5f);

    std::vector<GLuint> indices;
    indices.reserve(static_cast<std::size_t>(cols - 1) * static_cast<std::size_t>(rows - 1) * 6);
    for (int row = 0; row + 1 < rows; ++row)
        for (int col = 0; col + 1 < cols; ++col) {
            const GLuint a = static_cast<GLuint>(row * cols + col), b = a + 1;
            const GLuint c = a + static_cast<GLuint>(cols), d = c + 1;
            for (GLuint i : {a, b, c, b, d, c}) indices.push_back(i);
        }
    prepared.indexCount = static_cast<GLsizei>(indices.size());

    glBindBuffer(GL_ARRAY_BUFFER, gl.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(MeshVertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data(),
                 GL_STATIC_DRAW);
    return glGetError() == GL_NO_ERROR;
}

// Kalvenor's projection as one GL matrix from world coordinates to clip
// space: view space (u, v, w) from the camera's rotation and focal factor,
// x = u (PW / W) / w and y = -v (PH / H) / w in normalised device
// coordinates (the image rows run downward, GL's upward), and the depth
// from nearW to farW.
Matrix kalvenorProjection(const App& app, float nearW, float farW)
{
    ViewState view;
    buildViewRotation(view, app.scene.camera);
    const ViewRotation& r = view.rotation;
    const float ex = view.eyeX, ey = view.eyeY, ez = view.eyeZ, f = view.focalFactor;
    // Rows of world (x, y, z, 1) to u, v and w; the depth runs downward (eye Z - z).
    const float u[4] = {r.r11, r.r21, -r.q1, -r.r11 * ex - r.r21 * ey + r.q1 * ez};
    const float v[4] = {r.r12, r.r22, -r.q2, -r.r12 * ex - r.r22 * ey + r.q2 * ez};
    const float w[4] = {r.f1 / f, r.f2 / f, -r.f3 / f, (-r.f1 * ex - r.f2 * ey + r.f3 * ez) / f};
    const ImageGeometry& g = app.geometry;
    const float sx = static_cast<float>(g.projWidth) / static_cast<float>(g.width);
    const float sy = -static_cast<float>(g.projHeight) / static_cast<float>(g.height);
    const float a = (farW + nearW) / (farW - nearW), b = -2.0f * farW * nearW / (farW - nearW);
    Matrix m{};
    for (int column = 0; column < 4; ++column) {
        m[static_cast<std::size_t>(column * 4 + 0)] = sx * u[column];
        m[static_cast<std::size_t>(column * 4 + 1)] = sy * v[column];
        m[static_cast<std::size_t>(column * 4 + 2)] = a * w[column] + (column == 3 ? b : 0.0f);
        m[static_cast<std::size_t>(column * 4 + 3)] = w[column];
    }
    return m;
}

// The state of every GL frame of a case: the grid's buffers and Kalvenor's projection.
void setGlState(const GlContext& gl, const PreparedGrid& prepared)
{
    glMatrixMode(GL_PROJECTION);
    const Matrix projection = kalvenorProjection(*prepared.app, prepared.nearW, prepared.farW);
    glLoadMatrixf(projection.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.45f, 0.6f, 0.85f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindBuffer(GL_ARRAY_BUFFER, gl.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.indexBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(MeshVertex), reinterpret_cast<const void*>(offsetof(MeshVertex, x)));
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(MeshVertex), reinterpret_cast<const void*>(offsetof(MeshVertex, rgba)));
}

// 2 x 2 box reduction of an RGBA image of 2 width x 2 height.
void reduceBox(const std::vector<std::uint8_t>& large, int width, int height, std::vector<std::uint8_t>& image)
{
    const std::size_t largeRow = static_cast<std::size_t>(width) * 8;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* top = large.data() + static_cast<std::size_t>(2 * y) * largeRow;
        const std::uint8_t* bottom = top + largeRow;
        std::uint8_t* out = image.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (int x = 0; x < width * 4; ++x) {
            const int at = (x / 4) * 8 + x % 4;
            out[x] = static_cast<std::uint8_t>((top[at] + top[at + 4] + bottom[at] + bottom[at + 4] + 2) / 4);
        }
    }
}

// One GL frame: clear, draw, finish, read back (and reduce with antialiasing).
void glFrame(GLsizei indexCount, int drawWidth, int drawHeight, bool antialias, std::vector<std::uint8_t>& readBack,
             std::vector<std::uint8_t>& image)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
    glFinish();
    glReadPixels(0, 0, drawWidth, drawHeight, GL_RGBA, GL_UNSIGNED_BYTE, readBack.data());
    if (antialias) reduceBox(readBack, drawWidth / 2, drawHeight / 2, image);
}

// Binary PPM of width x height pixels; pixel(x, y) gives (r, g, b) with row 0 at the top.
template <typename PixelOf>
void writePpm(const std::string& path, int width, int height, PixelOf pixel)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::printf("cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::array<std::uint8_t, 3> rgb = pixel(x, y);
            std::copy(rgb.begin(), rgb.end(), line.begin() + static_cast<std::ptrdiff_t>(x) * 3);
        }
        std::fwrite(line.data(), 1, line.size(), file);
    }
    std::fclose(file);
    std::printf("wrote %s\n", path.c_str());
}

// KALVENOR_GL_DUMP: both pictures of the first case run.
void dumpPictures(const App& app, const std::vector<std::uint8_t>& glImage, int width, int height)
{
    static bool done = false;
    const char* path = std::getenv("KALVENOR_GL_DUMP");
    if (done || path == nullptr || *path == '\0') return;
    done = true;
    const std::string glPath = path;
    const std::string stem = glPath.size() > 4 && glPath.ends_with(".ppm") ? glPath.substr(0, glPath.size() - 4) : glPath;
    writePpm(glPath, width, height, [&](int x, int y) {
        // GL's rows run upward.
        const std::uint8_t* p = glImage.data() + (static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width) +
                                                  static_cast<std::size_t>(x)) * 4;
        return std::array<std::uint8_t, 3>{p[0], p[1], p[2]};
    });
    writePpm(stem + "_kalvenor.ppm", width, height, [&](int x, int y) {
        const std::uint32_t p = app.images.vidmem24[y][x];
        return std::array<std::uint8_t, 3>{pixelRed(p), pixelGreen(p), pixelBlue(p)};
    });
}

double median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) * 0.5;
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// args: grid side, image width, image height, antialiasing (0 or 1)
void BM_FrameVersusGlMesh(benchmark::State& state)
{
    const int grid = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1)), height = static_cast<int>(state.range(2));
    const bool antialias = state.range(3) != 0;
    const int threads = comparisonThreads();
    const int threadsBefore = threadCount();
    setThreadCount(threads);
    SilentFrontend ui;
    GlContext& gl = glContext();
    static PreparedGrid prepared;

    const int drawWidth = antialias ? 2 * width : width, drawHeight = antialias ? 2 * height : height;
    if (!gl.bind(drawWidth, drawHeight)) {
        state.SkipWithError("OSMesa context failed");
        setThreadCount(threadsBefore);
        return;
    }
    if (prepared.grid != grid) {
        prepared = PreparedGrid{};
        prepared.app = mountainApp(ui, grid);
        // The first render prepares the terrain maps the mesh takes its colours from.
        if (!setBenchImage(*prepared.app, ui, width, height, antialias ? 1 : 0) ||
            renderImage(*prepared.app, ui) != Outcome::Done || !uploadMesh(prepared, gl)) {
            prepared = PreparedGrid{};
            state.SkipWithError("preparing the grid failed");
            setThreadCount(threadsBefore);
            return;
        }
        prepared.grid = grid;
    }
    App& app = *prepared.app;
    if (!setBenchImage(app, ui, width, height, antialias ? 1 : 0) || renderImage(app, ui) != Outcome::Done) {
        state.SkipWithError("render failed");
        setThreadCount(threadsBefore);
        return;
    }

    setGlState(gl, prepared);
    std::vector<std::uint8_t> readBack(static_cast<std::size_t>(drawWidth) * static_cast<std::size_t>(drawHeight) * 4);
    std::vector<std::uint8_t> reduced(antialias ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4 : 0);
    glFrame(prepared.indexCount, drawWidth, drawHeight, antialias, readBack, reduced);
    if (glGetError() != GL_NO_ERROR) {
        state.SkipWithError("GL frame failed");
        setThreadCount(threadsBefore);
        return;
    }
    dumpPictures(app, antialias ? reduced : readBack, width, height);

    std::vector<double> kalvenorMs, glMs;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        renderImage(app, ui);
        kalvenorMs.push_back(millisecondsSince(start));
        start = std::chrono::steady_clock::now();
        glFrame(prepared.indexCount, drawWidth, drawHeight, antialias, readBack, reduced);
        glMs.push_back(millisecondsSince(start));
        benchmark::DoNotOptimize(readBack.data());
        benchmark::DoNotOptimize(reduced.data());
    }

    const double kalvenor = median(kalvenorMs), glTime = median(glMs);
    const double ratio = glTime > 0.0 ? kalvenor / glTime : 0.0;
    state.counters["kalvenor_ms"] = kalvenor;
    state.counters["gl_ms"] = glTime;
    state.counters["ratio"] = ratio;
    state.counters["polygons"] = static_cast<double>(app.scene.render.polygonCount);
    state.counters["gl_triangles"] = static_cast<double>(prepared.indexCount / 3);
    std::printf("%d grid, %d x %d, aa %s, %d thread%s: Kalvenor %.0f ms, %s %.0f ms, ratio %.2f\n", grid, width, height,
                antialias ? "on" : "off", threads, threads == 1 ? "" : "s", kalvenor, gl.name.c_str(), glTime, ratio);
    std::fflush(stdout);
    setThreadCount(threadsBefore);
}

// The cases grid by grid, so each landscape is generated and uploaded once.
void frameCases(benchmark::internal::Benchmark* b)
{
    for (int grid : {258, 1026, 2050})
        for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1024, 768}})
            for (int aa : {0, 1}) b->Args({grid, width, height, aa});
}

BENCHMARK(BM_FrameVersusGlMesh)
    ->ArgNames({"grid", "w", "h", "aa"})
    ->Apply(frameCases)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

} // namespace
} // namespace kalvenor
