// The program icon: a Vob's face looking at the viewer.
#include <algorithm>
#include <cmath>

#include "tools/artgen/artwork.h"
#include "tools/artgen/vob_face.h"

namespace {

IconImage iconOfSize(int32_t size)
{
    double c = size / 2.0, r = size / 2.0 - 0.6;
    Shape body = disc(c, c, r);
    IconImage icon{makeImage(size, size, Rgb{}), std::vector<uint8_t>(size * size, 0)};
    Image& img = icon.colour;
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            icon.alpha[y * size + x] =
                static_cast<uint8_t>(std::lround(coverage(body, x, y) * 255));
            setPixel(img, x, y, litBody(Rgb{255, 226, 20}, x + 0.5, y + 0.5, c, c, r));
        }
    // A darker rim keeps the face round on white backgrounds too.
    fillShape(img, ring(c, c, r - 0.5, std::max(0.5, size / 40.0)), Rgb{196, 120, 0}, 1.0, 0.8);
    fillShape(img, faceFeatures(c, c, r, 0, MouthPose::smile), Rgb{70, 36, 0});
    return icon;
}

}  // namespace

std::vector<IconImage> drawIcon() { return {iconOfSize(16), iconOfSize(32), iconOfSize(48)}; }
