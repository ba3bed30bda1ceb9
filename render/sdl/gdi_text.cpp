// Text drawn as GDI's TextOutA draws it onto a surface's device context,
// and the Linux saver's own messages in UTF-8 the same way, in the same fonts.
#include <vector>

#include "render/memory/display_drawing.h"
#include "render/memory/drawing_clock.h"
#include "render/memory/memory_surface.h"
#include "render/memory/text_run.h"
#include "render/sdl/sdl_font.h"
#include "render/sdl/utf8_text.h"

namespace {

// Windows-1252 in 0x80..0x9F; the rest of the code page is Latin-1.
const uint16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t codePoint(uint8_t ch) { return ch >= 0x80 && ch < 0xA0 ? windows1252High[ch - 0x80] : ch; }

// The byte of the ANSI code page for a character, or -1 where it has none;
// its glyph is then rendered for each use instead of kept.
int32_t ansiByte(uint32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<int32_t>(character);
    for (int32_t i = 0; i < 32; ++i) {
        if (windows1252High[i] == character)
            return 0x80 + i;
    }
    return -1;
}

// The characters of UTF-8 text. A byte that starts no well-formed sequence
// (Latin-1 file names exist too) stands for itself in the ANSI code page.
std::vector<uint32_t> utf8Characters(const char* text)
{
    std::vector<uint32_t> characters;
    const auto* at = reinterpret_cast<const unsigned char*>(text);
    while (*at != 0) {
        const unsigned char lead = *at;
        const int32_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 1;
        uint32_t character = length == 1 ? lead : lead & (0x7F >> length);
        int32_t taken = 1;
        while (taken < length && (at[taken] & 0xC0) == 0x80)
            character = (character << 6) | (at[taken++] & 0x3F);
        const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        const bool wellFormed =
            length == 1 || (taken == length && character >= least[length] &&
                            character <= 0x10FFFF && (character < 0xD800 || character > 0xDFFF));
        if (length > 1 && wellFormed) {
            characters.push_back(character);
            at += length;
        } else {
            characters.push_back(codePoint(lead));
            at += 1;
        }
    }
    return characters;
}

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

// Rendered once per face and character of the code page: the countdown
// redraws its line every frame. Others are rendered for each use and freed
// by the caller (owned true).
SDL_Surface* renderedGlyph(Font* font, uint32_t character, bool& owned)
{
    const int32_t byte = ansiByte(character);
    owned = byte < 0;
    if (owned)
        return TTF_RenderGlyph32_Solid(font->ttf, character, SDL_Color{255, 255, 255, 255});
    SDL_Surface*& kept = font->glyphs[byte];
    if (!kept)
        kept = TTF_RenderGlyph32_Solid(font->ttf, character, SDL_Color{255, 255, 255, 255});
    return kept;
}

int32_t advanceOf(Font* font, uint32_t character)
{
    int minx, maxx, miny, maxy, advance;
    if (TTF_GlyphMetrics32(font->ttf, character, &minx, &maxx, &miny, &maxy, &advance) != 0)
        return 0;
    return advance;
}

void inkCharacter(Surface* surface, Font* font, uint32_t character, int32_t penX, int32_t y,
                  uint32_t stored)
{
    int minx, maxx, miny, maxy, advance;
    if (TTF_GlyphMetrics32(font->ttf, character, &minx, &maxx, &miny, &maxy, &advance) != 0)
        return;
    bool owned = false;
    SDL_Surface* glyph = renderedGlyph(font, character, owned);
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
    if (owned)
        SDL_FreeSurface(glyph);
}

}  // namespace

void drawCharacter(Surface* surface, Font* font, uint8_t ch, int32_t penX, int32_t y,
                   uint32_t stored)
{
    std::lock_guard<std::mutex> hold(faceLock);
    inkCharacter(surface, font, codePoint(ch), penX, y, stored);
}

int32_t characterAdvance(Font* font, uint8_t ch)
{
    std::lock_guard<std::mutex> hold(faceLock);
    return advanceOf(font, codePoint(ch));
}

void drawTextRun(Surface* surface, Font* font, const char* text, int32_t x, int32_t y,
                 uint32_t colour, bool opaque)
{
    if (font)
        drawGlyphRun(surface, glyphSourceOf(font), text, x, y, colour, opaque);
}

// UTF-8 reaches characters beyond the code page, which the glyph runs of the
// world's text (a byte each) cannot name, so the run is walked here.
int drawUtf8Text(Surface* surface, const char* text, int32_t x, int32_t y, Font* font,
                 uint32_t colour, int32_t backgroundMode)
{
    DrawingTimer timer;
    if (!surface || skipsDrawingOnto(surface) || !surface->image.pixels || !text || !font)
        return 0;
    const std::vector<uint32_t> characters = utf8Characters(text);
    std::lock_guard<std::mutex> hold(faceLock);
    if (backgroundMode != transparentBackground) {
        int32_t width = 0;
        for (uint32_t character : characters)
            width += advanceOf(font, character);
        fillStored(surface, PixelRect{x, y, x + width, y + font->cellHeight}, 0);
    }
    const uint32_t stored = storedFromGdi(surface, colour & 0xFFFFFF);
    int32_t pen = x;
    for (uint32_t character : characters) {
        inkCharacter(surface, font, character, pen, y, stored);
        pen += advanceOf(font, character);
    }
    return 0;
}
