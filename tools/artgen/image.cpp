#include "tools/artgen/image.h"

#include <algorithm>
#include <cmath>

Image makeImage(int32_t width, int32_t height, Rgb fill)
{
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, fill);
    return image;
}

bool inside(const Image& image, int32_t x, int32_t y)
{
    return x >= 0 && y >= 0 && x < image.width && y < image.height;
}

Rgb pixelAt(const Image& image, int32_t x, int32_t y)
{
    return image.pixels[static_cast<size_t>(y) * image.width + x];
}

void setPixel(Image& image, int32_t x, int32_t y, Rgb colour)
{
    if (inside(image, x, y))
        image.pixels[static_cast<size_t>(y) * image.width + x] = colour;
}

static uint8_t channel(double v)
{
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

Rgb mix(Rgb a, Rgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {channel(a.r + (b.r - a.r) * t), channel(a.g + (b.g - a.g) * t),
            channel(a.b + (b.b - a.b) * t)};
}

Rgb scaleRgb(Rgb c, double f) { return {channel(c.r * f), channel(c.g * f), channel(c.b * f)}; }

void blendPixel(Image& image, int32_t x, int32_t y, Rgb colour, double alpha)
{
    if (!inside(image, x, y) || alpha <= 0.0)
        return;
    setPixel(image, x, y, mix(pixelAt(image, x, y), colour, alpha));
}

void paste(Image& dest, const Image& src, int32_t x, int32_t y)
{
    for (int32_t sy = 0; sy < src.height; ++sy)
        for (int32_t sx = 0; sx < src.width; ++sx)
            setPixel(dest, x + sx, y + sy, pixelAt(src, sx, sy));
}

Image scaleUp(const Image& src, int32_t factor)
{
    Image out = makeImage(src.width * factor, src.height * factor, Rgb{});
    for (int32_t y = 0; y < out.height; ++y)
        for (int32_t x = 0; x < out.width; ++x)
            setPixel(out, x, y, pixelAt(src, x / factor, y / factor));
    return out;
}
