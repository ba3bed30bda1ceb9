// Blits between surfaces of the display's format, with DirectDraw's rules:
// the source rectangle must lie inside the source; the destination is
// clipped to the destination's clip rectangle when it has one and must lie
// inside the destination otherwise; sizes that differ stretch (nearest
// pixel); keyed blits skip source pixels equal to the source's key.
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

#include "render/memory/display_drawing.h"
#include "render/memory/drawing_clock.h"
#include "render/memory/memory_surface.h"

namespace {

bool isEmpty(const PixelRect& r) { return r.left >= r.right || r.top >= r.bottom; }

bool within(const PixelRect& r, int32_t width, int32_t height)
{
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

PixelRect intersect(const PixelRect& a, const PixelRect& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// The part of destRect that may be drawn, or an empty rectangle; false when
// the blit is refused.
bool visiblePart(const Surface* dest, const PixelRect& destRect, PixelRect& visible)
{
    int32_t w = dest->image.w;
    int32_t h = dest->image.h;
    if (!dest->hasClip) {
        visible = destRect;
        return within(destRect, w, h);
    }
    visible = intersect(intersect(destRect, dest->clip), PixelRect{0, 0, w, h});
    return true;
}

// Pixel values in the way of a blit, gathered from the source first so that
// a blit of a surface onto itself reads the original pixels.
struct SourceCopy {
    std::vector<uint32_t> values;
    int32_t width = 0;
};

SourceCopy copySource(const Surface* source, const PixelRect& r)
{
    SourceCopy copy;
    copy.width = r.right - r.left;
    copy.values.reserve(static_cast<size_t>(copy.width) * (r.bottom - r.top));
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            copy.values.push_back(loadStored(source, x, y));
    return copy;
}

// One row of a keyed copy: source pixels equal to the key leave the
// destination as it was.
template <typename Pixel>
void copyKeyedRow(Pixel* out, const Pixel* in, int32_t count, Pixel key)
{
    int32_t i = 0;
#if defined(__SSE2__)
    // A block of pixels at a time: the destination keeps its value under the
    // key's pixels and takes the source's elsewhere. A last, shorter part is
    // done as a block that overlaps the one before, merged with what the
    // destination held before the row was touched: its overlapping pixels come
    // out as the block before made them, and reading them early spares the
    // processor a read of what it has just written.
    constexpr int32_t block = 16 / sizeof(Pixel);
    if (count >= block) {
        const __m128i keys = sizeof(Pixel) == 2 ? _mm_set1_epi16(static_cast<short>(key))
                                                : _mm_set1_epi32(static_cast<int>(key));
        const int32_t tail = count % block != 0 ? count - block : -1;
        const __m128i tailBefore =
            tail >= 0 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + tail)) : keys;
        // Only a block that mixes both kinds reads the destination: reading
        // the back buffer, which the cache rarely holds, is the slow part.
        auto copyBlock = [&](int32_t at, const __m128i* before) {
            __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
            __m128i transparent =
                sizeof(Pixel) == 2 ? _mm_cmpeq_epi16(src, keys) : _mm_cmpeq_epi32(src, keys);
            const int which = _mm_movemask_epi8(transparent);
            if (which == 0xFFFF)
                return;
            __m128i* to = reinterpret_cast<__m128i*>(out + at);
            if (which != 0) {
                const __m128i dst = before != nullptr ? *before : _mm_loadu_si128(to);
                src = _mm_or_si128(_mm_and_si128(transparent, dst),
                                   _mm_andnot_si128(transparent, src));
            }
            _mm_storeu_si128(to, src);
        };
        for (; i + block <= count; i += block)
            copyBlock(i, nullptr);
        if (tail >= 0)
            copyBlock(tail, &tailBefore);
        return;
    }
#else
    // Without SSE2 (the web page's build): eight bytes at a time in a 64-bit
    // word, each lane that differs from the key taken from the source.
    constexpr int32_t lanes = 8 / sizeof(Pixel);
    constexpr int laneBits = 8 * sizeof(Pixel);
    constexpr uint64_t lowBits = sizeof(Pixel) == 2 ? 0x0001000100010001u : 0x0000000100000001u;
    constexpr uint64_t highBits = lowBits << (laneBits - 1);
    constexpr uint64_t wholeLane = (uint64_t{1} << laneBits) - 1;
    const uint64_t keys = lowBits * key;
    for (; i + lanes <= count; i += lanes) {
        uint64_t src;
        std::memcpy(&src, in + i, 8);
        const uint64_t diff = src ^ keys;
        // A lane's top bit ends up set when any bit of the lane is.
        const uint64_t opaque = ((((diff & ~highBits) + ~highBits) | diff) & highBits);
        if (opaque == 0)
            continue;
        uint64_t merged = src;
        if (opaque != highBits) {
            const uint64_t take = (opaque >> (laneBits - 1)) * wholeLane;
            uint64_t dst;
            std::memcpy(&dst, out + i, 8);
            merged = (src & take) | (dst & ~take);
        }
        std::memcpy(out + i, &merged, 8);
    }
#endif
    for (; i < count; ++i)
        if (in[i] != key)
            out[i] = in[i];
}

// Same size, different surfaces: row copies, or a per-pixel key test.
template <typename Pixel>
void copyRows(Surface* dest, const PixelRect& visible, const Surface* source, int32_t sx0,
              int32_t sy0, bool keyed, uint32_t key)
{
    int32_t count = visible.right - visible.left;
    const PixelImage& d = dest->image;
    const PixelImage& s = source->image;
#if defined(__SSE2__)
    // The rows of the destination are far apart and seldom cached: ask for
    // all of them at once rather than wait for each in turn.
    if (keyed) {
        for (int32_t y = visible.top; y < visible.bottom; ++y) {
            const char* row = reinterpret_cast<const char*>(d.pixels) + y * d.pitch;
            _mm_prefetch(row + visible.left * sizeof(Pixel), _MM_HINT_T0);
            _mm_prefetch(row + visible.right * sizeof(Pixel) - 1, _MM_HINT_T0);
        }
    }
#endif
    for (int32_t y = visible.top; y < visible.bottom; ++y) {
        Pixel* out = reinterpret_cast<Pixel*>(d.pixels + y * d.pitch) + visible.left;
        const Pixel* in =
            reinterpret_cast<const Pixel*>(s.pixels + (sy0 + y - visible.top) * s.pitch) + sx0;
        if (keyed)
            copyKeyedRow(out, in, count, static_cast<Pixel>(key));
        else
            std::memcpy(out, in, count * sizeof(Pixel));
    }
}

void copySameSize(Surface* dest, const PixelRect& visible, const PixelRect& destRect,
                  const Surface* source, const PixelRect& srcRect, bool keyed, uint32_t key)
{
    int32_t sx0 = srcRect.left + visible.left - destRect.left;
    int32_t sy0 = srcRect.top + visible.top - destRect.top;
    if (dest->image.bytesPerPixel == 2)
        copyRows<uint16_t>(dest, visible, source, sx0, sy0, keyed, key);
    else
        copyRows<uint32_t>(dest, visible, source, sx0, sy0, keyed, key);
}

// General case: each visible destination pixel takes the nearest source
// pixel of the whole (unclipped) mapping, so clipping never shifts a picture.
void copyMapped(Surface* dest, const PixelRect& visible, const PixelRect& destRect,
                const SourceCopy& src, const PixelRect& srcRect, bool keyed, uint32_t key)
{
    int64_t dw = destRect.right - destRect.left;
    int64_t dh = destRect.bottom - destRect.top;
    int64_t sw = srcRect.right - srcRect.left;
    int64_t sh = srcRect.bottom - srcRect.top;
    for (int32_t y = visible.top; y < visible.bottom; ++y) {
        int64_t sy = (y - destRect.top) * sh / dh;
        for (int32_t x = visible.left; x < visible.right; ++x) {
            int64_t sx = (x - destRect.left) * sw / dw;
            uint32_t value = src.values[static_cast<size_t>(sy * src.width + sx)];
            if (!keyed || value != key)
                storeStored(dest, x, y, value);
        }
    }
}

}  // namespace

