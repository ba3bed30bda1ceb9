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
    std::size_t warnings = 0;
};

// A value the pages would have read differently is adjusted as they read
// their boxes, with a warning; only what cannot be used at all is refused.
TEST(SaverOptions, ReadsEachOptionWithOneOrTwoDashesAndAdjustsWhatThePagesWouldAdjust)
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
        {{"-vobs", "100000"},
         V::accepted,
         [](const SaverOptions& o) { return *o.initialVobs == 99999; },
         1},
        {{"-vobs", "-1"},
         V::accepted,
         [](const SaverOptions& o) { return *o.initialVobs == 0; },
         1},
        {{"-vobs", " 5"},
         V::accepted,
         [](const SaverOptions& o) { return *o.initialVobs == 5; },
         1},
        {{"-vobs", "3x", "-whirls", ""},
         V::accepted,
         [](const SaverOptions& o) { return *o.initialVobs == 3 && *o.whirlCount == 0; },
         2},
        {{"-max-entities", "99999999999999999999"},
         V::accepted,
         [](const SaverOptions& o) { return *o.maxEntities == 9999999; },
         1},
        {{"-iq", "2"}, V::accepted, [](const SaverOptions& o) { return *o.vobIQ == 1; }, 1},
        {{"-iq", "no"}, V::accepted, [](const SaverOptions& o) { return *o.vobIQ == 0; }, 1},
        {{"-stats", "3"}, V::accepted, [](const SaverOptions& o) { return *o.statsMode == 0; }, 1},
        {{"-stats", "2x"}, V::accepted, [](const SaverOptions& o) { return *o.statsMode == 2; }, 1},
        {{"-preset", "6"}, V::accepted, [](const SaverOptions& o) { return *o.preset == 6; }},
        {{"-preset", "7"}, V::accepted, [](const SaverOptions& o) { return *o.preset == 6; }, 1},
        {{"-bench", "0"}, V::accepted, [](const SaverOptions& o) { return o.benchFrames == 1; }, 1},
        {{"-wrap", "--no-wrap", "-no-cloud"},
         V::accepted,
         [](const SaverOptions& o) { return *o.wrapEdges == 0 && *o.showCloud == 0; }},
        {{"-delay", "0"},
         V::accepted,
         [](const SaverOptions& o) { return o.delayMicroseconds == 0; }},
        {{"-delay", "5e3"},
         V::accepted,
         [](const SaverOptions& o) { return o.delayMicroseconds == 5; },
         1},
        {{"-record", "x.rec"},
         V::accepted,
         [](const SaverOptions& o) { return o.recordPath == "x.rec"; }},
        {{"-record", ""}, V::refusedValue, any},
        // What every hack takes.
        {{"-display", ":3", "-install", "-noinstall", "-visual", "default", "-mono", "-pair",
          "-sync"},
         V::accepted,
         [](const SaverOptions& o) { return o.display == ":3" && !o.geometry; }},
        {{"-fps", "-no-fps"}, V::accepted, [](const SaverOptions& o) { return !o.showFps; }},
        {{"--version"}, V::accepted, [](const SaverOptions& o) { return o.version; }},
        {{"-geometry", "640x480+10-20"},
         V::accepted,
         [](const SaverOptions& o) {
             return o.geometry && o.geometry->width == 640 && o.geometry->height == 480 &&
                    o.geometry->placed && o.geometry->x == 10 && !o.geometry->fromRight &&
                    o.geometry->y == 20 && o.geometry->fromBottom;
         }},
        {{"-geometry", "=320X200"},
         V::accepted,
         [](const SaverOptions& o) {
             return o.geometry && o.geometry->width == 320 && !o.geometry->placed;
         }},
        {{"-geometry", "-0+0"},
         V::accepted,
         [](const SaverOptions& o) {
             return o.geometry && o.geometry->width == 0 && o.geometry->fromRight;
         }},
        {{"-geometry", "640x"}, V::accepted, [](const SaverOptions& o) { return !o.geometry; }, 1},
        {{"-geometry", "0x0"}, V::accepted, [](const SaverOptions& o) { return !o.geometry; }, 1},
        {{"-geometry", "640x480+1"},
         V::accepted,
         [](const SaverOptions& o) { return !o.geometry; },
         1},
        {{"-geometry", "40000x40000"},
         V::accepted,
         [](const SaverOptions& o) {
             return !o.geometry && o.warnings[0].find("is too large") != std::string::npos;
         },
         1},
        {{"-geometry", "640x480+0+99999999999"},
         V::accepted,
         [](const SaverOptions& o) {
             return !o.geometry && o.warnings[0].find("is too large") != std::string::npos;
         },
         1},
        {{"-geometry", "40000x"},
         V::accepted,
         [](const SaverOptions& o) {
             return !o.geometry && o.warnings[0].find("is not WIDTHxHEIGHT") != std::string::npos;
         },
         1},
        // Colours and resources mean nothing to this world.
        {{"-foreground", "red", "--background", "#000", "-xrm", "*delay: 5", "-visual", "best"},
         V::accepted,
         [](const SaverOptions& o) { return o.delayMicroseconds == 10000 && !o.geometry; }},
        {{"-xrm"}, V::unknownOption, any},
        {{"-foreground"}, V::unknownOption, any},
        // A seed names one run: only an exact one is taken.
        {{"-seed", "0"}, V::accepted, [](const SaverOptions& o) { return *o.seed == 0; }},
        {{"--seed", "4294967295"},
         V::accepted,
         [](const SaverOptions& o) { return *o.seed == 4294967295u; }},
        {{}, V::accepted, [](const SaverOptions& o) { return !o.seed; }},
        {{"-seed", "4294967296"}, V::refusedValue, any},
        {{"-seed", "-1"}, V::refusedValue, any},
        {{"-seed", "7x"}, V::refusedValue, any},
        {{"-seed", ""}, V::refusedValue, any},
        {{"-seed"}, V::unknownOption, any},
        {{"-display"}, V::unknownOption, any},
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
            EXPECT_EQ(options.warnings.size(), c.warnings) << line;
        }
    }
}

