#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/camera.h"

namespace kalvenor {
namespace {

TEST(Camera, AngleOfAVector)
{
    struct Case {
        double a, b, degrees;
    };
    const Case cases[] = {
        {1, 0, 0},     {1, 1, 45},     {0, 1, 90},      {-1, 1, 135}, {-1, 0, 180},
        {-1, -1, 225}, {0, -1, 270},   {1, -1, 315},    {0, 0, 90},   // a = 0 and b >= 0
        {2, -0.0, 0},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(::testing::Message() << "(" << t.a << ", " << t.b << ")");
        EXPECT_NEAR(vectorAngle(t.a, t.b), t.degrees, 1e-9);
    }
}

// Camera at (100, 100, 50); heading = angle(dx, dy) - 90 and pitch =
// angle(|dx, dy|, dz), each folded once into -180..180.
struct AimCase {
    const char* what;
    float x, y, z;
    float heading, pitch;
};

constexpr AimCase kAim[] = {
    {"along +Y", 100, 200, 50, 0, 0},
    {"along +X", 200, 100, 50, -90, 0},
    {"along -X", 0, 100, 50, 90, 0},
    {"along -Y", 100, 0, 50, 180, 0},       // 270 - 90 = 180 is not folded
    {"towards -X -Y", 0, 0, 50, 135, 0},    // 225 - 90
    {"towards +X -Y", 200, 0, 50, -135, 0}, // 315 - 90 = 225, folded to -135
    {"towards +X +Y", 200, 200, 50, -45, 0},
    {"above", 100, 200, 150, 0, 45},
    {"below", 100, 200, -50, 0, -45},       // 315 folded to -45
    {"straight up", 100, 100, 80, 0, 90},   // angle(0, 0) - 90 = 0; angle(0, 30) = 90
    {"straight down", 100, 100, 20, 0, -90}, // angle(0, -30) = 270, folded to -90
    {"same point", 100, 100, 50, 0, 90},
};

TEST(Camera, ReaimingFromCameraToTarget)
{
    for (const AimCase& t : kAim) {
        SCOPED_TRACE(t.what);
        CameraSettings camera;
        camera.bank = 12.0f;
        setCamera(camera, 100, 100, 50);
        setTarget(camera, t.x, t.y, t.z);
        EXPECT_NEAR(camera.heading, t.heading, 1e-4);
        EXPECT_NEAR(camera.pitch, t.pitch, 1e-4);
        EXPECT_FLOAT_EQ(camera.bank, 12.0f); // bank is never re-aimed

        // Moving the camera re-aims as well: put it back at the same place via the other end.
        CameraSettings moved;
        setTarget(moved, t.x, t.y, t.z);
        setCamera(moved, 100, 100, 50);
        EXPECT_NEAR(moved.heading, t.heading, 1e-4);
        EXPECT_NEAR(moved.pitch, t.pitch, 1e-4);
    }
}

TEST(Camera, LockedCoordinatesKeepTheirValuesButReaimingStillRuns)
{
    CameraSettings camera;
    setCamera(camera, 100, 100, 50);
    setTarget(camera, 100, 200, 50);
    camera.lockZ = 1;
    setCamera(camera, 100, 100, 999); // "CameraZ 999"
    EXPECT_FLOAT_EQ(camera.cameraZ, 50.0f);
    EXPECT_NEAR(camera.pitch, 0.0, 1e-4);

    // Heading and pitch were set by hand; the locked move still re-aims.
    camera.heading = 33.0f;
    camera.pitch = 10.0f;
    setCamera(camera, 200, 100, 999);
    EXPECT_FLOAT_EQ(camera.cameraX, 200.0f);
    EXPECT_FLOAT_EQ(camera.cameraZ, 50.0f);
    EXPECT_NEAR(camera.heading, 45.0, 1e-4); // (-100, 100): 135 - 90
    EXPECT_NEAR(camera.pitch, 0.0, 1e-4);

    // The same locks hold for the target.
    camera.lockZ = 0;
    camera.lockX = 1;
    camera.lockY = 1;
    setTarget(camera, 7, 8, 150);
    EXPECT_FLOAT_EQ(camera.targetX, 100.0f);
    EXPECT_FLOAT_EQ(camera.targetY, 200.0f);
    EXPECT_FLOAT_EQ(camera.targetZ, 150.0f);
    // Rise 100 over a level distance of sqrt(2) * 100: atan(1 / sqrt(2)) = 35.264 degrees.
    EXPECT_NEAR(camera.pitch, 35.264, 1e-3);
}

struct FovCase {
    float degrees;
    double focalFactor; // 1 / tan(clamped FOV / 2)
    int focalLength;    // 16 x focal factor, truncated
};

constexpr FovCase kFov[] = {
    {0, 114.58865, 1833},   // clamped to 1: 1 / tan(0.5 degrees)
    {1, 114.58865, 1833},
    {-30, 114.58865, 1833},
    {60, 1.7320508, 27},    // 27.71
    {90, 1.0, 16},
    {120, 0.5773503, 9},    // 9.24
    {172, 0.0699268, 1},    // 1.12
    {200, 0.0699268, 1},    // clamped to 172
};

TEST(Camera, FieldOfViewIsClampedAndSetsFocalFactorAndLength)
{
    for (const FovCase& t : kFov) {
        SCOPED_TRACE(t.degrees);
        CameraSettings camera;
        setFieldOfView(camera, t.degrees);
        EXPECT_NEAR(camera.focalFactor, t.focalFactor, t.focalFactor * 1e-6);
        EXPECT_EQ(camera.focalLength, t.focalLength);
    }
}

TEST(Camera, FocalLengthKeyword)
{
    CameraSettings camera;
    EXPECT_FLOAT_EQ(camera.focalFactor, 2.0f); // the default, 32 / 16
    EXPECT_EQ(camera.focalLength, 32);
    struct Case {
        float value;
        float factor;
        int length;
    };
    const Case cases[] = {
        {32.0f, 2.0f, 32},
        {16.0f, 1.0f, 16},
        {50.7f, 50.7f * 0.0625f, 50},
        {-3.5f, -0.21875f, -3}, // truncated toward zero, not -4
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.value);
        setFocalLength(camera, t.value);
        EXPECT_FLOAT_EQ(camera.focalFactor, t.factor);
        EXPECT_EQ(camera.focalLength, t.length);
    }
}

TEST(Camera, NotANumberLeavesTheLensAsItWas)
{
    CameraSettings camera;
    setFocalLength(camera, 24.0f);
    setFieldOfView(camera, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(camera.focalFactor, 1.5f);
    EXPECT_EQ(camera.focalLength, 24);
    setFocalLength(camera, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(camera.focalFactor, 1.5f);
    EXPECT_EQ(camera.focalLength, 24);
}

// Lens directions turn the camera for one frame; restoring puts back exactly what was there.
TEST(Camera, LensDirectionsApplyAndRestore)
{
    struct Case {
        std::int32_t lens;
        float heading, pitch, bank; // during the frame, from heading 179, pitch 10, bank 4
    };
    const Case cases[] = {
        {kLensForward, 179, 10, 4},
        {kLensPort, 89, 4, -10},      // heading - 90, pitch = old bank, bank = -old pitch
        {kLensStarboard, 269, -4, 10}, // heading + 90 is not folded
        {kLensAstern, 359, -10, -4},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.lens);
        CameraSettings camera;
        camera.heading = 179.0f;
        camera.pitch = 10.0f;
        camera.bank = 4.0f;
        camera.lensDirection = t.lens;
        ViewState view;
        applyLens(view, camera);
        EXPECT_FLOAT_EQ(camera.heading, t.heading);
        EXPECT_FLOAT_EQ(camera.pitch, t.pitch);
        EXPECT_FLOAT_EQ(camera.bank, t.bank);
        restoreLens(view, camera);
        EXPECT_FLOAT_EQ(camera.heading, 179.0f);
        EXPECT_FLOAT_EQ(camera.pitch, 10.0f);
        EXPECT_FLOAT_EQ(camera.bank, 4.0f);
        // A second restore (an aborted frame's clean-up running twice) changes nothing.
        camera.heading = 5.0f;
        restoreLens(view, camera);
        EXPECT_FLOAT_EQ(camera.heading, 5.0f);
    }
}

TEST(Camera, StereoEyesMoveAlongTheSidewaysAxis)
{
    struct Case {
        std::int32_t lens;
        float heading, bank;
        float dx, dy, dz;
    };
    const Case cases[] = {
        {kLensRight, 0, 0, 10, 0, 0},
        {kLensRight, 90, 0, 0, 10, 0},
        {kLensLeft, 0, 0, -10, 0, 0},
        {kLensLeft, 90, 0, 0, -10, 0},
        {kLensRight, 0, 30, 8.660254f, 0, -5}, // (s cos B, 0, -s sin B)
        {kLensCenter, 45, 10, 0, 0, 0},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(::testing::Message() << t.lens << " heading " << t.heading << " bank " << t.bank);
        CameraSettings camera;
        camera.cameraX = 100.0f;
        camera.cameraY = 200.0f;
        camera.cameraZ = 300.0f;
        camera.heading = t.heading;
        camera.bank = t.bank;
        camera.stereoLens = t.lens;
        ViewState view;
        moveToEye(view, camera);
        EXPECT_NEAR(camera.cameraX, 100.0f + t.dx, 1e-4);
        EXPECT_NEAR(camera.cameraY, 200.0f + t.dy, 1e-4);
        EXPECT_NEAR(camera.cameraZ, 300.0f + t.dz, 1e-4);
        EXPECT_FLOAT_EQ(view.eyeX, camera.cameraX); // the rotation was rebuilt for the eye
        restoreEye(view, camera);
        EXPECT_FLOAT_EQ(camera.cameraX, 100.0f);
        EXPECT_FLOAT_EQ(camera.cameraY, 200.0f);
        EXPECT_FLOAT_EQ(camera.cameraZ, 300.0f);
    }
}

// The right eye of a level camera moves toward growing u.
TEST(Camera, RightEyeOffsetPointsAlongViewU)
{
    for (float heading : {0.0f, 37.0f, 90.0f, -120.0f}) {
        CameraSettings camera;
        camera.heading = heading;
        camera.stereoLens = kLensRight;
        ViewState view;
        buildViewRotation(view, camera);
        const Vec3 offset = stereoEyeOffset(camera);
        const Vec3 inView = rotateDirection(view, offset);
        EXPECT_NEAR(inView.x, 10.0f, 1e-4) << heading;
        EXPECT_NEAR(inView.y, 0.0f, 1e-4) << heading;
        EXPECT_NEAR(inView.z, 0.0f, 1e-4) << heading;
    }
}

} // namespace
} // namespace kalvenor
