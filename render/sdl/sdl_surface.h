// A memory surface seen as an SDL_Surface, for what SDL still does with the
// pictures: the window display's copy into the window and PNG files.
// Private to render/sdl.
#pragma once

#include <SDL.h>

#include "render/memory/memory_surface.h"

// Borrows the surface's pixels (no copy) for as long as it lives; get() is
// null for a surface without pixels or when SDL cannot make the view.
class SdlSurfaceView {
public:
    explicit SdlSurfaceView(const Surface* surface);
    ~SdlSurfaceView();
    SdlSurfaceView(const SdlSurfaceView&) = delete;
    SdlSurfaceView& operator=(const SdlSurfaceView&) = delete;

    SDL_Surface* get() const { return view_; }

private:
    SDL_Surface* view_ = nullptr;
};
