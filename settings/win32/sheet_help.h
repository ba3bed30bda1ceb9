// The help of the configuration sheet.
#pragma once

#include <windows.h>

// Opens the help owned by `owner`: "tovrine doreroder.hlp" at its contents
// where Windows has a working WinHelp viewer (not the stub of Windows Vista
// and later), otherwise tovrine-help.html (beside the saver, else in the
// Windows folder) in the browser at `topic`, the id of one of its sections.
// Says so in a box and returns false when neither can be opened.
bool showSheetHelp(HWND owner, const char* topic);
