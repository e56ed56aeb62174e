#include "shell/control_panels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/app.h"
#include "base/frontend.h"
#include "panels/font.h"
#include "panels/input.h"
#include "panels/main_panel.h"
#include "files/path_export.h"
#include "model/camera_aim.h"
#include "model/path_layout.h"
#include "path/path_dynamics.h"
#include "path/path_edit.h"
#include "render/image_size.h"
#include "script/interpreter.h"
#include "script/keyword_table.h"
#include "panels/colour_editor.h"
#include "shell/control_layout.h"
#include "shell/map_commands.h"
#include "shell/path_screen.h"
#include "shell/secondary_panels.h"
#include "shell/window_commands.h"

namespace kalvenor {

int runKeywordLine(WindowContext& ctx, const std::string& line)
{
    if (ctx.trace) ctx.trace("keyword " + line);
    ScriptPlace place;
    // Some keywords run long (generation, erosion): the window is busy meanwhile.
    ctx.ui.setBusy(true);
    const LineResult result = executeLine(ctx.app, ctx.ui, line, place);
    ctx.ui.setBusy(false);
    return result == LineResult::Done && place.errors == 0 && place.failures == 0 ? 1 : 0;
}

namespace {

constexpr Control kCamera[] = {
    button(1059, 0, 0, " Place camera ", "Place the camera on the map.", 1),
    button(1058, 0, 17, " Place target ", "Place the target on the map.", 1),
    decimal(1170, 1, "Camera X", "Camera X position (meters east)."),
    decimal(1171, 2, "Camera Y", "Camera Y position (meters north)."),
    decimal(1172, 3, "Camera Z", "Camera altitude (meters)."),
    decimal(1174, 4, "Target X", "Target X position (meters east)."),
    decimal(1175, 5, "Target Y", "Target Y position (meters north)."),
    decimal(1176, 6, "Target Z", "Target altitude (meters)."),
    text(7, 0, "Lock"),
    button(1164, 7, 6, "X", "Locks the Camera and Target X coordinate."),
    button(1165, 7, 10, "Y", "Locks the Camera and Target Y coordinate."),
    button(1166, 7, 14, "Z", "Locks the Camera and Target Z coordinate."),
    decimal(1173, 8, "Height above ground", "Places camera this many meters above the surface."),
    whole(1177, 9, "Camera-target dist.", "Distance from the camera to the target (meters)."),
    whole(1182, 10, "Bank", "Camera bank (degrees)."),
    whole(1181, 11, "Heading", "Camera heading (degrees)."),
    whole(1183, 12, "Pitch", "Camera pitch (degrees)."),
    button(1221, 13, 0, "  Wide angle  ", "Wide angle lens.", 0x20),
    button(1222, 13, 17, "  Zoom lens   ", "Zoom lens.", 0x20),
    whole(1223, 14, "Focal length", "Focal length of the lens (mm)."),
    toggle(1282, 15, "Auto exposure", "Automatic exposure of the image."),
    button(1242, 16, 0, "   Walkabout   ", "Position camera by 3D preview."),
};

constexpr Control kCreation[] = {
    button(1069, 0, 0, "Set landscape size", "Choose the size of the landscape grid."),
    button(1215, 1, 0, "Randomize seed", "Create a fractal landscape from a random seed."),
    whole(1060, 2, "Seed", "Create a fractal landscape from this seed."),
    whole(1206, 3, "Roughness", "Landscape roughness (height of mountains)."),
    text(4, 0, "Feature size"),
    button(1217, 4, 16, "1", "Smallest features.", 0x10),
    button(1218, 4, 20, "2", "Small features.", 0x10),
    button(1219, 4, 24, "4", "Large features.", 0x10),
    button(1220, 4, 28, "8", "Largest features.", 0x10),
    button(1160, 6, 0, "Enlarge section", "Enlarge a section of the landscape."),
    button(1091, 7, 0, "    Smooth     ", "Smooth the landscape."),
    button(1142, 8, 0, "    Erode      ", "Erode the landscape."),
    button(1141, 9, 0, "   Roughen     ", "Add fractal detail to the landscape."),
    button(1143, 10, 0, "   Stretch     ", "Stretch the elevations to the full range."),
};

constexpr Control kLight[] = {
    text(0, 0, "Sun"),
    button(1064, 0, 8, "N", "Place the sun in the north at 45 degrees above the horizon.", 0x40),
    button(1066, 0, 12, "E", "Place the sun in the east at 45 degrees above the horizon.", 0x40),
    button(1065, 0, 16, "S", "Place the sun in the south at 45 degrees above the horizon.", 0x40),
    button(1067, 0, 20, "W", "Place the sun in the west at 45 degrees above the horizon.", 0x40),
    compass(1150, 0, 26, "Place the sun at a custom location."),
    decimal(1208, 1, "Sun declination", "Height of the sun above the horizon (degrees)."),
    decimal(1207, 2, "Sun azimuth", "Direction of the sun (degrees)."),
    toggle(1212, 3, "Shadows", "Cast shadows."),
    whole(1203, 4, "Irregularity", "Irregularity of the lighting."),
    toggle(1151, 5, "Exaggeration", "Exaggerate the lighting of slopes."),
    whole(1317, 6, "Contrast", "Contrast setting."),
    slider(1318, 7, "Contrast setting (hex).", 255),
    whole(1319, 8, "Brightness", "Brightness (exposure) setting."),
    slider(1320, 9, "Brightness (exposure) setting.", 1023),
    button(1351, 11, 0, "    Colors    ", "Edit the colors."),
    button(1307, 11, 17, "   Textures   ", "Select the sky textures."),
};

constexpr Control kSky[] = {
    toggle(1239, 0, "Sky", "Draw the sky."),
    toggle(1240, 1, "Horizon", "Draw the horizon."),
    toggle(1245, 2, "Clouds", "Draw the clouds."),
    toggle(1238, 3, "Stars and moon", "Draw the stars and the moon."),
    whole(1187, 4, "Haze density", "Density of the haze."),
    whole(1400, 5, "Moon size", "Size of the moon (10 is its true size)."),
    slider(1401, 6, "Size of the moon.", 1000),
    whole(1405, 7, "Sun size", "Size of the sun (10 is its true size)."),
    slider(1406, 8, "Size of the sun.", 1000),
    text(9, 0, "Sun position"),
    compass(1150, 9, 13, "Place the sun at a custom location."),
    text(9, 18, "Moon position"),
    compass(1398, 9, 32, "Place the moon at a custom location."),
    button(1351, 11, 0, "    Colors    ", "Edit the colors."),
    button(1307, 11, 17, "   Textures   ", "Select the sky textures."),
    button(1244, 12, 0, "Cloud controls", "Cloud coverage, edges, size and pattern."),
};

constexpr Control kTerrain[] = {
    button(1167, 0, 0, "Set snow line", "Set the snow line by clicking the map.", 1),
    button(1169, 0, 17, "Set tree line", "Set the tree line by clicking the map.", 1),
    whole(1186, 1, "Snow line", "Altitude of the snow line (meters)."),
    whole(1185, 2, "Tree line", "Altitude of the tree line (meters)."),
    whole(1188, 3, "Boundary roughness", "Roughness of the boundaries between terrain types."),
    toggle(1252, 4, "Valley effect", "Color valleys differently from ridges."),
    whole(1253, 5, "Valley width", "Width of the valleys (meters)."),
    whole(1254, 6, "Valley strength", "Strength of the valley effect."),
    toggle(1246, 7, "Cliffs", "Color steep slopes as cliffs."),
    whole(1247, 8, "Cliff threshold", "Slope at which cliffs begin."),
    toggle(1248, 9, "Stratified cliffs", "Color cliffs in strata."),
    whole(1249, 10, "Strata thickness", "Thickness of the strata (meters)."),
    whole(1251, 11, "Strata warp", "Warp of the strata."),
    text(12, 0, "Strata tilt"),
    compass(1250, 12, 22, "Sets the stacking direction of cliff stratafication."),
    button(1347, 14, 0, " Cliff colors ", "Edit the cliff colors."),
    button(1346, 14, 17, "    Colors    ", "Edit the terrain colors."),
    button(1303, 15, 0, "   Textures   ", "Select the ground textures."),
};

constexpr Control kWater[] = {
    button(1090, 0, 0, " Create river ", "Create a river by clicking the map.", 1),
    button(1089, 0, 17, " Create lake  ", "Create a lake by clicking the map.", 1),
    button(1168, 1, 0, "Set sea level ", "Set the sea level by clicking the map.", 1),
    whole(1184, 2, "Sea level", "Sink the landscape by this many meters."),
    toggle(1321, 3, "Waves", "Draw waves on the water."),
    whole(1323, 4, "Wave length", "Length of the waves."),
    whole(1324, 5, "Wave amplitude", "Height of the waves."),
    whole(1325, 6, "Wave speed", "Speed of the waves."),
    whole(1322, 7, "Wave direction", "Direction the waves come from (degrees)."),
    button(1348, 9, 0, "    Colors    ", "Edit the water colors."),
    button(1306, 9, 17, "   Textures   ", "Select the water textures."),
};

constexpr Control kTree[] = {
    toggle(1189, 0, "Trees", "Draw trees."),
    whole(1190, 1, "Average tree size", "Average size of the trees."),
    whole(1191, 2, "Average density", "Average density of the trees."),
    button(1192, 3, 0, "  Draw as 2D  ", "Draw flat trees.", 1),
    button(1193, 3, 17, "  Draw as 3D  ", "Draw solid trees.", 1),
    text(4, 0, "3-D detail"),
    button(1196, 4, 14, "L", "Low detail.", 8),
    button(1197, 4, 18, "M", "Medium detail.", 8),
    button(1198, 4, 22, "H", "High detail.", 8),
    button(1199, 4, 26, "U", "Ultra detail.", 8),
    whole(1195, 5, "Branch bending", "How far the branches bend."),
    slider(1194, 6, "How far the branches bend.", 100),
    button(1349, 8, 0, " Tree colors  ", "Edit the tree colors."),
    button(1305, 8, 17, " 2D textures  ", "Select the tree textures."),
    button(1200, 9, 0, "Type, size, density", "Kinds, sizes and densities of the trees of each band."),
};

constexpr Control kTexture[] = {
    text(0, 0, "3-D surface detail"),
    button(1009, 0, 20, "O", "No surface detail.", 8),
    button(1010, 0, 24, "L", "Low surface detail.", 8),
    button(1011, 0, 28, "M", "Medium surface detail.", 8),
    button(1012, 0, 32, "H", "High surface detail.", 8),
    whole(1014, 1, "Large scale rough.", "Large scale roughness of the surface detail."),
    whole(1015, 2, "Small scale rough.", "Small scale roughness of the surface detail."),
    toggle(1016, 3, "Horiz. deformation", "Deform the surface detail horizontally."),
    toggle(1216, 4, "Blend colors", "Blend the colors of neighbouring polygons."),
    toggle(1077, 5, "Gouraud coloring", "Smooth (Gouraud) coloring."),
    text(7, 0, "Texture maps"),
    button(1307, 8, 0, "     Sky      ", "Select the sky textures."),
    button(1304, 8, 17, "    House     ", "Select the house textures."),
    button(1305, 9, 0, "     Tree     ", "Select the tree textures."),
    button(1303, 9, 17, "    Ground    ", "Select the ground textures."),
    button(1306, 10, 0, "    Water     ", "Select the water textures."),
};

constexpr Control kManipulation[] = {
    decimal(1204, 0, "Vertical scale", "Scale the elevations by this factor.", 3),
    whole(1140, 1, "Sample spacing", "Distance between the sample points (meters)."),
    button(1142, 2, 0, "    Erode     ", "Erode the landscape."),
    button(1091, 2, 17, "    Smooth    ", "Smooth the landscape."),
    whole(1206, 3, "Roughness", "Landscape roughness (height of mountains)."),
    text(4, 0, "Feature size"),
    button(1217, 4, 16, "1", "Smallest features.", 0x10),
    button(1218, 4, 20, "2", "Small features.", 0x10),
    button(1219, 4, 24, "4", "Large features.", 0x10),
    button(1220, 4, 28, "8", "Largest features.", 0x10),
    button(1141, 5, 0, "   Roughen    ", "Add fractal detail to the landscape."),
    button(1143, 5, 17, "   Stretch    ", "Stretch the features of the landscape."),
    button(1160, 6, 0, "Enlarge section", "Enlarge a section of the landscape.", 1),
    button(1159, 7, 0, " Enlarge all  ", "Double the landscape.", 1),
    button(1161, 7, 17, "    Shrink    ", "Halve the landscape.", 1),
};

constexpr Control kPlacement[] = {
    text(0, 0, "Trees"),
    button(1330, 1, 0, "  Pine  ", "Place pines by clicking the map.", 1),
    button(1329, 1, 9, " Cactus ", "Place cacti by clicking the map.", 1),
    button(1328, 1, 18, "  Oak   ", "Place oaks by clicking the map.", 1),
    button(1327, 1, 27, "  Palm  ", "Place palms by clicking the map.", 1),
    text(2, 0, "Buildings"),
    button(1334, 3, 0, " House4 ", "Place houses by clicking the map.", 1),
    button(1333, 3, 9, " House3 ", "Place houses by clicking the map.", 1),
    button(1332, 3, 18, " House2 ", "Place houses by clicking the map.", 1),
    button(1331, 3, 27, " House1 ", "Place houses by clicking the map.", 1),
    text(4, 0, "Ground"),
    button(1341, 5, 0, "  Road  ", "Lay road by clicking the map.", 1),
    button(1336, 5, 9, " Water  ", "Place water by clicking the map.", 1),
    button(1335, 5, 18, " Beach  ", "Place beach by clicking the map.", 1),
    button(1345, 5, 27, " Erase  ", "Erase what was placed by clicking the map.", 1),
    button(1349, 7, 0, " Tree colors  ", "Edit the tree colors."),
    button(1350, 7, 17, "House colors  ", "Edit the house colors."),
    button(1348, 8, 0, " Water colors ", "Edit the water colors."),
    button(1305, 9, 0, "Tree textures ", "Select the tree textures."),
    button(1304, 9, 17, "House textures", "Select the house textures."),
    button(1306, 10, 0, "Water textures", "Select the water textures."),
};

// The vehicle presets (identifiers of our own: the classic menu's are not known).
constexpr MenuItem kVehicles[] = {
    {1370, "Glider", "Glides and banks gently."},         {1371, "Jet", "Fast, banks hard."},
    {1372, "Cruise Missile", "Hugs the ground."},         {1373, "Helicopter", "Hovers over the ground."},
    {1374, "Dune Buggy", "Drives on the ground."},        {1375, "Motorcycle", "Rides on the ground."},
    {1376, "Custom", "Set the vehicle characteristics."},
};

constexpr Control kPath[] = {
    button(1352, 0, 0, "Create a new path", "Erase every node, then click on the map for each new node.", 1),
    {.kind = kGadgetMenu, .id = 0, .row = 1, .column = 0, .label = " Vehicle type ",
     .help = "How the camera follows the ground and banks.", .flags = kFlagDropDown, .items = kVehicles},
    toggle(1363, 2, "Closed loop", "Create a closed loop path (the last node is attached to the first)."),
    whole(1364, 3, "Speed", "The average distance between frames -- in centimeters."),
    button(1355, 4, 0, "  Add node   ", "Add a node by clicking the map.", 1),
    button(1356, 4, 17, " Remove node  ", "Remove a node by clicking it on the map.", 1),
    button(1354, 5, 0, "  Edit node  ", "Edit a node's numbers.", 1),
    button(1357, 5, 17, "  Set target  ", "Give a node a target to look at.", 1),
    button(1358, 6, 0, "Unset target ", "Take a node's target away.", 1),
    button(1390, 6, 17, "   Add roll   ", "Roll the camera over at a node.", 1),
    button(1391, 7, 0, " Remove roll ", "Take a node's roll away.", 1),
    button(1386, 8, 0, " Export path  ", "Write the path as a script."),
    button(1387, 8, 17, " Render path  ", "Render the path as the last animation made (a Targa series at first)."),
    button(1360, 9, 0, "Preview path ", "Fly the path as a wire frame."),
    slider(1362, 10, "Position along path.", 1000),
    text(11, 0, "Altitude display"),
    button(1366, 11, 18, "+", "Zoom the altitude display in."),
    button(1367, 11, 22, "=", "Unzoom the altitude display."),
    button(1368, 11, 26, "-", "Zoom the altitude display out."),
};

constexpr Control kAnimation[] = {
    whole(1108, 0, "Animation speed", "Playback frame rate for AVI and FLC creation."),
    button(1105, 1, 0, "  Create AVI  ", "Render the path or a script as an AVI file.", 1),
    button(1104, 1, 17, "  Create FLC  ", "Render the path or a script as an FLC file.", 1),
    button(1099, 2, 0, "Create TGA series", "Render the path or a script as Targa files.", 1),
    button(1100, 3, 0, "Create BMP series", "Render the path or a script as BMP files.", 1),
    button(1101, 4, 0, "Create JPG series", "Render the path or a script as JPEG files.", 1),
    button(1102, 5, 0, "Create PCX series", "Render the path or a script as PCX files (8-bit).", 1),
    button(1103, 6, 0, "Create KAN file", "Render the path or a script as a KANIM file (8-bit).", 1),
    button(1107, 7, 0, "   View AVI   ", "Play an AVI file.", 1),
    button(1106, 7, 17, "   View FLC   ", "Play an FLC file.", 1),
    button(1278, 8, 0, "   View KAN   ", "Play a KANIM file.", 1),
    text(10, 0, "Script files"),
    button(1095, 11, 0, " New script  ", "Start a script file of camera frames."),
    button(1096, 11, 17, "Select script ", "Choose the script Append camera writes to."),
    button(1097, 12, 0, "Append camera", "Add the camera as a frame line to the selected script."),
    button(1149, 12, 17, "Straight flight", "Write a script flying from the camera toward the target."),
    button(1098, 13, 0, "Preview script", "Step through a script's frames on the map or as a wire frame."),
};

constexpr MenuItem kImageSizes[] = {
    {1017, "320 x 200", "Image size 320 x 200."},     {1018, "640 x 400", "Image size 640 x 400 (8 bits)."},
    {1019, "640 x 480", "Image size 640 x 480."},     {1020, "800 x 600", "Image size 800 x 600."},
    {1021, "1024 x 768", "Image size 1024 x 768."},   {1022, "1280 x 1024", "Image size 1280 x 1024."},
    {0, "", ""},                                     {1023, "Other size...", "Any size from 16 to 4096."},
};

constexpr Control kImage[] = {
    toggle(1282, 0, "Auto exposure", "Automatic exposure of the image."),
    toggle(1281, 1, "Phong hilites", "Specular (Phong) hilites."),
    toggle(1280, 2, "Flare effects", "Flare around bright spots."),
    toggle(1279, 3, "Antialiasing", "Render at twice the size and reduce."),
    button(1273, 4, 0, "Select background", "Select a background picture (Targa)."),
    button(1274, 5, 0, "Select foreground", "Select a foreground picture (Targa)."),
    whole(1213, 6, "Pixel dithering", "Amount of pixel dithering."),
    whole(1211, 7, "Palette colors", "Colors of the 8-bit palette."),
    toggle(1209, 8, "Lock palette", "Keep the 8-bit palette as it is."),
    button(1122, 9, 0, " Load palette ", "Load the palette of a PCX file."),
    button(1024, 10, 0, "Palettized display", "Show the 8-bit image."),
    whole(1048, 11, "Image width", "Width of the image (pixels)."),
    whole(1049, 12, "Image height", "Height of the image (pixels)."),
    {.kind = kGadgetMenu, .id = 0, .row = 13, .column = 0, .label = "  Image size  ",
     .help = "Choose one of the preset image sizes.", .flags = kFlagDropDown, .items = kImageSizes},
    button(1043, 14, 0, "Display options", "Display modes and depth."),
};

constexpr Control kVirtualReality[] = {
    text(0, 0, "View direction"),
    button(1228, 1, 0, " Forward ", "Look along the heading.", 0x100),
    button(1227, 1, 12, "  Port   ", "Look to port.", 0x100),
    button(1229, 2, 0, "Starboard", "Look to starboard.", 0x100),
    button(1230, 2, 12, " Astern  ", "Look astern.", 0x100),
    text(3, 0, "Stereographic Controls"),
    button(1224, 4, 0, " Left ", "Render the left eye.", 0x80),
    button(1225, 4, 9, "Center", "Render the center view.", 0x80),
    button(1226, 4, 18, " Right", "Render the right eye.", 0x80),
    decimal(1265, 5, "CamSep", "Camera seperation (interocular distance in meters)."),
    whole(1267, 6, "ImgSep", "Image separation (pixels)."),
};

struct PanelTable {
    int tab;
    std::span<const Control> controls;
};

constexpr PanelTable kPanels[] = {{1283, kCamera},  {1284, kLight},        {1285, kSky},
                                  {1286, kTerrain}, {1287, kWater},        {1288, kTree},
                                  {1289, kTexture}, {1290, kManipulation}, {1291, kCreation},
                                  {1295, kPlacement}, {1294, kImage},   {1293, kVirtualReality},
                                  {1296, kPath},      {1297, kAnimation}};

// ---- What the controls drive ----


// The lock buttons spring back; each press turns its coordinate's lock over.
template <char Axis>
int switchLock(WindowContext& ctx, const Gadget&)
{
    const CameraSettings& c = ctx.app.scene.camera;
    const std::int32_t locked = Axis == 'X' ? c.lockX : Axis == 'Y' ? c.lockY : c.lockZ;
    return runKeywordLine(ctx, std::string(locked != 0 ? "UnLockCamera" : "LockCamera") + Axis);
}

// The colour editor of a panel's "Colors" button, starting at its group's
// first entry. A render from inside, or any change kept, makes the palette stale.
template <int Button>
int editColours(WindowContext& ctx, const Gadget&)
{
    App& app = ctx.app;
    const auto scheme = app.scene.colourScheme;
    const auto attributes = app.scene.surfaceAttributes;
    bool rendered = false;
    const int accepted = runColourEditor(ctx.surface, ctx.input, app.scene.colourScheme, app.scene.surfaceAttributes,
                                         firstEntryOfGroup(Button), [&] {
                                             app.landscape.paletteStale = 1;
                                             rendered = true;
                                             renderFrame(ctx);
                                         });
    if (rendered || scheme != app.scene.colourScheme || attributes != app.scene.surfaceAttributes)
        app.landscape.paletteStale = 1;
    return accepted == 1 ? 1 : -1;
}

// The Path panel's node buttons: each picks its node (and target) on the map.
template <int (*Edit)(PathState&, const Landscape&, Frontend&)>
int editPath(WindowContext& ctx, const Gadget&)
{
    return Edit(ctx.app.path, ctx.app.landscape, ctx.ui);
}

int chooseLandscapeSize(WindowContext& ctx, const Gadget&)
{
    static constexpr std::array<std::string_view, 5> kKeywords = {"LandscapeSizeSmall", "LandscapeSizeLarge",
                                                                   "LandscapeSizeHuge", "LandscapeSizeMega",
                                                                   "LandscapeSizeAuto"};
    const std::optional<int> size = ctx.ui.choose(
        "Set landscape size", {"Small  258x258", "Large  514x514", "Huge 1026x1026", "Mega 2050x2050", "  Automatic!  "});
    if (!size) return -1;
    return runKeywordLine(ctx, std::string(kKeywords[static_cast<std::size_t>(*size)]));
}

int randomSeed(WindowContext& ctx, const Gadget&)
{
    // A seed from the shared random streams, so a session replays the same choice.
    RandomStreams& r = ctx.app.random;
    const std::uint32_t seed = static_cast<std::uint32_t>(drawB(r)) * 65536u + static_cast<std::uint32_t>(drawB(r) + 32768);
    return runKeywordLine(ctx, "GenerateFractal " + std::to_string(seed));
}

// The light panel's sun presets: declination 45 at an azimuth.
template <int Azimuth>
int sunPreset(WindowContext& ctx, const Gadget&)
{
    return runKeywordLine(ctx, "SunAzimuth " + std::to_string(Azimuth)) & runKeywordLine(ctx, "SunDeclination 45");
}
template <int Azimuth>
double sunPresetOn(const App& a)
{
    return a.scene.lighting.sunAzimuth == static_cast<float>(Azimuth) && a.scene.lighting.sunDeclination == 45.0f;
}

// The image size fields: the other side stays as it is.
int imageSide(WindowContext& ctx, const Gadget& g, bool width)
{
    const ImageGeometry& size = ctx.app.geometry;
    const long w = width ? g.value : size.width, h = width ? size.height : g.value;
    return runKeywordLine(ctx, "ImageSize " + std::to_string(w) + " " + std::to_string(h));
}

// Height above ground (1173): the camera's height over the ground under it;
// a new height moves the camera up or down to it (CameraZ, locks apply).
double heightAboveGround(const App& a)
{
    const CameraSettings& c = a.scene.camera;
    return c.cameraZ - groundElevation(a.landscape, c.cameraX, c.cameraY);
}
int placeAboveGround(WindowContext& ctx, const Gadget& g)
{
    const CameraSettings& c = ctx.app.scene.camera;
    const double z = groundElevation(ctx.app.landscape, c.cameraX, c.cameraY) + g.number;
    char line[64];
    std::snprintf(line, sizeof line, "CameraZ %.2f", z);
    return runKeywordLine(ctx, line);
}

// Camera-target distance (1177): a new distance moves the target along the
// line of sight (TargetXYZ, locks apply).
double cameraTargetDistance(const App& a) { return targetDistance(a.scene.camera); }
int placeTargetAt(WindowContext& ctx, const Gadget& g)
{
    const CameraSettings& c = ctx.app.scene.camera;
    const double now = targetDistance(c);
    if (now <= 0.0 || g.value <= 0) return 0;
    const double f = static_cast<double>(g.value) / now;
    char line[128];
    std::snprintf(line, sizeof line, "TargetXYZ %.2f %.2f %.2f", c.cameraX + (c.targetX - c.cameraX) * f,
                  c.cameraY + (c.targetY - c.cameraY) * f, c.cameraZ + (c.targetZ - c.cameraZ) * f);
    return runKeywordLine(ctx, line);
}

// The lens presets: a wide angle of 16 mm (about 90 degrees across) and a zoom of 96 mm (about 19).
constexpr int kWideAngle = 16, kZoomLens = 96;

// The pickers: the sun and the moon placed in a direction given as x, y, z
// (X east, Y north, Z up) in units of their distance, the strata stacked
// along one. The dial shows the direction's azimuth.
constexpr double kDegrees = 180.0 / 3.14159265358979323846;
constexpr double kMoonDistance = 380000000.0;

std::array<double, 3> sunDirection(const App& a)
{
    const double az = a.scene.lighting.sunAzimuth / kDegrees, dec = a.scene.lighting.sunDeclination / kDegrees;
    return {-std::sin(az) * std::cos(dec), std::cos(az) * std::cos(dec), std::sin(dec)};
}
double azimuthOf(double x, double y) { return x == 0.0 && y == 0.0 ? 0.0 : std::atan2(-x, y) * kDegrees; }

std::vector<double> rounded(std::array<double, 3> v)
{
    std::vector<double> out;
    for (const double c : v) out.push_back(std::round(c * 1000.0) / 1000.0);
    return out;
}

int pickBody(WindowContext& ctx, bool sun)
{
    const SunMoonSettings& m = ctx.app.scene.sky.sunMoon;
    const std::array<double, 3> now =
        sun ? sunDirection(ctx.app)
            : std::array<double, 3>{m.moonX / kMoonDistance, m.moonY / kMoonDistance, m.moonZ / kMoonDistance};
    const std::optional<std::vector<double>> v =
        ctx.ui.askNumbers(sun ? "Set sun position:" : "Set moon position:", rounded(now));
    if (!v || v->size() != 3) return -1;
    char line[160];
    std::snprintf(line, sizeof line, "%s %.6f %.6f %.6f", sun ? "SunPosition" : "MoonPosition", (*v)[0], (*v)[1],
                  (*v)[2]);
    return runKeywordLine(ctx, line);
}

int pickStrataTilt(WindowContext& ctx, const Gadget&)
{
    std::array<float, 3>& tilt = ctx.app.scene.colouring.strataTilt;
    const std::optional<std::vector<double>> v =
        ctx.ui.askNumbers("Strata tilt (x, y, z):", rounded({tilt[0], tilt[1], tilt[2]}));
    if (!v || v->size() != 3) return -1;
    const double length = std::hypot((*v)[0], (*v)[1], (*v)[2]);
    if (!std::isfinite(length) || length == 0.0) {
        ctx.ui.message("The strata tilt needs a direction: x, y and z cannot all be 0.");
        return 0;
    }
    for (std::size_t i = 0; i < 3; ++i) tilt[i] = static_cast<float>((*v)[i] / length);
    applyScriptMarks(ctx.app.landscape, kMarkC);
    return 1;
}

// The display: a preset size in a depth (the classic display modes). The
// render window always shows true colour; in an 8-bit mode it shows the
// 8-bit image through the palette.
int setDisplay(WindowContext& ctx, int sizeNumber, int depth)
{
    int index = -1;
    for (int i = 0; i < kDisplayModeCount; ++i)
        if (kDisplayModes[i].sizeNumber == sizeNumber && kDisplayModes[i].depth == depth) index = i;
    if (index < 0) {
        ctx.ui.message("That size is offered in 8 bits only.");
        return 0;
    }
    App& a = ctx.app;
    return setDisplayMode(a.images, a.geometry, a.scene.render, ctx.ui, index) == 1 ? 1 : 0;
}

int displayOptions(WindowContext& ctx, const Gadget&)
{
    const std::optional<int> size = ctx.ui.choose(
        "Display size:", {"320 x 200", "640 x 400", "640 x 480", "800 x 600", "1024 x 768", "1280 x 1024"});
    if (!size) return -1;
    const std::optional<int> depth =
        ctx.ui.choose("Display depth:", {"8 bits (palette)", "15 bits", "16 bits", "24 bits"});
    if (!depth) return -1;
    constexpr int kDepths[] = {8, 15, 16, 24};
    return setDisplay(ctx, *size + 1, kDepths[*depth]);
}

// "Palettized display": the same size in 8 bits, or back to 24.
int togglePalettized(WindowContext& ctx, const Gadget&)
{
    const App& a = ctx.app;
    return setDisplay(ctx, a.scene.render.imageSizeMode, a.geometry.displayDepth > 8 ? 8 : 24);
}

// The image size drop-down: a preset in the current depth, or any size asked.
int presetSize(WindowContext& ctx, int id)
{
    static constexpr const char* kKeywords[] = {"GrModeVga320x200",  "GrModeVesa640x400",  "GrModeVesa640x480",
                                                "GrModeVesa800x600", "GrModeVesa1024x768", "GrModeVesa1280x1024"};
    if (id == 1023) {
        App& a = ctx.app;
        const int result = imageSizeDialog(a.images, a.geometry, a.scene.render, ctx.ui);
        return result;
    }
    return runKeywordLine(ctx, kKeywords[id - 1017]);
}

// The mean of four sizes or densities as the keywords compute it.
double meanOf(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
{
    return static_cast<double>(std::max((a + b + c + d + 2) / 4, 1));
}

const Binding kBindings[] = {
    {1009, "AltitudeTextureOff", {}, [](const App& a) { return a.scene.texture.kind != 1 ? 1.0 : 0.0; }},
    {1010, "AltitudeTextureLow", {}, [](const App& a) { return a.scene.texture.kind == 1 && a.scene.texture.level == 1 ? 1.0 : 0.0; }},
    {1011, "AltitudeTextureMedium", {}, [](const App& a) { return a.scene.texture.kind == 1 && a.scene.texture.level == 2 ? 1.0 : 0.0; }},
    {1012, "AltitudeTextureHigh", {}, [](const App& a) { return a.scene.texture.kind == 1 && a.scene.texture.level >= 3 ? 1.0 : 0.0; }},
    {1014, "SurfaceRoughnessLarge", {}, [](const App& a) { return static_cast<double>(a.scene.texture.detailLarge); }},
    {1015, "SurfaceRoughnessSmall", {}, [](const App& a) { return static_cast<double>(a.scene.texture.detailSmall); }},
    {1016, "HorizontalDeformationOn", "HorizontalDeformationOff",
     [](const App& a) { return static_cast<double>(a.scene.texture.horizontalDeformation); }},
    {1048, {}, {}, [](const App& a) { return static_cast<double>(a.geometry.width); },
     [](WindowContext& c, const Gadget& g) { return imageSide(c, g, true); }},
    {1049, {}, {}, [](const App& a) { return static_cast<double>(a.geometry.height); },
     [](WindowContext& c, const Gadget& g) { return imageSide(c, g, false); }},
    {1064, {}, {}, sunPresetOn<0>, sunPreset<0>},
    {1065, {}, {}, sunPresetOn<180>, sunPreset<180>},
    {1066, {}, {}, sunPresetOn<-90>, sunPreset<-90>},
    {1067, {}, {}, sunPresetOn<90>, sunPreset<90>},
    {1077, "GShadeOn", "GShadeOff", [](const App& a) { return static_cast<double>(a.scene.render.gouraud); }},
    {1151, "ExaggerationOn", "ExaggerationOff", [](const App& a) { return static_cast<double>(a.scene.lighting.exaggeration); }},
    {1159, "EnlargeAll", {}},
    {1161, "Shrink", {}},
    {1184, {}, {}, [](const App& a) { return static_cast<double>(a.scene.colouring.seaLevel); },
     [](WindowContext& c, const Gadget& g) { return runKeywordLine(c, "SeaLevel " + std::to_string(g.value) + " 0"); }},
    {1185, "TreeLine", {}, [](const App& a) { return static_cast<double>(a.scene.colouring.treeLine); }},
    {1186, "SnowLine", {}, [](const App& a) { return static_cast<double>(a.scene.colouring.snowLine); }},
    {1187, "Haze", {}, [](const App& a) { return static_cast<double>(a.scene.sky.haze); }},
    {1188, "Dither", {}, [](const App& a) { return static_cast<double>(a.scene.colouring.dither); }},
    {1189, "TreeOn", "TreeOff", [](const App& a) { return static_cast<double>(a.scene.trees.trees); }},
    {1190, "TreeSize", {}, [](const App& a) {
         const TreeSettings& t = a.scene.trees;
         return meanOf(t.palmSize, t.oakSize, t.cactusSize, t.pineSize);
     }},
    {1191, "TreeDensity", {}, [](const App& a) {
         const auto& d = a.scene.trees.density;
         return meanOf(d[0], d[1], d[2], d[3]);
     }},
    {1192, "Tree2D", {}, [](const App& a) { return a.scene.trees.solid == 0 ? 1.0 : 0.0; }},
    {1193, "Tree3D", {}, [](const App& a) { return a.scene.trees.solid != 0 ? 1.0 : 0.0; }},
    {1196, "TreeDetailLow", {}, [](const App& a) { return a.scene.trees.detail == -1 ? 1.0 : 0.0; }},
    {1197, "TreeDetailMedium", {}, [](const App& a) { return a.scene.trees.detail == 0 ? 1.0 : 0.0; }},
    {1198, "TreeDetailHigh", {}, [](const App& a) { return a.scene.trees.detail == 1 ? 1.0 : 0.0; }},
    {1199, "TreeDetailUltra", {}, [](const App& a) { return a.scene.trees.detail == 2 ? 1.0 : 0.0; }},
    {1203, "LightingRoughness", {}, [](const App& a) { return static_cast<double>(a.scene.lighting.lightingRoughness); }},
    {1204, "VerticalScale", {}, [](const App& a) { return static_cast<double>(a.scene.generation.verticalScale); }},
    {1207, "SunAzimuth", {}, [](const App& a) { return static_cast<double>(a.scene.lighting.sunAzimuth); }},
    {1208, "SunDeclination", {}, [](const App& a) { return static_cast<double>(a.scene.lighting.sunDeclination); }},
    {1209, "LockPalette", "UnLockPalette", [](const App& a) { return static_cast<double>(a.scene.render.paletteLocked); }},
    {1211, "PaletteColours", {}, [](const App& a) { return static_cast<double>(a.paletteMap.colours); }},
    {1212, "ShadowsOn", "ShadowsOff", [](const App& a) { return static_cast<double>(a.scene.lighting.shadows); }},
    {1213, "PixelDither", {}, [](const App& a) { return static_cast<double>(a.scene.render.pixelDither); }},
    {1216, "BlendOn", "BlendOff", [](const App& a) { return static_cast<double>(a.scene.render.blend); }},
    {1224, "LensLeft", {}, [](const App& a) { return a.scene.camera.stereoLens == kLensLeft ? 1.0 : 0.0; }},
    {1225, "LensCenter", {}, [](const App& a) { return a.scene.camera.stereoLens == kLensCenter ? 1.0 : 0.0; }},
    {1226, "LensRight", {}, [](const App& a) { return a.scene.camera.stereoLens == kLensRight ? 1.0 : 0.0; }},
    {1227, "LensPort", {}, [](const App& a) { return a.scene.camera.lensDirection == kLensPort ? 1.0 : 0.0; }},
    {1228, "LensForward", {}, [](const App& a) { return a.scene.camera.lensDirection == kLensForward ? 1.0 : 0.0; }},
    {1229, "LensStarboard", {}, [](const App& a) { return a.scene.camera.lensDirection == kLensStarboard ? 1.0 : 0.0; }},
    {1238, "StarsOn", "StarsOff", [](const App& a) { return static_cast<double>(a.scene.sky.sunMoon.starsAndMoon); }},
    {1239, "SkyOn", "SkyOff", [](const App& a) { return static_cast<double>(a.scene.sky.sky); }},
    {1240, "HorizonOn", "HorizonOff", [](const App& a) { return static_cast<double>(a.scene.sky.horizon); }},
    {1245, "CloudOn", "CloudOff", [](const App& a) { return static_cast<double>(a.scene.clouds.clouds); }},
    {1246, "EnableCliffs", "DisableCliffs", [](const App& a) { return static_cast<double>(a.scene.colouring.cliffs); }},
    {1247, "CliffThreshold", {}, [](const App& a) { return static_cast<double>(a.scene.colouring.cliffThreshold); }},
    {1248, "CliffsStratified", "CliffsBySlope", [](const App& a) { return a.scene.colouring.cliffMode == 2 ? 1.0 : 0.0; }},
    {1249, "StrataThickness", {}, [](const App& a) { return static_cast<double>(a.scene.colouring.strataThickness); }},
    {1251, "StrataWarp", {}, [](const App& a) { return static_cast<double>(a.scene.colouring.strataWarp); }},
    {1252, "ValleyOn", "ValleyOff", [](const App& a) { return static_cast<double>(a.scene.colouring.valleys); }},
    {1253, "ValleyWidth", {}, [](const App& a) { return static_cast<double>(a.scene.colouring.valleyWidth); }},
    {1254, "ValleyStrength", {}, [](const App& a) { return static_cast<double>(a.scene.colouring.valleyStrength); }},
    {1279, "AntialiasOn", "AntialiasOff", [](const App& a) { return static_cast<double>(a.scene.render.antialias); }},
    {1280, "FlareOn", "FlareOff", [](const App& a) { return static_cast<double>(a.scene.render.flare); }},
    {1281, "PhongOn", "PhongOff", [](const App& a) { return static_cast<double>(a.scene.lighting.phongHighlights); }},
    {1317, "SetColorContrast", {}, [](const App& a) { return static_cast<double>(a.scene.lighting.contrast); }},
    {1318, "SetColorContrast", {}, [](const App& a) { return static_cast<double>(a.scene.lighting.contrast); }},
    {1320, "SetColorBrightness", {}, [](const App& a) { return static_cast<double>(a.scene.lighting.exposure); }},
    {1401, "MoonSize", {}, [](const App& a) { return static_cast<double>(a.scene.sky.sunMoon.moonSize); }},
    {1406, "SunSize", {}, [](const App& a) { return static_cast<double>(a.scene.sky.sunMoon.sunSize); }},
    {1319, "SetColorBrightness", {}, [](const App& a) { return static_cast<double>(a.scene.lighting.exposure); }},
    {1321, "WavesOn", "WavesOff", [](const App& a) { return static_cast<double>(a.scene.waves.enabled); }},
    {1322, "WaveSource", {}, [](const App& a) { return static_cast<double>(a.scene.waves.source); }},
    {1323, "WaveLength", {}, [](const App& a) { return static_cast<double>(a.scene.waves.length); }},
    {1324, "WaveAmplitude", {}, [](const App& a) { return static_cast<double>(a.scene.waves.amplitude); }},
    {1325, "WaveSpeed", {}, [](const App& a) { return static_cast<double>(a.scene.waves.speed); }},
    {1400, "MoonSize", {}, [](const App& a) { return static_cast<double>(a.scene.sky.sunMoon.moonSize); }},
    {1265, "CameraSeparation", {}, [](const App& a) { return static_cast<double>(a.scene.camera.cameraSeparation); }},
    {1267, "StereoShift", {}, [](const App& a) { return static_cast<double>(a.scene.camera.stereoShift); }},
    {1230, "LensAstern", {}, [](const App& a) { return a.scene.camera.lensDirection == kLensAstern ? 1.0 : 0.0; }},
    {1140, "SampleSpacing", {}, [](const App& a) { return static_cast<double>(a.landscape.spacingX); }},
    {1194, "BranchBending", {}, [](const App& a) { return static_cast<double>(a.scene.trees.branchBend[0]); }},
    {1195, "BranchBending", {}, [](const App& a) { return static_cast<double>(a.scene.trees.branchBend[0]); }},
    {1405, "SunSize", {}, [](const App& a) { return static_cast<double>(a.scene.sky.sunMoon.sunSize); }},
    {1346, {}, {}, nullptr, editColours<1346>},
    {1347, {}, {}, nullptr, editColours<1347>},
    {1348, {}, {}, nullptr, editColours<1348>},
    {1349, {}, {}, nullptr, editColours<1349>},
    {1350, {}, {}, nullptr, editColours<1350>},
    {1351, {}, {}, nullptr, editColours<1351>},
    {1060, "GenerateFractal", {}, [](const App& a) { return static_cast<double>(a.scene.generation.seed); }},
    {1069, {}, {}, nullptr, chooseLandscapeSize},
    {1091, "Smooth", {}},
    {1141, "Fractalize", {}},
    {1142, "Erode 1", {}},
    {1143, "Stretch", {}},
    {1164, {}, {}, [](const App& a) { return static_cast<double>(a.scene.camera.lockX); }, switchLock<'X'>},
    {1165, {}, {}, [](const App& a) { return static_cast<double>(a.scene.camera.lockY); }, switchLock<'Y'>},
    {1166, {}, {}, [](const App& a) { return static_cast<double>(a.scene.camera.lockZ); }, switchLock<'Z'>},
    {1170, "CameraX", {}, [](const App& a) { return static_cast<double>(a.scene.camera.cameraX); }},
    {1171, "CameraY", {}, [](const App& a) { return static_cast<double>(a.scene.camera.cameraY); }},
    {1172, "CameraZ", {}, [](const App& a) { return static_cast<double>(a.scene.camera.cameraZ); }},
    {1174, "TargetX", {}, [](const App& a) { return static_cast<double>(a.scene.camera.targetX); }},
    {1175, "TargetY", {}, [](const App& a) { return static_cast<double>(a.scene.camera.targetY); }},
    {1176, "TargetZ", {}, [](const App& a) { return static_cast<double>(a.scene.camera.targetZ); }},
    {1150, {}, {}, [](const App& a) { return static_cast<double>(a.scene.lighting.sunAzimuth); },
     [](WindowContext& c, const Gadget&) { return pickBody(c, true); }},
    {1398, {}, {}, [](const App& a) { return azimuthOf(a.scene.sky.sunMoon.moonX, a.scene.sky.sunMoon.moonY); },
     [](WindowContext& c, const Gadget&) { return pickBody(c, false); }},
    {1250, {}, {}, [](const App& a) {
         return azimuthOf(a.scene.colouring.strataTilt[0], a.scene.colouring.strataTilt[1]);
     }, pickStrataTilt},
    {1173, {}, {}, heightAboveGround, placeAboveGround},
    {1108, {}, {}, [](const App& a) { return static_cast<double>(a.animationRate); },
     [](WindowContext& c, const Gadget& g) {
         if (g.value < 1 || g.value > 100) {
             c.ui.report("Animation speed takes values from 1 to 100 frames a second; it stays " +
                         std::to_string(c.app.animationRate));
             return 0;
         }
         c.app.animationRate = static_cast<int>(g.value);
         return 1;
     }},
    {1352, "PathNew", {}},
    {1354, {}, {}, nullptr, editPath<editPathNode>},
    {1355, {}, {}, nullptr, editPath<addPathNode>},
    {1356, {}, {}, nullptr, editPath<removePathNode>},
    {1357, {}, {}, nullptr, editPath<setNodeTarget>},
    {1358, {}, {}, nullptr, editPath<unsetNodeTarget>},
    {1390, {}, {}, nullptr, editPath<addNodeRoll>},
    {1391, {}, {}, nullptr, editPath<removeNodeRoll>},
    {1363, "PathClosedLoopOn", "PathClosedLoopOff", [](const App& a) {
         return static_cast<double>(readPathSettings(a.path).closedLoop);
     }},
    {1364, "PathSpeed", {}, [](const App& a) { return static_cast<double>(readPathSettings(a.path).speed); }},
    {1370, "PathVehicle Glider", {}},
    {1371, "PathVehicle Jet", {}},
    {1372, "PathVehicle Cruise Missile", {}},
    {1373, "PathVehicle Helicopter", {}},
    {1374, "PathVehicle Dune Buggy", {}},
    {1375, "PathVehicle Motorcycle", {}},
    {1362, {}, {}, pathPosition, movePathPosition},
    {1366, {}, {}, nullptr, zoomAltitude<1366>},
    {1367, {}, {}, nullptr, zoomAltitude<1367>},
    {1368, {}, {}, nullptr, zoomAltitude<1368>},
    {1386, {}, {}, nullptr, [](WindowContext& c, const Gadget&) {
         return exportPathCommand(c.app.path, c.app.dirs.script, c.ui);
     }},
    {1017, {}, {}, nullptr, [](WindowContext& c, const Gadget&) { return presetSize(c, 1017); }},
    {1018, {}, {}, nullptr, [](WindowContext& c, const Gadget&) { return presetSize(c, 1018); }},
    {1019, {}, {}, nullptr, [](WindowContext& c, const Gadget&) { return presetSize(c, 1019); }},
    {1020, {}, {}, nullptr, [](WindowContext& c, const Gadget&) { return presetSize(c, 1020); }},
    {1021, {}, {}, nullptr, [](WindowContext& c, const Gadget&) { return presetSize(c, 1021); }},
    {1022, {}, {}, nullptr, [](WindowContext& c, const Gadget&) { return presetSize(c, 1022); }},
    {1023, {}, {}, nullptr, [](WindowContext& c, const Gadget&) { return presetSize(c, 1023); }},
    {1024, {}, {}, [](const App& a) { return a.geometry.displayDepth == 8 ? 1.0 : 0.0; }, togglePalettized},
    {1043, {}, {}, nullptr, displayOptions},
    {1177, {}, {}, cameraTargetDistance, placeTargetAt},
    {1181, "Heading", {}, [](const App& a) { return static_cast<double>(a.scene.camera.heading); }},
    {1182, "Bank", {}, [](const App& a) { return static_cast<double>(a.scene.camera.bank); }},
    {1183, "Pitch", {}, [](const App& a) { return static_cast<double>(a.scene.camera.pitch); }},
    {1206, "FractalRoughness", {}, [](const App& a) { return static_cast<double>(a.scene.generation.roughness); }},
    {1215, {}, {}, nullptr, randomSeed},
    {1217, "FeatureSize1", {}, [](const App& a) { return a.scene.generation.featureSize == 1 ? 1.0 : 0.0; }},
    {1218, "FeatureSize2", {}, [](const App& a) { return a.scene.generation.featureSize == 2 ? 1.0 : 0.0; }},
    {1219, "FeatureSize4", {}, [](const App& a) { return a.scene.generation.featureSize == 4 ? 1.0 : 0.0; }},
    {1220, "FeatureSize8", {}, [](const App& a) { return a.scene.generation.featureSize == 8 ? 1.0 : 0.0; }},
    {1221, {}, {}, [](const App& a) { return a.scene.camera.focalLength == kWideAngle ? 1.0 : 0.0; },
     [](WindowContext& c, const Gadget&) { return runKeywordLine(c, "FocalLength " + std::to_string(kWideAngle)); }},
    {1222, {}, {}, [](const App& a) { return a.scene.camera.focalLength == kZoomLens ? 1.0 : 0.0; },
     [](WindowContext& c, const Gadget&) { return runKeywordLine(c, "FocalLength " + std::to_string(kZoomLens)); }},
    {1223, "FocalLength", {}, [](const App& a) { return static_cast<double>(a.scene.camera.focalLength); }},
    {1282, "AutoExposureOn", "AutoExposureOff",
     [](const App& a) { return static_cast<double>(a.scene.lighting.autoExposure); }},
};

const Binding* bindingOf(int id)
{
    for (const Binding& b : kBindings)
        if (b.id == id) return &b;
    for (const Binding& b : secondaryBindings())
        if (b.id == id) return &b;
    return nullptr;
}

// The ids of every control of every panel, sorted, once.
const std::vector<int>& allControlIds()
{
    static const std::vector<int> ids = [] {
        std::vector<int> out;
        for (const PanelTable& p : kPanels)
            for (const Control& c : p.controls) {
                if (c.id != 0) out.push_back(c.id);
                for (const MenuItem& item : c.items)
                    if (item.id != 0) out.push_back(item.id);
            }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }();
    return ids;
}

// A number as a field's value text: whole numbers without a point.
std::string valueText(const Gadget& g)
{
    char text[64];
    if (g.kind == kGadgetInteger) std::snprintf(text, sizeof text, "%ld", g.value);
    else std::snprintf(text, sizeof text, "%.*f", std::clamp(g.decimals, 0, 10), g.number);
    return text;
}

} // namespace

std::vector<Gadget> panelControls(int tabId, const App& app)
{
    std::vector<Gadget> gadgets;
    for (const PanelTable& p : kPanels)
        if (p.tab == tabId) gadgets = layoutControls(p.controls);
    fillControls(gadgets, app);
    return gadgets;
}

void fillControls(std::vector<Gadget>& gadgets, const App& app)
{
    for (Gadget& g : gadgets) {
        const Binding* b = bindingOf(g.id);
        if (b == nullptr || b->read == nullptr) {
            // A field whose setting is not wired yet shows 0; a button without a state springs back.
            if (g.kind == kGadgetInteger) setFieldValue(g, 0);
            if (g.kind == kGadgetDecimal) setFieldNumber(g, 0.0);
            if (g.kind == kGadgetButton) g.state = 0;
            continue;
        }
        const double v = b->read(app);
        switch (g.kind) {
        case kGadgetInteger: setFieldValue(g, static_cast<long>(std::lround(v))); break;
        case kGadgetDecimal: setFieldNumber(g, v); break;
        case kGadgetButton: g.state = v != 0.0 ? 1 : 0; break;
        case kGadgetHSlider: g.value = std::clamp<long>(std::lround(v), 0, g.range); break;
        case kGadgetCompass: g.value = std::lround(v); break;
        default: break;
        }
    }
}

std::span<const int> controlIds() { return allControlIds(); }

int runControl(WindowContext& ctx, int id)
{
    const Binding* b = bindingOf(id);
    const Gadget* g = ctx.gadget;
    int result = 1;
    if (b == nullptr || (b->run == nullptr && b->keyword.empty())) {
        result = kCommandNotBuilt; // the panel shows the setting again below
    } else if (b->run != nullptr) {
        static const Gadget none{};
        result = b->run(ctx, g != nullptr ? *g : none);
    } else {
        std::string line(b->keyword);
        if (g != nullptr && g->kind == kGadgetHSlider) {
            line += ' ';
            line += std::to_string(g->value);
        } else if (g != nullptr && (g->kind == kGadgetInteger || g->kind == kGadgetDecimal)) {
            line += ' ';
            line += valueText(*g);
        } else if (g != nullptr && !b->offKeyword.empty() && g->state == 0) {
            line = std::string(b->offKeyword);
        }
        result = runKeywordLine(ctx, line);
    }
    // Whatever the keyword made of the value (ranges, locks, re-aiming) shows in the panel.
    refillPanel(ctx);
    refreshMap(ctx); // edits change what the map shows and marks
    ctx.input.present();
    return result;
}

} // namespace kalvenor
