// The "System/Limits" page on the real sheet: the list of the display's
// modes, the selection that follows the live record, and what OK stores.

#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include "settings/page_text.h"
#include "settings/settings_store.h"
#include "tests/win32/saver_key.h"
#include "tests/win32/sheet_driver.h"

namespace {

using LimitsPage = ConfigurationSheetTest;

const int modeList = 1046, maxEntitiesBox = 1041;

HRESULT WINAPI collectMode(LPDDSURFACEDESC mode, LPVOID modes)
{
    if (mode->ddpfPixelFormat.dwRGBBitCount >= 8)
        static_cast<std::vector<std::string>*>(modes)->push_back(
            modeText(static_cast<int32_t>(mode->dwWidth), static_cast<int32_t>(mode->dwHeight),
                     static_cast<int32_t>(mode->ddpfPixelFormat.dwRGBBitCount)));
    return DDENUMRET_OK;
}

// What the display offers at 8 bits per pixel or more, in its own order.
std::vector<std::string> displayModes()
{
    std::vector<std::string> modes;
    LPDIRECTDRAW directDraw = nullptr;
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK)
        return modes;
    directDraw->EnumDisplayModes(0, nullptr, &modes, collectMode);
    directDraw->Release();
    return modes;
}

}  // namespace

TEST_F(LimitsPage, ListsTheDisplaysModesAndSelectsTheLiveOne)
{
    const std::vector<std::string> modes = displayModes();
    ASSERT_GE(modes.size(), 2u) << "the display should offer a choice";
    const std::string chosen = modes.back();
    const DisplayModeFields chosenMode = parseModeText(chosen);

    OptionsRecord options = presetAlgorithms[0];
    options.screenWidth = chosenMode.width;
    options.screenHeight = chosenMode.height;
    options.screenDepth = chosenMode.depth;
    storeRecord("Options", options, "Modes");
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 1);
        EXPECT_EQ(comboEntries(page, modeList), modes);
        EXPECT_EQ(comboEntries(page, modeList)[comboSelection(page, modeList)], chosen);
        EXPECT_EQ(itemText(page, maxEntitiesBox), "5000");

        // Pick the first mode and a new limit; OK stores them.
        SendDlgItemMessageA(page, modeList, CB_SETCURSEL, 0, 0);
        typeText(page, maxEntitiesBox, "123456789");  // seven characters at most
        pressSheetButton(s, IDOK);
    });
    const DisplayModeFields first = parseModeText(modes.front());
    OptionsRecord stored = storedRecord("Options");
    EXPECT_EQ(stored.screenWidth, first.width);
    EXPECT_EQ(stored.screenHeight, first.height);
    EXPECT_EQ(stored.screenDepth, first.depth);
    EXPECT_EQ(stored.maxEntities, 1234567);
    EXPECT_TRUE(sheet.boxes().empty());
}

TEST_F(LimitsPage, AModeTheDisplayDoesNotOfferSelectsNothingAndSurvivesOk)
{
    OptionsRecord options = presetAlgorithms[0];
    options.screenWidth = 1234;
    options.screenHeight = 567;
    options.screenDepth = 16;
    storeRecord("Options", options, "Odd Mode");
    sheet.answer(IDOK);  // 10 Vobs and a limit of 0: the notice
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 1);
        EXPECT_EQ(comboSelection(page, modeList), CB_ERR);
        typeText(page, maxEntitiesBox, "");  // an empty limit stores 0
        pressSheetButton(s, IDOK);
    });
    OptionsRecord stored = storedRecord("Options");
    EXPECT_EQ(stored.screenWidth, 1234);
    EXPECT_EQ(stored.screenHeight, 567);
    EXPECT_EQ(stored.screenDepth, 16);
    EXPECT_EQ(stored.maxEntities, 0);
    ASSERT_EQ(sheet.boxes().size(), 1u);
    EXPECT_EQ(sheet.boxes()[0].caption, "Notice!");
}

TEST_F(LimitsPage, TheSelectionFollowsALoadAndTheFirstPageSeesTheNewLimit)
{
    // Restore Defaults takes the desktop's mode; the page shows it when it
    // is next shown, and the first page checks its Vobs against the limit
    // this page last took.
    const std::vector<std::string> modes = displayModes();
    ASSERT_FALSE(modes.empty());
    const DisplayModeFields other = parseModeText(modes.front());
    OptionsRecord options = presetAlgorithms[0];
    options.screenWidth = other.width;
    options.screenHeight = other.height;
    options.screenDepth = other.depth;
    storeRecord("Options", options, "Follow");
    sheet.answer(IDOK);      // Restore Defaults
    sheet.answer(IDCANCEL);  // the notice
    sheet.run([&](HWND s) {
        clickButton(showPage(s, 2), 1068);
        HWND page = showPage(s, 1);
        HDC screen = GetDC(nullptr);
        const std::string desktop =
            modeText(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                     GetDeviceCaps(screen, BITSPIXEL));
        ReleaseDC(nullptr, screen);
        EXPECT_EQ(comboEntries(page, modeList)[comboSelection(page, modeList)], desktop);

        typeText(page, maxEntitiesBox, "9");
        pressSheetButton(s, IDOK);  // 10 Vobs > 9: the notice, answered Cancel
        EXPECT_TRUE(sheetIsOpen(s));
    });
    ASSERT_EQ(sheet.boxes().size(), 2u);
    EXPECT_EQ(sheet.boxes()[1].caption, "Notice!");
}
