#include "platform/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) && !defined(__SANITIZE_ADDRESS__)
#define __SANITIZE_ADDRESS__ 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "app/app.h"
#include "panels/file_requester.h"
#include "panels/key_codes.h"
#include "panels/requesters.h"
#include "panels/toolkit.h"

namespace kalvenor {

namespace {

// SDL's start and end load and unload the display's libraries (D-Bus, input
// devices, drivers), which keep allocations the leak checker cannot even name
// once the library is gone. Those are left out of its report; every
// allocation of ours is still checked.
struct LibraryAllocations {
#if defined(__SANITIZE_ADDRESS__)
    LibraryAllocations() { __lsan_disable(); }
    ~LibraryAllocations() { __lsan_enable(); }
#else
    LibraryAllocations() = default;
#endif
    LibraryAllocations(const LibraryAllocations&) = delete;
    LibraryAllocations& operator=(const LibraryAllocations&) = delete;
};

constexpr const char* kImageTitle = "Kalvenor Image";
// While a render draws, the title tells how to stop it (the classic window swapped its menu for the same words).
constexpr const char* kRenderingTitle = "Kalvenor Image (Press right mouse button to abort rendering)";

constexpr Uint32 kPumpMillis = 10;      // pollAbort pumps the windows at most this often
constexpr Uint32 kTimerMillis = 100;    // a Timer event when nothing else happens
constexpr Uint32 kLiveMillis = 50;      // redraw mode 1: the image shown as it is drawn, this often
constexpr Uint32 kProgressMillis = 165; // a progress report closer to the last is not drawn, but 100 %

// The key code of a key press, or 0 for keys the panels do not read.
int keyCodeOf(const SDL_Keysym& k)
{
    switch (k.sym) {
    case SDLK_DELETE: return kKeyDelete;
    case SDLK_INSERT: return kKeyInsert;
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_UP: return kKeyUp;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_HOME: return kKeyHome;
    case SDLK_END: return kKeyEnd;
    case SDLK_PAGEUP: return kKeyPageUp;
    case SDLK_PAGEDOWN: return kKeyPageDown;
    case SDLK_F10: return kKeyF10;
    case SDLK_KP_PLUS: return kKeyPadPlus;
    case SDLK_KP_MULTIPLY: return kKeyPadStar;
    case SDLK_ESCAPE: return kKeyEscape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return kKeyEnter;
    case SDLK_BACKSPACE: return kKeyBackspace;
    case SDLK_TAB: return kKeyTab;
    default: break;
    }
    if (k.sym >= SDLK_F1 && k.sym <= SDLK_F9) return (0x3B + static_cast<int>(k.sym - SDLK_F1)) << 8;
    return 0; // characters come as text (charCodeOf)
}

// The key code of a typed character (text input: the layout's own, shifted
// or not), or 0 for characters the panels do not read.
int charCodeOf(char c)
{
    switch (c) {
    case '-': return kKeyMinus;
    case ' ': return kKeySpace;
    case '=': return kKeyEquals;
    default: return c >= 32 && c < 127 ? c : 0;
    }
}

// A view operation for a key of the render window, or -1.
int viewOperationOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_LEFT: return kViewLeft;
    case SDLK_RIGHT: return kViewRight;
    case SDLK_UP: return kViewUp;
    case SDLK_DOWN: return kViewDown;
    case SDLK_PAGEUP: return kViewPageUp;
    case SDLK_PAGEDOWN: return kViewPageDown;
    case SDLK_INSERT: return kViewTopLeft;
    case SDLK_DELETE: return kViewBottomLeft;
    case SDLK_HOME: return kViewTopRight;
    case SDLK_END: return kViewBottomRight;
    case SDLK_KP_MULTIPLY: return kViewScaled;
    case SDLK_KP_DIVIDE: return kViewCentre;
    default: return -1;
    }
}

} // namespace

struct SdlWindow::Impl {
    App& app;
    Surface& surface;
    bool ok = false;
    std::string error;
    int scale = 1;
    SDL_Window* mainWindow = nullptr;
    SDL_Renderer* mainRenderer = nullptr;
    SDL_Texture* mainTexture = nullptr;
    SDL_Window* renderWindow = nullptr;
    SDL_Renderer* renderRenderer = nullptr;
    SDL_Texture* imageTexture = nullptr;
    int textureWidth = 0, textureHeight = 0;
    std::vector<Uint32> staging;

