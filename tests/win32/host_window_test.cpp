// The saver window's message rules, on real windows of this process. The
// frame timer is stopped at once so that no tick sets up a display here.

#include <gtest/gtest.h>

#include <windows.h>

#include "host/win32/saver_host.h"
#include "run/frame_driver.h"
#include "run/win32/saver_run.h"
#include "settings/options_record.h"
#include "settings/settings_store.h"
#include "tests/win32/saver_key.h"

namespace {

bool closeWasPosted(HWND window)
{
    MSG message;
    bool posted = false;
    while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE))
        posted = true;
    return posted;
}

void drainQuit()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// Puts the anchor so that the cursor stands (dx, dy) away from it.
void placeAnchorAt(int dx, int dy)
{
    POINT cursor;
    GetCursorPos(&cursor);
    mouseAnchor = {cursor.x - dx, cursor.y - dy};
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = saverWorld.liveOptions;
        resetSaverHost();
        resetSaverRun();
        saverInstance = GetModuleHandleA(nullptr);
        isWindows9x = false;
    }
    void TearDown() override
    {
        if (window != nullptr && IsWindow(window))
            DestroyWindow(window);
        if (parent != nullptr)
            DestroyWindow(parent);
        drainQuit();
        resetSaverHost();
        resetSaverRun();
        saverWorld.liveOptions = saved;
        saverWorld.strengthResetRequested = 0;
    }

    void openFullScreen()
    {
        window = createSaverWindow(nullptr);
        ASSERT_NE(window, nullptr);
        KillTimer(window, 1);
        closeWasPosted(window);
    }

    void openPreview(int width, int height)
    {
        parent = CreateWindowExA(0, "STATIC", "control panel", WS_POPUP | WS_VISIBLE, 40, 40, width,
                                 height, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
        window = createSaverWindow(parent);
        ASSERT_NE(window, nullptr);
        KillTimer(window, 1);
    }

    void useUpMouseGrace()
    {
        while (mouseMoveGrace > 0)
            SendMessageA(window, WM_MOUSEMOVE, 0, 0);
        closeWasPosted(window);
    }

    OptionsRecord saved{};
    HWND window = nullptr;
    HWND parent = nullptr;
};

TEST_F(SaverWindow, FullScreenCoversTheDesktopOnTopUnderItsOwnName)
{
    openFullScreen();
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Screen Saver");
    EXPECT_FALSE(previewMode);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // The caption never changes; a second full-screen saver is not made.
    EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other")), 0);
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Screen Saver");
    EXPECT_EQ(createSaverWindow(nullptr), nullptr);
}

TEST_F(SaverWindow, TakesTheStoredSettingsOnlyWhenTheyAreAWholeRecord)
{
    const struct {
        const char* what;
        DWORD type;
        std::vector<unsigned char> bytes;
        bool taken;
    } cases[] = {
        {"a whole record", REG_BINARY, recordBytes(&presetAlgorithms[2], 128), true},
        {"a 4-byte number", REG_DWORD, {7, 0, 0, 0}, false},
        {"20 bytes", REG_BINARY, std::vector<unsigned char>(20, 0x41), false},
        {"a record as text", REG_SZ, recordBytes(&presetAlgorithms[2], 128), false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeRawValue("Options", c.bytes, c.type));
        saverWorld.liveOptions = presetAlgorithms[0];
        openFullScreen();
        const OptionsRecord& expected = c.taken ? presetAlgorithms[2] : presetAlgorithms[0];
        EXPECT_EQ(recordBytes(&saverWorld.liveOptions, 128), recordBytes(&expected, 128)) << c.what;
        DestroyWindow(window);
        window = nullptr;
        resetSaverHost();
        resetSaverRun();
    }
}

