#include "tools/artgen/sheet_grid.h"

const SheetLayout kVobLayout{15, 15, 8, 3, {0, 0, 0}, {49, 202, 2}};
const SheetLayout kMegaVobLayout{23, 24, 8, 3, {4, 8, 7}, {0, 224, 238}, 1};
const SheetLayout kRemainsLayout{23, 22, 7, 6, {0, 0, 0}, {238, 28, 0}};
const SheetLayout kFoodLayout{7, 7, 5, 1, {0, 0, 0}, {189, 147, 3}};
const SheetLayout kWhirlLayout{44, 44, 5, 4, {0, 0, 0}, {239, 8, 0}};

int32_t sheetWidth(const SheetLayout& l)
{
    return l.columns * (l.cellWidth + 1) + 1 + l.spareColumns;
}
int32_t sheetHeight(const SheetLayout& l) { return l.rows * (l.cellHeight + 1) + 1; }

Image makeSheet(const SheetLayout& l)
{
    Image sheet = makeImage(sheetWidth(l), sheetHeight(l), l.background);
    int32_t gridWidth = sheet.width - l.spareColumns;
    for (int32_t x = 0; x < gridWidth; x += l.cellWidth + 1)
        for (int32_t y = 0; y < sheet.height; ++y)
            setPixel(sheet, x, y, l.grid);
    for (int32_t y = 0; y < sheet.height; y += l.cellHeight + 1)
        for (int32_t x = 0; x < gridWidth; ++x)
            setPixel(sheet, x, y, l.grid);
    setPixel(sheet, 0, 0, l.background);
    return sheet;
}

Image makeCell(const SheetLayout& l) { return makeImage(l.cellWidth, l.cellHeight, l.background); }

void placeCell(Image& sheet, const SheetLayout& l, int32_t column, int32_t row, const Image& cell)
{
    int32_t left = 1 + column * (l.cellWidth + 1);
    int32_t top = 1 + row * (l.cellHeight + 1);
    for (int32_t y = 0; y < l.cellHeight; ++y)
        for (int32_t x = 0; x < l.cellWidth; ++x) {
            Rgb c = pixelAt(cell, x, y);
            if (c == l.grid)
                c.g = static_cast<uint8_t>(c.g < 255 ? c.g + 1 : c.g - 1);
            setPixel(sheet, left + x, top + y, c);
        }
}

namespace {

// The rule the artwork is measured by: the grid is found at each cell's
// edge, and only whole cells after the first grid line count.
std::string sheetLine(const char* name, int32_t bitmapId, const SheetLayout& l)
{
    const int32_t columns = (sheetWidth(l) - 1) / (l.cellWidth + 1);
    const int32_t rows = (sheetHeight(l) - 1) / (l.cellHeight + 1);
    return "inline constexpr Sheet " + std::string(name) + "{" + std::to_string(bitmapId) + ", " +
           std::to_string(l.cellWidth) + ", " + std::to_string(l.cellHeight) + ", " +
           std::to_string(columns) + ", " + std::to_string(rows) + "};\n";
}

}  // namespace

std::string sheetCellsHeader()
{
    return "// The cell grid of each of the world's sheets as the artwork draws it: the\n"
           "// rules size and place entities by it, with the bitmaps or without them.\n"
           "// Written by tovrine-artgen with the bitmaps; run the artwork target\n"
           "// rather than editing it.\n"
           "#pragma once\n"
           "\n"
           "#include \"sim/sheet.h\"\n"
           "\n"
           "// bitmap id, cell width and height, columns, rows\n" +
           sheetLine("vobSheetCells", 107, kVobLayout) +
           sheetLine("weakVobSheetCells", 106, kVobLayout) +
           sheetLine("megaVobSheetCells", 113, kMegaVobLayout) +
           sheetLine("remainsSheetCells", 112, kRemainsLayout) +
           sheetLine("foodSheetCells", 110, kFoodLayout) +
           sheetLine("whirlSheetCells", 111, kWhirlLayout);
}
