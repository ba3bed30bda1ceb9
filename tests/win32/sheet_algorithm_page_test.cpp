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

} // namespace

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
        EXPECT_EQ(readRawValue(slotValueName(slot).c_str()).bytes, recordBytes(&presetAlgorithms[slot], 128));
    OptionsRecord options = storedRecord("Options");
    EXPECT_EQ(algorithmNameText(options), "The Original VobLife Algorithm");
    EXPECT_TRUE(sheet.boxes().empty());
}

TEST_F(AlgorithmPage, OkShowsEveryBrokenRuleInOneErrorBoxAndKeepsTheSheetOpen)
{
    struct Case {
        const char *birth, *max, *mega, *green;
        std::string lines;   // empty: accepted
    };
    const Case cases[] = {
        {"1400", "1000", "900", "100", birthLine},
        {"100", "1000", "500", "500", greenLine},
        {"100", "1000", "1001", "100", megaLine},
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
            ASSERT_EQ(sheet.boxes().size(), 1u) << c.birth << " " << c.max << " " << c.mega << " " << c.green;
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
