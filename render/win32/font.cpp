// Fonts and text through GDI: the glyph grid is drawn once with TextOutA on
// the grid surface's device context, and occasional messages are drawn the
// same way straight onto their surface.
#include "render/glyph_font.h"
#include "render/win32/win32_surface.h"

namespace {

// A Font of this backend is a GDI font handle.
HFONT fontHandle(Font* font) { return reinterpret_cast<HFONT>(font); }

// Westminster is a display face that few machines have. The font mapper's
// own stand-in is a wide sans, which runs the cloud's labels into their
// figures; a narrow sans keeps the columns apart, as the face itself does.
struct FaceStandIns {
    const char* face;
    const char* standIns[2];
};

const FaceStandIns faceStandIns[] = {
    {"Westminster", {"Arial Narrow", "Liberation Sans Narrow"}},
};

int CALLBACK noteFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool faceInstalled(const char* face)
{
    LOGFONTA query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    if (screen) {
        EnumFontFamiliesExA(screen, &query, noteFound, reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
    }
    return found;
}

// The face itself when it is installed, else its first installed stand-in,
// else the face, for the font mapper to choose.
const char* installedFace(const char* face)
{
    if (!face || faceInstalled(face))
        return face;
    for (const FaceStandIns& entry : faceStandIns) {
        if (lstrcmpiA(entry.face, face) != 0)
            continue;
        for (const char* standIn : entry.standIns)
            if (faceInstalled(standIn))
                return standIn;
    }
    return face;
}

}  // namespace

Font* createFont(const char* face, int32_t height, int32_t weight)
{
    HFONT font = CreateFontA(height, 0, 0, 0, static_cast<uint16_t>(weight), FALSE, FALSE, FALSE,
                             ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             VARIABLE_PITCH | FF_DONTCARE, installedFace(face));
    return reinterpret_cast<Font*>(font);
}

void deleteFont(Font* font)
{
    if (font)
        DeleteObject(fontHandle(font));
}

bool renderGlyphGrid(Surface* surface, Font* font, int32_t firstChar, int32_t lastChar,
                     int32_t* charWidths, int32_t& cellWidth, int32_t& cellHeight,
                     int32_t& charExtra)
{
    if (!surface || !surface->surface || !font)
        return false;
    HDC dc = nullptr;
    if (surface->surface->GetDC(&dc) != DD_OK)
        return false;
    HGDIOBJ previous = SelectObject(dc, fontHandle(font));
    SetTextColor(dc, textColour);
    SetBkColor(dc, keyColour);
    SetBkMode(dc, OPAQUE);

    INT widths[256] = {};
    GetCharWidthA(dc, firstChar, lastChar, widths);
    for (int32_t c = firstChar; c <= lastChar; ++c)
        charWidths[c - firstChar] = widths[c - firstChar];
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    cellWidth = metrics.tmMaxCharWidth;
    cellHeight = metrics.tmHeight;
    charExtra = GetTextCharacterExtra(dc);

    int32_t column = 0, row = 0;
    for (int32_t c = firstChar; c <= lastChar; ++c) {
        char text = static_cast<char>(c);
        TextOutA(dc, column * cellWidth, row * cellHeight, &text, 1);
        if (column == 9) {
            column = 0;
            row += 1;
        } else {
            column += 1;
        }
    }
    SelectObject(dc, previous);
    surface->surface->ReleaseDC(dc);
    return true;
}

int drawGdiText(Surface* surface, const char* text, int32_t x, int32_t y, Font* font,
                uint32_t colour, int32_t backgroundMode)
{
    // Without its font nothing is drawn, rather than text in the system font.
    if (!surface || !surface->surface || !text || !font)
        return 0;
    HDC dc = nullptr;
    if (surface->surface->GetDC(&dc) != DD_OK)
        return 0;
    HGDIOBJ previous = SelectObject(dc, fontHandle(font));
    SetTextColor(dc, colour);
    SetBkColor(dc, 0);
    SetBkMode(dc, backgroundMode == transparentBackground ? TRANSPARENT : OPAQUE);
    TextOutA(dc, x, y, text, static_cast<int>(lstrlenA(text)));
    SelectObject(dc, previous);
    surface->surface->ReleaseDC(dc);
    return 0;
}
