// The topographic map: the landscape seen from above in the 256 x 256 pixel
// area at the left of the main window, north up, in elevation shades or in
// ground colours, with the camera, the target, the view and the bounding box
// marked. It can be zoomed and scrolled; its pixel maths turn a pointer into
// world metres and back, so every click on the map means the same place to
// every command.
//
// The map image holds one index per pixel into the map's own 64 colours; row 0
// is the southernmost row shown and is drawn at the bottom.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/frontend.h"
#include "panels/surface.h"

namespace kalvenor {

struct Landscape;
struct CameraSettings;
struct BoundingBox;
struct PathState;

// The map area on the surface: 256 x 256 pixels from (48, 40) to (303, 295).
constexpr int kMapLeft = 48;
constexpr int kMapTop = 40;
constexpr int kMapSize = 256;
constexpr int kMapRight = kMapLeft + kMapSize - 1;
constexpr int kMapBottom = kMapTop + kMapSize - 1;
constexpr int kMapCentreX = 176; // the map's centre pixel
constexpr int kMapCentreY = 168;

enum class MapDisplay { Elevations, GroundColours };

struct MapView {
    int zoom = 16;     // Z, 1 .. 256: one pixel covers Z / 16 cells each way
    int scrollX = 128; // sx, the horizontal slider (0 .. 256)
    int scrollY = 128; // sy, the vertical scroll bar (0 .. 256)
    int originX = 0;   // ox, oy: the grid cell of the bottom-left pixel
    int originY = 0;
    MapDisplay display = MapDisplay::Elevations;
    int extent = 0; // the N the view was laid out for; a landscape of another size unzooms it
    std::vector<std::uint8_t> image = std::vector<std::uint8_t>(kMapSize * kMapSize);
};

// N: one more than the larger of the highest column and row index in use.
int mapExtent(const Landscape& land);

// The origin from the scroll positions: (s x N) / 256 - Z x 8 each way.
void updateMapOrigin(MapView& map, const Landscape& land);

// Zoom in (Z / 2, at least 1), out (Z x 2, at most 256), and unzoom (Z = N / 16,
// both scroll positions 128); each recomputes the origin and rebuilds the image.
void zoomMapIn(MapView& map, const Landscape& land);
void zoomMapOut(MapView& map, const Landscape& land);
void unzoomMap(MapView& map, const Landscape& land);

// New scroll positions (each clamped to 0 .. 256); origin and image follow.
void scrollMap(MapView& map, const Landscape& land, int scrollX, int scrollY);

// Centres the map on a world position (the camera's or the target's): the
// origin moves by the mark's distance from the centre pixel, the scroll
// positions follow (clamped to 0 .. 255) and the origin is taken from them.
void centreMap(MapView& map, const Landscape& land, double x, double y);

struct WorldXY {
    double x = 0, y = 0;
};
struct MapPixel {
    int x = 0, y = 0;
};

bool insideMap(int px, int py);

// Pointer (px, py) on the surface to world metres, and a world position to
// the surface pixel the marks are drawn at.
WorldXY mapPointerToWorld(const MapView& map, const Landscape& land, int px, int py);
MapPixel worldToMapPixel(const MapView& map, const Landscape& land, double x, double y);

// The grid point under a world position (metres divided by the spacings,
// truncated); nothing outside the landscape.
std::optional<MapPoint> worldToCell(const Landscape& land, double x, double y);

// The elevation the read-out shows: the cell's, or 0 outside the grid.
int mapElevationAt(const Landscape& land, double x, double y);

// The status line over the map: "A  X=%-6ld  Y=%-6ld  Z=%-6ld".
std::string mapReadout(const MapView& map, const Landscape& land, int px, int py);

// The map's own colours, by image index.
Colour mapColour(int index);

// Builds the image in the map's display mode.
void buildMapImage(MapView& map, const Landscape& land);

// What is marked over the image.
struct MapMarks {
    const CameraSettings* camera = nullptr; // camera, target and the edges of the view
    const BoundingBox* box = nullptr;       // drawn when enabled
    const PathState* path = nullptr;        // when set, the flight and its nodes instead of the camera
};

// Draws the image and the marks into the map area, and the frame around it.
void drawMap(Surface& s, const MapView& map, const Landscape& land, const MapMarks& marks);

// Colours the pixels of a rectangle of grid cells (the cells an operation is
// working on) in the plot colour, cut to the map area.
void plotMapCells(Surface& s, const MapView& map, const Landscape& land, const MapRect& cells);

// A line between two surface points, cut to the map area (a road being dragged).
void drawMapLine(Surface& s, int x0, int y0, int x1, int y1, Colour colour);

// The outline of a rectangle between two surface points, cut to the map area
// (a box being dragged).
void outlineMapRect(Surface& s, int x0, int y0, int x1, int y1, Colour colour);

} // namespace kalvenor
