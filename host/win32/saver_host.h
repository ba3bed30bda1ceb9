// The screen-saver host: the process entry's modes and the saver window with
// its dismissal rules. The program supplies the window's own handler,
// saverProc; the host never looks further into the program.
#pragma once

#include <windows.h>

#include <cstdint>

// Set at start-up by saverMain.
extern HINSTANCE saverInstance;
extern bool isWindows9x;

// The saver window and how it was made; set by createSaverWindow.
extern HWND saverWindow;
extern bool previewMode;
extern int32_t closeApproved;
extern bool verifyingPassword;
extern POINT mouseAnchor;
extern uint32_t mouseThreshold;
extern UINT autoPlayMessage;

// Sent to the saver window to run the password verifier.
constexpr UINT verifyRequestMessage = 0x8000;

// The mode of a tail; the process's exit code. Called by the entry point.
int32_t saverMain(HINSTANCE instance, const char* tail);

// Configure mode: the property sheet, then the hidden dialog 2003. 1034, or
// -1 when that dialog cannot be made.
int32_t runConfiguration(HWND owner);

// Password-change mode: the system's own dialog, where it has one.
void changePassword(HWND owner);

// A full-screen run without a parent, a preview inside one. Returns the
// message loop's quit code, 0 when another full-screen saver already runs.
int32_t runSaverWindow(HWND parent);

// The steps of runSaverWindow before its message loop: class, window and
// (full screen) the verifier. Null when no window was made. Also used by
// tests, which pump the window's messages themselves.
HWND createSaverWindow(HWND parent);
// Forgets the window's state so that another can be made in this process
// (tests; the program's own state is reset by the program).
void resetSaverHost();

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Supplied by the program: hostProc hands it every message that it does not
// handle itself, in both window modes.
LRESULT saverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Called by saverProc for every message it does not consume.
LRESULT hostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

int32_t verifyPassword(HWND window);
void loadPasswordVerifier();
void unloadPasswordVerifier();
void setSaverRunning(bool on);
