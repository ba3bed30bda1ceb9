// What a world with a display draws with: the pictures of its sheets and
// the cloud, and its two fonts, loaded in the display's format, and the
// painter through which its rules draw them on the display's back surface.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sim/world.h"

class GlyphFont;
class SpriteSheet;

struct WorldArt {
    WorldArt() = default;
    // Frees the pictures in the order they were loaded, then the fonts.
    ~WorldArt();
    WorldArt(const WorldArt&) = delete;
    WorldArt& operator=(const WorldArt&) = delete;

    struct Picture {
        int32_t bitmapId;
        SpriteSheet* sheet;
    };
    std::vector<Picture> pictures;     // the cloud and each sheet of the world
    GlyphFont* overlayFont = nullptr;  // the cloud's figures and the messages
    GlyphFont* vitalsFont = nullptr;   // the numbers above the Vobs

    // The picture of bitmap `bitmapId`; null when it was not loaded. Asked
    // for every entity drawn: kept inline.
    SpriteSheet* picture(int32_t bitmapId) const
    {
        for (const Picture& p : pictures)
            if (p.bitmapId == bitmapId)
                return p.sheet;
        return nullptr;
    }
};

// The painter of worlds drawn on a display with WorldArt.
extern const WorldPainter displayPainter;

// The world's art and display, for what the frame driver draws itself (the
// cloud, the messages); null for a world without a display.
const WorldArt* worldArt(const World& world);
