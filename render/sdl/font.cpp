// Fonts on Linux: the faces the program asks Windows for, mapped to close
// TrueType faces that Debian ships, sized the way GDI reads a positive
// height (the whole cell), rendered without anti-aliasing so that no grey
// fringe survives a black colour key.
#include <strings.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "render/memory/memory_surface.h"
#include "render/memory/text_run.h"
#include "render/sdl/sdl_font.h"

namespace {

const char* const liberation = "/usr/share/fonts/truetype/liberation/";
const char* const dejavu = "/usr/share/fonts/truetype/dejavu/";

struct FaceFiles {
    const char* face;
    const char* folder;
    const char* regular;
    const char* bold;
};

// Westminster is a display face in the style of machine-readable cheque
// digits. No installed face looks like it; what matters more is that the
// statistics labels ("Spawns:  " in 35 pixels before its figure) still fit,
// which only the narrow sans does at a 13-pixel cell. Unknown faces fall
// back to DejaVu Sans, as GDI falls back to a default face, never failing.
const FaceFiles faces[] = {
    {"Arial", liberation, "LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"},
    {"Helvetica", liberation, "LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"},
    {"MS Sans Serif", liberation, "LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"},
    {"Arial Narrow", liberation, "LiberationSansNarrow-Regular.ttf",
     "LiberationSansNarrow-Bold.ttf"},
    {"Times New Roman", liberation, "LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf"},
    {"Courier New", liberation, "LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf"},
    {"Westminster", liberation, "LiberationSansNarrow-Regular.ttf",
     "LiberationSansNarrow-Bold.ttf"},
};
const FaceFiles fallbackFace = {"", dejavu, "DejaVuSans.ttf", "DejaVuSans-Bold.ttf"};

constexpr int32_t boldWeight = 600;
constexpr int32_t defaultCellHeight = 16;  // GDI's choice for a height of 0

const FaceFiles& facesFor(const char* face)
{
    for (const FaceFiles& f : faces)
        if (face && strcasecmp(face, f.face) == 0)
            return f;
    return fallbackFace;
}

// The largest size that fits the cell: GDI scales a font so that ascent
// plus descent equal a positive requested height. Sizes step by a 72nd of
// the height through the resolution, finer than whole points.
void fitToCell(TTF_Font* ttf, int32_t cellHeight)
{
    for (int dpi = 72; dpi >= 24; --dpi) {
        TTF_SetFontSizeDPI(ttf, cellHeight, dpi, dpi);
        if (TTF_FontHeight(ttf) <= cellHeight)
            return;
    }
}

// Rows to lift every glyph by so that the lowest descender still lies in
// the cell: the rounding of the line height can leave it one row short,
// while the top rows hold only internal leading.
int32_t descenderLift(TTF_Font* ttf, int32_t cellHeight)
{
    int32_t ascent = TTF_FontAscent(ttf);
    int32_t firstInk = cellHeight, pastLastInk = 0;
    for (uint32_t ch = 33; ch < 127; ++ch) {
        int minx, maxx, miny, maxy, advance;
        if (TTF_GlyphMetrics32(ttf, ch, &minx, &maxx, &miny, &maxy, &advance) != 0)
            continue;
        firstInk = std::min<int32_t>(firstInk, ascent - maxy);
        pastLastInk = std::max<int32_t>(pastLastInk, ascent - miny);
    }
    return std::max(0, std::min(pastLastInk - cellHeight, firstInk));
}

// tmMaxCharWidth over the printable ASCII characters: wide enough for any
// glyph of the grid, ink included.
int32_t maxCharWidth(Font* font)
{
    std::lock_guard<std::mutex> hold(faceLock);
    int32_t widest = 0;
    for (uint32_t ch = 32; ch < 127; ++ch) {
        int minx, maxx, miny, maxy, advance;
        if (TTF_GlyphMetrics32(font->ttf, ch, &minx, &maxx, &miny, &maxy, &advance) != 0)
            continue;
        int32_t ink = maxx - (minx < 0 ? minx : 0);
        widest = std::max<int32_t>(widest, std::max(advance, ink));
    }
    return widest;
}

}  // namespace

std::mutex faceLock;

namespace {

bool ensureTtf() { return TTF_WasInit() > 0 || TTF_Init() == 0; }

// Opening a face and fitting it to its cell costs more than all the text of
// many frames, and a process builds the same fonts over and over (each
// set-up of a run, each test, each input of the fuzzer): each face is opened
// and fitted once per file and height and kept, with the glyphs rendered
// from it, for the life of the process. A Font borrows it.
struct FittedFace {
    std::string path;
    int32_t height;
    TTF_Font* ttf;
    int32_t cellHeight;
    int32_t lift;
    std::unique_ptr<SDL_Surface*[]> glyphs;
};

// Never destroyed: text may still be drawn while the process ends.
std::vector<FittedFace>& fittedFaces = *new std::vector<FittedFace>;

FittedFace fit(const std::string& path, int32_t height, TTF_Font* ttf)
{
    TTF_SetFontHinting(ttf, TTF_HINTING_NORMAL);
    TTF_SetFontKerning(ttf, 0);
    FittedFace face{path, height, ttf, 0, 0, std::make_unique<SDL_Surface*[]>(256)};
    if (height > 0) {
        fitToCell(ttf, height);
        face.cellHeight = height;
    } else {
        // A negative height asks for the character height (the em) instead.
        TTF_SetFontSizeDPI(ttf, height < 0 ? -height : 12, 72, 72);
        face.cellHeight = height < 0 ? TTF_FontHeight(ttf) : defaultCellHeight;
    }
    face.lift = descenderLift(ttf, face.cellHeight);
    return face;
}

bool findFace(const FaceFiles& files, bool bold, int32_t height, Font& font)
{
    std::string path = std::string(files.folder) + (bold ? files.bold : files.regular);
    for (const FittedFace& face : fittedFaces) {
        if (face.height == height && face.path == path) {
            font = {face.ttf, face.cellHeight, face.lift, face.glyphs.get()};
            return true;
        }
    }
    TTF_Font* ttf = TTF_OpenFont(path.c_str(), 12);
    if (!ttf)
        return false;
    try {
        fittedFaces.push_back(fit(path, height, ttf));
    } catch (...) {
        TTF_CloseFont(ttf);
        throw;
    }
    const FittedFace& face = fittedFaces.back();
    font = {ttf, face.cellHeight, face.lift, face.glyphs.get()};
    return true;
}

}  // namespace

Font* createFont(const char* face, int32_t height, int32_t weight)
{
    std::lock_guard<std::mutex> hold(faceLock);
    if (!ensureTtf())
        return nullptr;
    // The weight is a 16-bit value, as in a LOGFONT.
    bool bold = static_cast<int16_t>(weight) >= boldWeight;
    Font found;
    if (!findFace(facesFor(face), bold, height, found) &&
        !findFace(fallbackFace, bold, height, found))
        return nullptr;
    return new Font(found);
}

void deleteFont(Font* font)
{
    delete font;  // its face stays open for the next font of that file and height
}

GlyphSource glyphSourceOf(Font* font)
{
    return GlyphSource{font, font->cellHeight, maxCharWidth, characterAdvance, drawCharacter};
}
