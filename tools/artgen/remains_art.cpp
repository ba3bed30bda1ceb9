// The remains of a dead Vob, 42 frames played in reading order.
#include <algorithm>
#include <cmath>

#include "tools/artgen/artwork.h"
#include "tools/artgen/sheet_grid.h"
#include "tools/artgen/vob_face.h"

Image drawRemainsSheet() {
    const SheetLayout& l = kRemainsLayout;
    Image sheet = makeSheet(l);
    for (int32_t frame = 0; frame < l.columns * l.rows; ++frame) {
        Image cell = makeCell(l);
        double t = std::min(1.0, frame / 6.0);
        Rgb colour = mix(Rgb{95, 255, 17}, Rgb{224, 36, 24}, t);
        fillShapeHard(cell, faceShape(11.5, 11.0, 7.0, 0, MouthPose::frown), colour);
        placeCell(sheet, l, frame % l.columns, frame / l.columns, cell);
    }
    return sheet;
}
