// The window adapter on SDL's offscreen video driver, with events made by the
// test: pointer positions mapped back through the scale, keys turned into the
// panels' key codes, the render window and its pan keys, and the abort and the
// refused close during a render.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "app/app.h"
#include "panels/key_codes.h"
#include "platform/scripted_frontend.h"
#include "platform/sdl_window.h"
#include "render/image_size.h"
#include "shell/startup.h"

namespace kalvenor {
namespace {

class SdlAdapter : public ::testing::Test {
protected:
    std::unique_ptr<App> app = std::make_unique<App>();
    Surface surface;
    std::unique_ptr<SdlWindow> window;

    // The display libraries' own allocations while events are handled are not ours to check.
    void TearDown() override
    {
        window.reset();
#if defined(__SANITIZE_ADDRESS__)
        __lsan_enable();
#endif
    }

    void SetUp() override
    {
#if defined(__SANITIZE_ADDRESS__)
        __lsan_disable();
#endif
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        // The software renderer: no GL driver is loaded (and unloaded, with allocations the leak checker cannot name).
        ::setenv("SDL_RENDER_DRIVER", "software", 1);
        ScriptedFrontend quiet;
        initialiseApp(*app, quiet);
        window = std::make_unique<SdlWindow>(*app, surface, WindowOptions{.scale = 2, .trace = {}});
        if (!window->ok()) GTEST_SKIP() << "no offscreen video driver: " << window->error();
        SDL_Event e;
        while (SDL_PollEvent(&e) != 0) {
        } // what opening the windows queued
    }

    void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

    void pushKey(unsigned window, SDL_Keycode key, Uint16 mod = 0)
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = window;
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        push(e);
    }

    void pushText(unsigned window, const char* text)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = window;
        std::snprintf(e.text.text, sizeof e.text.text, "%s", text);
        push(e);
    }

    void pushButton(unsigned window, Uint32 type, Uint8 button, int x, int y)
    {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = window;
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        push(e);
    }

    // Lets the adapter handle what is queued (the render window's own events give nothing back).
    void drain()
    {
        for (int i = 0; i < 3; ++i) window->next();
    }

    // The next event that is not a timer tick.
    InputEvent nextEvent()
    {
        for (;;) {
            const std::optional<InputEvent> e = window->next();
            if (!e) return InputEvent{InputKind::Close};
            if (e->kind != InputKind::Timer) return *e;
        }
    }
};

TEST_F(SdlAdapter, PointerAndKeysBecomePanelInput)
{
    EXPECT_EQ(window->scale(), 2);
    const unsigned main = window->mainWindowId();
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = main;
    motion.motion.x = 901;
    motion.motion.y = 369;
    push(motion);
    InputEvent e = nextEvent();
    EXPECT_EQ(e.kind, InputKind::Move);
    EXPECT_EQ(e.x, 450); // window pixels halved: the surface's
    EXPECT_EQ(e.y, 184);

    pushButton(main, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 60);
    pushButton(main, SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 100, 60);
    e = nextEvent();
    EXPECT_EQ(e.kind, InputKind::LeftDown);
    EXPECT_EQ(e.x, 50);
    EXPECT_EQ(nextEvent().kind, InputKind::RightUp);

    const struct {
        SDL_Keycode key;
        Uint16 mod;
        int code;
    } keys[] = {{SDLK_ESCAPE, 0, kKeyEscape}, {SDLK_RETURN, 0, kKeyEnter},     {SDLK_UP, 0, kKeyUp},
                {SDLK_END, 0, kKeyEnd},       {SDLK_KP_MULTIPLY, 0, kKeyPadStar}, {SDLK_F5, 0, 0x3F00},
                {SDLK_F2, 0, 0x3C00},         {SDLK_BACKSPACE, 0, kKeyBackspace}};
    for (const auto& k : keys) {
        pushKey(main, k.key, k.mod);
        e = nextEvent();
        EXPECT_EQ(e.kind, InputKind::Key);
        EXPECT_EQ(e.key, k.code) << SDL_GetKeyName(k.key);
    }
    // Characters come as typed text, in the keyboard's layout; a few have key codes of their own.
    const struct {
        const char* text;
        int code;
    } typed[] = {{"e", 'e'}, {"E", 'E'}, {"0", '0'}, {"_", '_'}, {"-", kKeyMinus}, {" ", kKeySpace}, {"=", kKeyEquals}};
    for (const auto& t : typed) {
        pushText(main, t.text);
        e = nextEvent();
        EXPECT_EQ(e.kind, InputKind::Key);
        EXPECT_EQ(e.key, t.code) << t.text;
    }
    // The keypad's * is its key, not also the character it types.
    pushKey(main, SDLK_KP_MULTIPLY);
    pushText(main, "*");
    pushKey(main, SDLK_ESCAPE);
    EXPECT_EQ(nextEvent().key, kKeyPadStar);
    EXPECT_EQ(nextEvent().key, kKeyEscape);

    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = main;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    push(close);
    EXPECT_EQ(nextEvent().kind, InputKind::Close);
}

TEST_F(SdlAdapter, TheRenderWindowPansAndAbortsAndClosingIsRefusedWhileBusy)
{
    EXPECT_FALSE(window->renderWindowShown());
    ScriptedFrontend quiet;
    ASSERT_EQ(setImageSize(app->images, app->geometry, app->scene.render, quiet, 1024, 768), 1);
    window->setBusy(true);
    window->renderStarted();
    EXPECT_TRUE(window->renderWindowShown());
    EXPECT_EQ(window->renderView().imageWidth, 1024);

    // Esc in the render window during the render: pollAbort answers once.
    const unsigned render = window->renderWindowId();
    pushKey(render, SDLK_ESCAPE);
    SDL_Delay(15);
    EXPECT_TRUE(window->pollAbort());
    EXPECT_FALSE(window->pollAbort());
    // The right button anywhere aborts too; closing the main window is refused.
    pushButton(window->mainWindowId(), SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 10, 10);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = window->mainWindowId();
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    push(close);
    SDL_Delay(15);
    EXPECT_TRUE(window->pollAbort());
    window->renderEnded();
    window->setBusy(false);

    // A 640 x 480 view: End shows the image from (383, 287); the wheel scrolls
    // by a pan step, sideways with Shift.
    SDL_SetWindowSize(SDL_GetWindowFromID(render), 640, 480);
    SDL_Event sized{};
    sized.type = SDL_WINDOWEVENT;
    sized.window.windowID = render;
    sized.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    push(sized);
    pushKey(render, SDLK_END);
    drain();
    EXPECT_EQ(window->renderView().viewWidth, 640);
    EXPECT_EQ(window->renderView().x, 383);
    EXPECT_EQ(window->renderView().y, 287);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = render;
    wheel.wheel.y = 1;
    push(wheel);
    drain();
    EXPECT_EQ(window->renderView().y, 267);
    SDL_SetModState(KMOD_LSHIFT);
    push(wheel);
    drain();
    SDL_SetModState(KMOD_NONE);
    EXPECT_EQ(window->renderView().x, 363);
    EXPECT_EQ(window->renderView().y, 267);
    // Space closes it when no render runs.
    pushKey(render, SDLK_SPACE);
    window->next();
    EXPECT_FALSE(window->renderWindowShown());
}

} // namespace
} // namespace kalvenor
