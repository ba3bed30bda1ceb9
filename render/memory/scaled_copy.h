// The copy of each frame of the world onto a screen's pixels: scaled by
// nearest pixel (enlarged) or by area (shrunk) and converted in one pass,
// and only where the world's picture changed since the last copy. The Linux
// window and the page's canvas both show the world through it.
#pragma once

#include <cstdint>
#include <vector>

#include "render/memory/area_mean.h"
#include "render/memory/memory_surface.h"

// What a screen's pixels are: 5-6-5, XRGB8888 words, or the bytes R, G, B, A
// of a canvas.
enum class ShownFormat : uint32_t { rgb565, xrgb8888, rgba8888 };

struct ShownImage {
    uint8_t* pixels = nullptr;
    int32_t w = 0;
    int32_t h = 0;
    int32_t pitch = 0;
    ShownFormat format = ShownFormat::xrgb8888;
};

struct ShownRect {
    int32_t x, y, w, h;
};

// What one screen showed last: the world's pixels as last copied and the
// scaling tables for that size. Each screen keeps its own.
struct ScaledCopy {
    std::vector<uint8_t> pixels;  // the source as last copied, row after row
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
    PixelFormat format = PixelFormat::none;
    const uint8_t* dest = nullptr;
    ShownFormat destFormat = ShownFormat::xrgb8888;
    ShownRect to = {0, 0, 0, 0};
    std::vector<int> columnOf;  // source column of each destination column
    std::vector<bool> dirty;
    AreaMeans means;  // the tables and rows of a shrunk picture
    std::vector<uint32_t> meanRow;
};

// Copies what differs from the last copy (everything when `everything`, or
// when the source, the destination or `to` changed) onto the rectangle `to`
// of `dest`, and appends the destination rectangles written to `changed`.
// False (nothing copied) for a source that is neither 5-6-5 nor XRGB8888,
// or an empty `to`.
bool copyChangedScaled(ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
                       const ShownRect& to, bool everything, std::vector<ShownRect>& changed);
