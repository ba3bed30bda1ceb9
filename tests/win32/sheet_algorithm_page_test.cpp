// The "Playing God!" page on the real sheet: opening the store, the checks
// with their boxes, OK, Cancel and Preview.

#include <gtest/gtest.h>

#include <windows.h>

#include "settings/settings_store.h"
#include "tests/win32/saver_key.h"
#include "tests/win32/sheet_driver.h"

namespace {

using AlgorithmPage = ConfigurationSheetTest;

const char errorsHeader[] = "Errors in VobLife Algorithm!!!\r\n"
                            "-----------------------------------------------\r\n\r\n";
const char birthLine[] = "* Initial Strength of Vob may not exceed Max Strength of Vob\r\n\r\n";
const char greenLine[] = "* Vob Green Level should lie below Vob Mega Level\r\n\r\n";
const char megaLine[] = "* Vob Mega Level should not exceed Vob Max Strength\r\n\r\n";

void typeLevels(HWND page, const char* birth, const char* max, const char* mega, const char* green)
{
    typeText(page, 1012, birth);
    typeText(page, 1013, max);
    typeText(page, 1016, mega);
    typeText(page, 1017, green);
}

}  // namespace

TEST_F(AlgorithmPage, AFirstRunCreatesOptionsAndTheSevenSlotsBeforeThePageShows)
{
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 0);
        EXPECT_EQ(itemText(page, 1010), "10");
        EXPECT_EQ(itemText(page, 1013), "3000");
        EXPECT_EQ(IsDlgButtonChecked(page, 1009), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(page, 1081), BST_UNCHECKED);
    });
    for (int slot = 0; slot < presetCount; ++slot)
        EXPECT_EQ(readRawValue(slotValueName(slot).c_str()).bytes,
                  recordBytes(&presetAlgorithms[slot], 128));
    OptionsRecord options = storedRecord("Options");
    EXPECT_EQ(algorithmNameText(options), "The Original VobLife Algorithm");
    EXPECT_TRUE(sheet.boxes().empty());
}

TEST_F(AlgorithmPage, OkShowsEveryBrokenRuleInOneErrorBoxAndKeepsTheSheetOpen)
{
    struct Case {
        const char *birth, *max, *mega, *green;
        std::string lines;  // empty: accepted
    };
    // Each rule on its own is checked natively; here the box shows them.
    const Case cases[] = {
        {"1400", "1000", "1500", "1500", std::string(birthLine) + greenLine + megaLine},
        {"100", "1000", "", "", greenLine},   // empty boxes count as 0
        {"1000", "1000", "1000", "999", ""},  // the equal cases that are allowed
    };
    storeRecord("Options", presetAlgorithms[0], "Checked");
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 0);
        for (const Case& c : cases) {
            sheet.clearBoxes();
            typeLevels(page, c.birth, c.max, c.mega, c.green);
            pressSheetButton(s, IDOK);
            if (c.lines.empty()) {
                EXPECT_TRUE(sheet.boxes().empty());
                break;
            }
            ASSERT_EQ(sheet.boxes().size(), 1u)
                << c.birth << " " << c.max << " " << c.mega << " " << c.green;
            const CaughtBox& box = sheet.boxes()[0];
            EXPECT_EQ(box.caption, "Errors in VobLife Algorithm");
            EXPECT_EQ(box.text, errorsHeader + c.lines);
            EXPECT_EQ(box.icon, "error");
            EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
            EXPECT_TRUE(sheetIsOpen(s));
            EXPECT_EQ(algorithmNameText(storedRecord("Options")), "Checked");
            EXPECT_EQ(storedRecord("Options").maxStrength, 3000) << "nothing stored";
        }
    });
    OptionsRecord options = storedRecord("Options");
    EXPECT_EQ(options.birthStrength, 1000);
    EXPECT_EQ(options.greenLevel, 999);
}

