// The "Playing God!" page: the algorithm's numbers and switches, checked
// before they are stored, and the Preview. Being the first page created, it
// also loads the store, or resets it when "Options" is missing or foreign.

#include <windows.h>
#include <commctrl.h>

#include "settings/algorithm_check.h"
#include "settings/record_fields.h"
#include "settings/record_rules.h"
#include "settings/settings_store.h"
#include "settings/win32/configuration_pages.h"

OptionsRecord cancelBackup;

namespace {

int previewStored;

void openStore()
{
    // Foreign: missing, not a whole record (only a hand edit or another
    // program leaves one), or of another format version.
    OptionsRecord stored{};
    bool foreign = inspectSettingsValue("Options") != StoredValueShape::wholeRecord ||
                   readSettingsValue(stored, "Options") != settingsOk ||
                   !hasCurrentFormatVersion(stored);
    if (!foreign)
        foreign = readSettingsValue(liveOptions, "Options") != settingsOk;
    if (foreign)
        resetStoreKeepingSavedSlots();
    readSettingsValue(cancelBackup, "Options");
    previewStored = 0;
}

void fill(HWND page) { fillFieldControls(page, algorithmPageTitle, liveOptions); }

void readBack(HWND page) { readFieldControls(page, algorithmPageTitle, liveOptions); }

// Judges what the boxes hold now, as the page would store it.
bool validate(HWND page)
{
    OptionsRecord typed = liveOptions;
    readFieldControls(page, algorithmPageTitle, typed);
    const std::string errors = strengthLevelErrors(strengthLevelsOf(typed));
    if (!errors.empty()) {
        pageMessageBox(page, errors, algorithmErrorCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    if (exceedsEntityLimit(static_cast<uint32_t>(typed.initialVobs), liveOptions.maxEntities))
        return pageMessageBox(page, entityNoticeText, entityNoticeCaption,
                              MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
    return true;
}

void preview(HWND page)
{
    if (!validate(page))
        return;
    previewStored = 1;
    readBack(page);
    writeSettingsValue(liveOptions, "Options");
    // The system starts its selected saver, which reads the new "Options".
    PostMessageA(GetForegroundWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
}

INT_PTR onNotify(HWND page, const NMHDR& note)
{
    switch (note.code) {
    case PSN_SETACTIVE:
        fill(page);
        break;
    case PSN_KILLACTIVE:
        readBack(page);  // no checks: the page may be left as it is
        break;
    case PSN_APPLY:
        fill(page);
        if (!validate(page))
            return notifyResult(page, PSNRET_INVALID_NOCHANGEPAGE);
        readBack(page);
        writeSettingsValue(liveOptions, "Options");
        break;
    case PSN_RESET:
        if (previewStored)
            writeSettingsValue(cancelBackup, "Options");
        break;
    }
    return finishNotification(page, note);
}

}  // namespace

INT_PTR CALLBACK algorithmPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        openStore();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == idPreview) {
            preview(page);
            return TRUE;
        }
        return checkFieldChoice(page, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY:
        return onNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_HELP:
        return openHelp(page);
    default:
        return FALSE;
    }
}
