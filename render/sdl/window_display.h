// The display of the Linux saver: the world's two surfaces in memory, as the
// headless display keeps them, and a window that shows the visible one
// scaled to fit with black bars. The window is the saver's own (framed or
// full screen) or another program's, taken by its X window id.
#pragma once

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "render/display.h"

enum class WindowKind { framed, fullScreen, given };

struct WindowRequest {
    WindowKind kind = WindowKind::framed;
    uint64_t windowId = 0;  // the given window
    // The world's size and depth; a size of 0 x 0 takes the window's.
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 16;
    // The saver's framed window: its size (0 x 0: the world's) and, when
    // placed, where its top left goes (the host measures x and y from the
    // screen's right and bottom edges first where -geometry said so).
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    bool placed = false;
    int32_t x = 0;
    int32_t y = 0;
    bool fromRight = false;
    bool fromBottom = false;
    // The opener's stop state, read while set-up or a rebirth holds the
    // loop: once it is set the polls report Escape held, so those stop too.
    const volatile std::sig_atomic_t* stopFlag = nullptr;
};

// Starts SDL's video alone, on X11 only (never an off-screen driver, where
// nobody would see the saver), so that the caller can put its own X error
// handler over SDL's before any window is touched. False with `error` set.
bool startWindowVideo(std::string& error);

// Starts SDL's video when not yet started, makes or takes the window and
// opens `display` (the host's, shown in the window until closeWindowDisplay).
// False with `error` set; nothing stays open then. Called once by the
// frame clock before the world is built.
bool openWindowDisplay(Display& display, const WindowRequest& request, std::string& error);
// Gives back the display's surfaces, the window (a given one is left to its owner)
// and SDL's video.
void closeWindowDisplay();

// Shows the visible surface in the window, scaled. Called by the frame
// clock after each frame, and through the input polls while the loading
// screen or a rebirth draws straight onto the visible surface.
void presentWindowDisplay();

// Refreshes a second of the screen that shows the window (XRandR's mode,
// through SDL); 0 when it is not known.
int32_t windowRefreshRate();

// Sends the whole picture at the next present, not only what changed:
// the window was exposed. Called by the frame clock for a given window.
void refreshWindowDisplay();

// Takes a given window again after its owner changed its size, so that
// the picture follows. Called by the frame clock.
bool retakeGivenWindow(std::string& error);

// What the user did in the saver's own window since the last call.
struct WindowInput {
    bool closeRequested = false;  // the window closed, Escape or q
    std::vector<std::string>
        keys;  // every other key pressed, by SDL's name ("F1"), repeats included
    bool clicked = false;
};
// Empties the event queue. A given window's events are never read.
WindowInput pumpWindowInput();

// The Xlib connection of the saver's own window (a Display*), for the
// host's wait between frames; null for a given window or none.
// (render/sdl/window_connection.cpp: Xlib's Display is not this one).
void* ownWindowConnection();
