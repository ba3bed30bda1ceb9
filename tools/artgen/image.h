// A plain 24-bit picture in memory; every piece of artwork is drawn into one.
#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

inline bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline bool operator!=(Rgb a, Rgb b) { return !(a == b); }

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Rgb> pixels;  // row-major, top row first
};

Image makeImage(int32_t width, int32_t height, Rgb fill);
bool inside(const Image& image, int32_t x, int32_t y);
Rgb pixelAt(const Image& image, int32_t x, int32_t y);
// Writes outside the picture are ignored, so shapes may overhang.
void setPixel(Image& image, int32_t x, int32_t y, Rgb colour);
// Mixes `colour` over the pixel with weight `alpha` in 0..1.
void blendPixel(Image& image, int32_t x, int32_t y, Rgb colour, double alpha);
Rgb mix(Rgb a, Rgb b, double t);
Rgb scaleRgb(Rgb c, double f);
// Copies `src` with its top-left corner at (x, y).
void paste(Image& dest, const Image& src, int32_t x, int32_t y);
// Nearest-neighbour enlargement, for looking at small sprites.
Image scaleUp(const Image& src, int32_t factor);
