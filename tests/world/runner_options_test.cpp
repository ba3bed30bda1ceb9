// tovrine-world's command line, its settings record file and its display check.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/world/runner_options.h"

namespace {

bool parse(std::vector<const char*> args, RunnerOptions& options, std::string& error)
{
    args.insert(args.begin(), "tovrine-world");
    return parseRunnerArguments(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(RunnerArguments, DefaultsRunPresetZeroWithSeedOneForAThousandFrames)
{
    RunnerOptions options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error));
    EXPECT_EQ(0, options.preset);
    EXPECT_TRUE(options.recordPath.empty());
    EXPECT_EQ(1u, options.seed);
    EXPECT_EQ(1000, options.frames);
    EXPECT_FALSE(options.stats);
    EXPECT_FALSE(options.bench);
    EXPECT_FALSE(options.walkFood);
    EXPECT_TRUE(options.pngDirectory.empty());
}

TEST(RunnerArguments, EveryOptionIsTakenWithItsValue)
{
    RunnerOptions options;
    std::string error;
    ASSERT_TRUE(
        parse({"--preset", "6", "--seed", "4294967295", "--frames=0", "--stats", "--png", "out/x",
               "--every", "7", "--bench", "--walk-food", "--until", "population<=3"},
              options, error))
        << error;
    EXPECT_EQ("population<=3", stopConditionText(options.until));
    EXPECT_EQ(6, options.preset);
    EXPECT_EQ(4294967295u, options.seed);
    EXPECT_EQ(0, options.frames);
    EXPECT_TRUE(options.stats);
    EXPECT_EQ("out/x", options.pngDirectory);
    EXPECT_EQ(7, options.every);
    EXPECT_TRUE(options.bench);
    EXPECT_TRUE(options.walkFood);
}

TEST(RunnerArguments, MalformedOrOutOfRangeValuesAreRefused)
{
    for (std::vector<const char*> args :
         std::vector<std::vector<const char*>>{{"--preset", "7"},
                                               {"--preset", "-1"},
                                               {"--preset", ""},
                                               {"--preset", "1.5"},
                                               {"--preset", " 1"},
                                               {"--preset", "1 "},
                                               {"--preset", "+1"},
                                               {"--seed", "4294967296"},
                                               {"--seed", "-1"},
                                               {"--frames", "-1"},
                                               {"--frames", "1e3"},
                                               {"--frames", "99999999999999999999"},
                                               {"--every", "0"},
                                               {"--preset"},
                                               {"--record", ""},
                                               {"--png", ""},
                                               {"--stat"},
                                               {"stats"},
                                               {"--every", "5"},  // needs --png
                                               {"--preset", "0", "--record", "a.rec"},
                                               {"--frames", "5", "--frames", "6"},
                                               {"--frames=5", "--frames", "6"},
                                               {"--frames="},
                                               {"--stats=1"},
                                               {"--until", "population>3"},
                                               {"--until", "frame=-1"},
                                               {"--until", "Extinction"},
                                               {"--stats", "--stats"},
                                               {"--csv", "-", "--stats"},
                                               {"--set", "whirlCount"},
                                               {"--set", "=3"},
                                               {"--set", "vobIQ=1", "--set", "vobIQ=0"}}) {
        RunnerOptions options;
        std::string error;
        EXPECT_FALSE(parse(args, options, error))
            << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(error.empty());
    }
    RunnerOptions options;
    std::string error;
    EXPECT_TRUE(parse({"--record", "a.rec", "--png", "d", "--every", "5"}, options, error))
        << error;
}

TEST(StopCondition, EachConditionHoldsFromTheFrameItNames)
{
    WorldFigures none, few, many;
    few.vobs = 3;
    many.vobs = 300;
    const struct {
        const char* text;
        int64_t frame;
        const WorldFigures& figures;
        bool met;
    } cases[] = {
        {"extinction", 5, none, true},      {"extinction", 5, few, false},
        {"population>=300", 0, many, true}, {"population>=300", 9, few, false},
        {"population<=3", 9, few, true},    {"population<=3", 9, many, false},
        {"population<=0", 0, none, true},   {"frame=40", 39, none, false},
        {"frame=40", 40, many, true},
    };
    for (const auto& c : cases) {
        StopCondition condition;
        std::string error;
        ASSERT_TRUE(parseStopCondition(c.text, condition, error)) << error;
        EXPECT_EQ(c.text, stopConditionText(condition));
        EXPECT_EQ(c.met, stopConditionMet(condition, c.frame, c.figures))
            << c.text << " " << c.frame;
    }
    EXPECT_FALSE(stopConditionMet(StopCondition{}, 100, none));
}

class RecordFile : public ::testing::Test {
protected:
    std::string path = "/tmp/tovrine-runner-test-" + std::to_string(::getpid()) + ".rec";
    RunnerOptions options;
    std::string error;

