// One big picture of all the artwork for people to look at: each bitmap
// enlarged with square pixels, on a mid grey so that black backgrounds show.
#include <algorithm>

#include "tools/artgen/artwork.h"

namespace {

const Rgb kGround{118, 118, 124};
constexpr int32_t kGap = 16;
constexpr int32_t kRowWidth = 1500;

int32_t enlargement(const Image& image)
{
    return std::clamp(460 / std::max(image.width, image.height), 1, 8);
}

Image iconOnGround(const IconImage& icon)
{
    Image out = makeImage(icon.colour.width, icon.colour.height, kGround);
    for (int32_t y = 0; y < out.height; ++y)
        for (int32_t x = 0; x < out.width; ++x)
            blendPixel(out, x, y, pixelAt(icon.colour, x, y),
                       icon.alpha[y * out.width + x] / 255.0);
    return out;
}

}  // namespace

Image drawContactSheet(const std::vector<Artwork>& art, const std::vector<IconImage>& icon)
{
    std::vector<Image> tiles;
    for (const Artwork& a : art)
        tiles.push_back(scaleUp(a.image, enlargement(a.image)));
    for (const IconImage& i : icon)
        tiles.push_back(scaleUp(iconOnGround(i), 4));

    // Shelf packing: left to right, a new shelf when the row is full.
    struct Spot {
        int32_t x, y;
    };
    std::vector<Spot> spots;
    int32_t x = kGap, y = kGap, shelf = 0, width = 0;
    for (const Image& t : tiles) {
        if (x > kGap && x + t.width + kGap > kRowWidth) {
            x = kGap;
            y += shelf + kGap;
            shelf = 0;
        }
        spots.push_back({x, y});
        x += t.width + kGap;
        width = std::max(width, x);
        shelf = std::max(shelf, t.height);
    }
    Image sheet = makeImage(width, y + shelf + kGap, kGround);
    for (size_t i = 0; i < tiles.size(); ++i)
        paste(sheet, tiles[i], spots[i].x, spots[i].y);
    return sheet;
}
