#include "tools/artgen/scenery.h"

#include <algorithm>
#include <cmath>

#include "tools/artgen/draw.h"

void drawNightSky(Image& image, Rgb top, Rgb bottom, int32_t stars, uint32_t seed)
{
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            double t = double(y) / std::max(1, image.height - 1);
            double haze = smoothNoise(x / 40.0, y / 30.0, seed) * 0.25;
            setPixel(image, x, y, mix(mix(top, bottom, t), Rgb{60, 40, 120}, haze));
        }
    Lcg rng(seed);
    for (int32_t i = 0; i < stars; ++i) {
        double x = rng.range(0, image.width), y = rng.range(0, image.height);
        double bright = rng.range(0.25, 1.0);
        Rgb tint = rng.unit() < 0.3 ? Rgb{200, 210, 255} : Rgb{255, 250, 230};
        if (bright > 0.85)
            fillShape(image, disc(x, y, 1.1), tint, 1.0, bright * 0.8);
        else
            blendPixel(image, static_cast<int32_t>(x), static_cast<int32_t>(y), tint, bright);
    }
}

void drawPictureWhirl(Image& image, double cx, double cy, double r, double turn)
{
    fillShape(image, disc(cx, cy, r * 1.15), Rgb{38, 62, 196}, r * 0.35, 0.5);
    for (int32_t i = 0; i < 6; ++i) {
        double base = 2 * kPi * i / 6;
        Shape arm = disc(-1e3, -1e3, 0);
        for (int32_t k = 0; k < 8; ++k) {
            double t0 = k / 8.0, t1 = (k + 1) / 8.0;
            double a0 = base - turn + t0 * 1.3, a1 = base - turn + t1 * 1.3;
            double r0 = r * (0.22 + 0.75 * t0), r1 = r * (0.22 + 0.75 * t1);
            arm = unite(arm, segment(cx + std::cos(a0) * r0, cy + std::sin(a0) * r0,
                                     cx + std::cos(a1) * r1, cy + std::sin(a1) * r1,
                                     std::max(0.5, r * (0.085 - 0.05 * t0))));
        }
        fillShape(image, arm, i % 2 ? Rgb{84, 128, 255} : Rgb{176, 150, 255});
    }
    fillShapeWith(image, ring(cx, cy, r, std::max(0.7, r * 0.095)), [&](double x, double y) {
        double a = std::atan2(y - cy, x - cx) + turn;
        return mix(Rgb{84, 128, 255}, Rgb{214, 204, 255}, 0.5 + 0.5 * std::cos(a * 6 - 7.8));
    });
    fillShape(image, disc(cx, cy, r * 0.34), Rgb{176, 150, 255}, r * 0.17 + 1, 0.9);
    fillShape(image, disc(cx, cy, r * 0.18), Rgb{240, 244, 255}, r * 0.08 + 0.8);
}

void drawFoodDot(Image& image, double cx, double cy, double r)
{
    fillShapeWith(image, disc(cx, cy, r), [&](double x, double y) {
        double light = std::clamp(-((x - cx) + (y - cy)) / r * 0.7, -1.0, 1.0);
        Rgb body{46, 104, 245};
        return light > 0 ? mix(body, Rgb{170, 215, 255}, light)
                         : mix(body, Rgb{24, 48, 178}, -light);
    });
}
