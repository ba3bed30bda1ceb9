// Display lettering for the preview and the about page: the pixel font
// enlarged with rounded pixels, an outline and a drop shadow.
#pragma once

#include <cstdint>
#include <string>

#include "tools/artgen/draw.h"
#include "tools/artgen/pixel_font.h"

struct TitleStyle {
    int32_t scale;    // screen pixels per font pixel
    Rgb top, bottom;  // fill gradient
    Rgb outline;
    Rgb shadow;
};

// The text's shape with its top-left corner at (x, y).
Shape textShape(const std::string& text, FontSize size, double x, double y, double scale);
void drawTitle(Image& image, const std::string& text, FontSize size, double x, double y,
               const TitleStyle& style);
// Left edge that centres `text` on `centreX`.
double centredX(const std::string& text, FontSize size, double scale, double centreX);
