// The program's bitmaps: a DIB section from the module's resources, copied
// onto a new surface by GDI, which converts the colours to the surface's
// format on the way.
#include "render/win32/bitmap_source.h"
#include "render/win32/win32_surface.h"

namespace {

HINSTANCE chosenModule = nullptr;

HBITMAP fromResources(int32_t bitmapId)
{
    return static_cast<HBITMAP>(LoadImageA(resourceModule(), MAKEINTRESOURCEA(bitmapId),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

BitmapSource bitmapSource = fromResources;

// The whole bitmap stretched over the whole surface. 0, E_FAIL for a
// missing surface or bitmap, or the error of the surface's GetDC.
HRESULT copyBitmapToSurface(LPDIRECTDRAWSURFACE surface, HBITMAP bitmap)
{
    if (!surface || !bitmap)
        return E_FAIL;
    surface->Restore();
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory)
        OutputDebugStringA("createcompatible dc failed\n");
    HGDIOBJ previous = memory ? SelectObject(memory, bitmap) : nullptr;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    surface->GetSurfaceDesc(&desc);

    HDC dc = nullptr;
    HRESULT result = surface->GetDC(&dc);
    if (result == DD_OK) {
        if (!StretchBlt(dc, 0, 0, desc.dwWidth, desc.dwHeight, memory, 0, 0, info.bmWidth,
                        info.bmHeight, SRCCOPY))
            OutputDebugStringA("stretchblt failed\n");
        surface->ReleaseDC(dc);
    } else {
        OutputDebugStringA("getdc on the surface failed\n");
    }
    if (memory) {
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    return result;
}

}  // namespace

void setResourceModule(HINSTANCE module) { chosenModule = module; }

HINSTANCE resourceModule() { return chosenModule ? chosenModule : GetModuleHandleA(nullptr); }

void setBitmapSource(BitmapSource source) { bitmapSource = source ? source : fromResources; }

Surface* loadBitmapSurface(int32_t bitmapId)
{
    HBITMAP bitmap = bitmapSource(bitmapId);
    if (!bitmap)
        return nullptr;
    BITMAP info{};
    Surface* surface = nullptr;
    if (GetObjectA(bitmap, sizeof info, &info) != 0)
        surface = createSurface(info.bmWidth, info.bmHeight);
    if (surface && copyBitmapToSurface(surface->surface, bitmap) != DD_OK) {
        releaseSurface(surface);
        surface = nullptr;
    }
    DeleteObject(bitmap);
    return surface;
}
