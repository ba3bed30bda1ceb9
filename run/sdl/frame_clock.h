// The Linux saver's run: the window display, the world's set-up, then one
// frame per tick of the clock until a signal, the user or a vanished window
// ends it. The counterpart of saverProc's timer on Windows.
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
