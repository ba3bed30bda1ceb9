#include "host/x11/x11_window.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "host/saver_options.h"

namespace {

void (*onLostWindow)() = nullptr;
void (*onLostServer)(const char*) = nullptr;
Display* display = nullptr;
Window watchedWindow = 0;
bool watchedGone = false;
// Kinds of error already reported, as (error code, request code).
std::vector<std::pair<int, int>> reported;

bool aboutWatchedWindow(const XErrorEvent* event)
{
    bool windowError = event->error_code == BadWindow || event->error_code == BadDrawable;
    return windowError && watchedWindow != 0 && event->resourceid == watchedWindow;
}

// Xlib's default handler ends the process: a preview dialog that closes
// under the saver would end it with an error instead of quietly.
int quietErrorHandler(Display* from, XErrorEvent* event)
{
    if (aboutWatchedWindow(event)) {
        watchedGone = true;
        if (onLostWindow)
            onLostWindow();
        return 0;
    }
    // Once the window is gone, what was aimed at it fails in many ways.
    if (watchedGone)
        return 0;
    std::pair<int, int> kind(event->error_code, event->request_code);
    for (const auto& seen : reported) {
        if (seen == kind)
            return 0;
    }
    if (reported.size() < 32)
        reported.push_back(kind);
    char text[160] = "";
    XGetErrorText(from, event->error_code, text, sizeof text);
    std::fprintf(stderr, "tovrine: X error: %s (request %d.%d, resource 0x%lx)\n", text,
                 event->request_code, event->minor_code, event->resourceid);
    return 0;
}

// The connection itself is gone (the X server ended): there is nothing left
// to draw on, and Xlib will not let the process go on.
int lostServerHandler(Display* from)
{
    const char* name = from ? XDisplayString(from) : "";
    if (onLostServer)
        onLostServer(name ? name : "");
    _exit(1);
}

}  // namespace

void installQuietXErrors(void (*lostWindow)(), void (*lostServer)(const char* displayName))
{
    onLostWindow = lostWindow;
    onLostServer = lostServer;
    XSetErrorHandler(quietErrorHandler);
    XSetIOErrorHandler(lostServerHandler);
}

bool openX11Display(const std::string& name, std::string& error)
{
    closeX11Display();
    display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (display)
        return true;
    const char* shown = XDisplayName(name.empty() ? nullptr : name.c_str());
    if (shown == nullptr || *shown == '\0')
        error = "DISPLAY is not set: tovrine draws on an X11 display";
    else
        error = std::string("cannot open the display \"") + shown +
                "\": no X server answers there, or this user may not use it";
    return false;
}

void closeX11Display()
{
    if (display)
        XCloseDisplay(display);
    display = nullptr;
    watchedWindow = 0;
    watchedGone = false;
}

int x11ConnectionFd() { return display ? ConnectionNumber(display) : -1; }

ScreenFacts defaultScreenFacts()
{
    ScreenFacts facts;
    if (!display)
        return facts;
    int screen = DefaultScreen(display);
    facts.width = DisplayWidth(display, screen);
    facts.height = DisplayHeight(display, screen);
    facts.depth = DefaultDepth(display, screen);
    return facts;
}

uint64_t rootTargetWindow()
{
    uint64_t id = 0;
    if (parseWindowId(std::getenv("XSCREENSAVER_WINDOW"), id))
        return id;
    return display ? DefaultRootWindow(display) : 0;
}

bool watchWindow(uint64_t window, int32_t& depth)
{
    if (!display)
        return false;
    watchedWindow = static_cast<Window>(window);
    watchedGone = false;
    // The one round trip: does it exist, and how deep is it.
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, watchedWindow, &attributes)) {
        watchedWindow = 0;
        return false;
    }
    depth = attributes.depth;
    // Beside its owner's: every client may ask for a window's structure
    // changes and exposures.
    XSelectInput(display, watchedWindow, StructureNotifyMask | ExposureMask);
    XSync(display, False);
    return !watchedGone;
}

WindowNews readWindowNews()
{
    WindowNews news;
    news.gone = watchedGone;
    if (!display || watchedWindow == 0)
        return news;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.xany.window != watchedWindow)
            continue;
        switch (event.type) {
        case DestroyNotify:
            news.gone = watchedGone = true;
            break;
        case ConfigureNotify:
            news.resized = true;
            news.width = event.xconfigure.width;
            news.height = event.xconfigure.height;
            break;
        case Expose:
            news.exposed = true;
            break;
        default:
            break;
        }
    }
    return news;
}

int connectionFd(void* other)
{
    return other ? ConnectionNumber(static_cast<Display*>(other)) : -1;
}
