#include "tools/artgen/title_text.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

Shape textShape(const std::string& text, FontSize size, double x, double y, double scale)
{
    auto cells = std::make_shared<std::vector<std::pair<int32_t, int32_t>>>();
    forEachTextPixel(text, size, [&](int32_t px, int32_t py) { cells->push_back({px, py}); });
    // Square pixels on whole-pixel boundaries: rounded ones would leave
    // notches where two pixels of a stroke meet.
    const double corner = 0;
    x = std::round(x);
    y = std::round(y);
    return [=](double sx, double sy) {
        // Distance to the nearest font pixel, each a square with rounded corners.
        double best = 1e9;
        for (const auto& [px, py] : *cells) {
            double x0 = x + px * scale + corner, y0 = y + py * scale + corner;
            double x1 = x + (px + 1) * scale - corner, y1 = y + (py + 1) * scale - corner;
            double dx = std::max(x0 - sx, sx - x1), dy = std::max(y0 - sy, sy - y1);
            double d =
                std::hypot(std::max(dx, 0.0), std::max(dy, 0.0)) + std::min(std::max(dx, dy), 0.0);
            best = std::min(best, d - corner);
        }
        return best;
    };
}

void drawTitle(Image& image, const std::string& text, FontSize size, double x, double y,
               const TitleStyle& style)
{
    double s = style.scale;
    Shape letters = textShape(text, size, x, y, s);
    Shape shadow = textShape(text, size, x + s * 0.6, y + s * 0.7, s);
    fillShape(
        image, [&](double px, double py) { return shadow(px, py) - s * 0.35; }, style.shadow, 1.5,
        0.7);
    fillShape(
        image, [&](double px, double py) { return letters(px, py) - s * 0.35; }, style.outline,
        1.0);
    double height = fontHeight(size) * s;
    fillShapeWith(image, letters, [&](double, double py) {
        return mix(style.top, style.bottom, (py - y) / height);
    });
}

double centredX(const std::string& text, FontSize size, double scale, double centreX)
{
    return centreX - textWidth(text, size) * scale / 2.0;
}
