// Text on surfaces: glyph grids for per-frame text, device-context text for
// the occasional message.
#pragma once

#include <cstdint>

#include "render/surface.h"

// A platform font (an HFONT on Windows). Its layout is the backend's.
struct Font;

// Background modes of drawGdiText and drawGdiNumber.
constexpr int32_t transparentBackground = 1;
constexpr int32_t opaqueBackground = 2;

// Backend: creates a font by face, height and weight; null when it cannot.
Font* createFont(const char* face, int32_t height, int32_t weight);
void deleteFont(Font* font);

// Backend: renders characters firstChar..lastChar of the font, white on
// black, ten to a row in cells of the font's maximum width and height, and
// reports the metrics. False (metrics untouched) when the surface has no
// device context.
bool renderGlyphGrid(Surface* surface, Font* font, int32_t firstChar, int32_t lastChar,
                     int32_t* charWidths, int32_t& cellWidth, int32_t& cellHeight,
                     int32_t& charExtra);

// Backend: text through the surface's device context. Returns 0.
int drawGdiText(Surface* surface, const char* text, int32_t x, int32_t y, Font* font,
                uint32_t colour, int32_t backgroundMode);
// The value in signed decimal through drawGdiText. Returns 0.
int drawGdiNumber(Surface* surface, int32_t value, int32_t x, int32_t y, Font* font,
                  uint32_t colour, int32_t backgroundMode);

class GlyphFont {
public:
    GlyphFont(const char* face, int32_t height, int32_t weight);
    ~GlyphFont();
    GlyphFont(const GlyphFont&) = delete;
    GlyphFont& operator=(const GlyphFont&) = delete;

    void drawText(Surface* dest, const char* text, int32_t x, int32_t y, int32_t keyed) const;
    void drawNumber(Surface* dest, int32_t value, int32_t x, int32_t y, int32_t keyed) const;
    Font* font() const { return font_; }
    void release();

    int32_t cellWidth() const { return cellWidth_; }
    int32_t cellHeight() const { return cellHeight_; }
    int32_t charWidth(int32_t ch) const;

private:
    Surface* glyphSurface_ = nullptr;
    Font* font_ = nullptr;
    int32_t charWidths_[100] = {};
    int32_t cellWidth_ = 0;
    int32_t cellHeight_ = 0;
    int32_t firstChar_ = 33;
    int32_t lastChar_ = 122;
    int32_t charExtra_ = 0;
};
