// The window display's copy of each frame into the window's framebuffer:
// scaled by nearest pixel and converted in one pass, and only where the
// world's picture changed since the last copy. Private to render/sdl.
#pragma once

#include <SDL.h>

#include <vector>

// Copies what differs from the last copy (everything when `everything`, or
// when the source, the destination or `to` changed) onto the rectangle `to`
// of `dest`, and appends the destination rectangles written to `changed`.
// Handles 5-6-5 and XRGB8888 on either side; false (nothing copied) for any
// other pair of formats, which the caller leaves to SDL.
bool copyChangedScaled(const SDL_Surface* source, SDL_Surface* dest, const SDL_Rect& to,
                       bool everything, std::vector<SDL_Rect>& changed);
