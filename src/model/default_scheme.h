// The colour scheme a new program starts with, before any scheme or session
// is loaded: ground, water, sky and object colours that give a natural picture.
#pragma once

#include "model/scene_settings.h"

namespace kalvenor {

// Fills the whole colour scheme and the surface attribute table.
void installDefaultScheme(SceneSettings& scene);

} // namespace kalvenor
