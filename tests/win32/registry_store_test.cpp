// The settings store against the real registry: each test starts and ends
// without the saver's key, so the order of tests does not matter.

#include <gtest/gtest.h>

#include <cstring>

#include "settings/settings_store.h"
#include "tests/win32/saver_key.h"

namespace {

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override { removeSaverKey(); }
    void TearDown() override { removeSaverKey(); }

    // A destination whose every byte is known, followed by guard bytes that
    // a read must never reach.
    struct GuardedRecord {
        OptionsRecord record;
        unsigned char guard[64];
    };

    static GuardedRecord patterned()
    {
        GuardedRecord g;
        std::memset(&g, 0xA5, sizeof g);
        return g;
    }

    static std::vector<unsigned char> bytesOf(const GuardedRecord& g)
    {
        return recordBytes(&g, sizeof g);
    }
};

}  // namespace

TEST_F(RegistryStore, ReadingBeforeAnyWriteFailsAndLeavesTheDestination)
{
    GuardedRecord g = patterned();
    const std::vector<unsigned char> before = bytesOf(g);

    EXPECT_EQ(readSettingsValue(g.record, "Options"), settingsFailed);
    EXPECT_EQ(bytesOf(g), before);
    EXPECT_FALSE(saverKeyExists()) << "a read must not create the key";

    // The key exists but the value does not.
    ASSERT_EQ(writeSettingsValue(presetAlgorithms[2], "alg0"), settingsOk);
    EXPECT_EQ(readSettingsValue(g.record, "Options"), settingsFailed);
    EXPECT_EQ(bytesOf(g), before);
}

TEST_F(RegistryStore, FirstWriteCreatesTheWholePathAndStoresAll128Bytes)
{
    removeEmptyScreenSaversKey();
    ASSERT_FALSE(saverKeyExists());

    // "The Tovrine": a short name, so most of the name field is zero bytes.
    EXPECT_EQ(writeSettingsValue(presetAlgorithms[1], "alg1"), settingsOk);
    ASSERT_TRUE(saverKeyExists());

    RawValue stored = readRawValue("alg1");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored.bytes, recordBytes(&presetAlgorithms[1], 128));
}

TEST_F(RegistryStore, AWrittenRecordReadsBackByteForByte)
{
    OptionsRecord source = presetAlgorithms[4];
    source.screenWidth = 1280;
    setAlgorithmName(source, "Round trip");
    ASSERT_EQ(writeSettingsValue(source, "Options"), settingsOk);

    GuardedRecord g = patterned();
    EXPECT_EQ(readSettingsValue(g.record, "Options"), settingsOk);
    EXPECT_EQ(recordBytes(&g.record, 128), recordBytes(&source, 128));

    // Writing again replaces the value.
    ASSERT_EQ(writeSettingsValue(presetAlgorithms[5], "Options"), settingsOk);
    EXPECT_EQ(readSettingsValue(g.record, "Options"), settingsOk);
    EXPECT_EQ(recordBytes(&g.record, 128), recordBytes(&presetAlgorithms[5], 128));
}

TEST_F(RegistryStore, AShortValueFillsOnlyTheFirstBytes)
{
    const std::vector<unsigned char> shortValue = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                   11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    ASSERT_TRUE(writeRawValue("Options", shortValue));

    GuardedRecord g = patterned();
    std::vector<unsigned char> expected = bytesOf(g);
    std::copy(shortValue.begin(), shortValue.end(), expected.begin());

    EXPECT_EQ(readSettingsValue(g.record, "Options"), settingsOk);
    EXPECT_EQ(bytesOf(g), expected);
}

TEST_F(RegistryStore, AValueLongerThanARecordFailsAndWritesNothing)
{
    GuardedRecord g = patterned();
    const std::vector<unsigned char> before = bytesOf(g);

    for (std::size_t length : {129u, 192u, 4096u}) {
        ASSERT_TRUE(writeRawValue("Options", std::vector<unsigned char>(length, 0x11)));
        EXPECT_EQ(readSettingsValue(g.record, "Options"), settingsFailed) << length << " bytes";
        EXPECT_EQ(bytesOf(g), before) << length << " bytes";
    }
}

TEST_F(RegistryStore, DeletingRemovesTheValueAndAMissingValueIsNoError)
{
    EXPECT_EQ(deleteSettingsValue("alg3"), settingsOk) << "missing key";
    EXPECT_EQ(deleteSettingsValue("alg3"), settingsOk) << "missing value";

    ASSERT_EQ(writeSettingsValue(presetAlgorithms[3], "alg3"), settingsOk);
    ASSERT_EQ(writeSettingsValue(presetAlgorithms[4], "alg4"), settingsOk);
    EXPECT_EQ(deleteSettingsValue("alg3"), settingsOk);

    OptionsRecord r = presetAlgorithms[0];
    EXPECT_EQ(readSettingsValue(r, "alg3"), settingsFailed);
    EXPECT_EQ(readSettingsValue(r, "alg4"), settingsOk) << "only the named value goes";
}

TEST_F(RegistryStore, ValueNamesAreSeparateAndANullNameIsRefused)
{
    ASSERT_EQ(writeSettingsValue(presetAlgorithms[1], "alg1"), settingsOk);
    ASSERT_EQ(writeSettingsValue(presetAlgorithms[2], "alg12"), settingsOk);

    OptionsRecord r{};
    EXPECT_EQ(readSettingsValue(r, "alg1"), settingsOk);
    EXPECT_EQ(algorithmNameText(r), "The Tovrine");
    EXPECT_EQ(readSettingsValue(r, "alg12"), settingsOk);
    EXPECT_EQ(algorithmNameText(r), "The Storm");

    // A null name would address the key's default value instead.
    EXPECT_EQ(writeSettingsValue(presetAlgorithms[0], nullptr), settingsFailed);
    EXPECT_EQ(readSettingsValue(r, nullptr), settingsFailed);
    EXPECT_EQ(deleteSettingsValue(nullptr), settingsFailed);
    EXPECT_TRUE(readRawValue("").bytes.empty());
}
