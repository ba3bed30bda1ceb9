#include "tools/artgen/draw.h"

#include <algorithm>
#include <cmath>

Shape disc(double cx, double cy, double r)
{
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape ellipse(double cx, double cy, double rx, double ry)
{
    return [=](double x, double y) {
        double k = std::hypot((x - cx) / rx, (y - cy) / ry);
        return (k - 1.0) * std::min(rx, ry);
    };
}

Shape ring(double cx, double cy, double r, double halfWidth)
{
    return
        [=](double x, double y) { return std::fabs(std::hypot(x - cx, y - cy) - r) - halfWidth; };
}

Shape segment(double x0, double y0, double x1, double y1, double halfWidth)
{
    return [=](double x, double y) {
        double dx = x1 - x0, dy = y1 - y0;
        double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
        return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - halfWidth;
    };
}

Shape box(double x0, double y0, double x1, double y1)
{
    return [=](double x, double y) {
        double dx = std::max(x0 - x, x - x1), dy = std::max(y0 - y, y - y1);
        if (dx <= 0 && dy <= 0)
            return std::max(dx, dy);
        return std::hypot(std::max(dx, 0.0), std::max(dy, 0.0));
    };
}

Shape unite(Shape a, Shape b)
{
    return [=](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

Shape cut(Shape from, Shape hole)
{
    return [=](double x, double y) { return std::max(from(x, y), -hole(x, y)); };
}

Shape intersect(Shape a, Shape b)
{
    return [=](double x, double y) { return std::max(a(x, y), b(x, y)); };
}

double coverage(const Shape& shape, int32_t x, int32_t y, double softness)
{
    double d = shape(x + 0.5, y + 0.5);
    return std::clamp(0.5 - d / softness, 0.0, 1.0);
}

void fillShape(Image& image, const Shape& shape, Rgb colour, double softness, double opacity)
{
    fillShapeWith(
        image, shape, [colour](double, double) { return colour; }, softness, opacity);
}

void fillShapeWith(Image& image, const Shape& shape,
                   const std::function<Rgb(double x, double y)>& colourAt, double softness,
                   double opacity)
{
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            double a = coverage(shape, x, y, softness) * opacity;
            if (a > 0)
                blendPixel(image, x, y, colourAt(x + 0.5, y + 0.5), a);
        }
}

void fillShapeHard(Image& image, const Shape& shape, Rgb colour)
{
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
            if (shape(x + 0.5, y + 0.5) < 0)
                setPixel(image, x, y, colour);
}

uint32_t hashPoint(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
                 static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double hashUnit(int32_t x, int32_t y, uint32_t seed)
{
    return hashPoint(x, y, seed) / 4294967295.0;
}

double smoothNoise(double x, double y, uint32_t seed)
{
    int32_t ix = static_cast<int32_t>(std::floor(x)), iy = static_cast<int32_t>(std::floor(y));
    double fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    double top = hashUnit(ix, iy, seed) * (1 - fx) + hashUnit(ix + 1, iy, seed) * fx;
    double bottom = hashUnit(ix, iy + 1, seed) * (1 - fx) + hashUnit(ix + 1, iy + 1, seed) * fx;
    return top * (1 - fy) + bottom * fy;
}

uint32_t Lcg::next()
{
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
}

double Lcg::unit() { return next() / 16777215.0; }
