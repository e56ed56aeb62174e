// The derived state of terrain colouring and shading that is not a setting:
// the sun's light vector with its integer form, sun position and light level,
// and the strata table. One lives in the App.
//
// Changed only by the functions of terrain/colouring_inputs.h (sun, cliffs,
// stratification) and by the shade pass (integer vector, light level); read by
// the passes and the renderer.
#pragma once

#include "terrain/cliffs.h"
#include "terrain/sun.h"

namespace kalvenor {

struct ColouringState {
    SunLight sun;
    StrataTable strata = defaultStrataTable();
};

} // namespace kalvenor
