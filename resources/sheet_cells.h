// The cell grid of each of the world's sheets as the artwork draws it: the
// rules size and place entities by it, with the bitmaps or without them.
// Written by tovrine-artgen with the bitmaps; run the artwork target
// rather than editing it.
#pragma once

#include "sim/sheet.h"

// bitmap id, cell width and height, columns, rows
inline constexpr Sheet vobSheetCells{107, 15, 15, 8, 3};
inline constexpr Sheet weakVobSheetCells{106, 15, 15, 8, 3};
inline constexpr Sheet megaVobSheetCells{113, 23, 24, 8, 3};
inline constexpr Sheet remainsSheetCells{112, 23, 22, 7, 6};
inline constexpr Sheet foodSheetCells{110, 7, 7, 5, 1};
inline constexpr Sheet whirlSheetCells{111, 44, 44, 5, 4};
