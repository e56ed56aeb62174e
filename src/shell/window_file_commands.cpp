#include "shell/window_file_commands.h"

#include <array>

#include "app/app.h"
#include "app/image_commands.h"
#include "app/interchange_commands.h"
#include "app/landscape_commands.h"
#include "base/frontend.h"
#include "codecs/pcx.h"
#include "codecs/stereo.h"
#include "codecs/targa.h"
#include "files/ascii_z.h"
#include "files/binary_import.h"
#include "files/cloud_file.h"
#include "files/dxf_export.h"
#include "files/landscape_pcx.h"
#include "files/texture_map.h"
#include "render/palette_map.h"
#include "terrain/manipulations.h"
#include "terrain/terrain_preparation.h"
#include "panels/input.h"
#include "shell/map_commands.h"
#include "shell/window_commands.h"

namespace kalvenor {

namespace {

constexpr std::array kFileCommands = {1050, 1051, 1052, 1053, 1054, 1055, 1056, 1057, 1115, 1116, 1117, 1121,
                                      1122, 1124, 1125, 1127, 1128, 1129, 1134, 1255, 1256, 1257, 1258, 1259,
                                      1260, 1261, 1262, 1273, 1274, 1275, 1710, 1711, 1712};

int resultOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done: return 1;
    case Outcome::Failed: return 0;
    case Outcome::Cancelled: return -1;
    }
    return 0;
}

ImageSize imageSize(const App& app) { return {app.geometry.width, app.geometry.height}; }

// A picture was read into the image buffers: it is shown as the render window shows an image.
int pictureLoaded(WindowContext& ctx, int result)
{
    if (result == 1) {
        ctx.ui.renderStarted();
        ctx.ui.renderEnded();
    }
    return result;
}

// A palette was installed: the nearest-colour cache is void, and the next
// render keeps the palette until the colours change (or always, when locked).
int paletteLoaded(WindowContext& ctx, int result)
{
    if (result == 1) {
        resetPaletteMap(ctx.app.paletteMap);
        ctx.app.landscape.paletteStale = 0;
        ctx.ui.status(ctx.app.scene.render.paletteLocked != 0
                          ? "Palette loaded."
                          : "Palette loaded: lock the palette to keep it when the colours change.");
    }
    return result;
}

ImageFormat stillFormat(int index)
{
    constexpr ImageFormat formats[] = {ImageFormat::Pcx, ImageFormat::Targa, ImageFormat::Bmp, ImageFormat::Jpeg};
    return formats[index];
}

const std::string& directoryOf(const DefaultDirs& dirs, ImageFormat format)
{
    switch (format) {
    case ImageFormat::Targa: return dirs.targa;
    case ImageFormat::Bmp: return dirs.bmp;
    case ImageFormat::Jpeg: return dirs.jpeg;
    default: return dirs.pcx;
    }
}

} // namespace

// The ground colours of the whole map, at polygon size 1 (the file holds one per cell); false when aborted.
bool colourWholeMap(App& app, Frontend& ui)
{
    Landscape& land = app.landscape;
    const std::int32_t polygonSize = land.polygonSize;
    land.polygonSize = 1;
    const int result = prepareTerrain(land, app.scene, app.colouring, app.random, ui);
    land.polygonSize = polygonSize;
    return result == 1;
}

std::span<const int> fileCommandIds() { return kFileCommands; }

