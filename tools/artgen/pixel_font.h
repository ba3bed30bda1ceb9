// Two hand-drawn bitmap fonts for titles, credits and tags: a 5 x 7 font with
// lower case, and a 3 x 5 capitals font for the tiniest pictures. Glyphs are
// trimmed to their inked columns, so text is proportionally spaced.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tools/artgen/image.h"

enum class FontSize { regular, mini };

int32_t fontHeight(FontSize size);
int32_t textWidth(const std::string& text, FontSize size);
// Calls `ink` for every set pixel of `text` laid out from (0, 0).
void forEachTextPixel(const std::string& text, FontSize size,
                      const std::function<void(int32_t x, int32_t y)>& ink);
// Plain text, each font pixel a `scale` x `scale` block.
void drawText(Image& image, int32_t x, int32_t y, const std::string& text, FontSize size,
              Rgb colour, int32_t scale = 1);
