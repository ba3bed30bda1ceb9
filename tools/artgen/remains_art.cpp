// The remains of a dead Vob, 42 frames played in reading order, one row per
// act: the Vob turns from green to red, melts into a puddle, a gravestone
// rises out of a tuft of grass, stands, crumbles away, and a small halo rises
// and fades to a dot.
#include <algorithm>
#include <cmath>

#include "tools/artgen/artwork.h"
#include "tools/artgen/draw.h"
#include "tools/artgen/sheet_grid.h"
#include "tools/artgen/vob_face.h"

namespace {

constexpr double kCx = 11.5;  // the Vob's centre, as on its own sheet
constexpr double kCy = 11.5;
constexpr double kR = 7.0;
constexpr double kGround = 19.5;  // where puddle, grass and stone stand

const Rgb kGreen{95, 255, 17};
const Rgb kDeadRed{222, 34, 30};
const Rgb kDarkRed{150, 18, 24};

// ---- act 1: turning red ---------------------------------------------------

// Crossed-out eyes for the last moments.
Shape crossedEyes(double cx, double cy)
{
    Shape eyes = disc(-100, -100, 0);
    for (double ex : {cx - 3.0, cx + 3.0}) {
        double ey = cy - 2.0;
        eyes = unite(eyes, segment(ex - 1.1, ey - 1.1, ex + 1.1, ey + 1.1, 0.5));
        eyes = unite(eyes, segment(ex - 1.1, ey + 1.1, ex + 1.1, ey - 1.1, 0.5));
    }
    return eyes;
}

void drawTurning(Image& cell, int32_t step)
{
    double t = step / 6.0;
    Rgb colour = mix(kGreen, kDeadRed, t);
    if (step < 4) {
        MouthPose pose = step < 2 ? MouthPose::shut : MouthPose::frown;
        fillShapeHard(cell, faceShape(kCx, kCy, kR, 0, pose), colour);
        return;
    }
    Shape mouth = faceFeatures(kCx, kCy, kR, 0, MouthPose::frown);
    // Keep only the frown from the features; the eyes become crosses.
    Shape frownOnly = intersect(mouth, box(0, kCy + 0.5, 23, 22));
    fillShapeHard(cell, cut(cut(disc(kCx, kCy, kR), frownOnly), crossedEyes(kCx, kCy)), colour);
}

// ---- act 2: melting ---------------------------------------------------------

Rgb meltShade(double x, double y, double cx, double cy, double rx, double ry, double t)
{
    double nx = (x - cx) / rx, ny = (y - cy) / ry;
    double light = std::clamp(-(nx * 0.6 + ny * 0.8), -1.0, 1.0);
    Rgb body = mix(kDeadRed, kDarkRed, t * 0.6);
    if (light > 0.35)
        return mix(body, Rgb{255, 130, 118}, (light - 0.35) * 1.2);
    return mix(body, kDarkRed, std::max(0.0, -light) * 0.7);
}

void drawMelting(Image& cell, int32_t step)
{
    double t = step / 6.0;
    double ry = kR + (2.0 - kR) * t;   // sags
    double rx = kR + (10.5 - kR) * t;  // and spreads
    double cy = kGround - 0.5 - ry;
    Shape blob = ellipse(kCx, cy, rx, ry);
    // The puddle gathers at the foot, with two drips running down the sides.
    blob = unite(blob, ellipse(kCx, kGround - 1.2, 3.5 + 7.0 * t, 1.6 + 0.4 * t));
    if (step > 0 && step < 6) {
        double drip = 0.5 + t * 0.8;
        blob = unite(blob, ellipse(kCx - rx * 0.75, cy + ry * 0.55 + drip, 1.0, 1.6));
        blob = unite(blob, ellipse(kCx + rx * 0.6, cy + ry * 0.7 + drip * 1.2, 0.9, 1.4));
    }
    fillShapeWith(cell, blob,
                  [&](double x, double y) { return meltShade(x, y, kCx, cy, rx, ry, t); });
    // Eyes droop and close as the face runs.
    if (step < 4) {
        double sag = 1.0 + t * 1.6;
        for (double ex : {kCx - 2.8 - t * 2, kCx + 2.8 + t * 2})
            fillShape(cell, ellipse(ex, cy - ry * 0.25, 0.7, 0.9 * sag / (1 + t * 2)), Rgb{}, 1.0);
    }
}

// ---- acts 3 to 5: grass and gravestone --------------------------------------

struct Blade {
    double baseX, lean, length;
    Rgb colour;
};

const Blade kBlades[] = {
    {4.5, -2.0, 4.0, {44, 150, 40}},  {6.0, -1.0, 6.0, {70, 190, 50}},
    {7.5, -0.5, 4.5, {40, 130, 36}},  {9.0, 0.3, 7.0, {88, 205, 64}},
    {10.5, -0.6, 5.0, {52, 160, 44}}, {12.5, 0.5, 5.5, {76, 196, 58}},
    {14.0, -0.3, 7.5, {44, 140, 40}}, {15.5, 0.8, 5.0, {90, 210, 66}},
    {17.0, 1.2, 6.0, {58, 170, 46}},  {18.5, 2.0, 4.0, {40, 136, 36}},
};

void drawGrass(Image& cell, double sway, double fade)
{
    fillShape(cell, ellipse(kCx, kGround, 8.5, 1.4), scaleRgb(Rgb{30, 96, 28}, fade));
    for (const Blade& b : kBlades) {
        double tipX = b.baseX + b.lean + sway * b.length / 7.0;
        fillShape(cell, segment(b.baseX, kGround, tipX, kGround - b.length, 0.55),
                  scaleRgb(b.colour, fade), 0.9);
    }
}

Rgb stoneShade(double x, double left, double right)
{
    double t = std::clamp((x - left) / (right - left), 0.0, 1.0);
    return mix(Rgb{196, 196, 208}, Rgb{112, 112, 128}, t);
}

// The stone's top edge sits at `top`; nothing shows below the ground.
Shape stoneShape(double top)
{
    Shape slab = unite(box(6.5, top + 5.0, 16.5, kGround + 2), disc(kCx, top + 5.0, 5.0));
    return intersect(slab, box(0, 0, 23, kGround));
}

// `brokenTo` is how far down the stone has crumbled away: a jagged edge at
// that depth below the top, nothing above it.
void drawStone(Image& cell, double top, double cracks, double brokenTo = 0)
{
    Shape remaining = [=](double x, double y) {
        if (brokenTo <= 0)
            return -100.0;
        double jag = (hashUnit(static_cast<int32_t>(x * 0.8), 5, 112) - 0.5) * 3.0;
        return (top + brokenTo + jag) - y;
    };
    Shape stone = intersect(stoneShape(top), remaining);
    fillShape(cell, stone, Rgb{84, 84, 98});  // outline
    Shape face = intersect(
        intersect(unite(box(7.5, top + 5.0, 15.5, kGround + 2), disc(kCx, top + 5.0, 4.0)),
                  box(0, 0, 23, kGround)),
        [=](double x, double y) { return remaining(x, y) + 1.0; });
    fillShapeWith(cell, face, [](double x, double) { return stoneShade(x, 7.5, 15.5); });
    // Engraved cross.
    Rgb engraving{92, 92, 108};
    fillShape(cell, intersect(segment(kCx, top + 3.0, kCx, top + 8.5, 0.5), face), engraving, 0.8);
    fillShape(cell, intersect(segment(kCx - 2.0, top + 4.8, kCx + 2.0, top + 4.8, 0.5), face),
              engraving, 0.8);
    if (cracks > 0) {
        Rgb crack{58, 58, 70};
        fillShape(cell,
                  intersect(segment(8.0, top + 6.0, 10.0, top + 9.0 + cracks * 2, 0.45), face),
                  crack, 0.8, std::min(1.0, cracks));
        fillShape(cell,
                  intersect(segment(15.0, top + 4.0, 13.0, top + 7.0 + cracks * 3, 0.45), face),
                  crack, 0.8, std::min(1.0, cracks));
    }
}

void drawRising(Image& cell, int32_t step)
{
    double top = kGround - 2.0 - 11.5 * step / 6.0;
    // A mound of fresh earth where the puddle was.
    fillShape(cell, ellipse(kCx, kGround - 0.5, 6.5 - step * 0.3, 1.8), Rgb{104, 70, 38});
    drawStone(cell, top, 0);
    drawGrass(cell, 0, 1.0);
}

void drawStanding(Image& cell, int32_t step)
{
    drawStone(cell, kGround - 13.5, 0);
    drawGrass(cell, std::sin(step * 2 * kPi / 7) * 0.9, 1.0);
}

// The stone breaks away from the top down; the pieces fall and settle as
// rubble in the grass.
void drawCrumbling(Image& cell, int32_t step)
{
    const double standing = kGround - 13.5;
    double t = step / 6.0;
    double broken = 13.5 * t * t * 1.05;
    if (step < 6)
        drawStone(cell, standing, std::min(1.0, step / 1.5), broken);
    Lcg rng(112);
    for (int32_t i = 0; i < 7; ++i) {
        // Each piece leaves when the break passes its height.
        double x = rng.range(7.5, 15.5), fromDepth = rng.range(0.5, 12.0);
        double leaveAt = std::sqrt(fromDepth / (13.5 * 1.05)) * 6.0;
        if (step < leaveAt)
            continue;
        double fall = std::min(1.0, (step - leaveAt + 0.6) / 1.6);
        double y0 = standing + fromDepth, y = y0 + (kGround - 1.2 - y0) * fall * fall;
        double size = 0.7 + 0.25 * (i % 3);
        if (fall >= 1.0 && step == 6 && i % 2)
            continue;  // the last of them sinks into the grass
        fillShape(cell, box(x - size, y - size, x + size, y + size * 0.8), Rgb{150, 150, 164});
    }
    drawGrass(cell, std::sin((step + 7) * 2 * kPi / 7) * 0.6, 1.0 - 0.45 * t);
}

// ---- act 6: the halo ----------------------------------------------------------

void drawHalo(Image& cell, int32_t step)
{
    // The grass withers away under the rising halo.
    if (step < 3)
        drawGrass(cell, 0, 0.55 - step * 0.15);
    Rgb gold{255, 226, 90};
    if (step == 6) {
        setPixel(cell, 11, 2, Rgb{255, 244, 190});
        return;
    }
    double t = step / 6.0;
    double cy = 14.5 - 11.0 * t;
    double rx = 5.0 - 2.2 * t, ry = 2.2 - 0.7 * t;
    double glow = 1.0 - 0.5 * t;
    Shape halo = [=](double x, double y) {
        // An ellipse outline about 1.2 pixels thick.
        double k = std::hypot((x - kCx) / rx, (y - cy) / ry);
        return std::fabs(k - 1.0) * std::min(rx, ry) - 0.6;
    };
    fillShape(cell, halo, scaleRgb(gold, glow), 0.8);
}

}  // namespace

Image drawRemainsSheet()
{
    using Act = void (*)(Image&, int32_t);
    const Act acts[6] = {drawTurning,  drawMelting,   drawRising,
                         drawStanding, drawCrumbling, drawHalo};
    const SheetLayout& l = kRemainsLayout;
    Image sheet = makeSheet(l);
    for (int32_t row = 0; row < l.rows; ++row)
        for (int32_t step = 0; step < l.columns; ++step) {
            Image cell = makeCell(l);
            acts[row](cell, step);
            placeCell(sheet, l, step, row, cell);
        }
    return sheet;
}
