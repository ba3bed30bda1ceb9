// Reading the command line the system starts a screen saver with: where the
// arguments begin, which mode they ask for, and the window handles they name.
// No platform calls here, so the rules are tested on every build.
#pragma once

#include <cstdint>

// Tells whether a byte starts a two-byte character of the system's code
// page (IsDBCSLeadByte on Windows).
using LeadByteTest = bool (*)(unsigned char byte);

// The tail of a whole command line: past the program name (a quoted one as
// one piece) and the blanks and control characters after it. Steps over
// whole characters, so a trail byte is never taken for a quote or a blank.
const char* findCommandTail(const char* commandLine, LeadByteTest isLeadByte);

// Leading decimal digits as a window handle; 0 when the text starts with
// none. Wraps modulo 2^32 as the handle is a 32-bit number.
uint32_t parseWindowHandle(const char* text);

enum class RunMode { configure, fullScreen, preview, changePassword, invalid };

struct RunRequest {
    RunMode mode = RunMode::invalid;
    // The window the mode names: the preview's parent, the owner of the
    // configuration (only when written as C:handle) or of the password
    // change. 0 when none was given.
    uint32_t window = 0;
};

// The mode a tail asks for, after any mix of leading ' ', '-' and '/'.
RunRequest chooseRunMode(const char* tail);
