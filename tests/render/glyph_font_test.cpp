// Glyph-grid fonts: which characters draw, how the pen moves, keyed and
// opaque cells, and the empty font of a failed set-up. Drawings are
// compared with drawings built from single characters, so the tests hold
// for any face the platform picks.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "render/glyph_font.h"
#include "tests/render/display_fixture.h"
#include "tests/render/pixel_probe.h"

namespace {

constexpr int32_t width = 160;
constexpr int32_t height = 24;

class Canvas {
public:
    Surface* get() const { return surface_; }

    uint32_t at(int32_t x, int32_t y) const { return pixelprobe::peek(surface_, x, y); }
    int32_t count(uint32_t colour) const { return pixelprobe::countAll(surface_, colour); }
    bool sameAs(const Canvas& other) const
    {
        return pixelprobe::countDiffering(surface_, other.surface_, {0, 0, width, height}) == 0;
    }

private:
    pixelprobe::OwnedSurface surface_{createSurface(width, height)};
};

class GlyphFontTest : public HeadlessDisplayAt<width, height> {
protected:
    void SetUp() override
    {
        HeadlessDisplayAt::SetUp();
        if (HasFatalFailure())
            return;
        font = new GlyphFont("Arial", 11, 600);
        ASSERT_GT(font->cellWidth(), 0);
        ASSERT_GT(font->cellHeight(), 0);
    }
    void TearDown() override
    {
        delete font;
        HeadlessDisplayAt::TearDown();
    }

    // The text drawn one character at a time, the pen moved by hand.
    void drawByHand(Surface* s, const std::string& text, int32_t x, int32_t y, int32_t keyed)
    {
        int32_t pen = 0;
        for (char c : text) {
            char one[2] = {c, 0};
            font->drawText(s, one, x + pen, y, keyed);
            pen += font->charWidth(static_cast<unsigned char>(c));
        }
    }

    GlyphFont* font = nullptr;
};

}  // namespace

TEST_P(GlyphFontTest, CellsHoldEveryCharacterOfTheGrid)
{
    for (int32_t c = 33; c <= 122; ++c) {
        EXPECT_GT(font->charWidth(c), 0) << c;
        EXPECT_LE(font->charWidth(c), font->cellWidth()) << c;
    }
    EXPECT_EQ(font->charWidth(32), 0);
    EXPECT_EQ(font->charWidth(123), 0);
    EXPECT_NE(font->font(), nullptr);
    // The system's two fonts fit the 300 x 300 grid.
    EXPECT_LE(font->cellWidth(), 30);
    EXPECT_LE(font->cellHeight(), 33);
}

TEST_P(GlyphFontTest, GlyphsArePureWhiteWithNoFringe)
{
    Canvas c;
    font->drawText(c.get(), "Wg8@", 2, 2, 1);
    int32_t white = c.count(textColour);
    EXPECT_GT(white, 20);
    EXPECT_EQ(white + c.count(keyColour), width * height);
}

TEST_P(GlyphFontTest, PenMovesByEachCharactersOwnWidth)
{
    Canvas drawn, byHand;
    font->drawText(drawn.get(), "-12", 5, 3, 1);
    drawByHand(byHand.get(), "-12", 5, 3, 1);
    EXPECT_TRUE(drawn.sameAs(byHand));
    Canvas dashOnly;
    font->drawText(dashOnly.get(), "-", 5, 3, 1);
    EXPECT_GT(dashOnly.count(textColour), 0);  // "-" is in the grid
    EXPECT_GT(drawn.count(textColour), dashOnly.count(textColour));
}

TEST_P(GlyphFontTest, BlanksDrawNothingAndAdvanceOnlyByTheExtraGap)
{
    Canvas blanks;
    font->drawText(blanks.get(), "     ", 0, 0, 1);
    font->drawText(blanks.get(), "     ", 0, 0, 0);
    EXPECT_EQ(blanks.count(keyColour), width * height);

    Canvas label, bare;
    font->drawText(label.get(), "History: ", 15, 4, 1);
    font->drawText(bare.get(), "History:", 15, 4, 1);
    EXPECT_TRUE(label.sameAs(bare));
    // The extra gap is 0 here, so an inner blank closes up the text.
    Canvas spaced, closed;
    font->drawText(spaced.get(), "a b", 0, 0, 1);
    font->drawText(closed.get(), "ab", 0, 0, 1);
    EXPECT_TRUE(spaced.sameAs(closed));
}

