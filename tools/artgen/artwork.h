// Every picture of the program, by the file name its resource is built from.
#pragma once

#include <string>
#include <vector>

#include "tools/artgen/file_formats.h"
#include "tools/artgen/image.h"

struct Artwork {
    std::string fileName;  // "<resource id>_<name>.bmp"
    Image image;
};

// The world's sheets (vob_art.cpp, remains_art.cpp, whirl_art.cpp, small_art.cpp).
Image drawVobSheet();
Image drawWeakVobSheet();
Image drawMegaVobSheet();
Image drawRemainsSheet();
Image drawWhirlSheet();
Image drawFoodSheet();
Image drawCloud();

// Pictures outside the world (preview_art.cpp, about_background.cpp,
// about_pictures.cpp). The about pictures come background first.
Image drawPreview();
Image drawAboutBackground();
std::vector<Artwork> drawAboutPictures();

// The program icon in several sizes (icon_art.cpp).
std::vector<IconImage> drawIcon();

// The installed web page's icons, drawn at their sizes: 192 and 512 pixels,
// and a maskable one of 512 on an opaque ground (icon_art.cpp).
struct NamedIcon {
    std::string fileName;
    IconImage icon;
};
std::vector<NamedIcon> drawWebIcons();

// All bitmaps, in resource id order of the sheets first.
std::vector<Artwork> drawAllBitmaps();

// Everything side by side, enlarged, on a neutral ground (contact_sheet.cpp).
Image drawContactSheet(const std::vector<Artwork>& art, const std::vector<IconImage>& icon);
