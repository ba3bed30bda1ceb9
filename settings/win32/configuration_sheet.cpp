// The configuration property sheet. Until its pages exist the hook shows
// nothing and reports the sheet as run.

#include "settings/win32/configuration.h"

BOOL configurationHook(HINSTANCE)
{
    return TRUE;
}

INT_PTR CALLBACK configureDialogProc(HWND dialog, UINT, WPARAM, LPARAM)
{
    EndDialog(dialog, 1034);
    return TRUE;
}
