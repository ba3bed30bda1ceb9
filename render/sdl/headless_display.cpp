// A display without a screen: the primary and back surfaces live in memory,
// a flip swaps their pixels, and input is whatever a test injected.
#include "render/memory/memory_surface.h"
#include "render/sdl/headless_display.h"

#include <SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "render/sdl/sdl_surface.h"

namespace {

struct InjectedInput {
    uint8_t keys[256] = {};
    MouseState mouse = {0, 0, 0, {0, 0, 0, 0}};
    bool readable = true;
};

InjectedInput input;
int32_t flipsToFail = 0;

void forgetState()
{
    input = InjectedInput();
    flipsToFail = 0;
}

}  // namespace

bool openHeadlessDisplay(Display& display, int32_t width, int32_t height, int32_t depth)
{
    closeHeadlessDisplay(display);
    return openDisplaySurfaces(display, width, height, depth) == DisplaySurfaces::opened;
}

void closeHeadlessDisplay(Display& display)
{
    closeDisplaySurfaces(display);
    forgetState();
}

// Like a hardware flip, the two buffers trade places; each surface record
// keeps its own clip rectangle, key and identity.
bool flipDisplay(Display& display)
{
    if (!display.primarySurface || !display.backSurface)
        return false;
    if (flipsToFail > 0) {
        flipsToFail -= 1;
        return false;
    }
    swapDisplaySurfaces(display);
    display.flips += 1;
    return true;
}

namespace {

// A 16-bit picture widened as every other picture of the world is
// (xrgbFrom565), not by SDL's own conversion, which rounds differently.
SDL_Surface* widenedCopy(const PixelImage& image)
{
    SDL_Surface* wide =
        SDL_CreateRGBSurfaceWithFormat(0, image.w, image.h, 32, SDL_PIXELFORMAT_RGB888);
    if (!wide)
        return nullptr;
    for (int32_t y = 0; y < image.h; ++y) {
        const uint16_t* in = reinterpret_cast<const uint16_t*>(image.pixels + y * image.pitch);
        uint32_t* out =
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(wide->pixels) + y * wide->pitch);
        for (int32_t x = 0; x < image.w; ++x)
            out[x] = xrgbFrom565(in[x]);
    }
    return wide;
}

// A file written through an SDL_RWops that remembers the first failed write:
// SDL_image looks neither at what its writes return nor at the close, so a
// picture cut off by a full disk would count as saved.
struct CheckedFile {
    std::FILE* file;
    int firstError;  // errno of the first failure; 0 while none
};

CheckedFile& checkedFile(SDL_RWops* context)
{
    return *static_cast<CheckedFile*>(context->hidden.unknown.data1);
}

void noteFailure(CheckedFile& out)
{
    if (out.firstError == 0)
        out.firstError = errno != 0 ? errno : EIO;
}

size_t checkedWrite(SDL_RWops* context, const void* data, size_t size, size_t count)
{
    CheckedFile& out = checkedFile(context);
    const size_t written = std::fwrite(data, size, count, out.file);
    if (written != count)
        noteFailure(out);
    return written;
}

Sint64 checkedSeek(SDL_RWops* context, Sint64 offset, int whence)
{
    CheckedFile& out = checkedFile(context);
    const int from = whence == RW_SEEK_SET ? SEEK_SET : whence == RW_SEEK_CUR ? SEEK_CUR : SEEK_END;
    if (std::fseek(out.file, static_cast<long>(offset), from) != 0) {
        noteFailure(out);
        return -1;
    }
    return std::ftell(out.file);
}

// The data reach the disk only here, at the latest: the close's result and
// every earlier one decide. -1 with the first failure's errno.
int checkedClose(SDL_RWops* context)
{
    CheckedFile& out = checkedFile(context);
    if (std::fclose(out.file) != 0)
        noteFailure(out);
    const int error = out.firstError;
    delete &out;
    SDL_FreeRW(context);
    errno = error;
    return error == 0 ? 0 : -1;
}

// Null (errno set) when the file cannot be opened. The file is made anew:
// an older one, or a link, under its name is unlinked, never written through.
// Anything else there (a device such as /dev/full, a pipe) is written as it
// is: unlinked by a run as root, a device would be gone for everyone.
SDL_RWops* openCheckedFile(const char* path)
{
    struct stat old;
    const bool exists = lstat(path, &old) == 0;
    const bool replaced = exists && (S_ISREG(old.st_mode) || S_ISLNK(old.st_mode));
    if (replaced)
        unlink(path);
    const int fd = exists && !replaced
                       ? open(path, O_WRONLY | O_NOFOLLOW | O_CLOEXEC)
                       : open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file) {
        const int cause = errno;
        if (fd >= 0)
            close(fd);
        errno = cause;
        return nullptr;
    }
    SDL_RWops* context = SDL_AllocRW();
    CheckedFile* out = new (std::nothrow) CheckedFile{file, 0};
    if (!context || !out) {
        std::fclose(file);
        SDL_FreeRW(context);
        delete out;
        errno = ENOMEM;
        return nullptr;
    }
    context->type = SDL_RWOPS_UNKNOWN;
    context->write = checkedWrite;
    context->seek = checkedSeek;
    context->close = checkedClose;
    context->hidden.unknown.data1 = out;
    return context;
}

// The picture written and closed; false, with errno set, when any write
// or the close failed.
bool writePng(SDL_Surface* picture, const char* path)
{
    SDL_RWops* file = openCheckedFile(path);
    if (!file)
        return false;
    errno = 0;
    const bool encoded = IMG_SavePNG_RW(picture, file, 0) == 0;
    const int encodeError = errno;
    const bool closed = SDL_RWclose(file) == 0;
    if (closed && !encoded)
        errno = encodeError != 0 ? encodeError : EIO;
    return encoded && closed;
}

}  // namespace

bool saveSurfacePng(Surface* surface, const char* path)
{
    if (!surface || !surface->image.pixels || !path)
        return false;
    if (surface->image.format != PixelFormat::rgb565) {
        SdlSurfaceView view(surface);
        return view.get() && writePng(view.get(), path);
    }
    SDL_Surface* wide = widenedCopy(surface->image);
    const bool saved = wide && writePng(wide, path);
    SDL_FreeSurface(wide);
    return saved;
}

bool readKeyboardState(uint8_t keys[256])
{
    if (!input.readable)
        return false;
    std::memcpy(keys, input.keys, 256);
    return true;
}

bool readMouseState(MouseState& mouse)
{
    if (!input.readable)
        return false;
    mouse = input.mouse;
    // Written only when there was motion: worlds polling an idle mouse from
    // two threads only read.
    if (mouse.x != 0 || mouse.y != 0 || mouse.z != 0)
        input.mouse.x = input.mouse.y = input.mouse.z = 0;
    return true;
}

void setKeyState(int32_t scanCode, bool pressed)
{
    if (scanCode >= 0 && scanCode < 256)
        input.keys[scanCode] = pressed ? 0x80 : 0;
}

void setMouseMotion(int32_t x, int32_t y, int32_t z)
{
    input.mouse.x = x;
    input.mouse.y = y;
    input.mouse.z = z;
}

void setMouseButton(int32_t button, bool pressed)
{
    if (button >= 0 && button < 4)
        input.mouse.buttons[button] = pressed ? 0x80 : 0;
}

void setInputReadable(bool readable) { input.readable = readable; }

void failNextFlips(int32_t count) { flipsToFail = count; }

int32_t flipCount(const Display& display) { return display.flips; }