    RenderView view;
    bool renderShown = false;
    bool centredOnce = false;
    bool rendering = false;
    bool busy = false;
    bool imageDrawn = false; // a render has drawn into the image buffers
    bool abortRequested = false;
    Uint32 lastPump = 0, lastTimer = 0, lastRedraw = 0, lastProgress = 0;
    int lastPercent = -1;
    int pointerX = kSurfaceWidth / 2, pointerY = kSurfaceHeight / 2;
    RequesterPlace place;
    FileRequesterMemory files;
    std::vector<std::string> reports;

    std::function<void(const std::string&)> trace;
    SDL_Keycode lastKey = SDLK_UNKNOWN; // the last key pressed in the main window
    std::function<std::optional<MapPoint>(const std::string&)> pickOnMap;
    std::function<void(const MapRect&)> plotOnMap;
    SDL_Cursor* waitCursor = nullptr;
    SDL_Cursor* arrowCursor = nullptr;

    Impl(App& a, Surface& s) : app(a), surface(s) {}

    void note(const char* event)
    {
        if (trace) trace(event);
    }

    bool isMain(Uint32 windowId) const { return mainWindow != nullptr && windowId == SDL_GetWindowID(mainWindow); }
    bool isRender(Uint32 windowId) const
    {
        return renderWindow != nullptr && windowId == SDL_GetWindowID(renderWindow);
    }

    void presentMain()
    {
        if (mainTexture == nullptr) return;
        SDL_UpdateTexture(mainTexture, nullptr, surface.pixels.data(), surface.width * 4);
        SDL_RenderClear(mainRenderer);
        SDL_RenderCopy(mainRenderer, mainTexture, nullptr, nullptr);
        SDL_RenderPresent(mainRenderer);
    }

    // The client size of the render window becomes the view size.
    void takeViewSize()
    {
        int w = 0, h = 0;
        SDL_GetWindowSize(renderWindow, &w, &h);
        view.viewWidth = w;
        view.viewHeight = h;
        applyViewOperation(view, kViewRedraw);
    }

    // The image as it stands into the render window: the 24-bit image, or the
    // 8-bit one through the display palette (a preview while an antialiased frame draws).
    void showImage()
    {
        if (!renderShown || imageTexture == nullptr) return;
        composeImage(app.images, app.geometry, app.palette, view.trueColour && app.images.vidmem24.allocated(),
                     textureWidth, textureHeight, staging);
        SDL_UpdateTexture(imageTexture, nullptr, staging.data(), textureWidth * 4);
        SDL_RenderClear(renderRenderer);
        if (view.scaled) {
            SDL_RenderCopy(renderRenderer, imageTexture, nullptr, nullptr);
        } else {
            const SDL_Rect from{view.x, view.y, std::min(view.viewWidth, textureWidth - view.x),
                                std::min(view.viewHeight, textureHeight - view.y)};
            const SDL_Rect to{0, 0, from.w, from.h};
            SDL_RenderCopy(renderRenderer, imageTexture, &from, &to);
        }
        SDL_RenderPresent(renderRenderer);
        lastRedraw = SDL_GetTicks();
    }

    void hideRenderWindow()
    {
        SDL_HideWindow(renderWindow);
        renderShown = false;
        SDL_RaiseWindow(mainWindow);
    }

