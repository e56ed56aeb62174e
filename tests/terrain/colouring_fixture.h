// Small landscapes for the colouring and shading tests, built by hand so that
// every expected value can be worked out on paper.
#pragma once

#include <functional>

#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "platform/scripted_frontend.h"

namespace kalvenor::testing_colour {

// A sizeX x sizeY landscape (maps of sizeX + 2 by sizeY + 2), every elevation
// from height(column, row), statistics as the program computes them, nothing
// computed yet.
inline Landscape makeLandscape(int sizeX, int sizeY, const std::function<int(int, int)>& height)
{
    Landscape land;
    allocateGrid(land, sizeX + 2, sizeY + 2);
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = static_cast<std::int16_t>(height(c, r));
    computeElevationStatistics(land);
    land.terrainValidAt = land.cliffValidAt = land.shadowValidAt = land.sizeX;
    return land;
}

inline Landscape flatLandscape(int size, int height = 0)
{
    return makeLandscape(size, size, [height](int, int) { return height; });
}

// Colouring that depends on elevation alone: no boundary noise, no valleys.
inline TerrainColourSettings plainColouring(int treeLine, int snowLine)
{
    TerrainColourSettings c;
    c.treeLine = treeLine;
    c.snowLine = snowLine;
    c.dither = 0;
    c.valleys = 0;
    return c;
}

} // namespace kalvenor::testing_colour
