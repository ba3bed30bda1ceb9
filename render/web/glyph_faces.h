// The text faces of the web page: the Linux backend's faces at the sizes the
// world asks for, drawn ahead of time (tools/webfont) so that the page's
// text is the Linux saver's to the pixel, without a font file or the
// browser's text in the page. Private to render/web.
#pragma once

#include <cstdint>

// One character: its advance, and its ink as a box of rows relative to the
// pen at the cell's top, one bit a pixel (rows of whole bytes, high bit
// leftmost) at `inkOffset` of the face's ink.
struct GlyphShape {
    int16_t advance;
    int16_t left;
    int16_t top;
    int16_t width;
    int16_t height;
    uint32_t inkOffset;
};

constexpr int32_t firstGlyph = 32;
constexpr int32_t lastGlyph = 255;

struct GlyphFace {
    const char* face;  // as the world asks for it
    int32_t height;    // the requested height
    int32_t weight;
    int32_t cellHeight;
    int32_t cellWidth;         // the widest character, ink included
    const GlyphShape* shapes;  // firstGlyph..lastGlyph
    const uint8_t* ink;
};

extern const GlyphFace glyphFaces[];
extern const int32_t glyphFaceCount;