    // Events of the render window: its keys pan, its close button and right
    // button close it; while rendering they abort instead.
    void renderWindowEvent(const SDL_Event& e)
    {
        if (e.type == SDL_WINDOWEVENT) {
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                if (rendering) abortRequested = true;
                else hideRenderWindow();
            } else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                takeViewSize();
                if (!rendering || app.scene.render.displayMode != 0) showImage();
            }
        } else if (e.type == SDL_MOUSEBUTTONUP && e.button.button == SDL_BUTTON_RIGHT) {
            if (rendering) abortRequested = true;
            else hideRenderWindow();
        } else if (e.type == SDL_MOUSEWHEEL) {
            // The wheel scrolls as the scroll bars would: up and down, sideways with Shift or a tilt.
            const bool sideways = (SDL_GetModState() & KMOD_SHIFT) != 0;
            const int across = sideways ? e.wheel.y : -e.wheel.x;
            const int down = sideways ? 0 : e.wheel.y;
            if (down != 0) applyViewOperation(view, down > 0 ? kViewUp : kViewDown, true, true);
            if (across != 0) applyViewOperation(view, across > 0 ? kViewLeft : kViewRight, true, true);
            showImage();
        } else if (e.type == SDL_KEYDOWN) {
            const SDL_Keycode key = e.key.keysym.sym;
            if (key == SDLK_ESCAPE && rendering) {
                abortRequested = true;
            } else if (!busy && (key == SDLK_ESCAPE || key == SDLK_RETURN || key == SDLK_SPACE)) {
                hideRenderWindow();
            } else if (const int op = viewOperationOf(key); op >= 0) {
                applyViewOperation(view, op, app.images.vidmem24.allocated(), true);
                showImage();
            }
        }
    }

    // One event for the main window's panels, or nothing (handled here, or not theirs).
    std::optional<InputEvent> translate(const SDL_Event& e)
    {
        switch (e.type) {
        case SDL_QUIT: return InputEvent{InputKind::Close};
        case SDL_WINDOWEVENT:
            if (isRender(e.window.windowID)) {
                renderWindowEvent(e);
                return std::nullopt;
            }
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) return InputEvent{InputKind::Close};
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) presentMain();
            return std::nullopt;
        case SDL_MOUSEMOTION:
            if (!isMain(e.motion.windowID)) return std::nullopt;
            pointerX = e.motion.x / scale;
            pointerY = e.motion.y / scale;
            return InputEvent{InputKind::Move, pointerX, pointerY};
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (isRender(e.button.windowID)) {
                renderWindowEvent(e);
                return std::nullopt;
            }
            if (!isMain(e.button.windowID)) return std::nullopt;
            pointerX = e.button.x / scale;
            pointerY = e.button.y / scale;
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            if (e.button.button == SDL_BUTTON_LEFT)
                return InputEvent{down ? InputKind::LeftDown : InputKind::LeftUp, pointerX, pointerY};
            if (e.button.button == SDL_BUTTON_RIGHT)
                return InputEvent{down ? InputKind::RightDown : InputKind::RightUp, pointerX, pointerY};
            return std::nullopt;
        }
        case SDL_MOUSEWHEEL:
            if (isRender(e.wheel.windowID)) renderWindowEvent(e);
            return std::nullopt;
        case SDL_TEXTINPUT: {
            if (!isMain(e.text.windowID) || e.text.text[0] == '\0' || e.text.text[1] != '\0') return std::nullopt;
            const char c = e.text.text[0];
            // The keypad's + and * have key codes of their own, sent with the key.
            if ((c == '+' && lastKey == SDLK_KP_PLUS) || (c == '*' && lastKey == SDLK_KP_MULTIPLY)) return std::nullopt;
            const int code = charCodeOf(c);
            if (code == 0) return std::nullopt;
            InputEvent k{InputKind::Key, pointerX, pointerY, code};
            k.shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
            return k;
        }
        case SDL_KEYDOWN: {
            if (isRender(e.key.windowID)) {
                renderWindowEvent(e);
                return std::nullopt;
            }
            lastKey = e.key.keysym.sym;
            const int code = keyCodeOf(e.key.keysym);
            if (code == 0) return std::nullopt;
            InputEvent k{InputKind::Key, pointerX, pointerY, code};
            k.shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
            return k;
        }
        default: return std::nullopt;
        }
    }

    // The window of an event the render window handles (its keys, buttons, wheel and window events), or 0.
    static Uint32 renderEventWindow(const SDL_Event& e)
    {
        switch (e.type) {
        case SDL_WINDOWEVENT: return e.window.windowID;
        case SDL_KEYDOWN: return e.key.windowID;
        case SDL_MOUSEBUTTONUP: return e.button.windowID;
        case SDL_MOUSEWHEEL: return e.wheel.windowID;
        default: return 0;
        }
    }

    // Serves the windows during long work: painting, panning, abort requests;
    // closing the main window is refused.
    void pump()
    {
        SDL_Event e;
        while (SDL_PollEvent(&e) != 0) {
            if (e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE &&
                                       isMain(e.window.windowID))) {
                showStatus(surface, "Kalvenor is working: press Esc to stop it first.");
                presentMain();
                note("close refused");
                continue;
            }
            if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE && rendering) {
                abortRequested = true;
                continue;
            }
            if (e.type == SDL_MOUSEBUTTONUP && e.button.button == SDL_BUTTON_RIGHT && rendering) {
                abortRequested = true;
                continue;
            }
            if (isRender(renderEventWindow(e))) {
                renderWindowEvent(e);
                continue;
            }
            if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED) presentMain();
        }
    }

    // The redraw modes while a render draws: 1 as it is drawn, 2 every N seconds, 0 only at the end.
    void liveDisplay()
    {
        if (!rendering || !renderShown) return;
        RenderSettings& r = app.scene.render;
        const Uint32 now = SDL_GetTicks();
        if (r.displayMode == 1 && now - lastRedraw >= kLiveMillis) {
            showImage();
        } else if (r.displayMode == 2 && now - lastRedraw >= static_cast<Uint32>(std::max(r.redrawSeconds, 1)) * 1000u) {
            const Uint32 start = SDL_GetTicks();
            showImage();
            // A redraw that takes longer than the period stretches it to five times the redraw.
            const Uint32 took = (SDL_GetTicks() - start) / 1000u;
            if (took > static_cast<Uint32>(r.redrawSeconds)) r.redrawSeconds = std::max<std::int32_t>(1, 5 * static_cast<std::int32_t>(took));
        }
    }

    void notYet(const std::string& what)
    {
        const std::string text = "not available yet: " + what;
        showStatus(surface, text);
        presentMain();
        reports.push_back(text);
    }
};