bool blitSurface(Surface* dest, const PixelRect& destRect, Surface* source,
                 const PixelRect* sourceRect, bool keyed)
{
    DrawingTimer timer;
    if (!dest || !dest->image.pixels || !source || !source->image.pixels)
        return false;
    if (skipsDrawingOnto(dest))
        return true;
    if (source->image.format != dest->image.format)
        return false;
    PixelRect srcRect =
        sourceRect ? *sourceRect : PixelRect{0, 0, source->image.w, source->image.h};
    if (isEmpty(srcRect) || !within(srcRect, source->image.w, source->image.h))
        return false;
    if (isEmpty(destRect))
        return false;

    PixelRect visible;
    if (!visiblePart(dest, destRect, visible))
        return false;
    if (isEmpty(visible))
        return true;  // wholly clipped away: nothing to draw, not an error

    // DirectDraw refuses a keyed blit from a surface that has no key.
    if (keyed && !source->hasColourKey)
        return false;
    bool useKey = keyed;
    uint32_t key = source->colourKey;
    bool sameSize = destRect.right - destRect.left == srcRect.right - srcRect.left &&
                    destRect.bottom - destRect.top == srcRect.bottom - srcRect.top;
    if (sameSize && dest != source) {
        copySameSize(dest, visible, destRect, source, srcRect, useKey, key);
        return true;
    }
    SourceCopy copy = copySource(source, srcRect);
    PixelRect local = {0, 0, srcRect.right - srcRect.left, srcRect.bottom - srcRect.top};
    copyMapped(dest, visible, destRect, copy, local, useKey, key);
    return true;
}
