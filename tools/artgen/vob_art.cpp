// The three Vob sheets: eight directions by three mouth poses.
#include <algorithm>
#include <cmath>

#include "tools/artgen/artwork.h"
#include "tools/artgen/sheet_grid.h"
#include "tools/artgen/vob_face.h"

namespace {

const MouthPose kRowPose[3] = {MouthPose::smile, MouthPose::open, MouthPose::shut};

// One flat colour, no blending: what the ordinary and weak Vobs look like.
Image flatVobSheet(Rgb body)
{
    const SheetLayout& l = kVobLayout;
    Image sheet = makeSheet(l);
    for (int32_t row = 0; row < l.rows; ++row)
        for (int32_t column = 0; column < l.columns; ++column) {
            Image cell = makeCell(l);
            fillShapeHard(cell, faceShape(7.5, 7.5, 7.0, column + 1, kRowPose[row]), body);
            placeCell(sheet, l, column, row, cell);
        }
    return sheet;
}

}  // namespace

Image drawVobSheet() { return flatVobSheet(Rgb{255, 255, 0}); }

Image drawWeakVobSheet() { return flatVobSheet(Rgb{95, 255, 17}); }

Image drawMegaVobSheet()
{
    const SheetLayout& l = kMegaVobLayout;
    const double cx = 11.5, cy = 12.0, r = 10.6;
    Image sheet = makeSheet(l);
    for (int32_t row = 0; row < l.rows; ++row)
        for (int32_t column = 0; column < l.columns; ++column) {
            Image cell = makeCell(l);
            // Soft rim and soft feature edges, but the middle of every eye
            // and mouth pixel-exact background, so that it is see-through.
            Shape features = faceFeatures(cx, cy, r, column + 1, kRowPose[row]);
            fillShapeWith(
                cell, disc(cx, cy, r),
                [&](double x, double y) {
                    return litBody(Rgb{255, 232, 16}, x, y, cx, cy, r);
                },
                1.6);
            fillShape(cell, features, l.background, 0.8);
            fillShapeHard(cell, features, l.background);
            placeCell(sheet, l, column, row, cell);
        }
    return sheet;
}
