// The program's bitmaps on Linux: bitmaps/<id>_<name>.bmp, found in the
// folder the installed saver names, else under $TOVRINE_RESOURCES or the
// source tree's resources folder, converted into the display's format as
// GDI would copy them (the low bits dropped).
#include <dirent.h>

#include <cstdlib>
#include <string>

#include "render/sdl/resource_directory.h"
#include "render/sdl/sdl_surface.h"

namespace {

std::string chosenDirectory;

}  // namespace

void useResourceDirectory(const std::string& folder) { chosenDirectory = folder; }

std::string resourceDirectory()
{
    if (!chosenDirectory.empty())
        return chosenDirectory;
    const char* fromEnvironment = std::getenv("TOVRINE_RESOURCES");
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return TOVRINE_RESOURCE_DIR;
}

namespace {

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The file for a bitmap id; the alphabetically first when several match, so
// a run never depends on the order of the directory. Empty when none does.
std::string bitmapPath(int32_t bitmapId)
{
    std::string folder = resourceDirectory() + "/bitmaps";
    std::string prefix = std::to_string(bitmapId) + "_";
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return {};
    std::string best;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) == 0 && endsWith(name, ".bmp") &&
            (best.empty() || name < best))
            best = name;
    }
    closedir(dir);
    return best.empty() ? std::string() : folder + "/" + best;
}

// 32-bit XRGB copy of whatever the file holds (24-bit, paletted, ...).
SDL_Surface* loadAsXrgb(const std::string& path)
{
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded)
        return nullptr;
    SDL_Surface* wide = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(loaded);
    return wide;
}

void copyTruncating(const SDL_Surface* wide, Surface* surface)
{
    for (int32_t y = 0; y < wide->h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(wide->pixels) + y * wide->pitch);
        for (int32_t x = 0; x < wide->w; ++x) {
            uint32_t rgb = row[x];
            uint32_t gdi = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
            storeStored(surface, x, y, storedFromGdi(surface, gdi));
        }
    }
}

}  // namespace

Surface* loadBitmapSurface(int32_t bitmapId)
{
    std::string path = bitmapPath(bitmapId);
    if (path.empty())
        return nullptr;
    SDL_Surface* wide = loadAsXrgb(path);
    if (!wide)
        return nullptr;
    Surface* surface = createSurface(wide->w, wide->h);
    if (surface)
        copyTruncating(wide, surface);
    SDL_FreeSurface(wide);
    return surface;
}
