// The program's bitmaps on Linux: bitmaps/<id>_<name>.bmp, found in the
// folder the installed saver names, else under $TOVRINE_RESOURCES or the
// source tree's resources folder, converted into the display's format as
// GDI would copy them (the low bits dropped).
#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
    // Closed however the scan ends, also when memory runs out in it.
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return {};
    std::string best;
    while (dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) == 0 && endsWith(name, ".bmp") &&
            (best.empty() || name < best))
            best = name;
    }
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

// Decoding a bitmap costs far more than copying it, and a process builds
// the same sheets over and over (each set-up of a run, each test, each
// input of the fuzzer): a file is decoded once per display format, and
// again only when its size or modification time has changed.
struct DecodedBitmap {
    std::string path;
    off_t size;
    timespec modified;
    uint32_t format;
    SDL_Surface* image;  // the converted pixels; never freed
};

// Never destroyed: sheets may still be loaded while the process ends.
std::vector<DecodedBitmap>& decoded = *new std::vector<DecodedBitmap>;

bool sameFile(const DecodedBitmap& d, const struct stat& file)
{
    return d.size == file.st_size && d.modified.tv_sec == file.st_mtim.tv_sec &&
           d.modified.tv_nsec == file.st_mtim.tv_nsec;
}

DecodedBitmap* findDecoded(const std::string& path, uint32_t format)
{
    for (DecodedBitmap& d : decoded)
        if (d.format == format && d.path == path)
            return &d;
    return nullptr;
}

void copyPixels(const SDL_Surface* from, SDL_Surface* to)
{
    const size_t rowBytes = static_cast<size_t>(from->w) * from->format->BytesPerPixel;
    for (int32_t y = 0; y < from->h; ++y)
        std::memcpy(static_cast<uint8_t*>(to->pixels) + y * to->pitch,
                    static_cast<const uint8_t*>(from->pixels) + y * from->pitch, rowBytes);
}

Surface* copyOf(const SDL_Surface* image)
{
    Surface* surface = createSurface(image->w, image->h);
    if (surface)
        copyPixels(image, surface->image);
    return surface;
}

Surface* decode(const std::string& path)
{
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> wide(loadAsXrgb(path), SDL_FreeSurface);
    if (!wide)
        return nullptr;
    Surface* surface = createSurface(wide->w, wide->h);
    if (surface)
        copyTruncating(wide.get(), surface);
    return surface;
}

// Keeps a copy of a fresh decoding; without memory for it the next load
// simply decodes again.
void remember(const std::string& path, const struct stat& file, const Surface* surface)
{
    const SDL_Surface* from = surface->image;
    SDL_Surface* image =
        SDL_CreateRGBSurfaceWithFormat(0, from->w, from->h, 0, from->format->format);
    if (!image)
        return;
    copyPixels(from, image);
    DecodedBitmap* known = findDecoded(path, displayPixelFormat());
    if (known) {
        SDL_FreeSurface(known->image);
        *known = {path, file.st_size, file.st_mtim, displayPixelFormat(), image};
        return;
    }
    try {
        decoded.push_back({path, file.st_size, file.st_mtim, displayPixelFormat(), image});
    } catch (...) {
        SDL_FreeSurface(image);
        throw;
    }
}

}  // namespace

Surface* loadBitmapSurface(int32_t bitmapId)
{
    std::string path = bitmapPath(bitmapId);
    struct stat file;
    if (path.empty() || stat(path.c_str(), &file) != 0)
        return nullptr;
    const DecodedBitmap* known = findDecoded(path, displayPixelFormat());
    if (known && sameFile(*known, file))
        return copyOf(known->image);
    Surface* surface = decode(path);
    if (!surface)
        return nullptr;
    try {
        remember(path, file, surface);
    } catch (...) {
        releaseSurface(surface);
        throw;
    }
    return surface;
}
