// The desktop's current display mode, asked of DirectDraw.

#include <windows.h>
#include <ddraw.h>

#include "settings/settings_store.h"

void takeDesktopDisplayMode()
{
    LPDIRECTDRAW directDraw = nullptr;
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK || !directDraw)
        return;

    DDSURFACEDESC mode;
    ZeroMemory(&mode, sizeof mode);
    mode.dwSize = sizeof mode;
    if (directDraw->GetDisplayMode(&mode) == DD_OK) {
        liveOptions.screenWidth = static_cast<int32_t>(mode.dwWidth);
        liveOptions.screenHeight = static_cast<int32_t>(mode.dwHeight);
        liveOptions.screenDepth = static_cast<int32_t>(mode.ddpfPixelFormat.dwRGBBitCount);
    }
    directDraw->Release();
}
