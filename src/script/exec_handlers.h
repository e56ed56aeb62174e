// The handlers of the script keywords, grouped by what they change. Each takes
// a ScriptContext and returns 1, -1, or a frame-ending result; the interpreter
// applies the keyword's invalidation marks afterwards.
#pragma once

#include <cstdint>

#include "script/keyword_table.h"

namespace kalvenor {

// Results of executing a line beside 1 (done) and -1 (stop).
constexpr int kScriptRenderFrame = 1061;  // Render: render (and save) this frame
constexpr int kScriptRewriteFrame = 1062; // RewriteImage: save the current image again

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
int execLoadLandscape(ScriptContext& ctx);
int execLoadScheme(ScriptContext& ctx);
int execSaveLandscapeFile(ScriptContext& ctx);
int execLoadBinaryDem(ScriptContext& ctx);
int execExportDxf(ScriptContext& ctx);

// Image files (exec_image_files.cpp)
enum ImageFileKind : int { kImagePcx, kImageTarga, kImageBmp, kImageJpeg, kImagePng };
int execSaveImage(ScriptContext& ctx);
int execLoadImage(ScriptContext& ctx);
int execLoadStereoRedBlue(ScriptContext& ctx);

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
int execSmooth(ScriptContext& ctx);
int execStretch(ScriptContext& ctx);
int execErode(ScriptContext& ctx);
int execEnlarge(ScriptContext& ctx);
int execVerticalScale(ScriptContext& ctx);
int execSeaLevel(ScriptContext& ctx);
int execMakeRiver(ScriptContext& ctx);
int execMakeLake(ScriptContext& ctx);
int execManipulation(ScriptContext& ctx);

// Shared paths (exec_files.cpp)
int execComment(ScriptContext& ctx);
int execIgnored(ScriptContext& ctx);
int execUnknown(ScriptContext& ctx);
int execRender(ScriptContext& ctx);
int execRewriteImage(ScriptContext& ctx);
int execDefaultDir(ScriptContext& ctx);
int execSpawn(ScriptContext& ctx);
int execBeep(ScriptContext& ctx);
int execAutoSave(ScriptContext& ctx);
int execTemporary(ScriptContext& ctx);
int execExportAsciiZ(ScriptContext& ctx);

// Camera and lens (exec_camera.cpp)
int execCameraAxis(ScriptContext& ctx);
int execCameraXYZ(ScriptContext& ctx);
int execTargetAxis(ScriptContext& ctx);
int execTargetXYZ(ScriptContext& ctx);
int execCameraAngle(ScriptContext& ctx);
int execFieldOfView(ScriptContext& ctx);
int execFocalLength(ScriptContext& ctx);
int execLensDirection(ScriptContext& ctx);
int execStereoLens(ScriptContext& ctx);

// Sun, sky and render options (exec_render.cpp)
int execHaze(ScriptContext& ctx);
int execSunAngle(ScriptContext& ctx);
int execShadows(ScriptContext& ctx);
int execExaggeration(ScriptContext& ctx);
int execLightingRoughness(ScriptContext& ctx);
int execSky(ScriptContext& ctx);
int execHorizon(ScriptContext& ctx);
int execBlend(ScriptContext& ctx);
int execGouraud(ScriptContext& ctx);
int execBackFaceCulling(ScriptContext& ctx);
int execPolygonSize(ScriptContext& ctx);
int execDither(ScriptContext& ctx);
int execPixelDitherKind(ScriptContext& ctx);
int execPixelDither(ScriptContext& ctx);
int execTexture(ScriptContext& ctx);
int execImageSize(ScriptContext& ctx);
int execGrMode(ScriptContext& ctx);
int execDisplayMode(ScriptContext& ctx);
int execRedrawRate(ScriptContext& ctx);
int execBackgroundFile(ScriptContext& ctx);
int execForegroundFile(ScriptContext& ctx);
int execBackground(ScriptContext& ctx);
int execForeground(ScriptContext& ctx);

// Landscape (exec_landscape.cpp)
int execNewPalette(ScriptContext& ctx);
int execGenerateFractal(ScriptContext& ctx);
int execFractalize(ScriptContext& ctx);
int execFractalRoughness(ScriptContext& ctx);
int execFeatureSize(ScriptContext& ctx);
int execIslandMode(ScriptContext& ctx);
int execSetAltitude(ScriptContext& ctx);
int execLandscapeSize(ScriptContext& ctx);
int execWave(ScriptContext& ctx);

// Terrain colouring and colours (exec_colour.cpp)
int execTreeLine(ScriptContext& ctx);
int execSnowLine(ScriptContext& ctx);
int execCliffThreshold(ScriptContext& ctx);
int execCliffs(ScriptContext& ctx);
int execPaletteLock(ScriptContext& ctx);
int execExposure(ScriptContext& ctx);
int execContrast(ScriptContext& ctx);
int execSetColor(ScriptContext& ctx);
int execSetColorUnderTree(ScriptContext& ctx);

// Trees and clouds (exec_trees.cpp)
int execTrees(ScriptContext& ctx);
int execTreeSolid(ScriptContext& ctx);
int execTreeDetail(ScriptContext& ctx);
int execTreeTexture(ScriptContext& ctx);
int execTreeLeaves(ScriptContext& ctx);
int execMeanTreeSize(ScriptContext& ctx);
int execTreeKindSize(ScriptContext& ctx);
int execMeanTreeDensity(ScriptContext& ctx);
int execTreeClassDensity(ScriptContext& ctx);
int execTreeNone(ScriptContext& ctx);
int execTreeClassNone(ScriptContext& ctx);
int execTreeKindAll(ScriptContext& ctx);
int execTreeKindOn(ScriptContext& ctx);
int execTreeKindOff(ScriptContext& ctx);
int execClouds(ScriptContext& ctx);
int execCloudDensity(ScriptContext& ctx);
int execCloudHardness(ScriptContext& ctx);
int execCloudAltitude(ScriptContext& ctx);
int execCloudTexture(ScriptContext& ctx);
int execCloudNumber(ScriptContext& ctx);
int execCloudRandom(ScriptContext& ctx);
int execCloudLoad(ScriptContext& ctx);
int execCloudSave(ScriptContext& ctx);
int execCloudsFromLandscape(ScriptContext& ctx);
int execCloudSize(ScriptContext& ctx);

// exec_textures.cpp
int execTextureLoad(ScriptContext& ctx);

} // namespace kalvenor
