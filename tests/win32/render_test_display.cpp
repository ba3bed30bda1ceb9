// A display for the Windows tests and tools (see render_test_display.h).
#include "tests/win32/render_test_display.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/win32/bitmap_source.h"
#include "render/win32/direct_draw_surface.h"
#include "render/win32/input_devices.h"

namespace {

// The front of the flipping pair, counting the frames shown on it (the
// whole back surface blitted onto it) and failing those a test asks to
// fail; everything else goes to the real surface. It is never handed to
// DirectDraw as a parameter, only called.
class FlipCounter final : public IDirectDrawSurface {
public:
    explicit FlipCounter(LPDIRECTDRAWSURFACE real) : real_(real) {}
    int32_t flips = 0;
    int32_t toFail = 0;

    STDMETHOD(QueryInterface)(REFIID riid, void** out) override
    {
        return real_->QueryInterface(riid, out);
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++refs_; }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG left = --refs_;
        if (left == 0) {
            real_->Release();
            delete this;
        }
        return left;
    }
    STDMETHOD(Blt)(LPRECT d, LPDIRECTDRAWSURFACE s, LPRECT r, DWORD f, LPDDBLTFX fx) override
    {
        const bool shows = d == nullptr && r == nullptr && s != nullptr && s == backBuffer();
        if (shows && toFail > 0) {
            toFail -= 1;
            return DDERR_WASSTILLDRAWING;
        }
        HRESULT result = real_->Blt(d, s, r, f, fx);
        if (shows && result == DD_OK)
            flips += 1;
        return result;
    }
#define FORWARD(name, params, args)                                                                \
    STDMETHOD(name) params override { return real_->name args; }
    FORWARD(AddAttachedSurface, (LPDIRECTDRAWSURFACE s), (s))
    FORWARD(AddOverlayDirtyRect, (LPRECT r), (r))
    FORWARD(BltBatch, (LPDDBLTBATCH b, DWORD c, DWORD f), (b, c, f))
    FORWARD(BltFast, (DWORD x, DWORD y, LPDIRECTDRAWSURFACE s, LPRECT r, DWORD t), (x, y, s, r, t))
    FORWARD(DeleteAttachedSurface, (DWORD f, LPDIRECTDRAWSURFACE s), (f, s))
    FORWARD(EnumAttachedSurfaces, (LPVOID c, LPDDENUMSURFACESCALLBACK cb), (c, cb))
    FORWARD(EnumOverlayZOrders, (DWORD f, LPVOID c, LPDDENUMSURFACESCALLBACK cb), (f, c, cb))
    FORWARD(GetAttachedSurface, (LPDDSCAPS c, LPDIRECTDRAWSURFACE* s), (c, s))
    FORWARD(GetBltStatus, (DWORD f), (f))
    FORWARD(GetCaps, (LPDDSCAPS c), (c))
    FORWARD(GetClipper, (LPDIRECTDRAWCLIPPER * c), (c))
    FORWARD(GetColorKey, (DWORD f, LPDDCOLORKEY k), (f, k))
    FORWARD(GetDC, (HDC * dc), (dc))
    FORWARD(Flip, (LPDIRECTDRAWSURFACE s, DWORD f), (s, f))
    FORWARD(GetFlipStatus, (DWORD f), (f))
    FORWARD(GetOverlayPosition, (LPLONG x, LPLONG y), (x, y))
    FORWARD(GetPalette, (LPDIRECTDRAWPALETTE * p), (p))
    FORWARD(GetPixelFormat, (LPDDPIXELFORMAT f), (f))
    FORWARD(GetSurfaceDesc, (LPDDSURFACEDESC d), (d))
    FORWARD(Initialize, (LPDIRECTDRAW dd, LPDDSURFACEDESC d), (dd, d))
    FORWARD(IsLost, (), ())
    FORWARD(Lock, (LPRECT r, LPDDSURFACEDESC d, DWORD f, HANDLE e), (r, d, f, e))
    FORWARD(ReleaseDC, (HDC dc), (dc))
    FORWARD(Restore, (), ())
    FORWARD(SetClipper, (LPDIRECTDRAWCLIPPER c), (c))
    FORWARD(SetColorKey, (DWORD f, LPDDCOLORKEY k), (f, k))
    FORWARD(SetOverlayPosition, (LONG x, LONG y), (x, y))
    FORWARD(SetPalette, (LPDIRECTDRAWPALETTE p), (p))
    FORWARD(Unlock, (LPVOID p), (p))
    FORWARD(UpdateOverlay, (LPRECT s, LPDIRECTDRAWSURFACE d, LPRECT r, DWORD f, LPDDOVERLAYFX fx),
            (s, d, r, f, fx))
    FORWARD(UpdateOverlayDisplay, (DWORD f), (f))
    FORWARD(UpdateOverlayZOrder, (DWORD f, LPDIRECTDRAWSURFACE s), (f, s))
#undef FORWARD

private:
    LPDIRECTDRAWSURFACE backBuffer()
    {
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        LPDIRECTDRAWSURFACE back = nullptr;
        if (real_->GetAttachedSurface(&caps, &back) != DD_OK || !back)
            return nullptr;
        back->Release();  // the pair keeps it
        return back;
    }

