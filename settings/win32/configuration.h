// The configuration mode's entry into the property sheet, called by the
// host's configure mode (host/win32).
#pragma once

#include <windows.h>

// Runs the configuration property sheet to its end (modal, no owner) and
// returns TRUE. Called once by the configure mode before dialog 2003.
BOOL configurationHook(HINSTANCE instance);

// Procedure of the hidden dialog 2003: ends it with 1034 on its first
// message, so it never shows.
INT_PTR CALLBACK configureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
