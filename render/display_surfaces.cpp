#include "render/display.h"

void clearDisplaySurfaces()
{
    fillSurface(primarySurface, keyColour);
    fillSurface(backSurface, keyColour);
    // Without a clip rectangle, sprites at the edges are refused rather than
    // clipped: the display still works.
    setClipRect(backSurface, PixelRect{0, 0, displayWidth, displayHeight});
}
