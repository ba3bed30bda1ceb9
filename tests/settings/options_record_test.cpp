// The settings record as stored bytes: layout, the seven presets, the version
// tag and reading names that came from outside.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/options_record.h"
#include "tests/settings/record_bytes.h"

namespace {

// Copied before main runs, so later tests that change liveOptions cannot hide
// what the process started with.
const OptionsRecord startupOptions = liveOptions;

std::vector<unsigned char> bytesOf(const OptionsRecord& record)
{
    return recordBytes(&record, sizeof record);
}

int32_t int32At(const std::vector<unsigned char>& bytes, std::size_t offset)
{
    uint32_t v = bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                 static_cast<uint32_t>(bytes[offset + 3]) << 24;
    return static_cast<int32_t>(v);
}

const unsigned char versionBytes[8] = {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0xF3, 0x3F};

// One row of the presets' table, in the table's own column order.
struct PresetRow {
    const char* name;
    int32_t statsMode, includeLife, wrapEdges, showCloud, initialVobs, vobIQ, whirlCount,
        maxStrength, megaLevel, greenLevel, spawnLevel, birthSpawns, birthStrength, foodStrength,
        depositGap;
};

const PresetRow presetTable[presetCount] = {
    {"The Original VobLife Algorithm", 1, 1, 1, 1, 10, 0, 2, 3000, 1600, 100, 10, 3, 1200, 320, 15},
    {"The Tovrine", 0, 0, 0, 0, 1, 0, 0, 9999999, 9999999, 200, 0, 0, 9999999, 12320, 15},
    {"The Storm", 0, 1, 1, 1, 200, 0, 20, 3000, 1600, 100, 80, 2, 200, 120, 6},
    {"Vob of the Sea of Whirls", 0, 1, 1, 0, 1, 0, 2000, 9999999, 9000000, 8000000, 0, 0, 9999999,
     0, 0},
    {"A Green Sign (Doreroder)", 1, 1, 1, 0, 1, 1, 1, 3000, 2500, 500, 1000, 1, 1000, 1000, 4},
    {"Tiny Brain Storm (Doreroder)", 0, 0, 0, 0, 5, 1, 20, 300, 250, 100, 200, 1, 200, 620, 8},
    {"Brain Storm (Doreroder)", 0, 0, 0, 0, 5, 1, 20, 1500, 999, 100, 200, 1, 1400, 620, 8},
};

}  // namespace

TEST(OptionsRecordLayout, StoredBytesDecodeIntoTheNamedFields)
{
    // A record as another machine would have stored it: field i holds
    // 0x01000000 + i, little-endian, then a name, then the version tag.
    std::vector<unsigned char> stored(128, 0);
    for (int i = 0; i < 19; ++i) {
        stored[4 * i] = static_cast<unsigned char>(i);
        stored[4 * i + 3] = 0x01;
    }
    std::memcpy(&stored[76], "Stored", 6);
    std::memcpy(&stored[120], versionBytes, 8);

    OptionsRecord r;
    std::memcpy(&r, stored.data(), sizeof r);
    const int32_t fields[19] = {r.statsMode,   r.includeLife,   r.wrapEdges,    r.maxEntities,
                                r.showCloud,   r.initialVobs,   r.vobIQ,        r.whirlCount,
                                r.maxStrength, r.megaLevel,     r.greenLevel,   r.spawnLevel,
                                r.birthSpawns, r.birthStrength, r.foodStrength, r.depositGap,
                                r.screenWidth, r.screenHeight,  r.screenDepth};
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(fields[i], 0x01000000 + i) << "field " << i;
    EXPECT_EQ(algorithmNameText(r), "Stored");
    EXPECT_TRUE(hasCurrentFormatVersion(r));
    EXPECT_DOUBLE_EQ(r.formatVersion, 1.2);
}

