// The saver window: made full screen or inside the control panel's preview,
// closed on input, with the password check of the Windows 95 family.

#include "host/win32/saver_host.h"

#include "render/display.h"

HWND saverWindow = nullptr;
bool previewMode = false;
int32_t closeApproved = 0;
bool verifyingPassword = false;
POINT mouseAnchor = {0, 0};
uint32_t mouseThreshold = 4;
UINT autoPlayMessage = 0;

namespace {

constexpr char saverClassName[] = "WindowsScreenSaverClass";
constexpr char fullScreenTitle[] = "Screen Saver";
constexpr char previewTitle[] = "Preview";
constexpr int classIcon = 100;
constexpr DWORD noLastVerify = static_cast<DWORD>(-1);
constexpr DWORD verifyPause = 200;
constexpr WPARAM resumeFromSuspend = 3;  // PWR_SUSPENDRESUME of WM_POWER

using PasswordVerifier = BOOL(WINAPI*)(HWND);
using ImeAssociate = HIMC(WINAPI*)(HWND, HIMC);

DWORD lastVerifyTick = noLastVerify;
HMODULE verifierLibrary = nullptr;
PasswordVerifier verifierFunction = nullptr;
HMODULE imeModule = nullptr;
ImeAssociate imeFunction = nullptr;
HIMC savedInputContext = nullptr;

template <typename Function>
Function lookUp(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void hideCursor() { SetCursor(nullptr); }

void recordMouseAnchor() { GetCursorPos(&mouseAnchor); }

// Only a library that something else already loaded: we never load it.
void detachInputContext(HWND window)
{
    imeModule = GetModuleHandleA("IMM32.DLL");
    if (imeModule == nullptr)
        return;
    imeFunction = lookUp<ImeAssociate>(imeModule, "ImmAssociateContext");
    if (imeFunction != nullptr)
        savedInputContext = imeFunction(window, nullptr);
}

void restoreInputContext(HWND window)
{
    if (imeModule != nullptr && imeFunction != nullptr && savedInputContext != nullptr)
        imeFunction(window, savedInputContext);
}

bool isInputMessage(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

bool isDroppedCommand(WPARAM command)
{
    WPARAM kind = command & 0xFFF0;
    return kind == SC_NEXTWINDOW || kind == SC_PREVWINDOW || kind == SC_SCREENSAVE;
}

bool isClosingInput(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_POWERBROADCAST:
        return true;
    default:
        return false;
    }
}

void closeOnMouseTravel(HWND window)
{
    POINT p;
    if (!GetCursorPos(&p))
        return;
    uint32_t travel = static_cast<uint32_t>(labs(p.x - mouseAnchor.x) + labs(p.y - mouseAnchor.y));
    if (travel > mouseThreshold) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        mouseAnchor = p;
    }
}

// The last of hostDefaultProc's rules: the AutoPlay question, or the
// system's default handling.
LRESULT finish(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (autoPlayMessage != 0 && message == autoPlayMessage) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return verifierFunction != nullptr ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

RECT fullScreenRect()
{
    RECT rect = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width == 0 || height == 0) {
        HDC screen = GetDC(nullptr);
        GetClipBox(screen, &rect);
        ReleaseDC(nullptr, screen);
        return rect;
    }
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

bool registerSaverClass()
{
    WNDCLASSA saverClass;
    ZeroMemory(&saverClass, sizeof saverClass);
    saverClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    saverClass.lpfnWndProc = hostProc;
    saverClass.hInstance = saverInstance;
    saverClass.hIcon = LoadIconA(saverInstance, MAKEINTRESOURCEA(classIcon));
    saverClass.hCursor = nullptr;
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = saverClassName;
    // A second window of the same process (tests) finds the class in place.
    return RegisterClassA(&saverClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND createSaverWindow(HWND parent)
{
    const char* title;
    DWORD style;
    DWORD extendedStyle;
    RECT rect;
    if (parent != nullptr) {
        RECT client = {0, 0, 0, 0};
        GetClientRect(parent, &client);
        rect = {0, 0, client.right, client.bottom};
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        extendedStyle = 0;
        title = previewTitle;
        previewMode = true;
    } else {
        rect = fullScreenRect();
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        extendedStyle = WS_EX_TOPMOST;
        title = fullScreenTitle;
        previewMode = false;
        // One full-screen saver at a time: wake the one that runs.
        HWND running = FindWindowA(saverClassName, fullScreenTitle);
        if (running != nullptr) {
            SetForegroundWindow(running);
            return nullptr;
        }
        loadPasswordVerifier();
    }
    autoPlayMessage = isWindows9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    if (registerSaverClass())
        saverWindow = CreateWindowExA(extendedStyle, saverClassName, title, style, rect.left,
                                      rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                      parent, nullptr, saverInstance, nullptr);
    if (saverWindow != nullptr && !previewMode)
        SetForegroundWindow(saverWindow);
    return saverWindow;
}

int32_t runSaverWindow(HWND parent)
{
    int32_t quitCode = 0;
    if (createSaverWindow(parent) != nullptr) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (message.message == WM_QUIT)
            quitCode = static_cast<int32_t>(message.wParam);
    }
    unloadPasswordVerifier();
    return quitCode;
}

void resetSaverHost()
{
    saverWindow = nullptr;
    previewMode = false;
    closeApproved = 0;
    verifyingPassword = false;
    lastVerifyTick = noLastVerify;
    imeModule = nullptr;
    imeFunction = nullptr;
    savedInputContext = nullptr;
}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        detachInputContext(window);
        recordMouseAnchor();
        if (!previewMode)
            hideCursor();
        return saverProc(window, message, wParam, lParam);
    case WM_DESTROY:
        restoreInputContext(window);
        PostQuitMessage(0);
        return saverProc(window, message, wParam, lParam);
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (closeApproved != 0)
            return DefWindowProcA(window, message, wParam, lParam);
        if (!previewMode)
            hideCursor();
        return saverProc(window, message, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (!previewMode)
            return saverProc(window, message, wParam, lParam);
        {
            HWND parent = GetParent(window);
            if (parent != nullptr && IsWindow(parent))
                PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
        }
        return 1;
    case WM_SYSCOMMAND:
        if (!previewMode && isDroppedCommand(wParam))
            return 0;
        return saverProc(window, message, wParam, lParam);
    case WM_TIMER:
        if (closeApproved != 0)
            return 0;
        Sleep(0);
        return saverProc(window, message, wParam, lParam);
    default:
        if (isInputMessage(message) && closeApproved != 0)
            return DefWindowProcA(window, message, wParam, lParam);
        return saverProc(window, message, wParam, lParam);
    }
}

LRESULT hostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A preview never closes on input.
    if (previewMode || closeApproved != 0)
        return finish(window, message, wParam, lParam);

    if (message == WM_CLOSE) {
        if (!isWindows9x || verifyPassword(window) != 0)
            return finish(window, message, wParam, lParam);
        recordMouseAnchor();
        return 0;
    }
    if (message == verifyRequestMessage) {
        if (!isWindows9x)
            return finish(window, message, wParam, lParam);
        return verifierFunction != nullptr ? verifierFunction(window) : 1;
    }
    if (verifyingPassword)
        return finish(window, message, wParam, lParam);

    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam != 0)
            hideCursor();
        break;
    case WM_ACTIVATEAPP:
        if (wParam == 0)
            PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case WM_SETCURSOR:
        hideCursor();
        return 1;
    case WM_POWER:
        if (wParam == resumeFromSuspend)
            PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case WM_MOUSEMOVE:
        closeOnMouseTravel(window);
        break;
    default:
        if (isClosingInput(message))
            PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    }
    return finish(window, message, wParam, lParam);
}

