// Text drawn as GDI's TextOutA draws it onto a surface's device context.
#include "render/memory/memory_surface.h"
#include "render/memory/text_run.h"
#include "render/sdl/sdl_font.h"

namespace {

// Windows-1252 in 0x80..0x9F; the rest of the code page is Latin-1.
const uint16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t codePoint(uint8_t ch) { return ch >= 0x80 && ch < 0xA0 ? windows1252High[ch - 0x80] : ch; }

// Copies the ink of one rendered glyph (index 0 is the background of a
// solid rendering) at (x, y), clipped to the rows [top, bottom) and to the
// surface.
void stampGlyph(Surface* surface, const SDL_Surface* glyph, int32_t x, int32_t y, int32_t top,
                int32_t bottom, uint32_t stored)
{
    for (int32_t gy = 0; gy < glyph->h; ++gy) {
        int32_t dy = y + gy;
        if (dy < top || dy >= bottom || dy < 0 || dy >= surface->image.h)
            continue;
        const uint8_t* row = static_cast<const uint8_t*>(glyph->pixels) + gy * glyph->pitch;
        for (int32_t gx = 0; gx < glyph->w; ++gx) {
            int32_t dx = x + gx;
            if (row[gx] != 0 && dx >= 0 && dx < surface->image.w)
                storeStored(surface, dx, dy, stored);
        }
    }
}

// Rendered once per face and character: the countdown redraws its line
// every frame.
SDL_Surface* renderedGlyph(Font* font, uint8_t ch)
{
    SDL_Surface*& kept = font->glyphs[ch];
    if (!kept)
        kept = TTF_RenderGlyph32_Solid(font->ttf, codePoint(ch), SDL_Color{255, 255, 255, 255});
    return kept;
}

}  // namespace

void drawCharacter(Surface* surface, Font* font, uint8_t ch, int32_t penX, int32_t y,
                   uint32_t stored)
{
    int minx, maxx, miny, maxy, advance;
    if (TTF_GlyphMetrics32(font->ttf, codePoint(ch), &minx, &maxx, &miny, &maxy, &advance) != 0)
        return;
    SDL_Surface* glyph = renderedGlyph(font, ch);
    if (!glyph)
        return;  // blanks have no ink and may render nothing
    // A solid rendering starts at the ink's left edge when it lies left of
    // the pen, so the glyph's origin is that far into the picture.
    int32_t originOffset = minx < 0 ? -minx : 0;
    if (SDL_LockSurface(glyph) == 0) {
        stampGlyph(surface, glyph, penX - originOffset, y - font->lift, y, y + font->cellHeight,
                   stored);
        SDL_UnlockSurface(glyph);
    }
}

int32_t characterAdvance(Font* font, uint8_t ch)
{
    int minx, maxx, miny, maxy, advance;
    if (TTF_GlyphMetrics32(font->ttf, codePoint(ch), &minx, &maxx, &miny, &maxy, &advance) != 0)
        return 0;
    return advance;
}

void drawTextRun(Surface* surface, Font* font, const char* text, int32_t x, int32_t y,
                 uint32_t colour, bool opaque)
{
    if (font)
        drawGlyphRun(surface, glyphSourceOf(font), text, x, y, colour, opaque);
}
