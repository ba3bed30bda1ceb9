// A display for tovrine-world and the tests (see hidden_display.h).
#include "render/win32/hidden_display.h"

#include <cstdlib>

#include "render/win32/bitmap_source.h"
#include "render/win32/direct_draw_surface.h"

namespace {

HWND window = nullptr;
LPDIRECTDRAW directDraw = nullptr;

DDPIXELFORMAT formatForDepth(int32_t depth)
{
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = static_cast<DWORD>(depth);
    if (depth == 16) {
        format.dwRBitMask = 0xF800;
        format.dwGBitMask = 0x07E0;
        format.dwBBitMask = 0x001F;
    } else {
        format.dwRBitMask = 0xFF0000;
        format.dwGBitMask = 0x00FF00;
        format.dwBBitMask = 0x0000FF;
    }
    return format;
}

// <TOVRINE_RESOURCES>\bitmaps\<id>_*.bmp, the alphabetically first, as the
// native backend finds them.
HBITMAP fromResourceFolder(int32_t bitmapId)
{
    std::string folder = resourceDirectory() + "\\bitmaps\\";
    std::string pattern = folder + std::to_string(bitmapId) + "_*.bmp";
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return nullptr;
    std::string best = found.cFileName;
    while (FindNextFileA(search, &found))
        if (std::string(found.cFileName) < best)
            best = found.cFileName;
    FindClose(search);
    return static_cast<HBITMAP>(LoadImageA(nullptr, (folder + best).c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// The program's resources unless a folder of bitmaps is named.
HBITMAP folderOrResourceBitmap(int32_t bitmapId)
{
    const char* folder = std::getenv("TOVRINE_RESOURCES");
    if (folder && *folder)
        return fromResourceFolder(bitmapId);
    return static_cast<HBITMAP>(LoadImageA(resourceModule(), MAKEINTRESOURCEA(bitmapId),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

bool createFlippingPair(Display& display, int32_t width, int32_t height, int32_t depth,
                        FrontSurfaceHook hook)
{
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps =
        DDSCAPS_OFFSCREENPLAIN | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.dwBackBufferCount = 1;
    desc.ddpfPixelFormat = formatForDepth(depth);
    LPDIRECTDRAWSURFACE made = nullptr;
    if (directDraw->CreateSurface(&desc, &made, nullptr) != DD_OK || !made)
        return false;
    LPDIRECTDRAWSURFACE front = hook != nullptr ? hook(made) : made;
    display.primarySurface = wrapDirectDrawSurface(front);
    if (!display.primarySurface) {
        front->Release();
        return false;
    }
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    LPDIRECTDRAWSURFACE back = nullptr;
    if (made->GetAttachedSurface(&caps, &back) != DD_OK)
        return false;
    display.backSurface = wrapDirectDrawSurface(back);
    if (!display.backSurface)
        back->Release();
    return display.backSurface != nullptr;
}

}  // namespace

bool openHiddenDisplay(Display& display, int32_t width, int32_t height, int32_t depth,
                       FrontSurfaceHook hook)
{
    closeHiddenDisplay(display);
    if ((depth != 16 && depth != 32) || width <= 0 || height <= 0)
        return false;
    window = CreateWindowExA(0, "STATIC", "tovrine hidden display", WS_POPUP, 0, 0, width, height,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window || DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK ||
        directDraw->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK ||
        !createFlippingPair(display, width, height, depth, hook)) {
        closeHiddenDisplay(display);
        return false;
    }
    useDirectDraw(directDraw, &display);
    display.width = width;
    display.height = height;
    display.depth = depth;
    clearDisplaySurfaces(display);
    setBitmapSource(folderOrResourceBitmap);
    return true;
}

void closeHiddenDisplay(Display& display)
{
    releaseSurface(display.backSurface);
    releaseSurface(display.primarySurface);  // releases the front, and with it the pair
    display = Display();
    useDirectDraw(nullptr, nullptr);
    if (directDraw)
        directDraw->Release();
    directDraw = nullptr;
    if (window)
        DestroyWindow(window);
    window = nullptr;
    setBitmapSource(nullptr);
}

std::string resourceDirectory()
{
    const char* folder = std::getenv("TOVRINE_RESOURCES");
    return folder && *folder ? folder : "(the program's resources)";
}

bool saveSurfacePng(Surface*, const char*) { return false; }
