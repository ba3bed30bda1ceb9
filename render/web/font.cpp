// Text on the web page's surfaces, drawn from the faces of glyph_faces.cpp
// the way the Linux backend draws them: GDI's TextOutA, top-left aligned,
// each byte one character, an opaque box the text's advances wide.
#include <strings.h>

#include "render/glyph_font.h"
#include "render/memory/memory_surface.h"
#include "render/memory/text_run.h"
#include "render/web/glyph_faces.h"

struct Font {
    const GlyphFace* face;
};

namespace {

constexpr int32_t boldWeight = 600;

bool isBold(int32_t weight) { return static_cast<int16_t>(weight) >= boldWeight; }

// The face drawn for the request: the same face, height and boldness, else
// one of the same height, else the first; as GDI, never failing.
const GlyphFace* faceFor(const char* face, int32_t height, int32_t weight)
{
    const GlyphFace* sameHeight = nullptr;
    for (int32_t i = 0; i < glyphFaceCount; ++i) {
        const GlyphFace& f = glyphFaces[i];
        if (f.height != height)
            continue;
        if (face && strcasecmp(face, f.face) == 0 && isBold(f.weight) == isBold(weight))
            return &f;
        if (!sameHeight)
            sameHeight = &f;
    }
    return sameHeight ? sameHeight : &glyphFaces[0];
}

const GlyphShape* shapeOf(const Font* font, uint8_t ch)
{
    if (ch < firstGlyph)
        return nullptr;
    return &font->face->shapes[ch - firstGlyph];
}

int32_t advanceOf(Font* font, uint8_t ch)
{
    const GlyphShape* shape = shapeOf(font, ch);
    return shape ? shape->advance : 0;
}

// The ink of one character with its pen at x and the cell's top at y,
// kept within the cell's rows and the surface.
void stampCharacter(Surface* surface, Font* font, uint8_t ch, int32_t x, int32_t y, uint32_t stored)
{
    const GlyphShape* shape = shapeOf(font, ch);
    if (!shape)
        return;
    const uint8_t* ink = font->face->ink + shape->inkOffset;
    const int32_t rowBytes = (shape->width + 7) / 8;
    for (int32_t row = 0; row < shape->height; ++row) {
        const int32_t dy = y + shape->top + row;
        if (dy < y || dy >= y + font->face->cellHeight || dy < 0 || dy >= surface->image.h)
            continue;
        for (int32_t column = 0; column < shape->width; ++column) {
            const int32_t dx = x + shape->left + column;
            if ((ink[row * rowBytes + column / 8] & (0x80 >> column % 8)) != 0 && dx >= 0 &&
                dx < surface->image.w)
                storeStored(surface, dx, dy, stored);
        }
    }
}

int32_t faceCellWidth(Font* font) { return font->face->cellWidth; }

}  // namespace

Font* createFont(const char* face, int32_t height, int32_t weight)
{
    return new Font{faceFor(face, height, weight)};
}

void deleteFont(Font* font) { delete font; }

GlyphSource glyphSourceOf(Font* font)
{
    return GlyphSource{font, font->face->cellHeight, faceCellWidth, advanceOf, stampCharacter};
}