TEST_F(AlgorithmPage, TheNoticeAboutTooManyVobsStopsOkOnCancelAndStoresOnOk)
{
    OptionsRecord options = presetAlgorithms[0];
    options.maxEntities = 50;
    storeRecord("Options", options, "Crowded");
    sheet.answer(IDCANCEL);
    sheet.answer(IDOK);
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 0);
        typeText(page, 1010, "50");  // as many as allowed: no notice
        clickButton(page, 1035);
        EXPECT_TRUE(sheet.boxes().empty());

        typeText(page, 1010, "51");
        pressSheetButton(s, IDOK);
        ASSERT_EQ(sheet.boxes().size(), 1u);
        EXPECT_TRUE(sheetIsOpen(s)) << "Cancel on the notice refuses OK";
        EXPECT_EQ(storedRecord("Options").initialVobs, 50) << "only the Preview stored";
        pressSheetButton(s, IDOK);
    });
    ASSERT_EQ(sheet.boxes().size(), 2u);
    for (const CaughtBox& box : sheet.boxes()) {
        EXPECT_EQ(box.caption, "Notice!");
        EXPECT_EQ(
            box.text,
            "Initial Number of Vobs > Max Entities Allowed\n\nPlease note you entered a value for "
            "initial number of Vobs\nthat is higher than the \"Max Allowed Entities\" value found "
            "under\nthe System\\Limits tab, because of this only as many Vobs as allowed\nby the "
            "\"Max Allowed Entities\" setting will be born when the\nscreensaver starts.");
        EXPECT_EQ(box.icon, "information");
        EXPECT_EQ(box.buttons, (std::vector<int>{IDOK, IDCANCEL}));
    }
    EXPECT_EQ(storedRecord("Options").initialVobs, 51);
}

TEST_F(AlgorithmPage, OkStoresEveryFieldAsTypedAndTicked)
{
    OptionsRecord options = presetAlgorithms[2];
    options.statsMode = 3;  // no button stands for it: shown as "Never", stored as 0
    storeRecord("Options", options, "Ticked");
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 0);
        EXPECT_EQ(IsDlgButtonChecked(page, 1018), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(page, 1009) | IsDlgButtonChecked(page, 1008), BST_UNCHECKED);
        clickButton(page, 1081);           // Vob IQ on
        clickButton(page, 1047);           // Show Cloud off
        typeText(page, 1011, "1234567");   // five characters at most
        typeText(page, 1019, "12345678");  // seven at most
        typeText(page, 1020, "-7");        // no sign: not a number
        pressSheetButton(s, IDOK);
    });
    OptionsRecord stored = storedRecord("Options");
    OptionsRecord expected = options;
    expected.statsMode = 0;
    expected.vobIQ = 1;
    expected.showCloud = 0;
    expected.whirlCount = 12345;
    expected.foodStrength = 1234567;
    expected.depositGap = 0;
    setAlgorithmName(expected, "Ticked");
    EXPECT_EQ(recordBytes(&stored, 128), recordBytes(&expected, 128));
    EXPECT_TRUE(sheet.boxes().empty());
}

TEST_F(AlgorithmPage, CancelWritesNothingUnlessAPreviewStoredOptions)
{
    OptionsRecord options = presetAlgorithms[5];
    storeRecord("Options", options, "Before");
    const std::vector<unsigned char> before = readRawValue("Options").bytes;

    sheet.run([&](HWND s) {
        HWND page = showPage(s, 0);
        typeText(page, 1010, "77");
        clickButton(page, 1021);
        showPage(s, 1);
        pressSheetButton(s, IDCANCEL);
    });
    EXPECT_EQ(readRawValue("Options").bytes, before);

    sheet.run([&](HWND s) {
        HWND page = showPage(s, 0);
        typeText(page, 1010, "77");
        clickButton(page, 1035);
        EXPECT_EQ(storedRecord("Options").initialVobs, 77) << "Preview stores at once";
        pressSheetButton(s, IDCANCEL);
    });
    EXPECT_EQ(readRawValue("Options").bytes, before);
    EXPECT_TRUE(sheet.boxes().empty());
}
