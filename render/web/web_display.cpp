// Input in the page reaches the world through the page's own handlers (the
// function keys); the direct polls of long loops read nothing, so a set-up or
// a rebirth, which run within one call, is never cut short by a key that was
// pressed before it.
#include "render/web/web_display.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

int32_t displayWidth = 0;
int32_t displayHeight = 0;
int32_t displayDepth = 0;
Surface* primarySurface = nullptr;
Surface* backSurface = nullptr;

namespace {

uint8_t* rgba = nullptr;
size_t rgbaBytes = 0;
// The visible surface's pixels as last converted into `rgba` (whole once
// `shownWhole`), and the bands of the picture the last conversion changed.
uint8_t* shown = nullptr;
size_t shownBytes = 0;
PixelFormat shownFormat = PixelFormat::none;
bool shownWhole = false;
PresentedRect changes[maxPresentedRects];
int32_t changeCount = 0;
bool quitFlag = false;
// 5-6-5 to RGBA as one little-endian word, each field widened by repeating
// its top bits as GDI reads a 16-bit pixel; made on first use.
uint32_t* rgbaFrom565 = nullptr;

bool make565Table()
{
    if (rgbaFrom565)
        return true;
    rgbaFrom565 = static_cast<uint32_t*>(std::malloc(0x10000 * sizeof(uint32_t)));
    if (!rgbaFrom565)
        return false;
    for (uint32_t p = 0; p < 0x10000; ++p) {
        const uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
        rgbaFrom565[p] =
            0xFF000000u | (b << 3 | b >> 2) << 16 | (g << 2 | g >> 4) << 8 | (r << 3 | r >> 2);
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

// The pixels of a row that differ from the same row as last shown, as
// [first, last) in pixels; first == last when none do. Compared a word at a
// time: most of a frame is the same black from one frame to the next.
std::pair<int32_t, int32_t> changedSpan(const PixelImage& image, const uint32_t* now,
                                        const uint32_t* was)
{
    const int32_t words = (image.w * image.bytesPerPixel + 3) / 4;
    int32_t first = 0;
    while (first < words && now[first] == was[first])
        ++first;
    if (first == words)
        return {0, 0};
    int32_t last = words;
    while (now[last - 1] == was[last - 1])
        --last;
    const int32_t perWord = 4 / image.bytesPerPixel;
    return {first * perWord, std::min(image.w, last * perWord)};
}

// Starts a new band of changed rows, or widens the last one when the row is
// near it (one putImageData costs more than a few unchanged rows), or when
// there is no room for another.
void addChangedRow(int32_t y, int32_t first, int32_t last)
{
    const int32_t nearRows = 8;
    if (changeCount > 0) {
        PresentedRect& band = changes[changeCount - 1];
        if (y - (band.y + band.h) < nearRows || changeCount == maxPresentedRects) {
            const int32_t left = std::min(band.x, first);
            const int32_t right = std::max(band.x + band.w, last);
            band = PresentedRect{left, band.y, right - left, y + 1 - band.y};
            return;
        }
    }
    changes[changeCount++] = PresentedRect{first, y, last - first, 1};
}

// Space for the RGBA picture and for a copy of the pixels it was made from.
bool holdPresentBuffers(const PixelImage& image)
{
    const size_t bytes = static_cast<size_t>(image.w) * image.h * 4;
    const size_t sourceBytes = static_cast<size_t>(image.pitch) * image.h;
    if (bytes == rgbaBytes && sourceBytes == shownBytes && image.format == shownFormat)
        return rgba && shown;
    std::free(rgba);
    std::free(shown);
    rgba = static_cast<uint8_t*>(std::malloc(bytes));
    shown = static_cast<uint8_t*>(std::malloc(sourceBytes));
    rgbaBytes = rgba ? bytes : 0;
    shownBytes = shown ? sourceBytes : 0;
    shownFormat = image.format;
    shownWhole = false;
    return rgba && shown;
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
    rgba = nullptr;
    shown = nullptr;
    rgbaBytes = 0;
    shownBytes = 0;
    shownWhole = false;
    changeCount = 0;
    quitFlag = false;
}

// Only the rows and columns that changed since the last call are converted;
// the rest of the picture is already right.
const uint8_t* presentRgba()
{
    changeCount = 0;
    if (!primarySurface || !primarySurface->image.pixels)
        return nullptr;
    const PixelImage& image = primarySurface->image;
    if (!holdPresentBuffers(image) || (image.format == PixelFormat::rgb565 && !make565Table()))
        return nullptr;
    for (int32_t y = 0; y < image.h; ++y) {
        const size_t at = static_cast<size_t>(y) * image.pitch;
        const uint8_t* row = image.pixels + at;
        const auto [first, last] = shownWhole
                                       ? changedSpan(image, reinterpret_cast<const uint32_t*>(row),
                                                     reinterpret_cast<const uint32_t*>(shown + at))
                                       : std::pair<int32_t, int32_t>{0, image.w};
        if (first == last)
            continue;
        convertSpan(image, row, first, last,
                    reinterpret_cast<uint32_t*>(rgba) + static_cast<size_t>(y) * image.w);
        std::memcpy(shown + at + first * image.bytesPerPixel, row + first * image.bytesPerPixel,
                    static_cast<size_t>(last - first) * image.bytesPerPixel);
        addChangedRow(y, first, last);
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
bool flipDisplay()
{
    if (!primarySurface || !backSurface)
        return false;
    std::swap(primarySurface->image, backSurface->image);
    return true;
}

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
