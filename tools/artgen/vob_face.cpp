#include "tools/artgen/vob_face.h"

#include <algorithm>
#include <cmath>

Vec2 directionVector(int32_t direction)
{
    const double d = std::sqrt(0.5);
    switch (direction) {
    case 1:
        return {1, 0};
    case 2:
        return {0, -1};
    case 3:
        return {-1, 0};
    case 4:
        return {0, 1};
    case 5:
        return {d, -d};
    case 6:
        return {-d, -d};
    case 7:
        return {-d, d};
    case 8:
        return {d, d};
    default:
        return {0, 0};
    }
}

namespace {

// Strokes never thinner than a pixel, or they vanish in the 15-pixel Vob.
double stroke(double r, double share) { return std::max(0.62, r * share); }

Shape eyes(Vec2 centre, double r, Vec2 turn, bool tiny)
{
    // The eye on the far side draws closer as the head turns.
    double spread = r * 0.38 * (1.0 - 0.22 * std::fabs(turn.x));
    double y = centre.y - r * 0.27;
    if (tiny) {
        // One pixel wide, two tall, on whole pixels: anything finer flickers
        // between shapes from one direction to the next.
        double left = std::floor(centre.x - spread) + 0.5,
               right = std::floor(centre.x + spread) + 0.5;
        double top = std::round(y);
        return unite(box(left - 0.4, top - 0.9, left + 0.4, top + 0.9),
                     box(right - 0.4, top - 0.9, right + 0.4, top + 0.9));
    }
    double rx = std::max(0.75, r * 0.13), ry = std::max(1.05, r * 0.2);
    return unite(ellipse(centre.x - spread, y, rx, ry), ellipse(centre.x + spread, y, rx, ry));
}

Shape mouth(Vec2 centre, double r, Vec2 turn, MouthPose pose)
{
    double y = centre.y + r * 0.3;
    switch (pose) {
    case MouthPose::smile: {
        double arcR = r * 0.42;
        Shape arc = ring(centre.x, y - arcR * 0.75, arcR, stroke(r, 0.075));
        return intersect(arc, box(centre.x - r, y - arcR * 0.35, centre.x + r, y + r));
    }
    case MouthPose::frown: {
        double arcR = r * 0.4;
        Shape arc = ring(centre.x, y + arcR * 0.9, arcR, stroke(r, 0.075));
        return intersect(arc, box(centre.x - r, y - r, centre.x + r, y + arcR * 0.45));
    }
    case MouthPose::open: {
        // Wide open and pushed towards where the Vob is heading, but
        // kept inside the rim.
        double my =
            std::min(y + r * 0.05 + turn.y * r * 0.1, centre.y - turn.y * r * 0.36 + r * 0.5);
        return ellipse(centre.x + turn.x * r * 0.12, my, r * 0.34, r * 0.28);
    }
    case MouthPose::shut:
        return segment(centre.x - r * 0.3, y + r * 0.05, centre.x + r * 0.3, y + r * 0.05,
                       stroke(r, 0.06));
    }
    return disc(0, 0, 0);
}

}  // namespace

Shape faceFeatures(double cx, double cy, double r, int32_t direction, MouthPose pose)
{
    Vec2 turn = directionVector(direction);
    Vec2 centre{cx + turn.x * r * 0.36, cy + turn.y * r * 0.36};
    return unite(eyes(centre, r, turn, r < 9), mouth(centre, r, turn, pose));
}

Shape faceShape(double cx, double cy, double r, int32_t direction, MouthPose pose)
{
    return cut(disc(cx, cy, r), faceFeatures(cx, cy, r, direction, pose));
}

Rgb litBody(Rgb base, double x, double y, double cx, double cy, double r)
{
    double nx = (x - cx) / r, ny = (y - cy) / r;
    double light = std::clamp(-(nx * 0.55 + ny * 0.65), -1.0, 1.0);
    double rim = std::clamp(std::hypot(nx, ny), 0.0, 1.0);
    Rgb highlight = mix(base, Rgb{255, 255, 235}, 0.75);
    Rgb shadow = Rgb{static_cast<uint8_t>(base.r * 0.8), static_cast<uint8_t>(base.g * 0.58),
                     static_cast<uint8_t>(base.b * 0.4)};
    Rgb lit = mix(base, highlight, std::max(0.0, light) * (1 - rim * rim) * 0.9);
    return mix(lit, shadow, std::max(0.0, -light) * 0.6 + rim * rim * 0.25);
}

void drawLitVob(Image& image, double cx, double cy, double r, int32_t direction, MouthPose mouth,
                Rgb body, Rgb features, bool glint)
{
    fillShapeWith(
        image, disc(cx, cy, r), [&](double x, double y) { return litBody(body, x, y, cx, cy, r); },
        std::max(1.0, r * 0.08));
    fillShape(image, faceFeatures(cx, cy, r, direction, mouth), features, 1.0);
    if (!glint || r < 9)
        return;
    // Glints where the eyes sit, up and to the left in each.
    Vec2 turn = directionVector(direction);
    double fx = cx + turn.x * r * 0.36, fy = cy + turn.y * r * 0.36;
    double spread = r * 0.38 * (1.0 - 0.22 * std::fabs(turn.x));
    for (double ex : {fx - spread, fx + spread})
        fillShape(image, disc(ex - r * 0.04, fy - r * 0.27 - r * 0.08, std::max(0.6, r * 0.045)),
                  Rgb{255, 255, 255}, 1.0);
}
