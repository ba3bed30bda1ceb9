// The X11 side of the Linux saver: which window -root means, and watching a
// window of another program, which may vanish at any moment.
#pragma once

#include <cstdint>

// The window $XSCREENSAVER_WINDOW names (0x... or decimal), else the
// default screen's root window; 0 when no display can be opened.
uint64_t rootTargetWindow();

// Puts a handler over Xlib's (and SDL's) that never ends the process: an
// error saying that the watched window no longer exists calls lostWindow,
// any other error is dropped; a lost connection ends the process with 0.
// Called after SDL's video starts.
void installQuietXErrors(void (*lostWindow)());

// Opens a connection of our own to watch a given window; false when the
// window does not exist.
bool watchWindow(uint64_t window);
// The watched window's size; false when it is gone. One round trip.
bool watchedWindowSize(int32_t& width, int32_t& height);
// True when part of the watched window was exposed since the last call
// (a dialog over it went away): what was drawn there is lost.
bool watchedWindowExposed();
void stopWatchingWindow();
