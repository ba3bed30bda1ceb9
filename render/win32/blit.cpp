// Blits between surfaces: one DirectDraw Blt, keyed with the source's key,
// stretched when the sizes differ. A destination with a clipper clips; one
// without refuses a rectangle reaching outside it.
#include "render/win32/win32_surface.h"

bool blitSurface(Surface* dest, const PixelRect& destRect, Surface* source,
                 const PixelRect* sourceRect, bool keyed)
{
    if (!dest || !dest->surface || !source || !source->surface)
        return false;
    RECT target{destRect.left, destRect.top, destRect.right, destRect.bottom};
    RECT from{};
    if (sourceRect)
        from = RECT{sourceRect->left, sourceRect->top, sourceRect->right, sourceRect->bottom};
    DWORD flags = DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0);
    return dest->surface->Blt(&target, source->surface, sourceRect ? &from : nullptr, flags,
                              nullptr) == DD_OK;
}
