// The drawing interface between the world and the platform. Declared here
// once; defined by exactly one backend per build: render/win32 on DirectDraw
// and GDI, render/memory's surfaces in plain memory for the native and web
// builds (render/sdl and render/web add their fonts, pictures and windows).
// Colours follow GDI: 0x00BBGGRR.
#pragma once

#include <cstdint>

// A surface in the display's pixel format. Its layout is the backend's.
struct Surface;

// Right and bottom are exclusive, as in a Windows RECT.
struct PixelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Black: the fill colour of every clear and the transparent colour of glyphs.
constexpr uint32_t keyColour = 0x000000;
// White: the colour of every text the world draws.
constexpr uint32_t textColour = 0xFFFFFF;
// GDI's CLR_INVALID: a failed pixel read, or "the top-left pixel" for matchColour.
constexpr uint32_t invalidColour = 0xFFFFFFFF;

// Off-screen surface of the display's format; null when it cannot be made.
// Called by sheet and glyph-font construction at world set-up.
Surface* createSurface(int32_t width, int32_t height);

// Gives the surface back. Null is ignored. Called at tear-down.
void releaseSurface(Surface* surface);

// Size in pixels; 0 for null. Called by sheet construction.
int32_t surfaceWidth(const Surface* surface);
int32_t surfaceHeight(const Surface* surface);

// Loads bitmap `bitmapId` of the program's resources into a new surface of
// the display's format; null when it is missing or unreadable.
Surface* loadBitmapSurface(int32_t bitmapId);

// The value the surface stores for a GDI colour; with invalidColour, the
// stored value of the top-left pixel. Leaves the surface as it was.
uint32_t matchColour(Surface* surface, uint32_t colour);

// Source colour key = matchColour(surface, colour). Called once per sheet/font.
void setColourKey(Surface* surface, uint32_t colour);

// Fills the whole surface with a stored pixel value. Always returns 0.
int fillSurface(Surface* surface, uint32_t storedColour);

// Copies `source` (the whole surface when sourceRect is null) onto destRect,
// stretched when the sizes differ, keyed with the source's colour key when
// `keyed`. A destination with a clip rectangle clips; one without refuses a
// rectangle reaching outside it. Returns false when refused.
bool blitSurface(Surface* dest, const PixelRect& destRect, Surface* source,
                 const PixelRect* sourceRect, bool keyed);

// Attaches a clip rectangle to the surface (the clipper of the back surface).
bool setClipRect(Surface* surface, const PixelRect& clip);

// Pixel reads and writes in GDI colours, between begin and end (a device
// context on Windows). beginPixelAccess fails when no context can be had.
bool beginPixelAccess(Surface* surface);
uint32_t readPixel(Surface* surface, int32_t x, int32_t y);  // invalidColour outside
void writePixel(Surface* surface, int32_t x, int32_t y, uint32_t colour);
void endPixelAccess(Surface* surface);
