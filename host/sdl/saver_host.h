// What the Linux saver's host hands to the run, and the two calls of the run
// that it makes: the host reads the command line and the settings, then
// calls runSaver; run/sdl/frame_clock.cpp supplies both (the window display,
// the world's set-up, then one frame per tick of the clock until a signal,
// the user or a vanished window ends it), as saverProc does on Windows.
#pragma once

#include <cstdint>

#include "render/sdl/window_display.h"

struct SaverRun {
    WindowRequest window;
    int64_t delayMicroseconds = 10000;  // from the start of one frame to the next
    bool showFps = false;
    int64_t benchFrames = 0;  // > 0: as fast as possible, then the timings
};

// Runs liveOptions in the requested window; the process's exit code: 0 when
// the run was ended (signal, Escape, window closed or gone), 1 after a
// message on standard error.
int32_t runSaver(const SaverRun& run);

// Async-signal-safe: the run ends at the next frame. Used as the handler of
// SIGTERM, SIGINT and SIGHUP.
void stopSaver(int signal);