int32_t verifyPassword(HWND window)
{
    if (verifyingPassword || closeApproved != 0)
        return 0;
    if (verifierFunction == nullptr) {
        closeApproved = 1;
        return 1;
    }
    // A close request right after a refused password is the same gesture.
    DWORD now = GetTickCount();
    if (lastVerifyTick != noLastVerify && now - lastVerifyTick < verifyPause)
        return closeApproved;

    verifyingPassword = true;
    MSG pending;
    for (int i = 0; i < 2; ++i)
        PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    closeApproved = static_cast<int32_t>(SendMessageA(window, verifyRequestMessage, 0, 0));
    verifyingPassword = false;

    if (closeApproved == 0)
        hideCursor();
    lastVerifyTick = GetTickCount();
    return closeApproved;
}

void loadPasswordVerifier()
{
    if (!isWindows9x)
        return;
    if (verifierLibrary != nullptr)
        unloadPasswordVerifier();
    HKEY desktop;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &desktop) !=
        ERROR_SUCCESS)
        return;
    DWORD usePassword = 0;
    DWORD size = sizeof usePassword;
    if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&usePassword), &size) == ERROR_SUCCESS &&
        usePassword != 0) {
        verifierLibrary = LoadLibraryA("PASSWORD.CPL");
        if (verifierLibrary != nullptr) {
            verifierFunction = lookUp<PasswordVerifier>(verifierLibrary, "VerifyScreenSavePwd");
            if (verifierFunction != nullptr)
                setSaverRunning(true);
            else
                unloadPasswordVerifier();
        }
    }
    RegCloseKey(desktop);
}

void unloadPasswordVerifier()
{
    if (!isWindows9x || verifierLibrary == nullptr)
        return;
    FreeLibrary(verifierLibrary);
    verifierLibrary = nullptr;
    if (verifierFunction != nullptr) {
        verifierFunction = nullptr;
        setSaverRunning(false);
    }
}

void setSaverRunning(bool on)
{
    if (!isWindows9x)
        return;
    BOOL previous;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on ? TRUE : FALSE, &previous, 0);
}
