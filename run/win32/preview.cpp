// The control panel's preview: one fixed picture, painted on every tick.

#include "host/win32/saver_host.h"
#include "run/win32/saver_run.h"

namespace {

constexpr int previewBitmapId = 163;
// The picture's left and top edges fall outside the small window.
constexpr int previewLeft = -29;
constexpr int previewTop = -13;

HBITMAP previewBitmap = nullptr;
bool loadPending = true;

}  // namespace

int32_t paintPreview()
{
    if (loadPending) {
        previewBitmap = LoadBitmapA(saverInstance, MAKEINTRESOURCEA(previewBitmapId));
        loadPending = false;
    }
    // Without the picture the window keeps its black background.
    if (previewBitmap == nullptr)
        return 0;
    HDC windowDc = GetDC(saverWindow);
    if (windowDc == nullptr)
        return 0;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    if (memoryDc != nullptr) {
        HGDIOBJ previous = SelectObject(memoryDc, previewBitmap);
        BITMAP size;
        if (GetObjectA(previewBitmap, sizeof size, &size) != 0)
            BitBlt(windowDc, previewLeft, previewTop, size.bmWidth, size.bmHeight, memoryDc, 0, 0,
                   SRCCOPY);
        SelectObject(memoryDc, previous);
        DeleteDC(memoryDc);
    }
    ReleaseDC(saverWindow, windowDc);
    return 0;
}