TEST_P(GlyphFontTest, CharactersOutsideTheGridAreSkippedWithoutMovingThePen)
{
    Canvas plain;
    font->drawText(plain.get(), "ab", 3, 3, 1);
    const char* const withOthers[] = {"a{b",
                                      "a~b",
                                      "a\x7F"
                                      "b",
                                      "a\xE9"
                                      "b",
                                      "a\x80"
                                      "b",
                                      "\x01"
                                      "a\tb",
                                      "a}|b"};
    for (const char* text : withOthers) {
        Canvas c;
        font->drawText(c.get(), text, 3, 3, 1);
        EXPECT_TRUE(c.sameAs(plain)) << text;
    }
}

TEST_P(GlyphFontTest, NumbersDrawAsSignedDecimalText)
{
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0"}, {-12, "-12"}, {907, "907"}, {INT_MIN, "-2147483648"}, {INT_MAX, "2147483647"}};
    for (const auto& [value, text] : cases) {
        Canvas number, asText;
        font->drawNumber(number.get(), value, 1, 2, 1);
        font->drawText(asText.get(), text, 1, 2, 1);
        EXPECT_TRUE(number.sameAs(asText)) << text;
        EXPECT_GT(number.count(textColour), 0) << text;
    }
}

TEST_P(GlyphFontTest, KeyedZeroCopiesWholeCellsOverWhatLiesBeneath)
{
    uint32_t grey = 0xFF00FF;  // exact at 16 bits too
    Canvas keyed, opaque;
    fillSurface(keyed.get(), matchColour(keyed.get(), grey));
    fillSurface(opaque.get(), matchColour(opaque.get(), grey));
    font->drawText(keyed.get(), "i", 10, 4, 1);
    font->drawText(opaque.get(), "i", 10, 4, 0);
    int32_t cellArea = font->cellWidth() * font->cellHeight();
    int32_t ink = keyed.count(textColour);
    EXPECT_EQ(keyed.count(grey), width * height - ink);
    EXPECT_EQ(opaque.count(keyColour), cellArea - ink);
    EXPECT_EQ(opaque.at(10 + font->cellWidth() - 1, 4 + font->cellHeight() - 1), keyColour);
    EXPECT_EQ(opaque.at(10 + font->cellWidth(), 4), grey);

    // Any value but 1 is opaque; later cells cover the earlier cell's part
    // beyond its advance, so the result is the single cells in order.
    Canvas keyedTwo;
    fillSurface(keyedTwo.get(), matchColour(keyedTwo.get(), grey));
    font->drawText(keyedTwo.get(), "i", 10, 4, 2);
    EXPECT_TRUE(keyedTwo.sameAs(opaque));
    Canvas two, byHand;
    font->drawText(two.get(), "iW", 0, 0, 2);
    drawByHand(byHand.get(), "iW", 0, 0, 2);
    EXPECT_TRUE(two.sameAs(byHand));
}

TEST_P(GlyphFontTest, TextAtTheBackSurfacesEdgeIsCutOff)
{
    fillSurface(testDisplay.backSurface, keyColour);
    font->drawText(testDisplay.backSurface, "W", -3, -2, 1);
    EXPECT_GT(pixelprobe::countIn(testDisplay.backSurface, PixelRect{0, 0, 8, 8}, textColour), 0);
}

TEST_P(GlyphFontTest, ReleasedFontDrawsNothing)
{
    font->release();
    Canvas c;
    font->drawText(c.get(), "Peak", 0, 0, 0);
    EXPECT_EQ(c.count(keyColour), width * height);
}

INSTANTIATE_TEST_SUITE_P(Depths, GlyphFontTest, ::testing::Values(16, 32));

// Without a display no glyph surface can be made: the font stays empty and
// every later draw is a no-op.
TEST(GlyphFontFailure, FontWithoutASurfaceIsEmptyAndDrawsNothing)
{
    closeHeadlessDisplay(testDisplay);
    GlyphFont empty("Arial", 11, 600);
    EXPECT_EQ(empty.font(), nullptr);
    EXPECT_EQ(empty.cellWidth(), 0);
    EXPECT_EQ(empty.cellHeight(), 0);
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 32, 16, 16));
    empty.drawText(testDisplay.backSurface, "History: ", 0, 0, 1);
    empty.drawNumber(testDisplay.backSurface, 42, 0, 0, 0);
    beginPixelAccess(testDisplay.backSurface);
    EXPECT_EQ(readPixel(testDisplay.backSurface, 1, 8), 0u);
    endPixelAccess(testDisplay.backSurface);
    closeHeadlessDisplay(testDisplay);
}
