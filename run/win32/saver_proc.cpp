// The run's half of the saver window's messages: the settings on creation,
// the 10 ms frame clock, the function keys and the swallowed first moves.

#include <string>

#include "host/win32/saver_host.h"
#include "render/display.h"
#include "run/frame_driver.h"
#include "run/function_keys.h"
#include "run/win32/saver_run.h"
#include "run/win32/set_up_attempts.h"
#include "settings/options_record.h"
#include "settings/settings_store.h"

World saverWorld;
Display saverDisplay;
bool devicesReady = false;
int32_t mouseMoveGrace = 5;

namespace {

constexpr UINT_PTR frameTimer = 1;
constexpr UINT framePeriodMs = 10;

// True when the key is one of the four the saver answers itself.
bool handleFunctionKey(WPARAM key)
{
    FunctionKey function;
    if (key < VK_F1 || key > VK_F24 ||
        !functionKeyNamed("F" + std::to_string(key - VK_F1 + 1), function))
        return false;
    pressFunctionKey(saverWorld, function);
    return true;
}

void runOneFrame(HWND window)
{
    // Read every tick, the mouse leaves a rebirth's polls only the motion
    // made while it runs, not a whole run's worth of small moves.
    forgetMouseMotion();
    // The world has outgrown the machine's memory and is gone: end the run.
    if (runFrame(saverWorld) == frameOutOfMemory)
        PostMessageA(window, WM_CLOSE, 0, 0);
}

void tick(HWND window)
{
    if (previewMode) {
        paintPreview();
        return;
    }
    if (!devicesReady) {
        // Behind the password dialog a set-up would take the screen from it.
        if (verifyingPassword || setUpRun(window) != 0)
            return;
        devicesReady = true;
    }
    runOneFrame(window);
}

}  // namespace

void resetSaverRun()
{
    devicesReady = false;
    mouseMoveGrace = 5;
    setUpAttempts = SetUpAttempts();
}

LRESULT saverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // A missing value keeps the built-in defaults, and so does one that
        // is not a whole record (a hand edit, another program): its few
        // bytes would otherwise stand over the defaults' first fields.
        if (inspectSettingsValue("Options") == StoredValueShape::wholeRecord)
            readSettingsValue(saverWorld.liveOptions, "Options");
        SetTimer(window, frameTimer, framePeriodMs, nullptr);
        return 0;
    case WM_DESTROY:
        KillTimer(window, frameTimer);
        if (devicesReady)
            tearDownRun();
        break;
    case WM_KEYDOWN:
        if (handleFunctionKey(wParam))
            return 0;
        break;
    case WM_TIMER:
        tick(window);
        return 0;
    case WM_MOUSEMOVE:
        if (mouseMoveGrace > 0) {
            --mouseMoveGrace;
            return 0;
        }
        break;
    default:
        break;
    }
    return hostDefaultProc(window, message, wParam, lParam);
}
