// Reading and writing single pixels in tests, through the GDI-colour
// interface that the program itself uses.
#pragma once

#include <cstdint>

#include "render/surface.h"

namespace pixelprobe {

// A surface owned by a test, given back when the test ends, even after a
// failed assertion.
class OwnedSurface {
public:
    explicit OwnedSurface(Surface* surface) : surface_(surface) {}
    ~OwnedSurface() { releaseSurface(surface_); }
    OwnedSurface(const OwnedSurface&) = delete;
    OwnedSurface& operator=(const OwnedSurface&) = delete;
    Surface* get() const { return surface_; }
    operator Surface*() const { return surface_; }

private:
    Surface* surface_;
};

inline uint32_t peek(Surface* s, int32_t x, int32_t y)
{
    if (!beginPixelAccess(s))
        return invalidColour;
    uint32_t c = readPixel(s, x, y);
    endPixelAccess(s);
    return c;
}

inline void paint(Surface* s, int32_t x, int32_t y, uint32_t colour)
{
    if (!beginPixelAccess(s))
        return;
    writePixel(s, x, y, colour);
    endPixelAccess(s);
}

// Pixels of the rectangle that read back as `colour`.
inline int32_t countIn(Surface* s, const PixelRect& r, uint32_t colour)
{
    int32_t n = 0;
    if (!beginPixelAccess(s))
        return 0;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            n += readPixel(s, x, y) == colour;
    endPixelAccess(s);
    return n;
}

inline int32_t countAll(Surface* s, uint32_t colour)
{
    return countIn(s, PixelRect{0, 0, surfaceWidth(s), surfaceHeight(s)}, colour);
}

// Pixels of the rectangle that read back differently on the two surfaces.
inline int32_t countDiffering(Surface* a, Surface* b, const PixelRect& r)
{
    int32_t n = 0;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            n += peek(a, x, y) != peek(b, x, y);
    return n;
}

}  // namespace pixelprobe
