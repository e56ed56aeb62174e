#include "shell/wire_view.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <thread>

#include "app/app.h"
#include "base/frontend.h"
#include "model/camera_aim.h"
#include "panels/font.h"
#include "panels/input.h"
#include "panels/key_codes.h"
#include "panels/panel_style.h"
#include "panels/toolkit.h"
#include "path/path_dynamics.h"
#include "path/path_generate.h"
#include "render/wire_frame.h"
#include "shell/map_commands.h"
#include "shell/window_commands.h"

namespace kalvenor {

namespace {

constexpr int kWalkabout = 1242;
constexpr int kPreviewPath = 1360;
constexpr std::array kIds = {kWalkabout, kPreviewPath};

constexpr int kDone = 3951;
constexpr int kCancel = 3952;

// The box: the view with a caption line above it and a help line below.
constexpr int kBoxX = 16, kBoxY = 34;
constexpr int kViewWidth = 480;
constexpr int kMargin = 8;
constexpr int kCaptionHeight = 24;
constexpr int kFootHeight = 32;

// The view takes the image's shape, held between 5:2 and 1:1.
int viewHeight(const App& app)
{
    const ImageGeometry& g = app.geometry;
    const int h = g.width > 0 ? kViewWidth * g.height / g.width : kViewWidth * 5 / 8;
    return std::clamp(h, kViewWidth * 2 / 5, kViewWidth);
}

int boxHeight(int vh) { return kCaptionHeight + vh + kFootHeight + kMargin; }

struct ViewPlace {
    int x = 0, y = 0, width = 0, height = 0;
};

ViewPlace viewPlace(const App& app)
{
    return {kBoxX + kMargin, kBoxY + kCaptionHeight, kViewWidth, viewHeight(app)};
}

// The picture of the current camera, reused from frame to frame.
WireFrameView& picture()
{
    static WireFrameView view;
    return view;
}

void drawView(WindowContext& ctx, const std::string& caption, const std::string& help)
{
    App& app = ctx.app;
    const ViewPlace place = viewPlace(app);
    if (!ctx.wireBox)
        ctx.wireBox = openPanel(ctx.surface, kBoxX, kBoxY, kViewWidth + 2 * kMargin, boxHeight(place.height), true);
    PanelInstance& box = *ctx.wireBox;
    WireFrameView& view = picture();
    if (view.width != place.width || view.height != place.height) resizeWireFrameView(view, place.width, place.height);
    matchRenderFraming(view, app.geometry);
    WireFrameOptions options;
    drawWireFrame(app.landscape, app.scene.camera, options, view);
    for (int y = 0; y < view.height; ++y)
        std::copy_n(&view.pixels[static_cast<std::size_t>(y) * view.width], view.width,
                    ctx.surface.row(place.y + y) + place.x);
    fillRect(ctx.surface, box.left + 2, box.top + 2, box.right() - 2, place.y - 2, panel_colour::kFace);
    drawText(ctx.surface, place.x, box.top + 5, caption.substr(0, kViewWidth / kCharWidth), panel_colour::kText, panel_colour::kFace);
    const int footY = place.y + place.height + 2;
    fillRect(ctx.surface, box.left + 2, footY, box.right() - 2, box.bottom() - 2, panel_colour::kFace);
    drawText(ctx.surface, place.x, footY + 6, help.substr(0, 40), panel_colour::kText, panel_colour::kFace);
    drawGadgets(ctx.surface, box);
    ctx.input.present();
}

// An angle in -180 .. 180, as the camera keeps its angles.
float fold(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a > 180.0) a -= 360.0;
    if (a < -180.0) a += 360.0;
    return static_cast<float>(a);
}

double pitchOf(const CameraSettings& c) { return fold(c.pitch); }

// One step of the walk: a key or a click in the view.
void walk(const App& app, CameraSettings& c, int key)
{
    const Landscape& land = app.landscape;
    const double extent = std::max(land.sizeX * land.spacingX, land.sizeY * land.spacingY);
    const double stride = std::max(1.0, extent / 60.0);
    const double h = c.heading * kDegreesToRadians;
    switch (key) {
    case kKeyUp:
    case kKeyDown: {
        const double s = key == kKeyUp ? stride : -stride;
        c.cameraX = static_cast<float>(c.cameraX - std::sin(h) * s);
        c.cameraY = static_cast<float>(c.cameraY + std::cos(h) * s);
        break;
    }
    case kKeyLeft: c.heading = fold(c.heading + 5.0); break;
    case kKeyRight: c.heading = fold(c.heading - 5.0); break;
    case kKeyPageUp: c.cameraZ = static_cast<float>(c.cameraZ + stride / 2); break;
    case kKeyPageDown: c.cameraZ = static_cast<float>(c.cameraZ - stride / 2); break;
    case kKeyHome: c.pitch = static_cast<float>(std::min(89.0, pitchOf(c) + 5.0)); break;
    case kKeyEnd: c.pitch = static_cast<float>(std::max(-89.0, pitchOf(c) - 5.0)); break;
    default: return;
    }
    // Never under the ground.
    const double ground = groundElevation(land, c.cameraX, c.cameraY);
    if (c.cameraZ < ground + 2.0) c.cameraZ = static_cast<float>(ground + 2.0);
}

constexpr const char* kWalkHelp = "Arrows, PgUp/PgDn, Home/End; Enter keeps";

int walkabout(WindowContext& ctx)
{
    App& app = ctx.app;
    CameraSettings& camera = app.scene.camera;
    const CameraSettings before = camera;
    const double distance = targetDistance(camera);
    const ViewPlace place = viewPlace(app);
    closeWireView(ctx);
    ctx.wireBox = openPanel(ctx.surface, kBoxX, kBoxY, kViewWidth + 2 * kMargin, boxHeight(place.height), true);
    const int buttonY = place.y + place.height + 6 - kBoxY;
    ctx.wireBox->gadgets = {
        Gadget{.kind = kGadgetButton, .x = kViewWidth + kMargin - 18 * kCharWidth, .y = buttonY, .id = kDone,
               .text = " Done ", .help = "Keep this camera."},
        Gadget{.kind = kGadgetButton, .x = kViewWidth + kMargin - 8 * kCharWidth, .y = buttonY, .id = kCancel,
               .text = "Cancel", .help = "Put the camera back where it was."},
    };
    int result = 0;
    for (bool open = true; open;) {
        drawView(ctx, "Walkabout", kWalkHelp);
        const GadgetResult r = readGadget(ctx.surface, *ctx.wireBox, ctx.input);
        if (r.code == -1 || r.code == kCancel || r.code == keyResult(kKeyEscape) || r.code == 3) {
            camera = before;
            result = -1;
            open = false;
        } else if (r.code == kDone || r.code == keyResult(kKeyEnter)) {
            // The target ahead, as far as it stood before (at least 100 m).
            placeTargetAhead(camera, std::max(100.0, distance));
            result = 1;
            open = false;
        } else if (r.code > 0x10000) {
            walk(app, camera, r.code - 0x10000);
        } else if (r.code == 0 && r.x >= place.x && r.x < place.x + place.width && r.y >= place.y &&
                   r.y < place.y + place.height) {
            // A click turns the view toward it: half the view's width is half the field of view.
            const double across = (r.x - (place.x + place.width / 2.0)) / (place.width / 2.0);
            const double down = (r.y - (place.y + place.height / 2.0)) / (place.width / 2.0);
            const double half = camera.fieldOfView / 2.0;
            camera.heading = fold(camera.heading - across * half);
            camera.pitch = static_cast<float>(std::clamp(pitchOf(camera) - down * half, -89.0, 89.0));
        }
    }
    closeWireView(ctx);
    refillPanel(ctx);
    refreshMap(ctx);
    ctx.input.present();
    return result;
}

int previewPath(WindowContext& ctx)
{
    App& app = ctx.app;
    if (app.path.points.empty()) {
        ctx.ui.message("No path to view!");
        return 0;
    }
    const CameraSettings before = app.scene.camera;
    const int total = static_cast<int>(app.path.points.size());
    const int rate = std::max(1, app.animationRate);
    bool stopped = false;
    const int current = currentPathPoint(app.path);
    playPath(app.path, app.scene.camera, current >= total - 1 ? 0 : current, rate, ctx.ui,
             [&](const CameraSettings&) {
                 if (stopped) return false;
                 drawView(ctx, "Path: point " + std::to_string(currentPathPoint(app.path) + 1) + " of " +
                                   std::to_string(total), "Esc or the right button stops");
                 return true;
             },
             [&](int millis) { stopped = !previewWait(ctx, millis) || stopped; });
    closeWireView(ctx);
    // The flight leaves the camera where it was; the position slider keeps the last point shown.
    app.scene.camera = before;
    refillPanel(ctx);
    refreshMap(ctx);
    ctx.input.present();
    return stopped ? -1 : 1;
}

} // namespace

void showWireView(WindowContext& ctx, const std::string& caption)
{
    drawView(ctx, caption, "Esc or the right button stops");
}

bool previewWait(WindowContext& ctx, int millis)
{
    using namespace std::chrono;
    const auto until = steady_clock::now() + milliseconds(millis);
    do {
        if (ctx.ui.pollAbort()) return false;
        std::this_thread::sleep_for(milliseconds(5));
    } while (steady_clock::now() < until);
    return true;
}

void closeWireView(WindowContext& ctx)
{
    if (!ctx.wireBox) return;
    closePanel(ctx.surface, *ctx.wireBox);
    ctx.wireBox.reset();
    ctx.input.present();
}

std::span<const int> wireViewCommandIds() { return kIds; }

int runWireViewCommand(WindowContext& ctx, int id)
{
    if (id == kWalkabout) return walkabout(ctx);
    if (id == kPreviewPath) return previewPath(ctx);
    return 0;
}

} // namespace kalvenor
