// One of the world's sheets as the rules see it: the bitmap it is drawn
// from and the grid of cells its artwork draws. The world's own are
// described in resources/sheet_cells.h, which the artwork generator writes,
// so a world knows its cells without loading a bitmap.
#pragma once

#include <cstdint>

struct Sheet {
    int32_t bitmapId;
    int32_t cellWidth;
    int32_t cellHeight;
    int32_t columns;
    int32_t rows;
};

// A rectangle of pixels; right and bottom are exclusive, as in a Windows RECT.
struct CellRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