    // Loads with options.recordPath set to the test's file.
    bool loadFromFile(OptionsRecord& record)
    {
        options.recordPath = path;
        return loadRunnerRecord(options, record, error);
    }

    void write(const void* bytes, size_t size)
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        std::fwrite(bytes, 1, size, file);
        std::fclose(file);
    }
    void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(RecordFile, PresetIsUsedWithoutAFile)
{
    options.preset = 2;
    OptionsRecord record;
    ASSERT_TRUE(loadRunnerRecord(options, record, error));
    EXPECT_EQ(0, std::memcmp(&presetAlgorithms[2], &record, sizeof record));
}

// Such files used to run as if they were the first preset or an empty
// world; the sweep already refused them.
TEST_F(RecordFile, AShortEmptyOrForeignFileIsRefusedAndAWholeOneTakenByteForByte)
{
    OptionsRecord stored = presetAlgorithms[5];
    stored.screenWidth = 1024;
    write(&stored, sizeof stored);
    OptionsRecord record;
    ASSERT_TRUE(loadFromFile(record)) << error;
    EXPECT_EQ(0, std::memcmp(&stored, &record, sizeof record));

    OptionsRecord foreign = stored;
    foreign.formatVersion = 1.1;
    struct Case {
        const void* bytes;
        size_t size;
        const char* message;
    };
    for (const Case& bad :
         {Case{"", 0, "is 0 bytes, not 128"}, Case{&stored, 50, "is 50 bytes, not 128"},
          Case{&foreign, sizeof foreign, "format tag"}}) {
        write(bad.bytes, bad.size);
        record = presetAlgorithms[4];
        error.clear();
        EXPECT_FALSE(loadFromFile(record)) << bad.message;
        EXPECT_NE(std::string::npos, error.find(bad.message)) << error;
        EXPECT_EQ(0, std::memcmp(&presetAlgorithms[4], &record, sizeof record)) << "left untouched";
    }
}

TEST_F(RecordFile, ALongerOrMissingFileIsAnError)
{
    char bytes[129] = {};
    write(bytes, sizeof bytes);
    OptionsRecord record = presetAlgorithms[4];
    EXPECT_FALSE(loadFromFile(record));
    EXPECT_NE(std::string::npos, error.find("longer than 128 bytes")) << error;
    EXPECT_EQ(0, std::memcmp(&presetAlgorithms[4], &record, sizeof record)) << "left untouched";

    // A stream without end is refused at once as what it is, not read
    // until memory runs out.
    RunnerOptions endless;
    endless.recordPath = "/dev/zero";
    error.clear();
    EXPECT_FALSE(loadRunnerRecord(endless, record, error));
    EXPECT_NE(std::string::npos, error.find("\"/dev/zero\" is a device")) << error;
    EXPECT_EQ(0, std::memcmp(&presetAlgorithms[4], &record, sizeof record)) << "left untouched";

    std::remove(path.c_str());
    error.clear();
    EXPECT_FALSE(loadFromFile(record));
    EXPECT_NE(std::string::npos, error.find(path)) << error;
}

TEST(RunnerDisplay, OnlyDrawableModesOfSensibleSizeAreAccepted)
{
    struct Mode {
        int32_t width, height, depth;
        bool accepted;
    };
    for (Mode m : {Mode{800, 600, 16, true}, Mode{1, 1, 32, true}, Mode{8192, 8192, 16, true},
                   Mode{0, 600, 16, false}, Mode{800, -600, 16, false}, Mode{8193, 600, 16, false},
                   Mode{800, 600, 24, false}, Mode{800, 600, 8, false}, Mode{800, 600, 0, false}}) {
        OptionsRecord record = presetAlgorithms[0];
        record.screenWidth = m.width;
        record.screenHeight = m.height;
        record.screenDepth = m.depth;
        std::string error;
        EXPECT_EQ(m.accepted, checkDisplayMode(record, error))
            << m.width << " x " << m.height << " x " << m.depth;
        EXPECT_EQ(m.accepted, error.empty());
    }
}

}  // namespace
