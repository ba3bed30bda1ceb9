#include "render/display.h"

// Whichever display a build opens (DirectDraw, the headless one, a window, a
// page's canvas) keeps its size and surfaces here.
int32_t displayWidth = 0;
int32_t displayHeight = 0;
int32_t displayDepth = 0;
Surface* primarySurface = nullptr;
Surface* backSurface = nullptr;

void clearDisplaySurfaces()
{
    fillSurface(primarySurface, keyColour);
    fillSurface(backSurface, keyColour);
    // Without a clip rectangle, sprites at the edges are refused rather than
    // clipped: the display still works.
    setClipRect(backSurface, PixelRect{0, 0, displayWidth, displayHeight});
}
