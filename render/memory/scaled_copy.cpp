// Scaling the whole picture onto the screen every frame is most of what
// showing the world costs: megabytes written by us and read again by the X
// server or the browser's compositor, while the world moves a few dozen
// sprites over black. So the picture is cut into tiles, and only tiles that
// differ from the last frame shown are converted, scaled and sent. Enlarged,
// a pixel is repeated; shrunk, each screen pixel
// is the average of the world's pixels under it, weighed by how much of each
// it covers, so that thin strokes (the cloud's letters) fade instead of
// vanishing.
#include "render/memory/scaled_copy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr int tileSide = 32;

std::vector<uint32_t> wide;      // 5-6-5 to XRGB8888, filled once
std::vector<uint32_t> wideRgba;  // and to the canvas's RGBA, once a canvas needs it

// The pixels of one pair of formats: In (the world's) to Out (the screen's).
uint16_t narrow(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
}
uint16_t narrowXrgb(uint32_t p) { return narrow(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF); }
// The canvas's bytes R, G, B, A as one little-endian word.
uint32_t rgba(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | b << 16 | g << 8 | r; }
uint32_t rgbaFromXrgb(uint32_t p) { return rgba(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF); }

// convert: one pixel; convertInRow: the same, in a loop over a row;
// fromXrgb: a shrunk mean, which is an Out already where meanAsIs.
struct Same16 {
    static constexpr bool meanAsIs = false;
    using In = uint16_t;
    using Out = uint16_t;
    static Out convert(In p) { return p; }
    static Out convertInRow(In p) { return p; }
    static Out fromXrgb(uint32_t p) { return narrowXrgb(p); }
};
struct Wide16 {
    static constexpr bool meanAsIs = true;
    using In = uint16_t;
    using Out = uint32_t;
    static Out convert(In p) { return wide[p]; }
    // Without the table: whole rows of it vectorize.
    static Out convertInRow(In p) { return xrgbFrom565(p); }
    static Out fromXrgb(uint32_t p) { return p; }
};
struct Rgba16 {
    static constexpr bool meanAsIs = false;
    using In = uint16_t;
    using Out = uint32_t;
    static Out convert(In p) { return wideRgba[p]; }
    static Out convertInRow(In p) { return wideRgba[p]; }
    static Out fromXrgb(uint32_t p) { return rgbaFromXrgb(p); }
};
struct Same32 {
    static constexpr bool meanAsIs = true;
    using In = uint32_t;
    using Out = uint32_t;
    static Out convert(In p) { return p & 0xFFFFFF; }
    static Out convertInRow(In p) { return p & 0xFFFFFF; }
    static Out fromXrgb(uint32_t p) { return p; }
};
struct Narrow32 {
    static constexpr bool meanAsIs = false;
    using In = uint32_t;
    using Out = uint16_t;
    static Out convert(In p) { return narrowXrgb(p); }
    static Out convertInRow(In p) { return convert(p); }
    static Out fromXrgb(uint32_t p) { return narrowXrgb(p); }
};
struct Rgba32 {
    static constexpr bool meanAsIs = false;
    using In = uint32_t;
    using Out = uint32_t;
    static Out convert(In p) { return rgbaFromXrgb(p); }
    static Out convertInRow(In p) { return rgbaFromXrgb(p); }
    static Out fromXrgb(uint32_t p) { return rgbaFromXrgb(p); }
};

// The first destination position whose nearest source position is at or
// beyond `source`, for a side of `sourceSide` shown over `destSide`.
int destStart(int source, int sourceSide, int destSide)
{
    return static_cast<int>((static_cast<int64_t>(source) * destSide + sourceSide - 1) /
                            sourceSide);
}

int sourceOf(int dest, int sourceSide, int destSide)
{
    return static_cast<int>(static_cast<int64_t>(dest) * sourceSide / destSide);
}

// Shrunk: every destination pixel reached by source columns [x0, x1) of
// rows [y0, y1), made again from all the source pixels under it.
template <typename Pixels>
ShownRect copyAveraged(ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
                       const ShownRect& to, int x0, int x1, int y0, int y1)
{
    using Out = typename Pixels::Out;
    AreaMeans& means = copy.means;
    int dx0, dx1, dy0, dy1;
    areaSpan(means.columns, x0, x1, dx0, dx1);
    areaSpan(means.rows, y0, y1, dy0, dy1);
    if (dx1 <= dx0 || dy1 <= dy0)
        return ShownRect{to.x + dx0, to.y + dy0, 0, 0};
    startAreaMeans(means, source, dx0, dx1, dy0, dy1);
    const size_t width = static_cast<size_t>(dx1 - dx0);
    copy.meanRow.resize(width);
    for (int y = dy0; y < dy1; ++y) {
        Out* out = reinterpret_cast<Out*>(dest.pixels + (to.y + y) * dest.pitch) + to.x + dx0;
        if (Pixels::meanAsIs) {
            areaMeanRow(means, source, y, reinterpret_cast<uint32_t*>(out));
            continue;
        }
        uint32_t* mean = copy.meanRow.data();
        areaMeanRow(means, source, y, mean);
        for (size_t x = 0; x < width; ++x)
            out[x] = Pixels::fromXrgb(mean[x]);
    }
    return ShownRect{to.x + dx0, to.y + dy0, dx1 - dx0, dy1 - dy0};
}

