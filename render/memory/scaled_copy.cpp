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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int tileSide = 32;

using Taps = ScaledCopy::Taps;
std::vector<uint32_t> wide;      // 5-6-5 to XRGB8888, filled once
std::vector<uint32_t> wideRgba;  // and to the canvas's RGBA, once a canvas needs it

// The source pixels under each destination pixel along one side, and how
// much of each the destination pixel covers, in 64ths of the destination
// pixel (every destination pixel's weights add up to 64).
constexpr uint32_t wholeWeight = 64;

// Shrunk, a pixel's channels are weighed in 16-bit lanes of a 64-bit word,
// in the order of XRGB8888's bytes (blue, green, red, 0): one multiply weighs
// all three, and a channel weighed along a row is at most 64 * 255, so the
// lanes never carry into each other.
uint64_t spreadXrgb(uint32_t p)
{
    return (static_cast<uint64_t>(p & 0xFF0000) << 16) | (static_cast<uint64_t>(p & 0xFF00) << 8) |
           (p & 0xFF);
}
// A 16-bit pixel is averaged in the channels every picture shows it with, so
// a window pixel over one colour has that colour exactly.
void spreadPixels(const uint16_t* in, int count, uint64_t* out)
{
    int i = 0;
#if defined(__SSE2__)
    // Eight at a time: each field widened by repeating its top bits, as
    // xrgbFrom565 does, then the lanes of two pixels to a register.
    const __m128i five = _mm_set1_epi16(0x1F);
    const __m128i six = _mm_set1_epi16(0x3F);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= count; i += 8) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i b = _mm_and_si128(p, five);
        const __m128i g = _mm_and_si128(_mm_srli_epi16(p, 5), six);
        const __m128i r = _mm_srli_epi16(p, 11);
        const __m128i b8 = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
        const __m128i g8 = _mm_or_si128(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4));
        const __m128i r8 = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
        const __m128i bgLow = _mm_unpacklo_epi16(b8, g8);
        const __m128i bgHigh = _mm_unpackhi_epi16(b8, g8);
        const __m128i rLow = _mm_unpacklo_epi16(r8, zero);
        const __m128i rHigh = _mm_unpackhi_epi16(r8, zero);
        __m128i* to = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(to, _mm_unpacklo_epi32(bgLow, rLow));
        _mm_storeu_si128(to + 1, _mm_unpackhi_epi32(bgLow, rLow));
        _mm_storeu_si128(to + 2, _mm_unpacklo_epi32(bgHigh, rHigh));
        _mm_storeu_si128(to + 3, _mm_unpackhi_epi32(bgHigh, rHigh));
    }
#endif
    for (; i < count; ++i)
        out[i] = spreadXrgb(wide[in[i]]);
}

void spreadPixels(const uint32_t* in, int count, uint64_t* out)
{
    int i = 0;
#if defined(__SSE2__)
    // Two at a time: each byte to a 16-bit lane, the unused top one cleared.
    const __m128i channels = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 2 <= count; i += 2) {
        const __m128i p = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_and_si128(_mm_unpacklo_epi8(p, zero), channels));
    }
#endif
    for (; i < count; ++i)
        out[i] = spreadXrgb(in[i]);
}

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

constexpr uint64_t everyLane = 0x0001000100010001;

// Every destination pixel's weights over as many source pixels as the widest
// covers, so that weighing a row runs one loop of a fixed length. Near the
// far edge the span starts earlier, with zeros in front.
void spanTaps(Taps& taps)
{
    taps.span = 0;
    for (int d = 0; d < taps.destSide; ++d)
        taps.span = std::max(taps.span, taps.offset[d + 1] - taps.offset[d]);
    taps.start.assign(taps.destSide, 0);
    taps.spanWeight.assign(static_cast<size_t>(taps.destSide) * taps.span, 0);
    for (int d = 0; d < taps.destSide; ++d) {
        const int count = taps.offset[d + 1] - taps.offset[d];
        const int start = std::min(taps.first[d], taps.sourceSide - taps.span);
        taps.start[d] = start;
        for (int i = 0; i < count; ++i)
            taps.spanWeight[static_cast<size_t>(d) * taps.span + taps.first[d] - start + i] =
                taps.weight[taps.offset[d] + i] * everyLane;
    }
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
    spanTaps(taps);
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

// One source row weighed along the destination's columns [dx0, dx1), into
// `out` (from dx0): each destination pixel's channels in 16-bit lanes, times
// 64. `spread` holds the row's pixels spread, by source column.
template <int span>
void weighRowSpan(const Taps& taps, const uint64_t* spread, int dx0, int dx1, uint64_t* out)
{
    const int* start = taps.start.data();
    const uint64_t* weight = taps.spanWeight.data();
    int x = dx0;
#if defined(__SSE2__)
    // Two destination pixels at a time, two taps to a 16-bit multiply.
    const auto weighed = [&](int d) {
        const uint64_t* in = spread + start[d];
        const uint64_t* w = weight + static_cast<size_t>(d) * span;
        __m128i sum = _mm_setzero_si128();
        for (int i = 0; i + 1 < span; i += 2)
            sum = _mm_add_epi16(
                sum, _mm_mullo_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i))));
        if (span % 2 != 0)
            sum = _mm_add_epi16(
                sum,
                _mm_mullo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + span - 1)),
                                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(w + span - 1))));
        return sum;  // the pixel's sums: its low half plus its high half
    };
    for (; x + 2 <= dx1; x += 2) {
        const __m128i a = weighed(x);
        const __m128i b = weighed(x + 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (x - dx0)),
                         _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b)));
    }