SdlWindow::SdlWindow(App& app, Surface& surface, const WindowOptions& options)
    : impl_(std::make_unique<Impl>(app, surface))
{
    Impl& w = *impl_;
    w.trace = options.trace;
    [[maybe_unused]] const LibraryAllocations library;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        w.error = std::string("cannot open a window: ") + SDL_GetError();
        return;
    }
    // Without a display SDL falls back to drawing nowhere; only a caller that asked for that (tests) gets it.
    const std::string driver = SDL_GetCurrentVideoDriver() != nullptr ? SDL_GetCurrentVideoDriver() : "";
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if ((driver == "offscreen" || driver == "dummy") && (asked == nullptr || driver != asked)) {
        w.error = "cannot open a window: there is no display (DISPLAY is not set); 'kalvenor run' and "
                  "'kalvenor render' work without one ('kalvenor help')";
        return;
    }
    SDL_Rect usable{0, 0, kSurfaceWidth, kSurfaceHeight};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = {0, 0, kSurfaceWidth, kSurfaceHeight};
    w.scale = options.scale > 0 ? options.scale
                                : std::max(1, std::min(usable.w / kSurfaceWidth, (usable.h - 32) / kSurfaceHeight));
    w.mainWindow = SDL_CreateWindow("Kalvenor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kSurfaceWidth * w.scale,
                                    kSurfaceHeight * w.scale, SDL_WINDOW_SHOWN);
    if (w.mainWindow == nullptr) {
        w.error = std::string("cannot open a window: ") + SDL_GetError();
        return;
    }
    w.mainRenderer = SDL_CreateRenderer(w.mainWindow, -1, 0);
    if (w.mainRenderer == nullptr) w.mainRenderer = SDL_CreateRenderer(w.mainWindow, -1, SDL_RENDERER_SOFTWARE);
    if (w.mainRenderer != nullptr)
        w.mainTexture = SDL_CreateTexture(w.mainRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                          kSurfaceWidth, kSurfaceHeight);
    if (w.mainTexture == nullptr) {
        w.error = std::string("cannot draw into the window: ") + SDL_GetError();
        return;
    }
    w.renderWindow = SDL_CreateWindow("Empty View", 50, 50, 320, 200, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (w.renderWindow != nullptr) {
        w.renderRenderer = SDL_CreateRenderer(w.renderWindow, -1, 0);
        if (w.renderRenderer == nullptr) w.renderRenderer = SDL_CreateRenderer(w.renderWindow, -1, SDL_RENDERER_SOFTWARE);
    }
    if (w.renderRenderer == nullptr) {
        w.error = "Could not create render window.";
        return;
    }
    SDL_StartTextInput(); // typed characters come as text, in the keyboard's own layout
    w.waitCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    w.arrowCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    w.ok = true;
}

SdlWindow::~SdlWindow()
{
    Impl& w = *impl_;
    [[maybe_unused]] const LibraryAllocations library;
    if (w.waitCursor != nullptr) SDL_FreeCursor(w.waitCursor);
    if (w.arrowCursor != nullptr) SDL_FreeCursor(w.arrowCursor);
    if (w.imageTexture != nullptr) SDL_DestroyTexture(w.imageTexture);
    if (w.renderRenderer != nullptr) SDL_DestroyRenderer(w.renderRenderer);
    if (w.renderWindow != nullptr) SDL_DestroyWindow(w.renderWindow);
    if (w.mainTexture != nullptr) SDL_DestroyTexture(w.mainTexture);
    if (w.mainRenderer != nullptr) SDL_DestroyRenderer(w.mainRenderer);
    if (w.mainWindow != nullptr) SDL_DestroyWindow(w.mainWindow);
    SDL_Quit(); // the window is the only user of SDL: every part of it is shut down
}

