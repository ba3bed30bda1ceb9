// The display and input devices of a full-screen run: taken at set-up in a
// fixed order, given back at tear-down in a fixed order.

#include "platform/services.h"
#include "render/display.h"
#include "render/win32/direct_draw_surface.h"
#include "render/win32/input_devices.h"
#include "run/win32/saver_run.h"
#include "run/win32/set_up_attempts.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/random.h"

#include "host/win32/saver_host.h"

LPDIRECTDRAW directDraw = nullptr;
LPDIRECTINPUTDEVICE keyboardDevice = nullptr;
LPDIRECTINPUTDEVICE mouseDevice = nullptr;

namespace {

constexpr DWORD exclusiveFullScreen = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT;
constexpr DWORD backgroundShared = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;

LPDIRECTINPUTA directInput = nullptr;
// Whether tear-down owes the system a ShowCursor(TRUE).
bool cursorHiddenByRun = false;

template <typename T>
void releaseObject(T*& object)
{
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

void releaseDevice(LPDIRECTINPUTDEVICE& device)
{
    if (device != nullptr) {
        device->Unacquire();
        device->Release();
        device = nullptr;
    }
}

void releaseDisplaySurface(Surface*& surface)
{
    releaseSurface(surface);
    surface = nullptr;
}

void chooseDisplayMode()
{
    const OptionsRecord& record = saverWorld.liveOptions;
    saverDisplay.width = record.screenWidth;
    saverDisplay.height = record.screenHeight;
    saverDisplay.depth = record.screenDepth;
    if (!setUpAttempts.desktopMode())
        return;
    DDSURFACEDESC mode;
    ZeroMemory(&mode, sizeof mode);
    mode.dwSize = sizeof mode;
    if (directDraw->GetDisplayMode(&mode) == DD_OK) {
        saverDisplay.width = static_cast<int32_t>(mode.dwWidth);
        saverDisplay.height = static_cast<int32_t>(mode.dwHeight);
        saverDisplay.depth = static_cast<int32_t>(mode.ddpfPixelFormat.dwRGBBitCount);
    }
}

bool createFlippingSurfaces()
{
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    description.dwBackBufferCount = 1;
    LPDIRECTDRAWSURFACE primary = nullptr;
    if (directDraw->CreateSurface(&description, &primary, nullptr) != DD_OK || primary == nullptr)
        return false;
    saverDisplay.primarySurface = wrapDirectDrawSurface(primary);
    if (saverDisplay.primarySurface == nullptr)
        return false;

    // Without the back buffer there is nothing to draw on: a failure like
    // the primary's own.
    DDSCAPS backCaps = {DDSCAPS_BACKBUFFER};
    LPDIRECTDRAWSURFACE back = nullptr;
    if (primary->GetAttachedSurface(&backCaps, &back) != DD_OK || back == nullptr)
        return false;
    saverDisplay.backSurface = wrapDirectDrawSurface(back);
    return saverDisplay.backSurface != nullptr;
}

// Without the buffer the polls see only what is held at the moment they
// read; a device that refuses one is still usable that way.
void keepRecentEvents(LPDIRECTINPUTDEVICE device)
{
    DIPROPDWORD size{};
    size.diph.dwSize = sizeof size;
    size.diph.dwHeaderSize = sizeof size.diph;
    size.diph.dwHow = DIPH_DEVICE;
    size.dwData = inputBufferSize;
    device->SetProperty(DIPROP_BUFFERSIZE, &size.diph);
}

bool openDevice(REFGUID guid, const DIDATAFORMAT* format, HWND window, LPDIRECTINPUTDEVICE& device,
                const char* const messages[4], const char*& failure)
{
    if (directInput->CreateDevice(guid, &device, nullptr) != DI_OK || device == nullptr) {
        failure = messages[0];
        return false;
    }
    if (device->SetCooperativeLevel(window, backgroundShared) != DI_OK) {
        failure = messages[1];
        return false;
    }
    if (device->SetDataFormat(format) != DI_OK) {
        failure = messages[2];
        return false;
    }
    keepRecentEvents(device);
    if (FAILED(device->Acquire())) {
        failure = messages[3];
        return false;
    }
    return true;
}

const char* const keyboardMessages[4] = {
    "Error: Failed to create keyboard device.",
    "Error: Failed setting cooperation level for keyboard device.",
    "Error: Failed setting data format for keyboard.",
    "Error: Couldn't acquire keyboard device.",
};

const char* const mouseMessages[4] = {
    "Error: Failed to create mouse device.",
    "Error: Failed to set cooperation level for mouse.",
    "Error: Failed setting data format for mouse.",
    "Error: Couldn't acquire mouse device.",
};

SetUpFailure takeDisplay(HWND window, const char*& failure)
{
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK || directDraw == nullptr) {
        failure = "Error: Couldn't create DirectDraw object.";
        return SetUpFailure::other;
    }
    useDirectDraw(directDraw, &saverDisplay);
    chooseDisplayMode();
    if (directDraw->SetCooperativeLevel(window, exclusiveFullScreen) != DD_OK) {
        failure = "Error: Couldn't set cooperation level.";
        return SetUpFailure::other;
    }
    if (saverDisplay.width <= 0 || saverDisplay.height <= 0 || saverDisplay.depth <= 0 ||
        directDraw->SetDisplayMode(static_cast<DWORD>(saverDisplay.width),
                                   static_cast<DWORD>(saverDisplay.height),
                                   static_cast<DWORD>(saverDisplay.depth)) != DD_OK) {
        failure = "Error: Couldn't set video mode.";
        return SetUpFailure::mode;
    }
    if (!createFlippingSurfaces()) {
        failure = "Error: Couldn't create primary surface.";
        return SetUpFailure::other;
    }
    clearDisplaySurfaces(saverDisplay);
    return SetUpFailure::none;
}

SetUpFailure takeInput(HWND window, const char*& failure)
{
    if (DirectInputCreateA(saverInstance, 0x0700, &directInput, nullptr) != DI_OK ||
        directInput == nullptr) {
        failure = "Error: Couldn't create directinput object.";
        return SetUpFailure::other;
    }
    if (!openDevice(GUID_SysKeyboard, &c_dfDIKeyboard, window, keyboardDevice, keyboardMessages,
                    failure) ||
        !openDevice(GUID_SysMouse, &c_dfDIMouse, window, mouseDevice, mouseMessages, failure))
        return SetUpFailure::other;
    useInputDevices(keyboardDevice, mouseDevice);
    // Wine reports the cursor's jump onto the new window as the first
    // motion after acquiring.
    forgetMouseMotion();
    return SetUpFailure::none;
}

SetUpFailure buildWorld(const char*& failure)
{
    failure = "Error: Couldn't load sprites.";
    int32_t result = setUpWorld(saverWorld, &saverDisplay);
    if (result == worldOutOfMemory) {
        failure = "Error: Not enough memory for this algorithm.";
        return SetUpFailure::outOfMemory;
    }
    if (result != worldComplete)
        return SetUpFailure::interrupted;
    // A sheet or font that could not be made would fail every later frame.
    return missingWorldParts(saverWorld).empty() ? SetUpFailure::none : SetUpFailure::other;
}

SetUpFailure takeEverything(HWND window, const char*& failure)
{
    SetUpFailure result = takeDisplay(window, failure);
    if (result == SetUpFailure::none)
        result = takeInput(window, failure);
    if (result != SetUpFailure::none)
        return result;
    seedRandom(saverWorld.random, clockSeed());
    return buildWorld(failure);
}

// What follows a failed attempt. The objects are given back first, so the
// box shows on the user's own desktop and the next attempt starts clean.
void reportFailure(HWND window, SetUpFailure failure, const char* message)
{
    tearDownRun();
    SetUpPhase next = setUpAttempts.failed(failure);
    if (next != SetUpPhase::closing)
        MessageBoxA(window, message, "Error", MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
    if (next == SetUpPhase::closing || next == SetUpPhase::givenUp)
        PostMessageA(window, WM_CLOSE, 0, 0);
    setUpAttempts.reported();
}

}  // namespace

void forgetMouseMotion()
{
    MouseState mouse;
    readMouseState(mouse);
}

int32_t setUpRun(HWND window)
{
    if (!setUpAttempts.begin())
        return 1;
    const char* message = nullptr;
    SetUpFailure failure = takeEverything(window, message);
    if (failure != SetUpFailure::none) {
        reportFailure(window, failure, message);
        return 1;
    }
    setUpAttempts.succeeded();
    ShowCursor(FALSE);
    cursorHiddenByRun = true;
    return 0;
}

void tearDownRun()
{
    releaseDisplaySurface(saverDisplay.backSurface);
    releaseDisplaySurface(saverDisplay.primarySurface);
    useInputDevices(nullptr, nullptr);
    releaseDevice(keyboardDevice);
    releaseDevice(mouseDevice);
    tearDownWorld(saverWorld);
    releaseObject(directInput);
    useDirectDraw(nullptr, nullptr);
    if (directDraw != nullptr)
        directDraw->RestoreDisplayMode();
    releaseObject(directDraw);
    if (cursorHiddenByRun) {
        ShowCursor(TRUE);
        cursorHiddenByRun = false;
    }
}
