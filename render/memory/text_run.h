// Text on memory surfaces as GDI's TextOutA draws it, whatever the glyphs
// come from: SDL_ttf for the native displays (render/sdl), the pre-drawn
// faces for the page (render/web). Each of those backends says how its
// font's characters advance and stamps their ink; the rest is here once.
#pragma once

#include <cstdint>

#include "render/glyph_font.h"

struct GlyphSource {
    Font* font;
    int32_t cellHeight;  // tmHeight: every line of text is this tall
    // The glyph grid's cell width: the widest character's.
    int32_t (*gridCellWidth)(Font* font);
    // How far `ch` (a byte of the ANSI code page) moves the pen.
    int32_t (*advance)(Font* font, uint8_t ch);
    // The ink of `ch` with the pen at x and the cell's top at y, kept within
    // the cell's rows and the surface.
    void (*stamp)(Surface* surface, Font* font, uint8_t ch, int32_t x, int32_t y, uint32_t stored);
};

// The backend's glyphs for `font`; defined by render/sdl and render/web.
GlyphSource glyphSourceOf(Font* font);

// At (x, y), top-left aligned, no kerning, each byte one character. Opaque
// paints the text's box (advances x cell height) black first.
void drawGlyphRun(Surface* surface, const GlyphSource& glyphs, const char* text, int32_t x,
                  int32_t y, uint32_t colour, bool opaque);
