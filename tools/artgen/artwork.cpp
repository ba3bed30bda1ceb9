#include "tools/artgen/artwork.h"

std::vector<Artwork> drawAllBitmaps()
{
    std::vector<Artwork> art = {
        {"116_cloud.bmp", drawCloud()},           {"107_vob.bmp", drawVobSheet()},
        {"106_weak_vob.bmp", drawWeakVobSheet()}, {"113_mega_vob.bmp", drawMegaVobSheet()},
        {"112_remains.bmp", drawRemainsSheet()},  {"110_food.bmp", drawFoodSheet()},
        {"111_whirl.bmp", drawWhirlSheet()},      {"163_preview.bmp", drawPreview()},
    };
    for (Artwork& a : drawAboutPictures())
        art.push_back(std::move(a));
    return art;
}
