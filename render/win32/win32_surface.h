// What a Surface is in the Windows backend. Private to render/win32.
#pragma once

#include "render/win32/direct_draw_surface.h"

struct Surface {
    LPDIRECTDRAWSURFACE surface = nullptr;  // owned: one reference
    int32_t width = 0;
    int32_t height = 0;
    HDC dc = nullptr;         // held while pixel access is open
    int32_t accessDepth = 0;  // nested begin/endPixelAccess
};
