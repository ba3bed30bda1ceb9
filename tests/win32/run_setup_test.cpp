// A full-screen run's set-up and tear-down on a real display. The suites run
// inside a Wine virtual desktop, where the display can change its mode.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "host/win32/saver_host.h"
#include "render/display.h"
#include "render/win32/bitmap_source.h"
#include "run/win32/saver_run.h"
#include "settings/options_record.h"
#include "sim/entity_list.h"
#include "sim/world.h"
#include "tests/win32/box_answerer.h"

namespace {

// ShowCursor's display count, left as it was.
int cursorCount()
{
    int count = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return count - 1;
}

std::vector<RECT> backClipList()
{
    std::vector<RECT> rects;
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    LPDIRECTDRAWSURFACE back = directDrawSurface(saverDisplay.backSurface);
    if (back == nullptr || back->GetClipper(&clipper) != DD_OK)
        return rects;
    DWORD size = 0;
    clipper->GetClipList(nullptr, nullptr, &size);
    std::vector<char> buffer(size);
    auto* region = reinterpret_cast<RGNDATA*>(buffer.data());
    if (size >= sizeof(RGNDATAHEADER) && clipper->GetClipList(nullptr, region, &size) == DD_OK) {
        const RECT* list = reinterpret_cast<const RECT*>(region->Buffer);
        rects.assign(list, list + region->rdh.nCount);
    }
    clipper->Release();
    return rects;
}

// One tick of the frame clock, through the window's own procedures.
void tick(HWND window) { SendMessageA(window, WM_TIMER, 1, 0); }

// PeekMessage hands out a quit message whatever its filter, and a sheet that
// cannot be read asks for one: look at what came.
bool closeWasPosted(HWND window)
{
    MSG message;
    bool posted = false;
    while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE))
        posted = posted || message.message == WM_CLOSE;
    return posted;
}

// Holds Escape down from another thread, as a user would, while the loading
// screen polls the keyboard device.
class EscapeHeld {
public:
    EscapeHeld()
        : presser_([this] {
              while (!done_) {
                  keybd_event(VK_ESCAPE, 1, 0, 0);
                  Sleep(10);
              }
              keybd_event(VK_ESCAPE, 1, KEYEVENTF_KEYUP, 0);
          })
    {
    }
    ~EscapeHeld()
    {
        done_ = true;
        presser_.join();
    }

private:
    std::atomic<bool> done_{false};
    std::thread presser_;
};

class RunSetUpInVirtualDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = saverWorld.liveOptions;
        resetSaverHost();
        resetSaverRun();
        saverInstance = GetModuleHandleA(nullptr);
        setResourceModule(saverInstance);
        window = createSaverWindow(nullptr);
        ASSERT_NE(window, nullptr);
        KillTimer(window, 1);
        // After the window's creation, which loads whatever the registry holds.
        saverWorld.liveOptions = presetAlgorithms[0];
        saverWorld.liveOptions.initialVobs = 20;
        saverWorld.liveOptions.whirlCount = 5;
    }
    void TearDown() override
    {
        tearDownRun();
        if (IsWindow(window))
            DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        resetSaverHost();
        resetSaverRun();
        saverWorld.liveOptions = saved;
    }

    OptionsRecord saved{};
    HWND window = nullptr;
};

TEST_F(RunSetUpInVirtualDesktop, TakesTheModeBuildsTheWorldAndGivesEverythingBack)
{
    saverWorld.liveOptions.screenWidth = 800;
    saverWorld.liveOptions.screenHeight = 600;
    saverWorld.liveOptions.screenDepth = 16;
    int cursorBefore = cursorCount();

    ASSERT_EQ(setUpRun(window), 0);
    EXPECT_EQ(saverDisplay.width, 800);
    EXPECT_EQ(saverDisplay.height, 600);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    ASSERT_NE(saverDisplay.primarySurface, nullptr);
    ASSERT_NE(saverDisplay.backSurface, nullptr);
    EXPECT_EQ(surfaceWidth(saverDisplay.backSurface), 800);
    ASSERT_NE(saverWorld.vobList, nullptr);
    EXPECT_EQ(saverWorld.vobList->population(), 20);
    EXPECT_EQ(saverWorld.whirlList->population(), 5);
    EXPECT_EQ(cursorCount(), cursorBefore - 1);

    std::vector<RECT> clip = backClipList();
    ASSERT_EQ(clip.size(), 1u);
    EXPECT_EQ(clip[0].left, 0);
    EXPECT_EQ(clip[0].top, 0);
    EXPECT_EQ(clip[0].right, 800);
    EXPECT_EQ(clip[0].bottom, 600);

    tearDownRun();
    EXPECT_EQ(saverDisplay.primarySurface, nullptr);
    EXPECT_EQ(directDraw, nullptr);
    EXPECT_EQ(keyboardDevice, nullptr);
    EXPECT_EQ(saverWorld.vobList, nullptr);
    EXPECT_EQ(cursorCount(), cursorBefore);
    EXPECT_NE(GetSystemMetrics(SM_CXSCREEN), 800);
}