    LPDIRECTDRAWSURFACE real_;
    ULONG refs_ = 1;
};

// A keyboard or mouse whose state the test sets. Lost while unreadable, or
// once after loseInputOnce until acquired again.
class InputStandIn final : public IDirectInputDeviceA {
public:
    explicit InputStandIn(DWORD size) : state(size, 0) {}
    std::vector<uint8_t> state;
    bool readable = true;
    bool lost = false;
    int32_t acquisitions = 0;
    bool consumesMotion = false;

    STDMETHOD(QueryInterface)(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 1; }  // owned by the display
    STDMETHOD(Acquire)() override
    {
        if (!readable)
            return DIERR_OTHERAPPHASPRIO;
        lost = false;
        acquisitions += 1;
        return DI_OK;
    }
    STDMETHOD(Unacquire)() override { return DI_OK; }
    STDMETHOD(GetDeviceState)(DWORD size, LPVOID data) override
    {
        if (!readable || lost)
            return DIERR_INPUTLOST;
        if (size != state.size())
            return DIERR_INVALIDPARAM;
        std::memcpy(data, state.data(), size);
        if (consumesMotion)
            std::memset(state.data(), 0, 12);  // lX, lY, lZ
        return DI_OK;
    }
    STDMETHOD(GetCapabilities)(LPDIDEVCAPS) override { return E_NOTIMPL; }
    STDMETHOD(EnumObjects)(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(GetProperty)(REFGUID, LPDIPROPHEADER) override { return E_NOTIMPL; }
    STDMETHOD(SetProperty)(REFGUID, LPCDIPROPHEADER) override { return E_NOTIMPL; }
    STDMETHOD(GetDeviceData)(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT) override { return DI_OK; }
    STDMETHOD(SetEventNotification)(HANDLE) override { return E_NOTIMPL; }
    STDMETHOD(SetCooperativeLevel)(HWND, DWORD) override { return DI_OK; }
    STDMETHOD(GetObjectInfo)(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA) override { return E_NOTIMPL; }
    STDMETHOD(RunControlPanel)(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(HINSTANCE, DWORD, REFGUID) override { return DI_OK; }
};

HWND window = nullptr;
FlipCounter* front = nullptr;
LPDIRECTDRAW directDraw = nullptr;
InputStandIn keyboard(256);
InputStandIn mouse(sizeof(DIMOUSESTATE));

DIMOUSESTATE& mouseState() { return *reinterpret_cast<DIMOUSESTATE*>(mouse.state.data()); }

void forgetInput()
{
    for (InputStandIn* device : {&keyboard, &mouse}) {
        std::fill(device->state.begin(), device->state.end(), 0);
        device->readable = true;
        device->lost = false;
        device->acquisitions = 0;
    }
    mouse.consumesMotion = true;
}

DDPIXELFORMAT formatForDepth(int32_t depth)
{
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = static_cast<DWORD>(depth);
    if (depth == 16) {
        format.dwRBitMask = 0xF800;
        format.dwGBitMask = 0x07E0;
        format.dwBBitMask = 0x001F;
    } else {
        format.dwRBitMask = 0xFF0000;
        format.dwGBitMask = 0x00FF00;
        format.dwBBitMask = 0x0000FF;
    }
    return format;
}

// The test's own drawings, as the native backend finds them:
// <TOVRINE_RESOURCES>\bitmaps\<id>_*.bmp, the alphabetically first.
HBITMAP fromResourceFolder(int32_t bitmapId)
{
    std::string folder = resourceDirectory() + "\\bitmaps\\";
    std::string pattern = folder + std::to_string(bitmapId) + "_*.bmp";
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return nullptr;
    std::string best = found.cFileName;
    while (FindNextFileA(search, &found))
        if (std::string(found.cFileName) < best)
            best = found.cFileName;
    FindClose(search);
    return static_cast<HBITMAP>(LoadImageA(nullptr, (folder + best).c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// The program's resources unless a test has named a folder of its own.
HBITMAP testBitmap(int32_t bitmapId)
{
    const char* folder = std::getenv("TOVRINE_RESOURCES");
    if (folder && *folder)
        return fromResourceFolder(bitmapId);
    return static_cast<HBITMAP>(LoadImageA(resourceModule(), MAKEINTRESOURCEA(bitmapId),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

bool createFlippingPair(Display& display, int32_t width, int32_t height, int32_t depth)
{
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps =
        DDSCAPS_OFFSCREENPLAIN | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.dwBackBufferCount = 1;
    desc.ddpfPixelFormat = formatForDepth(depth);
    LPDIRECTDRAWSURFACE made = nullptr;
    if (directDraw->CreateSurface(&desc, &made, nullptr) != DD_OK || !made)
        return false;
    front = new FlipCounter(made);
    display.primarySurface = wrapDirectDrawSurface(front);
    if (!display.primarySurface) {
        front->Release();
        front = nullptr;
        return false;
    }
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    LPDIRECTDRAWSURFACE back = nullptr;
    if (made->GetAttachedSurface(&caps, &back) != DD_OK)
        return false;
    display.backSurface = wrapDirectDrawSurface(back);
    if (!display.backSurface)
        back->Release();
    return display.backSurface != nullptr;
}

}  // namespace

bool openHeadlessDisplay(Display& display, int32_t width, int32_t height, int32_t depth)
{
    closeHeadlessDisplay(display);
    if ((depth != 16 && depth != 32) || width <= 0 || height <= 0)
        return false;
    window = CreateWindowExA(0, "STATIC", "tovrine test display", WS_POPUP, 0, 0, width, height,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window || DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK ||
        directDraw->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK ||
        !createFlippingPair(display, width, height, depth)) {
        closeHeadlessDisplay(display);
        return false;
    }
    useDirectDraw(directDraw, &display);
    display.width = width;
    display.height = height;
    display.depth = depth;
    clearDisplaySurfaces(display);
    setBitmapSource(testBitmap);
    useInputDevices(&keyboard, &mouse);
    return true;
}

void closeHeadlessDisplay(Display& display)
{
    releaseSurface(display.backSurface);
    releaseSurface(display.primarySurface);  // releases the front, and with it the pair
    display = Display();
    front = nullptr;
    useDirectDraw(nullptr, nullptr);
    if (directDraw)
        directDraw->Release();
    directDraw = nullptr;
    if (window)
        DestroyWindow(window);
    window = nullptr;
    setBitmapSource(nullptr);
    useInputDevices(nullptr, nullptr);
    forgetInput();
    clearQuitRequest();
}

std::string resourceDirectory()
{
    const char* folder = std::getenv("TOVRINE_RESOURCES");
    return folder && *folder ? folder : "(the program's resources)";
}

bool saveSurfaceBmp(Surface* surface, const char* path)
{
    int32_t width = surfaceWidth(surface), height = surfaceHeight(surface);
    if (width <= 0 || !path || !beginPixelAccess(surface))
        return false;
    uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    std::vector<uint8_t> pixels(rowBytes * height, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint32_t c = readPixel(surface, x, y);
            uint8_t* p = &pixels[(height - 1 - y) * rowBytes + x * 3];
            p[0] = (c >> 16) & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = c & 0xFF;
        }
    endPixelAccess(surface);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                   std::fwrite(&info, sizeof info, 1, out) == 1 &&
                   std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written;
}

bool saveSurfacePng(Surface*, const char*) { return false; }

void setKeyState(int32_t scanCode, bool pressed)
{
    if (scanCode >= 0 && scanCode < 256)
        keyboard.state[scanCode] = pressed ? 0x80 : 0;
}

void setMouseMotion(int32_t x, int32_t y, int32_t z)
{
    mouseState().lX = x;
    mouseState().lY = y;
    mouseState().lZ = z;
}

void setMouseButton(int32_t button, bool pressed)
{
    if (button >= 0 && button < 4)
        mouseState().rgbButtons[button] = pressed ? 0x80 : 0;
}

void setInputReadable(bool readable)
{
    keyboard.readable = readable;
    mouse.readable = readable;
}

void loseInputOnce()
{
    keyboard.lost = true;
    mouse.lost = true;
}

int32_t inputAcquisitions() { return keyboard.acquisitions + mouse.acquisitions; }

void failNextFlips(int32_t count)
{
    if (front)
        front->toFail = count;
}

int32_t flipCount(const Display& display)
{
    return front && display.primarySurface ? front->flips : 0;
}

bool quitRequested()
{
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

void clearQuitRequest()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}
