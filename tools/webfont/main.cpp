// tovrine-webfont: writes the web page's text faces (render/web/glyph_faces.cpp)
// from the Linux backend's, or with --check compares the committed file with
// what the faces draw today.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render/glyph_font.h"
#include "render/memory/memory_surface.h"
#include "render/sdl/headless_display.h"
#include "render/sdl/sdl_font.h"

namespace {

struct FaceRequest {
    const char* face;
    int32_t height;
    int32_t weight;
};

// The faces the world asks for (run/world_setup.cpp).
const FaceRequest requests[] = {
    {"Westminster", 13, 100},
    {"Arial", 11, 600},
};

constexpr int32_t firstGlyph = 32;
constexpr int32_t lastGlyph = 255;
constexpr int32_t scratchSide = 128;
constexpr int32_t penX = 40;
constexpr int32_t penY = 40;

struct Shape {
    int32_t advance = 0, left = 0, top = 0, width = 0, height = 0;
    size_t inkOffset = 0;
};

// The character drawn alone at a known pen, and its ink read back.
Shape drawnShape(Surface* scratch, Font* font, uint8_t ch, std::vector<uint8_t>& ink)
{
    fillSurface(scratch, 0);
    const char text[2] = {static_cast<char>(ch), 0};
    drawTextRun(scratch, font, text, penX, penY, textColour, false);
    Shape shape;
    shape.advance = characterAdvance(font, ch);
    int32_t x0 = scratchSide, y0 = scratchSide, x1 = -1, y1 = -1;
    for (int32_t y = 0; y < scratchSide; ++y)
        for (int32_t x = 0; x < scratchSide; ++x)
            if (loadStored(scratch, x, y) != 0) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    shape.inkOffset = ink.size();
    if (x1 < 0)
        return shape;
    shape.left = x0 - penX;
    shape.top = y0 - penY;
    shape.width = x1 - x0 + 1;
    shape.height = y1 - y0 + 1;
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; x += 8) {
            uint8_t bits = 0;
            for (int32_t b = 0; b < 8 && x + b <= x1; ++b)
                if (loadStored(scratch, x + b, y) != 0)
                    bits |= 0x80 >> b;
            ink.push_back(bits);
        }
    return shape;
}

bool writeFace(std::ostream& out, const FaceRequest& request, int index, std::string& entry)
{
    Font* font = createFont(request.face, request.height, request.weight);
    Surface* scratch = createSurface(scratchSide, scratchSide);
    Surface* grid = createSurface(512, 512);
    if (!font || !scratch || !grid)
        return false;
    int32_t widths[256] = {};
    int32_t cellWidth = 0, cellHeight = 0, charExtra = 0;
    fillSurface(grid, 0);
    renderGlyphGrid(grid, font, 33, 122, widths, cellWidth, cellHeight, charExtra);
    std::vector<uint8_t> ink;
    std::vector<Shape> shapes;
    for (int32_t ch = firstGlyph; ch <= lastGlyph; ++ch)
        shapes.push_back(drawnShape(scratch, font, static_cast<uint8_t>(ch), ink));
    out << "const uint8_t ink" << index << "[] = {";
    for (size_t i = 0; i < ink.size(); ++i)
        out << (i % 16 == 0 ? "\n    " : " ") << static_cast<int>(ink[i]) << ",";
    out << "\n};\n\n// advance, left, top, width, height, ink offset of characters " << firstGlyph
        << " to " << lastGlyph << "\nconst GlyphShape shapes" << index << "[] = {\n";
    for (const Shape& s : shapes)
        out << "    {" << s.advance << ", " << s.left << ", " << s.top << ", " << s.width << ", "
            << s.height << ", " << s.inkOffset << "},\n";
    out << "};\n\n";
    entry = "    {\"" + std::string(request.face) + "\", " + std::to_string(request.height) + ", " +
            std::to_string(request.weight) + ", " + std::to_string(cellHeight) + ", " +
            std::to_string(cellWidth) + ", shapes" + std::to_string(index) + ", ink" +
            std::to_string(index) + "},\n";
    releaseSurface(grid);
    releaseSurface(scratch);
    deleteFont(font);
    return true;
}

bool tableSource(std::string& text)
{
    std::ostringstream out;
    out << "// Written by tovrine-webfont (tools/webfont) from the Linux backend's faces;\n"
           "// The native test web.glyph-faces checks it is current. Do not edit.\n"
           "#include \"render/web/glyph_faces.h\"\n\n// clang-format off\nnamespace {\n\n";
    const int count = static_cast<int>(sizeof requests / sizeof requests[0]);
    std::string entries;
    for (int i = 0; i < count; ++i) {
        std::string entry;
        if (!writeFace(out, requests[i], i, entry))
            return false;
        entries += entry;
    }
    out << "}  // namespace\n\nconst GlyphFace glyphFaces[] = {\n"
        << entries << "};\nconst int32_t glyphFaceCount = " << count << ";\n// clang-format on\n";
    text = out.str();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: tovrine-webfont OUT.cpp | --check FILE.cpp\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    // A 32-bit display: every ink pixel reads back as non-zero.
    Display display;
    if (!openHeadlessDisplay(display, 64, 64, 32)) {
        std::fprintf(stderr, "tovrine-webfont: no display in memory\n");
        return 1;
    }
    std::string text;
    const bool made = tableSource(text);
    closeHeadlessDisplay(display);
    if (!made) {
        std::fprintf(stderr, "tovrine-webfont: a face could not be drawn\n");
        return 1;
    }
    if (check) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream committed;
        committed << in.rdbuf();
        if (committed.str() == text)
            return 0;
        std::fprintf(stderr,
                     "tovrine-webfont: %s is not what the faces draw today; "
                     "write it again with tovrine-webfont %s\n",
                     path, path);
        return 1;
    }
    std::ofstream out(path, std::ios::binary);
    out << text;
    return out.good() ? 0 : 1;
}
