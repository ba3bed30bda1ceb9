// The Windows backend's surfaces over DirectDraw, shared with whoever opens a
// display (the run's device set-up, the tests' display): that one makes the
// DirectDraw object and the flipping pair, and hands them over here.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "render/display.h"
#include "render/surface.h"

// The DirectDraw object that new surfaces and clippers are made with, and
// the display whose primary surface's format they take; null puts the
// backend back to having none. Set by whoever opens the display once the
// object is made, and cleared before it is released.
void useDirectDraw(LPDIRECTDRAW directDraw, const Display* display);

// A Surface over a DirectDraw surface whose reference it takes over;
// releaseSurface releases it. Null when `surface` is null or the size cannot
// be read. Called by device set-up for the primary and back surfaces.
Surface* wrapDirectDrawSurface(LPDIRECTDRAWSURFACE surface);
// The DirectDraw surface under a Surface; null for null.
LPDIRECTDRAWSURFACE directDrawSurface(Surface* surface);

// A clipper with the clip list of `count` rectangles, attached to the
// surface, which keeps it; null on failure (nothing is left attached) or
// while there is no DirectDraw object. Called by setClipRect and the tests.
LPDIRECTDRAWCLIPPER attachClipper(LPDIRECTDRAWSURFACE surface, DWORD count, const RECT* rectangles);
