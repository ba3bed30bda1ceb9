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

}  // namespace

void useInputDevices(LPDIRECTINPUTDEVICE keyboard, LPDIRECTINPUTDEVICE mouse)
{
    keyboardDevice = keyboard;
    mouseDevice = mouse;
}

// One flip. Lost surfaces are restored (the primary brings its back buffer
// with it) and the frame is reported as not shown: the frame driver's
// bounded retries then drop it, so the message loop never waits on a
// display that is gone.
bool flipDisplay()
{
    LPDIRECTDRAWSURFACE primary = directDrawSurface(primarySurface);
    if (!primary)
        return false;
    HRESULT result = primary->Flip(nullptr, DDFLIP_WAIT);
    if (result == DDERR_SURFACELOST)
        primary->Restore();
    return result == DD_OK;
}

// The frame's way of ending the run: the host's message loop sees the quit
// message at its next turn.
void requestQuit() { PostQuitMessage(0); }

bool readKeyboardState(uint8_t keys[256]) { return readDevice(keyboardDevice, 256, keys); }

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
    return true;
}
