// The page's display for the page's run in a native test: the headless
// display's memory surfaces, without a canvas.
#include "render/sdl/headless_display.h"
#include "render/web/web_display.h"

DisplaySurfaces openWebDisplay(Display& display, int32_t width, int32_t height, int32_t depth)
{
    closeWebDisplay(display);
    return openDisplaySurfaces(display, width, height, depth);
}

void closeWebDisplay(Display& display) { closeHeadlessDisplay(display); }

const uint8_t* presentRgba(const Display&) { return nullptr; }

const uint8_t* presentOnCanvas(const Display&, int32_t, int32_t, bool) { return nullptr; }

int32_t canvasChanges(const ShownRect*& rects)
{
    rects = nullptr;
    return 0;
}
