// The run modes of the command line, each ending the process with its result.

#include "host/win32/saver_host.h"

#include "host/command_line.h"
#include "settings/win32/configuration.h"

HINSTANCE saverInstance = nullptr;
bool isWindows9x = false;

namespace {

constexpr int32_t configureResult = 1034;
constexpr int32_t failedResult = -1;
constexpr int configureDialog = 2003;

bool queryWindows9x()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version))
        return false;
#pragma GCC diagnostic pop
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

HWND existingWindow(uint32_t handle)
{
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
    return (handle != 0 && IsWindow(window)) ? window : nullptr;
}

HWND ownerOrForeground(uint32_t handle)
{
    HWND window = existingWindow(handle);
    return window != nullptr ? window : GetForegroundWindow();
}

int32_t dispatch(const RunRequest& request)
{
    switch (request.mode) {
    case RunMode::configure:
        return runConfiguration(ownerOrForeground(request.window));
    case RunMode::fullScreen:
        return runSaverWindow(nullptr);
    case RunMode::preview: {
        HWND parent = existingWindow(request.window);
        return parent != nullptr ? runSaverWindow(parent) : failedResult;
    }
    case RunMode::changePassword:
        if (!isWindows9x)
            return failedResult;
        changePassword(ownerOrForeground(request.window));
        return 0;
    case RunMode::invalid:
        break;
    }
    return failedResult;
}

// Whatever ends the process by a crash must not leave the system believing
// a saver still runs (on the Windows 95 family that locks out Ctrl+Alt+Del).
LONG WINAPI clearRunningStateOnCrash(EXCEPTION_POINTERS*)
{
    setSaverRunning(false);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int32_t saverMain(HINSTANCE instance, const char* tail)
{
    saverInstance = instance;
    isWindows9x = queryWindows9x();
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter =
        SetUnhandledExceptionFilter(clearRunningStateOnCrash);
    int32_t result = failedResult;
    try {
        result = dispatch(chooseRunMode(tail));
    } catch (...) {
        setSaverRunning(false);
        result = failedResult;
    }
    SetUnhandledExceptionFilter(previousFilter);
    return result;
}

int32_t runConfiguration(HWND owner)
{
    if (!configurationHook(saverInstance))
        return 0;
    INT_PTR result = DialogBoxParamA(saverInstance, MAKEINTRESOURCEA(configureDialog), owner,
                                     configureDialogProc, 0);
    return result == -1 ? failedResult : static_cast<int32_t>(result);
}

void changePassword(HWND owner)
{
    using PasswordChange = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (library == nullptr)
        return;
    auto change = reinterpret_cast<PasswordChange>(
        reinterpret_cast<void*>(GetProcAddress(library, "PwdChangePasswordA")));
    if (change != nullptr)
        change("SCRSAVE", owner, 0, 0);
    FreeLibrary(library);
}
