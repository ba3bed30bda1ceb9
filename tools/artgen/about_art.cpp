// The about page: a background with the title and credits, and nine small
// pictures that sit on it.
#include "tools/artgen/artwork.h"
#include "tools/artgen/pixel_font.h"

std::vector<Artwork> drawAboutPictures() {
    std::vector<Artwork> out;
    Image background = makeImage(350, 371, Rgb{20, 20, 80});
    drawText(background, 40, 20, "Tovrine", FontSize::regular, Rgb{255, 255, 0}, 4);
    out.push_back({"125_background.bmp", background});
    out.push_back({"108_animal.bmp", makeImage(19, 14, Rgb{200, 120, 60})});
    out.push_back({"142_red_dot.bmp", makeImage(7, 6, Rgb{230, 30, 30})});
    out.push_back({"143_yellow_ring.bmp", makeImage(12, 18, Rgb{255, 230, 0})});
    out.push_back({"145_small_banner.bmp", makeImage(58, 37, Rgb{90, 40, 160})});
    out.push_back({"146_green_figure.bmp", makeImage(16, 12, Rgb{95, 255, 17})});
    out.push_back({"155_line_banner.bmp", makeImage(66, 7, Rgb{90, 40, 160})});
    out.push_back({"154_branching_figure.bmp", makeImage(38, 39, Rgb{255, 230, 0})});
    out.push_back({"144_speech_bubble.bmp", makeImage(40, 25, Rgb{255, 255, 255})});
    out.push_back({"166_version_tag.bmp", makeImage(38, 14, Rgb{60, 60, 60})});
    return out;
}
