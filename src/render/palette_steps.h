// Colour prediction: the colours a render will contain, shaded at many light
// intensities and haze distances and counted in a histogram over the colour
// cube. Six steps, each with its own weight, so that the palette chosen from
// the histogram favours what covers the most of a picture.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/image_buffers.h"
#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/texture_slots.h"
#include "render/dither.h"
#include "render/lit_colour.h"
#include "render/palette_selection.h"

namespace kalvenor {

class Frontend;

// The scheme entry of the cloud colour (the others are the renderer's SchemeEntry).
constexpr int kCloudEntry = 76;

// What the prediction shades with. light carries the frame's light, ambient
// and exposure (as setFrameLight gives them, so that predicted colours are the
// rendered ones); the steps set its haze colour and weight as they go.
struct PredictionScene {
    const std::array<std::uint8_t, 1024>& scheme;
    const std::array<std::uint8_t, 1280>& attributes; // five bytes per entry, Phong intensity first
    bool phong = false;                               // Phong hilites on
    int skyBrightness = 248;                          // intensity of the sky and the clouds
    int horizonBrightness = 248;                      // intensity of the horizon ring
    int lining = 20;                                  // brightness of cloud edges
    int haze = 100;                                   // the haze amount, 0 clear air
    SurfaceLight light;
};

// The view weight of a surface d metres away: d x d x 0.002. Samples are
// shaded with it scaled by the haze amount as the renderer scales its own
// (frameHazeWeight), so the palette holds the colours a render produces.
float predictionHazeWeight(int d);

// The cloud colour function: with a = the top byte of the packed colour, adds
// min(lining, 255 - a) to each colour byte, limited to 0..255; the top byte stays.
std::uint32_t liningColour(std::uint32_t packed, int lining);

// A texture level as its texels (red, green, blue, alpha bytes), or width 0
// when the slot holds no such level.
struct TexelLevel {
    int width = 0;
    int height = 0;
    const std::uint8_t* texels = nullptr;
};
TexelLevel textureLevel(const TextureSlot& slot, int level);
bool hasTextureMap(const TextureSlot& slot);

// The six steps. Each adds into the histogram and draws from the dither stream
// in its own fixed order.
void predictSchemeColours(PredictionScene& scene, const TextureSlots& textures, ColourHistogram& histogram,
                          PixelDither& stream);
void predictTerrainColours(PredictionScene& scene, const Landscape& land, ColourHistogram& histogram,
                           PixelDither& stream);
void predictTextureColours(PredictionScene& scene, const TextureSlots& textures, ColourHistogram& histogram,
                           PixelDither& stream);
void predictSkyColours(PredictionScene& scene, ColourHistogram& histogram);
void predictCloudColours(PredictionScene& scene, ColourHistogram& histogram, PixelDither& stream);
void predictHorizonColours(PredictionScene& scene, ColourHistogram& histogram);

// All six in order, each announced in the status line, into a cleared
// histogram. The landscape streams are seeded with 0 first.
void predictColours(PredictionScene& scene, const Landscape& land, const TextureSlots& textures,
                    ColourHistogram& histogram, PixelDither& stream, RandomStreams& random, Frontend& ui);

// Adds the pixels of a finished 24-bit image with weight 1: every
// max(1, width / 640)-th pixel of every such row.
// Only the part of the image inside the plane is read.
void addImageColours(ColourHistogram& histogram, const ImagePlane<std::uint32_t>& image, int width, int height);

} // namespace kalvenor
