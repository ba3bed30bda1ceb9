// The picture the display control panel shows in its little monitor.
#include "tools/artgen/artwork.h"
#include "tools/artgen/pixel_font.h"

Image drawPreview() {
    Image image = makeImage(215, 141, Rgb{8, 10, 40});
    drawText(image, 60, 60, "Tovrine", FontSize::regular, Rgb{255, 255, 0}, 3);
    return image;
}
