// The Vob's round face, shared by the three Vob sheets, the remains, the icon,
// the preview and the about page.
#pragma once

#include <cstdint>

#include "tools/artgen/draw.h"

struct Vec2 {
    double x, y;
};

// Unit vector on screen (y down) of a direction 1..8: right, up, left, down,
// up-right, up-left, down-left, down-right; anything else looks at the viewer.
Vec2 directionVector(int32_t direction);

enum class MouthPose { smile, open, shut, frown };

// Eyes and mouth of a face of radius r at (cx, cy), turned towards `direction`.
Shape faceFeatures(double cx, double cy, double r, int32_t direction, MouthPose mouth);
// The face with eyes and mouth cut out.
Shape faceShape(double cx, double cy, double r, int32_t direction, MouthPose mouth);

// Colour of a round body of colour `base` lit from the upper left, at (x, y).
Rgb litBody(Rgb base, double x, double y, double cx, double cy, double r);

// A lit, anti-aliased Vob for pictures (not sheets): body in `body`, eyes
// and mouth in `features`, with a small glint in each eye when `glint`.
void drawLitVob(Image& image, double cx, double cy, double r, int32_t direction, MouthPose mouth,
                Rgb body, Rgb features, bool glint = true);
