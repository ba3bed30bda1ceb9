// The about page, "Happy Happy": pictures, some of which show or hide a
// hidden one when clicked. It edits nothing.

#include <windows.h>
#include <commctrl.h>

#include "settings/win32/configuration_pages.h"

namespace {

struct Toggle {
    int clicked;
    int target;
};

// The animal, the branching figure and the one-line banner form a chain:
// each can only be clicked once its predecessor shows it.
const Toggle toggles[] = {
    {141, 1055},   // red dot: the animal
    {1055, 1070},  // animal: the branching figure
    {1070, 1069},  // branching figure: the one-line banner
    {1056, 1053},  // yellow ring: the speech bubble
    {1058, 1057},  // green figure: the small banner
};

// The picture's own visibility is its shown flag, so every sheet starts
// with the template's hidden pictures however often it is opened.
void toggle(HWND page, int id)
{
    HWND picture = GetDlgItem(page, id);
    bool shown = (GetWindowLongA(picture, GWL_STYLE) & WS_VISIBLE) != 0;
    ShowWindow(picture, shown ? SW_HIDE : SW_SHOW);
}

}  // namespace

INT_PTR CALLBACK aboutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        // Any notification counts, so a double click toggles twice.
        for (const Toggle& t : toggles)
            if (LOWORD(wParam) == t.clicked) {
                toggle(page, t.target);
                return TRUE;
            }
        return FALSE;
    case WM_NOTIFY:
        return finishNotification(page, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_HELP:
        return openHelp(page);
    default:
        return FALSE;
    }
}
