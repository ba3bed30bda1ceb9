// The web page's display: the world draws into two surfaces in memory, a
// flip swaps them, and the page shows the visible one on a canvas.
#pragma once

#include <cstdint>

#include "render/display.h"
#include "render/memory/memory_surface.h"
#include "render/memory/scaled_copy.h"

// Opens the page's display (the run's, run/web) as a W x H display at 16
// (5-6-5) or 32 (XRGB) bits, closing it first. The page shows one display.
DisplaySurfaces openWebDisplay(Display& display, int32_t width, int32_t height, int32_t depth);
// Releases both surfaces and empties the display.
void closeWebDisplay(Display& display);

// The visible surface as RGBA, four bytes a pixel, rows top to bottom, at
// the world's size, in a buffer kept until the next call or closeWebDisplay;
// null without a display or without memory for the buffer.
const uint8_t* presentRgba(const Display& display);

// The visible surface scaled onto a canvas of `width` x `height` pixels, as
// RGBA rows, in a buffer kept until the next call at another size or
// closeWebDisplay; only what changed since the last call is made again (all
// of it at a new size or when `whole`). Null as presentRgba.
const uint8_t* presentOnCanvas(const Display& display, int32_t width, int32_t height, bool whole);
// The parts of the canvas the last presentOnCanvas changed (none when it
// showed what it showed before), and `rects` pointed at them.
int32_t canvasChanges(const ShownRect*& rects);
