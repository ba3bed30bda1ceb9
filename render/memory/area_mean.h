// A picture shrunk by area: each destination pixel the mean of the source
// pixels under it, weighed by how much of each it covers, so that thin
// strokes (the cloud's letters) fade instead of vanishing. The frame copy
// shrinks the world's pictures through it.
#pragma once

#include <cstdint>
#include <vector>

#include "render/memory/memory_surface.h"

// The source pixels under each destination pixel along one side, and how
// much of each the destination pixel covers, in 64ths of it.
struct AreaTaps {
    std::vector<int> first;   // first source pixel of each destination pixel
    std::vector<int> offset;  // where its weights start in `weight`
    std::vector<uint32_t> weight;
    int sourceSide = 0;
    int destSide = 0;
    // The same weights, `span` for every destination pixel (zeros where
    // it covers fewer), starting at source pixel `start`; each weight
    // in all four 16-bit lanes of a word.
    int span = 0;
    std::vector<int> start;
    std::vector<uint64_t> spanWeight;
};

// The taps of one side of `sourceSide` pixels shown over `destSide`; kept
// when they are the taps of that size already.
void buildAreaTaps(AreaTaps& taps, int sourceSide, int destSide);
// The destination pixels [first, last) of one side that the source pixels
// [from, to) reach.
void areaSpan(const AreaTaps& taps, int from, int to, int& first, int& last);

// Both sides' taps, and the rows in progress: one source row's pixels
// spread, and the last few source rows weighed along the columns.
struct AreaMeans {
    AreaTaps columns, rows;
    int dx0 = 0, dx1 = 0;
    std::vector<uint64_t> spreadRow;
    std::vector<uint64_t> weighedRows;
    std::vector<int> weighedRowOf;
    std::vector<const uint16_t*> rowsOfMean;
};

// Before the destination rows [dy0, dy1) of columns [dx0, dx1), made in
// order by areaMeanRow from `source` (5-6-5 or XRGB8888).
void startAreaMeans(AreaMeans& means, const PixelImage& source, int dx0, int dx1, int dy0, int dy1);
// Destination row y's means over the columns started, as XRGB8888 (the top
// byte 0), into `mean`.
void areaMeanRow(AreaMeans& means, const PixelImage& source, int y, uint32_t* mean);
