// Fonts and device-context text of the SDL backend: sizes as GDI reads a
// height, the glyph grid's layout, and the two background modes.
#include <gtest/gtest.h>

#include "render/glyph_font.h"
#include "render/sdl/utf8_text.h"
#include "tests/render/display_fixture.h"
#include "tests/render/pixel_probe.h"

namespace {

using namespace pixelprobe;

class TextAt : public HeadlessDisplayAt<320, 320> {
protected:
    void SetUp() override
    {
        HeadlessDisplayAt::SetUp();
        if (HasFatalFailure())
            return;
        font = createFont("Westminster", 13, 100);
        ASSERT_NE(font, nullptr);
    }
    void TearDown() override
    {
        deleteFont(font);
        HeadlessDisplayAt::TearDown();
    }
    Font* font = nullptr;
};

constexpr uint32_t magenta = 0xFF00FF;

}  // namespace

TEST_P(TextAt, TransparentTextLeavesTheBackgroundAndOpaqueTextPaintsItBlack)
{
    fillSurface(testDisplay.backSurface, matchColour(testDisplay.backSurface, magenta));
    EXPECT_EQ(drawGdiText(testDisplay.backSurface, "Peak", 10, 10, font, textColour,
                          transparentBackground),
              0);
    PixelRect box = {10, 10, 60, 23};
    int32_t ink = countIn(testDisplay.backSurface, box, textColour);
    EXPECT_GT(ink, 10);
    EXPECT_EQ(countIn(testDisplay.backSurface, box, keyColour), 0);

    fillSurface(testDisplay.backSurface, matchColour(testDisplay.backSurface, magenta));
    drawGdiText(testDisplay.backSurface, "Peak", 10, 10, font, textColour, opaqueBackground);
    EXPECT_EQ(countIn(testDisplay.backSurface, box, textColour), ink);  // the same glyphs
    EXPECT_GT(countIn(testDisplay.backSurface, box, keyColour), 100);
    // The box is the text's cell: nothing above or left of it changes.
    EXPECT_EQ(peek(testDisplay.backSurface, 9, 10), magenta);
    EXPECT_EQ(peek(testDisplay.backSurface, 10, 9), magenta);
    EXPECT_EQ(peek(testDisplay.backSurface, 10, 10), keyColour);
    EXPECT_EQ(peek(testDisplay.backSurface, 10, 22), keyColour);
    EXPECT_EQ(peek(testDisplay.backSurface, 10, 23), magenta);
}

TEST_P(TextAt, TextTakesTheRequestedColour)
{
    drawGdiText(testDisplay.backSurface, "MMM", 0, 0, font, 0x0000FF, transparentBackground);
    PixelRect box = {0, 0, 40, 13};
    EXPECT_GT(countIn(testDisplay.backSurface, box, 0x0000FF), 10);
    EXPECT_EQ(countIn(testDisplay.backSurface, box, textColour), 0);
}

TEST_P(TextAt, NumbersAreDrawnAsTheirDecimalText)
{
    OwnedSurface other(createSurface(320, 320));
    ASSERT_NE(other.get(), nullptr);
    drawGdiNumber(testDisplay.backSurface, -199, 5, 5, font, textColour, opaqueBackground);
    drawGdiText(other, "-199", 5, 5, font, textColour, opaqueBackground);
    PixelRect box = {0, 0, 60, 20};
    EXPECT_EQ(countDiffering(testDisplay.backSurface, other, box), 0);
    EXPECT_GT(countIn(testDisplay.backSurface, box, textColour), 0);
}

TEST_P(TextAt, TextIsClippedAtTheSurfaceEdgesAndMissingPartsAreHarmless)
{
    drawGdiText(testDisplay.backSurface,
                "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", -5, 314, font,
                textColour, opaqueBackground);
    EXPECT_GT(countIn(testDisplay.backSurface, PixelRect{0, 314, 320, 320}, textColour), 0);
    drawGdiText(testDisplay.backSurface, "", 0, 0, font, textColour, opaqueBackground);
    drawGdiText(testDisplay.backSurface, nullptr, 0, 0, font, textColour, opaqueBackground);
    drawGdiText(nullptr, "x", 0, 0, font, textColour, opaqueBackground);
    drawGdiText(testDisplay.backSurface, "x", 0, 0, nullptr, textColour, opaqueBackground);
    EXPECT_EQ(countIn(testDisplay.backSurface, PixelRect{0, 0, 320, 300}, keyColour), 320 * 300);
}

