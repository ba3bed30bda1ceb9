// Stored values, colour matching and pixel reads of the SDL surfaces, which
// must agree with what DirectDraw and GDI do on Windows.
#include <gtest/gtest.h>

#include "render/sdl/headless_display.h"
#include "render/surface.h"
#include "tests/render/pixel_probe.h"

namespace {

using namespace pixelprobe;

class DisplayAt : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override { ASSERT_TRUE(openHeadlessDisplay(64, 48, GetParam())); }
    void TearDown() override { closeHeadlessDisplay(); }
};

class Display16 : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openHeadlessDisplay(64, 48, 16)); }
    void TearDown() override { closeHeadlessDisplay(); }
};

class Display32 : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openHeadlessDisplay(64, 48, 32)); }
    void TearDown() override { closeHeadlessDisplay(); }
};

}  // namespace

TEST_F(Display16, MatchColourGivesFiveSixFiveValues) {
    Surface* s = createSurface(4, 4);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(matchColour(s, 0x000000), 0u);
    EXPECT_EQ(matchColour(s, 0xFFFFFF), 0xFFFFu);
    EXPECT_EQ(matchColour(s, 0x0000FF), 0xF800u);  // pure red in GDI order
    EXPECT_EQ(matchColour(s, 0x00FF00), 0x07E0u);
    EXPECT_EQ(matchColour(s, 0xFF0000), 0x001Fu);
    // Low bits the format cannot keep are dropped, not rounded.
    EXPECT_EQ(matchColour(s, 0x070307), 0u);
    EXPECT_EQ(matchColour(s, 0x070407), 0x0020u);
    EXPECT_EQ(matchColour(s, 0x080808), 0x0841u);
    releaseSurface(s);
}

TEST_F(Display32, MatchColourKeepsEveryBit) {
    Surface* s = createSurface(4, 4);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(matchColour(s, 0x000000), 0u);
    EXPECT_EQ(matchColour(s, 0x07080C), 0x000C0807u);  // 0x00RRGGBB stored
    EXPECT_EQ(matchColour(s, 0xFFFFFF), 0x00FFFFFFu);
    paint(s, 0, 0, 0x123456);
    EXPECT_EQ(matchColour(s, invalidColour), 0x00563412u);
    // The byte no colour uses is stored and matched too, yet reads as black.
    fillSurface(s, 0xFF000000u);
    EXPECT_EQ(matchColour(s, invalidColour), 0xFF000000u);
    EXPECT_EQ(peek(s, 1, 1), 0u);
    releaseSurface(s);
}

TEST_P(DisplayAt, MatchColourLeavesTheTopLeftPixelAsItWas) {
    Surface* s = createSurface(4, 4);
    ASSERT_NE(s, nullptr);
    paint(s, 0, 0, 0x40C020);
    uint32_t before = matchColour(s, invalidColour);
    uint32_t seen = peek(s, 0, 0);
    EXPECT_NE(before, 0u);
    matchColour(s, 0xFFFFFF);
    matchColour(s, 0x000000);
    EXPECT_EQ(matchColour(s, invalidColour), before);
    EXPECT_EQ(peek(s, 0, 0), seen);
    releaseSurface(s);
}

TEST_F(Display16, PixelReadsWidenFieldsTheWayGdiDoes) {
    Surface* s = createSurface(4, 4);
    ASSERT_NE(s, nullptr);
    paint(s, 0, 0, 0xFFFFFF);
    paint(s, 1, 0, 0x0000FF);
    paint(s, 2, 0, 0x070302);  // below every field's resolution
    paint(s, 3, 0, 0x7F7F7F);
    EXPECT_EQ(peek(s, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(peek(s, 1, 0), 0x0000FFu);
    EXPECT_EQ(peek(s, 2, 0), 0x000000u);
    // 0x7F keeps 0x78 in five bits (read back 0x7B) and 0x7C in six (0x7D).
    EXPECT_EQ(peek(s, 3, 0), 0x7B7D7Bu);
    releaseSurface(s);
}

TEST_F(Display32, PixelReadsComeBackInGdiOrder) {
    Surface* s = createSurface(4, 4);
    ASSERT_NE(s, nullptr);
    paint(s, 2, 3, 0x0A0B0C);
    EXPECT_EQ(peek(s, 2, 3), 0x0A0B0Cu);
    releaseSurface(s);
}

TEST_P(DisplayAt, PixelAccessFailsOutsideTheSurfaceOrWithoutAContext) {
    Surface* s = createSurface(5, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(peek(s, 5, 0), invalidColour);
    EXPECT_EQ(peek(s, 0, 3), invalidColour);
    EXPECT_EQ(peek(s, -1, 0), invalidColour);
    EXPECT_EQ(peek(s, 4, 2), 0u);
    // Without beginPixelAccess there is nothing to read through.
    EXPECT_EQ(readPixel(s, 0, 0), invalidColour);
    writePixel(s, 0, 0, 0xFFFFFF);
    EXPECT_EQ(peek(s, 0, 0), 0u);
    EXPECT_FALSE(beginPixelAccess(nullptr));
    releaseSurface(s);
}

TEST_P(DisplayAt, FillSetsEveryPixelToTheStoredValue) {
    Surface* s = createSurface(7, 5);
    ASSERT_NE(s, nullptr);
    paint(s, 3, 2, 0xFFFFFF);
    EXPECT_EQ(fillSurface(s, keyColour), 0);
    ASSERT_TRUE(beginPixelAccess(s));
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x) ASSERT_EQ(readPixel(s, x, y), 0u) << x << "," << y;
    endPixelAccess(s);
    fillSurface(s, matchColour(s, 0xFFFFFF));
    EXPECT_EQ(peek(s, 6, 4), 0xFFFFFFu);
    releaseSurface(s);
}

INSTANTIATE_TEST_SUITE_P(Depths, DisplayAt, ::testing::Values(16, 32));

TEST(HeadlessDisplay, OpensOnlyTheDepthsItDraws) {
    EXPECT_FALSE(openHeadlessDisplay(800, 600, 8));
    EXPECT_FALSE(openHeadlessDisplay(800, 600, 24));
    EXPECT_FALSE(openHeadlessDisplay(0, 600, 16));
    EXPECT_EQ(primarySurface, nullptr);
    EXPECT_EQ(createSurface(4, 4), nullptr);  // no display, no surfaces

    ASSERT_TRUE(openHeadlessDisplay(800, 600, 16));
    EXPECT_EQ(displayWidth, 800);
    EXPECT_EQ(displayHeight, 600);
    EXPECT_EQ(displayDepth, 16);
    EXPECT_EQ(surfaceWidth(backSurface), 800);
    EXPECT_EQ(surfaceHeight(primarySurface), 600);
    closeHeadlessDisplay();
    EXPECT_EQ(displayWidth, 0);
    EXPECT_EQ(backSurface, nullptr);
}

TEST(SurfaceCreation, RefusesEmptySizesAndReportsZeroForNull) {
    ASSERT_TRUE(openHeadlessDisplay(32, 32, 32));
    EXPECT_EQ(createSurface(0, 10), nullptr);
    EXPECT_EQ(createSurface(10, -1), nullptr);
    EXPECT_EQ(surfaceWidth(nullptr), 0);
    EXPECT_EQ(surfaceHeight(nullptr), 0);
    EXPECT_EQ(matchColour(nullptr, 0), invalidColour);
    releaseSurface(nullptr);
    closeHeadlessDisplay();
}
