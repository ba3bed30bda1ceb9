#include "host/x11/x11_window.h"

#include <X11/Xlib.h>

#include <unistd.h>

#include <cstdlib>

#include "host/saver_options.h"

namespace {

void (*onLostWindow)() = nullptr;
Display* watchDisplay = nullptr;
Window watchedWindow = 0;

// Xlib's default handler exits the process: a preview dialog that closes
// under the saver would end it with an error instead of quietly.
int quietErrorHandler(Display*, XErrorEvent* event)
{
    bool gone = event->error_code == BadWindow || event->error_code == BadDrawable;
    if (gone && watchedWindow != 0 && event->resourceid == watchedWindow && onLostWindow)
        onLostWindow();
    return 0;
}

// The connection itself is gone (the X server ended): there is nothing left
// to draw on, and Xlib will not let the process go on. End as told to.
int quietIoErrorHandler(Display*) { _exit(0); }

}  // namespace

uint64_t rootTargetWindow()
{
    uint64_t id = 0;
    if (parseWindowId(std::getenv("XSCREENSAVER_WINDOW"), id))
        return id;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 0;
    id = DefaultRootWindow(display);
    XCloseDisplay(display);
    return id;
}

void installQuietXErrors(void (*lostWindow)())
{
    onLostWindow = lostWindow;
    XSetErrorHandler(quietErrorHandler);
    XSetIOErrorHandler(quietIoErrorHandler);
}

bool watchWindow(uint64_t window)
{
    stopWatchingWindow();
    watchDisplay = XOpenDisplay(nullptr);
    if (!watchDisplay)
        return false;
    watchedWindow = static_cast<Window>(window);
    // Beside its owner's: every client may ask for a window's exposures.
    XSelectInput(watchDisplay, watchedWindow, ExposureMask);
    int32_t width = 0;
    int32_t height = 0;
    return watchedWindowSize(width, height);
}

bool watchedWindowSize(int32_t& width, int32_t& height)
{
    if (!watchDisplay)
        return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(watchDisplay, watchedWindow, &attributes))
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool watchedWindowExposed()
{
    if (!watchDisplay)
        return false;
    bool exposed = false;
    XEvent event;
    while (XCheckTypedWindowEvent(watchDisplay, watchedWindow, Expose, &event))
        exposed = true;
    return exposed;
}

void stopWatchingWindow()
{
    if (watchDisplay)
        XCloseDisplay(watchDisplay);
    watchDisplay = nullptr;
    watchedWindow = 0;
}
