// The configuration property sheet: four pages, OK, Cancel and Help.

#include "settings/win32/configuration.h"

#include <commctrl.h>

#include <vector>

#include "settings/win32/configuration_pages.h"
#include "settings/win32/sheet_help.h"

namespace {

const int sheetIcon = 164;

struct PageDescription {
    int templateId;
    const char* title;
    DLGPROC procedure;
    const char* helpTopic;  // its section of tovrine-help.html
};

const PageDescription sheetPages[] = {
    {130, "Playing God!", algorithmPageProc, "page_god"},
    {134, "System/Limits", limitsPageProc, "page_limits"},
    {153, "Load/Save", slotsPageProc, "page_slots"},
    {135, "Happy Happy", aboutPageProc, "page_about"},
};

HINSTANCE sheetInstance;
WNDPROC sheetProcedure = nullptr;

// F1 where no page control has the focus (the tabs, OK, Cancel, Help, or a
// page without boxes) reaches the sheet, not a page: it asks for the help
// of the page on show.
LRESULT CALLBACK sheetHelpProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP) {
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        openHelp(page ? page : sheet);
        return TRUE;
    }
    return CallWindowProcA(sheetProcedure, sheet, message, wParam, lParam);
}

int CALLBACK sheetCallback(HWND sheet, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED)
        sheetProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sheetHelpProc)));
    return 0;
}

const char* helpTopicOf(HWND page)
{
    HWND sheet = GetParent(page);
    LRESULT index = sheet ? PropSheet_HwndToIndex(sheet, page) : -1;
    if (index < 0 || index >= static_cast<LRESULT>(sizeof sheetPages / sizeof sheetPages[0]))
        return "contents";
    return sheetPages[index].helpTopic;
}

}  // namespace

INT_PTR showConfigurationSheet(HWND parent)
{
    HINSTANCE instance = sheetInstance ? sheetInstance : GetModuleHandleA(nullptr);
    PROPSHEETPAGEA pages[4];
    for (int i = 0; i < 4; ++i) {
        ZeroMemory(&pages[i], sizeof pages[i]);
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_USETITLE | PSP_HASHELP;
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(sheetPages[i].templateId);
        pages[i].pfnDlgProc = sheetPages[i].procedure;
        pages[i].pszTitle = sheetPages[i].title;
    }

    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof header);
    header.dwSize = sizeof header;
    header.dwFlags =
        PSH_PROPSHEETPAGE | PSH_USEICONID | PSH_NOAPPLYNOW | PSH_HASHELP | PSH_USECALLBACK;
    header.pfnCallback = sheetCallback;
    header.hwndParent = parent;
    header.hInstance = instance;
    header.pszIcon = MAKEINTRESOURCEA(sheetIcon);
    header.pszCaption = "Tovrine";
    header.nPages = 4;
    header.nStartPage = 0;
    header.ppsp = pages;
    return PropertySheetA(&header);
}

BOOL configurationHook(HINSTANCE instance)
{
    sheetInstance = instance;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    showConfigurationSheet(nullptr);
    return TRUE;
}

INT_PTR CALLBACK configureDialogProc(HWND dialog, UINT, WPARAM, LPARAM)
{
    EndDialog(dialog, 1034);
    return FALSE;
}

INT_PTR notifyResult(HWND page, LONG_PTR result)
{
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR finishNotification(HWND page, const NMHDR& note)
{
    switch (note.code) {
    case PSN_SETACTIVE:
    case PSN_RESET:
        return notifyResult(page, 0);
    case PSN_KILLACTIVE:
        return notifyResult(page, FALSE);
    case PSN_APPLY:
        return notifyResult(page, PSNRET_NOERROR);
    case PSN_HELP:
        return openHelp(page);
    default:
        return FALSE;
    }
}

INT_PTR openHelp(HWND page)
{
    showSheetHelp(page, helpTopicOf(page));
    return TRUE;
}

int pageMessageBox(HWND page, const std::string& text, const char* caption, UINT type)
{
    HWND sheet = page != nullptr ? GetAncestor(page, GA_ROOT) : nullptr;
    return MessageBoxA(sheet, text.c_str(), caption, type);
}

std::string controlText(HWND control)
{
    if (!control)
        return std::string();
    int length = GetWindowTextLengthA(control);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    int copied = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

std::string comboEntryText(HWND combo, int entry)
{
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0);
    if (length == CB_ERR || length < 0)
        return std::string();
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT copied = SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(entry),
                                  reinterpret_cast<LPARAM>(text.data()));
    return copied == CB_ERR ? std::string() : std::string(text.data());
}
