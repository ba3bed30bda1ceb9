// Pieces of scenery shared by the preview and the about page.
#pragma once

#include <cstdint>

#include "tools/artgen/image.h"

// A vertical gradient from `top` to `bottom` with faint stars.
void drawNightSky(Image& image, Rgb top, Rgb bottom, int32_t stars, uint32_t seed);
// A whirl of radius r turned by `turn` radians, for pictures.
void drawPictureWhirl(Image& image, double cx, double cy, double r, double turn);
// A food dot of radius r.
void drawFoodDot(Image& image, double cx, double cy, double r);
