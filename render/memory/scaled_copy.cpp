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

using Taps = ScaledCopy::Taps;
std::vector<uint32_t> wide;      // 5-6-5 to XRGB8888, filled once
std::vector<uint32_t> wideRgba;  // and to the canvas's RGBA, once a canvas needs it

// The source pixels under each destination pixel along one side, and how
// much of each the destination pixel covers, in 64ths of the destination
// pixel (every destination pixel's weights add up to 64: small enough that
// three channels weighed twice fit one 64-bit sum, 21 bits each).
constexpr uint32_t wholeWeight = 64;

// The channels of a pixel spread over a 64-bit word, 21 bits apart, so one
// multiply weighs all three.
uint64_t spreadXrgb(uint32_t p)
{
    return (static_cast<uint64_t>(p & 0xFF0000) << 26) | (static_cast<uint64_t>(p & 0xFF00) << 13) |
           (p & 0xFF);
}
// A 16-bit pixel is averaged in the channels every picture shows it with, so
// a window pixel over one colour has that colour exactly.
// Spread from a table, made when a picture is first shrunk: shrinking reads
// every pixel under every screen pixel.
std::vector<uint64_t> spreadFrom565;
uint64_t spread565(uint32_t p) { return spreadFrom565[p]; }

// The pixels of one pair of formats: In (the world's) to Out (the screen's).
uint16_t narrow(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
}
uint32_t xrgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }
// The canvas's bytes R, G, B, A as one little-endian word.
uint32_t rgba(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | b << 16 | g << 8 | r; }
uint32_t rgbaFromXrgb(uint32_t p) { return rgba(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF); }

