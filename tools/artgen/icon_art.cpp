// The program icon: a Vob's face looking at the viewer.
#include <algorithm>
#include <cmath>

#include "tools/artgen/artwork.h"
#include "tools/artgen/vob_face.h"

namespace {

// The face of radius `r` in a picture of `size`; outside it, `ground` where
// one is given (opaque), else transparent.
IconImage faceIcon(int32_t size, double r, const Rgb* ground)
{
    double c = size / 2.0;
    Shape body = disc(c, c, r);
    IconImage icon{makeImage(size, size, Rgb{}), std::vector<uint8_t>(size * size, 0)};
    Image& img = icon.colour;
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            const double inside = coverage(body, x, y);
            const Rgb face = litBody(Rgb{255, 226, 20}, x + 0.5, y + 0.5, c, c, r);
            if (ground == nullptr) {
                icon.alpha[y * size + x] = static_cast<uint8_t>(std::lround(inside * 255));
                setPixel(img, x, y, face);
                continue;
            }
            icon.alpha[y * size + x] = 255;
            const auto mix = [inside](uint8_t a, uint8_t b) {
                return static_cast<uint8_t>(std::lround(a * inside + b * (1 - inside)));
            };
            setPixel(img, x, y,
                     Rgb{mix(face.r, ground->r), mix(face.g, ground->g), mix(face.b, ground->b)});
        }
    // A darker rim keeps the face round on white backgrounds too; on a
    // ground of its own, as wide for the face as on a face that fills it.
    const double rim = std::max(0.5, (ground ? 2 * r : size) / 40.0);
    fillShape(img, ring(c, c, r - 0.5, rim), Rgb{196, 120, 0}, 1.0, 0.8);
    fillShape(img, faceFeatures(c, c, r, 0, MouthPose::smile), Rgb{70, 36, 0});
    return icon;
}

IconImage iconOfSize(int32_t size) { return faceIcon(size, size / 2.0 - 0.6, nullptr); }

}  // namespace

std::vector<IconImage> drawIcon() { return {iconOfSize(16), iconOfSize(32), iconOfSize(48)}; }

std::vector<NamedIcon> drawWebIcons()
{
    // A maskable icon is cut to any shape within the middle circle of 80 %
    // of its side: the face stays inside it on the page's own dark ground.
    const Rgb ground{29, 29, 29};
    return {{"icon-192.png", iconOfSize(192)},
            {"icon-512.png", iconOfSize(512)},
            {"icon-maskable-512.png", faceIcon(512, 0.38 * 512, &ground)}};
}
