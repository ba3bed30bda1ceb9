// Shrinking by area. Weighing along each source row first, then down the
// destination's columns, gives the very sums of weighing every pixel under a
// destination pixel at once, but reads each source pixel once or twice
// instead of once for every destination pixel over it. The channels go in
// 16-bit lanes, several pixels to an SSE2 register where there is one; the
// plain loops give the same results elsewhere (the page's engine).
#include "render/memory/area_mean.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Every destination pixel's weights add up to 64.
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
        out[i] = spreadXrgb(xrgbFrom565(in[i]));
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

constexpr uint64_t everyLane = 0x0001000100010001;

// Every destination pixel's weights over as many source pixels as the widest
// covers, so that weighing a row runs one loop of a fixed length. Near the
// far edge the span starts earlier, with zeros in front.
void spanTaps(AreaTaps& taps)
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

}  // namespace

void buildAreaTaps(AreaTaps& taps, int sourceSide, int destSide)
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
void areaSpan(const AreaTaps& taps, int from, int to, int& first, int& last)
{
    first = static_cast<int>(static_cast<int64_t>(from) * taps.destSide / taps.sourceSide);
    last = static_cast<int>((static_cast<int64_t>(to) * taps.destSide + taps.sourceSide - 1) /
                            taps.sourceSide);
    last = std::min(last, taps.destSide);
}

namespace {

// One source row weighed along the destination's columns [dx0, dx1), into
// `out` (from dx0): each destination pixel's channels in 16-bit lanes, times
// 64. `spread` holds the row's pixels spread, by source column.
template <int span>
void weighRowSpan(const AreaTaps& taps, const uint64_t* spread, int dx0, int dx1, uint64_t* out)
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

void weighRow(const AreaTaps& taps, const uint64_t* spread, int dx0, int dx1, uint64_t* out)
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
const uint16_t* weighedRow(AreaMeans& means, const PixelImage& source, int row)
{
    const int slots = static_cast<int>(means.weighedRowOf.size());
    const int slot = row % slots;
    const int dx0 = means.dx0, dx1 = means.dx1;
    const size_t width = static_cast<size_t>(dx1 - dx0);
    uint64_t* out = means.weighedRows.data() + slot * width;
    if (means.weighedRowOf[slot] != row) {
        const AreaTaps& taps = means.columns;
        const int sx0 = taps.start[dx0];
        const int sx1 = taps.start[dx1 - 1] + taps.span;
        const uint8_t* in = source.pixels + row * source.pitch;
        uint64_t* spread = means.spreadRow.data();
        if (source.format == PixelFormat::rgb565)
            spreadPixels(reinterpret_cast<const uint16_t*>(in) + sx0, sx1 - sx0, spread + sx0);
        else
            spreadPixels(reinterpret_cast<const uint32_t*>(in) + sx0, sx1 - sx0, spread + sx0);
        weighRow(taps, spread, dx0, dx1, out);
        means.weighedRowOf[slot] = row;
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

}  // namespace

void startAreaMeans(AreaMeans& means, const PixelImage& source, int dx0, int dx1, int dy0, int dy1)
{
    const AreaTaps& rows = means.rows;
    int slots = 1;
    for (int y = dy0; y < dy1; ++y)
        slots = std::max(slots, rows.offset[y + 1] - rows.offset[y]);
    const size_t width = static_cast<size_t>(dx1 - dx0);
    means.dx0 = dx0;
    means.dx1 = dx1;
    means.spreadRow.resize(source.w);
    means.weighedRows.resize(slots * width);
    means.weighedRowOf.assign(slots, -1);
    means.rowsOfMean.resize(slots + 1);
}

void areaMeanRow(AreaMeans& means, const PixelImage& source, int y, uint32_t* mean)
{
    const AreaTaps& rows = means.rows;
    const int row0 = rows.first[y];
    const int count = rows.offset[y + 1] - rows.offset[y];
    const uint16_t** weighed = means.rowsOfMean.data();
    for (int j = 0; j < count; ++j)
        weighed[j] = weighedRow(means, source, row0 + j);
    meanOfRows(weighed, rows.weight.data() + rows.offset[y], count,
               static_cast<size_t>(means.dx1 - means.dx0) * 4, reinterpret_cast<uint8_t*>(mean));
}
