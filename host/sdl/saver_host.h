// The Linux saver's host and the run it calls, in the shape of an
// xscreensaver hack and of the Windows host handing messages to saverProc:
// the host owns the process, the loop, the frame clock, the signals and the
// window; the run owns the world. The host declares the run's four calls
// and run/sdl/saver_run.cpp supplies them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/sdl/window_display.h"
#include "settings/options_record.h"

// What the host lays over the picture after each frame.
struct SaverOverlay {
    std::string fps;                   // "" when not shown
    std::vector<std::string> notices;  // the settings that were adjusted, for a while
};

// Builds the world of `record` on the open `display` (the host's, which
// outlives the run), its random draws from `seed`. False when it cannot
// run: with `error` set (lines for standard error), or empty when a stop
// cut set-up short.
bool buildSaverWorld(Display& display, const OptionsRecord& record, uint32_t seed,
                     std::string& error);
// One frame of the world, then `overlay` on the visible picture. False
// with `error` set when the run cannot go on (memory ran out).
bool runSaverFrame(const SaverOverlay& overlay, std::string& error);
// A key pressed in the saver's own window, by SDL's name of it; true when
// the run answered it (a function key), so that it ends no run.
bool pressSaverKey(const std::string& name);
// The end of a run: the world is torn down. Safe when none was built.
void endSaverRun();

// The host's side: what the command line and the settings asked for.
struct SaverRun {
    OptionsRecord record;               // the world's settings
    WindowRequest window;               // a given window of id 0: the one -root means
    std::string displayName;            // -display; empty: $DISPLAY
    int64_t delayMicroseconds = 10000;  // from the start of one frame to the next
    bool showFps = false;
    int64_t benchFrames = 0;  // > 0: as fast as possible, then the timings
    uint32_t seed = 0;        // the world's random draws
    std::vector<std::string> notices;
};

// Opens the display and the window, builds the world and runs frames until
// a signal, the user or a vanished window ends the run; everything is closed
// again on every path. The process's exit code: 0 when the run was ended,
// 1 after a message on standard error.
int32_t runSaver(SaverRun run);

// Writes each line of `message` to standard error after the program's name;
// returns the exit code of a failure, 1.
int32_t reportFailure(const std::string& message);