TEST_F(RunSetUpInVirtualDesktop, ARefusedModeFallsBackToTheDesktopsOwnAfterItsBox)
{
    saverWorld.liveOptions.screenWidth = 123;
    saverWorld.liveOptions.screenHeight = 45;
    saverWorld.liveOptions.screenDepth = 16;
    int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    int cursorBefore = cursorCount();
    BoxAnswerer answerer;

    EXPECT_EQ(setUpRun(window), 1);
    std::vector<ShownBox> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "Error: Couldn't set video mode.");
    // Nothing of the failed attempt is kept, and the cursor stays balanced.
    EXPECT_EQ(directDraw, nullptr);
    EXPECT_EQ(saverDisplay.primarySurface, nullptr);
    EXPECT_EQ(cursorCount(), cursorBefore);
    EXPECT_FALSE(closeWasPosted(window));

    ASSERT_EQ(setUpRun(window), 0);
    EXPECT_EQ(saverDisplay.width, desktopWidth);
    EXPECT_EQ(answerer.boxes().size(), 1u);
}

TEST_F(RunSetUpInVirtualDesktop, SetUpThatStillFailsInTheDesktopsModeEndsTheSaverAfterItsBox)
{
    saverWorld.liveOptions.screenWidth = 123;
    saverWorld.liveOptions.screenHeight = 45;
    saverWorld.liveOptions.screenDepth = 16;
    BoxAnswerer answerer;
    EXPECT_EQ(setUpRun(window), 1);
    // A module without the world's bitmaps: the sprites cannot be loaded.
    setResourceModule(GetModuleHandleA("kernel32.dll"));
    EXPECT_EQ(setUpRun(window), 1);
    setResourceModule(saverInstance);

    std::vector<ShownBox> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Error: Couldn't load sprites.");
    EXPECT_TRUE(closeWasPosted(window));
    // Given up: further ticks neither try again nor show more boxes.
    EXPECT_EQ(setUpRun(window), 1);
    EXPECT_EQ(answerer.boxes().size(), 2u);
    EXPECT_EQ(directDraw, nullptr);
}

// The quiet close waits in the queue (on the Windows 95 family behind the
// password dialog); the ticks meanwhile must not take the screen again.
TEST_F(RunSetUpInVirtualDesktop, AStoppedLoadingScreenClosesQuietlyAndNoLaterTickSetsUpAgain)
{
    saverWorld.liveOptions.initialVobs = 5000;
    saverWorld.liveOptions.maxEntities = 5000;
    int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    BoxAnswerer answerer;
    {
        EscapeHeld escape;
        tick(window);
    }
    EXPECT_TRUE(answerer.boxes().empty());
    EXPECT_EQ(directDraw, nullptr);
    ASSERT_TRUE(closeWasPosted(window));

    for (int i = 0; i < 3; ++i)
        tick(window);
    EXPECT_EQ(directDraw, nullptr);
    EXPECT_EQ(saverWorld.vobList, nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
    EXPECT_TRUE(answerer.boxes().empty());
}

TEST_F(RunSetUpInVirtualDesktop, NoTickSetsUpWhileThePasswordIsAsked)
{
    verifyingPassword = true;
    tick(window);
    EXPECT_EQ(directDraw, nullptr);
    verifyingPassword = false;
    tick(window);
    EXPECT_NE(directDraw, nullptr);
}

TEST_F(RunSetUpInVirtualDesktop, ThreeFailedAttemptsEndTheSaverAndLaterTicksTryNoMore)
{
    // A module without the world's bitmaps: every attempt fails at the sprites.
    setResourceModule(GetModuleHandleA("kernel32.dll"));
    BoxAnswerer answerer;
    for (size_t attempt = 1; attempt <= 3; ++attempt) {
        tick(window);
        EXPECT_EQ(answerer.boxes().size(), attempt);
        EXPECT_EQ(closeWasPosted(window), attempt == 3) << "attempt " << attempt;
    }
    // Not even a set-up that would now succeed.
    setResourceModule(saverInstance);
    for (int i = 0; i < 3; ++i)
        tick(window);
    EXPECT_EQ(answerer.boxes().size(), 3u);
    EXPECT_EQ(directDraw, nullptr);
    EXPECT_EQ(saverWorld.vobList, nullptr);
}

}  // namespace
