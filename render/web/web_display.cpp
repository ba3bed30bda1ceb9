// Input in the page reaches the world through the page's own handlers (the
// function keys); the direct polls of long loops read nothing, so a set-up or
// a rebirth, which run within one call, is never cut short by a key that was
// pressed before it.
#include "render/memory/memory_surface.h"
#include "render/web/web_display.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

uint8_t* rgba = nullptr;
// The visible surface's pixels as last converted into `rgba` (whole once
// `shownWhole`), and the bands of the picture the last conversion changed.
uint8_t* shown = nullptr;
PixelImage held;  // the size and format the buffers were made for
bool shownWhole = false;
PresentedRect changes[maxPresentedRects];
// The picture is compared and converted in tiles of this many pixels.
constexpr int32_t tileWidth = 32, tileHeight = 16;
// Which tiles of the row of tiles being converted changed.
bool* tileChanged = nullptr;
int32_t changeCount = 0;
bool quitFlag = false;
// 5-6-5 to RGBA as one little-endian word, widened as every picture of the
// world is (xrgbFrom565); made on first use.
uint32_t* rgbaFrom565 = nullptr;

bool make565Table()
{
    if (rgbaFrom565)
        return true;
    rgbaFrom565 = static_cast<uint32_t*>(std::malloc(0x10000 * sizeof(uint32_t)));
    if (!rgbaFrom565)
        return false;
    for (uint32_t p = 0; p < 0x10000; ++p) {
        const uint32_t x = xrgbFrom565(p);
        rgbaFrom565[p] = 0xFF000000u | (x & 0xFF) << 16 | (x & 0xFF00) | ((x >> 16) & 0xFF);
    }
    return true;
}

// The pixels of a row from `first` (inclusive) to `last` (exclusive) as
// RGBA, into `out` at the same place.
void convertSpan(const PixelImage& image, const uint8_t* row, int32_t first, int32_t last,
                 uint32_t* out)
{
    if (image.format == PixelFormat::rgb565) {
        const uint16_t* in = reinterpret_cast<const uint16_t*>(row);
        for (int32_t x = first; x < last; ++x)
            out[x] = rgbaFrom565[in[x]];
        return;
    }
    const uint32_t* in = reinterpret_cast<const uint32_t*>(row);
    for (int32_t x = first; x < last; ++x) {
        const uint32_t p = in[x];
        out[x] = 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | ((p >> 16) & 0xFF);
    }
}

// Whether `bytes` bytes from `a` and `b` (word-aligned) are the same,
// compared a word at a time.
bool sameBytes(const uint8_t* a, const uint8_t* b, size_t bytes)
{
    const uint32_t* wa = reinterpret_cast<const uint32_t*>(a);
    const uint32_t* wb = reinterpret_cast<const uint32_t*>(b);
    const size_t words = bytes / 4;
    for (size_t i = 0; i < words; ++i)
        if (wa[i] != wb[i])
            return false;
    return std::memcmp(a + 4 * words, b + 4 * words, bytes % 4) == 0;
}

// A part of the picture that changed: joined to the one above it when it
// spans the same columns and ends where this begins; when there are more
// parts than room, the whole picture is one.
void addChange(const PixelImage& image, PresentedRect rect, int32_t aboveFrom)
{
    if (changeCount == 1 && changes[0].w == image.w && changes[0].h == image.h)
        return;
    for (int32_t i = aboveFrom; i < changeCount; ++i) {
        PresentedRect& above = changes[i];
        if (above.x == rect.x && above.w == rect.w && above.y + above.h == rect.y) {
            above.h += rect.h;
            return;
        }
    }
    if (changeCount == maxPresentedRects) {
        changes[0] = PresentedRect{0, 0, image.w, image.h};
        changeCount = 1;
        return;
    }
    changes[changeCount++] = rect;
}

