// Whether fills, blits and text reach a display's two surfaces. The
// runner's --no-draw turns it off (setDisplayDrawing): the world still
// advances every animation, only the pixels of the frames are not made.
// Private to the backends.
#pragma once

#include "render/memory/memory_surface.h"

// True when a drawing call onto `dest` is to be skipped. Sheets, glyph grids
// and every other surface are drawn as always.
inline bool skipsDrawingOnto(const Surface* dest) { return dest != nullptr && dest->drawingOff; }
