// A bitmap of the program's resources on an off-screen surface, keyed on its
// own top-left pixel, shared by every entity that draws from it.
#pragma once

#include <cstdint>

#include "render/surface.h"

class SpriteSheet {
public:
    // Loads bitmap `bitmapId`; a missing bitmap leaves surface() null.
    explicit SpriteSheet(int32_t bitmapId);
    ~SpriteSheet();
    SpriteSheet(const SpriteSheet&) = delete;
    SpriteSheet& operator=(const SpriteSheet&) = delete;

    Surface* surface() const { return surface_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    void release();

private:
    Surface* surface_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

// The whole sheet at (x, y); keyed != 0 uses the sheet's colour key. Returns 0.
int blitSprite(const SpriteSheet* sheet, Surface* dest, int32_t x, int32_t y, int32_t keyed);
