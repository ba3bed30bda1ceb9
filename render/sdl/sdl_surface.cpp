#include "render/sdl/sdl_surface.h"

SdlSurfaceView::SdlSurfaceView(const Surface* surface)
{
    if (!surface || !surface->image.pixels)
        return;
    const PixelImage& image = surface->image;
    const uint32_t format =
        image.format == PixelFormat::rgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    view_ = SDL_CreateRGBSurfaceWithFormatFrom(image.pixels, image.w, image.h,
                                               image.bytesPerPixel * 8, image.pitch, format);
}

SdlSurfaceView::~SdlSurfaceView() { SDL_FreeSurface(view_); }
