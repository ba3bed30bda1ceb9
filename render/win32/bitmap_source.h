// Where the Windows backend's loadBitmapSurface gets its bitmaps.
#pragma once

#include <windows.h>

#include <cstdint>

// The module whose bitmap resources are loaded; the program's own module
// unless another is set. Set once by the host at start, and by tests that
// want a module without the world's bitmaps.
void setResourceModule(HINSTANCE module);
HINSTANCE resourceModule();

// Bitmap `bitmapId` as a DIB section, null when there is none. The resources
// of resourceModule() unless the tests' display or a tool sets another
// source; null puts the resources back.
using BitmapSource = HBITMAP (*)(int32_t bitmapId);
void setBitmapSource(BitmapSource source);
