// Blits on the SDL surfaces: colour keys, clipping at the back surface's
// edges, DirectDraw's refusals, stretching.
#include <gtest/gtest.h>

#include "render/surface.h"
#include "tests/render/display_fixture.h"
#include "tests/render/pixel_probe.h"

namespace {

using namespace pixelprobe;

constexpr uint32_t background = 0x000000;

uint32_t patternColour(int32_t x, int32_t y)
{
    return static_cast<uint32_t>(0x80 << 16 | (y * 16 + 8) << 8 | (x * 16 + 8));
}

// A w x h source whose pixel (x, y) has a colour of its own, except those
// listed as background.
Surface* makePattern(int32_t w, int32_t h)
{
    Surface* s = createSurface(w, h);
    if (!s)
        return nullptr;
    beginPixelAccess(s);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            writePixel(s, x, y, patternColour(x, y));
    endPixelAccess(s);
    return s;
}

int32_t countNonBlack(Surface* s)
{
    return surfaceWidth(s) * surfaceHeight(s) - countAll(s, keyColour);
}

// Every destination pixel equals the source pixel mapped onto it by a blit
// of the whole source at (dx, dy), or black where the source does not land.
void expectPlacedAt(Surface* dest, Surface* source, int32_t dx, int32_t dy)
{
    Surface* ref = source;
    for (int32_t y = 0; y < surfaceHeight(dest); ++y)
        for (int32_t x = 0; x < surfaceWidth(dest); ++x) {
            int32_t sx = x - dx, sy = y - dy;
            bool covered = sx >= 0 && sy >= 0 && sx < surfaceWidth(ref) && sy < surfaceHeight(ref);
            uint32_t want = covered ? peek(ref, sx, sy) : background;
            ASSERT_EQ(peek(dest, x, y), want) << "at " << x << "," << y;
        }
}

using BlitAt = HeadlessDisplayAt<40, 30>;

}  // namespace

TEST_P(BlitAt, KeyedBlitSkipsOnlyTheKeyColour)
{
    OwnedSurface sprite(makePattern(4, 4));
    ASSERT_NE(sprite.get(), nullptr);
    paint(sprite, 0, 0, background);
    paint(sprite, 2, 1, background);
    setColourKey(sprite, invalidColour);
    paint(testDisplay.backSurface, 12, 11, 0xFFFFFF);  // under sprite pixel (2, 1)
    paint(testDisplay.backSurface, 11, 11, 0xFFFFFF);  // under sprite pixel (1, 1)

    ASSERT_TRUE(
        blitSurface(testDisplay.backSurface, PixelRect{10, 10, 14, 14}, sprite, nullptr, true));
    EXPECT_EQ(peek(testDisplay.backSurface, 12, 11), 0xFFFFFFu);  // shows through
    EXPECT_EQ(peek(testDisplay.backSurface, 10, 10), 0u);
    EXPECT_EQ(peek(testDisplay.backSurface, 11, 11), peek(sprite, 1, 1));
    EXPECT_EQ(peek(testDisplay.backSurface, 13, 13), peek(sprite, 3, 3));

    ASSERT_TRUE(
        blitSurface(testDisplay.backSurface, PixelRect{10, 10, 14, 14}, sprite, nullptr, false));
    EXPECT_EQ(peek(testDisplay.backSurface, 12, 11), 0u);  // opaque copies the background
}

TEST_P(BlitAt, NearBackgroundColoursMergeWithTheKeyOnlyAtSixteenBits)
{
    OwnedSurface sprite(createSurface(2, 1));
    ASSERT_NE(sprite.get(), nullptr);
    paint(sprite, 0, 0, 0x070804);  // the mega sheet's background (4, 8, 7)
    paint(sprite, 1, 0, 0x050906);  // artwork pixel (6, 9, 5)
    setColourKey(sprite, invalidColour);
    ASSERT_TRUE(blitSurface(testDisplay.backSurface, PixelRect{0, 0, 2, 1}, sprite, nullptr, true));
    if (GetParam() == 16)
        EXPECT_EQ(peek(testDisplay.backSurface, 1, 0), 0u);
    else
        EXPECT_EQ(peek(testDisplay.backSurface, 1, 0), 0x050906u);
    EXPECT_EQ(peek(testDisplay.backSurface, 0, 0), 0u);
}