#endif
    for (; x < dx1; ++x) {
        const uint64_t* in = spread + start[x];
        const uint64_t* w = weight + static_cast<size_t>(x) * span;
        uint64_t sum = 0;
        for (int i = 0; i < span; ++i)
            sum += (w[i] & 0xFFFF) * in[i];
        out[x - dx0] = sum;
    }
}

void weighRow(const Taps& taps, const uint64_t* spread, int dx0, int dx1, uint64_t* out)
{
    switch (taps.span) {
    case 1:
        return weighRowSpan<1>(taps, spread, dx0, dx1, out);
    case 2:
        return weighRowSpan<2>(taps, spread, dx0, dx1, out);
    case 3:
        return weighRowSpan<3>(taps, spread, dx0, dx1, out);
    case 4:
        return weighRowSpan<4>(taps, spread, dx0, dx1, out);
    default:
        break;
    }
    const int span = taps.span;
    for (int x = dx0; x < dx1; ++x) {
        const uint64_t* in = spread + taps.start[x];
        const uint64_t* w = taps.spanWeight.data() + static_cast<size_t>(x) * span;
        uint64_t sum = 0;
        for (int i = 0; i < span; ++i)
            sum += (w[i] & 0xFFFF) * in[i];
        out[x - dx0] = sum;
    }
}

// Source row `row` weighed along the columns [dx0, dx1): kept in one of the
// slots of the last few rows, as the destination rows below need it again.
template <typename Pixels>
const uint16_t* weighedRow(ScaledCopy& copy, const PixelImage& source, int row, int dx0, int dx1)
{
    using In = typename Pixels::In;
    const int slots = static_cast<int>(copy.weighedRowOf.size());
    const int slot = row % slots;
    const size_t width = static_cast<size_t>(dx1 - dx0);
    uint64_t* out = copy.weighedRows.data() + slot * width;
    if (copy.weighedRowOf[slot] != row) {
        const Taps& taps = copy.columnTaps;
        const int sx0 = taps.start[dx0];
        const int sx1 = taps.start[dx1 - 1] + taps.span;
        const In* in = reinterpret_cast<const In*>(source.pixels + row * source.pitch);
        uint64_t* spread = copy.spreadRow.data();
        spreadPixels(in + sx0, sx1 - sx0, spread + sx0);
        weighRow(taps, spread, dx0, dx1, out);
        copy.weighedRowOf[slot] = row;
    }
    return reinterpret_cast<const uint16_t*>(out);
}

// Rows weighed along the columns, summed down them with their weights and
// rounded to the mean: `lanes` channels, four to a pixel, as XRGB8888's
// bytes. `row` has room for one more row than `rows`.
constexpr uint32_t halfOfWhole = (wholeWeight * wholeWeight) / 2;
constexpr int wholeShift = 12;
static_assert(wholeWeight * wholeWeight == 1u << wholeShift, "weights of 64ths");

#if defined(__SSE2__)
// Rows go in pairs: the lanes of two rows interleaved meet their two weights
// in one multiply-add of 16-bit lanes into 32-bit sums (a lane is at most
// 64 * 255 and a weight 64, both within a signed 16-bit lane).
constexpr int mostPairs = 2;

