// The display the portable tests draw on: the SDL backend's headless display
// natively, a DirectDraw one with the same calls on Windows.
#pragma once

#ifdef _WIN32
#include "tests/win32/render_test_display.h"
#else
#include "render/sdl/headless_display.h"
#endif

// The display of the tests that draw on one at a time: each opens and
// closes it.
inline Display testDisplay;
