// What only the DirectDraw backend does: a real 16-bit display mode, surfaces
// lost with the display and restored by the flip, the clipper's list, and
// input devices that are lost and acquired again.
#include <gtest/gtest.h>

#include <vector>

#include "render/display.h"
#include "render/win32/direct_draw_surface.h"
#include "tests/render/pixel_probe.h"
#include "tests/render/test_display.h"

namespace {

// A full-screen run's display as the saver sets it up: exclusive mode, the
// mode switched, a primary with one back buffer. Needs a virtual desktop.
class FullScreen16 : public ::testing::Test {
protected:
    void SetUp() override
    {
        window =
            CreateWindowExA(WS_EX_TOPMOST, "STATIC", "tovrine full screen", WS_POPUP | WS_VISIBLE,
                            0, 0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
        useDirectDraw(directDraw, &testDisplay);
        ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN |
                                                              DDSCL_ALLOWREBOOT),
                  DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16), DD_OK);
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        LPDIRECTDRAWSURFACE primary = nullptr;
        ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
        testDisplay.primarySurface = wrapDirectDrawSurface(primary);
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        LPDIRECTDRAWSURFACE back = nullptr;
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
        testDisplay.backSurface = wrapDirectDrawSurface(back);
        ASSERT_NE(testDisplay.backSurface, nullptr);
    }
    void TearDown() override
    {
        releaseSurface(testDisplay.backSurface);
        releaseSurface(testDisplay.primarySurface);
        testDisplay.backSurface = testDisplay.primarySurface = nullptr;
        useDirectDraw(nullptr, nullptr);
        if (directDraw) {
            directDraw->RestoreDisplayMode();
            directDraw->Release();
        }
        directDraw = nullptr;
        if (window)
            DestroyWindow(window);
    }
    HWND window = nullptr;
    LPDIRECTDRAW directDraw = nullptr;
};

using RenderModeInVirtualDesktop = FullScreen16;

}  // namespace

TEST_F(RenderModeInVirtualDesktop, ColoursMatchTheSixteenBitDisplayAndThePixelIsPutBack)
{
    pixelprobe::OwnedSurface sheet(createSurface(8, 8));
    ASSERT_NE(sheet.get(), nullptr);
    for (Surface* s : {testDisplay.backSurface, sheet.get()}) {
        pixelprobe::paint(s, 0, 0, 0x00FF00);
        const struct {
            uint32_t colour, stored;
        } cases[] = {{0x000000, 0},
                     {0xFFFFFF, 0xFFFF},
                     {0x0000FF, 0xF800},
                     {0xFF0000, 0x001F},
                     {0x070804, 0x0040}};  // (4, 8, 7): only green keeps a bit
        for (const auto& c : cases)
            EXPECT_EQ(matchColour(s, c.colour), c.stored) << std::hex << c.colour;
        EXPECT_EQ(matchColour(s, invalidColour), 0x07E0u) << "the top-left pixel, untouched";
        EXPECT_EQ(pixelprobe::peek(s, 0, 0), 0x00FF00u);
    }
}

TEST_F(RenderModeInVirtualDesktop, SurfacesLostWithTheModeAreRestoredByTheFlipWhichDropsThatFrame)
{
    EXPECT_TRUE(flipDisplay(testDisplay));
    // Another mode and back, as when a program takes the display for a while.
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 32), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16), DD_OK);
    ASSERT_EQ(directDrawSurface(testDisplay.primarySurface)->IsLost(), DDERR_SURFACELOST);

    EXPECT_FALSE(flipDisplay(testDisplay)) << "a lost frame is not shown";
    EXPECT_EQ(directDrawSurface(testDisplay.primarySurface)->IsLost(), DD_OK);
    EXPECT_EQ(directDrawSurface(testDisplay.backSurface)->IsLost(), DD_OK);
    EXPECT_TRUE(flipDisplay(testDisplay));
    fillSurface(testDisplay.backSurface, matchColour(testDisplay.backSurface, 0xFFFFFF));
    EXPECT_EQ(pixelprobe::peek(testDisplay.backSurface, 639, 479), 0xFFFFFFu)
        << "the back buffer draws again";
}

TEST(RenderClipper, BackSurfaceClipsToOneRectangleThatIsItsOwnBound)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 96, 64, 32));
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    ASSERT_EQ(directDrawSurface(testDisplay.backSurface)->GetClipper(&clipper), DD_OK);
    DWORD size = 0;
    ASSERT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DD_OK);
    std::vector<unsigned char> bytes(size);
    ASSERT_EQ(clipper->GetClipList(nullptr, reinterpret_cast<RGNDATA*>(bytes.data()), &size),
              DD_OK);
    clipper->Release();
    const RGNDATA* region = reinterpret_cast<const RGNDATA*>(bytes.data());
    ASSERT_EQ(region->rdh.nCount, 1u);
    const RECT* rect = reinterpret_cast<const RECT*>(region->Buffer);
    for (const RECT& r : {*rect, region->rdh.rcBound}) {
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right, 96);
        EXPECT_EQ(r.bottom, 64);
    }
    EXPECT_EQ(attachClipper(nullptr, 1, rect), nullptr);
    closeHeadlessDisplay(testDisplay);
}

TEST(RenderInput, LostDevicesAreAcquiredOnceAndUnreadableOnesReportFailure)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 16, 16, 32));
    uint8_t keys[256] = {};
    MouseState mouse{};
    setKeyState(1, true);
    setMouseMotion(7, -3, 0);
    loseInputOnce();
    ASSERT_TRUE(readKeyboardState(keys));
    ASSERT_TRUE(readMouseState(mouse));
    EXPECT_EQ(inputAcquisitions(), 2);
    EXPECT_EQ(keys[1], 0x80);
    EXPECT_EQ(mouse.x, 7);
    EXPECT_EQ(mouse.y, -3);

    setInputReadable(false);  // lost for good: one try to acquire, then failure
    EXPECT_FALSE(readKeyboardState(keys));
    EXPECT_FALSE(readMouseState(mouse));
    EXPECT_EQ(inputAcquisitions(), 2);
    closeHeadlessDisplay(testDisplay);
    EXPECT_FALSE(readKeyboardState(keys)) << "no device outside a run";
}

// A tap that is over before the next poll still counts once, for keys and
// the first buttons alike; the state alone would show nothing.
TEST(RenderInput, ATapBetweenTwoReadsIsSeenByTheNextRead)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 16, 16, 32));
    uint8_t keys[256] = {};
    MouseState mouse{};
    tapKey(1);
    tapMouseButton(1);
    ASSERT_TRUE(readKeyboardState(keys));
    ASSERT_TRUE(readMouseState(mouse));
    EXPECT_EQ(keys[1], 0x80);
    EXPECT_EQ(keys[2], 0);
    EXPECT_EQ(mouse.buttons[1], 0x80);
    EXPECT_EQ(mouse.buttons[0], 0);
    ASSERT_TRUE(readKeyboardState(keys));
    ASSERT_TRUE(readMouseState(mouse));
    EXPECT_EQ(keys[1], 0) << "seen once";
    EXPECT_EQ(mouse.buttons[1], 0);
    closeHeadlessDisplay(testDisplay);
}
