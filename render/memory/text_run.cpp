// The text of glyph_font.h on memory surfaces: one routine for every source
// of glyphs (text_run.h).
#include "render/memory/text_run.h"

#include "render/memory/display_drawing.h"
#include "render/memory/drawing_clock.h"
#include "render/memory/memory_surface.h"

void drawGlyphRun(Surface* surface, const GlyphSource& glyphs, const char* text, int32_t x,
                  int32_t y, uint32_t colour, bool opaque)
{
    if (!surface || !surface->image.pixels || !glyphs.font || !text)
        return;
    if (opaque) {
        int32_t width = 0;
        for (const char* p = text; *p; ++p)
            width += glyphs.advance(glyphs.font, static_cast<uint8_t>(*p));
        fillStored(surface, PixelRect{x, y, x + width, y + glyphs.cellHeight}, 0);
    }
    const uint32_t stored = storedFromGdi(surface, colour & 0xFFFFFF);
    int32_t pen = x;
    for (const char* p = text; *p; ++p) {
        const uint8_t ch = static_cast<uint8_t>(*p);
        glyphs.stamp(surface, glyphs.font, ch, pen, y, stored);
        pen += glyphs.advance(glyphs.font, ch);
    }
}

bool renderGlyphGrid(Surface* surface, Font* font, int32_t firstChar, int32_t lastChar,
                     int32_t* charWidths, int32_t& cellWidth, int32_t& cellHeight,
                     int32_t& charExtra)
{
    if (!surface || !surface->image.pixels || !font)
        return false;
    const GlyphSource glyphs = glyphSourceOf(font);
    for (int32_t c = firstChar; c <= lastChar; ++c)
        charWidths[c - firstChar] = glyphs.advance(font, static_cast<uint8_t>(c));
    cellWidth = glyphs.gridCellWidth(font);
    cellHeight = glyphs.cellHeight;
    charExtra = 0;
    // Ten characters a row, as the glyph font reads them back.
    int32_t column = 0, row = 0;
    for (int32_t c = firstChar; c <= lastChar; ++c) {
        const char text[2] = {static_cast<char>(c), 0};
        drawGlyphRun(surface, glyphs, text, column * cellWidth, row * cellHeight, textColour, true);
        if (column == 9) {
            column = 0;
            row += 1;
        } else {
            column += 1;
        }
    }
    return true;
}

int drawGdiText(Surface* surface, const char* text, int32_t x, int32_t y, Font* font,
                uint32_t colour, int32_t backgroundMode)
{
    DrawingTimer timer;
    if (skipsDrawingOnto(surface) || !font)
        return 0;
    drawGlyphRun(surface, glyphSourceOf(font), text, x, y, colour,
                 backgroundMode != transparentBackground);
    return 0;
}
