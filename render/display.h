// The display and the user's input during a run. The globals are set by the
// platform's device set-up (or the headless runner); the functions are the
// backend's.
#pragma once

#include <cstdint>

#include "render/surface.h"

extern int32_t displayWidth;
extern int32_t displayHeight;
extern int32_t displayDepth;
extern Surface* primarySurface;  // what the user sees
extern Surface* backSurface;     // every frame is drawn here, then flipped

// Both display surfaces black and the back one clipped to the display, as
// every display starts. Called by each display's opening once the surfaces
// and the size are in place.
void clearDisplaySurfaces();

// Shows the back surface. False when the flip failed (runFrame retries).
bool flipDisplay();

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

// Ends the run at the next turn of the message loop (PostQuitMessage).
void requestQuit();
