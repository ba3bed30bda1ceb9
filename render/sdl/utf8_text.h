// Text in UTF-8, the encoding of the Linux saver's own messages (file
// names, the user's folders), drawn as drawGdiText draws the world's ANSI
// text, in the same fonts.
#pragma once

#include <cstdint>

#include "render/glyph_font.h"

// As drawGdiText, but each character is a UTF-8 sequence; a byte that
// starts none is read as a character of the ANSI code page. Returns 0.
int drawUtf8Text(Surface* surface, const char* text, int32_t x, int32_t y, Font* font,
                 uint32_t colour, int32_t backgroundMode);
