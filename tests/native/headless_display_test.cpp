// The native display's loading of bitmaps, its PNG output and the input a
// test injects.
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/memory/memory_surface.h"
#include "tests/render/display_fixture.h"
#include "tests/render/pixel_probe.h"

namespace {

using pixelprobe::OwnedSurface;
using pixelprobe::peek;
using testbitmaps::Picture;
using Loading = HeadlessDisplayWithBitmaps<16, 16>;

}  // namespace

TEST_P(Loading, BitmapIsConvertedAsGdiCopiesIt)
{
    Picture p = testbitmaps::picture(3, 2, 0x000000);
    p.at(0, 0) = 0x070804;  // (4, 8, 7)
    p.at(1, 0) = 0x0000FF;
    p.at(2, 0) = 0xFFFFFF;
    p.at(0, 1) = 0x7F7F7F;
    p.at(2, 1) = 0x0A0B0C;
    ASSERT_TRUE(folder.add("120_sample.bmp", p));
    OwnedSurface s(loadBitmapSurface(120));
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(surfaceWidth(s), 3);
    EXPECT_EQ(surfaceHeight(s), 2);
    EXPECT_EQ(peek(s, 1, 0), 0x0000FFu);
    EXPECT_EQ(peek(s, 2, 0), 0xFFFFFFu);
    EXPECT_EQ(peek(s, 1, 1), 0u);
    if (GetParam() == 16) {
        EXPECT_EQ(matchColour(s, invalidColour), 0x0040u);  // only green keeps a bit
        EXPECT_EQ(peek(s, 0, 1), 0x7B7D7Bu);
    } else {
        EXPECT_EQ(matchColour(s, invalidColour), 0x00040807u);
        EXPECT_EQ(peek(s, 0, 1), 0x7F7F7Fu);
        EXPECT_EQ(peek(s, 2, 1), 0x0A0B0Cu);  // rows come out top first
    }
}

TEST_P(Loading, FindsTheFileByItsIdPrefixOnly)
{
    ASSERT_TRUE(folder.add("12_wrong.bmp", testbitmaps::picture(1, 1, 0)));
    ASSERT_TRUE(folder.add("1200_wrong.bmp", testbitmaps::picture(2, 1, 0)));
    ASSERT_TRUE(folder.add("120_right.bmp", testbitmaps::picture(3, 1, 0)));
    ASSERT_TRUE(folder.add("120_zlater.bmp", testbitmaps::picture(4, 1, 0)));
    ASSERT_TRUE(folder.add("121_notes.txt", testbitmaps::picture(5, 1, 0)));
    OwnedSurface s(loadBitmapSurface(120));
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(surfaceWidth(s), 3);  // the alphabetically first match
    EXPECT_EQ(loadBitmapSurface(121), nullptr);
    EXPECT_EQ(loadBitmapSurface(7), nullptr);
}

TEST_P(Loading, UnreadableFileGivesNoSurface)
{
    std::FILE* f = std::fopen(
        (std::string(std::getenv("TOVRINE_RESOURCES")) + "/bitmaps/130_bad.bmp").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("BM not really a bitmap", f);
    std::fclose(f);
    EXPECT_EQ(loadBitmapSurface(130), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Depths, Loading, ::testing::Values(16, 32));

TEST(HeadlessInput, NothingIsPressedUntilATestSaysSo)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 8, 8, 16));
    uint8_t keys[256];
    std::fill(keys, keys + 256, 0xAA);
    ASSERT_TRUE(readKeyboardState(keys));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(keys[i], 0) << i;
    MouseState mouse = {1, 2, 3, {4, 5, 6, 7}};
    ASSERT_TRUE(readMouseState(mouse));
    EXPECT_EQ(mouse.x, 0);
    EXPECT_EQ(mouse.buttons[0], 0);
    EXPECT_EQ(mouse.buttons[3], 0);

    setKeyState(1, true);  // Escape
    ASSERT_TRUE(readKeyboardState(keys));
    EXPECT_EQ(keys[1] & 0x80, 0x80);
    setKeyState(1, false);
    ASSERT_TRUE(readKeyboardState(keys));
    EXPECT_EQ(keys[1], 0);
    closeHeadlessDisplay(testDisplay);
}

