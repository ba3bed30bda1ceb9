// The program's bitmaps as the world, the preview and the about page expect
// them: one table for every test that loads them, whether from the files,
// through the native display or from the Windows resources.
#pragma once

#include <cstdint>

struct ArtworkSize {
    int32_t id;
    const char* file;  // under resources/bitmaps
    int32_t width, height;
};

inline constexpr ArtworkSize artworkSizes[] = {
    {116, "116_cloud.bmp", 87, 66},         {107, "107_vob.bmp", 129, 49},
    {106, "106_weak_vob.bmp", 129, 49},     {113, "113_mega_vob.bmp", 194, 76},
    {112, "112_remains.bmp", 169, 139},     {110, "110_food.bmp", 41, 9},
    {111, "111_whirl.bmp", 226, 181},       {163, "163_preview.bmp", 215, 141},
    {125, "125_background.bmp", 350, 371},  {108, "108_animal.bmp", 19, 14},
    {142, "142_red_dot.bmp", 7, 6},         {143, "143_yellow_ring.bmp", 12, 18},
    {145, "145_small_banner.bmp", 58, 37},  {146, "146_green_figure.bmp", 16, 12},
    {155, "155_line_banner.bmp", 66, 7},    {154, "154_branching_figure.bmp", 38, 39},
    {144, "144_speech_bubble.bmp", 40, 25}, {166, "166_version_tag.bmp", 38, 14},
};

// The world's sheets come first: the cloud, then the six gridded sheets.
inline constexpr int worldArtworkCount = 7;

struct Colour {
    int r = 0, g = 0, b = 0;
    constexpr bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
    constexpr bool operator!=(const Colour& o) const { return !(*this == o); }
};

// The gridded sheets: the key colour in the top-left corner, one-pixel grid
// lines of one colour, and the cells between them.
struct SheetLayout {
    int32_t id;
    const char* file;
    Colour background, grid;
    int cellWidth, cellHeight, columns, rows;
};

inline constexpr SheetLayout sheetLayouts[] = {
    {107, "107_vob.bmp", {0, 0, 0}, {49, 202, 2}, 15, 15, 8, 3},
    {106, "106_weak_vob.bmp", {0, 0, 0}, {49, 202, 2}, 15, 15, 8, 3},
    {113, "113_mega_vob.bmp", {4, 8, 7}, {0, 224, 238}, 23, 24, 8, 3},
    {112, "112_remains.bmp", {0, 0, 0}, {238, 28, 0}, 23, 22, 7, 6},
    {110, "110_food.bmp", {0, 0, 0}, {189, 147, 3}, 7, 7, 5, 1},
    {111, "111_whirl.bmp", {0, 0, 0}, {239, 8, 0}, 44, 44, 5, 4},
};
