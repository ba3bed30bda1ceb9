// The bitmap files compiled into the page's module. Private to render/web.
#pragma once

#include <cstddef>
#include <cstdint>

struct WebBitmap {
    int32_t id;
    const uint8_t* bytes;
    std::size_t size;
};

extern const WebBitmap webBitmaps[];
extern const int32_t webBitmapCount;
