// The world sizes and places its entities by the sheets' description
// (resources/sheet_cells.h, which the artwork generator writes), never by
// their pixels, so that a world without a display needs no bitmap. Where the
// bitmaps are loaded they must agree with it: measured by the grid the
// artwork draws around every cell, at both depths, through each backend.
#include <gtest/gtest.h>

#include <cstdint>

#include "render/sprite_sheet.h"
#include "render/surface.h"
#include "sim/sheet.h"
#include "sim/world.h"
#include "tests/render/test_display.h"

namespace {

// Grid pixels compare on red, green and blue only, so any format works.
bool onGrid(uint32_t pixel, uint32_t grid) { return (pixel & 0xFFFFFF) == (grid & 0xFFFFFF); }

// From 1 along row 2 (across) or column 1 (down) to the next grid pixel:
// the cell's size is where it stopped, less the line itself.
int32_t cellSide(Surface* surface, bool across)
{
    const uint32_t grid = across ? readPixel(surface, 0, 2) : readPixel(surface, 1, 0);
    const int32_t limit = across ? surfaceWidth(surface) : surfaceHeight(surface);
    int32_t at = 1;
    while (at < limit &&
           !onGrid(across ? readPixel(surface, at, 2) : readPixel(surface, 1, at), grid))
        ++at;
    return at - 1;
}

// Whole cells only: the mega Vob's bitmap is a pixel wider than its grid.
Sheet measured(int32_t bitmapId, const SpriteSheet& picture)
{
    Surface* surface = picture.surface();
    EXPECT_TRUE(beginPixelAccess(surface));
    Sheet cells{bitmapId, cellSide(surface, true), cellSide(surface, false), 0, 0};
    endPixelAccess(surface);
    cells.columns = (picture.width() - 1) / (cells.cellWidth + 1);
    cells.rows = (picture.height() - 1) / (cells.cellHeight + 1);
    return cells;
}

class SheetCells : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override { ASSERT_TRUE(openHeadlessDisplay(testDisplay, 64, 48, GetParam())); }
    void TearDown() override { closeHeadlessDisplay(testDisplay); }
};

TEST_P(SheetCells, TheProgramsBitmapsAgreeWithTheDescription)
{
    for (const Sheet* sheet : {&vobSheetCells, &weakVobSheetCells, &megaVobSheetCells,
                               &remainsSheetCells, &foodSheetCells, &whirlSheetCells}) {
        SCOPED_TRACE(sheet->bitmapId);
        SpriteSheet picture(sheet->bitmapId);
        ASSERT_NE(picture.surface(), nullptr);
        const Sheet cells = measured(sheet->bitmapId, picture);
        EXPECT_EQ(cells.cellWidth, sheet->cellWidth);
        EXPECT_EQ(cells.cellHeight, sheet->cellHeight);
        EXPECT_EQ(cells.columns, sheet->columns);
        EXPECT_EQ(cells.rows, sheet->rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, SheetCells, ::testing::Values(16, 32));

}  // namespace
