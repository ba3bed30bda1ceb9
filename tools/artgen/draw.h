// Shape drawing by signed distance: a shape is a function giving, for a
// point, its distance to the outline (negative inside). That makes soft,
// anti-aliased edges and single-colour hard edges come from the same shapes.
#pragma once

#include <cstdint>
#include <functional>

#include "tools/artgen/image.h"

using Shape = std::function<double(double x, double y)>;

Shape disc(double cx, double cy, double r);
Shape ellipse(double cx, double cy, double rx, double ry);
Shape ring(double cx, double cy, double r, double halfWidth);
Shape segment(double x0, double y0, double x1, double y1, double halfWidth);
Shape box(double x0, double y0, double x1, double y1);
Shape unite(Shape a, Shape b);
Shape cut(Shape from, Shape hole);
Shape intersect(Shape a, Shape b);

// Fraction of the pixel (x, y) covered, with an edge `softness` pixels wide.
double coverage(const Shape& shape, int32_t x, int32_t y, double softness = 1.0);

// Anti-aliased fill over whatever is there.
void fillShape(Image& image, const Shape& shape, Rgb colour, double softness = 1.0,
               double opacity = 1.0);
// Colour varying over the shape (shading, gradients).
void fillShapeWith(Image& image, const Shape& shape,
                   const std::function<Rgb(double x, double y)>& colourAt, double softness = 1.0,
                   double opacity = 1.0);
// Every pixel whose centre lies inside takes `colour` exactly: no blending,
// for sprites drawn in one colour.
void fillShapeHard(Image& image, const Shape& shape, Rgb colour);

// Deterministic noise: the same inputs give the same picture on every run.
uint32_t hashPoint(int32_t x, int32_t y, uint32_t seed);
double hashUnit(int32_t x, int32_t y, uint32_t seed);   // 0..1
double smoothNoise(double x, double y, uint32_t seed);  // 0..1, bilinear

// A small seeded generator for scattering things.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t next();
    double unit();  // 0..1
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }

private:
    uint32_t state_;
};

constexpr double kPi = 3.14159265358979323846;
