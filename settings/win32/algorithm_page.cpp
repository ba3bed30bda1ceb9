// The "Playing God!" page: the algorithm's numbers and switches, checked
// before they are stored, and the Preview. Being the first page created, it
// also loads the store, or resets it when "Options" is missing or foreign.

#include <windows.h>
#include <commctrl.h>

#include "settings/algorithm_check.h"
#include "settings/page_text.h"
#include "settings/settings_store.h"
#include "settings/win32/configuration_pages.h"

OptionsRecord cancelBackup;

namespace {

int previewStored;

struct NumberBox {
    int id;
    int32_t OptionsRecord::*field;
    uint32_t largest;
};

const NumberBox numberBoxes[] = {
    {idInitialVobs, &OptionsRecord::initialVobs, largestCount},
    {idWhirlCount, &OptionsRecord::whirlCount, largestCount},
    {idBirthStrength, &OptionsRecord::birthStrength, largestNumber},
    {idMaxStrength, &OptionsRecord::maxStrength, largestNumber},
    {idSpawnLevel, &OptionsRecord::spawnLevel, largestNumber},
    {idBirthSpawns, &OptionsRecord::birthSpawns, largestNumber},
    {idMegaLevel, &OptionsRecord::megaLevel, largestNumber},
    {idGreenLevel, &OptionsRecord::greenLevel, largestNumber},
    {idFoodStrength, &OptionsRecord::foodStrength, largestNumber},
    {idDepositGap, &OptionsRecord::depositGap, largestNumber},
};

struct CheckBox {
    int id;
    int32_t OptionsRecord::*field;
};

const CheckBox checkBoxes[] = {
    {idIncludeLife, &OptionsRecord::includeLife},
    {idShowCloud, &OptionsRecord::showCloud},
    {idWrapEdges, &OptionsRecord::wrapEdges},
    {idVobIQ, &OptionsRecord::vobIQ},
};

// The three radio buttons sit in groups of their own, so the page keeps
// exactly one of them checked.
void checkStatsButton(HWND page, int id)
{
    for (int button : {idStatsAlways, idStatsNearDeath, idStatsNever})
        CheckDlgButton(page, button, button == id ? BST_CHECKED : BST_UNCHECKED);
}

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

void fill(HWND page)
{
    for (const NumberBox& box : numberBoxes) {
        SendDlgItemMessageA(page, box.id, EM_LIMITTEXT, box.largest == largestCount ? 5 : 7, 0);
        SetDlgItemInt(page, box.id, static_cast<UINT>(liveOptions.*box.field), FALSE);
    }
    int stats = liveOptions.statsMode == 1   ? idStatsAlways
                : liveOptions.statsMode == 2 ? idStatsNearDeath
                                             : idStatsNever;
    checkStatsButton(page, stats);
    for (const CheckBox& box : checkBoxes)
        CheckDlgButton(page, box.id, liveOptions.*box.field ? BST_CHECKED : BST_UNCHECKED);
}

void readBack(HWND page)
{
    for (const CheckBox& box : checkBoxes)
        liveOptions.*box.field = IsDlgButtonChecked(page, box.id) == BST_CHECKED ? 1 : 0;
    liveOptions.statsMode = IsDlgButtonChecked(page, idStatsAlways) == BST_CHECKED      ? 1
                            : IsDlgButtonChecked(page, idStatsNearDeath) == BST_CHECKED ? 2
                                                                                        : 0;
    for (const NumberBox& box : numberBoxes)
        liveOptions.*box.field = readNumberBox(page, box.id, box.largest);
}

bool validate(HWND page)
{
    StrengthLevels levels;
    levels.birthStrength =
        static_cast<uint32_t>(readNumberBox(page, idBirthStrength, largestNumber));
    levels.maxStrength = static_cast<uint32_t>(readNumberBox(page, idMaxStrength, largestNumber));
    levels.megaLevel = static_cast<uint32_t>(readNumberBox(page, idMegaLevel, largestNumber));
    levels.greenLevel = static_cast<uint32_t>(readNumberBox(page, idGreenLevel, largestNumber));
    const std::string errors = strengthLevelErrors(levels);
    if (!errors.empty()) {
        pageMessageBox(errors, algorithmErrorCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    uint32_t initialVobs = static_cast<uint32_t>(readNumberBox(page, idInitialVobs, largestCount));
    if (exceedsEntityLimit(initialVobs, liveOptions.maxEntities))
        return pageMessageBox(entityNoticeText, entityNoticeCaption,
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
        switch (LOWORD(wParam)) {
        case idStatsAlways:
        case idStatsNearDeath:
        case idStatsNever:
            checkStatsButton(page, LOWORD(wParam));
            return TRUE;
        case idPreview:
            preview(page);
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
