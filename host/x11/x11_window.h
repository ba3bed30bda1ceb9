// The X11 side of the Linux saver: its own connection to the display, the
// window it is given (which may change size or vanish at any moment), and
// X's errors. The connection is opened before SDL's and closed after it.
#pragma once

#include <cstdint>
#include <string>

// Puts handlers over Xlib's (and SDL's): a lost connection (the X server
// ended) calls lostServer with the display's name, which must not return;
// an error about the watched window calls lostWindow; any other error gives
// one line on standard error, once for each kind. Called before the first
// connection opens and again after SDL's video starts, as SDL puts its own.
void installQuietXErrors(void (*lostWindow)(), void (*lostServer)(const char* displayName));

// Opens the connection: `name` (empty: $DISPLAY). False with `error` set
// to what the user can do when there is no display.
bool openX11Display(const std::string& name, std::string& error);
// Closes the connection; the watched window is forgotten.
void closeX11Display();
// The connection's socket, for the wait between frames; -1 when closed.
int x11ConnectionFd();

struct ScreenFacts {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;  // bits per pixel of the default visual
};
ScreenFacts defaultScreenFacts();

// The window $XSCREENSAVER_WINDOW names (0x... or decimal), else the
// default screen's root window.
uint64_t rootTargetWindow();

// Starts following a given window through events on the connection (its
// size, its exposure, its end); false when it does not exist. Its depth in
// `depth`.
bool watchWindow(uint64_t window, int32_t& depth);

// What happened to the watched window since the last call. Reads only what
// the server has already sent: no round trip.
struct WindowNews {
    bool gone = false;
    bool resized = false;
    bool exposed = false;  // what was drawn in part of it is lost
    int32_t width = 0;     // its size when resized
    int32_t height = 0;
};
WindowNews readWindowNews();

// The socket of another Xlib connection (SDL's, as a void* so that its
// callers need no X header).
int connectionFd(void* display);