TEST_P(TextAt, GridPutsEachCharacterInItsCellAndReportsTheMetrics)
{
    OwnedSurface grid(createSurface(300, 300));
    ASSERT_NE(grid.get(), nullptr);
    int32_t widths[100] = {};
    int32_t cellWidth = -1, cellHeight = -1, charExtra = -1;
    ASSERT_TRUE(renderGlyphGrid(grid, font, 33, 122, widths, cellWidth, cellHeight, charExtra));
    EXPECT_EQ(cellHeight, 13);  // a positive height is the cell's
    EXPECT_GT(cellWidth, 0);
    EXPECT_EQ(charExtra, 0);
    EXPECT_EQ(widths[89] > 0, true);  // 'z'
    EXPECT_EQ(widths[90], 0);         // beyond the grid: untouched

    // 'A' (65) sits in column 2, row 3; drawn alone it looks the same.
    fillSurface(testDisplay.backSurface, keyColour);
    drawGdiText(testDisplay.backSurface, "A", 0, 0, font, textColour, opaqueBackground);
    int32_t left = 2 * cellWidth, top = 3 * cellHeight, ink = 0;
    for (int32_t y = 0; y < cellHeight; ++y)
        for (int32_t x = 0; x < cellWidth; ++x) {
            ASSERT_EQ(peek(grid, left + x, top + y), peek(testDisplay.backSurface, x, y))
                << x << "," << y;
            ink += peek(grid, left + x, top + y) == textColour;
        }
    EXPECT_GT(ink, 5);
}

TEST_P(TextAt, GridWithoutASurfaceLeavesTheMetricsUntouched)
{
    int32_t widths[100] = {};
    int32_t cellWidth = 7, cellHeight = 8, charExtra = 9;
    EXPECT_FALSE(renderGlyphGrid(nullptr, font, 33, 122, widths, cellWidth, cellHeight, charExtra));
    EXPECT_EQ(cellWidth, 7);
    EXPECT_EQ(cellHeight, 8);
    EXPECT_EQ(charExtra, 9);
    EXPECT_EQ(widths[0], 0);
}

// The saver's own lines are UTF-8: each character looks as the world's
// ANSI text draws it, and a byte that starts no UTF-8 character (a Latin-1
// file name) stays that byte of the code page.
TEST_P(TextAt, Utf8TextDrawsTheCharactersTheAnsiTextDraws)
{
    struct Case {
        const char* utf8;
        const char* ansi;
    };
    const Case cases[] = {
        {"h\xC3\xB6m\xC3\xA9", "h\xF6m\xE9"},              // "hömé"
        {"\xE2\x82\xAC 5", "\x80 5"},                      // the euro sign, of 0x80..0x9F
        {"h\xF6m\xE9", "h\xF6m\xE9"},                      // Latin-1 bytes
        {"end \xC3", "end \xC3"},                          // cut short
        {"\xC0\xAF\xED\xA0\x80", "\xC0\xAF\xED\xA0\x80"},  // overlong, a surrogate
    };
    Surface* ansi = testDisplay.primarySurface;
    for (const Case& c : cases) {
        fillSurface(testDisplay.backSurface, keyColour);
        fillSurface(ansi, keyColour);
        EXPECT_EQ(
            drawUtf8Text(testDisplay.backSurface, c.utf8, 5, 5, font, textColour, opaqueBackground),
            0);
        drawGdiText(ansi, c.ansi, 5, 5, font, textColour, opaqueBackground);
        PixelRect all = {0, 0, 320, 40};
        EXPECT_GT(countIn(testDisplay.backSurface, all, textColour), 10) << c.ansi;
        EXPECT_EQ(countDiffering(testDisplay.backSurface, ansi, all), 0) << c.ansi;
    }
    // The bytes of UTF-8 drawn as ANSI are what the saver used to show.
    drawGdiText(ansi, "h\xC3\xB6m\xC3\xA9", 5, 5, font, textColour, opaqueBackground);
    drawUtf8Text(testDisplay.backSurface, "h\xC3\xB6m\xC3\xA9", 5, 5, font, textColour,
                 opaqueBackground);
    EXPECT_GT(countDiffering(testDisplay.backSurface, ansi, PixelRect{0, 0, 320, 40}), 10);
}

