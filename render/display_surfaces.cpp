#include "render/display.h"

void clearDisplaySurfaces(Display& display)
{
    fillSurface(display.primarySurface, keyColour);
    fillSurface(display.backSurface, keyColour);
    // Without a clip rectangle, sprites at the edges are refused rather than
    // clipped: the display still works.
    setClipRect(display.backSurface, PixelRect{0, 0, display.width, display.height});
}