// The world at the screen's own size: straight rows, no column map.
template <typename Pixels>
ShownRect copyUnscaled(const PixelImage& source, const ShownImage& dest, const ShownRect& to,
                       int x0, int x1, int y0, int y1)
{
    using In = typename Pixels::In;
    using Out = typename Pixels::Out;
    for (int y = y0; y < y1; ++y) {
        const In* in = reinterpret_cast<const In*>(source.pixels + y * source.pitch) + x0;
        Out* out = reinterpret_cast<Out*>(dest.pixels + (to.y + y) * dest.pitch) + to.x + x0;
        const int n = x1 - x0;
        for (int x = 0; x < n; ++x)
            out[x] = Pixels::convertInRow(in[x]);
    }
    return ShownRect{to.x + x0, to.y + y0, x1 - x0, y1 - y0};
}

// Copies source columns [x0, x1) of rows [y0, y1), scaled into `to`.
template <typename Pixels>
ShownRect copyBlock(ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
                    const ShownRect& to, int x0, int x1, int y0, int y1)
{
    using In = typename Pixels::In;
    using Out = typename Pixels::Out;
    if (to.w == source.w && to.h == source.h)
        return copyUnscaled<Pixels>(source, dest, to, x0, x1, y0, y1);
    if (to.w < source.w || to.h < source.h)
        return copyAveraged<Pixels>(copy, source, dest, to, x0, x1, y0, y1);
    const int dx0 = destStart(x0, source.w, to.w);
    const int dx1 = destStart(x1, source.w, to.w);
    const int dy0 = destStart(y0, source.h, to.h);
    const int dy1 = destStart(y1, source.h, to.h);
    uint8_t* destBase = dest.pixels + to.y * dest.pitch + to.x * static_cast<int>(sizeof(Out));
    const int* columns = copy.columnOf.data();
    int lastRow = -1;
    for (int y = dy0; y < dy1; ++y) {
        Out* out = reinterpret_cast<Out*>(destBase + y * dest.pitch);
        const int row = sourceOf(y, source.h, to.h);
        if (row == lastRow) {
            // Enlarged: this row repeats the one above.
            std::memcpy(out + dx0, reinterpret_cast<Out*>(destBase + (y - 1) * dest.pitch) + dx0,
                        (dx1 - dx0) * sizeof(Out));
            continue;
        }
        const In* in = reinterpret_cast<const In*>(source.pixels + row * source.pitch);
        for (int x = dx0; x < dx1; ++x)
            out[x] = Pixels::convert(in[columns[x]]);
        lastRow = row;
    }
    return ShownRect{to.x + dx0, to.y + dy0, dx1 - dx0, dy1 - dy0};
}

// Whether `bytes` bytes at `a` and `b` are the same. The C library's
// memcmp is the fastest natively; the page's engine has only a byte loop,
// so it compares eight bytes at a time.
bool sameBytes(const uint8_t* a, const uint8_t* b, size_t bytes)
{
#if defined(__wasm__)
    size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y)
            return false;
    }
    return std::memcmp(a + i, b + i, bytes - i) == 0;
#else
    return std::memcmp(a, b, bytes) == 0;
#endif
}

// Marks the tiles of the band of rows [y0, y1) that differ from the last
// frame. Whole rows are compared first: most rows of a frame are unchanged.
void findChangedTiles(ScaledCopy& copy, const PixelImage& source, int bytesPerPixel, int y0, int y1)
{
    const size_t rowLength = static_cast<size_t>(source.w) * bytesPerPixel;
    const size_t tileLength = static_cast<size_t>(tileSide) * bytesPerPixel;
    std::vector<bool>& dirty = copy.dirty;
    dirty.assign((source.w + tileSide - 1) / tileSide, false);
    for (int y = y0; y < y1; ++y) {
        const uint8_t* now = source.pixels + y * source.pitch;
        const uint8_t* before = copy.pixels.data() + y * copy.pitch;
        if (sameBytes(now, before, rowLength))
            continue;
        for (size_t t = 0; t < dirty.size(); ++t) {
            const size_t offset = t * tileLength;
            if (!dirty[t])
                dirty[t] = !sameBytes(now + offset, before + offset,
                                      std::min(tileLength, rowLength - offset));
        }
    }
}

