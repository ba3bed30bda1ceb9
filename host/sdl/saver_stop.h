// The Linux saver's one stop state. A signal (SIGTERM, SIGINT, SIGHUP), the
// user in the saver's own window, a vanished window and a sheet that cannot
// be read all end the run through it; the loop, the wait between frames
// and the loading screen's polls read it.
#pragma once

#include <csignal>

// Catches the three signals, with a fallback for an X call that never
// returns: a second after the first signal, or at a second signal, the
// process ends by that signal whatever it was doing. Called first in main:
// the daemon may end a hack at any moment, even while it starts.
void catchStopSignals();

// The run ends at the next frame. Async-signal-safe.
void requestStop();
bool stopRequested();
// The flag itself, for the window display's polls while set-up or a rebirth
// holds the loop.
const volatile std::sig_atomic_t* stopFlag();

// Readable once a stop was asked for: the wait between frames polls it with
// the X connections, so a stop that comes just before the wait is not
// slept through.
int stopWakeFd();

// Ends the process after the clean-up. When a signal asked for the stop, by
// that signal with its default action, as Unix programs that catch a
// signal do (the daemon then logs a normal ending); else with `code`.
[[noreturn]] void endProcess(int code);
