#include "tests/win32/sheet_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "settings/settings_store.h"
#include "settings/win32/configuration.h"
#include "tests/win32/saver_key.h"

namespace {

SheetDriver* activeDriver;
HHOOK boxHook;

std::string windowText(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string className(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A message box is a dialog with the text static 0xFFFF and no tabs.
bool isMessageBox(HWND window)
{
    return className(window) == "#32770" && GetDlgItem(window, 0xFFFF) &&
           !FindWindowExA(window, nullptr, "SysTabControl32", nullptr);
}

std::string iconName(HICON icon)
{
    if (!icon)
        return "none";
    const struct {
        LPCSTR id;
        const char* name;
    } known[] = {{IDI_ERROR, "error"},
                 {IDI_QUESTION, "question"},
                 {IDI_WARNING, "warning"},
                 {IDI_INFORMATION, "information"}};
    for (const auto& k : known)
        if (LoadIconA(nullptr, k.id) == icon)
            return k.name;
    return "other";
}

BOOL CALLBACK readBoxChild(HWND child, LPARAM boxPointer)
{
    CaughtBox& box = *reinterpret_cast<CaughtBox*>(boxPointer);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (!(style & WS_VISIBLE))
        return TRUE;
    if (className(child) == "Button") {
        int id = GetDlgCtrlID(child);
        if (id >= IDOK && id <= IDCONTINUE)
            box.buttons.push_back(id);
    } else if (className(child) == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
        HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if (icon)
            box.icon = iconName(icon);
    }
    return TRUE;
}

}  // namespace

LRESULT CALLBACK catchMessageBox(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    SheetDriver* driver = activeDriver;
    if (code == HCBT_ACTIVATE && driver && isMessageBox(window) &&
        std::find(driver->answered.begin(), driver->answered.end(), window) ==
            driver->answered.end()) {
        driver->answered.push_back(window);
        CaughtBox box;
        box.caption = windowText(window);
        box.text = windowText(GetDlgItem(window, 0xFFFF));
        box.icon = "none";
        box.owner = GetWindow(window, GW_OWNER);
        box.ownerEnabled = box.owner != nullptr && IsWindowEnabled(box.owner);
        EnumChildWindows(window, readBoxChild, reinterpret_cast<LPARAM>(&box));
        std::sort(box.buttons.begin(), box.buttons.end());
        int answer = box.buttons.empty() ? IDOK : box.buttons.back();
        if (!driver->answers.empty()) {
            answer = driver->answers.front();
            driver->answers.pop_front();
        }
        driver->caught.push_back(box);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, answer)));
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

namespace {

BOOL CALLBACK findSheet(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && className(window) == "#32770" &&
        windowText(window) == "Tovrine" &&
        FindWindowExA(window, nullptr, "SysTabControl32", nullptr)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

namespace {

UINT_PTR cancelTimer;

void CALLBACK cancelOpenSheet(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    cancelTimer = 0;
    HWND sheet = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findSheet, reinterpret_cast<LPARAM>(&sheet));
    if (sheet)
        pressSheetButton(sheet, IDCANCEL);
}

}  // namespace

void CALLBACK startScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    SheetDriver* driver = activeDriver;
    HWND sheet = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findSheet, reinterpret_cast<LPARAM>(&sheet));
    if (!sheet || !driver || driver->scriptRan)
        return;
    KillTimer(nullptr, timer);
    driver->scriptRan = true;
    driver->script(sheet);
    // An OK that succeeded ends the sheet's loop as soon as this returns;
    // a sheet the script left open is cancelled a moment later.
    cancelTimer = SetTimer(nullptr, 0, 50, cancelOpenSheet);
}

void SheetDriver::run(const std::function<void(HWND sheet)>& body)
{
    script = body;
    scriptRan = false;
    activeDriver = this;
    boxHook = SetWindowsHookExA(WH_CBT, catchMessageBox, nullptr, GetCurrentThreadId());
    UINT_PTR timer = SetTimer(nullptr, 0, 10, startScript);
    EXPECT_TRUE(configurationHook(GetModuleHandleA(nullptr)));
    KillTimer(nullptr, timer);
    if (cancelTimer)
        KillTimer(nullptr, cancelTimer);
    cancelTimer = 0;
    UnhookWindowsHookEx(boxHook);
    activeDriver = nullptr;
    EXPECT_TRUE(scriptRan) << "the sheet never showed";
}

HWND showPage(HWND sheet, int index)
{
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void pressSheetButton(HWND sheet, int id)
{
    SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(sheet, id)));
}

bool sheetIsOpen(HWND sheet) { return IsWindow(sheet) && IsWindowVisible(sheet); }

void clickButton(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

namespace {

// The edit control a user types into: the box itself, or a combo's field.
HWND editOf(HWND page, int id)
{
    HWND control = GetDlgItem(page, id);
    if (className(control) != "ComboBox")
        return control;
    COMBOBOXINFO info;
    info.cbSize = sizeof info;
    return GetComboBoxInfo(control, &info) ? info.hwndItem : nullptr;
}

}  // namespace

void typeText(HWND page, int id, const std::string& text)
{
    HWND edit = editOf(page, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CLEAR, 0, 0);
    for (char c : text)
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

std::string itemText(HWND page, int id) { return windowText(GetDlgItem(page, id)); }

std::vector<std::string> comboEntries(HWND page, int id)
{
    std::vector<std::string> entries;
    HWND combo = GetDlgItem(page, id);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        if (SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

int comboSelection(HWND page, int id)
{
    return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}

void ConfigurationSheetTest::SetUp()
{
    savedLiveOptions = liveOptions;
    removeSaverKey();
}

void ConfigurationSheetTest::TearDown()
{
    liveOptions = savedLiveOptions;
    removeSaverKey();
}

void storeRecord(const char* valueName, OptionsRecord record, const std::string& name)
{
    setAlgorithmName(record, name);
    ASSERT_EQ(writeSettingsValue(record, valueName), settingsOk);
}

OptionsRecord storedRecord(const char* valueName)
{
    OptionsRecord record{};
    RawValue raw = readRawValue(valueName);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY)) << valueName;
    EXPECT_EQ(raw.bytes.size(), sizeof record) << valueName;
    if (raw.bytes.size() == sizeof record)
        std::memcpy(&record, raw.bytes.data(), sizeof record);
    return record;
}
