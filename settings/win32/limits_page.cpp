// The "System/Limits" page: the full-screen mode, picked from the modes the
// display offers, and the most Vobs alive at once.

#include <windows.h>
#include <commctrl.h>
#include <ddraw.h>

#include "settings/page_text.h"
#include "settings/record_fields.h"
#include "settings/settings_store.h"
#include "settings/win32/configuration_pages.h"

namespace {

HRESULT WINAPI addModeEntry(LPDDSURFACEDESC mode, LPVOID context)
{
    // Palette modes below 8 bits per pixel cannot show the world.
    if (mode->ddpfPixelFormat.dwRGBBitCount >= 8) {
        const std::string text =
            modeText(static_cast<int32_t>(mode->dwWidth), static_cast<int32_t>(mode->dwHeight),
                     static_cast<int32_t>(mode->ddpfPixelFormat.dwRGBBitCount));
        SendMessageA(static_cast<HWND>(context), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(text.c_str()));
    }
    return DDENUMRET_OK;
}

void listDisplayModes(HWND page)
{
    LPDIRECTDRAW directDraw = nullptr;
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK || !directDraw) {
        pageMessageBox(page, "Error: Couldn't create DirectDraw object.", "Error", MB_OK);
        return;
    }
    HWND list = GetDlgItem(page, idDisplayMode);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    if (directDraw->EnumDisplayModes(0, nullptr, list, addModeEntry) != DD_OK)
        pageMessageBox(page, "Error: Failed enumerating display modes.", "Error", MB_OK);
    directDraw->Release();
}

void fill(HWND page)
{
    fillFieldControls(page, limitsPageTitle, liveOptions);
    const std::string current =
        modeText(liveOptions.screenWidth, liveOptions.screenHeight, liveOptions.screenDepth);
    LRESULT entry = SendDlgItemMessageA(page, idDisplayMode, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(current.c_str()));
    if (entry != CB_ERR)
        SendDlgItemMessageA(page, idDisplayMode, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

void readBack(HWND page)
{
    readFieldControls(page, limitsPageTitle, liveOptions);
    HWND list = GetDlgItem(page, idDisplayMode);
    LRESULT entry = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (entry == CB_ERR)
        return;  // a stored mode the display no longer offers stays
    const DisplayModeFields mode = parseModeText(comboEntryText(list, static_cast<int>(entry)));
    liveOptions.screenWidth = mode.width;
    liveOptions.screenHeight = mode.height;
    liveOptions.screenDepth = mode.depth;
}

INT_PTR onNotify(HWND page, const NMHDR& note)
{
    switch (note.code) {
    case PSN_SETACTIVE:
        fill(page);
        break;
    case PSN_KILLACTIVE:
        readBack(page);
        break;
    case PSN_APPLY:
        readBack(page);
        writeSettingsValue(liveOptions, "Options");
        break;
    }
    return finishNotification(page, note);
}

}  // namespace

INT_PTR CALLBACK limitsPageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        listDisplayModes(page);
        return TRUE;
    case WM_NOTIFY:
        return onNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_HELP:
        return openHelp(page);
    default:
        return FALSE;
    }
}
