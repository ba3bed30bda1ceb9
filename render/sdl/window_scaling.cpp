// Scaling the whole picture into the window every frame is most of what the
// saver costs: megabytes written by us and read again by the X server, while
// the world moves a few dozen sprites over black. So the picture is cut into
// tiles, and only tiles that differ from the last frame shown are converted,
// scaled and sent. Enlarged, a pixel is repeated; shrunk, each window pixel
// is the average of the world's pixels under it, weighed by how much of each
// it covers, so that thin strokes (the cloud's letters) fade instead of
// vanishing.
#include "render/sdl/window_scaling.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "render/memory/memory_surface.h"

namespace {

constexpr int tileSide = 32;

struct Frame {
    std::vector<uint8_t> pixels;  // the source as last copied, row after row
    int width = 0;
    int height = 0;
    int pitch = 0;
    uint32_t format = 0;
    const SDL_Surface* dest = nullptr;
    SDL_Rect to = {0, 0, 0, 0};
};

Frame shown;
std::vector<int> columnOf;   // source column of each destination column
std::vector<uint32_t> wide;  // 5-6-5 to XRGB8888, filled once

// The source pixels under each destination pixel along one side, and how
// much of each the destination pixel covers, in 64ths of the destination
// pixel (every destination pixel's weights add up to 64: small enough that
// three channels weighed twice fit one 64-bit sum, 21 bits each).
constexpr uint32_t wholeWeight = 64;
struct Taps {
    std::vector<int> first;   // first source pixel of each destination pixel
    std::vector<int> offset;  // where its weights start in `weight`
    std::vector<uint32_t> weight;
    int sourceSide = 0;
    int destSide = 0;
};
Taps columnTaps, rowTaps;

// The channels of a pixel spread over a 64-bit word, 21 bits apart, so one
// multiply weighs all three.
uint64_t spreadXrgb(uint32_t p)
{
    return (static_cast<uint64_t>(p & 0xFF0000) << 26) | (static_cast<uint64_t>(p & 0xFF00) << 13) |
           (p & 0xFF);
}
// A 16-bit pixel is averaged in the channels every picture shows it with, so
// a window pixel over one colour has that colour exactly.
uint64_t spread565(uint32_t p) { return spreadXrgb(xrgbFrom565(p)); }

struct Same16 {
    using In = uint16_t;
    static uint64_t spread(In p) { return spread565(p); }
    static constexpr uint32_t red = 255, green = 255, blue = 255;
    using Out = uint16_t;
    static Out convert(In p) { return p; }
    static Out convertInRow(In p) { return p; }
};
struct Wide16 {
    using In = uint16_t;
    static uint64_t spread(In p) { return spread565(p); }
    static constexpr uint32_t red = 255, green = 255, blue = 255;
    using Out = uint32_t;
    static Out convert(In p) { return wide[p]; }
    // Without the table: whole rows of it vectorize.
    static Out convertInRow(In p) { return xrgbFrom565(p); }
};
struct Same32 {
    using In = uint32_t;
    static uint64_t spread(In p) { return spreadXrgb(p); }
    static constexpr uint32_t red = 255, green = 255, blue = 255;
    using Out = uint32_t;
    static Out convert(In p) { return p & 0xFFFFFF; }
    static Out convertInRow(In p) { return p & 0xFFFFFF; }
};
struct Narrow32 {
    using In = uint32_t;
    static uint64_t spread(In p) { return spreadXrgb(p); }
    static constexpr uint32_t red = 255, green = 255, blue = 255;
    using Out = uint16_t;
    static Out convert(In p)
    {
        return static_cast<uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) |
                                     ((p >> 3) & 0x001F));
    }
    static Out convertInRow(In p) { return convert(p); }
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

template <typename Out>
Out packRgb(uint32_t r, uint32_t g, uint32_t b);
template <>
uint16_t packRgb<uint16_t>(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
}
template <>
uint32_t packRgb<uint32_t>(uint32_t r, uint32_t g, uint32_t b)
{
    return r << 16 | g << 8 | b;
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
SDL_Rect copyAveraged(const SDL_Surface* source, SDL_Surface* dest, const SDL_Rect& to, int x0,
                      int x1, int y0, int y1)
{
    using In = typename Pixels::In;
    using Out = typename Pixels::Out;
    int dx0, dx1, dy0, dy1;
    destSpan(columnTaps, x0, x1, dx0, dx1);
    destSpan(rowTaps, y0, y1, dy0, dy1);
    const uint8_t* sourceBase = static_cast<const uint8_t*>(source->pixels);
    constexpr double whole = wholeWeight * wholeWeight;
    constexpr double toRed = 255.0 / (Pixels::red * whole);
    constexpr double toGreen = 255.0 / (Pixels::green * whole);
    constexpr double toBlue = 255.0 / (Pixels::blue * whole);
    constexpr uint64_t field = (1u << 21) - 1;
    for (int y = dy0; y < dy1; ++y) {
        Out* out =
            reinterpret_cast<Out*>(static_cast<uint8_t*>(dest->pixels) + (to.y + y) * dest->pitch) +
            to.x;
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
                    reinterpret_cast<const In*>(sourceBase + (row0 + j) * source->pitch) + column0;
                uint64_t row = 0;
                for (int i = 0; i < columns; ++i)
                    row += columnWeight[i] * Pixels::spread(in[i]);
                sum += rowWeight[j] * row;
            }
            out[x] = packRgb<Out>(static_cast<uint32_t>((sum >> 42 & field) * toRed + 0.5),
                                  static_cast<uint32_t>((sum >> 21 & field) * toGreen + 0.5),
                                  static_cast<uint32_t>((sum & field) * toBlue + 0.5));
        }
    }
    return SDL_Rect{to.x + dx0, to.y + dy0, dx1 - dx0, dy1 - dy0};
}