TEST_P(BlitAt, ClipRectangleCutsSpritesOffAtEachEdge)
{
    OwnedSurface sprite(makePattern(6, 5));
    ASSERT_NE(sprite.get(), nullptr);
    struct Place {
        int32_t x, y;
    };
    const Place places[] = {{-3, 10}, {37, 10}, {15, -2}, {15, 28}, {-4, -3}, {36, 27}};
    for (const Place& p : places) {
        fillSurface(testDisplay.backSurface, keyColour);
        ASSERT_TRUE(blitSurface(testDisplay.backSurface, PixelRect{p.x, p.y, p.x + 6, p.y + 5},
                                sprite, nullptr, false));
        EXPECT_GT(countNonBlack(testDisplay.backSurface), 0) << p.x << "," << p.y;
        expectPlacedAt(testDisplay.backSurface, sprite, p.x, p.y);
    }
}

TEST_P(BlitAt, ClipRectangleNarrowerThanTheSurfaceIsHonoured)
{
    OwnedSurface sprite(makePattern(6, 6));
    ASSERT_NE(sprite.get(), nullptr);
    ASSERT_TRUE(setClipRect(testDisplay.backSurface, PixelRect{5, 5, 8, 8}));
    ASSERT_TRUE(
        blitSurface(testDisplay.backSurface, PixelRect{3, 3, 9, 9}, sprite, nullptr, false));
    EXPECT_EQ(countNonBlack(testDisplay.backSurface), 9);
    EXPECT_EQ(peek(testDisplay.backSurface, 5, 5), peek(sprite, 2, 2));
    EXPECT_EQ(peek(testDisplay.backSurface, 7, 7), peek(sprite, 4, 4));
}

TEST_P(BlitAt, WhollyClippedBlitDrawsNothingAndIsNoError)
{
    OwnedSurface sprite(makePattern(4, 4));
    ASSERT_NE(sprite.get(), nullptr);
    EXPECT_TRUE(blitSurface(testDisplay.backSurface, PixelRect{-50, -50, -46, -46}, sprite, nullptr,
                            false));
    EXPECT_TRUE(
        blitSurface(testDisplay.backSurface, PixelRect{40, 0, 44, 4}, sprite, nullptr, false));
    EXPECT_EQ(countNonBlack(testDisplay.backSurface), 0);
}

// DirectDraw's refusals: a keyed blit from a surface without a key, a
// rectangle reaching outside a destination without a clip rectangle, a
// source rectangle outside the source or inverted (even where the
// destination would clip), an empty destination.
TEST_P(BlitAt, RefusedBlitsDrawNothingAndTheSameBlitsInsideTheBoundsAreTaken)
{
    OwnedSurface sheet(makePattern(8, 8));
    OwnedSurface sprite(makePattern(4, 4));
    OwnedSurface unclipped(createSurface(10, 10));
    ASSERT_NE(sheet.get(), nullptr);
    ASSERT_NE(sprite.get(), nullptr);
    ASSERT_NE(unclipped.get(), nullptr);
    const PixelRect beyondRight = {6, 0, 10, 4}, beforeTop = {0, -1, 4, 3}, inverted = {4, 4, 2, 6};
    const struct {
        const char* what;
        Surface* dest;
        PixelRect destRect;
        Surface* source;
        const PixelRect* sourceRect;
        bool keyed;
    } refused[] = {
        {"keyed without a key", testDisplay.backSurface, {0, 0, 4, 4}, sprite, nullptr, true},
        {"left of an unclipped surface", unclipped, {-1, 0, 3, 4}, sprite, nullptr, false},
        {"right of an unclipped surface", unclipped, {7, 0, 11, 4}, sprite, nullptr, false},
        {"above an unclipped surface", unclipped, {0, -2, 4, 2}, sprite, nullptr, false},
        {"below an unclipped surface", unclipped, {0, 8, 4, 12}, sprite, nullptr, false},
        {"source beyond its right edge",
         testDisplay.backSurface,
         {0, 0, 4, 4},
         sheet,
         &beyondRight,
         false},
        {"source before its top", testDisplay.backSurface, {0, 0, 4, 4}, sheet, &beforeTop, false},
        {"inverted source", testDisplay.backSurface, {0, 0, 2, 2}, sheet, &inverted, false},
        {"empty destination", testDisplay.backSurface, {5, 5, 5, 9}, sheet, nullptr, false},
    };
    for (const auto& r : refused)
        EXPECT_FALSE(blitSurface(r.dest, r.destRect, r.source, r.sourceRect, r.keyed)) << r.what;
    EXPECT_EQ(countNonBlack(testDisplay.backSurface), 0);
    EXPECT_EQ(countNonBlack(unclipped), 0);

    EXPECT_TRUE(blitSurface(unclipped, PixelRect{6, 6, 10, 10}, sprite, nullptr, false));
    expectPlacedAt(unclipped, sprite, 6, 6);
    const PixelRect cell = {5, 2, 8, 4};
    ASSERT_TRUE(blitSurface(testDisplay.backSurface, PixelRect{1, 1, 4, 3}, sheet, &cell, false));
    EXPECT_EQ(countNonBlack(testDisplay.backSurface), 6);
    EXPECT_EQ(peek(testDisplay.backSurface, 1, 1), peek(sheet, 5, 2));
    EXPECT_EQ(peek(testDisplay.backSurface, 3, 2), peek(sheet, 7, 3));
}

