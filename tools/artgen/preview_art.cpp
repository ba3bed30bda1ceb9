// The picture the display control panel shows in its little monitor. The
// panel cuts off the left 29 columns and top 13 rows and usually shows about
// 152 x 112 pixels of the rest, so everything that matters sits in there.
#include "tools/artgen/artwork.h"
#include "tools/artgen/draw.h"
#include "tools/artgen/scenery.h"
#include "tools/artgen/title_text.h"
#include "tools/artgen/vob_face.h"

namespace {

// The part of the picture the panel shows, in picture coordinates.
constexpr double kLeft = 29, kTop = 13, kRight = 29 + 152, kBottom = 13 + 112;
constexpr double kMidX = (kLeft + kRight) / 2, kMidY = (kTop + kBottom) / 2;

const Rgb kYellow{255, 255, 0};
const Rgb kGreen{95, 255, 17};
const Rgb kEyes{40, 24, 8};

}  // namespace

Image drawPreview()
{
    Image image = makeImage(215, 141, Rgb{});
    drawNightSky(image, Rgb{6, 6, 34}, Rgb{22, 12, 58}, 70, 163);

    drawPictureWhirl(image, kLeft + 24, kBottom - 22, 15, 0.4);
    drawFoodDot(image, kLeft + 52, kBottom - 12, 2.6);
    drawFoodDot(image, kLeft + 60, kBottom - 9, 1.8);
    drawFoodDot(image, kLeft + 46, kBottom - 5, 2.0);

    TitleStyle style{3, Rgb{255, 250, 170}, Rgb{255, 170, 20}, Rgb{70, 30, 0}, Rgb{0, 0, 0}};
    drawTitle(image, "Tovrine", FontSize::regular, centredX("Tovrine", FontSize::regular, 3, kMidX),
              kMidY - 12, style);

    // Vobs gathered round the title, each looking at it or at the food.
    drawLitVob(image, kLeft + 22, kTop + 20, 10, 8, MouthPose::smile, kYellow, kEyes);
    drawLitVob(image, kRight - 24, kTop + 22, 14, 7, MouthPose::open, Rgb{255, 232, 16}, kEyes);
    drawLitVob(image, kMidX + 4, kTop + 14, 7, 4, MouthPose::smile, kGreen, kEyes);
    drawLitVob(image, kLeft + 76, kBottom - 12, 8, 3, MouthPose::open, kYellow, kEyes);
    drawLitVob(image, kRight - 20, kBottom - 18, 9, 6, MouthPose::smile, kGreen, kEyes);
    return image;
}
