// Values under the saver's key that this program never writes: text, a
// number, too few or too many bytes, as a hand edit or another program could
// leave them. None may spread into "Options" or over a saved algorithm.

#include <gtest/gtest.h>

#include <windows.h>

#include "settings/settings_store.h"
#include "tests/win32/saver_key.h"
#include "tests/win32/sheet_driver.h"

namespace {

using BrokenValues = ConfigurationSheetTest;

struct BrokenValue {
    const char* what;
    DWORD type;
    std::vector<unsigned char> bytes;
};

std::vector<BrokenValue> brokenValues()
{
    std::vector<unsigned char> text(40, 'a');
    text.back() = 0;
    // A record's bytes as text: the right size, the wrong type.
    std::vector<unsigned char> recordAsText = recordBytes(&presetAlgorithms[2], 128);
    return {
        {"text", REG_SZ, text},
        {"a 4-byte number", REG_DWORD, {7, 0, 0, 0}},
        {"no bytes", REG_BINARY, {}},
        {"20 bytes", REG_BINARY, std::vector<unsigned char>(20, 0x41)},
        {"127 bytes", REG_BINARY,
         std::vector<unsigned char>(recordAsText.begin(), recordAsText.end() - 1)},
        {"129 bytes", REG_BINARY, std::vector<unsigned char>(129, 0x42)},
        {"200 bytes", REG_BINARY, std::vector<unsigned char>(200, 0x43)},
        {"a record stored as text", REG_SZ, recordAsText},
    };
}

OptionsRecord userAlgorithm(int slot)
{
    OptionsRecord record = presetAlgorithms[(slot + 3) % presetCount];
    setAlgorithmName(record, "User's own " + std::to_string(slot));
    return record;
}

}  // namespace

TEST(StoredValueShapes, OnlyA128ByteBinaryValueIsAWholeRecord)
{
    removeSaverKey();
    EXPECT_EQ(inspectSettingsValue("Options"), StoredValueShape::missing) << "no key";
    ASSERT_EQ(writeSettingsValue(presetAlgorithms[0], "Options"), settingsOk);
    EXPECT_EQ(inspectSettingsValue("Options"), StoredValueShape::wholeRecord);
    EXPECT_EQ(inspectSettingsValue("alg0"), StoredValueShape::missing);
    EXPECT_EQ(inspectSettingsValue(nullptr), StoredValueShape::missing);
    for (const BrokenValue& broken : brokenValues()) {
        ASSERT_TRUE(writeRawValue("alg0", broken.bytes, broken.type));
        EXPECT_EQ(inspectSettingsValue("alg0"), StoredValueShape::notARecord) << broken.what;
    }
    removeSaverKey();
}

TEST_F(BrokenValues, ABrokenOptionsIsResetWithoutLosingTheUsersSlots)
{
    for (const BrokenValue& broken : brokenValues()) {
        SCOPED_TRACE(broken.what);
        removeSaverKey();
        // The user's own algorithms in slots 0 to 6, except slot 3, which
        // is broken too, and slot 5, from an older version of the record.
        for (int slot = 0; slot < presetCount; ++slot)
            ASSERT_EQ(writeSettingsValue(userAlgorithm(slot), slotValueName(slot).c_str()),
                      settingsOk);
        ASSERT_TRUE(writeRawValue("alg3", broken.bytes, broken.type));
        OptionsRecord older = userAlgorithm(5);
        older.formatVersion = 1.1;
        ASSERT_EQ(writeSettingsValue(older, "alg5"), settingsOk);
        ASSERT_TRUE(writeRawValue("Options", broken.bytes, broken.type));

        sheet.run([&](HWND s) {
            EXPECT_EQ(itemText(showPage(s, 0), 1010), "10") << "the default algorithm is active";
        });
        OptionsRecord options = storedRecord("Options");
        EXPECT_EQ(algorithmNameText(options), "The Original VobLife Algorithm");
        EXPECT_TRUE(hasCurrentFormatVersion(options));
        for (int slot = 0; slot < presetCount; ++slot) {
            OptionsRecord expected =
                slot == 3 || slot == 5 ? presetAlgorithms[slot] : userAlgorithm(slot);
            EXPECT_EQ(readRawValue(slotValueName(slot).c_str()).bytes, recordBytes(&expected, 128))
                << "slot " << slot;
        }
    }
}

TEST_F(BrokenValues, LoadRefusesASlotThatIsNotAWholeRecord)
{
    OptionsRecord options = presetAlgorithms[4];
    setAlgorithmName(options, "Active");
    for (const BrokenValue& broken : brokenValues()) {
        SCOPED_TRACE(broken.what);
        removeSaverKey();
        ASSERT_EQ(writeSettingsValue(options, "Options"), settingsOk);
        ASSERT_EQ(writeSettingsValue(presetAlgorithms[0], "alg0"), settingsOk);
        ASSERT_TRUE(writeRawValue("alg1", broken.bytes, broken.type));
        ASSERT_EQ(writeSettingsValue(presetAlgorithms[2], "alg2"), settingsOk);
        const bool listed =
            broken.bytes.size() <= 128;  // a longer value cannot be read: the run ends

        sheet.clearBoxes();
        sheet.run([&](HWND s) {
            HWND page = showPage(s, 2);
            ASSERT_EQ(comboEntries(page, 1063).size(), listed ? 3u : 1u);
            if (!listed)
                return;
            SendDlgItemMessageA(page, 1063, CB_SETCURSEL, 1, 0);
            clickButton(page, 1062);
            pressSheetButton(s, IDOK);
        });
        if (listed) {
            ASSERT_EQ(sheet.boxes().size(), 1u);
            const CaughtBox& box = sheet.boxes()[0];
            EXPECT_EQ(box.caption, " Load Error");
            EXPECT_EQ(box.text, "Load Failed. The selected save slot is damaged.");
            EXPECT_EQ(box.icon, "warning");
            EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        }
        OptionsRecord stored = storedRecord("Options");
        EXPECT_EQ(recordBytes(&stored, 128), recordBytes(&options, 128));
        RawValue slot = readRawValue("alg1");
        EXPECT_EQ(slot.type, broken.type);
        EXPECT_EQ(slot.bytes, broken.bytes) << "the broken slot is left as it was";
    }
}

TEST_F(BrokenValues, RenameOverABrokenOptionsNamesTheLiveRecord)
{
    // "Options" broken while the sheet is open, by another program.
    OptionsRecord options = presetAlgorithms[2];
    setAlgorithmName(options, "The Storm");
    for (int slot = 0; slot < presetCount; ++slot)
        ASSERT_EQ(writeSettingsValue(presetAlgorithms[slot], slotValueName(slot).c_str()),
                  settingsOk);
    ASSERT_EQ(writeSettingsValue(options, "Options"), settingsOk);
    sheet.run([&](HWND s) {
        HWND page = showPage(s, 2);
        ASSERT_TRUE(writeRawValue("Options", {1, 2, 3, 4}, REG_DWORD));
        typeText(page, 1071, "Stormier");
        clickButton(page, 1066);
    });
    OptionsRecord expected = options;
    setAlgorithmName(expected, "Stormier");
    OptionsRecord stored = storedRecord("Options");
    EXPECT_EQ(recordBytes(&stored, 128), recordBytes(&expected, 128));
    OptionsRecord slot = storedRecord("alg2");
    EXPECT_EQ(recordBytes(&slot, 128), recordBytes(&expected, 128));
}
