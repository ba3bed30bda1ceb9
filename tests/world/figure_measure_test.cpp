// Measures of one's own over a run's rows: each aggregate and window, a
// first() that never holds, empty cells, and expressions refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tools/world/figure_measure.h"

namespace {

const std::vector<std::string> columns = {"frame", "vobs", "food", "mean_strength"};
constexpr double none = NAN;

// Frames 0 to 4: vobs 10, 12, 0, 0, 6; food 0, 100, 600, 700, 50; mean
// strength empty where no Vob lives.
const std::vector<std::vector<double>> rows = {
    {0, 10, 0, 40}, {1, 12, 100, 45}, {2, 0, 600, none}, {3, 0, 700, none}, {4, 6, 50, 20}};

double measured(const std::string& text)
{
    FigureMeasure measure;
    std::string error;
    EXPECT_TRUE(measure.parse(text, columns, error)) << text << ": " << error;
    measure.start();
    for (const std::vector<double>& row : rows)
        measure.row(row);
    return measure.value();
}

TEST(FigureMeasure, AggregatesOverTheirWindowsOfFrames)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"mean(vobs)", 28.0 / 5},
        {"mean(population, 1, 3)", 4},
        {"min(vobs) + max(vobs)", 12},
        {"sum(food) / 10", 145},
        {"last(vobs)", 6},
        {"count(vobs == 0)", 2},
        {"count(food > 500 and not vobs > 0)", 2},
        {"count(vobs < 5 or food < 60)", 4},
        {"first(food > 500)", 2},
        {"first(food > 500, 3, 4)", 3},
        {"mean(mean_strength)", 35},  // the empty cells left out
        {"max(vobs * 2 - -1) / (1 + 1)", 12.5},
        {"mean(vobs, 7, 9)", none},  // no frame of the window was run
        {"first(food > 5000)", none},
        {"sum(vobs) / count(vobs > 99)", none},
    };
    for (const auto& c : cases) {
        const double value = measured(c.text);
        if (std::isnan(c.value))
            EXPECT_TRUE(std::isnan(value)) << c.text << " gave " << value;
        else
            EXPECT_DOUBLE_EQ(c.value, value) << c.text;
    }
}

TEST(FigureMeasure, OnlyFirstIsATimeToAnEventAndMalformedTextIsRefused)
{
    FigureMeasure measure;
    std::string error;
    ASSERT_TRUE(measure.parse("first(vobs == 0)", columns, error));
    EXPECT_TRUE(measure.isTimeToEvent());
    ASSERT_TRUE(measure.parse("first(vobs == 0) - 1", columns, error));
    EXPECT_FALSE(measure.isTimeToEvent());
    for (const std::string& text : std::vector<std::string>{
             "", "vobs", "3", "mean(vobs", "mean(births)", "mean(mean(vobs))", "mean(vobs, 5)",
             "mean(vobs, 5, 2)", "mean(vobs) > 2", "mean(vobs) vobs", "system(\"ls\")",
             "mean(vobs; 1)", std::string(60, '(') + "mean(vobs)" + std::string(60, ')'),
             "mean(" + std::string(1000, '1') + ")"}) {
        error.clear();
        EXPECT_FALSE(measure.parse(text, columns, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
