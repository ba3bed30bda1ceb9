#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/sdl/window_scaling.h"

namespace {

// The colour (0x00RRGGBB) of a pixel of either format.
uint32_t colourAt(const SDL_Surface* s, int x, int y)
{
    const uint8_t* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
    Uint8 r, g, b;
    uint32_t value = s->format->BytesPerPixel == 2 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                   : reinterpret_cast<const uint32_t*>(row)[x];
    SDL_GetRGB(value, s->format, &r, &g, &b);
    return static_cast<uint32_t>(r) << 16 | g << 8 | b;
}

// A few sprites over black, moved every frame: what the world shows.
void drawFrame(SDL_Surface* s, int frame)
{
    SDL_FillRect(s, nullptr, 0);
    for (int i = 0; i < 6; ++i) {
        SDL_Rect sprite = {(i * 67 + frame * (i + 3)) % (s->w - 20),
                           (i * 41 + frame * 7) % (s->h - 20), 9 + i % 13, 7 + i % 11};
        SDL_FillRect(s, &sprite, SDL_MapRGB(s->format, 40 + i * 17, 255 - i * 9, i * 20));
    }
}

// Each frame sends only what changed; the window must still hold exactly
// the whole picture scaled, with no trace of earlier frames.
TEST(WindowScaling, ChangedTilesLeaveTheWindowEqualToTheWholePictureScaled)
{
    struct Case {
        uint32_t from, into;
        int width, height;
        SDL_Rect to;
    };
    const Case cases[] = {
        {SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB888, 400, 300, {0, 0, 512, 384}},
        {SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB888, 400, 300, {10, 5, 160, 120}},
        {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB565, 400, 300, {0, 20, 512, 384}},
        {SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB565, 400, 300, {0, 0, 400, 300}},
        {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB888, 300, 400, {3, 0, 331, 441}},
    };
    for (const Case& c : cases) {
        SDL_Surface* world = SDL_CreateRGBSurfaceWithFormat(0, c.width, c.height, 0, c.from);
        SDL_Surface* window = SDL_CreateRGBSurfaceWithFormat(0, 600, 450, 0, c.into);
        ASSERT_TRUE(world && window);
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) +
                                 " onto " + std::to_string(c.to.w) + "x" + std::to_string(c.to.h);
        const int frames = 10;
        int sent = 0;
        for (int frame = 0; frame < frames; ++frame) {
            drawFrame(world, frame);
            std::vector<SDL_Rect> changed;
            ASSERT_TRUE(copyChangedScaled(world, window, c.to, frame == 0, changed));
            for (const SDL_Rect& r : changed)
                sent += r.w * r.h;
            int wrong = 0;
            for (int y = 0; y < c.to.h; ++y) {
                for (int x = 0; x < c.to.w; ++x) {
                    // Compared at 5-6-5 precision: widening 5-6-5 may round
                    // or repeat the top bits.
                    uint32_t want = colourAt(world, x * c.width / c.to.w, y * c.height / c.to.h);
                    uint32_t got = colourAt(window, c.to.x + x, c.to.y + y);
                    wrong += (got & 0xF8FCF8) != (want & 0xF8FCF8);
                }
            }
            EXPECT_EQ(wrong, 0) << what << ", frame " << frame;
        }
        // Sprites over black: most of the picture is never sent twice.
        EXPECT_LT(sent, frames * c.to.w * c.to.h / 2) << what;
        SDL_FreeSurface(window);
        SDL_FreeSurface(world);
    }
}

}  // namespace
