// tovrine-sweep's grid: --vary read into values, expanded into every
// combination, and written back as the arguments that make the same grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/world/design_file.h"
#include "tools/world/sweep_options.h"

namespace {

bool parse(std::vector<std::string> words, SweepOptions& options, std::string& error)
{
    words.insert(words.begin(), "tovrine-sweep");
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    return parseSweepArguments(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(SweepGrid, EveryCombinationOnceWithTheLastFieldFastestAndItsArgumentsGiveItBack)
{
    SweepOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--preset", "2,0", "--vary", "whirlCount=10:30:10", "--vary", "vobIQ=1,0",
                       "--set", "foodStrength=500", "--seeds", "4-6", "--out", "o"},
                      options, error))
        << error;
    const std::vector<DesignPoint> points = designPoints(options);
    ASSERT_EQ(2u * 3 * 2, points.size());
    EXPECT_EQ(12 * 3, sweepRunCount(options));
    const std::vector<int64_t> expected[] = {{10, 1}, {10, 0}, {20, 1}, {20, 0}, {30, 1}, {30, 0}};
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(i / 6, points[i].subject);
        EXPECT_EQ(expected[i % 6], points[i].values) << i;
    }
    const std::vector<std::string> args = designArguments(options);
    SweepOptions again;
    std::vector<std::string> words = args;
    words.insert(words.end(), {"--out", "o"});
    ASSERT_TRUE(parse(words, again, error)) << error;
    EXPECT_EQ(args, designArguments(again));
    EXPECT_EQ(points.size(), designPoints(again).size());
}

TEST(SweepGrid, BadRangesRepeatsAndClashesAreRefusedWithTheirReason)
{
    struct Case {
        std::vector<std::string> words;
        const char* message;
    };
    for (const Case& c :
         std::vector<Case>{{{"--vary", "whirlCount=5:1:1"}, "reversed"},
                           {{"--vary", "whirlCount=1:5:0"}, "step of 1 or more"},
                           {{"--vary", "whirlCount=1:100000:1"}, "whirlCount wants 0 to 99999"},
                           {{"--vary", "vobIQ=0,1,2"}, "vobIQ wants 0 or 1"},
                           {{"--vary", "vobIQ=0,0"}, "twice"},
                           {{"--vary", "vobIQ=0", "--vary", "vobIQ=1"}, "varied twice"},
                           {{"--vary", "vobIQ=1", "--set", "vobIQ=0"}, "both set and varied"},
                           {{"--vary", "algorithmName=a"}, "whole-number fields"},
                           {{"--frames", "5", "--frames", "6"}, "given twice"},
                           {{"--shard", "4/3"}, "--shard wants K/N"},
                           {{"--from-frame", "3000"}, "past the last frame"},
                           {{"--resume", "--force"}, "give one"},
                           {{"--vary", "whirlCount=0:99999:1", "--vary", "maxStrength=0:99999:1"},
                            "more than the"},
                           {{"--ci", "100"}, "--ci wants a level"},
                           {{"--ci", "99.123"}, "--ci wants a level"},
                           {{"--design", "d.csv", "--vary", "vobIQ=0,1"}, "no --vary beside it"},
                           {{"--slurm", "job.sh", "--shard", "1/2"}, "no --shard"},
                           {{"--slurm-cpus", "4"}, "shape the job array"}}) {
        SweepOptions options;
        std::string error;
        std::vector<std::string> words = {"--preset", "1", "--out", "o"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        EXPECT_FALSE(parse(words, options, error)) << c.message;
        EXPECT_NE(std::string::npos, error.find(c.message)) << error;
    }
}

TEST(SweepGrid, ADesignFileGivesOnePointPerRowCrossedWithTheAlgorithms)
{
    SweepOptions options;
    std::string error;
    ASSERT_TRUE(
        parse({"--preset", "0,2", "--design", "d.csv", "--ci", "90", "--out", "o"}, options, error))
        << error;
    // Windows line ends and a blank last line are read as well.
    ASSERT_TRUE(parseDesign("whirlCount,vobIQ\r\n3,0\r\n1,1\r\n3,0\r\n\r\n", options, error))
        << error;
    const std::vector<DesignPoint> points = designPoints(options);
    ASSERT_EQ(6u, points.size());
    EXPECT_EQ((std::vector<int64_t>{1, 1}), points[1].values);
    EXPECT_EQ(1u, points[3].subject);
    EXPECT_EQ((std::vector<int64_t>{3, 0}), points[5].values);
    EXPECT_EQ(6 * 8, sweepRunCount(options));
    const std::vector<std::string> args = designArguments(options);
    EXPECT_NE(args.end(), std::find(args.begin(), args.end(), "d.csv"));
    EXPECT_EQ("90", *(std::find(args.begin(), args.end(), "--ci") + 1));

    struct Case {
        const char* text;
        const char* message;
    };
    for (const Case& c : {Case{"", "is empty"}, Case{"whirlCount\n", "holds no design point"},
                          Case{"bogus\n1\n", "no whole-number field"},
                          Case{"whirlCount,whirlCount\n1,2\n", "names whirlCount twice"},
                          Case{"whirlCount,vobIQ\n1\n", "line 2: 1 values for 2 fields"},
                          Case{"whirlCount,vobIQ\n1,0\n1,2\n", "line 3: vobIQ wants 0 or 1"},
                          Case{"algorithmName\nA\n", "no whole-number field"}}) {
        EXPECT_FALSE(parseDesign(c.text, options, error)) << c.text;
        EXPECT_NE(std::string::npos, error.find(c.message)) << error;
    }
}

}  // namespace