// The world at the window's own size: straight rows, no column map.
template <typename Pixels>
SDL_Rect copyUnscaled(const SDL_Surface* source, SDL_Surface* dest, const SDL_Rect& to, int x0,
                      int x1, int y0, int y1)
{
    using In = typename Pixels::In;
    using Out = typename Pixels::Out;
    for (int y = y0; y < y1; ++y) {
        const In* in = reinterpret_cast<const In*>(static_cast<const uint8_t*>(source->pixels) +
                                                   y * source->pitch) +
                       x0;
        Out* out =
            reinterpret_cast<Out*>(static_cast<uint8_t*>(dest->pixels) + (to.y + y) * dest->pitch) +
            to.x + x0;
        const int n = x1 - x0;
        for (int x = 0; x < n; ++x)
            out[x] = Pixels::convertInRow(in[x]);
    }
    return SDL_Rect{to.x + x0, to.y + y0, x1 - x0, y1 - y0};
}

// Copies source columns [x0, x1) of rows [y0, y1), scaled into `to`.
template <typename Pixels>
SDL_Rect copyBlock(const SDL_Surface* source, SDL_Surface* dest, const SDL_Rect& to, int x0, int x1,
                   int y0, int y1)
{
    using In = typename Pixels::In;
    using Out = typename Pixels::Out;
    if (to.w == source->w && to.h == source->h)
        return copyUnscaled<Pixels>(source, dest, to, x0, x1, y0, y1);
    if (to.w < source->w || to.h < source->h)
        return copyAveraged<Pixels>(source, dest, to, x0, x1, y0, y1);
    const int dx0 = destStart(x0, source->w, to.w);
    const int dx1 = destStart(x1, source->w, to.w);
    const int dy0 = destStart(y0, source->h, to.h);
    const int dy1 = destStart(y1, source->h, to.h);
    const uint8_t* sourceBase = static_cast<const uint8_t*>(source->pixels);
    uint8_t* destBase = static_cast<uint8_t*>(dest->pixels) + to.y * dest->pitch +
                        to.x * static_cast<int>(sizeof(Out));
    const int* columns = columnOf.data();
    int lastRow = -1;
    for (int y = dy0; y < dy1; ++y) {
        Out* out = reinterpret_cast<Out*>(destBase + y * dest->pitch);
        const int row = sourceOf(y, source->h, to.h);
        if (row == lastRow) {
            // Enlarged: this row repeats the one above.
            std::memcpy(out + dx0, reinterpret_cast<Out*>(destBase + (y - 1) * dest->pitch) + dx0,
                        (dx1 - dx0) * sizeof(Out));
            continue;
        }
        const In* in = reinterpret_cast<const In*>(sourceBase + row * source->pitch);
        for (int x = dx0; x < dx1; ++x)
            out[x] = Pixels::convert(in[columns[x]]);
        lastRow = row;
    }
    return SDL_Rect{to.x + dx0, to.y + dy0, dx1 - dx0, dy1 - dy0};
}

// Marks the tiles of the band of rows [y0, y1) that differ from the last
// frame. Whole rows are compared first: most rows of a frame are unchanged.
void findChangedTiles(const SDL_Surface* source, int bytesPerPixel, int y0, int y1,
                      std::vector<bool>& dirty)
{
    const size_t rowLength = static_cast<size_t>(source->w) * bytesPerPixel;
    const size_t tileLength = static_cast<size_t>(tileSide) * bytesPerPixel;
    dirty.assign((source->w + tileSide - 1) / tileSide, false);
    for (int y = y0; y < y1; ++y) {
        const uint8_t* now = static_cast<const uint8_t*>(source->pixels) + y * source->pitch;
        const uint8_t* before = shown.pixels.data() + y * shown.pitch;
        if (std::memcmp(now, before, rowLength) == 0)
            continue;
        for (size_t t = 0; t < dirty.size(); ++t) {
            const size_t offset = t * tileLength;
            if (!dirty[t])
                dirty[t] = std::memcmp(now + offset, before + offset,
                                       std::min(tileLength, rowLength - offset)) != 0;
        }
    }
}

