// The sweep's statistics: the survival of the first extinction with runs
// that never died out censored, and the interval's t quantile.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/world/sweep_report.h"

namespace {

std::vector<std::string> lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> all;
    for (std::string line; std::getline(in, line);)
        all.push_back(line);
    return all;
}

TEST(SweepReport, SurvivalCountsRunsThatLivedOnUntilTheirEndAndNoLonger)
{
    const std::string dir = "/tmp/tovrine-report-test-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    SweepRecord point{"A", "preset 0", {7}, {}, {}};
    for (int64_t first : {100, -1, 100, 300}) {
        RunSummary run;
        run.frames = 500;
        run.firstExtinction = first;
        run.meanPopulation = first < 0 ? 10 : 20;
        point.seeds.push_back(static_cast<uint32_t>(point.seeds.size() + 1));
        point.runs.push_back(run);
    }
    ReportLayout layout;
    layout.fields = {"whirlCount"};
    layout.frames = 500;
    std::string error;
    ASSERT_TRUE(writeSweepReport(dir, {point}, layout, error)) << error;
    EXPECT_EQ(
        (std::vector<std::string>{"name,source,whirlCount,frame,at_risk,died_out,survival",
                                  "A,preset 0,7,0,4,0,1.000", "A,preset 0,7,100,4,2,0.500",
                                  "A,preset 0,7,300,2,1,0.250", "A,preset 0,7,500,1,0,0.250"}),
        lines(dir + "/survival.csv"));
    // Three died out; the median is where the curve first reaches one half.
    // Mean population 17.5, sd 5, half-width t(3) * 5 / 2.
    const std::vector<std::string> design = lines(dir + "/design.csv");
    ASSERT_EQ(2u, design.size());
    EXPECT_EQ(0u, design[1].find("A,preset 0,7,4,3,100,0.250,17.500,5.000,9.545,25.455,"))
        << design[1];
    std::filesystem::remove_all(dir);
}

TEST(SweepReport, TheIntervalsQuantileShrinksTowardsTheNormalOne)
{
    EXPECT_DOUBLE_EQ(12.706, studentT975(1));
    EXPECT_DOUBLE_EQ(3.182, studentT975(3));
    EXPECT_DOUBLE_EQ(2.042, studentT975(30));
    for (int64_t df = 2; df < 2000; ++df)
        EXPECT_LT(studentT975(df), studentT975(df - 1)) << df;
    EXPECT_NEAR(2.040, studentT975(31), 0.001);
    EXPECT_NEAR(2.009, studentT975(50), 0.001);
    EXPECT_NEAR(1.962, studentT975(1000), 0.001);
}

}  // namespace
