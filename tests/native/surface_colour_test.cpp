// Stored values, colour matching and pixel reads of the SDL surfaces, which
// must agree with what DirectDraw and GDI do on Windows.
#include <gtest/gtest.h>

#include "render/surface.h"
#include "tests/render/display_fixture.h"
#include "tests/render/pixel_probe.h"

namespace {

using namespace pixelprobe;
using DisplayAt = HeadlessDisplayAt<64, 48>;

bool sixteenBits(int32_t depth) { return depth == 16; }

}  // namespace

TEST_P(DisplayAt, MatchColourGivesTheStoredValueOfTheDisplaysFormat)
{
    // 5-6-5 at 16 bits, dropping the low bits the format cannot keep (not
    // rounding); 0x00RRGGBB at 32.
    const struct {
        uint32_t colour, stored16, stored32;
    } cases[] = {
        {0x000000, 0x0000, 0x00000000}, {0xFFFFFF, 0xFFFF, 0x00FFFFFF},
        {0x0000FF, 0xF800, 0x00FF0000},  // pure red in GDI order
        {0x00FF00, 0x07E0, 0x0000FF00}, {0xFF0000, 0x001F, 0x000000FF},
        {0x070307, 0x0000, 0x00070307}, {0x070407, 0x0020, 0x00070407},
        {0x080808, 0x0841, 0x00080808}, {0x07080C, 0x0840, 0x000C0807},
    };
    OwnedSurface s(createSurface(4, 4));
    ASSERT_NE(s.get(), nullptr);
    for (const auto& c : cases)
        EXPECT_EQ(matchColour(s, c.colour), sixteenBits(GetParam()) ? c.stored16 : c.stored32)
            << std::hex << c.colour;
}

TEST_P(DisplayAt, PixelReadsWidenFieldsTheWayGdiDoes)
{
    // At 16 bits a field's top bits repeat into the dropped low ones: 0x7F
    // keeps 0x78 in five bits (read back 0x7B) and 0x7C in six (0x7D).
    const struct {
        uint32_t written, read16, read32;
    } cases[] = {
        {0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, {0x0000FF, 0x0000FF, 0x0000FF},
        {0x070302, 0x000000, 0x070302},  // below every field's resolution
        {0x7F7F7F, 0x7B7D7B, 0x7F7F7F}, {0x0A0B0C, 0x080808, 0x0A0B0C},
    };
    OwnedSurface s(createSurface(6, 4));
    ASSERT_NE(s.get(), nullptr);
    for (int32_t x = 0; x < 5; ++x)
        paint(s, x, 3, cases[x].written);
    for (int32_t x = 0; x < 5; ++x)
        EXPECT_EQ(peek(s, x, 3), sixteenBits(GetParam()) ? cases[x].read16 : cases[x].read32)
            << std::hex << cases[x].written;
}

TEST_P(DisplayAt, MatchColourOfTheTopLeftPixelReadsItAndLeavesItAsItWas)
{
    OwnedSurface s(createSurface(4, 4));
    ASSERT_NE(s.get(), nullptr);
    paint(s, 0, 0, 0x123456);
    uint32_t before = matchColour(s, invalidColour);
    uint32_t seen = peek(s, 0, 0);
    EXPECT_EQ(before, matchColour(s, 0x123456));
    if (!sixteenBits(GetParam())) {
        EXPECT_EQ(before, 0x00563412u);
    }
    matchColour(s, 0xFFFFFF);
    matchColour(s, 0x000000);
    EXPECT_EQ(matchColour(s, invalidColour), before);
    EXPECT_EQ(peek(s, 0, 0), seen);
}

TEST_P(DisplayAt, PixelAccessFailsOutsideTheSurfaceOrWithoutAContext)
{
    OwnedSurface s(createSurface(5, 3));
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(peek(s, 5, 0), invalidColour);
    EXPECT_EQ(peek(s, 0, 3), invalidColour);
    EXPECT_EQ(peek(s, -1, 0), invalidColour);
    EXPECT_EQ(peek(s, 4, 2), 0u);
    // Without beginPixelAccess there is nothing to read through.
    EXPECT_EQ(readPixel(s, 0, 0), invalidColour);
    writePixel(s, 0, 0, 0xFFFFFF);
    EXPECT_EQ(peek(s, 0, 0), 0u);
    EXPECT_FALSE(beginPixelAccess(nullptr));
}

TEST_P(DisplayAt, FillSetsEveryPixelToTheStoredValue)
{
    OwnedSurface s(createSurface(7, 5));
    ASSERT_NE(s.get(), nullptr);
    paint(s, 3, 2, 0xFFFFFF);
    EXPECT_EQ(fillSurface(s, keyColour), 0);
    EXPECT_EQ(countAll(s, keyColour), 7 * 5);
    fillSurface(s, matchColour(s, 0xFFFFFF));
    EXPECT_EQ(peek(s, 6, 4), 0xFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Depths, DisplayAt, ::testing::Values(16, 32));

TEST(HeadlessDisplay, OpensOnlyTheDepthsItDraws)
{
    EXPECT_FALSE(openHeadlessDisplay(testDisplay, 800, 600, 8));
    EXPECT_FALSE(openHeadlessDisplay(testDisplay, 800, 600, 24));
    EXPECT_FALSE(openHeadlessDisplay(testDisplay, 0, 600, 16));
    EXPECT_EQ(testDisplay.primarySurface, nullptr);
    EXPECT_EQ(createSurface(4, 4), nullptr);  // no display, no surfaces

    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 800, 600, 16));
    EXPECT_EQ(testDisplay.width, 800);
    EXPECT_EQ(testDisplay.height, 600);
    EXPECT_EQ(testDisplay.depth, 16);
    EXPECT_EQ(surfaceWidth(testDisplay.backSurface), 800);
    EXPECT_EQ(surfaceHeight(testDisplay.primarySurface), 600);
    closeHeadlessDisplay(testDisplay);
    EXPECT_EQ(testDisplay.width, 0);
    EXPECT_EQ(testDisplay.backSurface, nullptr);
}

TEST(ThirtyTwoBitSurface, FillsKeepTheUnusedByteYetReadAsBlack)
{
#ifdef _WIN32
    GTEST_SKIP() << "Wine's colour fill clears the unused byte of an XRGB pixel";
#endif
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 8, 8, 32));
    OwnedSurface s(createSurface(4, 4));
    ASSERT_NE(s.get(), nullptr);
    fillSurface(s, 0xFF000000u);
    EXPECT_EQ(matchColour(s, invalidColour), 0xFF000000u);
    EXPECT_EQ(peek(s, 1, 1), 0u);
    closeHeadlessDisplay(testDisplay);
}

TEST(SurfaceCreation, RefusesEmptySizesAndReportsZeroForNull)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 32, 32, 32));
    EXPECT_EQ(createSurface(0, 10), nullptr);
    EXPECT_EQ(createSurface(10, -1), nullptr);
    EXPECT_EQ(surfaceWidth(nullptr), 0);
    EXPECT_EQ(surfaceHeight(nullptr), 0);
    EXPECT_EQ(matchColour(nullptr, 0), invalidColour);
    releaseSurface(nullptr);
    closeHeadlessDisplay(testDisplay);
}
