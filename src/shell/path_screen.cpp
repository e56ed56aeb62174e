#include "shell/path_screen.h"

#include <cmath>
#include <string>

#include "app/app.h"
#include "base/frontend.h"
#include "panels/altitude_display.h"
#include "panels/gadget.h"
#include "panels/input.h"
#include "path/path_generate.h"
#include "shell/map_commands.h"
#include "shell/window_commands.h"

namespace kalvenor {

namespace {

constexpr int kPathTab = 1296;
constexpr int kSliderRange = 1000;

bool shown(const WindowContext& ctx) { return ctx.main.open && ctx.main.openTab == kPathTab; }

// Point i made current, the camera on it, and the panel, map and display showing it.
int goToPoint(WindowContext& ctx, int i)
{
    PathState& path = ctx.app.path;
    if (path.points.empty()) {
        ctx.ui.status("No path: place four nodes first.");
        return 0;
    }
    path.currentPoint = std::clamp(i, 0, static_cast<int>(path.points.size()) - 1);
    setCameraToPoint(path, path.currentPoint, ctx.app.scene.camera);
    ctx.ui.status("Point " + std::to_string(path.currentPoint + 1) + " of " + std::to_string(path.points.size()));
    return 1;
}

} // namespace

void drawPathScreen(WindowContext& ctx)
{
    if (!shown(ctx)) return;
    drawAltitudeDisplay(ctx.surface, kAltitudeX0, kAltitudeY0, kAltitudeX1, kAltitudeY1, ctx.app.path,
                        ctx.app.landscape, ctx.altitude, currentPathPoint(ctx.app.path));
}

bool pathScreenClick(WindowContext& ctx, int x, int y)
{
    if (!shown(ctx) || x < kAltitudeX0 || x > kAltitudeX1 || y < kAltitudeY0 || y > kAltitudeY1) return false;
    const PathState& path = ctx.app.path;
    const AltitudeWindow window =
        altitudeWindow(ctx.altitude, static_cast<int>(path.points.size()), currentPathPoint(path));
    const int point = altitudeDisplayPoint(x, kAltitudeX0, kAltitudeX1, window);
    if (point >= 0) goToPoint(ctx, point);
    refillPanel(ctx);
    refreshMap(ctx);
    ctx.input.present();
    return true;
}

double pathPosition(const App& app)
{
    const int n = static_cast<int>(app.path.points.size());
    if (n < 2) return 0.0;
    return std::round(currentPathPoint(app.path) * static_cast<double>(kSliderRange) / (n - 1));
}

int movePathPosition(WindowContext& ctx, const Gadget& slider)
{
    const int n = static_cast<int>(ctx.app.path.points.size());
    const long range = slider.range > 0 ? slider.range : kSliderRange;
    return goToPoint(ctx, static_cast<int>(std::lround(static_cast<double>(slider.value) * (n - 1) / range)));
}

template <int Id>
int zoomAltitude(WindowContext& ctx, const Gadget&)
{
    AltitudeView& view = ctx.altitude;
    view = Id == 1366 ? zoomAltitudeIn(view) : Id == 1368 ? zoomAltitudeOut(view) : unzoomAltitude(view);
    ctx.ui.status("Altitude display zoom " + std::to_string(view.zoom));
    return 1;
}

template int zoomAltitude<1366>(WindowContext&, const Gadget&);
template int zoomAltitude<1367>(WindowContext&, const Gadget&);
template int zoomAltitude<1368>(WindowContext&, const Gadget&);

} // namespace kalvenor
