// Input in the page reaches the world through the page's own handlers (the
// function keys); the direct polls of long loops read nothing, so a set-up or
// a rebirth, which run within one call, is never cut short by a key that was
// pressed before it.
#include "render/memory/memory_surface.h"
#include "render/memory/scaled_copy.h"
#include "render/web/web_display.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

// What the page shows: the picture at the world's size (taken whole), and
// the canvas, at the size the page shows the world, with what changed on
// it at the last present.
ScaledCopy pictureCopy;
std::vector<uint8_t> picture;
ScaledCopy canvasCopy;
std::vector<uint8_t> canvas;
std::vector<ShownRect> canvasChanged;

// The visible surface scaled to `width` x `height` as RGBA in `rgba`, with
// `copy` remembering what it last held; false without memory for it.
bool copyOnto(const Surface* shown, ScaledCopy& copy, std::vector<uint8_t>& rgba, int32_t width,
              int32_t height, bool whole, std::vector<ShownRect>& changed)
{
    changed.clear();
    if (!shown || !shown->image.pixels || width <= 0 || height <= 0)
        return false;
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    try {
        if (rgba.size() != bytes) {
            rgba.assign(bytes, 0);
            whole = true;
        }
        const ShownImage dest{rgba.data(), width, height, width * 4, ShownFormat::rgba8888};
        return copyChangedScaled(copy, shown->image, dest, ShownRect{0, 0, width, height}, whole,
                                 changed);
    } catch (const std::bad_alloc&) {
        rgba = std::vector<uint8_t>();
        copy = ScaledCopy();
        return false;
    }
}

}  // namespace

DisplaySurfaces openWebDisplay(Display& display, int32_t width, int32_t height, int32_t depth)
{
    closeWebDisplay(display);
    return openDisplaySurfaces(display, width, height, depth);
}

void closeWebDisplay(Display& display)
{
    closeDisplaySurfaces(display);
    pictureCopy = ScaledCopy();
    picture = std::vector<uint8_t>();
    canvasCopy = ScaledCopy();
    canvas = std::vector<uint8_t>();
    canvasChanged.clear();
}

const uint8_t* presentRgba(const Display& display)
{
    const Surface* shown = display.primarySurface;
    if (!shown)
        return nullptr;
    std::vector<ShownRect> changed;
    if (!copyOnto(shown, pictureCopy, picture, shown->image.w, shown->image.h, true, changed))
        return nullptr;
    return picture.data();
}

// Only the tiles that changed since the last present are scaled and
// converted (most of a frame is the same black background); the rest of
// the canvas is already right.
const uint8_t* presentOnCanvas(const Display& display, int32_t width, int32_t height, bool whole)
{
    if (!copyOnto(display.primarySurface, canvasCopy, canvas, width, height, whole, canvasChanged))
        return nullptr;
    return canvas.data();
}

int32_t canvasChanges(const ShownRect*& rects)
{
    rects = canvasChanged.data();
    return static_cast<int32_t>(canvasChanged.size());
}

// Like a hardware flip, the two buffers trade places.
bool flipDisplay(Display& display) { return swapDisplaySurfaces(display); }

bool readKeyboardState(uint8_t keys[256])
{
    std::memset(keys, 0, 256);
    return true;
}

bool readMouseState(MouseState& mouse)
{
    mouse = MouseState{0, 0, 0, {0, 0, 0, 0}};
    return true;
}
