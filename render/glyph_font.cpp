// A font rendered once into a grid of glyph cells, so that per-frame text
// is one keyed blit per character and needs no device context.
#include "render/glyph_font.h"

#include <string>

namespace {

constexpr int32_t gridSize = 300;
constexpr int32_t gridColumns = 10;

}  // namespace

GlyphFont::GlyphFont(const char* face, int32_t height, int32_t weight)
{
    glyphSurface_ = createSurface(gridSize, gridSize);
    if (!glyphSurface_)
        return;  // an empty font: every cell is empty, nothing draws
    fillSurface(glyphSurface_, keyColour);
    setColourKey(glyphSurface_, keyColour);
    try {
        font_ = createFont(face, height, weight);
    } catch (...) {
        release();  // the destructor does not run for a half-built font
        throw;
    }
    if (!font_)
        return;
    // Without a device context the metrics stay 0 and nothing draws.
    renderGlyphGrid(glyphSurface_, font_, firstChar_, lastChar_, charWidths_, cellWidth_,
                    cellHeight_, charExtra_);
}

GlyphFont::~GlyphFont()
{
    release();
    deleteFont(font_);
}

void GlyphFont::release()
{
    releaseSurface(glyphSurface_);
    glyphSurface_ = nullptr;
}

int32_t GlyphFont::charWidth(int32_t ch) const
{
    if (ch < firstChar_ || ch > lastChar_)
        return 0;
    return charWidths_[ch - firstChar_];
}

void GlyphFont::drawText(Surface* dest, const char* text, int32_t x, int32_t y, int32_t keyed) const
{
    if (!text)
        return;
    int32_t pen = 0;
    for (const char* p = text; *p; ++p) {
        int32_t ch = static_cast<signed char>(*p);
        if (ch >= firstChar_ && ch <= lastChar_) {
            int32_t k = ch - firstChar_;
            PixelRect source = {(k % gridColumns) * cellWidth_, (k / gridColumns) * cellHeight_, 0,
                                0};
            source.right = source.left + cellWidth_;
            source.bottom = source.top + cellHeight_;
            if (cellWidth_ > 0 && cellHeight_ > 0) {
                PixelRect target = {x + pen, y, x + pen + cellWidth_, y + cellHeight_};
                blitSurface(dest, target, glyphSurface_, &source, keyed == 1);
                pen += charWidths_[k];
            }
        } else if (ch == ' ') {
            pen += charExtra_;
        }
    }
}

int drawGdiNumber(Surface* surface, int32_t value, int32_t x, int32_t y, Font* font,
                  uint32_t colour, int32_t backgroundMode)
{
    std::string text = std::to_string(value);
    return drawGdiText(surface, text.c_str(), x, y, font, colour, backgroundMode);
}

void GlyphFont::drawNumber(Surface* dest, int32_t value, int32_t x, int32_t y, int32_t keyed) const
{
    std::string text = std::to_string(value);
    drawText(dest, text.c_str(), x, y, keyed);
}