TEST_F(SaverWindow, MouseTravelClosesOnlyBeyondFourPixelsFromTheAnchor)
{
    openFullScreen();
    useUpMouseGrace();
    const struct {
        int dx, dy;
        bool closes;
    } cases[] = {
        {2, 2, false}, {4, 0, false}, {0, -4, false}, {-2, 2, false},
        {3, 2, true},  {5, 0, true},  {-3, -2, true}, {0, 40, true},
    };
    for (const auto& c : cases) {
        placeAnchorAt(c.dx, c.dy);
        POINT anchor = mouseAnchor;
        SendMessageA(window, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(closeWasPosted(window), c.closes) << c.dx << "," << c.dy;
        // A close moves the anchor to the cursor; a small move leaves it.
        POINT cursor;
        GetCursorPos(&cursor);
        EXPECT_EQ(mouseAnchor.x, c.closes ? cursor.x : anchor.x);
        EXPECT_EQ(mouseAnchor.y, c.closes ? cursor.y : anchor.y);
    }
}

TEST_F(SaverWindow, TheFirstFiveMouseMovesAreSwallowedWhateverTheirTravel)
{
    openFullScreen();
    placeAnchorAt(300, 300);
    for (int i = 0; i < 5; ++i) {
        SendMessageA(window, WM_MOUSEMOVE, 0, 0);
        EXPECT_FALSE(closeWasPosted(window)) << "move " << i + 1;
    }
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(closeWasPosted(window));
}

TEST_F(SaverWindow, FunctionKeysChangeTheLiveSettingsAndNeverClose)
{
    openFullScreen();
    const struct {
        WPARAM key;
        int32_t statsMode, includeLife, showCloud;
        int32_t expectStats, expectLife, expectCloud;
    } cases[] = {
        {VK_F1, 0, 0, 1, 0, 0, 0}, {VK_F1, 0, 0, 0, 0, 0, 1}, {VK_F2, 0, 0, 1, 1, 0, 1},
        {VK_F2, 1, 0, 1, 1, 1, 1}, {VK_F2, 1, 1, 1, 0, 0, 1}, {VK_F2, 2, 0, 1, 2, 1, 1},
        {VK_F2, 2, 1, 1, 0, 0, 1}, {VK_F2, 0, 1, 1, 0, 0, 1}, {VK_F3, 0, 1, 1, 2, 1, 1},
        {VK_F3, 1, 0, 1, 2, 0, 1}, {VK_F3, 2, 1, 1, 0, 1, 1},
    };
    for (const auto& c : cases) {
        saverWorld.liveOptions.statsMode = c.statsMode;
        saverWorld.liveOptions.includeLife = c.includeLife;
        saverWorld.liveOptions.showCloud = c.showCloud;
        EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, c.key, 0), 0);
        EXPECT_EQ(saverWorld.liveOptions.statsMode, c.expectStats) << "key " << c.key;
        EXPECT_EQ(saverWorld.liveOptions.includeLife, c.expectLife) << "key " << c.key;
        EXPECT_EQ(saverWorld.liveOptions.showCloud, c.expectCloud) << "key " << c.key;
        EXPECT_FALSE(closeWasPosted(window));
    }
    saverWorld.strengthResetRequested = 0;
    SendMessageA(window, WM_KEYDOWN, VK_F12, 0);
    EXPECT_EQ(saverWorld.strengthResetRequested, 1);
    EXPECT_FALSE(closeWasPosted(window));
}

TEST_F(SaverWindow, OtherInputAndLostActivationClose)
{
    openFullScreen();
    const struct {
        UINT message;
        WPARAM wParam;
        bool closes;
    } cases[] = {
        {WM_KEYDOWN, VK_F4, true},
        {WM_KEYDOWN, VK_F11, true},
        {WM_KEYDOWN, 'A', true},
        {WM_SYSKEYDOWN, VK_MENU, true},
        {WM_LBUTTONDOWN, 0, true},
        {WM_RBUTTONDOWN, 0, true},
        {WM_MBUTTONDOWN, 0, true},
        {WM_POWERBROADCAST, 7, true},
        {WM_POWER, 3, true},
        {WM_POWER, 1, false},
        {WM_ACTIVATEAPP, 0, true},
        {WM_ACTIVATEAPP, 1, false},
        {WM_SYSCOMMAND, SC_NEXTWINDOW, false},
        {WM_SYSCOMMAND, SC_PREVWINDOW, false},
        {WM_SYSCOMMAND, SC_SCREENSAVE, false},
    };
    for (const auto& c : cases) {
        SendMessageA(window, c.message, c.wParam, 0);
        EXPECT_EQ(closeWasPosted(window), c.closes) << "message " << c.message << " " << c.wParam;
    }
    EXPECT_TRUE(IsWindow(window));
    // Task switches and a second saver start are dropped outright.
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_NEXTWINDOW, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
}

TEST_F(SaverWindow, CloseOnTheNtFamilyDestroysTheWindowAndEndsTheLoop)
{
    openFullScreen();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    EXPECT_EQ(closeApproved, 0);
}

TEST_F(SaverWindow, APreviewSitsInItsParentAndIgnoresEveryInput)
{
    openPreview(152, 112);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Preview");
    EXPECT_TRUE(previewMode);
    EXPECT_EQ(GetParent(window), parent);
    RECT rect;
    GetClientRect(window, &rect);
    EXPECT_EQ(rect.right, 152);
    EXPECT_EQ(rect.bottom, 112);

    useUpMouseGrace();
    placeAnchorAt(200, 200);
    const UINT inputs[] = {WM_MOUSEMOVE,   WM_KEYDOWN,     WM_SYSKEYDOWN,  WM_LBUTTONDOWN,
                           WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_ACTIVATEAPP, WM_POWERBROADCAST};
    for (UINT input : inputs) {
        SendMessageA(window, input, 0, 0);
        EXPECT_FALSE(closeWasPosted(window)) << "message " << input;
    }
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(SaverWindow, APreviewShowsItsPictureShiftedUpAndLeft)
{
    openPreview(240, 170);
    HBITMAP picture = LoadBitmapA(saverInstance, MAKEINTRESOURCEA(163));
    ASSERT_NE(picture, nullptr);
    HDC pictureDc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(pictureDc, picture);

    UpdateWindow(window);
    EXPECT_EQ(paintPreview(), 0);
    HDC windowDc = GetDC(window);
    const POINT probes[] = {{0, 0}, {50, 40}, {120, 90}, {185, 127}};
    for (POINT p : probes)
        EXPECT_EQ(GetPixel(windowDc, p.x, p.y), GetPixel(pictureDc, p.x + 29, p.y + 13))
            << p.x << "," << p.y;
    // Beyond the picture's 186 x 128 visible pixels the background stays black.
    EXPECT_EQ(GetPixel(windowDc, 200, 140), RGB(0, 0, 0));
    ReleaseDC(window, windowDc);
    SelectObject(pictureDc, previous);
    DeleteDC(pictureDc);
    DeleteObject(picture);
}

}  // namespace
