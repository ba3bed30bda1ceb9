// The "Load/Save" page on the real sheet: saving, overwriting by name,
// loading, renaming and restoring the presets, against the real registry.

#include <gtest/gtest.h>

#include <windows.h>

#include "settings/settings_store.h"
#include "tests/win32/saver_key.h"
#include "tests/win32/sheet_driver.h"

namespace {

using SlotsPage = ConfigurationSheetTest;

const int loadBox = 1063, loadButton = 1062, saveBox = 1061, saveButton = 1065;
const int nameField = 1071, renameButton = 1066, restoreButton = 1068;

// "Options" and the seven presets, as after a reset, with the active
// algorithm given.
void storePresetsWithOptions(const OptionsRecord& options)
{
    for (int slot = 0; slot < presetCount; ++slot)
        ASSERT_EQ(writeSettingsValue(presetAlgorithms[slot], slotValueName(slot).c_str()),
                  settingsOk);
    ASSERT_EQ(writeSettingsValue(options, "Options"), settingsOk);
}

OptionsRecord named(OptionsRecord record, const std::string& name)
{
    setAlgorithmName(record, name);
    return record;
}

std::string slotName(int slot)
{
    return algorithmNameText(storedRecord(slotValueName(slot).c_str()));
}

void expectBox(const CaughtBox& box, const char* caption, const char* text, const char* icon,
               std::vector<int> buttons)
{
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, icon);
    EXPECT_EQ(box.buttons, buttons);
}

const char overwriteText[] = "A save slot already exists with that name,\nOverwrite?";

}  // namespace

TEST_F(SlotsPage, TheListsShowTheSlotsInOrderUpToTheFirstGap)
{
    storePresetsWithOptions(presetAlgorithms[1]);
    deleteSettingsValue("alg3");
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 2);
        const std::vector<std::string> listed = {"The Original VobLife Algorithm", "The Tovrine",
                                                 "The Storm"};
        EXPECT_EQ(comboEntries(page, loadBox), listed);
        EXPECT_EQ(comboEntries(page, saveBox), listed);
        EXPECT_EQ(itemText(page, nameField), "The Tovrine");

        // A new slot fills the gap; "alg4" beyond it stays as it was.
        typeText(page, saveBox, "Gap Filler");
        clickButton(page, saveButton);
        EXPECT_EQ(comboEntries(page, loadBox).size(), 7u) << "the run now reaches alg6";
    });
    EXPECT_EQ(slotName(3), "Gap Filler");
    EXPECT_EQ(readRawValue("alg4").bytes, recordBytes(&presetAlgorithms[4], 128));
    EXPECT_TRUE(sheet.boxes().empty());
}

TEST_F(SlotsPage, SaveUnderANewNameAppendsASlotWithTheActiveAlgorithm)
{
    storePresetsWithOptions(named(presetAlgorithms[5], "Tiny Brain Storm (Doreroder)"));
    const std::string fortyCharacters = "Forty characters of a name, cut at 38!!";  // 39 here
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 2);
        typeText(page, saveBox, fortyCharacters + "x");
        clickButton(page, saveButton);
        EXPECT_EQ(comboEntries(page, loadBox).back(), fortyCharacters.substr(0, 38));
        EXPECT_EQ(itemText(page, nameField), fortyCharacters.substr(0, 38));
    });
    OptionsRecord expected = named(presetAlgorithms[5], fortyCharacters.substr(0, 38));
    OptionsRecord saved = storedRecord("alg7");
    EXPECT_EQ(recordBytes(&saved, 128), recordBytes(&expected, 128));
    EXPECT_TRUE(sheet.boxes().empty());
}

TEST_F(SlotsPage, SaveUnderAListedNameInAnyCaseAsksAndOverwritesOnlyThatSlot)
{
    storePresetsWithOptions(named(presetAlgorithms[6], "Mine"));
    sheet.answer(IDCANCEL);
    sheet.answer(IDOK);
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 2);
        typeText(page, saveBox, "the storm");
        clickButton(page, saveButton);
        EXPECT_EQ(slotName(2), "The Storm") << "Cancel keeps the slot";
        clickButton(page, saveButton);
    });
    ASSERT_EQ(sheet.boxes().size(), 2u);
    for (const CaughtBox& box : sheet.boxes())
        expectBox(box, " Saving Algorithm...", overwriteText, "question", {IDOK, IDCANCEL});
    // The slot takes the active algorithm under the active name; the lists
    // were not rebuilt and no other slot changed.
    OptionsRecord overwritten = storedRecord("alg2");
    OptionsRecord expected = named(presetAlgorithms[6], "Mine");
    EXPECT_EQ(recordBytes(&overwritten, 128), recordBytes(&expected, 128));
    for (int slot : {0, 1, 3, 4, 5, 6})
        EXPECT_EQ(readRawValue(slotValueName(slot).c_str()).bytes,
                  recordBytes(&presetAlgorithms[slot], 128));
    EXPECT_TRUE(readRawValue("alg7").bytes.empty());
}

