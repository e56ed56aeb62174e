// The App record gathers the process-wide state of every subsystem. It has no
// behaviour of its own: main, command dispatch and the script interpreter hand
// each operation the pieces it needs.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "app/default_dirs.h"
#include "codecs/display_palette.h"
#include "codecs/image_buffers.h"
#include "codecs/image_io.h"
#include "files/binary_import.h"
#include "files/dxf_export.h"
#include "model/landscape.h"
#include "model/path_state.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "model/texture_slots.h"
#include "render/dither.h"
#include "render/lit_colour.h"
#include "render/palette_map.h"
#include "render/projection.h"
#include "render/rasteriser.h"
#include "render/scene_state.h"
#include "render/view_transform.h"
#include "terrain/colouring_state.h"

namespace kalvenor {

class Frontend;

// Milliseconds since start-up, the program's tick count.
struct Clock {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::uint32_t millis() const
    {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }
};

// What the script runner publishes for the messages of animation output.
struct ScriptProgress {
    int totalFrames = 0;
    int currentFrame = 0;
};

struct App {
    Landscape landscape;    // changed by generation, editing, loading and scripts
    SceneSettings scene;    // changed by panels, scripts and session loading
    RandomStreams random;   // shared by every operation that draws random numbers
    ColouringState colouring; // sun light and strata table, derived from the settings
    TextureSlots textures;  // replaced by session loading, changed by the texture panels
    PathState path;         // the path editor's camera path; carried by sessions
    DisplayPalette palette; // predicted before renders; supplied by sessions
    ImageBuffers images;    // vidmem24 and vidmem8: drawn by renders, read by image files
    ImageGeometry geometry; // image and window size, projection extents; set with the image size
    ViewState view;         // the view rotation, rebuilt before every frame
    RasterState raster;     // edge tables, span buffer and polygon counts of the rasteriser
    PixelDither dither;     // the dither stream and tables, shared by spans and the 8-bit conversion
    PaletteMap paletteMap;  // nearest-colour cache of the final 8-bit conversion
    SurfaceLight light;     // light, ambient and haze colours of the frame being drawn
    SceneDrawState sceneDraw; // star map, shared grid lines, sun and moon discs of the terrain walk
    BinaryImportState binaryImport; // the numbers the binary import asked last
    DxfRemembered dxf;              // the DXF export's object limit, asked last
    LoadedImageInfo loadedImage;    // what "About Image" tells of the last image read
    DefaultDirs dirs;       // file requester starting directories
    ScriptProgress scriptProgress;
    Clock clock;
    std::string programDir; // the program's own directory, with a trailing separator
    int animationRate = 15; // frames a second of the FLC and AVI files the window makes (the Animation panel)
    // Whether scripts may start programs (Spawn). Batch runs set it from
    // --allow-spawn; scripts that reach a render farm cannot run commands unasked.
    bool allowSpawn = true;
    // The window asks before the first Spawn of each script run: a script from
    // elsewhere (a quality preset, an animation) does not start programs unasked.
    bool askBeforeSpawn = false;
    Frontend* frontend = nullptr; // the adapter in use; set by main before anything runs
};

} // namespace kalvenor
