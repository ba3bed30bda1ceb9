// The grid that every animated sheet shares: 1-pixel lines of one colour
// along row 0, column 0 and after every cell, the corner pixel (0, 0) in the
// background colour so that it becomes the colour key.
#pragma once

#include <cstdint>
#include <string>

#include "tools/artgen/image.h"

struct SheetLayout {
    int32_t cellWidth;
    int32_t cellHeight;
    int32_t columns;
    int32_t rows;
    Rgb background;
    Rgb grid;
    // Background columns right of the last grid line. The mega Vob's bitmap
    // is one pixel wider than its grid; the measuring rule ignores the rest.
    int32_t spareColumns = 0;
};

int32_t sheetWidth(const SheetLayout& layout);
int32_t sheetHeight(const SheetLayout& layout);
// Background, grid lines and the corner pixel.
Image makeSheet(const SheetLayout& layout);
// An empty cell picture of the layout's size and background.
Image makeCell(const SheetLayout& layout);
// Copies one frame into cell (column, row), both counted from 0. Art that
// happens to hit the grid colour exactly is nudged off it, since the grid
// is found by that colour.
void placeCell(Image& sheet, const SheetLayout& layout, int32_t column, int32_t row,
               const Image& cell);

// The layouts of the world's sheets.
extern const SheetLayout kVobLayout;      // 107 and 106
extern const SheetLayout kMegaVobLayout;  // 113
extern const SheetLayout kRemainsLayout;  // 112
extern const SheetLayout kFoodLayout;     // 110
extern const SheetLayout kWhirlLayout;    // 111

// The C++ header that describes the world's sheets to the rules (their
// bitmap ids and cell grids, as the world's measuring rule reads them), so
// that a world needs no bitmap to know its cells: resources/sheet_cells.h.
std::string sheetCellsHeader();
