// Camera, target and lens keywords.
#include <array>

#include "app/app.h"
#include "render/camera.h"
#include "script/exec_handlers.h"

namespace kalvenor {

namespace {

// Coordinate i (0 x, 1 y, 2 z) of a position replaced by value.
std::array<float, 3> withAxis(std::array<float, 3> position, int axis, float value)
{
    position[static_cast<std::size_t>(axis)] = value;
    return position;
}

} // namespace

// A single-axis keyword moves one coordinate and passes the other two as they are,
// so the locks and the re-aiming work as for a full placement.
LineResult execCameraAxis(ScriptContext& ctx)
{
    CameraSettings& camera = ctx.app.scene.camera;
    const auto p = withAxis({camera.cameraX, camera.cameraY, camera.cameraZ}, ctx.param, floatArg(ctx));
    setCamera(camera, p[0], p[1], p[2]);
    return LineResult::Done;
}

LineResult execCameraXYZ(ScriptContext& ctx)
{
    setCamera(ctx.app.scene.camera, floatArg(ctx, 0), floatArg(ctx, 1), floatArg(ctx, 2));
    return LineResult::Done;
}

LineResult execTargetAxis(ScriptContext& ctx)
{
    CameraSettings& camera = ctx.app.scene.camera;
    const auto p = withAxis({camera.targetX, camera.targetY, camera.targetZ}, ctx.param, floatArg(ctx));
    setTarget(camera, p[0], p[1], p[2]);
    return LineResult::Done;
}

LineResult execTargetXYZ(ScriptContext& ctx)
{
    setTarget(ctx.app.scene.camera, floatArg(ctx, 0), floatArg(ctx, 1), floatArg(ctx, 2));
    return LineResult::Done;
}

// Bank, heading and pitch are stored as given: no folding, no re-aiming.
LineResult execCameraAngle(ScriptContext& ctx)
{
    CameraSettings& camera = ctx.app.scene.camera;
    float* const angles[] = {&camera.bank, &camera.heading, &camera.pitch};
    *angles[ctx.param] = floatArg(ctx);
    return LineResult::Done;
}

LineResult execFieldOfView(ScriptContext& ctx)
{
    setFieldOfView(ctx.app.scene.camera, floatArg(ctx));
    return LineResult::Done;
}

LineResult execFocalLength(ScriptContext& ctx)
{
    setFocalLength(ctx.app.scene.camera, floatArg(ctx));
    return LineResult::Done;
}

// CameraSeparation metres: how far each stereo eye stands from the centre camera (0 .. 100000).
LineResult execCameraSeparation(ScriptContext& ctx)
{
    const float metres = floatArg(ctx);
    if (!(metres >= 0.0f && metres <= 100000.0f)) {
        scriptFailure(ctx, "takes a distance in metres from 0 to 100000");
        return LineResult::Done;
    }
    ctx.app.scene.camera.cameraSeparation = metres;
    return LineResult::Done;
}

} // namespace kalvenor
