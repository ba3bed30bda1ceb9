// What a Font is in the SDL backend, and the one text primitive that the
// glyph grids and the device-context text share. Private to render/sdl.
#pragma once

#include <SDL_ttf.h>

#include <cstdint>
#include <mutex>

#include "render/glyph_font.h"

struct Font {
    TTF_Font* ttf = nullptr;  // borrowed from the faces the process keeps
    int32_t cellHeight = 0;   // tmHeight: the requested cell height
    int32_t lift = 0;         // rows the glyphs are raised so descenders fit
    // The face's solid renderings by byte (256, null until first drawn),
    // kept with the face.
    SDL_Surface** glyphs = nullptr;
};

// SDL_ttf's faces and the glyphs kept with them are the process's, while
// worlds on displays of their own may draw text from two threads at once:
// every use of them holds this lock.
extern std::mutex faceLock;

// Text as GDI's TextOutA draws it at (x, y), top-left aligned, no kerning:
// each byte is one character of the ANSI code page. Opaque paints the
// text's box (advances x cell height) black first. Ink stays within the
// box's rows and the surface.
void drawTextRun(Surface* surface, Font* font, const char* text, int32_t x, int32_t y,
                 uint32_t colour, bool opaque);

// Advance width of one character (a byte of the ANSI code page).
int32_t characterAdvance(Font* font, uint8_t ch);
// The ink of one character with its pen at penX and the cell's top at y.
void drawCharacter(Surface* surface, Font* font, uint8_t ch, int32_t penX, int32_t y,
                   uint32_t stored);
