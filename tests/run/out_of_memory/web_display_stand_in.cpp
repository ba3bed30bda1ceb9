// The page's display for the page's run in a native test: the headless
// display's memory surfaces, without a canvas.
#include "render/sdl/headless_display.h"
#include "render/web/web_display.h"

DisplaySurfaces openWebDisplay(int32_t width, int32_t height, int32_t depth)
{
    closeWebDisplay();
    return openDisplaySurfaces(width, height, depth);
}

void closeWebDisplay() { closeHeadlessDisplay(); }

const uint8_t* presentRgba() { return nullptr; }

const uint8_t* presentOnCanvas(int32_t, int32_t, bool) { return nullptr; }

int32_t canvasChanges(const ShownRect*& rects)
{
    rects = nullptr;
    return 0;
}

bool takeQuitRequest()
{
    const bool was = quitRequested();
    clearQuitRequest();
    return was;
}
