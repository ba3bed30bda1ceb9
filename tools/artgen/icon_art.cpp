// The program icon: a Vob's face looking at the viewer.
#include <algorithm>
#include <cmath>

#include "tools/artgen/artwork.h"
#include "tools/artgen/vob_face.h"

namespace {

IconImage iconOfSize(int32_t size) {
    double c = size / 2.0, r = size / 2.0 - 0.6;
    Shape body = disc(c, c, r);
    IconImage icon{makeImage(size, size, Rgb{}), std::vector<uint8_t>(size * size, 0)};
    Image& img = icon.colour;
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            double a = coverage(body, x, y);
            icon.alpha[y * size + x] = static_cast<uint8_t>(std::lround(a * 255));
            setPixel(img, x, y, Rgb{255, 230, 0});
        }
    fillShape(img, faceFeatures(c, c, r, 0, MouthPose::smile), Rgb{70, 40, 0});
    return icon;
}

}  // namespace

std::vector<IconImage> drawIcon() { return {iconOfSize(16), iconOfSize(32), iconOfSize(48)}; }
