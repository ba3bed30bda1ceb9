// The food dots and the statistics cloud.
#include <algorithm>
#include <cmath>

#include "tools/artgen/artwork.h"
#include "tools/artgen/draw.h"
#include "tools/artgen/sheet_grid.h"

namespace {

// The five dots, largest first; '#' marks a coloured pixel of the 7 x 7 cell.
// The pixel counts (37, 26, 14, 8, 1) are part of the dots' identity.
const char* const kFoodDots[5][7] = {
    {"..###..", ".#####.", "#######", "#######", "#######", ".#####.", "..###.."},
    {".......", "..###..", ".#####.", ".#####.", ".#####.", ".#####.", "..###.."},
    {".......", ".......", "..###..", "..####.", "..####.", "..###..", "......."},
    {".......", ".......", "...##..", "..###..", "..###..", ".......", "......."},
    {".......", ".......", ".......", "...#...", ".......", ".......", "......."},
};

// Lit from the upper left: pale highlight, saturated body, deep rim.
Rgb foodShade(double nx, double ny)
{
    double light = std::clamp(-(nx + ny) * 0.7, -1.0, 1.0);
    Rgb body{46, 104, 245};
    if (light > 0)
        return mix(body, Rgb{170, 215, 255}, light);
    return mix(body, Rgb{24, 48, 178}, -light);
}

Image foodCell(const char* const rows[7])
{
    Image cell = makeCell(kFoodLayout);
    double sx = 0, sy = 0, n = 0, extent = 0;
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 7; ++x)
            if (rows[y][x] == '#')
                sx += x, sy += y, n += 1;
    double cx = sx / n, cy = sy / n;
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 7; ++x)
            if (rows[y][x] == '#')
                extent = std::max(extent, std::hypot(x - cx, y - cy));
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 7; ++x)
            if (rows[y][x] == '#') {
                double k = extent > 0 ? extent : 1;
                setPixel(cell, x, y, foodShade((x - cx) / k, (y - cy) / k));
            }
    return cell;
}

}  // namespace

Image drawFoodSheet()
{
    Image sheet = makeSheet(kFoodLayout);
    for (int32_t i = 0; i < 5; ++i)
        placeCell(sheet, kFoodLayout, i, 0, foodCell(kFoodDots[i]));
    return sheet;
}

Image drawCloud()
{
    // Puffs around a broad body that reaches the right edge, so that three
    // lines of figures always have cloud behind them.
    Shape body = ellipse(48, 33, 41, 24);
    const double puffs[][3] = {{20, 17, 13}, {40, 12, 14}, {62, 14, 13}, {75, 15, 10}, {79, 25, 11},
                               {79, 44, 11}, {58, 53, 12}, {34, 53, 12}, {13, 44, 11}, {9, 29, 9}};
    for (const auto& p : puffs)
        body = unite(body, disc(p[0], p[1], p[2]));

    Image cloud = makeImage(87, 66, Rgb{});
    for (int32_t y = 0; y < cloud.height; ++y)
        for (int32_t x = 0; x < cloud.width; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double d = body(px, py);
            double a = std::clamp(0.5 - d / 7.0, 0.0, 1.0);
            // Faint fringes would show as a dark halo over the world; drop them.
            if (a < 0.18)
                continue;
            double texture =
                smoothNoise(x / 9.0, y / 7.0, 116) * 0.6 + smoothNoise(x / 4.0, y / 3.0, 117) * 0.4;
            double lift = std::clamp((40.0 - y) / 40.0, 0.0, 1.0) * 0.45 + texture * 0.4;
            // A lighter rim along the upper edges of the puffs.
            double slope = (body(px, py - 1.5) - body(px, py + 1.5)) / 3.0;
            double rim = std::clamp(1.0 + d / 5.0, 0.0, 1.0) * std::clamp(slope, 0.0, 1.0);
            Rgb c = mix(Rgb{4, 3, 40}, Rgb{14, 11, 84}, lift + rim * 0.5);
            setPixel(cloud, x, y, scaleRgb(c, std::min(1.0, a * 1.15)));
        }
    return cloud;
}
