// The "Load/Save" page: the library of named algorithms in the save slots.
// It acts at once: every button stores what it does when it is pressed.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "settings/save_slots.h"
#include "settings/settings_store.h"
#include "settings/win32/configuration_pages.h"

namespace {

bool readSlot(int slot, OptionsRecord& record)
{
    return readSettingsValue(record, slotValueName(slot).c_str()) == settingsOk;
}

// Entry N of either box is slot N: entries are appended, never sorted in.
void fillSlotLists(HWND page)
{
    HWND loadBox = GetDlgItem(page, idLoadBox);
    HWND saveBox = GetDlgItem(page, idSaveBox);
    SendMessageA(loadBox, CB_RESETCONTENT, 0, 0);
    SendMessageA(saveBox, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : listSlotNames(readSlot)) {
        SendMessageA(loadBox, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageA(saveBox, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendDlgItemMessageA(page, idNameField, EM_LIMITTEXT, slotNameLength, 0);
    SetDlgItemTextA(page, idNameField, algorithmNameText(liveOptions).c_str());
}

std::vector<std::string> listedNames(HWND combo)
{
    std::vector<std::string> names;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        names.push_back(comboEntryText(combo, i));
    return names;
}

void warn(HWND page, const char* caption, const char* text)
{
    pageMessageBox(page, text, caption, MB_OK | MB_ICONWARNING);
}

void save(HWND page)
{
    HWND saveBox = GetDlgItem(page, idSaveBox);
    const std::vector<std::string> names = listedNames(saveBox);
    const int selection = static_cast<int>(SendMessageA(saveBox, CB_GETCURSEL, 0, 0));
    const std::string typed = controlText(saveBox);

    const int target = saveTargetSlot(names, selection, typed);
    if (target >= 0) {
        if (pageMessageBox(page, "A save slot already exists with that name,\nOverwrite?",
                           " Saving Algorithm...", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return;
        // The slot takes the active algorithm under its own name.
        writeSettingsValue(liveOptions, slotValueName(target).c_str());
        return;
    }
    const int newSlot = nextFreeSlot(static_cast<int>(names.size()));
    if (newSlot < 0) {
        warn(page, " Save Error",
             "Sorry, the data couldn't be saved.\r\nNo new save slots can be created,\r\n"
             "all save slots are in use.");
        return;
    }
    if (typed.empty()) {
        warn(page, " Save Error",
             "Sorry, the data couldn't be saved.\r\nNo name provided for save slot.\r\n"
             "Enter a name and try again!");
        return;
    }
    setAlgorithmName(liveOptions, slotNameFromText(typed));
    writeSettingsValue(liveOptions, slotValueName(newSlot).c_str());
    fillSlotLists(page);
}

void load(HWND page)
{
    const LRESULT selection = SendDlgItemMessageA(page, idLoadBox, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) {
        warn(page, " Load Error", "Load Failed. No item selected.");
        return;
    }
    const std::string slot = slotValueName(static_cast<int>(selection));
    OptionsRecord record{};
    if (readSettingsValue(record, slot.c_str()) != settingsOk)
        return;
    // A slot that is not a whole record would become a mostly empty
    // "Options" with no version, which the next configuration would answer
    // by resetting the store.
    if (inspectSettingsValue(slot.c_str()) != StoredValueShape::wholeRecord) {
        warn(page, " Load Error", "Load Failed. The selected save slot is damaged.");
        return;
    }
    // Loading changes the algorithm, never the machine's settings.
    record.maxEntities = liveOptions.maxEntities;
    record.screenWidth = liveOptions.screenWidth;
    record.screenHeight = liveOptions.screenHeight;
    record.screenDepth = liveOptions.screenDepth;
    writeSettingsValue(record, "Options");
    readSettingsValue(liveOptions, "Options");
    readSettingsValue(cancelBackup, "Options");
    fillSlotLists(page);
}

void rename(HWND page)
{
    const std::string typed = controlText(GetDlgItem(page, idNameField));
    if (typed.empty()) {
        pageMessageBox(page, "Name field blank.", " Rename Error", MB_OK);
        return;
    }
    // The whole active name picks the slot: a name that is only the start
    // of another slot's name must never overwrite that slot.
    const int slot =
        findSlotByName(listedNames(GetDlgItem(page, idLoadBox)), algorithmNameText(liveOptions));
    const std::string name = slotNameFromText(typed);
    setAlgorithmName(liveOptions, name);

    // The stored "Options" under its new name; should it not be a whole
    // record, the live one stands in rather than spreading a broken value.
    OptionsRecord record{};
    if (inspectSettingsValue("Options") != StoredValueShape::wholeRecord ||
        readSettingsValue(record, "Options") != settingsOk)
        record = liveOptions;
    setAlgorithmName(record, name);
    writeSettingsValue(record, "Options");
    if (slot >= 0)
        writeSettingsValue(record, slotValueName(slot).c_str());
    fillSlotLists(page);
}

void restoreDefaults(HWND page)
{
    if (pageMessageBox(page, "This will clear out all active settings,\nContinue?",
                       " Reset Settings", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    const LRESULT listed = SendDlgItemMessageA(page, idLoadBox, CB_GETCOUNT, 0, 0);
    for (int slot = 0; slot < listed; ++slot)
        deleteSettingsValue(slotValueName(slot).c_str());
    deleteSettingsValue("Options");
    resetStoreToPresets();
    readSettingsValue(cancelBackup, "Options");
    fillSlotLists(page);
}

INT_PTR onNotify(HWND page, const NMHDR& note)
{
    if (note.code == PSN_SETACTIVE)
        fillSlotLists(page);
    return finishNotification(page, note);
}

}  // namespace

INT_PTR CALLBACK slotsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam)) {
        case idSave:
            save(page);
            return TRUE;
        case idLoad:
            load(page);
            return TRUE;
        case idRename:
            rename(page);
            return TRUE;
        case idRestoreDefaults:
            restoreDefaults(page);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        return onNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_HELP:
        return openHelp(page);
    default:
        return FALSE;
    }
}