void remember(const SDL_Surface* source, int bytesPerPixel, int x0, int x1, int y0, int y1)
{
    for (int y = y0; y < y1; ++y) {
        const uint8_t* now = static_cast<const uint8_t*>(source->pixels) + y * source->pitch;
        std::memcpy(shown.pixels.data() + y * shown.pitch + x0 * bytesPerPixel,
                    now + x0 * bytesPerPixel, static_cast<size_t>(x1 - x0) * bytesPerPixel);
    }
}

// Forgets the last frame when anything but the picture changed.
bool startFrame(const SDL_Surface* source, const SDL_Surface* dest, const SDL_Rect& to)
{
    bool same = shown.width == source->w && shown.height == source->h &&
                shown.format == source->format->format && shown.dest == dest &&
                shown.to.x == to.x && shown.to.y == to.y && shown.to.w == to.w &&
                shown.to.h == to.h;
    if (same)
        return false;
    shown.width = source->w;
    shown.height = source->h;
    shown.format = source->format->format;
    shown.pitch = source->w * source->format->BytesPerPixel;
    shown.pixels.assign(static_cast<size_t>(shown.pitch) * source->h, 0);
    shown.dest = dest;
    shown.to = to;
    columnOf.resize(to.w);
    for (int x = 0; x < to.w; ++x)
        columnOf[x] = sourceOf(x, source->w, to.w);
    buildTaps(columnTaps, source->w, to.w);
    buildTaps(rowTaps, source->h, to.h);
    return true;
}

template <typename Pixels>
void copyChanged(const SDL_Surface* source, SDL_Surface* dest, const SDL_Rect& to, bool everything,
                 std::vector<SDL_Rect>& changed)
{
    const int bytes = static_cast<int>(sizeof(typename Pixels::In));
    if (everything) {
        remember(source, bytes, 0, source->w, 0, source->h);
        changed.push_back(copyBlock<Pixels>(source, dest, to, 0, source->w, 0, source->h));
        return;
    }
    static std::vector<bool> dirty;
    for (int y0 = 0; y0 < source->h; y0 += tileSide) {
        const int y1 = std::min(y0 + tileSide, source->h);
        findChangedTiles(source, bytes, y0, y1, dirty);
        // Runs of changed tiles along the band go as one rectangle.
        int runStart = -1;
        for (size_t t = 0; t <= dirty.size(); ++t) {
            const int x0 = static_cast<int>(t) * tileSide;
            const bool changedHere = t < dirty.size() && dirty[t];
            if (changedHere && runStart < 0)
                runStart = x0;
            if (!changedHere && runStart >= 0) {
                const int runEnd = std::min(x0, source->w);
                remember(source, bytes, runStart, runEnd, y0, y1);
                SDL_Rect r = copyBlock<Pixels>(source, dest, to, runStart, runEnd, y0, y1);
                if (r.w > 0 && r.h > 0)
                    changed.push_back(r);
                runStart = -1;
            }
        }
    }
}

}  // namespace

bool copyChangedScaled(const SDL_Surface* source, SDL_Surface* dest, const SDL_Rect& to,
                       bool everything, std::vector<SDL_Rect>& changed)
{
    const uint32_t from = source->format->format;
    const uint32_t into = dest->format->format;
    const bool from16 = from == SDL_PIXELFORMAT_RGB565;
    const bool from32 = from == SDL_PIXELFORMAT_RGB888;
    const bool into16 = into == SDL_PIXELFORMAT_RGB565;
    const bool into32 = into == SDL_PIXELFORMAT_RGB888;
    if (!(from16 || from32) || !(into16 || into32) || to.w <= 0 || to.h <= 0)
        return false;
    if (SDL_MUSTLOCK(dest) && SDL_LockSurface(dest) != 0)
        return false;
    if (wide.empty()) {
        wide.resize(0x10000);
        for (uint32_t p = 0; p < 0x10000; ++p)
            wide[p] = xrgbFrom565(p);
    }
    everything = startFrame(source, dest, to) || everything;
    if (from16 && into16)
        copyChanged<Same16>(source, dest, to, everything, changed);
    else if (from16)
        copyChanged<Wide16>(source, dest, to, everything, changed);
    else if (into32)
        copyChanged<Same32>(source, dest, to, everything, changed);
    else
        copyChanged<Narrow32>(source, dest, to, everything, changed);
    if (SDL_MUSTLOCK(dest))
        SDL_UnlockSurface(dest);
    return true;
}