template <int pairs>
size_t meanOfPairs(const uint16_t* const* rows, const __m128i* weight, size_t lanes, uint8_t* mean)
{
    // Locals: the stores to `mean` cannot change them, so they stay in registers.
    const uint16_t* row[2 * pairs];
    for (int j = 0; j < 2 * pairs; ++j)
        row[j] = rows[j];
    const __m128i half = _mm_set1_epi32(halfOfWhole);
    // Eight lanes' means as 16-bit words.
    const auto eight = [&](size_t i) {
        __m128i low = half, high = half;
        for (int p = 0; p < pairs; ++p) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row[2 * p] + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row[2 * p + 1] + i));
            low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), weight[p]));
            high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), weight[p]));
        }
        return _mm_packs_epi32(_mm_srli_epi32(low, wholeShift), _mm_srli_epi32(high, wholeShift));
    };
    size_t i = 0;
    for (; i + 16 <= lanes; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mean + i),
                         _mm_packus_epi16(eight(i), eight(i + 8)));
    for (; i + 8 <= lanes; i += 8) {
        const __m128i words = eight(i);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(mean + i), _mm_packus_epi16(words, words));
    }
    return i;
}

// The lanes done at once; the rest are left to the plain loop.
size_t meanOfRowsAtOnce(const uint16_t** row, const uint32_t* weight, int rows, size_t lanes,
                        uint8_t* mean)
{
    const int pairs = (rows + 1) / 2;
    if (pairs > mostPairs)
        return 0;
    row[rows] = row[rows - 1];
    __m128i pairWeight[mostPairs];
    for (int p = 0; p < pairs; ++p) {
        const uint32_t second = 2 * p + 1 < rows ? weight[2 * p + 1] : 0;
        pairWeight[p] = _mm_set1_epi32(static_cast<int>(second << 16 | weight[2 * p]));
    }
    return pairs == 1 ? meanOfPairs<1>(row, pairWeight, lanes, mean)
                      : meanOfPairs<2>(row, pairWeight, lanes, mean);
}
#else
size_t meanOfRowsAtOnce(const uint16_t**, const uint32_t*, int, size_t, uint8_t*) { return 0; }
#endif

void meanOfRows(const uint16_t** row, const uint32_t* weight, int rows, size_t lanes, uint8_t* mean)
{
    for (size_t i = meanOfRowsAtOnce(row, weight, rows, lanes, mean); i < lanes; ++i) {
        uint32_t sum = halfOfWhole;
        for (int j = 0; j < rows; ++j)
            sum += weight[j] * row[j][i];
        mean[i] = static_cast<uint8_t>(sum >> wholeShift);
    }
}

// Shrunk: every destination pixel reached by source columns [x0, x1) of
// rows [y0, y1), made again from all the source pixels under it. Weighing
// along each source row first, then down the columns, gives the very sums
// of weighing every pixel under a destination pixel at once, but reads each
// source pixel once or twice instead of once for every destination pixel
// over it.
template <typename Pixels>
ShownRect copyAveraged(ScaledCopy& copy, const PixelImage& source, const ShownImage& dest,
                       const ShownRect& to, int x0, int x1, int y0, int y1)
{
    using Out = typename Pixels::Out;
    const Taps& rowTaps = copy.rowTaps;
    int dx0, dx1, dy0, dy1;
    destSpan(copy.columnTaps, x0, x1, dx0, dx1);
    destSpan(rowTaps, y0, y1, dy0, dy1);
    if (dx1 <= dx0 || dy1 <= dy0)
        return ShownRect{to.x + dx0, to.y + dy0, 0, 0};
    const size_t width = static_cast<size_t>(dx1 - dx0);
    int slots = 1;
    for (int y = dy0; y < dy1; ++y)
        slots = std::max(slots, rowTaps.offset[y + 1] - rowTaps.offset[y]);
    copy.spreadRow.resize(source.w);
    copy.weighedRows.resize(slots * width);
    copy.weighedRowOf.assign(slots, -1);
    copy.shownRow.resize(width);
    copy.rowsOfMean.resize(slots + 1);
    const uint16_t** rows = copy.rowsOfMean.data();
    for (int y = dy0; y < dy1; ++y) {
        const int row0 = rowTaps.first[y];
        const int count = rowTaps.offset[y + 1] - rowTaps.offset[y];
        for (int j = 0; j < count; ++j)
            rows[j] = weighedRow<Pixels>(copy, source, row0 + j, dx0, dx1);
        Out* out = reinterpret_cast<Out*>(dest.pixels + (to.y + y) * dest.pitch) + to.x + dx0;
        const uint32_t* weight = rowTaps.weight.data() + rowTaps.offset[y];
        if (Pixels::meanAsIs) {
            meanOfRows(rows, weight, count, width * 4, reinterpret_cast<uint8_t*>(out));
            continue;
        }
        uint32_t* mean = copy.shownRow.data();
        meanOfRows(rows, weight, count, width * 4, reinterpret_cast<uint8_t*>(mean));
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
