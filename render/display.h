// The display and the user's input during a run. A display is a value its
// host owns (the saver's run, the page, the runner, a test) and hands to
// the worlds that draw on it; the platform's device set-up (or a memory
// display's opening) fills it in. The functions are the backend's.
#pragma once

#include <cstdint>

#include "render/surface.h"

struct Display {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    Surface* primarySurface = nullptr;  // what the user sees
    Surface* backSurface = nullptr;     // every frame is drawn here, then flipped
    // Frames shown since it opened, counted by the displays in memory.
    int32_t flips = 0;
};

// Both display surfaces black and the back one clipped to the display, as
// every display starts. Called by each display's opening once the surfaces
// and the size are in place.
void clearDisplaySurfaces(Display& display);

// Shows the back surface. False when the flip failed (runFrame retries).
bool flipDisplay(Display& display);

// Relative motion since the last read, then four button bytes (DIMOUSESTATE).
struct MouseState {
    int32_t x;
    int32_t y;
    int32_t z;
    uint8_t buttons[4];
};

// Direct polls used by long loops that keep the message loop from running.
// False when the device could not be read.
bool readKeyboardState(uint8_t keys[256]);
bool readMouseState(MouseState& mouse);
