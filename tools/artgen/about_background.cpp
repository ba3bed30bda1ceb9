// The about page's background: title, a large smiling face, and credits.
#include "tools/artgen/about_layout.h"
#include "tools/artgen/artwork.h"
#include "tools/artgen/draw.h"
#include "tools/artgen/scenery.h"
#include "tools/artgen/title_text.h"
#include "tools/artgen/vob_face.h"

namespace {

void drawBigFace(Image& image)
{
    const double cx = kFaceX, cy = kFaceY, r = kFaceR;
    // A soft glow behind, then the lit face.
    fillShape(image, disc(cx, cy, r + 6), Rgb{120, 90, 40}, 14, 0.45);
    fillShapeWith(
        image, disc(cx, cy, r),
        [&](double x, double y) {
            return litBody(Rgb{255, 226, 30}, x, y, cx, cy, r);
        },
        1.5);
    Rgb dark{60, 32, 6};
    // Eyes: tall ovals with glints.
    for (double ex : {cx - 30.0, cx + 30.0}) {
        fillShape(image, ellipse(ex, cy - 26, 10, 16), dark, 1.2);
        fillShape(image, disc(ex - 3, cy - 33, 3.6), Rgb{255, 255, 255}, 1.0);
        fillShape(image, disc(ex + 3, cy - 20, 1.6), Rgb{200, 200, 220}, 1.0, 0.8);
    }
    // A broad smile with a hint of tongue.
    Shape smile = intersect(ring(cx, cy - 8, 50, 6), box(cx - 60, cy + 14, cx + 60, cy + 60));
    fillShape(image, smile, dark, 1.2);
    // Rosy cheeks.
    for (double ex : {cx - 56.0, cx + 56.0})
        fillShape(image, ellipse(ex, cy + 12, 11, 7), Rgb{255, 140, 60}, 6, 0.35);
}

}  // namespace

Image drawAboutBackground()
{
    Image image = makeImage(350, 371, Rgb{});
    drawNightSky(image, Rgb{8, 8, 40}, Rgb{40, 16, 72}, 160, 125);
    drawPictureWhirl(image, 36, 208, 20, 0.9);
    drawPictureWhirl(image, 296, 92, 13, 0.2);
    drawBigFace(image);

    TitleStyle title{3, Rgb{255, 250, 170}, Rgb{255, 170, 20}, Rgb{70, 30, 0}, Rgb{0, 0, 0}};
    drawTitle(image, "Tovrine", FontSize::regular,
              centredX("Tovrine", FontSize::regular, 3, kFaceX), 6, title);

    // The credits sit under the title, between the pictures that a click
    // reveals there and the face: the page's bottom edge moves with the
    // dialog font, its top never does.
    const char* what = "An artificial-life screen saver";
    const char* who = "by the Tovrine team";
    drawText(image, centredX(what, FontSize::regular, 1, kFaceX), kCreditsTop, what,
             FontSize::regular, Rgb{220, 220, 255});
    drawText(image, centredX(who, FontSize::regular, 1, kFaceX), kCreditsTop + 10, who,
             FontSize::regular, Rgb{255, 240, 150});
    // Past the page's bottom edge nobody looks; a note for those who do.
    drawText(image, 10, 300, "Thanks for looking this far!", FontSize::regular, Rgb{120, 120, 170});
    return image;
}