std::string bytesOf(const OptionsRecord& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

StoredRecord stored(const std::string& bytes, uint64_t size = 0)
{
    StoredRecord file;
    file.path = "/x/options.rec";
    file.bytes = bytes;
    file.size = size != 0 ? size : bytes.size();
    return file;
}

OptionsRecord withVobs(int32_t vobs, int32_t whirls)
{
    OptionsRecord record = presetAlgorithms[0];
    record.initialVobs = vobs;
    record.whirlCount = whirls;
    return record;
}

// -record replaces the settings file, which is then never consulted.
TEST(SaverOptions, SettingsComeFromPresetFileOrRecordPresetOptionThatOrder)
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
        {true, true, {"-record", "r.rec"}, 21, 22},
        {false, true, {"-record", "r.rec", "-whirls", "5"}, 21, 5},
        {true, true, {}, 11, 12},
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
            files.settingsFile = stored(bytesOf(withVobs(11, 12)));
        if (c.recordFile)
            files.recordFile = stored(bytesOf(withVobs(21, 22)));
        std::vector<std::string> warnings;
        const OptionsRecord record = chooseSaverRecord(options, files, warnings);
        EXPECT_TRUE(warnings.empty()) << warnings.front();
        EXPECT_EQ(record.initialVobs, c.vobs);
        EXPECT_EQ(record.whirlCount, c.whirls);
    }
}

// As the Windows saver: a file that is not a whole record of this format is
// left out, a mode that cannot be drawn becomes the built-in one, levels the
// page would refuse run as stored; each says so in one line naming the file.
TEST(SaverOptions, RecordsTheSaverCannotRunAsStoredAreLeftOutOrAdjustedWithALine)
{
    OptionsRecord levels = presetAlgorithms[2];
    levels.birthStrength = levels.maxStrength + 1;
    levels.megaLevel = levels.greenLevel;
    OptionsRecord version = presetAlgorithms[2];
    version.formatVersion = 1.1;
    OptionsRecord depth = presetAlgorithms[2];
    depth.screenDepth = 24;
    OptionsRecord huge = presetAlgorithms[2];
    huge.screenWidth = 100000;
    const std::string whole = bytesOf(presetAlgorithms[2]);
    struct Case {
        StoredRecord file;
        const char* message;
        int32_t vobs;   // which record runs: the file's (preset 2) or the built-in
        int32_t width;  // and in which mode
    };
    const int32_t builtInVobs = presetAlgorithms[0].initialVobs;
    const int32_t fileVobs = presetAlgorithms[2].initialVobs;
    const Case cases[] = {
        {stored(whole.substr(0, 127)), "holds 127 bytes", builtInVobs, 800},
        {stored(whole + "x", 200), "holds 200 bytes", builtInVobs, 800},
        {stored(whole + "x", 1073741824), "holds 1073741824 bytes", builtInVobs, 800},
        {stored(""), "holds 0 bytes", builtInVobs, 800},
        {stored(bytesOf(version)), "not a settings record of this version", builtInVobs, 800},
        {stored(bytesOf(levels)),
         "Initial Strength of Vob may not exceed Max Strength of Vob; Vob Green Level should lie "
         "below Vob Mega Level (run as stored)",
         fileVobs, 800},
        {stored(bytesOf(depth)), "Couldn't set video mode 800 x 600 x 24", fileVobs, 800},
        {stored(bytesOf(huge)), "Couldn't set video mode 100000 x 600 x 16", fileVobs, 800},
    };
    for (const Case& c : cases) {
        for (bool asSettingsFile : {true, false}) {
            SaverOptions options;
            if (!asSettingsFile)
                options.recordPath = "r.rec";
            RecordFiles files;
            (asSettingsFile ? files.settingsFile : files.recordFile) = c.file;
            std::vector<std::string> warnings;
            const OptionsRecord record = chooseSaverRecord(options, files, warnings);
            EXPECT_EQ(record.initialVobs, c.vobs) << c.message;
            EXPECT_EQ(record.screenWidth, c.width) << c.message;
            EXPECT_TRUE(record.screenDepth == 16 || record.screenDepth == 32);
            ASSERT_EQ(warnings.size(), 1u) << c.message;
            EXPECT_NE(warnings[0].find(c.message), std::string::npos) << warnings[0];
            EXPECT_EQ(warnings[0].find('\n'), std::string::npos) << warnings[0];
            if (std::string(c.message).find("video mode") == std::string::npos) {
                EXPECT_NE(warnings[0].find(asSettingsFile ? "settings file \"/x/options.rec\""
                                                          : "record file \"/x/options.rec\""),
                          std::string::npos)
                    << warnings[0];
            }
        }
    }
    // The world takes the window's size: the record's own is not drawn.
    SaverOptions native;
    native.nativeSize = true;
    RecordFiles files;
    files.settingsFile = stored(bytesOf(huge));
    std::vector<std::string> warnings;
    EXPECT_EQ(chooseSaverRecord(native, files, warnings).screenWidth, 100000);
    EXPECT_TRUE(warnings.empty());
    // A damaged file with -preset: the preset runs, and the line says so.
    SaverOptions preset;
    preset.preset = 3;
    files.settingsFile = stored("short");
    EXPECT_EQ(chooseSaverRecord(preset, files, warnings).whirlCount,
              presetAlgorithms[3].whirlCount);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("-preset 3 instead"), std::string::npos) << warnings[0];
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
