// Sprite sheets: loading by id, the key taken from the sheet's own top-left
// pixel, and whole-sheet blits.
#include <gtest/gtest.h>

#include "render/sdl/headless_display.h"
#include "render/sprite_sheet.h"
#include "tests/render/test_bitmaps.h"

namespace {

using testbitmaps::Picture;
using testbitmaps::ResourceFolder;

constexpr uint32_t teal = 0x070804;    // an unusual background, (4, 8, 7)
constexpr uint32_t yellow = 0x00FFFF;
constexpr uint32_t magenta = 0xFF00FF;  // exact at 16 bits too

uint32_t peek(Surface* s, int32_t x, int32_t y) {
    beginPixelAccess(s);
    uint32_t c = readPixel(s, x, y);
    endPixelAccess(s);
    return c;
}

class SheetAt : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(openHeadlessDisplay(40, 30, GetParam()));
        Picture p = testbitmaps::picture(5, 3, teal);
        p.at(1, 1) = yellow;
        p.at(3, 1) = yellow;
        ASSERT_TRUE(folder.add("901_test.bmp", p));
    }
    void TearDown() override { closeHeadlessDisplay(); }
    ResourceFolder folder;
};

}  // namespace

TEST_P(SheetAt, TakesTheBitmapsSizeAndItsTopLeftPixelAsKey) {
    SpriteSheet sheet(901);
    ASSERT_NE(sheet.surface(), nullptr);
    EXPECT_EQ(sheet.width(), 5);
    EXPECT_EQ(sheet.height(), 3);
    fillSurface(backSurface, matchColour(backSurface, magenta));

    EXPECT_EQ(blitSprite(&sheet, backSurface, 10, 20, 1), 0);
    EXPECT_EQ(peek(backSurface, 10, 20), magenta);  // background shows through
    EXPECT_EQ(peek(backSurface, 14, 22), magenta);
    EXPECT_EQ(peek(backSurface, 11, 21), yellow);
    EXPECT_EQ(peek(backSurface, 13, 21), yellow);
    EXPECT_EQ(peek(backSurface, 15, 21), magenta);  // right of the sheet

    EXPECT_EQ(blitSprite(&sheet, backSurface, 10, 20, 0), 0);
    EXPECT_EQ(peek(backSurface, 10, 20), peek(sheet.surface(), 0, 0));
    EXPECT_NE(peek(backSurface, 10, 20), magenta);
}

TEST_P(SheetAt, SheetPartlyOffTheBackSurfaceIsCutOffNotLost) {
    SpriteSheet sheet(901);
    ASSERT_NE(sheet.surface(), nullptr);
    blitSprite(&sheet, backSurface, -3, 28, 1);
    EXPECT_EQ(peek(backSurface, 0, 29), yellow);  // sheet pixel (3, 1)
}

TEST_P(SheetAt, MissingBitmapGivesAnEmptySheetThatDrawsNothing) {
    SpriteSheet sheet(90);  // "901_test.bmp" must not answer for 90
    EXPECT_EQ(sheet.surface(), nullptr);
    EXPECT_EQ(sheet.width(), 0);
    EXPECT_EQ(sheet.height(), 0);
    EXPECT_EQ(blitSprite(&sheet, backSurface, 0, 0, 1), 0);
    EXPECT_EQ(blitSprite(nullptr, backSurface, 0, 0, 1), 0);
    EXPECT_EQ(peek(backSurface, 0, 0), 0u);
}

TEST_P(SheetAt, ReleaseGivesTheSurfaceBackOnce) {
    SpriteSheet sheet(901);
    ASSERT_NE(sheet.surface(), nullptr);
    sheet.release();
    EXPECT_EQ(sheet.surface(), nullptr);
    EXPECT_EQ(blitSprite(&sheet, backSurface, 0, 0, 0), 0);
    EXPECT_EQ(peek(backSurface, 0, 0), 0u);
}  // the destructor releases again: must be harmless

INSTANTIATE_TEST_SUITE_P(Depths, SheetAt, ::testing::Values(16, 32));
