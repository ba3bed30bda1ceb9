// One full-screen frame: the world advances and draws itself, the cloud and
// its figures, a pending strength reset, the civilization cycle, the flip.
#pragma once

#include <cstdint>

// Frames to wait after the last Vob has died before a new civilization.
constexpr int32_t rebirthFrames = 200;
// A flip that keeps failing (surfaces lost to another program) is given up
// after this many tries, dropping the frame rather than the message loop.
constexpr int32_t flipAttempts = 8;

// Results of runFrame.
constexpr int32_t frameDone = 0;
constexpr int32_t rebirthInterrupted = 1;
// Memory ran out during the frame (a world can grow past what the machine
// has: many whirls with long-lived food, a high entity limit). The world is
// already torn down when this comes back and the frame was not flipped; the
// caller ends the run: the saver closes, the runner exits non-zero. Later
// calls find no world and only clear and flip the screen.
constexpr int32_t frameOutOfMemory = 2;

// Counts down while the world is extinct; armed again after every rebirth,
// finished or interrupted.
extern int32_t rebirthCountdown;
// Set by F12; the next frame gives every Vob strength 50 and clears it.
extern int32_t strengthResetRequested;

// Called once per frame tick after set-up has succeeded.
int32_t runFrame();