TEST_F(SlotsPage, ATypedNameThatOnlyBeginsASlotsNameSavesANewSlot)
{
    // The combo box selects the first entry that begins with what is typed;
    // that entry is not the user's pick and must not be overwritten.
    storePresetsWithOptions(named(presetAlgorithms[2], "Active"));
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 2);
        SendDlgItemMessageA(page, saveBox, CB_SETCURSEL, 1, 0);
        typeText(page, saveBox, "The");
        clickButton(page, saveButton);
    });
    EXPECT_TRUE(sheet.boxes().empty());
    for (int slot = 0; slot < presetCount; ++slot)
        EXPECT_EQ(readRawValue(slotValueName(slot).c_str()).bytes,
                  recordBytes(&presetAlgorithms[slot], 128));
    EXPECT_EQ(slotName(7), "The");
}

TEST_F(SlotsPage, SaveWarnsWhenAllSlotsAreInUseOrNoNameIsGiven)
{
    struct Case {
        int slots;
        const char* typed;
        const char* text;
    };
    const Case cases[] = {
        {25, "Twenty-sixth",
         "Sorry, the data couldn't be saved.\r\nNo new save slots can be created,\r\nall save "
         "slots are in use."},
        {25, "",
         "Sorry, the data couldn't be saved.\r\nNo new save slots can be created,\r\nall save "
         "slots are in use."},
        {7, "",
         "Sorry, the data couldn't be saved.\r\nNo name provided for save slot.\r\nEnter a name "
         "and try again!"},
    };
    for (const Case& c : cases) {
        removeSaverKey();
        storePresetsWithOptions(presetAlgorithms[0]);
        for (int slot = presetCount; slot < c.slots; ++slot)
            storeRecord(slotValueName(slot).c_str(), presetAlgorithms[slot % presetCount],
                        "Slot " + std::to_string(slot));
        sheet.clearBoxes();
        sheet.run([&](HWND s) {
            HWND page = showPage(s, 2);
            ASSERT_EQ(comboEntries(page, saveBox).size(), static_cast<std::size_t>(c.slots));
            typeText(page, saveBox, c.typed);
            clickButton(page, saveButton);
        });
        ASSERT_EQ(sheet.boxes().size(), 1u) << c.slots << " slots, \"" << c.typed << "\"";
        expectBox(sheet.boxes()[0], " Save Error", c.text, "warning", {IDOK});
        EXPECT_TRUE(readRawValue(slotValueName(c.slots).c_str()).bytes.empty());
    }
}

TEST_F(SlotsPage, LoadReplacesTheAlgorithmButKeepsTheMachinesSettings)
{
    OptionsRecord options = named(presetAlgorithms[0], "Machine");
    options.maxEntities = 300;
    options.screenWidth = 1024;
    options.screenHeight = 768;
    options.screenDepth = 32;
    storePresetsWithOptions(options);
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 2);
        clickButton(page, loadButton);  // nothing picked yet
        SendDlgItemMessageA(page, loadBox, CB_SETCURSEL, 2, 0);
        clickButton(page, loadButton);
        EXPECT_EQ(itemText(page, nameField), "The Storm");
        // The first page shows the loaded algorithm, and Cancel keeps it:
        // Load moved the backup along.
        HWND first = showPage(s, 0);
        EXPECT_EQ(itemText(first, 1010), "200");
        pressSheetButton(s, IDCANCEL);
    });
    ASSERT_EQ(sheet.boxes().size(), 1u);
    expectBox(sheet.boxes()[0], " Load Error", "Load Failed. No item selected.", "warning", {IDOK});
    OptionsRecord expected = presetAlgorithms[2];
    expected.maxEntities = 300;
    expected.screenWidth = 1024;
    expected.screenHeight = 768;
    expected.screenDepth = 32;
    OptionsRecord stored = storedRecord("Options");
    EXPECT_EQ(recordBytes(&stored, 128), recordBytes(&expected, 128));
}

TEST_F(SlotsPage, RenameMatchesTheWholeActiveNameIgnoringCase)
{
    struct Case {
        const char* activeName;
        int renamedSlot;  // -1: no slot is written
    };
    const Case cases[] = {
        {"the storm", 2},
        {"The", -1},           // only the start of slot 0's name
        {"The Storm II", -1},  // longer than a slot's name
        {"Not Listed", -1},
    };
    for (const Case& c : cases) {
        removeSaverKey();
        OptionsRecord options = named(presetAlgorithms[4], c.activeName);
        storePresetsWithOptions(options);
        sheet.run([&](HWND s) {
            HWND page = showPage(s, 2);
            typeText(page, nameField, "Renamed");
            clickButton(page, renameButton);
            EXPECT_EQ(itemText(page, nameField), "Renamed");
            pressSheetButton(s, IDOK);
        });
        SCOPED_TRACE(c.activeName);
        EXPECT_TRUE(sheet.boxes().empty());
        OptionsRecord renamed = named(options, "Renamed");
        OptionsRecord stored = storedRecord("Options");
        EXPECT_EQ(recordBytes(&stored, 128), recordBytes(&renamed, 128));
        for (int slot = 0; slot < presetCount; ++slot) {
            const std::vector<unsigned char> expected =
                slot == c.renamedSlot ? recordBytes(&renamed, 128)
                                      : recordBytes(&presetAlgorithms[slot], 128);
            EXPECT_EQ(readRawValue(slotValueName(slot).c_str()).bytes, expected) << "slot " << slot;
        }
    }
}

