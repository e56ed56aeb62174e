// Flare: bright self-illuminating surfaces (by default water 4 and 5 and
// entry 77) bloom into a soft disc that fades with distance.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/image_buffers.h"
#include "render/projection.h"

namespace kalvenor {

class Frontend;

// Reads the per-class flare intensity and radius from the surface attribute
// table (five bytes per colour-scheme entry: Phong intensity, Phong
// sharpness, flare intensity, flare radius, roughness). Copies the W x H
// image into the scratch rows H..2H-1 and blooms every pixel of the copy
// whose class has a flare intensity into the live image. Polls for abort once
// per row. 1 when done; -1 on abort or when the scratch rows are missing
// ("Insufficient memory for flare effects.").
int applyFlare(ImageBuffers& images, const ImageGeometry& geometry, const std::array<std::uint8_t, 1280>& surfaces,
               Frontend& ui);

} // namespace kalvenor
