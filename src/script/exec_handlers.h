// The handlers of the script keywords, grouped by what they change. Each takes
// a ScriptContext and returns Done, Stop, or a frame-ending result; the
// interpreter applies the keyword's invalidation marks afterwards.
#pragma once

#include <cstdint>

#include "codecs/image_formats.h"
#include "script/keyword_table.h"

namespace kalvenor {

// Arguments converted to the type of the setting they go to.
inline std::int32_t intArg(const ScriptContext& ctx, int i = 0)
{
    return toInt32(ctx.args.number[static_cast<std::size_t>(i)]);
}
inline float floatArg(const ScriptContext& ctx, int i = 0) { return ctx.args.single[static_cast<std::size_t>(i)]; }

// Parameters of the texture keywords: kind in the high nibble, level in the low one.
enum TextureKindId : int { kTextureOff = 0, kTextureAltitude = 1, kTextureShade = 2 };
constexpr int textureParam(int kind, int level) { return kind * 16 + level; }

// Parameters of the per-class tree kind keywords: class index and kind bit.
constexpr int treeParam(int treeClass, int kindBit) { return treeClass * 256 + kindBit; }

enum PixelDitherKindId : int { kPixelDitherOrdered = 1, kPixelDitherRandom = 2 };

// The requester families of the DefaultDir keywords.
enum DirFamily : int {
    kDirLandscape,
    kDirScheme,
    kDirCloud,
    kDirBinary,
    kDirPalette,
    kDirPcx,
    kDirTarga,
    kDirBmp,
    kDirJpeg,
    kDirScript,
    kDirAnimation,
    kDirForeground,
    kDirBackground,
    kDirStereo,
    kDirImageQuality,
    kDirTexture,
    kDirBatch,
};

// Landscape and scheme files (exec_landscape_files.cpp)
enum SaveLandscapeKind : int { kSaveDem, kSaveSession, kSaveScheme };
LineResult execLoadLandscape(ScriptContext& ctx);
LineResult execLoadScheme(ScriptContext& ctx);
LineResult execSaveLandscapeFile(ScriptContext& ctx);
LineResult execLoadBinaryDem(ScriptContext& ctx);
LineResult execExportDxf(ScriptContext& ctx);

// Elevation rasters and meshes of other programs (exec_interchange.cpp)
LineResult execImportElevations(ScriptContext& ctx);
LineResult execExportElevations(ScriptContext& ctx);
LineResult execExportMesh(ScriptContext& ctx);

// Image files (exec_image_files.cpp)
// Parameters of the image keywords: the format's row in the image format table.
constexpr int imageParam(ImageFormat format) { return static_cast<int>(format); }
LineResult execSaveImage(ScriptContext& ctx);
LineResult execLoadImage(ScriptContext& ctx);
LineResult execLoadStereoRedBlue(ScriptContext& ctx);

// Landscape editing (exec_editing.cpp)
enum EditId : int {
    kEditEnlargeAll,
    kEditShrink,
    kEditRotate,
    kEditFlipVertical,
    kEditFlipHorizontal,
    kEditSwapQuads,
    kEditCloudify,
    kEditRemoveSteps,
};
LineResult execSmooth(ScriptContext& ctx);
LineResult execStretch(ScriptContext& ctx);
LineResult execErode(ScriptContext& ctx);
LineResult execEnlarge(ScriptContext& ctx);
LineResult execVerticalScale(ScriptContext& ctx);
LineResult execSeaLevel(ScriptContext& ctx);
LineResult execMakeRiver(ScriptContext& ctx);
LineResult execMakeLake(ScriptContext& ctx);
LineResult execManipulation(ScriptContext& ctx);

// Shared paths (exec_files.cpp)
LineResult execComment(ScriptContext& ctx);
LineResult execIgnored(ScriptContext& ctx);
LineResult execUnknown(ScriptContext& ctx);
LineResult execRender(ScriptContext& ctx);
LineResult execRewriteImage(ScriptContext& ctx);
LineResult execDefaultDir(ScriptContext& ctx);
LineResult execSpawn(ScriptContext& ctx);
LineResult execExportAsciiZ(ScriptContext& ctx);

// Camera and lens (exec_camera.cpp)
LineResult execCameraAxis(ScriptContext& ctx);
LineResult execCameraXYZ(ScriptContext& ctx);
LineResult execTargetAxis(ScriptContext& ctx);
LineResult execTargetXYZ(ScriptContext& ctx);
LineResult execCameraAngle(ScriptContext& ctx);
LineResult execFieldOfView(ScriptContext& ctx);
LineResult execFocalLength(ScriptContext& ctx);

// Sun, sky and render options (exec_render.cpp)
LineResult execSunAngle(ScriptContext& ctx);
LineResult execShadows(ScriptContext& ctx);
LineResult execExaggeration(ScriptContext& ctx);
LineResult execLightingRoughness(ScriptContext& ctx);
LineResult execPolygonSize(ScriptContext& ctx);
LineResult execDither(ScriptContext& ctx);
LineResult execPixelDitherKind(ScriptContext& ctx);
LineResult execTexture(ScriptContext& ctx);
LineResult execImageSize(ScriptContext& ctx);
LineResult execGrMode(ScriptContext& ctx);
LineResult execRedrawRate(ScriptContext& ctx);
LineResult execThreads(ScriptContext& ctx);
LineResult execBackgroundFile(ScriptContext& ctx);
LineResult execForegroundFile(ScriptContext& ctx);

// Landscape (exec_landscape.cpp)
LineResult execNewPalette(ScriptContext& ctx);
LineResult execGenerateFractal(ScriptContext& ctx);
LineResult execFractalize(ScriptContext& ctx);
LineResult execSetAltitude(ScriptContext& ctx);
LineResult execLandscapeSize(ScriptContext& ctx);
LineResult execWave(ScriptContext& ctx);

// Settings the panels reach, for batch runs (exec_render.cpp, exec_colour.cpp)
enum LightingSwitch : int { kSwitchPhong = 0, kSwitchAutoExposure = 2 }; // + 1 switches on
enum ValleyParam : int { kValleySwitch = 0, kValleyWidth = 2, kValleyStrength = 3 };
enum StrataParam : int { kStrataOff, kStrataOn, kStrataThickness, kStrataWarp };
LineResult execAntialias(ScriptContext& ctx);
LineResult execLightingSwitch(ScriptContext& ctx);
LineResult execPaletteColours(ScriptContext& ctx);
LineResult execValley(ScriptContext& ctx);
LineResult execStrata(ScriptContext& ctx);
LineResult execBodyPosition(ScriptContext& ctx);
LineResult execBoundingBox(ScriptContext& ctx);

// Camera paths: the operation in the parameter; the characteristics follow
// kPathCharacteristic in the order of PathCharacteristic.
enum PathOperation : int {
    kPathNew,
    kPathNode,
    kPathVehicle,
    kPathClosedOn,
    kPathClosedOff,
    kPathExport,
    kPathLiftOn,
    kPathLiftOff,
    kPathAppendCamera,
    kPathStraightFlight,
    kPathNodeAltitude,
    kPathNodeSpeed,
    kPathNodeTarget,
    kPathNodeTargetOff,
    kPathNodeRoll,
    kPathRender,
    kPathCharacteristic = 32,
};
LineResult execPath(ScriptContext& ctx);

// Terrain colouring and colours (exec_colour.cpp)
LineResult execTreeLine(ScriptContext& ctx);
LineResult execSnowLine(ScriptContext& ctx);
LineResult execCliffThreshold(ScriptContext& ctx);
LineResult execCliffs(ScriptContext& ctx);
LineResult execExposure(ScriptContext& ctx);
LineResult execContrast(ScriptContext& ctx);
LineResult execSetColor(ScriptContext& ctx);
LineResult execSetColorUnderTree(ScriptContext& ctx);

// Trees and clouds (exec_trees.cpp)
LineResult execTreeDetail(ScriptContext& ctx);
LineResult execTreeTexture(ScriptContext& ctx);
LineResult execTreeLeaves(ScriptContext& ctx);
LineResult execMeanTreeSize(ScriptContext& ctx);
LineResult execTreeKindSize(ScriptContext& ctx);
LineResult execMeanTreeDensity(ScriptContext& ctx);
LineResult execTreeClassDensity(ScriptContext& ctx);
LineResult execTreeNone(ScriptContext& ctx);
LineResult execTreeClassNone(ScriptContext& ctx);
LineResult execTreeKindAll(ScriptContext& ctx);
LineResult execTreeKindOn(ScriptContext& ctx);
LineResult execTreeKindOff(ScriptContext& ctx);
LineResult execCloudDensity(ScriptContext& ctx);
LineResult execCloudHardness(ScriptContext& ctx);
LineResult execCloudTexture(ScriptContext& ctx);
LineResult execCloudNumber(ScriptContext& ctx);
LineResult execCloudRandom(ScriptContext& ctx);
LineResult execCloudLoad(ScriptContext& ctx);
LineResult execCloudSave(ScriptContext& ctx);
LineResult execCloudsFromLandscape(ScriptContext& ctx);
LineResult execCloudSize(ScriptContext& ctx);

// exec_textures.cpp
LineResult execTextureLoad(ScriptContext& ctx);
LineResult execCameraSeparation(ScriptContext& ctx);
LineResult execBranchBending(ScriptContext& ctx);
LineResult execSampleSpacing(ScriptContext& ctx);
LineResult execPlaceObject(ScriptContext& ctx);
LineResult execPlaceRoad(ScriptContext& ctx);

} // namespace kalvenor
