// Surfaces on DirectDraw: creation in the display's format, colour matching
// through GDI, keys, fills, clippers and pixel access through a device
// context.
#include <cstring>
#include <vector>

#include "render/display.h"
#include "render/win32/win32_surface.h"

namespace {

LPDIRECTDRAW directDraw = nullptr;
const Display* formatDisplay = nullptr;

bool inside(const Surface* surface, int32_t x, int32_t y)
{
    return surface && x >= 0 && y >= 0 && x < surface->width && y < surface->height;
}

uint32_t depthMask(DWORD bits)
{
    if (bits >= 32)
        return 0xFFFFFFFFu;
    return bits == 0 ? 0 : (1u << bits) - 1;
}

}  // namespace

void useDirectDraw(LPDIRECTDRAW object, const Display* display)
{
    directDraw = object;
    formatDisplay = display;
}

Surface* wrapDirectDrawSurface(LPDIRECTDRAWSURFACE surface)
{
    if (!surface)
        return nullptr;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->GetSurfaceDesc(&desc) != DD_OK)
        return nullptr;
    Surface* wrapped = new Surface;
    wrapped->surface = surface;
    wrapped->width = static_cast<int32_t>(desc.dwWidth);
    wrapped->height = static_cast<int32_t>(desc.dwHeight);
    return wrapped;
}

LPDIRECTDRAWSURFACE directDrawSurface(Surface* surface)
{
    return surface ? surface->surface : nullptr;
}

// Off-screen surfaces live in system memory: they are never lost with the
// display, so sheets and glyph grids outlive a lost primary, and GDI reads
// of them stay cheap. The format is the primary's, which is the display's
// in a run and the chosen one on a test display.
Surface* createSurface(int32_t width, int32_t height)
{
    if (!directDraw || width <= 0 || height <= 0)
        return nullptr;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    Surface* shown = formatDisplay != nullptr ? formatDisplay->primarySurface : nullptr;
    if (LPDIRECTDRAWSURFACE primary = directDrawSurface(shown)) {
        desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
        if (primary->GetPixelFormat(&desc.ddpfPixelFormat) == DD_OK)
            desc.dwFlags |= DDSD_PIXELFORMAT;
    }
    LPDIRECTDRAWSURFACE made = nullptr;
    if (directDraw->CreateSurface(&desc, &made, nullptr) != DD_OK || !made)
        return nullptr;
    Surface* surface = wrapDirectDrawSurface(made);
    if (!surface)
        made->Release();
    return surface;
}

void releaseSurface(Surface* surface)
{
    if (!surface)
        return;
    if (surface->dc)
        surface->surface->ReleaseDC(surface->dc);
    if (surface->surface)
        surface->surface->Release();
    delete surface;
}

int32_t surfaceWidth(const Surface* surface) { return surface ? surface->width : 0; }

int32_t surfaceHeight(const Surface* surface) { return surface ? surface->height : 0; }

// GDI writes the colour, the surface's memory tells what it stored; the
// top-left pixel is put back afterwards.
uint32_t matchColour(Surface* surface, uint32_t colour)
{
    if (!surface || !surface->surface)
        return invalidColour;
    LPDIRECTDRAWSURFACE dd = surface->surface;
    uint32_t result = invalidColour;
    COLORREF kept = CLR_INVALID;
    HDC dc = nullptr;
    bool wrote = false;
    if (colour != invalidColour && dd->GetDC(&dc) == DD_OK) {
        kept = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, colour);
        dd->ReleaseDC(dc);
        wrote = true;
    }
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    HRESULT locked;
    while ((locked = dd->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (locked == DD_OK) {
        uint32_t first;
        std::memcpy(&first, desc.lpSurface, sizeof first);
        result = first & depthMask(desc.ddpfPixelFormat.dwRGBBitCount);
        dd->Unlock(nullptr);
    }
    if (wrote && dd->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, kept);
        dd->ReleaseDC(dc);
    }
    return result;
}

void setColourKey(Surface* surface, uint32_t colour)
{
    if (!surface || !surface->surface)
        return;
    uint32_t stored = matchColour(surface, colour);
    DDCOLORKEY key{stored, stored};
    surface->surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

int fillSurface(Surface* surface, uint32_t storedColour)
{
    if (!surface || !surface->surface)
        return 0;
    DDBLTFX effects{};
    effects.dwSize = sizeof effects;
    effects.dwFillColor = storedColour;
    surface->surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
    return 0;
}

LPDIRECTDRAWCLIPPER attachClipper(LPDIRECTDRAWSURFACE surface, DWORD count, const RECT* rectangles)
{
    if (!directDraw || !surface || count == 0 || !rectangles)
        return nullptr;
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    if (directDraw->CreateClipper(0, &clipper, nullptr) != DD_OK || !clipper)
        return nullptr;

    std::vector<unsigned char> bytes(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    RGNDATA* region = reinterpret_cast<RGNDATA*>(bytes.data());
    region->rdh.dwSize = sizeof(RGNDATAHEADER);
    region->rdh.iType = RDH_RECTANGLES;
    region->rdh.nCount = count;
    region->rdh.nRgnSize = count * sizeof(RECT);
    RECT bound = rectangles[0];
    for (DWORD i = 1; i < count; ++i) {
        bound.left = rectangles[i].left < bound.left ? rectangles[i].left : bound.left;
        bound.top = rectangles[i].top < bound.top ? rectangles[i].top : bound.top;
        bound.right = rectangles[i].right > bound.right ? rectangles[i].right : bound.right;
        bound.bottom = rectangles[i].bottom > bound.bottom ? rectangles[i].bottom : bound.bottom;
    }
    region->rdh.rcBound = bound;
    std::memcpy(region->Buffer, rectangles, count * sizeof(RECT));

    if (clipper->SetClipList(region, 0) != DD_OK || surface->SetClipper(clipper) != DD_OK) {
        clipper->Release();
        return nullptr;
    }
    // The surface holds its own reference; the one returned is borrowed.
    clipper->Release();
    return clipper;
}

bool setClipRect(Surface* surface, const PixelRect& clip)
{
    if (!surface || clip.left >= clip.right || clip.top >= clip.bottom)
        return false;
    RECT rect{clip.left, clip.top, clip.right, clip.bottom};
    return attachClipper(surface->surface, 1, &rect) != nullptr;
}

// A DirectDraw surface gives one device context at a time: nested sections
// share it.
bool beginPixelAccess(Surface* surface)
{
    if (!surface || !surface->surface)
        return false;
    if (surface->accessDepth == 0 && surface->surface->GetDC(&surface->dc) != DD_OK) {
        surface->dc = nullptr;
        return false;
    }
    surface->accessDepth += 1;
    return true;
}

uint32_t readPixel(Surface* surface, int32_t x, int32_t y)
{
    if (!inside(surface, x, y) || !surface->dc)
        return invalidColour;
    return GetPixel(surface->dc, x, y);
}

void writePixel(Surface* surface, int32_t x, int32_t y, uint32_t colour)
{
    if (!inside(surface, x, y) || !surface->dc)
        return;
    SetPixel(surface->dc, x, y, colour & 0xFFFFFF);
}

void endPixelAccess(Surface* surface)
{
    if (!surface || surface->accessDepth == 0)
        return;
    surface->accessDepth -= 1;
    if (surface->accessDepth == 0 && surface->dc) {
        surface->surface->ReleaseDC(surface->dc);
        surface->dc = nullptr;
    }
}