TEST(HeadlessInput, MotionIsConsumedByAReadButButtonsStay)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 8, 8, 16));
    setMouseMotion(7, -3, 1);
    setMouseButton(2, true);
    MouseState mouse{};
    ASSERT_TRUE(readMouseState(mouse));
    EXPECT_EQ(mouse.x, 7);
    EXPECT_EQ(mouse.y, -3);
    EXPECT_EQ(mouse.z, 1);
    EXPECT_NE(mouse.buttons[2], 0);
    ASSERT_TRUE(readMouseState(mouse));
    EXPECT_EQ(mouse.x, 0);
    EXPECT_EQ(mouse.y, 0);
    EXPECT_NE(mouse.buttons[2], 0);

    setInputReadable(false);
    uint8_t keys[256];
    EXPECT_FALSE(readKeyboardState(keys));
    EXPECT_FALSE(readMouseState(mouse));
    closeHeadlessDisplay(testDisplay);  // forgets everything injected
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 8, 8, 16));
    ASSERT_TRUE(readMouseState(mouse));
    EXPECT_EQ(mouse.buttons[2], 0);
    closeHeadlessDisplay(testDisplay);
}

// Every 16-bit value reaches the PNG widened as the page and the Linux window
// widen it, so pictures of the same frame agree to the pixel.
TEST(HeadlessOutput, SixteenBitPngWidensEveryValueAsThePageDoes)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 256, 256, 16));
    beginPixelAccess(testDisplay.backSurface);
    for (uint32_t p = 0; p < 0x10000; ++p)
        storeStored(testDisplay.backSurface, p & 0xFF, p >> 8, p);
    endPixelAccess(testDisplay.backSurface);
    std::string path = testing::TempDir() + "tovrine-every-565.png";
    ASSERT_TRUE(saveSurfacePng(testDisplay.backSurface, path.c_str()));
    SDL_Surface* loaded = IMG_Load(path.c_str());
    ASSERT_NE(loaded, nullptr);
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    ASSERT_NE(rgb, nullptr);
    int wrong = 0;
    for (uint32_t p = 0; p < 0x10000; ++p) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(rgb->pixels) +
                                                                (p >> 8) * rgb->pitch);
        wrong += (row[p & 0xFF] & 0xFFFFFF) != xrgbFrom565(p);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(xrgbFrom565(0x2104), 0x212021u);  // 4, 8, 4: 4 * 255 / 31 would give 32
    SDL_FreeSurface(rgb);
    SDL_FreeSurface(loaded);
    std::remove(path.c_str());
    closeHeadlessDisplay(testDisplay);
}

TEST(HeadlessOutput, SavedPngHoldsThePixels)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 6, 4, 16));
    beginPixelAccess(testDisplay.backSurface);
    writePixel(testDisplay.backSurface, 5, 3, 0x00FFFF);
    endPixelAccess(testDisplay.backSurface);
    std::string path = testing::TempDir() + "tovrine-frame.png";
    ASSERT_TRUE(saveSurfacePng(testDisplay.backSurface, path.c_str()));
    SDL_Surface* loaded = IMG_Load(path.c_str());
    ASSERT_NE(loaded, nullptr);
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->w, 6);
    EXPECT_EQ(rgb->h, 4);
    const uint32_t* row =
        reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(rgb->pixels) + 3 * rgb->pitch);
    EXPECT_EQ(row[5] & 0xFFFFFF, 0xFFFF00u);  // yellow, as 0xRRGGBB
    EXPECT_EQ(row[4] & 0xFFFFFF, 0u);
    SDL_FreeSurface(rgb);
    SDL_FreeSurface(loaded);
    std::remove(path.c_str());
    EXPECT_FALSE(saveSurfacePng(nullptr, path.c_str()));
    closeHeadlessDisplay(testDisplay);
}

// The encoder ignores what its writes return: a picture the disk could not
// take is a failure that says why, not a file cut short counted as saved.
TEST(HeadlessOutput, APngTheDiskCannotTakeFailsWithItsCause)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 64, 48, 32));
    const struct {
        const char* path;
        int cause;
    } cases[] = {
        {"/dev/full", ENOSPC},  // every write fails as on a full disk
        {"/nonexistent-folder/frame.png", ENOENT},
    };
    for (const auto& c : cases) {
        errno = 0;
        EXPECT_FALSE(saveSurfacePng(testDisplay.backSurface, c.path)) << c.path;
        EXPECT_EQ(c.cause, errno) << c.path;
    }
    closeHeadlessDisplay(testDisplay);
}
