// The display and input of a run: the flip of the primary surface and the
// direct polls of the DirectInput keyboard and mouse.
#include "render/display.h"

#include "render/win32/input_devices.h"
#include "render/win32/win32_surface.h"

namespace {

LPDIRECTINPUTDEVICE keyboardDevice = nullptr;
LPDIRECTINPUTDEVICE mouseDevice = nullptr;

// One read; a device that was lost (another program took it, or it was
// never acquired) is acquired again once and read again.
bool readDevice(LPDIRECTINPUTDEVICE device, DWORD size, void* state)
{
    if (!device)
        return false;
    HRESULT result = device->GetDeviceState(size, state);
    if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) {
        if (FAILED(device->Acquire()))
            return false;
        result = device->GetDeviceState(size, state);
    }
    return SUCCEEDED(result);
}

// Presses since the last read, from the device's buffer, where set-up gave
// it one. A key or button tapped between two reads is up again by the
// second, and the state alone would miss it.
template <typename Mark>
void addBufferedPresses(LPDIRECTINPUTDEVICE device, Mark mark)
{
    DIDEVICEOBJECTDATA events[inputBufferSize];
    DWORD count = inputBufferSize;
    if (FAILED(device->GetDeviceData(sizeof events[0], events, &count, 0)))
        return;
    for (DWORD i = 0; i < count && i < inputBufferSize; ++i)
        if ((events[i].dwData & 0x80) != 0)
            mark(events[i].dwOfs);
}

}  // namespace

void useInputDevices(LPDIRECTINPUTDEVICE keyboard, LPDIRECTINPUTDEVICE mouse)
{
    keyboardDevice = keyboard;
    mouseDevice = mouse;
}

// Shows the frame by copying the whole back buffer onto the primary rather
// than by Flip. Wine's DirectDraw (8.0, without 3D) gives the system memory
// of its own swap-chain back buffer back to the heap after every Flip, while
// that buffer's device context keeps pointing at it; the next Flip draws
// through the stale context, which works only while the heap hands the same
// address back. Once the world's growing heap takes that address (seen at
// 1024 x 768 x 32 within seconds of a food storm), Flip reads freed memory
// and the saver crashes. A blit onto the primary
// never touches that buffer, and on Windows it shows the same picture.
//
// Lost surfaces are restored and the frame is reported as not shown: the
// frame driver's bounded retries then drop it, so the message loop never
// waits on a display that is gone. Wine's Blt onto a lost primary reports
// success, so the surfaces are asked first. On Windows the primary brings
// its back buffer with it (the back's own Restore is refused as implicitly
// created); under Wine the back needs its own.
bool flipDisplay(Display& display)
{
    LPDIRECTDRAWSURFACE primary = directDrawSurface(display.primarySurface);
    LPDIRECTDRAWSURFACE back = directDrawSurface(display.backSurface);
    if (!primary || !back)
        return false;
    HRESULT result = DDERR_SURFACELOST;
    if (primary->IsLost() == DD_OK && back->IsLost() == DD_OK)
        result = primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr);
    if (result == DDERR_SURFACELOST) {
        primary->Restore();
        if (back->IsLost() == DDERR_SURFACELOST)
            back->Restore();
    }
    return result == DD_OK;
}

bool readKeyboardState(uint8_t keys[256])
{
    if (!readDevice(keyboardDevice, 256, keys))
        return false;
    addBufferedPresses(keyboardDevice, [&](DWORD key) {
        if (key < 256)
            keys[key] |= 0x80;
    });
    return true;
}

bool readMouseState(MouseState& mouse)
{
    DIMOUSESTATE state{};
    if (!readDevice(mouseDevice, sizeof state, &state))
        return false;
    mouse.x = state.lX;
    mouse.y = state.lY;
    mouse.z = state.lZ;
    for (int i = 0; i < 4; ++i)
        mouse.buttons[i] = state.rgbButtons[i];
    addBufferedPresses(mouseDevice, [&](DWORD offset) {
        if (offset >= DIMOFS_BUTTON0 && offset <= DIMOFS_BUTTON3)
            mouse.buttons[offset - DIMOFS_BUTTON0] |= 0x80;
    });
    return true;
}