// Beyond the code page (Cyrillic, Greek) the face's own glyphs are drawn,
// each one advancing the pen.
TEST_P(TextAt, Utf8TextBeyondTheCodePageHasItsGlyphs)
{
    fillSurface(testDisplay.backSurface, keyColour);
    drawUtf8Text(testDisplay.backSurface, "\xD0\x96", 5, 5, font, textColour,
                 transparentBackground);
    const int32_t one = countIn(testDisplay.backSurface, PixelRect{0, 0, 320, 40}, textColour);
    EXPECT_GT(one, 5);
    fillSurface(testDisplay.backSurface, keyColour);
    drawUtf8Text(testDisplay.backSurface, "\xD0\x96\xD0\x96", 5, 5, font, textColour,
                 transparentBackground);
    EXPECT_EQ(countIn(testDisplay.backSurface, PixelRect{0, 0, 320, 40}, textColour), 2 * one);
}

INSTANTIATE_TEST_SUITE_P(Depths, TextAt, ::testing::Values(16, 32));

TEST(Fonts, EveryFaceFindsAFontAndBoldIsHeavier)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 200, 40, 32));
    Font* regular = createFont("Arial", 11, 400);
    Font* bold = createFont("arial", 11, 600);
    Font* unknown = createFont("No Such Face", 11, 400);
    ASSERT_NE(regular, nullptr);
    ASSERT_NE(bold, nullptr);
    ASSERT_NE(unknown, nullptr);
    drawGdiText(testDisplay.backSurface, "Vitals 88", 0, 0, regular, textColour,
                transparentBackground);
    drawGdiText(testDisplay.backSurface, "Vitals 88", 0, 20, bold, textColour,
                transparentBackground);
    int32_t thin = countIn(testDisplay.backSurface, PixelRect{0, 0, 200, 20}, textColour);
    int32_t heavy = countIn(testDisplay.backSurface, PixelRect{0, 20, 200, 40}, textColour);
    EXPECT_GT(thin, 0);
    EXPECT_GT(heavy, thin);
    deleteFont(regular);
    deleteFont(bold);
    deleteFont(unknown);
    deleteFont(nullptr);
    closeHeadlessDisplay(testDisplay);
}

TEST(Fonts, TextStaysInsideTheCellOfTheRequestedHeight)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 200, 60, 32));
    for (int32_t height : {9, 11, 13, 20}) {
        Font* font = createFont("Arial", height, 600);
        ASSERT_NE(font, nullptr);
        fillSurface(testDisplay.backSurface, keyColour);
        drawGdiText(testDisplay.backSurface, "Hgjy|", 4, 10, font, textColour,
                    transparentBackground);
        EXPECT_GT(countIn(testDisplay.backSurface, PixelRect{0, 10, 200, 10 + height}, textColour),
                  0);
        EXPECT_EQ(countIn(testDisplay.backSurface, PixelRect{0, 0, 200, 10}, textColour), 0)
            << height;
        EXPECT_EQ(countIn(testDisplay.backSurface, PixelRect{0, 10 + height, 200, 60}, textColour),
                  0)
            << height;
        // A taller request gives taller glyphs.
        EXPECT_GT(countIn(testDisplay.backSurface, PixelRect{0, 10, 200, 10 + height}, textColour),
                  height);
        deleteFont(font);
    }
    closeHeadlessDisplay(testDisplay);
}
