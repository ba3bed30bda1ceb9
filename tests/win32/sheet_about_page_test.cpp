// The about page and the sheet itself: tabs, buttons, the pictures that
// show and hide one another, and the hidden configure dialog.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "settings/win32/configuration.h"
#include "tests/win32/sheet_driver.h"

namespace {

using ConfigurationSheet = ConfigurationSheetTest;

std::string tabText(HWND sheet, int index)
{
    HWND tabs = FindWindowExA(sheet, nullptr, "SysTabControl32", nullptr);
    char text[64] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

bool shown(HWND page, int id)
{
    return (GetWindowLongA(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

void pumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}

// A real click of the mouse at the centre of the picture: the system finds
// the window under it, so a hidden picture gets nothing.
void clickPicture(HWND page, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(page, id), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof click[0]);
    pumpMessages(100);
}

}  // namespace

TEST_F(ConfigurationSheet, HasItsCaptionFourTabsInOrderAndOkCancelHelp)
{
    sheet.run([&](HWND s) {
        char caption[64] = "";
        GetWindowTextA(s, caption, sizeof caption);
        EXPECT_STREQ(caption, "Tovrine");
        const char* titles[] = {"Playing God!", "System/Limits", "Load/Save", "Happy Happy"};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(tabText(s, i), titles[i]);
        EXPECT_EQ(tabText(s, 4), "") << "four tabs only";
        for (int id : {IDOK, IDCANCEL, IDHELP})
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(s, id))) << "button " << id;
        HWND apply = GetDlgItem(s, 0x3021);
        EXPECT_TRUE(!apply || !IsWindowVisible(apply)) << "no Apply button";
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(s, PSM_GETCURRENTPAGEHWND, 0, 0)),
                  reinterpret_cast<HWND>(SendMessageA(s, PSM_INDEXTOHWND, 0, 0)))
            << "the first page shows first";
    });
}

TEST_F(ConfigurationSheet, AboutPicturesToggleTheirTargetsAndTheChainOpensInOrder)
{
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 3);
        for (int id : {1055, 1057, 1069, 1070, 1053})
            EXPECT_FALSE(shown(page, id)) << id << " starts hidden";
        for (int id : {1075, 141, 1056, 1058, 1080})
            EXPECT_TRUE(shown(page, id)) << id << " starts shown";

        clickPicture(page, 1055);  // the hidden animal gets no click
        EXPECT_FALSE(shown(page, 1070));

        clickPicture(page, 141);
        EXPECT_TRUE(shown(page, 1055));
        clickPicture(page, 1055);
        EXPECT_TRUE(shown(page, 1070));
        clickPicture(page, 1070);
        EXPECT_TRUE(shown(page, 1069));

        clickPicture(page, 141);  // hiding the animal leaves what it revealed
        EXPECT_FALSE(shown(page, 1055));
        EXPECT_TRUE(shown(page, 1070));
        EXPECT_TRUE(shown(page, 1069));

        clickPicture(page, 1056);
        EXPECT_TRUE(shown(page, 1053));
        clickPicture(page, 1056);
        EXPECT_FALSE(shown(page, 1053));
        clickPicture(page, 1058);
        EXPECT_TRUE(shown(page, 1057));

        // A double click is two notifications, so two toggles.
        HWND dot = GetDlgItem(page, 141);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(141, STN_CLICKED), reinterpret_cast<LPARAM>(dot));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(141, STN_DBLCLK), reinterpret_cast<LPARAM>(dot));
        EXPECT_FALSE(shown(page, 1055));

        EXPECT_TRUE(shown(page, 1075));
        EXPECT_TRUE(shown(page, 1080));
    });
    // Every sheet starts with the pictures hidden again.
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 3);
        for (int id : {1055, 1057, 1069, 1070, 1053})
            EXPECT_FALSE(shown(page, id)) << id;
    });
}

TEST(ConfigureDialog, EndsWith1034BeforeItCanShow)
{
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2003), nullptr,
                                     configureDialogProc, 0);
    EXPECT_EQ(result, 1034);
}
