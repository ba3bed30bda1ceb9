// The run of the saver window: the frame clock, the devices of a full-screen
// run and the preview picture. Its half of the message handling, saverProc,
// is the handler that the host declares (host/win32/saver_host.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "render/display.h"
#include "render/win32/direct_draw_surface.h"
#include "render/win32/input_devices.h"
#include "sim/world.h"

// The world of the saver window's run: its record is read on the window's
// creation, the world is built by setUpRun and ended by tearDownRun.
extern World saverWorld;
// The full-screen display it draws on: taken by setUpRun, given back by
// tearDownRun.
extern Display saverDisplay;

// The DirectDraw object and the input devices of a full-screen run: made by
// setUpRun, which hands them to the drawing backend, and released by
// tearDownRun. Null outside a run.
extern LPDIRECTDRAW directDraw;
extern LPDIRECTINPUTDEVICE keyboardDevice;
extern LPDIRECTINPUTDEVICE mouseDevice;

// Set once set-up has succeeded; chooses between set-up and a frame.
extern bool devicesReady;
// Mouse moves still to be swallowed after the window appears.
extern int32_t mouseMoveGrace;

// Takes the display and the input devices and builds the world. 0 on
// success; 1 after a failure (and its box) or when the run's set-up policy
// (set_up_attempts.h) starts no attempt now. Called by the frame clock until
// it succeeds.
int32_t setUpRun(HWND window);
// Gives back everything a run holds, also after a partial set-up.
void tearDownRun();

// Reads the mouse device and drops what it reports: the direct polls count
// motion since their last read, and what came before is not the user's
// answer to a loading screen or a rebirth.
void forgetMouseMotion();

// Copies the preview picture into the saver window. Called on every tick of
// a preview.
int32_t paintPreview();

// Forgets a finished run's state, its set-up attempts included, so that
// tests can make another window.
void resetSaverRun();
