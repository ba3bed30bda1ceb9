// A display for the Windows tests and tools (see render_test_display.h).
#include "tests/win32/render_test_display.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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
    // Taps as the buffer holds them: a press and its release.
    STDMETHOD(GetDeviceData)(DWORD, LPDIDEVICEOBJECTDATA data, LPDWORD count, DWORD) override
    {
        if (!readable || lost)
            return DIERR_INPUTLOST;
        DWORD given = 0;
        for (DWORD offset : taps) {
            for (DWORD press : {0x80u, 0u}) {
                if (given == *count)
                    break;
                data[given] = DIDEVICEOBJECTDATA{};
                data[given].dwOfs = offset;
                data[given].dwData = press;
                given += 1;
            }
        }
        taps.clear();
        *count = given;
        return DI_OK;
    }
    std::vector<DWORD> taps;
    STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT) override { return DI_OK; }
    STDMETHOD(SetEventNotification)(HANDLE) override { return E_NOTIMPL; }
    STDMETHOD(SetCooperativeLevel)(HWND, DWORD) override { return DI_OK; }
    STDMETHOD(GetObjectInfo)(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA) override { return E_NOTIMPL; }
    STDMETHOD(RunControlPanel)(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(HINSTANCE, DWORD, REFGUID) override { return DI_OK; }
};

FlipCounter* front = nullptr;
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
        device->taps.clear();
    }
    mouse.consumesMotion = true;
}

// The front of the pair counts the flips shown on it.
LPDIRECTDRAWSURFACE countFlips(LPDIRECTDRAWSURFACE made)
{
    front = new FlipCounter(made);
    return front;
}

}  // namespace

bool openHeadlessDisplay(Display& display, int32_t width, int32_t height, int32_t depth)
{
    closeHeadlessDisplay(display);
    if (!openHiddenDisplay(display, width, height, depth, countFlips)) {
        front = nullptr;
        return false;
    }
    useInputDevices(&keyboard, &mouse);
    return true;
}

void closeHeadlessDisplay(Display& display)
{
    closeHiddenDisplay(display);
    front = nullptr;
    useInputDevices(nullptr, nullptr);
    forgetInput();
    clearQuitRequest();
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

void tapKey(int32_t scanCode) { keyboard.taps.push_back(static_cast<DWORD>(scanCode)); }

void tapMouseButton(int32_t button)
{
    mouse.taps.push_back(static_cast<DWORD>(DIMOFS_BUTTON0 + button));
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
