#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/saver_options.h"

namespace {

OptionsVerdict read(std::vector<const char*> arguments, SaverOptions& options, std::string& error)
{
    arguments.insert(arguments.begin(), "tovrine");
    return readSaverOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

struct OptionCase {
    std::vector<const char*> arguments;
    OptionsVerdict verdict;
    std::function<bool(const SaverOptions&)> holds;
};

TEST(SaverOptions, ReadsEachOptionWithOneOrTwoDashesAndRefusesWhatThePagesCannotStore)
{
    using V = OptionsVerdict;
    auto any = [](const SaverOptions&) { return true; };
    const OptionCase cases[] = {
        {{},
         V::accepted,
         [](const SaverOptions& o) {
             return o.target == SaverTarget::ownWindow && o.delayMicroseconds == 10000 &&
                    !o.preset && !o.initialVobs;
         }},
        {{"--root"},
         V::accepted,
         [](const SaverOptions& o) { return o.target == SaverTarget::root; }},
        {{"-window-id", "0x1a00007"},
         V::accepted,
         [](const SaverOptions& o) {
             return o.target == SaverTarget::givenWindow && o.windowId == 0x1a00007;
         }},
        {{"--window-id", "4194311"},
         V::accepted,
         [](const SaverOptions& o) { return o.windowId == 4194311; }},
        {{"-window-id", "0"}, V::refusedValue, any},
        {{"-window-id", "0x"}, V::refusedValue, any},
        {{"-window-id", "0x0x1f"}, V::refusedValue, any},
        {{"-window-id", "12ab"}, V::refusedValue, any},
        {{"-window-id"}, V::unknownOption, any},
        {{"-fullscreen", "-native-size", "-fps"},
         V::accepted,
         [](const SaverOptions& o) {
             return o.target == SaverTarget::fullScreen && o.nativeSize && o.showFps;
         }},
        {{"-vobs", "99999", "--whirls", "0", "-max-entities", "9999999", "-iq", "1", "-stats", "2"},
         V::accepted,
         [](const SaverOptions& o) {
             return *o.initialVobs == 99999 && *o.whirlCount == 0 && *o.maxEntities == 9999999 &&
                    *o.vobIQ == 1 && *o.statsMode == 2;
         }},
        {{"-vobs", "100000"}, V::refusedValue, any},
        {{"-vobs", "-1"}, V::refusedValue, any},
        {{"-vobs", " 5"}, V::refusedValue, any},
        {{"-iq", "2"}, V::refusedValue, any},
        {{"-stats", "3"}, V::refusedValue, any},
        {{"-preset", "6"}, V::accepted, [](const SaverOptions& o) { return *o.preset == 6; }},
        {{"-preset", "7"}, V::refusedValue, any},
        {{"-wrap", "--no-wrap", "-no-cloud"},
         V::accepted,
         [](const SaverOptions& o) { return *o.wrapEdges == 0 && *o.showCloud == 0; }},
        {{"-delay", "0"},
         V::accepted,
         [](const SaverOptions& o) { return o.delayMicroseconds == 0; }},
        {{"-delay", "5e3"}, V::refusedValue, any},
        {{"-record", "x.rec"},
         V::accepted,
         [](const SaverOptions& o) { return o.recordPath == "x.rec"; }},
        {{"-bogus"}, V::unknownOption, any},
        {{"root"}, V::unknownOption, any},
        {{"---root"}, V::unknownOption, any},
        {{"-"}, V::unknownOption, any},
    };
    for (const OptionCase& c : cases) {
        SaverOptions options;
        std::string error;
        std::string line;
        for (const char* a : c.arguments)
            line += std::string(a) + " ";
        EXPECT_EQ(read(c.arguments, options, error), c.verdict) << line;
        EXPECT_EQ(error.empty(), c.verdict == V::accepted) << line << error;
        if (c.verdict == V::accepted) {
            EXPECT_TRUE(c.holds(options)) << line;
        }
    }
}

std::string bytesOf(const OptionsRecord& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

OptionsRecord withVobs(int32_t vobs, int32_t whirls)
{
    OptionsRecord record = presetAlgorithms[0];
    record.initialVobs = vobs;
    record.whirlCount = whirls;
    return record;
}

TEST(SaverOptions, SettingsComeFromPresetFileRecordPresetOptionThatOrder)
{
    struct Case {
        bool settingsFile, recordFile;
        std::vector<const char*> arguments;
        int32_t vobs, whirls;
    };
    const int32_t presetVobs = presetAlgorithms[0].initialVobs;
    const int32_t presetWhirls = presetAlgorithms[0].whirlCount;
    const Case cases[] = {
        {false, false, {}, presetVobs, presetWhirls},
        {true, false, {}, 11, 12},
        {true, true, {}, 21, 22},
        {false, true, {"-whirls", "5"}, 21, 5},
        {true,
         true,
         {"-preset", "3"},
         presetAlgorithms[3].initialVobs,
         presetAlgorithms[3].whirlCount},
        {true, true, {"-preset", "3", "-vobs", "44"}, 44, presetAlgorithms[3].whirlCount},
    };
    for (const Case& c : cases) {
        SaverOptions options;
        std::string error;
        ASSERT_EQ(read(c.arguments, options, error), OptionsVerdict::accepted);
        RecordFiles files;
        if (c.settingsFile)
            files.settingsFile = bytesOf(withVobs(11, 12));
        if (c.recordFile)
            files.recordFile = bytesOf(withVobs(21, 22));
        OptionsRecord record{};
        ASSERT_TRUE(chooseSaverRecord(options, files, record, error)) << error;
        EXPECT_EQ(record.initialVobs, c.vobs);
        EXPECT_EQ(record.whirlCount, c.whirls);
    }
}

TEST(SaverOptions, RefusesRecordsTheSaverCouldNotRunWithTheirMessage)
{
    OptionsRecord levels = presetAlgorithms[0];
    levels.birthStrength = levels.maxStrength + 1;
    OptionsRecord version = presetAlgorithms[0];
    version.formatVersion = 1.1;
    OptionsRecord depth = presetAlgorithms[0];
    depth.screenDepth = 24;
    OptionsRecord huge = presetAlgorithms[0];
    huge.screenWidth = 100000;
    struct Case {
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {bytesOf(presetAlgorithms[0]).substr(0, 127), "holds 127 bytes"},
        {bytesOf(presetAlgorithms[0]) + "x", "holds 129 bytes"},
        {bytesOf(version), "not a settings record"},
        {bytesOf(levels), "Initial Strength of Vob may not exceed Max Strength of Vob"},
        {bytesOf(depth), "Couldn't set video mode"},
        {bytesOf(huge), "Couldn't set video mode"},
    };
    for (const Case& c : cases) {
        for (bool asSettingsFile : {true, false}) {
            RecordFiles files;
            (asSettingsFile ? files.settingsFile : files.recordFile) = c.bytes;
            OptionsRecord record = presetAlgorithms[2];
            std::string error;
            EXPECT_FALSE(chooseSaverRecord(SaverOptions(), files, record, error)) << c.message;
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        }
    }
    // The world takes the window's size: the record's own is not drawn.
    SaverOptions native;
    native.nativeSize = true;
    RecordFiles files;
    files.recordFile = bytesOf(huge);
    OptionsRecord record;
    std::string error;
    EXPECT_TRUE(chooseSaverRecord(native, files, record, error)) << error;
}

TEST(SaverOptions, SettingsFileFollowsXdgConfigHomeElseHome)
{
    EXPECT_EQ(settingsFilePath("/x/cfg", "/home/u"), "/x/cfg/tovrine/options.rec");
    EXPECT_EQ(settingsFilePath(nullptr, "/home/u"), "/home/u/.config/tovrine/options.rec");
    EXPECT_EQ(settingsFilePath("", "/home/u"), "/home/u/.config/tovrine/options.rec");
    EXPECT_EQ(settingsFilePath("relative", "/home/u"), "/home/u/.config/tovrine/options.rec");
    EXPECT_EQ(settingsFilePath(nullptr, nullptr), "");
}

}  // namespace