int runFileCommand(WindowContext& ctx, int id)
{
    App& app = ctx.app;
    Frontend& ui = ctx.ui;
    switch (id) {
    case 1050: // Load PCX, Targa, BMP, JPEG
    case 1051:
    case 1052:
    case 1053: {
        const ImageFormat format = stillFormat(id - 1050);
        if (format == ImageFormat::Pcx)
            return pictureLoaded(ctx, commandLoadPcx(ui, app.images.vidmem8, imageSize(app), app.palette, app.loadedImage,
                                                     app.dirs.pcx));
        return pictureLoaded(ctx, commandLoadImage(ui, format, app.images.vidmem24, imageSize(app), app.loadedImage,
                                                   directoryOf(app.dirs, format)));
    }
    case 1054: // Save PCX, Targa, BMP, JPEG
    case 1055:
    case 1056:
    case 1057: {
        const ImageFormat format = stillFormat(id - 1054);
        if (format == ImageFormat::Pcx)
            return commandSavePcx(ui, app.images.vidmem8, imageSize(app), app.palette, app.dirs.pcx);
        return commandSaveImage(ui, format, app.images.vidmem24, imageSize(app), app.scene.render, ui.shiftHeld(),
                                directoryOf(app.dirs, format));
    }
    case 1115: return landscapeChanged(ctx, resultOf(openLandscapeCommand(app, ui).outcome));
    case 1116: return landscapeChanged(ctx, resultOf(loadRegionCommand(app, ui)));
    case 1117:
        return landscapeChanged(ctx,
                                importBinaryCommand(app.landscape, app.scene, app.binaryImport, app.dirs.binary, ui));
    case 1121: return resultOf(loadSchemeCommand(app, ui));
    case 1122: return paletteLoaded(ctx, commandLoadPcxPalette(ui, app.palette, app.dirs.palette));
    case 1124: return resultOf(saveElevationsCommand(app, ui));
    case 1125: return resultOf(saveSessionCommand(app, ui, ui.shiftHeld()));
    case 1127: return exportAsciiZCommand(app.landscape, app.scene.render.box, app.dirs.landscape, ui);
    case 1128: return exportDxfCommand(app.landscape, app.scene.render.box, app.dxf, app.dirs.landscape, ui);
    case 1129:
        return commandSaveTextureMap(ui, app.images.vidmem24, app.landscape, app.scene.colourScheme,
                                     app.scene.render.box, app.scene.render.targaCompress != 0,
                                     [&] { return colourWholeMap(app, ui); }, app.dirs.targa);
    case 1134: return resultOf(saveSchemeCommand(app, ui));
    case 1257: return commandSaveElevationsPcx(ui, app.landscape, ctx.elevationPcx, ui.shiftHeld(), app.dirs.pcx);
    case 1258:
        return landscapeChanged(
            ctx, commandLoadElevationsPcx(ui, app.landscape, ctx.elevationPcx, ui.shiftHeld(), app.dirs.pcx));
    case 1259:
        return commandSaveGroundColoursPcx(ui, app.landscape, [&] { return colourWholeMap(app, ui); }, app.dirs.pcx);
    case 1260:
        return landscapeChanged(ctx, commandLoadGroundColoursPcx(ui, app.landscape, app.scene.colourScheme, app.dirs.pcx));
    case 1261: {
        // Asked only when there is an image: otherwise the conversion says there is none.
        std::optional<ViewConversion> how = ViewConversion::Intensity;
        if (app.images.vidmem8.allocated()) how = askViewConversion(ui);
        if (!how) return -1;
        return landscapeChanged(ctx, convertViewToAltitude(app.landscape, app.images, app.palette, *how, ui));
    }
    case 1262:
        return landscapeChanged(ctx, commandViewAsGroundColours(ui, app.images.vidmem8, app.palette, app.landscape,
                                                                app.scene.colourScheme));
    case 1255: return loadCloudPatternCommand(ui, app.scene.clouds.pattern, app.dirs.cloud);
    case 1256: return saveCloudPatternCommand(ui, app.scene.clouds.pattern, app.dirs.cloud);
    case 1273: return commandChooseBackground(ui, app.scene.render, app.dirs.background);
    case 1274: return commandChooseForeground(ui, app.scene.render, app.dirs.foreground);
    case 1275:
        return pictureLoaded(ctx, commandLoadStereo(ui, app.images.vidmem24, imageSize(app), app.loadedImage,
                                                    app.dirs.stereo));
    case 1710: return landscapeChanged(ctx, resultOf(importElevationsCommand(app, ui)));
    case 1711: return resultOf(exportElevationsCommand(app, ui));
    case 1712: {
        // The export marked the area on the map as it went, and may have worked out the ground colours.
        const int result = resultOf(exportMeshCommand(app, ui));
        refreshMap(ctx);
        ctx.input.present();
        return result;
    }
    default: return 0;
    }
}

} // namespace kalvenor