// Space for the RGBA picture and for a copy of the pixels it was made from.
bool holdPresentBuffers(const PixelImage& image)
{
    const size_t bytes = static_cast<size_t>(image.w) * image.h * 4;
    const size_t sourceBytes = static_cast<size_t>(image.pitch) * image.h;
    if (image.w == held.w && image.h == held.h && image.pitch == held.pitch &&
        image.format == held.format)
        return rgba && shown && tileChanged;
    std::free(rgba);
    std::free(shown);
    std::free(tileChanged);
    rgba = static_cast<uint8_t*>(std::malloc(bytes));
    shown = static_cast<uint8_t*>(std::malloc(sourceBytes));
    tileChanged = static_cast<bool*>(std::malloc((image.w + tileWidth - 1) / tileWidth + 1));
    held = image;
    shownWhole = false;
    return rgba && shown && tileChanged;
}

}  // namespace

DisplaySurfaces openWebDisplay(int32_t width, int32_t height, int32_t depth)
{
    closeWebDisplay();
    return openDisplaySurfaces(width, height, depth);
}

void closeWebDisplay()
{
    closeDisplaySurfaces();
    std::free(rgba);
    std::free(shown);
    std::free(tileChanged);
    rgba = nullptr;
    shown = nullptr;
    tileChanged = nullptr;
    held = PixelImage{};
    shownWhole = false;
    changeCount = 0;
    quitFlag = false;
}

namespace {

// Converts the tiles of rows [top, bottom) that changed since they were
// last shown (all of them the first time) and marks them in `changed`.
void convertChangedTiles(const PixelImage& image, int32_t top, int32_t bottom, bool changed[])
{
    const int32_t tiles = (image.w + tileWidth - 1) / tileWidth;
    for (int32_t y = top; y < bottom; ++y) {
        const size_t at = static_cast<size_t>(y) * image.pitch;
        const uint8_t* row = image.pixels + at;
        uint32_t* out = reinterpret_cast<uint32_t*>(rgba) + static_cast<size_t>(y) * image.w;
        for (int32_t t = 0; t < tiles; ++t) {
            const int32_t first = t * tileWidth, last = std::min(image.w, first + tileWidth);
            const size_t from = static_cast<size_t>(first) * image.bytesPerPixel;
            const size_t bytes = static_cast<size_t>(last - first) * image.bytesPerPixel;
            if (shownWhole && sameBytes(row + from, shown + at + from, bytes))
                continue;
            convertSpan(image, row, first, last, out);
            std::memcpy(shown + at + from, row + from, bytes);
            changed[t] = true;
        }
    }
}

}  // namespace

// Only the tiles that changed since the last call are converted (most of a
// frame is the same black background); the rest of the picture is already
// right. Changed tiles side by side, and the same columns in the rows of
// tiles below, make one part.
const uint8_t* presentRgba()
{
    changeCount = 0;
    if (!primarySurface || !primarySurface->image.pixels)
        return nullptr;
    const PixelImage& image = primarySurface->image;
    if (!holdPresentBuffers(image) || (image.format == PixelFormat::rgb565 && !make565Table()))
        return nullptr;
    const int32_t tiles = (image.w + tileWidth - 1) / tileWidth;
    int32_t aboveFrom = 0;
    for (int32_t top = 0; top < image.h; top += tileHeight) {
        const int32_t bottom = std::min(image.h, top + tileHeight);
        bool* changed = tileChanged;
        std::memset(changed, 0, static_cast<size_t>(tiles) * sizeof(bool));
        convertChangedTiles(image, top, bottom, changed);
        const int32_t bandFrom = changeCount;
        for (int32_t t = 0; t < tiles;) {
            if (!changed[t]) {
                ++t;
                continue;
            }
            const int32_t first = t;
            while (t < tiles && changed[t])
                ++t;
            const int32_t x = first * tileWidth, right = std::min(image.w, t * tileWidth);
            addChange(image, PresentedRect{x, top, right - x, bottom - top}, aboveFrom);
        }
        aboveFrom = changeCount == 1 ? 0 : bandFrom;
    }
    shownWhole = true;
    return rgba;
}

int32_t presentedChanges(const PresentedRect*& rects)
{
    rects = changes;
    return changeCount;
}

bool takeQuitRequest()
{
    const bool was = quitFlag;
    quitFlag = false;
    return was;
}

// Like a hardware flip, the two buffers trade places.
bool flipDisplay() { return swapDisplaySurfaces(); }

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

void requestQuit() { quitFlag = true; }
