// The Linux saver's display. The world draws into two surfaces in memory at
// its own size and depth; a flip swaps them and presentWindowDisplay copies
// the visible one into the window's framebuffer, scaled to keep its aspect
// ratio with black bars, as a monitor showed the Windows saver's mode.
//
// The window's framebuffer is SDL's plain X11 one (shared-memory images):
// with SDL's default, software OpenGL on a machine without a GPU, a frame
// costs many times more processor time for the same picture.
#include "render/memory/memory_surface.h"
#include "render/memory/scaled_copy.h"
#include "render/sdl/window_display.h"

#include <SDL.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "render/sdl/sdl_surface.h"

namespace {

constexpr uint8_t escapeScanCode = 0x01;  // DIK_ESCAPE
constexpr uint8_t keyDownBit = 0x80;
// The loading screen polls after every Vob; showing each poll would cost
// more than building the world.
constexpr auto pollPresentGap = std::chrono::milliseconds(20);
// Presents between two of the whole picture (five seconds on a screen of
// 60 Hz): in case an exposure went unseen.
constexpr int32_t refreshPeriod = 300;

struct Presenter {
    SDL_Window* window = nullptr;
    WindowKind kind = WindowKind::framed;
    uint64_t windowId = 0;
    // The visible surface in the window's pixel format, before scaling.
    SDL_Surface* converted = nullptr;
    // The framebuffer the bars were last painted on, and its size: a new
    // one (the window changed size) is painted black again.
    SDL_Surface* screen = nullptr;
    int screenWidth = 0;
    int screenHeight = 0;
    SDL_Rect picture = {0, 0, 0, 0};
    std::chrono::steady_clock::time_point lastPresent;
    // Only changed parts are sent; the whole picture again when the window
    // was exposed, and now and then.
    bool refreshAll = true;
    int32_t framesSinceRefresh = 0;
    ScaledCopy copy;
    std::vector<ShownRect> shownChanged;
    std::vector<SDL_Rect> changed;
};

Presenter presenter;
// The host's display while the window shows it.
Display* shown = nullptr;
const volatile std::sig_atomic_t* openerStopFlag = nullptr;
bool videoStarted = false;

// The largest rectangle of the world's aspect ratio, centred.
SDL_Rect fitPicture(int width, int height)
{
    SDL_Rect r = {0, 0, width, height};
    const int64_t worldWidth = shown->width;
    const int64_t worldHeight = shown->height;
    if (width * worldHeight > height * worldWidth)
        r.w = static_cast<int>(height * worldWidth / worldHeight);
    else
        r.h = static_cast<int>(width * worldHeight / worldWidth);
    r.w = r.w < 1 ? 1 : r.w;
    r.h = r.h < 1 ? 1 : r.h;
    r.x = (width - r.w) / 2;
    r.y = (height - r.h) / 2;
    return r;
}

void forgetScreen()
{
    if (presenter.converted)
        SDL_FreeSurface(presenter.converted);
    presenter.converted = nullptr;
    presenter.screen = nullptr;
    presenter.screenWidth = 0;
    presenter.screenHeight = 0;
}

// A new or resized framebuffer: black all over, the picture placed anew.
void adoptScreen(SDL_Surface* screen)
{
    forgetScreen();
    presenter.screen = screen;
    presenter.screenWidth = screen->w;
    presenter.screenHeight = screen->h;
    presenter.picture = fitPicture(screen->w, screen->h);
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
}

SDL_Window* makeWindow(const WindowRequest& request, std::string& error)
{
    SDL_Window* window = nullptr;
    switch (request.kind) {
    case WindowKind::framed: {
        int x = request.placed ? request.x : SDL_WINDOWPOS_CENTERED;
        int y = request.placed ? request.y : SDL_WINDOWPOS_CENTERED;
        int width = request.windowWidth > 0 ? request.windowWidth : request.width;
        int height = request.windowHeight > 0 ? request.windowHeight : request.height;
        window = SDL_CreateWindow("Tovrine", x, y, width, height, SDL_WINDOW_RESIZABLE);
        break;
    }
    case WindowKind::fullScreen: {
        // Made as large as the screen from the start: without a window
        // manager nobody would carry out the full-screen request.
        SDL_DisplayMode desktop = {0, 640, 480, 0, nullptr};
        SDL_GetDesktopDisplayMode(0, &desktop);
        window = SDL_CreateWindow("Tovrine", 0, 0, desktop.w, desktop.h,
                                  SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
        if (window)
            SDL_ShowCursor(SDL_DISABLE);
        break;
    }
    case WindowKind::given:
        window =
            SDL_CreateWindowFrom(reinterpret_cast<void*>(static_cast<uintptr_t>(request.windowId)));
        break;
    }
    if (!window)
        error = std::string("cannot open the window: ") + SDL_GetError();
    return window;
}

// The world's size when it takes the window's own.
void windowSize(const WindowRequest& request, SDL_Window* window, int& width, int& height)
{
    SDL_DisplayMode mode;
    if (request.kind == WindowKind::fullScreen &&
        SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(window), &mode) == 0) {
        width = mode.w;
        height = mode.h;
        return;
    }
    SDL_GetWindowSize(window, &width, &height);
}

bool openSurfaces(int32_t width, int32_t height, int32_t depth, std::string& error)
{
    switch (openDisplaySurfaces(*shown, width, height, depth)) {
    case DisplaySurfaces::opened:
        return true;
    case DisplaySurfaces::unsupported:
        error = "cannot draw a world of " + std::to_string(width) + " x " + std::to_string(height) +
                " x " + std::to_string(depth);
        return false;
    case DisplaySurfaces::outOfMemory:
        break;
    }
    error = "not enough memory for the world's surfaces";
    return false;
}

// Formats the tile copy does not know: SDL converts, then stretches within
// one format (its scaled blit between two formats goes pixel by pixel).
void presentThroughSdl(SDL_Surface* screen, SDL_Surface* shown)
{
    SDL_Rect picture = presenter.picture;
    if (picture.w == shown->w && picture.h == shown->h &&
        shown->format->format == screen->format->format) {
        SDL_BlitSurface(shown, nullptr, screen, &picture);
    } else {
        if (!presenter.converted) {
            presenter.converted =
                SDL_CreateRGBSurfaceWithFormat(0, shown->w, shown->h, 0, screen->format->format);
            if (!presenter.converted)
                return;
        }
        SDL_BlitSurface(shown, nullptr, presenter.converted, nullptr);
        SDL_BlitScaled(presenter.converted, nullptr, screen, &picture);
    }
    SDL_UpdateWindowSurface(presenter.window);
}

void releaseWindow()
{
    if (shown)
        closeDisplaySurfaces(*shown);
    forgetScreen();
    if (presenter.window) {
        // A given window's owner keeps it: SDL only lets go of it.
        SDL_DestroyWindow(presenter.window);
        presenter.window = nullptr;
    }
}

bool isOwnWindow() { return presenter.window && presenter.kind != WindowKind::given; }

void takeEvent(const SDL_Event& event, WindowInput& input)
{
    switch (event.type) {
    case SDL_QUIT:
        input.closeRequested = true;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
            input.closeRequested = true;
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
            presenter.refreshAll = true;
        break;
    case SDL_KEYDOWN: {
        SDL_Keycode key = event.key.keysym.sym;
        if (key == SDLK_ESCAPE || key == SDLK_q)
            input.closeRequested = true;
        else
            input.keys.push_back(SDL_GetKeyName(key));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
        input.clicked = true;
        break;
    default:
        break;
    }
}

// What the loading screen's poll counts as Escape: a stop, or in the
// saver's own window what would end it at the next frame.
bool stopPending()
{
    if (openerStopFlag != nullptr && *openerStopFlag != 0)
        return true;
    if (!isOwnWindow())
        return false;
    SDL_PumpEvents();
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    if (SDL_HasEvent(SDL_QUIT) || keys[SDL_SCANCODE_ESCAPE] || keys[SDL_SCANCODE_Q])
        return true;
    if (presenter.kind != WindowKind::fullScreen)
        return false;
    return SDL_HasEvent(SDL_KEYDOWN) || SDL_HasEvent(SDL_MOUSEBUTTONDOWN);
}

}  // namespace

bool startWindowVideo(std::string& error)
{
    // Signals are the saver's (they end the run at the next frame), and the
    // framebuffer is plain X11, not software OpenGL. Over what the
    // environment says: SDL_VIDEODRIVER=wayland, set for games, would take
    // the saver away from the X window it is given.
    const char* const hints[][2] = {{SDL_HINT_NO_SIGNAL_HANDLERS, "1"},
                                    {SDL_HINT_VIDEODRIVER, "x11"},
                                    {SDL_HINT_FRAMEBUFFER_ACCELERATION, "0"},
                                    {SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1"}};
    for (const auto& hint : hints)
        SDL_SetHintWithPriority(hint[0], hint[1], SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("cannot start the video: ") + SDL_GetError();
        return false;
    }
    videoStarted = true;
    return true;
}

bool openWindowDisplay(Display& display, const WindowRequest& request, std::string& error)
{
    // Video stays: stopping it would put SDL's X error handler back.
    releaseWindow();
    shown = &display;
    if (!videoStarted && !startWindowVideo(error))
        return false;
    openerStopFlag = request.stopFlag;
    presenter.kind = request.kind;
    presenter.windowId = request.windowId;
    presenter.window = makeWindow(request, error);
    if (!presenter.window) {
        closeWindowDisplay();
        return false;
    }
    int width = request.width;
    int height = request.height;
    if (width == 0 || height == 0)
        windowSize(request, presenter.window, width, height);
    if (!openSurfaces(width, height, request.depth, error)) {
        closeWindowDisplay();
        return false;
    }
    presentWindowDisplay();
    return true;
}

void closeWindowDisplay()
{
    releaseWindow();
    shown = nullptr;
    if (videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted = false;
    }
}

bool retakeGivenWindow(std::string& error)
{
    if (presenter.kind != WindowKind::given || !presenter.window)
        return true;
    forgetScreen();
    SDL_DestroyWindow(presenter.window);
    presenter.window =
        SDL_CreateWindowFrom(reinterpret_cast<void*>(static_cast<uintptr_t>(presenter.windowId)));
    if (!presenter.window) {
        error = std::string("cannot take the window again: ") + SDL_GetError();
        return false;
    }
    return true;
}

int32_t windowRefreshRate()
{
    SDL_DisplayMode mode;
    if (!presenter.window ||
        SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(presenter.window), &mode) != 0)
        return 0;
    return mode.refresh_rate;
}

void refreshWindowDisplay() { presenter.refreshAll = true; }

// Through our own scaled copy when the framebuffer is 5-6-5 or XRGB8888;
// false leaves any other to SDL.
bool copyChangedToScreen(SDL_Surface* screen, bool everything)
{
    const uint32_t format = screen->format->format;
    if (format != SDL_PIXELFORMAT_RGB565 && format != SDL_PIXELFORMAT_RGB888)
        return false;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0)
        return false;
    const ShownImage dest{
        static_cast<uint8_t*>(screen->pixels), screen->w, screen->h, screen->pitch,
        format == SDL_PIXELFORMAT_RGB565 ? ShownFormat::rgb565 : ShownFormat::xrgb8888};
    const SDL_Rect& p = presenter.picture;
    presenter.shownChanged.clear();
    const bool copied =
        copyChangedScaled(presenter.copy, shown->primarySurface->image, dest,
                          ShownRect{p.x, p.y, p.w, p.h}, everything, presenter.shownChanged);
    if (SDL_MUSTLOCK(screen))
        SDL_UnlockSurface(screen);
    presenter.changed.clear();
    for (const ShownRect& r : presenter.shownChanged)
        presenter.changed.push_back(SDL_Rect{r.x, r.y, r.w, r.h});
    return copied;
}

void presentWindowDisplay()
{
    presenter.lastPresent = std::chrono::steady_clock::now();
    if (!presenter.window || !shown || !shown->primarySurface)
        return;
    SDL_Surface* screen = SDL_GetWindowSurface(presenter.window);
    if (!screen)
        return;
    if (screen != presenter.screen || screen->w != presenter.screenWidth ||
        screen->h != presenter.screenHeight) {
        adoptScreen(screen);
        presenter.refreshAll = true;
    }
    if (++presenter.framesSinceRefresh >= refreshPeriod)
        presenter.refreshAll = true;
    const bool everything = presenter.refreshAll;
    presenter.refreshAll = false;
    if (everything)
        presenter.framesSinceRefresh = 0;
    if (copyChangedToScreen(screen, everything)) {
        if (everything)
            SDL_UpdateWindowSurface(presenter.window);
        else if (!presenter.changed.empty())
            SDL_UpdateWindowSurfaceRects(presenter.window, presenter.changed.data(),
                                         static_cast<int>(presenter.changed.size()));
        return;
    }
    SdlSurfaceView view(shown->primarySurface);
    if (SDL_Surface* picture = view.get())
        presentThroughSdl(screen, picture);
}

WindowInput pumpWindowInput()
{
    WindowInput input;
    if (!isOwnWindow())
        return input;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        takeEvent(event, input);
    return input;
}

// Like a hardware flip, the two buffers trade places; the frame clock shows
// the new visible one once anything it adds is drawn.
bool flipDisplay(Display& display) { return swapDisplaySurfaces(display); }

bool readKeyboardState(uint8_t keys[256])
{
    std::memset(keys, 0, 256);
    if (std::chrono::steady_clock::now() - presenter.lastPresent >= pollPresentGap)
        presentWindowDisplay();
    if (stopPending())
        keys[escapeScanCode] = keyDownBit;
    return true;
}

// Mouse travel never ends this saver: its own window is a window among
// others, and under xscreensaver input is the daemon's.
bool readMouseState(MouseState& mouse)
{
    mouse = MouseState{0, 0, 0, {0, 0, 0, 0}};
    return true;
}

SDL_Window* ownSdlWindow() { return isOwnWindow() ? presenter.window : nullptr; }
