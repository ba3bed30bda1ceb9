// One full-screen frame: the world advances and draws itself, the cloud and
// its figures, a pending strength reset, the civilization cycle, the flip.
#pragma once

#include <cstdint>

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

struct World;

// Called once per frame tick after set-up has succeeded. Advances `world` by
// one frame, drawn on its display's back surface and flipped; a world set up
// without a display only advances.
int32_t runFrame(World& world);