bool SdlWindow::ok() const { return impl_->ok; }
unsigned SdlWindow::mainWindowId() const
{
    return impl_->mainWindow != nullptr ? SDL_GetWindowID(impl_->mainWindow) : 0;
}
unsigned SdlWindow::renderWindowId() const
{
    return impl_->renderWindow != nullptr ? SDL_GetWindowID(impl_->renderWindow) : 0;
}
const std::string& SdlWindow::error() const { return impl_->error; }
int SdlWindow::scale() const { return impl_->scale; }

std::optional<InputEvent> SdlWindow::next()
{
    Impl& w = *impl_;
    // A poll loop with a short sleep: waiting for events ends badly at exit with two windows.
    for (;;) {
        SDL_Event e;
        while (SDL_PollEvent(&e) != 0)
            if (std::optional<InputEvent> ev = w.translate(e)) return ev;
        const Uint32 now = SDL_GetTicks();
        if (now - w.lastTimer >= kTimerMillis) {
            w.lastTimer = now;
            return InputEvent{InputKind::Timer, w.pointerX, w.pointerY};
        }
        SDL_Delay(5);
    }
}

void SdlWindow::present() { impl_->presentMain(); }

void SdlWindow::renderStarted()
{
    Impl& w = *impl_;
    w.imageDrawn = true;
    const int width = w.app.geometry.width, height = w.app.geometry.height;
    w.view.imageWidth = width;
    w.view.imageHeight = height;
    w.view.x = w.view.y = 0;
    w.view.scaled = false;
    w.view.trueColour = w.app.geometry.displayDepth > 8 || w.app.scene.render.trueColourDisplay != 0;
    if (w.imageTexture == nullptr || w.textureWidth != width || w.textureHeight != height) {
        if (w.imageTexture != nullptr) SDL_DestroyTexture(w.imageTexture);
        w.imageTexture =
            SDL_CreateTexture(w.renderRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
        w.textureWidth = w.imageTexture != nullptr ? width : 0;
        w.textureHeight = w.imageTexture != nullptr ? height : 0;
    }
    SDL_Rect usable{0, 0, 1024, 768};
    SDL_GetDisplayUsableBounds(0, &usable);
    const int shownWidth = std::min(width, std::max(usable.w - 16, 160));
    const int shownHeight = std::min(height, std::max(usable.h - 48, 120));
    SDL_SetWindowTitle(w.renderWindow, kRenderingTitle);
    SDL_SetWindowSize(w.renderWindow, shownWidth, shownHeight);
    SDL_SetWindowMaximumSize(w.renderWindow, width, height);
    if (!w.centredOnce) {
        SDL_SetWindowPosition(w.renderWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        w.centredOnce = true;
    }
    SDL_RestoreWindow(w.renderWindow);
    SDL_ShowWindow(w.renderWindow);
    w.renderShown = true;
    w.rendering = true;
    w.abortRequested = false;
    w.view.viewWidth = shownWidth;
    w.view.viewHeight = shownHeight;
    w.showImage();
    w.note("render started");
}

bool SdlWindow::showImage()
{
    Impl& w = *impl_;
    if (!w.imageDrawn) return false;
    if (!w.renderShown) {
        SDL_ShowWindow(w.renderWindow);
        SDL_RaiseWindow(w.renderWindow);
        w.renderShown = true;
    }
    w.showImage();
    return true;
}

void SdlWindow::renderEnded()
{
    Impl& w = *impl_;
    w.rendering = false;
    w.abortRequested = false;
    SDL_SetWindowTitle(w.renderWindow, kImageTitle);
    w.showImage();
    w.note("render ended");
}

bool SdlWindow::renderWindowShown() const { return impl_->renderShown; }
const RenderView& SdlWindow::renderView() const { return impl_->view; }
// Busy spells show the wait cursor.
void SdlWindow::setBusy(bool busy)
{
    Impl& w = *impl_;
    w.busy = busy;
    if (SDL_Cursor* cursor = busy ? w.waitCursor : w.arrowCursor; cursor != nullptr) SDL_SetCursor(cursor);
}
bool SdlWindow::busy() const { return impl_->busy; }
bool SdlWindow::shiftHeld() { return (SDL_GetModState() & KMOD_SHIFT) != 0; }

bool SdlWindow::ask(const std::string& question, const std::string& first, const std::string& second)
{
    Impl& w = *impl_;
    if (w.trace) w.trace("ask " + question);
    return twoButtonRequester(w.surface, *this, w.place, question, first, second, w.pointerX, w.pointerY) == 1;
}

std::optional<long> SdlWindow::askNumber(const std::string& prompt, long defaultValue)
{
    Impl& w = *impl_;
    return numberRequester(w.surface, *this, w.place, prompt, defaultValue, w.pointerX, w.pointerY);
}

std::optional<std::vector<double>> SdlWindow::askNumbers(const std::string& prompt, const std::vector<double>& values)
{
    Impl& w = *impl_;
    return numbersRequester(w.surface, *this, w.place, prompt, values, w.pointerX, w.pointerY);
}

std::optional<std::vector<double>> SdlWindow::askLabelledNumbers(const std::string& prompt,
                                                                 const std::vector<std::string>& labels,
                                                                 const std::vector<double>& values)
{
    Impl& w = *impl_;
    return labelledNumbersRequester(w.surface, *this, w.place, prompt, labels, values, w.pointerX, w.pointerY);
}

std::optional<int> SdlWindow::choose(const std::string& question, const std::vector<std::string>& answers)
{
    Impl& w = *impl_;
    return choiceRequester(w.surface, *this, w.place, question, answers, w.pointerX, w.pointerY);
}

std::optional<std::string> SdlWindow::chooseFile(const FileRequest& request)
{
    Impl& w = *impl_;
    // A title that begins with "Save" or "Base" asks for a file to write, as the classic dialogs did.
    FileRequest asked = request;
    asked.save = request.save || request.title.starts_with("Save") || request.title.starts_with("Base");
    return fileRequester(w.surface, *this, asked, w.app.programDir, w.files);
}

void SdlWindow::message(const std::string& text, const std::string& button)
{
    Impl& w = *impl_;
    if (w.trace) w.trace("message " + text);
    twoButtonRequester(w.surface, *this, w.place, text, button, button, w.pointerX, w.pointerY);
}

void SdlWindow::status(const std::string& text)
{
    showStatus(impl_->surface, text);
    impl_->presentMain();
}

// A report (a refused value, a failed line) shows in the status line and stays on record.
void SdlWindow::report(const std::string& text)
{
    impl_->reports.push_back(text);
    std::fprintf(stderr, "%s\n", text.c_str());
    showStatus(impl_->surface, text);
    impl_->presentMain();
}

void SdlWindow::progress(const std::string& label, int percent)
{
    Impl& w = *impl_;
    const Uint32 now = SDL_GetTicks();
    if (percent == w.lastPercent || (now - w.lastProgress < kProgressMillis && percent < 100)) return;
    w.lastPercent = percent;
    w.lastProgress = now;
    showProgress(w.surface, label, percent);
    w.presentMain();
}

bool SdlWindow::pollAbort()
{
    Impl& w = *impl_;
    const Uint32 now = SDL_GetTicks();
    if (!w.abortRequested && now - w.lastPump >= kPumpMillis) {
        w.lastPump = now;
        w.pump();
        w.liveDisplay();
    }
    if (!w.abortRequested) return false;
    w.abortRequested = false; // once per request
    return true;
}

std::optional<MapPoint> SdlWindow::mapPoint(const std::string& prompt)
{
    if (!impl_->pickOnMap) {
        impl_->notYet("marking on the map (\"" + prompt + "\")");
        return std::nullopt;
    }
    // A pick in the middle of an operation: the arrow, not the wait cursor, while the user points.
    const bool wasBusy = impl_->busy;
    if (wasBusy) setBusy(false);
    std::optional<MapPoint> picked = impl_->pickOnMap(prompt);
    if (wasBusy) setBusy(true);
    return picked;
}

void SdlWindow::mapPlot(const MapRect& rect)
{
    if (impl_->plotOnMap) impl_->plotOnMap(rect);
}

void SdlWindow::setMapServices(std::function<std::optional<MapPoint>(const std::string&)> pick,
                               std::function<void(const MapRect&)> plot)
{
    impl_->pickOnMap = std::move(pick);
    impl_->plotOnMap = std::move(plot);
}

const std::vector<std::string>& SdlWindow::reports() const { return impl_->reports; }

} // namespace kalvenor
