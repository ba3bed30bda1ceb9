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
    SweepRecord point{"A", "preset 0", 0, "", {7}, {}, {}};
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
    // Greenwood: at 100, 0.5^2 * 2/(4*2) = 1/16, so 0.5 -+ 1.96 / 4; at 300,
    // 0.25^2 * (1/4 + 1/2) = 3/64.
    EXPECT_EQ(
        (std::vector<std::string>{
            "name,source,whirlCount,frame,at_risk,died_out,censored,survival,ci95_low,"
            "ci95_high",
            "A,preset 0,7,0,4,0,0,1.000,1.000,1.000", "A,preset 0,7,100,4,2,0,0.500,0.010,0.990",
            "A,preset 0,7,300,2,1,0,0.250,0.000,0.674",
            "A,preset 0,7,500,1,0,1,0.250,0.000,0.674"}),
        lines(dir + "/survival.csv"));
    // Three died out; the median is where the curve first reaches one half.
    // Mean population 17.5, sd 5, half-width t(3) * 5 / 2.
    const std::vector<std::string> design = lines(dir + "/design.csv");
    ASSERT_EQ(2u, design.size());
    EXPECT_EQ(0u,
              design[1].find("A,preset 0,7,4,3,0.250,100,250.000,0.250,17.500,5.000,9.544,25.456,"))
        << design[1];
    std::filesystem::remove_all(dir);
}

TEST(SweepReport, KaplanMeierReachesOneHalfExactlyWhenHalfTheRunsHaveDied)
{
    // 30 runs, 15 died at distinct frames: the curve is exactly 1/2 at the
    // fifteenth death, which is the median, not the next frame.
    std::vector<int64_t> deaths;
    for (int64_t i = 0; i < 15; ++i)
        deaths.push_back(673 + i);
    const std::vector<SurvivalStep> steps = kaplanMeier(deaths, 30, 2000);
    EXPECT_EQ(687, medianTime(steps));
    EXPECT_EQ(1, steps[15].numerator);
    EXPECT_EQ(2, steps[15].denominator);
    EXPECT_EQ(-1, medianTime(kaplanMeier({5, 9}, 5, 100)));
}

TEST(SweepReport, RunsStoppedBeforeTheEndLeaveTheRiskSetWhereTheyStopped)
{
    // Deaths at 100 and 300; one run stopped by --until at 200, one alive at
    // 500. S = 3/4 from 100, 3/4 * 1/2 from 300; the area up to 500 is
    // 100 + 200 * 3/4 + 200 * 3/8.
    const std::vector<SurvivalStep> steps = kaplanMeier({300, 100}, {500, 200}, 500);
    ASSERT_EQ(5u, steps.size());
    const int64_t expected[][5] = {{0, 4, 0, 0, 1},
                                   {100, 4, 1, 0, 3},
                                   {200, 3, 0, 1, 3},
                                   {300, 2, 1, 0, 3},
                                   {500, 1, 0, 1, 3}};
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(expected[i][0], steps[i].frame);
        EXPECT_EQ(expected[i][1], steps[i].atRisk) << steps[i].frame;
        EXPECT_EQ(expected[i][2], steps[i].died) << steps[i].frame;
        EXPECT_EQ(expected[i][3], steps[i].censored) << steps[i].frame;
        EXPECT_EQ(expected[i][4], steps[i].numerator) << steps[i].frame;
    }
    EXPECT_EQ(8, steps[4].denominator);
    EXPECT_EQ(300, medianTime(steps));
    EXPECT_DOUBLE_EQ(325.0, restrictedMean(steps, 500));
    // Every run censored: the curve stays at 1 and the mean is the horizon.
    EXPECT_DOUBLE_EQ(500.0, restrictedMean(kaplanMeier({}, {500, 500, 500}, 500), 500));
}

TEST(SweepReport, StudentQuantilesAreTheLibrarysToTheLastDigit)
{
    // Published two-sided values at 95 %, 99 % and 90 %.
    const struct {
        double level;
        int64_t df;
        double quantile;
    } known[] = {{0.95, 1, 12.7062047362},  {0.95, 3, 3.1824463053}, {0.95, 29, 2.0452296421},
                 {0.95, 100, 1.9839715185}, {0.99, 5, 4.0321429836}, {0.90, 10, 1.8124611228}};
    for (const auto& k : known)
        EXPECT_NEAR(k.quantile, studentTQuantile(k.level, k.df), 1e-9) << k.level << " " << k.df;
}

}  // namespace