struct Same16 {
    using In = uint16_t;
    using Out = uint16_t;
    static uint64_t spread(In p) { return spread565(p); }
    static Out convert(In p) { return p; }
    static Out convertInRow(In p) { return p; }
    static Out pack(uint32_t r, uint32_t g, uint32_t b) { return narrow(r, g, b); }
};
struct Wide16 {
    using In = uint16_t;
    using Out = uint32_t;
    static uint64_t spread(In p) { return spread565(p); }
    static Out convert(In p) { return wide[p]; }
    // Without the table: whole rows of it vectorize.
    static Out convertInRow(In p) { return xrgbFrom565(p); }
    static Out pack(uint32_t r, uint32_t g, uint32_t b) { return xrgb(r, g, b); }
};
struct Rgba16 {
    using In = uint16_t;
    using Out = uint32_t;
    static uint64_t spread(In p) { return spread565(p); }
    static Out convert(In p) { return wideRgba[p]; }
    static Out convertInRow(In p) { return wideRgba[p]; }
    static Out pack(uint32_t r, uint32_t g, uint32_t b) { return rgba(r, g, b); }
};
struct Same32 {
    using In = uint32_t;
    using Out = uint32_t;
    static uint64_t spread(In p) { return spreadXrgb(p); }
    static Out convert(In p) { return p & 0xFFFFFF; }
    static Out convertInRow(In p) { return p & 0xFFFFFF; }
    static Out pack(uint32_t r, uint32_t g, uint32_t b) { return xrgb(r, g, b); }
};
struct Narrow32 {
    using In = uint32_t;
    using Out = uint16_t;
    static uint64_t spread(In p) { return spreadXrgb(p); }
    static Out convert(In p) { return narrow(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF); }
    static Out convertInRow(In p) { return convert(p); }
    static Out pack(uint32_t r, uint32_t g, uint32_t b) { return narrow(r, g, b); }
};
struct Rgba32 {
    using In = uint32_t;
    using Out = uint32_t;
    static uint64_t spread(In p) { return spreadXrgb(p); }
    static Out convert(In p) { return rgbaFromXrgb(p); }
    static Out convertInRow(In p) { return rgbaFromXrgb(p); }
    static Out pack(uint32_t r, uint32_t g, uint32_t b) { return rgba(r, g, b); }
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

void buildTaps(Taps& taps, int sourceSide, int destSide)
{
    if (taps.sourceSide == sourceSide && taps.destSide == destSide)
        return;
    taps.sourceSide = sourceSide;
    taps.destSide = destSide;
    taps.first.assign(destSide + 1, 0);
    taps.offset.assign(destSide + 1, 0);
    taps.weight.clear();
    for (int d = 0; d < destSide; ++d) {
        // Destination pixel d spans [d * sourceSide, (d + 1) * sourceSide),
        // source pixel s spans [s * destSide, (s + 1) * destSide).
        const int64_t from = static_cast<int64_t>(d) * sourceSide;
        const int64_t to = from + sourceSide;
        taps.first[d] = static_cast<int>(from / destSide);
        taps.offset[d] = static_cast<int>(taps.weight.size());
        uint32_t sum = 0;
        size_t largest = taps.weight.size();
        for (int64_t s = taps.first[d]; s * destSide < to && s < sourceSide; ++s) {
            const int64_t lo = std::max(from, s * destSide);
            const int64_t hi = std::min(to, (s + 1) * destSide);
            const uint32_t share =
                static_cast<uint32_t>(((hi - lo) * wholeWeight + sourceSide / 2) / sourceSide);
            taps.weight.push_back(share);
            if (share > taps.weight[largest])
                largest = taps.weight.size() - 1;
            sum += share;
        }
        // Rounding must not brighten or darken: the largest share takes up
        // the difference.
        taps.weight[largest] += wholeWeight - sum;
    }
    taps.offset[destSide] = static_cast<int>(taps.weight.size());
}

// The destination pixels [first, last) of one side that the source pixels
// [from, to) reach.
void destSpan(const Taps& taps, int from, int to, int& first, int& last)
{
    first = static_cast<int>(static_cast<int64_t>(from) * taps.destSide / taps.sourceSide);
    last = static_cast<int>((static_cast<int64_t>(to) * taps.destSide + taps.sourceSide - 1) /
                            taps.sourceSide);
    last = std::min(last, taps.destSide);
}

// Shrunk: every destination pixel reached by source columns [x0, x1) of
// rows [y0, y1), made again from all the source pixels under it.
template <typename Pixels>
ShownRect copyAveraged(const ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
                       const ShownRect& to, int x0, int x1, int y0, int y1)
{
    using In = typename Pixels::In;
    using Out = typename Pixels::Out;
    const Taps& columnTaps = copy.columnTaps;
    const Taps& rowTaps = copy.rowTaps;
    int dx0, dx1, dy0, dy1;
    destSpan(columnTaps, x0, x1, dx0, dx1);
    destSpan(rowTaps, y0, y1, dy0, dy1);
    // Each channel's sum is its mean times 64 * 64: rounded back to the mean.
    constexpr uint64_t field = (1u << 21) - 1;
    constexpr int wholeShift = 12;
    constexpr uint64_t half = (wholeWeight * wholeWeight) / 2;
    static_assert(wholeWeight * wholeWeight == 1u << wholeShift, "weights of 64ths");
    for (int y = dy0; y < dy1; ++y) {
        Out* out = reinterpret_cast<Out*>(dest.pixels + (to.y + y) * dest.pitch) + to.x;
        const int row0 = rowTaps.first[y];
        const int rows = rowTaps.offset[y + 1] - rowTaps.offset[y];
        const uint32_t* rowWeight = rowTaps.weight.data() + rowTaps.offset[y];
        for (int x = dx0; x < dx1; ++x) {
            const int column0 = columnTaps.first[x];
            const int columns = columnTaps.offset[x + 1] - columnTaps.offset[x];
            const uint32_t* columnWeight = columnTaps.weight.data() + columnTaps.offset[x];
            uint64_t sum = 0;
            for (int j = 0; j < rows; ++j) {
                const In* in =
                    reinterpret_cast<const In*>(source.pixels + (row0 + j) * source.pitch) +
                    column0;
                uint64_t row = 0;
                for (int i = 0; i < columns; ++i)
                    row += columnWeight[i] * Pixels::spread(in[i]);
                sum += rowWeight[j] * row;
            }
            out[x] = Pixels::pack(static_cast<uint32_t>(((sum >> 42 & field) + half) >> wholeShift),
                                  static_cast<uint32_t>(((sum >> 21 & field) + half) >> wholeShift),
                                  static_cast<uint32_t>(((sum & field) + half) >> wholeShift));
        }
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
ShownRect copyBlock(const ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
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
    buildTaps(copy.columnTaps, source.w, to.w);
    buildTaps(copy.rowTaps, source.h, to.h);
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
    if (to.w < source.w || to.h < source.h)
        makeTable(spreadFrom565, [](uint32_t p) { return spreadXrgb(wide[p]); });
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
