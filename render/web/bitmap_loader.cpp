// The program's bitmaps in the page: the world's files, compiled into the
// module by the build (web_bitmaps.cpp in the build folder).
#include "render/memory/memory_surface.h"
#include "render/web/web_bitmaps.h"

Surface* loadBitmapSurface(int32_t bitmapId)
{
    for (int32_t i = 0; i < webBitmapCount; ++i)
        if (webBitmaps[i].id == bitmapId)
            return surfaceFromBitmapFile(webBitmaps[i].bytes, webBitmaps[i].size);
    return nullptr;
}
