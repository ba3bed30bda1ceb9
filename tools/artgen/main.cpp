// tovrine-artgen OUT_RESOURCES_DIR [CONTACT_PNG]
// Draws every bitmap and the icon of the program into OUT_RESOURCES_DIR
// (bitmaps/<id>_<name>.bmp, tovrine.ico and the web page's icons,
// web/icon-*.png), writes the sheets' cell grids beside them
// (sheet_cells.h), and optionally a contact sheet.
#include <cstdio>
#include <filesystem>

#include "tools/artgen/artwork.h"
#include "tools/artgen/sheet_grid.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tovrine-artgen OUT_RESOURCES_DIR [CONTACT_PNG]\n");
        return 2;
    }
    std::filesystem::path out = argv[1];
    std::error_code error;
    std::filesystem::create_directories(out / "bitmaps", error);
    if (!error)
        std::filesystem::create_directories(out / "web", error);
    if (error) {
        std::fprintf(stderr, "tovrine-artgen: cannot create %s\n", (out / "bitmaps").c_str());
        return 1;
    }

    std::vector<Artwork> art = drawAllBitmaps();
    std::vector<IconImage> icon = drawIcon();
    bool ok = true;
    for (const Artwork& a : art)
        ok = writeFile((out / "bitmaps" / a.fileName).string(), encodeBmp(a.image)) && ok;
    ok = writeFile((out / "tovrine.ico").string(), encodeIco(icon)) && ok;
    for (const NamedIcon& web : drawWebIcons())
        ok = writeFile((out / "web" / web.fileName).string(), encodePngRgba(web.icon)) && ok;
    const std::string cells = sheetCellsHeader();
    ok = writeFile((out / "sheet_cells.h").string(), Bytes(cells.begin(), cells.end())) && ok;
    if (argc == 3)
        ok = writeFile(argv[2], encodePng(drawContactSheet(art, icon))) && ok;
    if (!ok) {
        std::fprintf(stderr, "tovrine-artgen: a file could not be written\n");
        return 1;
    }
    return 0;
}
