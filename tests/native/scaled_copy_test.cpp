#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "render/memory/scaled_copy.h"

namespace {

// SDL's surfaces hold the pictures here; the copy sees their pixels.
PixelImage imageOf(SDL_Surface* s)
{
    const bool wide = s->format->format == SDL_PIXELFORMAT_RGB888;
    return PixelImage{static_cast<uint8_t*>(s->pixels),
                      s->w,
                      s->h,
                      s->pitch,
                      wide ? PixelFormat::xrgb8888 : PixelFormat::rgb565,
                      wide ? 4 : 2};
}

ShownImage shownOf(SDL_Surface* s)
{
    const uint32_t f = s->format->format;
    return ShownImage{static_cast<uint8_t*>(s->pixels), s->w, s->h, s->pitch,
                      f == SDL_PIXELFORMAT_RGB565   ? ShownFormat::rgb565
                      : f == SDL_PIXELFORMAT_RGB888 ? ShownFormat::xrgb8888
                                                    : ShownFormat::rgba8888};
}

bool copyInto(ScaledCopy& copy, SDL_Surface* world, SDL_Surface* window, const SDL_Rect& to,
              bool everything)
{
    std::vector<ShownRect> changed;
    return copyChangedScaled(copy, imageOf(world), shownOf(window),
                             ShownRect{to.x, to.y, to.w, to.h}, everything, changed);
}

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

// What the window should show at (x, y) of `to`: enlarged, the nearest
// world pixel; shrunk, the mean of the world's area under the window pixel.
uint32_t scaledColourAt(const SDL_Surface* world, const SDL_Rect& to, int x, int y)
{
    if (to.w >= world->w && to.h >= world->h)
        return colourAt(world, x * world->w / to.w, y * world->h / to.h);
    const double x0 = double(x) * world->w / to.w, x1 = double(x + 1) * world->w / to.w;
    const double y0 = double(y) * world->h / to.h, y1 = double(y + 1) * world->h / to.h;
    double sum[3] = {0, 0, 0};
    for (int wy = int(y0); wy < y1 && wy < world->h; ++wy) {
        const double h = std::min(y1, wy + 1.0) - std::max(y0, double(wy));
        for (int wx = int(x0); wx < x1 && wx < world->w; ++wx) {
            const double w = std::min(x1, wx + 1.0) - std::max(x0, double(wx));
            const uint32_t c = colourAt(world, wx, wy);
            for (int k = 0; k < 3; ++k)
                sum[k] += w * h * ((c >> (16 - 8 * k)) & 0xFF);
        }
    }
    const double area = (x1 - x0) * (y1 - y0);
    uint32_t mean = 0;
    for (int k = 0; k < 3; ++k)
        mean |= static_cast<uint32_t>(sum[k] / area + 0.5) << (16 - 8 * k);
    return mean;
}

// Channel by channel, within one step of 5-6-5 (widening 5-6-5 may round
// or repeat the top bits, and a mean rounds once more).
bool closeColours(uint32_t a, uint32_t b)
{
    for (int shift : {16, 8, 0}) {
        int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > 8 || d < -8)
            return false;
    }
    return true;
}

// Each frame sends only what changed; the window must still hold exactly
// the whole picture scaled, with no trace of earlier frames.
TEST(ScaledCopy, ChangedTilesLeaveTheWindowEqualToTheWholePictureScaled)
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
        {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB565, 400, 300, {0, 0, 320, 240}},
        {SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB565, 400, 300, {7, 2, 253, 190}},
        // Shrunk to a thumbnail: more source pixels under each than the
        // fast paths take.
        {SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB888, 400, 300, {1, 1, 57, 43}},
        // Narrower but taller: shrunk one way, enlarged the other.
        {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB888, 400, 300, {0, 0, 333, 440}},
        // The page's canvas: bytes R, G, B, A.
        {SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_ABGR8888, 400, 300, {0, 0, 400, 300}},
        {SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_ABGR8888, 400, 300, {0, 0, 470, 352}},
        {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ABGR8888, 400, 300, {0, 0, 300, 225}},
    };
    for (const Case& c : cases) {
        SDL_Surface* world = SDL_CreateRGBSurfaceWithFormat(0, c.width, c.height, 0, c.from);
        SDL_Surface* window = SDL_CreateRGBSurfaceWithFormat(0, 600, 450, 0, c.into);
        ASSERT_TRUE(world && window);
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) +
                                 " onto " + std::to_string(c.to.w) + "x" + std::to_string(c.to.h);
        const int frames = 10;
        int sent = 0;
        ScaledCopy copy;
        for (int frame = 0; frame < frames; ++frame) {
            drawFrame(world, frame);
            std::vector<ShownRect> changed;
            ASSERT_TRUE(copyChangedScaled(copy, imageOf(world), shownOf(window),
                                          ShownRect{c.to.x, c.to.y, c.to.w, c.to.h}, frame == 0,
                                          changed));
            for (const ShownRect& r : changed)
                sent += r.w * r.h;
            int wrong = 0;
            for (int y = 0; y < c.to.h; ++y) {
                for (int x = 0; x < c.to.w; ++x) {
                    uint32_t want = scaledColourAt(world, c.to, x, y);
                    uint32_t got = colourAt(window, c.to.x + x, c.to.y + y);
                    wrong += !closeColours(got, want);
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

// Shrunk, a stroke one pixel wide (a letter of the cloud) must leave a trace
// wherever it falls: picking the nearest pixel drops every fifth column at
// 1280 -> 1024, and the cloud's "History" read "His ory".
TEST(ScaledCopy, ThinStrokesSurviveShrinking)
{
    struct Case {
        int width, height;
        SDL_Rect to;
    };
    const Case cases[] = {
        {1280, 720, {0, 96, 1024, 576}},  // a 1280 x 720 world on a 1024 x 768 screen
        {800, 600, {0, 0, 320, 240}},     // the settings dialog's preview
    };
    for (const Case& c : cases) {
        SDL_Surface* world =
            SDL_CreateRGBSurfaceWithFormat(0, c.width, c.height, 0, SDL_PIXELFORMAT_RGB565);
        SDL_Surface* window =
            SDL_CreateRGBSurfaceWithFormat(0, 1024, 768, 0, SDL_PIXELFORMAT_RGB888);
        ASSERT_TRUE(world && window);
        for (int column = 0; column < 40; ++column) {
            SDL_FillRect(world, nullptr, 0);
            SDL_Rect stroke = {100 + column, 50, 1, 30};
            SDL_FillRect(world, &stroke, SDL_MapRGB(world->format, 255, 255, 255));
            ScaledCopy copy;
            ASSERT_TRUE(copyInto(copy, world, window, c.to, true));
            // Brightest window pixel of the row through the stroke's middle.
            const int y = c.to.y + 65 * c.to.h / c.height;
            uint32_t brightest = 0;
            for (int x = c.to.x; x < c.to.x + c.to.w; ++x)
                brightest = std::max(brightest, colourAt(window, x, y) & 0xFF);
            // Half its share of a window pixel at least (1024/1280 or
            // 320/800 of it), where it straddles two.
            EXPECT_GE(brightest, 255u * c.to.w / c.width / 2 - 8)
                << c.width << " onto " << c.to.w << ", stroke at column " << 100 + column;
        }
        SDL_FreeSurface(window);
        SDL_FreeSurface(world);
    }
}

}  // namespace