TEST(PresetAlgorithms, EveryPresetMatchesItsTableRowAtTheStoredOffsets)
{
    for (int slot = 0; slot < presetCount; ++slot) {
        SCOPED_TRACE("alg" + std::to_string(slot));
        const PresetRow& row = presetTable[slot];
        const std::vector<unsigned char> b = bytesOf(presetAlgorithms[slot]);
        ASSERT_EQ(b.size(), 128u);
        EXPECT_EQ(int32At(b, 0), row.statsMode);
        EXPECT_EQ(int32At(b, 4), row.includeLife);
        EXPECT_EQ(int32At(b, 8), row.wrapEdges);
        EXPECT_EQ(int32At(b, 12), 5000);
        EXPECT_EQ(int32At(b, 16), row.showCloud);
        EXPECT_EQ(int32At(b, 20), row.initialVobs);
        EXPECT_EQ(int32At(b, 24), row.vobIQ);
        EXPECT_EQ(int32At(b, 28), row.whirlCount);
        EXPECT_EQ(int32At(b, 32), row.maxStrength);
        EXPECT_EQ(int32At(b, 36), row.megaLevel);
        EXPECT_EQ(int32At(b, 40), row.greenLevel);
        EXPECT_EQ(int32At(b, 44), row.spawnLevel);
        EXPECT_EQ(int32At(b, 48), row.birthSpawns);
        EXPECT_EQ(int32At(b, 52), row.birthStrength);
        EXPECT_EQ(int32At(b, 56), row.foodStrength);
        EXPECT_EQ(int32At(b, 60), row.depositGap);
        EXPECT_EQ(int32At(b, 64), 800);
        EXPECT_EQ(int32At(b, 68), 600);
        EXPECT_EQ(int32At(b, 72), 16);

        // The name, then nothing but zero bytes up to the version tag.
        const std::size_t length = std::strlen(row.name);
        EXPECT_EQ(std::string(b.begin() + 76, b.begin() + 76 + length), row.name);
        for (std::size_t i = 76 + length; i < 120; ++i)
            EXPECT_EQ(b[i], 0) << "byte " << i;
        EXPECT_EQ(std::vector<unsigned char>(b.begin() + 120, b.end()),
                  std::vector<unsigned char>(versionBytes, versionBytes + 8));
    }
}

TEST(PresetAlgorithms, EveryPresetPassesTheAlgorithmPageChecks)
{
    for (int slot = 0; slot < presetCount; ++slot) {
        const OptionsRecord& p = presetAlgorithms[slot];
        EXPECT_LE(p.birthStrength, p.maxStrength) << "alg" << slot;
        EXPECT_LT(p.greenLevel, p.megaLevel) << "alg" << slot;
        EXPECT_LE(p.megaLevel, p.maxStrength) << "alg" << slot;
    }
}

TEST(PresetAlgorithms, TheProcessStartsWithTheOriginalAlgorithm)
{
    EXPECT_EQ(bytesOf(startupOptions), bytesOf(presetAlgorithms[0]));
    EXPECT_EQ(algorithmNameText(startupOptions), "The Original VobLife Algorithm");
    EXPECT_EQ(startupOptions.maxEntities, 5000);
    EXPECT_EQ(startupOptions.screenWidth, 800);
    EXPECT_EQ(startupOptions.screenHeight, 600);
    EXPECT_EQ(startupOptions.screenDepth, 16);
}

TEST(FormatVersion, OnlyTheExactBitsOfOnePointTwoCount)
{
    OptionsRecord r = presetAlgorithms[0];
    EXPECT_TRUE(hasCurrentFormatVersion(r));

    r.formatVersion = 1.2f;  // close, but a different double
    EXPECT_FALSE(hasCurrentFormatVersion(r));
    r.formatVersion = 1.1;
    EXPECT_FALSE(hasCurrentFormatVersion(r));

    // A short stored value leaves the tail zero.
    std::memset(&r.formatVersion, 0, sizeof r.formatVersion);
    EXPECT_FALSE(hasCurrentFormatVersion(r));

    // One bit off in the last byte.
    std::memcpy(&r.formatVersion, versionBytes, 8);
    reinterpret_cast<unsigned char*>(&r.formatVersion)[7] ^= 0x80;
    EXPECT_FALSE(hasCurrentFormatVersion(r));
}

TEST(AlgorithmName, ReadingStopsAtTheTerminatorOrTheFieldsEnd)
{
    // Placed first in a larger block so that a reader running past the
    // field would pick up the bytes after it.
    struct {
        OptionsRecord record;
        char after[16];
    } block;
    std::memset(&block, 'x', sizeof block);
    std::memset(block.record.algorithmName, 'A', algorithmNameSize);

    EXPECT_EQ(algorithmNameText(block.record), std::string(44, 'A'));

    block.record.algorithmName[10] = '\0';
    EXPECT_EQ(algorithmNameText(block.record), std::string(10, 'A'));

    block.record.algorithmName[0] = '\0';
    EXPECT_EQ(algorithmNameText(block.record), "");
}

TEST(AlgorithmName, SettingANameAlwaysLeavesATerminatedClearedField)
{
    OptionsRecord r = presetAlgorithms[0];
    setAlgorithmName(r, "Mine");
    EXPECT_EQ(algorithmNameText(r), "Mine");
    for (int i = 4; i < algorithmNameSize; ++i)
        EXPECT_EQ(r.algorithmName[i], '\0') << "old byte left at " << i;

    setAlgorithmName(r, std::string(60, 'n'));
    EXPECT_EQ(algorithmNameText(r), std::string(43, 'n'));
    EXPECT_EQ(r.algorithmName[43], '\0');
    EXPECT_TRUE(hasCurrentFormatVersion(r)) << "a long name ran into the version tag";
}
