#include "script/keyword_table.h"

#include <algorithm>
#include <array>

#include "base/frontend.h"
#include "base/paths.h"
#include "codecs/jpeg.h"
#include "model/landscape.h"
#include "model/scene_settings.h"
#include "path/path_edit.h"
#include "script/exec_handlers.h"
#include "terrain/invalidation.h"

namespace kalvenor {

namespace {

// The settings that keywords store as they are, one accessor each.
constexpr std::int32_t& cameraLensDirection(SceneSettings& s) { return s.camera.lensDirection; }
constexpr std::int32_t& cameraStereoLens(SceneSettings& s) { return s.camera.stereoLens; }
constexpr std::int32_t& cloudsClouds(SceneSettings& s) { return s.clouds.clouds; }
constexpr std::int32_t& cloudsAltitude(SceneSettings& s) { return s.clouds.altitude; }
constexpr std::int32_t& renderPaletteLocked(SceneSettings& s) { return s.render.paletteLocked; }
constexpr std::int32_t& scriptBeep(SceneSettings& s) { return s.script.beep; }
constexpr std::int32_t& scriptSaveFrames(SceneSettings& s) { return s.script.saveFrames; }
constexpr std::int32_t& scriptTemporary(SceneSettings& s) { return s.script.temporary; }
constexpr std::int32_t& generationRoughness(SceneSettings& s) { return s.generation.roughness; }
constexpr std::int32_t& generationFeatureSize(SceneSettings& s) { return s.generation.featureSize; }
constexpr std::int32_t& generationIslandMode(SceneSettings& s) { return s.generation.islandMode; }
constexpr std::int32_t& skyHaze(SceneSettings& s) { return s.sky.haze; }
constexpr std::int32_t& skySky(SceneSettings& s) { return s.sky.sky; }
constexpr std::int32_t& skyHorizon(SceneSettings& s) { return s.sky.horizon; }
constexpr std::int32_t& renderBlend(SceneSettings& s) { return s.render.blend; }
constexpr std::int32_t& renderGouraud(SceneSettings& s) { return s.render.gouraud; }
constexpr std::int32_t& renderBackFaceCulling(SceneSettings& s) { return s.render.backFaceCulling; }
constexpr std::int32_t& renderPixelDither(SceneSettings& s) { return s.render.pixelDither; }
constexpr std::int32_t& renderDisplayMode(SceneSettings& s) { return s.render.displayMode; }
constexpr std::int32_t& renderBackground(SceneSettings& s) { return s.render.background; }
constexpr std::int32_t& renderForeground(SceneSettings& s) { return s.render.foreground; }
constexpr std::int32_t& treesTrees(SceneSettings& s) { return s.trees.trees; }
constexpr std::int32_t& treesSolid(SceneSettings& s) { return s.trees.solid; }
constexpr std::int32_t& renderAntialiasType(SceneSettings& s) { return s.render.antialiasType; }
constexpr std::int32_t& renderFlare(SceneSettings& s) { return s.render.flare; }
constexpr std::int32_t& renderDistanceLimit(SceneSettings& s) { return s.render.distanceLimit; }
constexpr std::int32_t& renderJpegQuality(SceneSettings& s) { return s.render.jpegQuality; }
constexpr std::int32_t& renderPngLevel(SceneSettings& s) { return s.render.pngLevel; }
constexpr std::int32_t& renderTargaCompress(SceneSettings& s) { return s.render.targaCompress; }
constexpr std::int32_t& skyStarsAndMoon(SceneSettings& s) { return s.sky.sunMoon.starsAndMoon; }
constexpr std::int32_t& skySunSize(SceneSettings& s) { return s.sky.sunMoon.sunSize; }
constexpr std::int32_t& skyMoonSize(SceneSettings& s) { return s.sky.sunMoon.moonSize; }
constexpr std::int32_t& cloudsLining(SceneSettings& s) { return s.clouds.lining; }
constexpr std::int32_t& cameraLockX(SceneSettings& s) { return s.camera.lockX; }
constexpr std::int32_t& cameraLockY(SceneSettings& s) { return s.camera.lockY; }
constexpr std::int32_t& cameraLockZ(SceneSettings& s) { return s.camera.lockZ; }
constexpr std::int32_t& cameraStereoShift(SceneSettings& s) { return s.camera.stereoShift; }
constexpr std::int32_t& wavesEnabled(SceneSettings& s) { return s.waves.enabled; }
constexpr std::int32_t& textureDeformation(SceneSettings& s) { return s.texture.horizontalDeformation; }
constexpr std::int32_t& textureDetailLarge(SceneSettings& s) { return s.texture.detailLarge; }
constexpr std::int32_t& textureDetailSmall(SceneSettings& s) { return s.texture.detailSmall; }

// A keyword that stores its parameter, or its argument as a 32-bit integer, in one setting.
constexpr Keyword storeParam(std::string_view name, int code, SettingField field, int param, bool extension = false)
{
    return {name, code, ArgPattern::None, nullptr, param, 0, extension, field, SettingSource::Param};
}
constexpr Keyword storeArgument(std::string_view name, int code, ArgPattern pattern, SettingField field)
{
    return {name, code, pattern, nullptr, 0, 0, false, field, SettingSource::Argument};
}
// One of our keywords that stores its argument when it lies in least .. most.
constexpr Keyword storeRange(std::string_view name, int code, SettingField field, std::int32_t least, std::int32_t most)
{
    return {name, code, ArgPattern::Number, nullptr, 0, 0, true, field, SettingSource::Argument, least, most};
}

// In table order: the first entry that matches a word wins. Aliases share a
// code. The last entries are our extensions.
constexpr Keyword kKeywords[] = {
    // Camera, view and lens
    {"Rem", 1000, ArgPattern::None, execComment, 0, 0},
    {";", 1000, ArgPattern::None, execComment, 0, 0},
    {"Render", 1001, ArgPattern::None, execRender, 0, 0},
    {"CameraX", 1002, ArgPattern::Number, execCameraAxis, 0, 0},
    {"CameraY", 1003, ArgPattern::Number, execCameraAxis, 1, 0},
    {"CameraZ", 1004, ArgPattern::Number, execCameraAxis, 2, 0},
    {"CameraXYZ", 1005, ArgPattern::ThreeNumbers, execCameraXYZ, 0, 0},
    {"TargetX", 1006, ArgPattern::Number, execTargetAxis, 0, 0},
    {"TargetY", 1007, ArgPattern::Number, execTargetAxis, 1, 0},
    {"TargetZ", 1008, ArgPattern::Number, execTargetAxis, 2, 0},
    {"TargetXYZ", 1009, ArgPattern::ThreeNumbers, execTargetXYZ, 0, 0},
    {"Bank", 1010, ArgPattern::Number, execCameraAngle, 0, 0},
    {"Heading", 1011, ArgPattern::Number, execCameraAngle, 1, 0},
    {"Pitch", 1012, ArgPattern::Number, execCameraAngle, 2, 0},
    {"FieldOfView", 1013, ArgPattern::Number, execFieldOfView, 0, 0},
    {"FocalLength", 1014, ArgPattern::Number, execFocalLength, 0, 0},
    storeParam("LensForward", 1015, cameraLensDirection, kLensForward),
    storeParam("LensPort", 1016, cameraLensDirection, kLensPort),
    storeParam("LensStarboard", 1017, cameraLensDirection, kLensStarboard),
    storeParam("LensLeft", 1018, cameraStereoLens, kLensLeft),
    storeParam("LensCenter", 1019, cameraStereoLens, kLensCenter),
    storeParam("LensRight", 1020, cameraStereoLens, kLensRight),
    // Sun, sky, shading and render options
    storeArgument("Haze", 1021, ArgPattern::Number, skyHaze),
    {"SunAzimuth", 1022, ArgPattern::Number, execSunAngle, 0, 0},
    {"SunDeclination", 1023, ArgPattern::Number, execSunAngle, 1, 0},
    {"ShadowsOn", 1024, ArgPattern::None, execShadows, 1, 0},
    {"ShadowsOff", 1025, ArgPattern::None, execShadows, 0, 0},
    {"ExagerationOn", 1026, ArgPattern::None, execExaggeration, 1, 0},
    {"ExaggerationOn", 1026, ArgPattern::None, execExaggeration, 1, 0},
    {"ExagerationOff", 1027, ArgPattern::None, execExaggeration, 0, 0},
    {"ExaggerationOff", 1027, ArgPattern::None, execExaggeration, 0, 0},
    {"LightingRoughness", 1028, ArgPattern::Number, execLightingRoughness, 0, 0},
    storeParam("SkyOn", 1029, skySky, 1),
    storeParam("SkyOff", 1030, skySky, 0),
    storeParam("HorizonOn", 1031, skyHorizon, 1),
    storeParam("HorizonOff", 1032, skyHorizon, 0),
    storeParam("BlendOn", 1033, renderBlend, 1),
    storeParam("BlendOff", 1034, renderBlend, 0),
    storeParam("GShadeOn", 1035, renderGouraud, 1),
    storeParam("GShadeOff", 1036, renderGouraud, 0),
    storeParam("BackFaceCullingOn", 1037, renderBackFaceCulling, 1),
    storeParam("BackFaceCullingOff", 1038, renderBackFaceCulling, 0),
    {"PolygonSize1", 1039, ArgPattern::None, execPolygonSize, 1, 0},
    {"PolygonSize2", 1040, ArgPattern::None, execPolygonSize, 2, 0},
    {"PolygonSize4", 1041, ArgPattern::None, execPolygonSize, 4, 0},
    {"PolygonSize8", 1042, ArgPattern::None, execPolygonSize, 8, 0},
    {"Dither", 1043, ArgPattern::Number, execDither, 0, 0},
    {"PixelDitherRandom", 1044, ArgPattern::Number, execPixelDitherKind, kPixelDitherRandom, 0},
    {"PixelDitherOrdered", 1045, ArgPattern::Number, execPixelDitherKind, kPixelDitherOrdered, 0},
    storeArgument("PixelDither", 1046, ArgPattern::Number, renderPixelDither),
    {"TextureOff", 1047, ArgPattern::None, execTexture, textureParam(kTextureOff, 0), 0},
    {"ShadeTextureOff", 1047, ArgPattern::None, execTexture, textureParam(kTextureOff, 0), 0},
    {"AltitudeTextureOff", 1047, ArgPattern::None, execTexture, textureParam(kTextureOff, 0), 0},
    {"AltitudeTextureLow", 1048, ArgPattern::None, execTexture, textureParam(kTextureAltitude, 1), 0},
    {"AltitudeTextureMedium", 1049, ArgPattern::None, execTexture, textureParam(kTextureAltitude, 2), 0},
    {"AltitudeTextureHigh", 1050, ArgPattern::None, execTexture, textureParam(kTextureAltitude, 3), 0},
    {"AltitudeTextureUltra", 1051, ArgPattern::None, execTexture, textureParam(kTextureAltitude, 4), 0},
    {"ShadeTextureLow", 1052, ArgPattern::None, execTexture, textureParam(kTextureShade, 1), 0},
    {"ShadeTextureMedium", 1053, ArgPattern::None, execTexture, textureParam(kTextureShade, 2), 0},
    {"ShadeTextureHigh", 1054, ArgPattern::None, execTexture, textureParam(kTextureShade, 3), 0},
    {"ImageSize", 1055, ArgPattern::TwoNumbers, execImageSize, 0, 0},
    {"GrModeVga320x200", 1056, ArgPattern::None, execGrMode, 1, 0},
    {"GrModeVesa640x400", 1057, ArgPattern::None, execGrMode, 2, 0},
    {"GrModeVesa640x480", 1058, ArgPattern::None, execGrMode, 3, 0},
    {"GrModeVesa800x600", 1059, ArgPattern::None, execGrMode, 4, 0},
    {"GrModeVesa1024x768", 1060, ArgPattern::None, execGrMode, 5, 0},
    {"GrModeVesa1280x1024", 1061, ArgPattern::None, execGrMode, 6, 0},
    storeParam("EnableScreen", 1062, renderDisplayMode, 1),
    storeParam("DisableScreen", 1063, renderDisplayMode, 0),
    {"RedrawRate", 1064, ArgPattern::Integer, execRedrawRate, 0, 0},
    {"BackgroundFile", 1065, ArgPattern::Word, execBackgroundFile, 0, 0},
    {"ForegroundFile", 1066, ArgPattern::Word, execForegroundFile, 0, 0},
    storeParam("BackgroundOn", 1067, renderBackground, 1),
    storeParam("BackgroundOff", 1068, renderBackground, 0),
    storeParam("ForegroundOn", 1069, renderForeground, 1),
    storeParam("ForegroundOff", 1070, renderForeground, 0),
    // Landscape
    {"LoadDEM", 1071, ArgPattern::Word, execLoadLandscape, 0, kMarkAll},
    {"LoadLandscape", 1071, ArgPattern::Word, execLoadLandscape, 0, kMarkAll},
    {"LoadBinaryDEM", 1072, ArgPattern::WordTwoNumbers, execLoadBinaryDem, 0, kMarkAll},
    {"LoadCMap", 1073, ArgPattern::Word, execLoadScheme, 0, kMarkP},
    {"LoadScheme", 1073, ArgPattern::Word, execLoadScheme, 0, kMarkP},
    {"NewPalette", 1074, ArgPattern::None, execNewPalette, 0, kMarkP},
    {"GenerateFractal", 1075, ArgPattern::Number, execGenerateFractal, 0, 0},
    {"Fractalize", 1076, ArgPattern::None, execFractalize, 0, 0},
    storeArgument("FractalDimension", 1077, ArgPattern::Number, generationRoughness),
    storeArgument("FractalRoughness", 1077, ArgPattern::Number, generationRoughness),
    storeParam("FractalDivisor1", 1078, generationFeatureSize, 1),
    storeParam("FeatureSize1", 1078, generationFeatureSize, 1),
    storeParam("FractalDivisor2", 1079, generationFeatureSize, 2),
    storeParam("FeatureSize2", 1079, generationFeatureSize, 2),
    storeParam("FractalDivisor4", 1080, generationFeatureSize, 4),
    storeParam("FeatureSize4", 1080, generationFeatureSize, 4),
    storeParam("FractalDivisor8", 1081, generationFeatureSize, 8),
    storeParam("FeatureSize8", 1081, generationFeatureSize, 8),
    storeParam("IslandModeOn", 1082, generationIslandMode, 1),
    storeParam("IslandModeOff", 1083, generationIslandMode, 0),
    {"Smooth", 1084, ArgPattern::None, execSmooth, 0, 0},
    {"Stretch", 1085, ArgPattern::None, execStretch, 0, 0},
    {"Erode", 1086, ArgPattern::Number, execErode, 0, 0},
    {"Enlarge", 1087, ArgPattern::ThreeNumbers, execEnlarge, 0, 0},
    {"VerticalScale", 1088, ArgPattern::Number, execVerticalScale, 0, 0},
    {"SeaLevel", 1089, ArgPattern::TwoNumbers, execSeaLevel, 0, 0},
    {"MakeRiver", 1090, ArgPattern::TwoNumbers, execMakeRiver, 0, 0},
    {"MakeLake", 1091, ArgPattern::ThreeNumbers, execMakeLake, 0, 0},
    {"SetAltitude", 1092, ArgPattern::ThreeNumbers, execSetAltitude, 0, kMarkS | kMarkC},
    {"LandscapeSizeAuto", 1093, ArgPattern::None, execLandscapeSize, kSizeAutomatic, kMarkAll},
    {"LandscapeSizeSmall", 1094, ArgPattern::None, execLandscapeSize, kSizeSmall, kMarkAll},
    {"LandscapeSizeLarge", 1095, ArgPattern::None, execLandscapeSize, kSizeLarge, kMarkAll},
    {"LandscapeSizeHuge", 1096, ArgPattern::None, execLandscapeSize, kSizeHuge, kMarkAll},
    {"WaveSource", 1097, ArgPattern::Number, execWave, 0, 0},
    {"WaveLength", 1098, ArgPattern::Number, execWave, 1, 0},
    {"WaveSpeed", 1099, ArgPattern::Number, execWave, 2, 0},
    {"WaveAmplitude", 1100, ArgPattern::Number, execWave, 3, 0},
    {"WavePhase", 1101, ArgPattern::Number, execWave, 4, 0},
    // Terrain colouring and colours
    {"TreeLine", 1102, ArgPattern::Number, execTreeLine, 0, 0},
    {"SnowLine", 1103, ArgPattern::Number, execSnowLine, 0, 0},
    {"CliffThreshold", 1104, ArgPattern::Number, execCliffThreshold, 0, 0},
    {"EnableCliffs", 1105, ArgPattern::None, execCliffs, 1, 0},
    {"DisableCliffs", 1106, ArgPattern::None, execCliffs, 0, 0},
    storeParam("LockPalette", 1107, renderPaletteLocked, 1),
    storeParam("LockUnPalette", 1108, renderPaletteLocked, 0),
    storeParam("UnLockPalette", 1108, renderPaletteLocked, 0),
    {"SetColorExposure", 1109, ArgPattern::Number, execExposure, 0, 0},
    {"SetColorBrightness", 1109, ArgPattern::Number, execExposure, 0, 0},
    {"SetColorContrast", 1110, ArgPattern::Number, execContrast, 0, 0},
    {"SetColorSkyHaze", 1111, ArgPattern::ThreeNumbers, execSetColor, 25, kMarkP},
    {"SetColorHaze", 1112, ArgPattern::ThreeNumbers, execSetColor, 26, kMarkP},
    {"SetColorHorizon", 1113, ArgPattern::ThreeNumbers, execSetColor, 32, kMarkP},
    {"SetColorSky", 1114, ArgPattern::ThreeNumbers, execSetColor, 33, kMarkP},
    {"SetColorTree1", 1115, ArgPattern::ThreeNumbers, execSetColor, 34, kMarkP},
    {"SetColorPalm", 1115, ArgPattern::ThreeNumbers, execSetColor, 34, kMarkP},
    {"SetColorTree2", 1116, ArgPattern::ThreeNumbers, execSetColor, 35, kMarkP},
    {"SetColorOak", 1116, ArgPattern::ThreeNumbers, execSetColor, 35, kMarkP},
    {"SetColorTree3", 1117, ArgPattern::ThreeNumbers, execSetColor, 36, kMarkP},
    {"SetColorCactus", 1117, ArgPattern::ThreeNumbers, execSetColor, 36, kMarkP},
    {"SetColorTree4", 1118, ArgPattern::ThreeNumbers, execSetColor, 37, kMarkP},
    {"SetColorPine", 1118, ArgPattern::ThreeNumbers, execSetColor, 37, kMarkP},
    {"SetColorBare1", 1119, ArgPattern::ThreeNumbers, execSetColor, 38, kMarkP},
    {"SetColorBare2", 1120, ArgPattern::ThreeNumbers, execSetColor, 39, kMarkP},
    {"SetColorBare3", 1121, ArgPattern::ThreeNumbers, execSetColor, 40, kMarkP},
    {"SetColorBare4", 1122, ArgPattern::ThreeNumbers, execSetColor, 41, kMarkP},
    {"SetColorSnow1", 1123, ArgPattern::ThreeNumbers, execSetColor, 42, kMarkP},
    {"SetColorSnow2", 1124, ArgPattern::ThreeNumbers, execSetColor, 43, kMarkP},
    {"SetColorSnow3", 1125, ArgPattern::ThreeNumbers, execSetColor, 44, kMarkP},
    {"SetColorSnow4", 1126, ArgPattern::ThreeNumbers, execSetColor, 45, kMarkP},
    {"SetColorCliff1", 1127, ArgPattern::ThreeNumbers, execSetColor, 46, kMarkP},
    {"SetColorCliff2", 1128, ArgPattern::ThreeNumbers, execSetColor, 47, kMarkP},
    {"SetColorCliff3", 1129, ArgPattern::ThreeNumbers, execSetColor, 48, kMarkP},
    {"SetColorCliff4", 1130, ArgPattern::ThreeNumbers, execSetColor, 49, kMarkP},
    {"SetColorBeach", 1131, ArgPattern::ThreeNumbers, execSetColor, 50, kMarkP},
    {"SetColorWater1", 1132, ArgPattern::ThreeNumbers, execSetColor, 51, kMarkP},
    {"SetColorWater2", 1133, ArgPattern::ThreeNumbers, execSetColor, 52, kMarkP},
    {"SetColorWater3", 1134, ArgPattern::ThreeNumbers, execSetColor, 53, kMarkP},
    {"SetColorWater4", 1135, ArgPattern::ThreeNumbers, execSetColor, 54, kMarkP},
    {"SetColorWater5", 1136, ArgPattern::ThreeNumbers, execSetColor, 55, kMarkP},
    {"SetColorUnderTree1", 1137, ArgPattern::ThreeNumbers, execSetColorUnderTree, 56, kMarkP},
    {"SetColorUnderTree2", 1138, ArgPattern::ThreeNumbers, execSetColorUnderTree, 57, kMarkP},
    {"SetColorUnderTree3", 1139, ArgPattern::ThreeNumbers, execSetColorUnderTree, 58, kMarkP},
    {"SetColorUnderTree4", 1140, ArgPattern::ThreeNumbers, execSetColorUnderTree, 59, kMarkP},
    // From the bark on, the entries are those the renderer reads: bark 64..67,
    // houses 68..71, ground under houses 72..75, clouds 76, roads 88..91.
    {"SetColorBark1", 1141, ArgPattern::ThreeNumbers, execSetColor, 64, kMarkP},
    {"SetColorPalmBark", 1141, ArgPattern::ThreeNumbers, execSetColor, 64, kMarkP},
    {"SetColorBark2", 1142, ArgPattern::ThreeNumbers, execSetColor, 65, kMarkP},
    {"SetColorOakBark", 1142, ArgPattern::ThreeNumbers, execSetColor, 65, kMarkP},
    {"SetColorBark3", 1143, ArgPattern::ThreeNumbers, execSetColor, 66, kMarkP},
    {"SetColorCactusBark", 1143, ArgPattern::ThreeNumbers, execSetColor, 66, kMarkP},
    {"SetColorBark4", 1144, ArgPattern::ThreeNumbers, execSetColor, 67, kMarkP},
    {"SetColorPineBark", 1144, ArgPattern::ThreeNumbers, execSetColor, 67, kMarkP},
    {"SetColorHouse1", 1145, ArgPattern::ThreeNumbers, execSetColor, 68, kMarkP},
    {"SetColorHouse2", 1146, ArgPattern::ThreeNumbers, execSetColor, 69, kMarkP},
    {"SetColorHouse3", 1147, ArgPattern::ThreeNumbers, execSetColor, 70, kMarkP},
    {"SetColorHouse4", 1148, ArgPattern::ThreeNumbers, execSetColor, 71, kMarkP},
    {"SetColorUnderHouse1", 1149, ArgPattern::ThreeNumbers, execSetColor, 72, kMarkP},
    {"SetColorUnderHouse2", 1150, ArgPattern::ThreeNumbers, execSetColor, 73, kMarkP},
    {"SetColorUnderHouse3", 1151, ArgPattern::ThreeNumbers, execSetColor, 74, kMarkP},
    {"SetColorUnderHouse4", 1152, ArgPattern::ThreeNumbers, execSetColor, 75, kMarkP},
    {"SetColorCloud", 1153, ArgPattern::ThreeNumbers, execSetColor, 76, kMarkP},
    {"SetColorRoad", 1154, ArgPattern::ThreeNumbers, execSetColor, 88, kMarkP},
    {"SetColorRoad1", 1154, ArgPattern::ThreeNumbers, execSetColor, 88, kMarkP},
    {"SetColorRoad2", 1155, ArgPattern::ThreeNumbers, execSetColor, 89, kMarkP},
    {"SetColorRoad3", 1156, ArgPattern::ThreeNumbers, execSetColor, 90, kMarkP},
    {"SetColorRoad4", 1157, ArgPattern::ThreeNumbers, execSetColor, 91, kMarkP},
    // Trees and clouds
    storeParam("TreeOn", 1158, treesTrees, 1),
    storeParam("TreeOff", 1159, treesTrees, 0),
    storeParam("Tree2D", 1160, treesSolid, 0),
    storeParam("Tree3D", 1161, treesSolid, 1),
    {"TreeDetailLow", 1162, ArgPattern::None, execTreeDetail, -1, 0},
    {"TreeDetailMedium", 1163, ArgPattern::None, execTreeDetail, 0, 0},
    {"TreeDetailHigh", 1164, ArgPattern::None, execTreeDetail, 1, 0},
    {"TreeDetailUltra", 1165, ArgPattern::None, execTreeDetail, 2, 0},
    {"TreeTextureOn", 1166, ArgPattern::None, execTreeTexture, 2, 0},
    {"TreeTextureOff", 1167, ArgPattern::None, execTreeTexture, 0, 0},
    {"TreeLeavesOn", 1168, ArgPattern::None, execTreeLeaves, 1, 0},
    {"TreeLeavesOff", 1169, ArgPattern::None, execTreeLeaves, 0, 0},
    {"TreeSize", 1170, ArgPattern::Number, execMeanTreeSize, 0, 0},
    {"MeanTreeSize", 1170, ArgPattern::Number, execMeanTreeSize, 0, 0},
    {"TreePalmSize", 1171, ArgPattern::Number, execTreeKindSize, 0, 0},
    {"TreeOakSize", 1172, ArgPattern::Number, execTreeKindSize, 1, 0},
    {"TreeCactusSize", 1173, ArgPattern::Number, execTreeKindSize, 2, 0},
    {"TreePineSize", 1174, ArgPattern::Number, execTreeKindSize, 3, 0},
    {"TreeDensity", 1175, ArgPattern::Number, execMeanTreeDensity, 0, 0},
    {"MeanTreeDensity", 1175, ArgPattern::Number, execMeanTreeDensity, 0, 0},
    {"Tree1Density", 1176, ArgPattern::Number, execTreeClassDensity, 0, 0},
    {"Tree2Density", 1177, ArgPattern::Number, execTreeClassDensity, 1, 0},
    {"Tree3Density", 1178, ArgPattern::Number, execTreeClassDensity, 2, 0},
    {"Tree4Density", 1179, ArgPattern::Number, execTreeClassDensity, 3, 0},
    {"TreeNone", 1180, ArgPattern::None, execTreeNone, 0, 0},
    {"Tree1None", 1181, ArgPattern::None, execTreeClassNone, 0, 0},
    {"Tree2None", 1182, ArgPattern::None, execTreeClassNone, 1, 0},
    {"Tree3None", 1183, ArgPattern::None, execTreeClassNone, 2, 0},
    {"Tree4None", 1184, ArgPattern::None, execTreeClassNone, 3, 0},
    {"Tree1Off", 1181, ArgPattern::None, execTreeClassNone, 0, 0},
    {"Tree2Off", 1182, ArgPattern::None, execTreeClassNone, 1, 0},
    {"Tree3Off", 1183, ArgPattern::None, execTreeClassNone, 2, 0},
    {"Tree4Off", 1184, ArgPattern::None, execTreeClassNone, 3, 0},
    {"TreeOakAll", 1185, ArgPattern::None, execTreeKindAll, kTreeOak, 0},
    {"TreePineAll", 1186, ArgPattern::None, execTreeKindAll, kTreePine, 0},
    {"TreePalmAll", 1187, ArgPattern::None, execTreeKindAll, kTreePalm, 0},
    {"TreeCactusAll", 1188, ArgPattern::None, execTreeKindAll, kTreeCactus, 0},
    {"Tree1OakOn", 1189, ArgPattern::None, execTreeKindOn, treeParam(0, kTreeOak), 0},
    {"Tree1OakOff", 1190, ArgPattern::None, execTreeKindOff, treeParam(0, kTreeOak), 0},
    {"Tree1PineOn", 1191, ArgPattern::None, execTreeKindOn, treeParam(0, kTreePine), 0},
    {"Tree1PineOff", 1192, ArgPattern::None, execTreeKindOff, treeParam(0, kTreePine), 0},
    {"Tree1PalmOn", 1193, ArgPattern::None, execTreeKindOn, treeParam(0, kTreePalm), 0},
    {"Tree1PalmOff", 1194, ArgPattern::None, execTreeKindOff, treeParam(0, kTreePalm), 0},
    {"Tree1CactusOn", 1195, ArgPattern::None, execTreeKindOn, treeParam(0, kTreeCactus), 0},
    {"Tree1CactusOff", 1196, ArgPattern::None, execTreeKindOff, treeParam(0, kTreeCactus), 0},
    {"Tree2OakOn", 1197, ArgPattern::None, execTreeKindOn, treeParam(1, kTreeOak), 0},
    {"Tree2OakOff", 1198, ArgPattern::None, execTreeKindOff, treeParam(1, kTreeOak), 0},
    {"Tree2PineOn", 1199, ArgPattern::None, execTreeKindOn, treeParam(1, kTreePine), 0},
    {"Tree2PineOff", 1200, ArgPattern::None, execTreeKindOff, treeParam(1, kTreePine), 0},
    {"Tree2PalmOn", 1201, ArgPattern::None, execTreeKindOn, treeParam(1, kTreePalm), 0},
    {"Tree2PalmOff", 1202, ArgPattern::None, execTreeKindOff, treeParam(1, kTreePalm), 0},
    {"Tree2CactusOn", 1203, ArgPattern::None, execTreeKindOn, treeParam(1, kTreeCactus), 0},
    {"Tree2CactusOff", 1204, ArgPattern::None, execTreeKindOff, treeParam(1, kTreeCactus), 0},
    {"Tree3OakOn", 1205, ArgPattern::None, execTreeKindOn, treeParam(2, kTreeOak), 0},
    {"Tree3OakOff", 1206, ArgPattern::None, execTreeKindOff, treeParam(2, kTreeOak), 0},
    {"Tree3PineOn", 1207, ArgPattern::None, execTreeKindOn, treeParam(2, kTreePine), 0},
    {"Tree3PineOff", 1208, ArgPattern::None, execTreeKindOff, treeParam(2, kTreePine), 0},
    {"Tree3PalmOn", 1209, ArgPattern::None, execTreeKindOn, treeParam(2, kTreePalm), 0},
    {"Tree3PalmOff", 1210, ArgPattern::None, execTreeKindOff, treeParam(2, kTreePalm), 0},
    {"Tree3CactusOn", 1211, ArgPattern::None, execTreeKindOn, treeParam(2, kTreeCactus), 0},
    {"Tree3CactusOff", 1212, ArgPattern::None, execTreeKindOff, treeParam(2, kTreeCactus), 0},
    {"Tree4OakOn", 1213, ArgPattern::None, execTreeKindOn, treeParam(3, kTreeOak), 0},
    {"Tree4OakOff", 1214, ArgPattern::None, execTreeKindOff, treeParam(3, kTreeOak), 0},
    {"Tree4PineOn", 1215, ArgPattern::None, execTreeKindOn, treeParam(3, kTreePine), 0},
    {"Tree4PineOff", 1216, ArgPattern::None, execTreeKindOff, treeParam(3, kTreePine), 0},
    {"Tree4PalmOn", 1217, ArgPattern::None, execTreeKindOn, treeParam(3, kTreePalm), 0},
    {"Tree4PalmOff", 1218, ArgPattern::None, execTreeKindOff, treeParam(3, kTreePalm), 0},
    {"Tree4CactusOn", 1219, ArgPattern::None, execTreeKindOn, treeParam(3, kTreeCactus), 0},
    {"Tree4CactusOff", 1220, ArgPattern::None, execTreeKindOff, treeParam(3, kTreeCactus), 0},
    storeParam("CloudOn", 1221, cloudsClouds, 1),
    storeParam("CloudOff", 1222, cloudsClouds, 0),
    {"CloudLoad", 1223, ArgPattern::Word, execCloudLoad, 0, 0},
    {"CloudDensity", 1224, ArgPattern::Number, execCloudDensity, 0, 0},
    {"CloudHardness", 1225, ArgPattern::Number, execCloudHardness, 0, 0},
    storeArgument("CloudAltitude", 1226, ArgPattern::Number, cloudsAltitude),
    {"CloudTextureOn", 1227, ArgPattern::None, execCloudTexture, 1, 0},
    {"CloudTextureOff", 1228, ArgPattern::None, execCloudTexture, 0, 0},
    {"CloudRandom", 1229, ArgPattern::None, execCloudRandom, 0, 0},
    {"CloudNumber", 1230, ArgPattern::Number, execCloudNumber, 0, 0},
    // Files, directories and system
    {"SaveTarga24", 1231, ArgPattern::Word, execSaveImage, imageParam(ImageFormat::Targa), 0},
    {"SaveTarga", 1231, ArgPattern::Word, execSaveImage, imageParam(ImageFormat::Targa), 0},
    {"SaveBMP24", 1232, ArgPattern::Word, execSaveImage, imageParam(ImageFormat::Bmp), 0},
    {"SaveBMP", 1232, ArgPattern::Word, execSaveImage, imageParam(ImageFormat::Bmp), 0},
    {"SaveJPG24", 1233, ArgPattern::Word, execSaveImage, imageParam(ImageFormat::Jpeg), 0},
    {"SaveJPG", 1233, ArgPattern::Word, execSaveImage, imageParam(ImageFormat::Jpeg), 0},
    {"SavePCX", 1234, ArgPattern::Word, execSaveImage, imageParam(ImageFormat::Pcx), 0},
    {"LoadTarga24", 1235, ArgPattern::Word, execLoadImage, imageParam(ImageFormat::Targa), 0},
    {"LoadTarga", 1235, ArgPattern::Word, execLoadImage, imageParam(ImageFormat::Targa), 0},
    {"LoadBMP24", 1236, ArgPattern::Word, execLoadImage, imageParam(ImageFormat::Bmp), 0},
    {"LoadBMP", 1236, ArgPattern::Word, execLoadImage, imageParam(ImageFormat::Bmp), 0},
    {"LoadJPG24", 1237, ArgPattern::Word, execLoadImage, imageParam(ImageFormat::Jpeg), 0},
    {"LoadJPG", 1237, ArgPattern::Word, execLoadImage, imageParam(ImageFormat::Jpeg), 0},
    {"LoadStereoRedBlue", 1238, ArgPattern::None, execLoadStereoRedBlue, 0, 0},
    {"DefaultDirDEM", 1239, ArgPattern::RestOfLine, execDefaultDir, kDirLandscape, 0},
    {"DefaultDirCMap", 1240, ArgPattern::RestOfLine, execDefaultDir, kDirScheme, 0},
    {"DefaultDirScheme", 1240, ArgPattern::RestOfLine, execDefaultDir, kDirScheme, 0},
    {"DefaultDirCloud", 1241, ArgPattern::RestOfLine, execDefaultDir, kDirCloud, 0},
    {"DefaultDirBinary", 1242, ArgPattern::RestOfLine, execDefaultDir, kDirBinary, 0},
    {"DefaultDirPalette", 1243, ArgPattern::RestOfLine, execDefaultDir, kDirPalette, 0},
    {"DefaultDirPCX", 1244, ArgPattern::RestOfLine, execDefaultDir, kDirPcx, 0},
    {"DefaultDirTarga24", 1245, ArgPattern::RestOfLine, execDefaultDir, kDirTarga, 0},
    {"DefaultDirTarga", 1245, ArgPattern::RestOfLine, execDefaultDir, kDirTarga, 0},
    {"DefaultDirBMP24", 1246, ArgPattern::RestOfLine, execDefaultDir, kDirBmp, 0},
    {"DefaultDirBMP", 1246, ArgPattern::RestOfLine, execDefaultDir, kDirBmp, 0},
    {"DefaultDirJPG24", 1247, ArgPattern::RestOfLine, execDefaultDir, kDirJpeg, 0},
    {"DefaultDirJPG", 1247, ArgPattern::RestOfLine, execDefaultDir, kDirJpeg, 0},
    {"DefaultDirScript", 1248, ArgPattern::RestOfLine, execDefaultDir, kDirScript, 0},
    {"DefaultDirAnim", 1249, ArgPattern::RestOfLine, execDefaultDir, kDirAnimation, 0},
    {"DefaultDirForeground", 1250, ArgPattern::RestOfLine, execDefaultDir, kDirForeground, 0},
    {"DefaultDirBackground", 1251, ArgPattern::RestOfLine, execDefaultDir, kDirBackground, 0},
    {"DefaultDirStereo", 1252, ArgPattern::RestOfLine, execDefaultDir, kDirStereo, 0},
    {"DefaultDirIQ", 1253, ArgPattern::RestOfLine, execDefaultDir, kDirImageQuality, 0},
    {"DefaultDirTexture", 1254, ArgPattern::RestOfLine, execDefaultDir, kDirTexture, 0},
    {"Spawn", 1255, ArgPattern::RestOfLine, execSpawn, 0, 0},
    storeParam("BeepOn", 1256, scriptBeep, 1),
    storeParam("BeepOff", 1257, scriptBeep, 0),
    storeParam("AutoSaveOn", 1258, scriptSaveFrames, 1),
    storeParam("AutoSaveOff", 1259, scriptSaveFrames, 0),
    storeArgument("Temporary", 1260, ArgPattern::Number, scriptTemporary),
    {"RewriteImage", 1261, ArgPattern::None, execRewriteImage, 0, 0},
    {"PictureFile", 1262, ArgPattern::None, execIgnored, 0, 0},
    {"Enable8bit", 1263, ArgPattern::None, execIgnored, 0, 0},
    {"Disable8bit", 1264, ArgPattern::None, execIgnored, 0, 0},
    {"Enable24bit", 1265, ArgPattern::None, execIgnored, 0, 0},
    {"Disable24bit", 1266, ArgPattern::None, execIgnored, 0, 0},
    {"LoadStereoGraphics", 1267, ArgPattern::None, execIgnored, 0, 0},
    {"LoadStereoCyber", 1268, ArgPattern::None, execIgnored, 0, 0},
    {"DefaultDirBatch", 1269, ArgPattern::RestOfLine, execDefaultDir, kDirBatch, 0},
    {"LoadPCX", 1270, ArgPattern::None, execUnknown, 0, 0},
    // Extensions
    {"LandscapeSizeMega", 1271, ArgPattern::None, execLandscapeSize, kSizeMega, kMarkAll, true},
    {"ExportAsciiZ", 1272, ArgPattern::WordTwoNumbers, execExportAsciiZ, 0, 0, true},
    {"ExportDXF", 1273, ArgPattern::WordFourNumbers, execExportDxf, 0, 0, true},
    {"SaveDEM", 1274, ArgPattern::Word, execSaveLandscapeFile, kSaveDem, 0, true},
    {"SaveSession", 1275, ArgPattern::Word, execSaveLandscapeFile, kSaveSession, 0, true},
    {"SaveScheme", 1276, ArgPattern::Word, execSaveLandscapeFile, kSaveScheme, 0, true},
    {"SavePNG", 1277, ArgPattern::Word, execSaveImage, imageParam(ImageFormat::Png), 0, true},
    {"EnlargeAll", 1278, ArgPattern::None, execManipulation, kEditEnlargeAll, 0, true},
    {"Shrink", 1279, ArgPattern::None, execManipulation, kEditShrink, 0, true},
    {"Rotate", 1280, ArgPattern::None, execManipulation, kEditRotate, 0, true},
    {"FlipVertical", 1281, ArgPattern::None, execManipulation, kEditFlipVertical, 0, true},
    {"FlipHorizontal", 1282, ArgPattern::None, execManipulation, kEditFlipHorizontal, 0, true},
    {"SwapQuads", 1283, ArgPattern::None, execManipulation, kEditSwapQuads, 0, true},
    {"Cloudify", 1284, ArgPattern::None, execManipulation, kEditCloudify, 0, true},
    {"RemoveSteps", 1285, ArgPattern::None, execManipulation, kEditRemoveSteps, 0, true},
    {"CloudSave", 1286, ArgPattern::Word, execCloudSave, 0, 0, true},
    {"CloudsFromLandscape", 1287, ArgPattern::None, execCloudsFromLandscape, 0, 0, true},
    {"CloudSize", 1288, ArgPattern::Word, execCloudSize, 0, 0, true},
    {"TextureLoad", 1289, ArgPattern::RestOfLine, execTextureLoad, 0, kMarkP, true},
    // Settings the panels reach, for batch runs.
    {"AntialiasOn", 1290, ArgPattern::None, execAntialias, 1, 0, true},
    {"AntialiasOff", 1291, ArgPattern::None, execAntialias, 0, 0, true},
    storeRange("AntialiasType", 1292, renderAntialiasType, 1, 2),
    storeParam("FlareOn", 1293, renderFlare, 1, true),
    storeParam("FlareOff", 1294, renderFlare, 0, true),
    {"PhongOn", 1295, ArgPattern::None, execLightingSwitch, kSwitchPhong + 1, kMarkP, true},
    {"PhongOff", 1296, ArgPattern::None, execLightingSwitch, kSwitchPhong, kMarkP, true},
    {"AutoExposureOn", 1297, ArgPattern::None, execLightingSwitch, kSwitchAutoExposure + 1, kMarkP, true},
    {"AutoExposureOff", 1298, ArgPattern::None, execLightingSwitch, kSwitchAutoExposure, kMarkP, true},
    storeParam("StarsOn", 1299, skyStarsAndMoon, 1, true),
    storeParam("StarsOff", 1300, skyStarsAndMoon, 0, true),
    storeRange("SunSize", 1301, skySunSize, 0, 1000),
    storeRange("MoonSize", 1302, skyMoonSize, 0, 1000),
    storeRange("DistanceLimit", 1303, renderDistanceLimit, 0, 100000000),
    storeRange("JpegQuality", 1304, renderJpegQuality, kJpegMinQuality, kJpegMaxQuality),
    storeParam("TargaCompressOn", 1305, renderTargaCompress, 1, true),
    storeParam("TargaCompressOff", 1306, renderTargaCompress, 0, true),
    {"ValleyOn", 1307, ArgPattern::None, execValley, kValleySwitch + 1, 0, true},
    {"ValleyOff", 1308, ArgPattern::None, execValley, kValleySwitch, 0, true},
    {"ValleyWidth", 1309, ArgPattern::Number, execValley, kValleyWidth, 0, true},
    {"ValleyStrength", 1310, ArgPattern::Number, execValley, kValleyStrength, 0, true},
    {"CliffsBySlope", 1311, ArgPattern::None, execStrata, kStrataOff, 0, true},
    {"CliffsStratified", 1312, ArgPattern::None, execStrata, kStrataOn, 0, true},
    {"StrataThickness", 1313, ArgPattern::Number, execStrata, kStrataThickness, 0, true},
    {"StrataWarp", 1314, ArgPattern::Number, execStrata, kStrataWarp, 0, true},
    {"PaletteColours", 1315, ArgPattern::Number, execPaletteColours, 0, kMarkP, true},
    {"SunPosition", 1316, ArgPattern::ThreeNumbers, execBodyPosition, 0, 0, true},
    {"MoonPosition", 1317, ArgPattern::ThreeNumbers, execBodyPosition, 1, 0, true},
    {"BoundingBox", 1318, ArgPattern::FourNumbers, execBoundingBox, 1, 0, true},
    {"BoundingBoxOff", 1319, ArgPattern::None, execBoundingBox, 0, 0, true},
    {"PathNew", 1320, ArgPattern::None, execPath, kPathNew, 0, true},
    {"PathNode", 1321, ArgPattern::ThreeNumbers, execPath, kPathNode, 0, true},
    {"PathVehicle", 1322, ArgPattern::RestOfLine, execPath, kPathVehicle, 0, true},
    {"PathClosedLoopOn", 1323, ArgPattern::None, execPath, kPathClosedOn, 0, true},
    {"PathClosedLoopOff", 1324, ArgPattern::None, execPath, kPathClosedOff, 0, true},
    {"PathExport", 1325, ArgPattern::Word, execPath, kPathExport, 0, true},
    {"PathNodeHeight", 1326, ArgPattern::Number, execPath,
     kPathCharacteristic + static_cast<int>(PathCharacteristic::NodeHeight), 0, true},
    {"PathClearance", 1327, ArgPattern::Number, execPath,
     kPathCharacteristic + static_cast<int>(PathCharacteristic::PathClearance), 0, true},
    {"PathSpeed", 1328, ArgPattern::Number, execPath,
     kPathCharacteristic + static_cast<int>(PathCharacteristic::Speed), 0, true},
    {"PathSmoothness", 1329, ArgPattern::Number, execPath,
     kPathCharacteristic + static_cast<int>(PathCharacteristic::Smoothness), 0, true},
    {"PathBank", 1330, ArgPattern::Number, execPath,
     kPathCharacteristic + static_cast<int>(PathCharacteristic::Bank), 0, true},
    {"PathClearanceOn", 1331, ArgPattern::None, execPath, kPathLiftOn, 0, true},
    {"PathClearanceOff", 1332, ArgPattern::None, execPath, kPathLiftOff, 0, true},
    {"AppendCamera", 1333, ArgPattern::Word, execPath, kPathAppendCamera, 0, true},
    {"StraightFlight", 1334, ArgPattern::WordTwoNumbers, execPath, kPathStraightFlight, 0, true},
    {"PathNodeAltitude", 1335, ArgPattern::Number, execPath, kPathNodeAltitude, 0, true},
    {"PathNodeSpeed", 1336, ArgPattern::Number, execPath, kPathNodeSpeed, 0, true},
    {"PathNodeTarget", 1337, ArgPattern::ThreeNumbers, execPath, kPathNodeTarget, 0, true},
    {"PathNodeTargetOff", 1338, ArgPattern::None, execPath, kPathNodeTargetOff, 0, true},
    {"PathNodeRoll", 1339, ArgPattern::Number, execPath, kPathNodeRoll, 0, true},
    {"PathRender", 1340, ArgPattern::None, execPath, kPathRender, 0, true},
    // More settings the panels reach.
    storeParam("LensAstern", 1341, cameraLensDirection, kLensAstern, true),
    storeParam("LockCameraX", 1342, cameraLockX, 1, true),
    storeParam("UnLockCameraX", 1343, cameraLockX, 0, true),
    storeParam("LockCameraY", 1344, cameraLockY, 1, true),
    storeParam("UnLockCameraY", 1345, cameraLockY, 0, true),
    storeParam("LockCameraZ", 1346, cameraLockZ, 1, true),
    storeParam("UnLockCameraZ", 1347, cameraLockZ, 0, true),
    {"CameraSeparation", 1348, ArgPattern::Number, execCameraSeparation, 0, 0, true},
    storeRange("StereoShift", 1349, cameraStereoShift, -8192, 8192),
    storeParam("WavesOn", 1350, wavesEnabled, 1, true),
    storeParam("WavesOff", 1351, wavesEnabled, 0, true),
    storeParam("HorizontalDeformationOn", 1352, textureDeformation, 1, true),
    storeParam("HorizontalDeformationOff", 1353, textureDeformation, 0, true),
    storeRange("SurfaceRoughnessLarge", 1354, textureDetailLarge, 0, 1000),
    storeRange("SurfaceRoughnessSmall", 1355, textureDetailSmall, 0, 1000),
    {"BranchBending", 1356, ArgPattern::Number, execBranchBending, 0, 0, true},
    {"SampleSpacing", 1357, ArgPattern::Number, execSampleSpacing, 0, kMarkL, true},
    {"PlaceObject", 1358, ArgPattern::WordFourNumbers, execPlaceObject, 0, 0, true},
    {"PlaceRoad", 1359, ArgPattern::FourNumbers, execPlaceRoad, 0, 0, true},
    storeRange("CloudLining", 1360, cloudsLining, 0, 255),
    {"PathVehicleClass", 1361, ArgPattern::Number, execPath,
     kPathCharacteristic + static_cast<int>(PathCharacteristic::VehicleClass), 0, true},
    {"PathPitching", 1362, ArgPattern::Number, execPath,
     kPathCharacteristic + static_cast<int>(PathCharacteristic::Pitching), 0, true},
    {"PathExtraPitch", 1363, ArgPattern::Number, execPath,
     kPathCharacteristic + static_cast<int>(PathCharacteristic::ExtraPitch), 0, true},
    storeRange("PngCompression", 1364, renderPngLevel, 0, 9),
    {"Threads", 1365, ArgPattern::Integer, execThreads, 0, 0, true},
    {"ImportElevations", 1366, ArgPattern::RestOfLine, execImportElevations, 0, kMarkAll, true},
    {"ExportElevations", 1367, ArgPattern::Word, execExportElevations, 0, 0, true},
    {"ExportMesh", 1368, ArgPattern::WordTwoNumbers, execExportMesh, 0, 0, true},
};

// The classic table is kept whole; our extensions follow it.
static_assert(std::count_if(std::begin(kKeywords), std::end(kKeywords),
                            [](const Keyword& k) { return !k.extension; }) == kClassicKeywordCount);

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// ";" starts a comment even when the next word is joined to it.
bool matches(const Keyword& entry, std::string_view word)
{
    if (entry.name == ";") return !word.empty() && word.front() == ';';
    return equalIgnoringCase(entry.name, word);
}

} // namespace

void applyScriptMarks(Landscape& land, std::uint8_t marks)
{
    // The keywords that still carry S or C change elevations; what that invalidates is in one table.
    if (marks & (kMarkS | kMarkC)) inputChanged(land, ColouringInput::Elevations);
    if (marks & kMarkP) land.paletteStale = 1;
    if (marks & kMarkL) land.modified = true;
    if (marks & kMarkM) land.mapStale = true;
}

std::string placePrefix(const ScriptPlace& place)
{
    if (place.line <= 0) return {};
    const std::string line = std::to_string(place.line);
    return place.file.empty() ? "line " + line + ": " : place.file + ":" + line + ": ";
}

LineResult scriptError(Frontend& ui, ScriptPlace& place, const std::string& reason, const std::string& question)
{
    ++place.errors;
    ui.report(placePrefix(place) + reason);
    if (ui.ask(question, "Continue", "Cancel")) return LineResult::Done;
    place.stoppedAtError = true;
    return LineResult::Stop;
}

LineResult scriptError(ScriptContext& ctx, const std::string& reason, const std::string& question)
{
    return scriptError(ctx.ui, ctx.place, reason, question);
}

void scriptFailure(ScriptContext& ctx, const std::string& reason)
{
    ++ctx.place.failures;
    ctx.ui.report(placePrefix(ctx.place) + std::string(ctx.line) + ": " + reason);
}

bool argumentInRange(ScriptContext& ctx, std::int32_t value, std::int32_t least, std::int32_t most,
                     const std::string& note)
{
    if (value >= least && value <= most) return true;
    scriptFailure(ctx, "takes a whole number from " + std::to_string(least) + " to " + std::to_string(most) + note);
    return false;
}

std::string loadFailureReason(const std::string& path, const std::string& fallback)
{
    const std::string problem = readProblem(path);
    return problem.empty() ? fallback : problem;
}

std::string saveFailureReason(const std::string& path, const std::string& fallback)
{
    const std::string problem = writeProblem(path);
    return problem.empty() ? fallback : problem;
}

std::span<const Keyword> keywordTable() { return kKeywords; }

bool writesOutside(const Keyword& entry)
{
    const ScriptHandler h = entry.handler;
    if (h == execPath)
        return entry.param == kPathExport || entry.param == kPathAppendCamera || entry.param == kPathStraightFlight;
    return h == execSaveImage || h == execSaveLandscapeFile || h == execExportDxf || h == execExportAsciiZ ||
           h == execCloudSave || h == execSpawn || h == execExportElevations || h == execExportMesh;
}

const Keyword* findKeyword(std::string_view word)
{
    for (const Keyword& entry : kKeywords)
        if (matches(entry, word)) return &entry;
    return nullptr;
}

} // namespace kalvenor
