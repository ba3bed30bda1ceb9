// Sprite sheets: loading by id, the key taken from the sheet's own top-left
// pixel, and whole-sheet blits.
#include <gtest/gtest.h>

#include "render/sprite_sheet.h"
#include "tests/art/artwork_table.h"
#include "tests/render/display_fixture.h"
#include "tests/render/pixel_probe.h"

namespace {

using pixelprobe::peek;
using testbitmaps::Picture;

constexpr uint32_t teal = 0x070804;  // an unusual background, (4, 8, 7)
constexpr uint32_t yellow = 0x00FFFF;
constexpr uint32_t magenta = 0xFF00FF;  // exact at 16 bits too

class SheetAt : public HeadlessDisplayWithBitmaps<40, 30> {
protected:
    void SetUp() override
    {
        HeadlessDisplayWithBitmaps::SetUp();
        if (HasFatalFailure())
            return;
        Picture p = testbitmaps::picture(5, 3, teal);
        p.at(1, 1) = yellow;
        p.at(3, 1) = yellow;
        ASSERT_TRUE(folder.add("901_test.bmp", p));
    }
};

}  // namespace

TEST_P(SheetAt, TakesTheBitmapsSizeAndItsTopLeftPixelAsKey)
{
    SpriteSheet sheet(901);
    ASSERT_NE(sheet.surface(), nullptr);
    EXPECT_EQ(sheet.width(), 5);
    EXPECT_EQ(sheet.height(), 3);
    fillSurface(testDisplay.backSurface, matchColour(testDisplay.backSurface, magenta));

    EXPECT_EQ(blitSprite(&sheet, testDisplay.backSurface, 10, 20, 1), 0);
    EXPECT_EQ(peek(testDisplay.backSurface, 10, 20), magenta);  // background shows through
    EXPECT_EQ(peek(testDisplay.backSurface, 14, 22), magenta);
    EXPECT_EQ(peek(testDisplay.backSurface, 11, 21), yellow);
    EXPECT_EQ(peek(testDisplay.backSurface, 13, 21), yellow);
    EXPECT_EQ(peek(testDisplay.backSurface, 15, 21), magenta);  // right of the sheet

    EXPECT_EQ(blitSprite(&sheet, testDisplay.backSurface, 10, 20, 0), 0);
    EXPECT_EQ(peek(testDisplay.backSurface, 10, 20), peek(sheet.surface(), 0, 0));
    EXPECT_NE(peek(testDisplay.backSurface, 10, 20), magenta);
}

TEST_P(SheetAt, SheetPartlyOffTheBackSurfaceIsCutOffNotLost)
{
    SpriteSheet sheet(901);
    ASSERT_NE(sheet.surface(), nullptr);
    blitSprite(&sheet, testDisplay.backSurface, -3, 28, 1);
    EXPECT_EQ(peek(testDisplay.backSurface, 0, 29), yellow);  // sheet pixel (3, 1)
}

TEST_P(SheetAt, MissingBitmapGivesAnEmptySheetThatDrawsNothing)
{
    SpriteSheet sheet(90);  // "901_test.bmp" must not answer for 90
    EXPECT_EQ(sheet.surface(), nullptr);
    EXPECT_EQ(sheet.width(), 0);
    EXPECT_EQ(sheet.height(), 0);
    EXPECT_EQ(blitSprite(&sheet, testDisplay.backSurface, 0, 0, 1), 0);
    EXPECT_EQ(blitSprite(nullptr, testDisplay.backSurface, 0, 0, 1), 0);
    EXPECT_EQ(peek(testDisplay.backSurface, 0, 0), 0u);
}

TEST_P(SheetAt, ReleaseGivesTheSurfaceBackOnce)
{
    SpriteSheet sheet(901);
    ASSERT_NE(sheet.surface(), nullptr);
    sheet.release();
    EXPECT_EQ(sheet.surface(), nullptr);
    EXPECT_EQ(blitSprite(&sheet, testDisplay.backSurface, 0, 0, 0), 0);
    EXPECT_EQ(peek(testDisplay.backSurface, 0, 0), 0u);
}  // the destructor releases again: must be harmless

INSTANTIATE_TEST_SUITE_P(Depths, SheetAt, ::testing::Values(16, 32));

TEST_P(SheetAt, WorldSheetsHaveTheirBitmapsSizesAndOpaqueGridLines)
{
    folder.restore();  // the program's own resource folder
    for (int i = 0; i < worldArtworkCount; ++i) {
        const ArtworkSize& expected = artworkSizes[i];
        SpriteSheet sheet(expected.id);
        ASSERT_NE(sheet.surface(), nullptr) << expected.id;
        EXPECT_EQ(sheet.width(), expected.width) << expected.id;
        EXPECT_EQ(sheet.height(), expected.height) << expected.id;
        if (expected.id == 116)
            continue;  // the cloud has no grid
        // Grid pixels must survive the key, or cells would lose their frame
        // alignment when measured.
        uint32_t key = matchColour(sheet.surface(), invalidColour);
        beginPixelAccess(sheet.surface());
        uint32_t gridPixel = readPixel(sheet.surface(), 0, 2);
        endPixelAccess(sheet.surface());
        EXPECT_NE(matchColour(sheet.surface(), gridPixel), key) << expected.id;
    }
}

TEST_P(SheetAt, CloudCoversItsRectangleAndShowsTheDestinationThroughItsBlack)
{
    folder.restore();
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 120, 90, GetParam()));  // room for the whole cloud
    SpriteSheet onThisDisplay(116);
    ASSERT_NE(onThisDisplay.surface(), nullptr);
    fillSurface(testDisplay.backSurface, matchColour(testDisplay.backSurface, magenta));
    blitSprite(&onThisDisplay, testDisplay.backSurface, 0, 5, 1);
    int32_t changed = 0, outside = 0;
    beginPixelAccess(testDisplay.backSurface);
    beginPixelAccess(onThisDisplay.surface());
    for (int32_t y = 0; y < 90; ++y)
        for (int32_t x = 0; x < 120; ++x) {
            bool inCloud = x < 87 && y >= 5 && y < 71;
            uint32_t seen = readPixel(testDisplay.backSurface, x, y);
            if (!inCloud) {
                outside += seen != magenta;
                continue;
            }
            uint32_t art = readPixel(onThisDisplay.surface(), x, y - 5);
            EXPECT_EQ(seen, art == keyColour ? magenta : art);
            changed += seen != magenta;
        }
    endPixelAccess(onThisDisplay.surface());
    endPixelAccess(testDisplay.backSurface);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(changed, 0);
}
