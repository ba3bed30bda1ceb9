// The X connection of the saver's own window, apart from the rest of the
// window display: SDL's window-manager header brings Xlib's own `Display`.
#include <SDL.h>
#include <SDL_syswm.h>

// render/sdl/window_display.cpp: the saver's own window, null for a given one or none.
SDL_Window* ownSdlWindow();

void* ownWindowConnection()
{
    SDL_Window* window = ownSdlWindow();
    if (!window)
        return nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return nullptr;
    return info.info.x11.display;
}
