// The whirl: a vortex ring with curved spokes around a bright core. Every frame
// turns it a little further, so that 20 frames played in a loop make four
// whole turns of the six-fold pattern and the loop has no seam.
#include <algorithm>
#include <cmath>

#include "tools/artgen/artwork.h"
#include "tools/artgen/draw.h"
#include "tools/artgen/sheet_grid.h"

namespace {

constexpr int32_t kSpokes = 6;
constexpr double kTurnPerFrame = 2 * kPi / kSpokes / 5;  // one spoke step per five frames

const Rgb kDeepBlue{38, 62, 196};
const Rgb kBlue{84, 128, 255};
const Rgb kLavender{176, 150, 255};
const Rgb kPaleLavender{214, 204, 255};
const Rgb kCore{240, 244, 255};

struct Whirl {
    double cx, cy;
    double scale;  // 1 is the full vortex
    double turn;   // radians, clockwise on screen
};

// A spoke curls from the core outwards, trailing behind the turn.
Shape spoke(const Whirl& w, double base)
{
    Shape s = disc(-100, -100, 0);
    const int32_t steps = 8;
    double r0 = 4.0 * w.scale, r1 = 17.0 * w.scale;
    for (int32_t i = 0; i < steps; ++i) {
        double t0 = double(i) / steps, t1 = double(i + 1) / steps;
        auto at = [&](double t, double& x, double& y) {
            double r = r0 + (r1 - r0) * t;
            double a = base - w.turn + t * 1.3;
            x = w.cx + std::cos(a) * r;
            y = w.cy + std::sin(a) * r;
        };
        double x0, y0, x1, y1;
        at(t0, x0, y0);
        at(t1, x1, y1);
        double width = std::max(0.45, (1.5 - t0 * 0.9) * w.scale);
        s = unite(s, segment(x0, y0, x1, y1, width));
    }
    return s;
}

// The ring is brighter where the spokes meet it, so its turning shows too.
Rgb ringColour(const Whirl& w, double x, double y)
{
    double a = std::atan2(y - w.cy, x - w.cx) + w.turn;
    double wave = 0.5 + 0.5 * std::cos(a * kSpokes - 1.3 * kSpokes);
    return mix(kBlue, kPaleLavender, wave);
}

void drawWhirl(Image& cell, const Whirl& w)
{
    if (w.scale <= 0)
        return;
    // Soft lavender glow behind everything.
    fillShape(cell, disc(w.cx, w.cy, 20.5 * w.scale), kDeepBlue, 6.0 * w.scale + 1, 0.55);
    for (int32_t i = 0; i < kSpokes; ++i) {
        double base = 2 * kPi * i / kSpokes;
        Rgb colour = i % 2 ? kBlue : kLavender;
        fillShape(cell, spoke(w, base), colour, 1.0);
    }
    fillShapeWith(cell, ring(w.cx, w.cy, 17.5 * w.scale, std::max(0.6, 1.7 * w.scale)),
                  [&](double x, double y) { return ringColour(w, x, y); });
    // The core: white centre fading through lavender.
    fillShape(cell, disc(w.cx, w.cy, 6.0 * w.scale + 0.8), kLavender, 3.0 * w.scale + 1, 0.9);
    fillShape(cell, disc(w.cx, w.cy, 3.2 * w.scale + 0.6), kCore, 1.5 * w.scale + 0.8);
}

// Scale of frame i (0..19): five full poses, shrinking to a speck, growing
// back, five full poses again.
double frameScale(int32_t frame)
{
    static const double kShrink[5] = {0.82, 0.62, 0.42, 0.24, 0.08};
    if (frame < 5 || frame >= 15)
        return 1.0;
    if (frame < 10)
        return kShrink[frame - 5];
    return kShrink[4 - (frame - 10)];
}

}  // namespace

Image drawWhirlSheet()
{
    const SheetLayout& l = kWhirlLayout;
    Image sheet = makeSheet(l);
    for (int32_t frame = 0; frame < l.columns * l.rows; ++frame) {
        Image cell = makeCell(l);
        drawWhirl(cell, Whirl{22.0, 22.0, frameScale(frame), frame * kTurnPerFrame});
        placeCell(sheet, l, frame % l.columns, frame / l.columns, cell);
    }
    return sheet;
}
