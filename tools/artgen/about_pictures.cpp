// The about page's small pictures. Each is drawn over the piece of background
// it covers, so that it sits on the page without a visible box.
#include <algorithm>
#include <cmath>

#include "tools/artgen/about_layout.h"
#include "tools/artgen/artwork.h"
#include "tools/artgen/draw.h"
#include "tools/artgen/pixel_font.h"
#include "tools/artgen/vob_face.h"
#include "tovrine_version.h"

namespace {

Image crop(const Image& background, const AboutPicture& p)
{
    Image out = makeImage(p.width, p.height, Rgb{});
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) {
            int32_t sx = pictureLeft(p) + x, sy = pictureTop(p) + y;
            if (inside(background, sx, sy))
                setPixel(out, x, y, pixelAt(background, sx, sy));
        }
    return out;
}

// A mouse, looking left.
void drawAnimal(Image& img)
{
    Rgb fur{150, 136, 128}, dark{60, 50, 50}, pink{250, 150, 170};
    fillShape(img, segment(14.5, 10.5, 18.5, 6.0, 0.6), pink);  // tail
    fillShapeWith(img, ellipse(10.5, 9.0, 6.5, 4.2), [&](double x, double y) {
        return mix(Rgb{190, 178, 170}, fur, (x - 4 + y - 5) / 10.0);
    });
    fillShape(img, ellipse(5.0, 8.5, 3.6, 2.8), fur);         // head
    fillShape(img, disc(6.5, 4.8, 2.2), Rgb{170, 150, 145});  // ear
    fillShape(img, disc(6.5, 4.8, 1.1), pink);
    fillShape(img, disc(1.8, 9.2, 0.9), pink);                 // nose
    fillShape(img, disc(4.4, 7.6, 0.75), dark);                // eye
    fillShape(img, segment(7.5, 12.6, 7.5, 13.5, 0.5), dark);  // feet
    fillShape(img, segment(12.5, 12.6, 12.5, 13.5, 0.5), dark);
}

// A ladybird, the tiny red dot one may click.
void drawRedDot(Image& img)
{
    fillShape(img, ellipse(3.5, 3.3, 3.2, 2.7), Rgb{226, 30, 36});
    fillShape(img, ellipse(0.8, 3.3, 1.2, 1.4), Rgb{30, 20, 20});
    fillShape(img, segment(1.6, 3.3, 6.5, 3.3, 0.35), Rgb{60, 10, 10}, 0.8);
    fillShape(img, disc(3.5, 1.9, 0.6), Rgb{30, 20, 20}, 0.8);
    fillShape(img, disc(4.8, 4.6, 0.6), Rgb{30, 20, 20}, 0.8);
    blendPixel(img, 3, 2, Rgb{255, 200, 200}, 0.3);
}

void drawYellowRing(Image& img)
{
    Shape rim = [](double x, double y) {
        double k = std::hypot((x - 6.0) / 4.6, (y - 9.0) / 7.6);
        return std::fabs(k - 1.0) * 4.6 - 1.1;
    };
    fillShapeWith(img, rim, [](double x, double y) {
        return mix(Rgb{255, 250, 160}, Rgb{230, 160, 0}, (x + y - 4) / 16.0);
    });
}

void drawCentredMini(Image& img, const std::string& text, int32_t y, Rgb colour, int32_t scale)
{
    int32_t x = (img.width - textWidth(text, FontSize::mini) * scale) / 2;
    drawText(img, x + 1, y + 1, text, FontSize::mini, Rgb{30, 10, 40}, scale);
    drawText(img, x, y, text, FontSize::mini, colour, scale);
}

// A pennant hung from two corners, named after the page.
void drawSmallBanner(Image& img)
{
    Rgb cloth{120, 50, 190};
    Shape flag = [](double x, double y) {
        double sag = 2.5 * std::sin(x / 58.0 * kPi);
        return std::max({3.0 + sag - y, y - (31.0 + sag), 2.0 - x, x - 56.0});
    };
    fillShapeWith(img, flag, [&](double, double y) {
        return mix(cloth, Rgb{70, 24, 120}, (y - 3) / 30.0);
    });
    fillShape(img, segment(2, 3.5, 56, 3.5, 0.6), Rgb{255, 220, 90});
    fillShape(img, disc(2.5, 3.5, 1.6), Rgb{255, 220, 90});
    fillShape(img, disc(55.5, 3.5, 1.6), Rgb{255, 220, 90});
    drawCentredMini(img, "HAPPY", 7, Rgb{255, 240, 120}, 2);
    drawCentredMini(img, "HAPPY!", 20, Rgb{255, 240, 120}, 2);
}