// Every box of the sheet stands over it and keeps it from being clicked
// until answered: one of each page's kinds, from its own page.
TEST_F(SlotsPage, EveryBoxIsOwnedByTheSheetWhichWaitsForIt)
{
    storePresetsWithOptions(named(presetAlgorithms[2], "The Storm"));
    HWND sheetWindow = nullptr;
    sheet.answer(IDOK);
    sheet.answer(IDOK);
    sheet.answer(IDOK);
    sheet.answer(IDCANCEL);
    sheet.run([&](HWND s) {
        sheetWindow = s;
        HWND first = showPage(s, 0);
        typeText(first, 1016, "0");
        typeText(first, 1017, "0");
        clickButton(first, 1035);  // Preview: the levels' errors
        typeText(first, 1016, "1600");
        typeText(first, 1017, "100");
        HWND page = showPage(s, 2);
        clickButton(page, loadButton);  // nothing picked
        typeText(page, nameField, "");
        clickButton(page, renameButton);
        clickButton(page, restoreButton);
        pressSheetButton(s, IDCANCEL);
    });
    ASSERT_EQ(sheet.boxes().size(), 4u);
    for (const CaughtBox& box : sheet.boxes()) {
        EXPECT_EQ(box.owner, sheetWindow) << box.caption;
        EXPECT_FALSE(box.ownerEnabled) << box.caption;
    }
}

TEST_F(SlotsPage, RenameWithABlankNameIsRefused)
{
    storePresetsWithOptions(named(presetAlgorithms[2], "The Storm"));
    const std::vector<unsigned char> before = readRawValue("Options").bytes;
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 2);
        typeText(page, nameField, "");
        clickButton(page, renameButton);
    });
    ASSERT_EQ(sheet.boxes().size(), 1u);
    expectBox(sheet.boxes()[0], " Rename Error", "Name field blank.", "none", {IDOK});
    EXPECT_EQ(readRawValue("Options").bytes, before);
    EXPECT_EQ(slotName(2), "The Storm");
}

TEST_F(SlotsPage, RestoreDefaultsWithTwelveSlotsLeavesExactlyTheSevenPresets)
{
    OptionsRecord options = named(presetAlgorithms[3], "Before Restore");
    options.maxEntities = 42;
    storePresetsWithOptions(options);
    for (int slot = presetCount; slot < 12; ++slot)
        storeRecord(slotValueName(slot).c_str(), presetAlgorithms[1],
                    "Extra " + std::to_string(slot));
    storeRecord("alg13", presetAlgorithms[1], "Beyond the gap");
    sheet.answer(IDCANCEL);
    sheet.answer(IDOK);
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 2);
        clickButton(page, restoreButton);
        EXPECT_EQ(comboEntries(page, loadBox).size(), 12u) << "Cancel changes nothing";
        clickButton(page, restoreButton);
        EXPECT_EQ(comboEntries(page, loadBox).size(), 7u);
        EXPECT_EQ(itemText(page, nameField), "The Original VobLife Algorithm");
        pressSheetButton(s, IDCANCEL);  // the reset stays
    });
    ASSERT_EQ(sheet.boxes().size(), 2u);
    for (const CaughtBox& box : sheet.boxes())
        expectBox(box, " Reset Settings", "This will clear out all active settings,\nContinue?",
                  "question", {IDOK, IDCANCEL});
    for (int slot = 0; slot < presetCount; ++slot)
        EXPECT_EQ(readRawValue(slotValueName(slot).c_str()).bytes,
                  recordBytes(&presetAlgorithms[slot], 128));
    for (int slot = presetCount; slot < 12; ++slot)
        EXPECT_TRUE(readRawValue(slotValueName(slot).c_str()).bytes.empty()) << slot;
    EXPECT_EQ(slotName(13), "Beyond the gap") << "a slot beyond the listed run is not deleted";
    OptionsRecord stored = storedRecord("Options");
    EXPECT_EQ(algorithmNameText(stored), "The Original VobLife Algorithm");
    EXPECT_EQ(stored.maxEntities, 5000);
    EXPECT_EQ(stored.screenWidth, GetSystemMetrics(SM_CXSCREEN));
}
