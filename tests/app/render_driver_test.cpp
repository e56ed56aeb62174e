#include <gtest/gtest.h>

#include <vector>

#include "app/app.h"
#include "app/render_driver.h"
#include "model/scene_reset.h"
#include "platform/scripted_frontend.h"
#include "shell/startup.h"
#include "terrain/fractal.h"

namespace kalvenor {
namespace {

// A small generated island seen by the overview camera, at 320 x 200.
struct RenderFixture {
    App app;
    ScriptedFrontend ui;
    RenderFixture()
    {
        initialiseApp(app, ui);
        generateLandscape(app.landscape, app.scene.generation, app.random, ui);
        refreshAfterGeneration(app.landscape, app.scene);
    }
    std::vector<std::uint32_t> pixels() const
    {
        const auto& image = app.images.vidmem24;
        std::vector<std::uint32_t> all;
        for (int r = 0; r < image.height; ++r) all.insert(all.end(), image[r], image[r] + image.width);
        return all;
    }
};

TEST(RenderDriver, RendersAreRepeatablePixelForPixel)
{
    RenderFixture first;
    ASSERT_EQ(renderImage(first.app, first.ui), Outcome::Done);
    EXPECT_GT(first.app.scene.render.polygonCount, 1000);
    RenderFixture second;
    ASSERT_EQ(renderImage(second.app, second.ui), Outcome::Done);
    EXPECT_EQ(first.pixels(), second.pixels());
    // A second render in the same program draws the same picture again; only the pixel
    // dither, whose stream runs on from render to render, may differ, so it is off here.
    first.app.scene.render.pixelDither = 0;
    ASSERT_EQ(renderImage(first.app, first.ui), Outcome::Done);
    const auto undithered = first.pixels();
    ASSERT_EQ(renderImage(first.app, first.ui), Outcome::Done);
    EXPECT_EQ(first.pixels(), undithered);
}

TEST(RenderDriver, AnAbortEndsTheFrameAndKeepsWhatWasDrawn)
{
    RenderFixture f;
    f.app.scene.render.antialias = 0;
    ASSERT_EQ(renderImage(f.app, f.ui), Outcome::Done); // colours, shades and palette are ready now
    const int whole = f.app.scene.render.polygonCount;
    f.ui.polls = 0;
    f.ui.abortOnPoll = 3;
    EXPECT_EQ(renderImage(f.app, f.ui), Outcome::Cancelled);
    EXPECT_LT(f.app.scene.render.polygonCount, whole);
}

// Speed 300 moves the waves a third of a percent per frame; only a frame that
// completes moves them.
TEST(RenderDriver, CompletedFramesStepTheWavePhase)
{
    RenderFixture f;
    f.app.scene.render.antialias = 0;
    f.app.scene.waves.speed = 300;
    ASSERT_EQ(renderImage(f.app, f.ui), Outcome::Done);
    EXPECT_NEAR(f.app.scene.waves.phase, 1.0f / 3.0f, 1e-5);
    ASSERT_EQ(renderImage(f.app, f.ui), Outcome::Done);
    EXPECT_NEAR(f.app.scene.waves.phase, 2.0f / 3.0f, 1e-5);
    f.ui.polls = 0;
    f.ui.abortOnPoll = 3;
    EXPECT_EQ(renderImage(f.app, f.ui), Outcome::Cancelled);
    EXPECT_NEAR(f.app.scene.waves.phase, 2.0f / 3.0f, 1e-5);
}

TEST(RenderDriver, MissingBuffersAreRefusedWithTheirMessage)
{
    RenderFixture f;
    f.app.images.vidmem8.release();
    EXPECT_EQ(renderImage(f.app, f.ui), Outcome::Failed);
    EXPECT_EQ(f.ui.messages.back(), kNoVidmem8);
    f.app.images.vidmem8.allocate(320, 200);
    f.app.images.vidmem24.release();
    EXPECT_EQ(renderImage(f.app, f.ui), Outcome::Failed);
    EXPECT_EQ(f.ui.messages.back(), kNoVidmem24);
}

TEST(RenderDriver, ProgressNamesTheFrame)
{
    char buffer[32];
    EXPECT_STREQ(progressLabel(0, 1, buffer, sizeof buffer), "Render");
    EXPECT_STREQ(progressLabel(2, 10, buffer, sizeof buffer), "Frame 3 of 10");
}

} // namespace
} // namespace kalvenor
