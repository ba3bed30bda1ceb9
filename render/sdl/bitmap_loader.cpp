// The program's bitmaps on Linux: bitmaps/<id>_<name>.bmp, found in the
// folder the installed saver names, else under $TOVRINE_RESOURCES or the
// source tree's resources folder, converted into the display's format as
// GDI would copy them (the low bits dropped).
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "render/memory/memory_surface.h"
#include "render/sdl/resource_directory.h"

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

// Decoding a bitmap costs far more than copying it, and a process builds
// the same sheets over and over (each set-up of a run, each test, each
// input of the fuzzer): a file is decoded once per display format, and
// again only when its size or modification time has changed.
struct DecodedBitmap {
    std::string path;
    off_t size;
    timespec modified;
    PixelFormat format;
    Surface* image;  // the converted pixels; never freed
};

// Never destroyed: sheets may still be loaded while the process ends.
std::vector<DecodedBitmap>& decoded = *new std::vector<DecodedBitmap>;
// Worlds on displays of their own may load their sheets from two threads.
std::mutex decodedLock;

bool sameFile(const DecodedBitmap& d, const struct stat& file)
{
    return d.size == file.st_size && d.modified.tv_sec == file.st_mtim.tv_sec &&
           d.modified.tv_nsec == file.st_mtim.tv_nsec;
}

DecodedBitmap* findDecoded(const std::string& path, PixelFormat format)
{
    for (DecodedBitmap& d : decoded)
        if (d.format == format && d.path == path)
            return &d;
    return nullptr;
}

// The whole file, or nothing when it cannot be read. A bitmap larger than
// any of ours is not read at all.
bool readWholeFile(const std::string& path, off_t size, std::vector<uint8_t>& bytes)
{
    constexpr off_t largestFile = 64 << 20;
    if (size <= 0 || size > largestFile)
        return false;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         std::fclose);
    if (!file)
        return false;
    bytes.resize(static_cast<size_t>(size));
    return std::fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

Surface* decode(const std::string& path, off_t size)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, size, bytes))
        return nullptr;
    return surfaceFromBitmapFile(bytes.data(), bytes.size());
}

// Keeps a copy of a fresh decoding; without memory for it the next load
// simply decodes again.
void remember(const std::string& path, const struct stat& file, const Surface* surface)
{
    Surface* image = copySurface(surface);
    if (!image)
        return;
    DecodedBitmap* known = findDecoded(path, displayPixelFormat());
    if (known) {
        releaseSurface(known->image);
        *known = {path, file.st_size, file.st_mtim, displayPixelFormat(), image};
        return;
    }
    try {
        decoded.push_back({path, file.st_size, file.st_mtim, displayPixelFormat(), image});
    } catch (...) {
        releaseSurface(image);
        throw;
    }
}

}  // namespace

Surface* loadBitmapSurface(int32_t bitmapId)
{
    std::lock_guard<std::mutex> hold(decodedLock);
    std::string path = bitmapPath(bitmapId);
    struct stat file;
    if (path.empty() || stat(path.c_str(), &file) != 0)
        return nullptr;
    const DecodedBitmap* known = findDecoded(path, displayPixelFormat());
    if (known && sameFile(*known, file))
        return copySurface(known->image);
    Surface* surface = decode(path, file.st_size);
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