TEST_P(BlitAt, DifferentSizesStretchToTheNearestPixel)
{
    OwnedSurface sprite(makePattern(2, 2));
    ASSERT_NE(sprite.get(), nullptr);
    ASSERT_TRUE(
        blitSurface(testDisplay.backSurface, PixelRect{-2, 0, 2, 4}, sprite, nullptr, false));
    // The left half of the doubled picture is clipped away; what is left is
    // the source's right column, two pixels wide.
    EXPECT_EQ(peek(testDisplay.backSurface, 0, 0), peek(sprite, 1, 0));
    EXPECT_EQ(peek(testDisplay.backSurface, 1, 1), peek(sprite, 1, 0));
    EXPECT_EQ(peek(testDisplay.backSurface, 1, 3), peek(sprite, 1, 1));
    EXPECT_EQ(countNonBlack(testDisplay.backSurface), 8);

    fillSurface(testDisplay.backSurface, keyColour);
    ASSERT_TRUE(
        blitSurface(testDisplay.backSurface, PixelRect{0, 0, 1, 1}, sprite, nullptr, false));
    EXPECT_EQ(peek(testDisplay.backSurface, 0, 0), peek(sprite, 0, 0));
    EXPECT_EQ(countNonBlack(testDisplay.backSurface), 1);
}

TEST_P(BlitAt, BlitOfASurfaceOntoItselfReadsTheOriginalPixels)
{
    OwnedSurface s(makePattern(6, 1));
    ASSERT_NE(s.get(), nullptr);
    uint32_t first = peek(s, 0, 0), second = peek(s, 1, 0), third = peek(s, 2, 0);
    const PixelRect from = {0, 0, 3, 1};
    ASSERT_TRUE(blitSurface(s, PixelRect{1, 0, 4, 1}, s, &from, false));
    EXPECT_EQ(peek(s, 1, 0), first);
    EXPECT_EQ(peek(s, 2, 0), second);
    EXPECT_EQ(peek(s, 3, 0), third);
}

TEST_P(BlitAt, FlipShowsTheBackSurfaceAndKeepsItsClipRectangle)
{
    paint(testDisplay.backSurface, 3, 4, 0xFFFFFF);
    ASSERT_TRUE(flipDisplay(testDisplay));
    EXPECT_EQ(peek(testDisplay.primarySurface, 3, 4), 0xFFFFFFu);
    EXPECT_EQ(flipCount(testDisplay), 1);
    OwnedSurface sprite(makePattern(4, 4));
    ASSERT_NE(sprite.get(), nullptr);
    EXPECT_TRUE(
        blitSurface(testDisplay.backSurface, PixelRect{38, 28, 42, 32}, sprite, nullptr, false));
    failNextFlips(1);
    EXPECT_FALSE(flipDisplay(testDisplay));
    EXPECT_TRUE(flipDisplay(testDisplay));
    EXPECT_EQ(peek(testDisplay.primarySurface, 38, 28), peek(sprite, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Depths, BlitAt, ::testing::Values(16, 32));