// A weak Vob waving.
void drawGreenFigure(Image& img)
{
    Rgb green{95, 255, 17};
    fillShape(img, segment(3.0, 7.0, 0.8, 2.5, 0.7), Rgb{70, 200, 20});
    fillShape(img, segment(13.0, 7.0, 15.2, 2.5, 0.7), Rgb{70, 200, 20});
    drawLitVob(img, 8.0, 6.5, 5.3, 0, MouthPose::smile, green, Rgb{20, 60, 10}, false);
}

void drawLineBanner(Image& img)
{
    fillShape(img, box(0.5, 0.5, img.width - 0.5, img.height - 0.5), Rgb{70, 24, 120}, 1.0, 0.85);
    drawCentredMini(img, "YOU FOUND US!", 1, Rgb{255, 240, 120}, 1);
}

// A yellow tree of forking branches.
void drawBranch(Image& img, double x, double y, double angle, double length, double width,
                int32_t depth)
{
    double x1 = x + std::cos(angle) * length, y1 = y - std::sin(angle) * length;
    fillShapeWith(img, segment(x, y, x1, y1, width), [&](double, double py) {
        return mix(Rgb{255, 250, 150}, Rgb{235, 180, 0}, py / 39.0);
    });
    if (depth == 0) {
        fillShape(img, disc(x1, y1, 1.3), Rgb{255, 255, 210});
        return;
    }
    drawBranch(img, x1, y1, angle + 0.45, length * 0.72, width * 0.7, depth - 1);
    drawBranch(img, x1, y1, angle - 0.5, length * 0.68, width * 0.7, depth - 1);
}

void drawBranchingFigure(Image& img) { drawBranch(img, 19, 38.5, kPi / 2, 11, 1.8, 4); }

void drawSpeechBubble(Image& img)
{
    Shape rounded = [=](double x, double y) { return box(4, 4, 35, 15)(x, y) - 3.0; };
    Shape tail = [](double x, double y) {
        // A wedge below the bubble pointing down and to the right, towards the face.
        double below = 15 - y, right = (x - 30) - (y - 15) * 0.3, left = (22 - x) + (y - 15) * 1.3;
        return std::max({below, right, left, y - 23.0});
    };
    Shape all = unite(rounded, tail);
    fillShape(
        img, [&](double x, double y) { return all(x, y) - 1.0; }, Rgb{40, 30, 60});
    fillShape(img, all, Rgb{250, 250, 255});
    drawCentredMini(img, "HELLO!", 7, Rgb{60, 40, 160}, 1);
}

void drawVersionTag(Image& img)
{
    Shape tag = [](double x, double y) { return box(2.5, 2.5, 35.5, 11.5)(x, y) - 2.0; };
    fillShape(img, tag, Rgb{30, 26, 60});
    fillShape(
        img, [&](double x, double y) { return std::fabs(tag(x, y) + 0.6) - 0.5; },
        Rgb{160, 150, 220});
    drawText(img, 5, 2, "V" TOVRINE_VERSION_TEXT, FontSize::mini, Rgb{255, 240, 150});
    drawText(img, 5, 8, "DEC 2026", FontSize::mini, Rgb{200, 200, 240});
}

}  // namespace

std::vector<Artwork> drawAboutPictures()
{
    Image background = drawAboutBackground();
    struct Piece {
        const AboutPicture& place;
        void (*draw)(Image&);
    };
    const Piece pieces[] = {
        {kAnimal, drawAnimal},
        {kRedDot, drawRedDot},
        {kYellowRing, drawYellowRing},
        {kSmallBanner, drawSmallBanner},
        {kGreenFigure, drawGreenFigure},
        {kLineBanner, drawLineBanner},
        {kBranchingFigure, drawBranchingFigure},
        {kSpeechBubble, drawSpeechBubble},
        {kVersionTag, drawVersionTag},
    };
    std::vector<Artwork> out{{"125_background.bmp", background}};
    for (const Piece& p : pieces) {
        Image img = crop(background, p.place);
        p.draw(img);
        out.push_back({p.place.fileName, img});
    }
    return out;
}
