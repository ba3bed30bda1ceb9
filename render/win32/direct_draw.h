// What the Windows backend shares with the run's device set-up: the
// DirectDraw and DirectInput objects of a full-screen run, and the wrapping
// of DirectDraw surfaces as Surfaces. Private to the Windows build.
#pragma once

#include <windows.h>
#include <ddraw.h>
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif
#include <dinput.h>

#include <cstdint>

#include "render/glyph_font.h"
#include "render/surface.h"

// The objects of a run, null outside one. Set by the run's device set-up,
// released by its tear-down; the backend only uses them.
extern LPDIRECTDRAW directDraw;
extern LPDIRECTINPUTDEVICE keyboardDevice;
extern LPDIRECTINPUTDEVICE mouseDevice;

// The module whose bitmap resources loadBitmapSurface loads; the program's
// own module unless the host sets another. Set once by the host at start.
void setResourceModule(HINSTANCE module);
HINSTANCE resourceModule();

// Where loadBitmapSurface gets bitmap `bitmapId` as a DIB section (null when
// there is none): the resources of resourceModule() unless a test or tool
// sets another source; null puts the resources back.
using BitmapSource = HBITMAP (*)(int32_t bitmapId);
void setBitmapSource(BitmapSource source);

// A Surface over a DirectDraw surface whose reference it takes over;
// releaseSurface releases it. Null when `surface` is null or the size cannot
// be read. Called by device set-up for the primary and back surfaces.
Surface* wrapDirectDrawSurface(LPDIRECTDRAWSURFACE surface);
// The DirectDraw surface under a Surface; null for null.
LPDIRECTDRAWSURFACE directDrawSurface(Surface* surface);

// A clipper of `directDraw` with the clip list of `count` rectangles,
// attached to the surface, which keeps it; null on failure (nothing is left
// attached). Called by device set-up and setClipRect.
LPDIRECTDRAWCLIPPER attachClipper(LPDIRECTDRAWSURFACE surface, DWORD count, const RECT* rectangles);

// A Font of this backend is a GDI font handle.
inline HFONT fontHandle(Font* font) { return reinterpret_cast<HFONT>(font); }
