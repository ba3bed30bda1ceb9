// The web page's display: the world draws into two surfaces in memory, a
// flip swaps them, and the page shows the visible one on a canvas.
#pragma once

#include <cstdint>

#include "render/display.h"
#include "render/memory/memory_surface.h"

// Opens a W x H display at 16 (5-6-5) or 32 (XRGB) bits, closing any before.
DisplaySurfaces openWebDisplay(int32_t width, int32_t height, int32_t depth);
// Releases both surfaces; the globals return to 0.
void closeWebDisplay();

// The visible surface as RGBA, four bytes a pixel, rows top to bottom, in a
// buffer kept until the next call or closeWebDisplay; null without a
// display or without memory for the buffer.
const uint8_t* presentRgba();

// A part of the picture, in pixels.
struct PresentedRect {
    int32_t x, y, w, h;
};
constexpr int32_t maxPresentedRects = 128;
// The parts of the picture the last presentRgba changed (none when it
// showed what it showed before, all of it the first time): how many, and
// `rects` pointed at them, valid until the next presentRgba.
int32_t presentedChanges(const PresentedRect*& rects);

// requestQuit() sets this (a sheet that could not be measured); the run reads
// and clears it.
bool takeQuitRequest();
