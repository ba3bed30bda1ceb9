// Whether fills, blits and text reach the display's two surfaces. The
// runner's --no-draw turns it off: the world still advances every
// animation, only the pixels of the frames are not made. Private to the backends.
#pragma once

#include "render/display.h"

extern bool displayDrawingOff;

// True when a drawing call onto `dest` is to be skipped. Sheets, glyph grids
// and every other surface are drawn as always.
inline bool skipsDrawingOnto(const Surface* dest)
{
    return displayDrawingOff && dest != nullptr && (dest == primarySurface || dest == backSurface);
}