void remember(ScaledCopy& copy, const PixelImage& source, int bytesPerPixel, int x0, int x1, int y0,
              int y1)
{
    for (int y = y0; y < y1; ++y)
        std::memcpy(copy.pixels.data() + y * copy.pitch + x0 * bytesPerPixel,
                    source.pixels + y * source.pitch + x0 * bytesPerPixel,
                    static_cast<size_t>(x1 - x0) * bytesPerPixel);
}

// Forgets the last frame when anything but the picture changed.
bool startFrame(ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
                const ShownRect& to)
{
    bool same = copy.width == source.w && copy.height == source.h && copy.format == source.format &&
                copy.dest == dest.pixels && copy.destFormat == dest.format && copy.to.x == to.x &&
                copy.to.y == to.y && copy.to.w == to.w && copy.to.h == to.h;
    if (same)
        return false;
    copy.width = source.w;
    copy.height = source.h;
    copy.format = source.format;
    copy.pitch = source.w * source.bytesPerPixel;
    copy.pixels.assign(static_cast<size_t>(copy.pitch) * source.h, 0);
    copy.dest = dest.pixels;
    copy.destFormat = dest.format;
    copy.to = to;
    copy.columnOf.resize(to.w);
    for (int x = 0; x < to.w; ++x)
        copy.columnOf[x] = sourceOf(x, source.w, to.w);
    buildAreaTaps(copy.means.columns, source.w, to.w);
    buildAreaTaps(copy.means.rows, source.h, to.h);
    return true;
}

template <typename Pixels>
void copyChanged(ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
                 const ShownRect& to, bool everything, std::vector<ShownRect>& changed)
{
    const int bytes = static_cast<int>(sizeof(typename Pixels::In));
    if (everything) {
        remember(copy, source, bytes, 0, source.w, 0, source.h);
        changed.push_back(copyBlock<Pixels>(copy, source, dest, to, 0, source.w, 0, source.h));
        return;
    }
    for (int y0 = 0; y0 < source.h; y0 += tileSide) {
        const int y1 = std::min(y0 + tileSide, source.h);
        findChangedTiles(copy, source, bytes, y0, y1);
        // Runs of changed tiles along the band go as one rectangle.
        const std::vector<bool>& dirty = copy.dirty;
        int runStart = -1;
        for (size_t t = 0; t <= dirty.size(); ++t) {
            const int x0 = static_cast<int>(t) * tileSide;
            const bool changedHere = t < dirty.size() && dirty[t];
            if (changedHere && runStart < 0)
                runStart = x0;
            if (!changedHere && runStart >= 0) {
                const int runEnd = std::min(x0, source.w);
                remember(copy, source, bytes, runStart, runEnd, y0, y1);
                ShownRect r = copyBlock<Pixels>(copy, source, dest, to, runStart, runEnd, y0, y1);
                if (r.w > 0 && r.h > 0)
                    changed.push_back(r);
                runStart = -1;
            }
        }
    }
}

// A table of `make` over every 5-6-5 value, made the first time it is needed.
template <typename Value, typename Make>
void makeTable(std::vector<Value>& table, Make make)
{
    if (!table.empty())
        return;
    table.resize(0x10000);
    for (uint32_t p = 0; p < 0x10000; ++p)
        table[p] = make(p);
}

}  // namespace

bool copyChangedScaled(ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
                       const ShownRect& to, bool everything, std::vector<ShownRect>& changed)
{
    const bool from16 = source.format == PixelFormat::rgb565;
    const bool from32 = source.format == PixelFormat::xrgb8888;
    if (!(from16 || from32) || !source.pixels || !dest.pixels || to.w <= 0 || to.h <= 0)
        return false;
    makeTable(wide, [](uint32_t p) { return xrgbFrom565(p); });
    if (dest.format == ShownFormat::rgba8888)
        makeTable(wideRgba, [](uint32_t p) { return rgbaFromXrgb(wide[p]); });
    everything = startFrame(copy, source, dest, to) || everything;
    switch (dest.format) {
    case ShownFormat::rgb565:
        if (from16)
            copyChanged<Same16>(copy, source, dest, to, everything, changed);
        else
            copyChanged<Narrow32>(copy, source, dest, to, everything, changed);
        break;
    case ShownFormat::xrgb8888:
        if (from16)
            copyChanged<Wide16>(copy, source, dest, to, everything, changed);
        else
            copyChanged<Same32>(copy, source, dest, to, everything, changed);
        break;
    case ShownFormat::rgba8888:
        if (from16)
            copyChanged<Rgba16>(copy, source, dest, to, everything, changed);
        else
            copyChanged<Rgba32>(copy, source, dest, to, everything, changed);
        break;
    }
    return true;
}
