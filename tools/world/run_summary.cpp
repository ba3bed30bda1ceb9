#include "tools/world/run_summary.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tools/world/figure_measure.h"
#include "tools/world/output_file.h"
#include "tools/world/sweep_options.h"

namespace {

// Columns of the CSV that a summary reads.
constexpr size_t frameColumn = 0;
constexpr size_t vobsColumn = 1;
constexpr size_t foodColumn = 4;
constexpr size_t civilizationsColumn = 10;
constexpr size_t columnCount = 14;

bool splitRow(const std::string& line, std::vector<int64_t>& numbers)
{
    numbers.clear();
    size_t start = 0;
    for (size_t column = 0; column < columnCount; ++column) {
        size_t comma = line.find(',', start);
        std::string cell = line.substr(start, comma == std::string::npos ? comma : comma - start);
        // The last column (mean strength) has a fraction or is empty; it is not read.
        if (column + 1 < columnCount) {
            char* end = nullptr;
            numbers.push_back(std::strtoll(cell.c_str(), &end, 10));
            if (cell.empty() || *end != '\0')
                return false;
        }
        if (comma == std::string::npos)
            return column + 1 == columnCount;
        start = comma + 1;
    }
    return false;
}

// Follows the civilizations through the rows.
class LifeTracker {
public:
    void row(int64_t frame, int64_t vobs, int64_t civilizations, RunSummary& summary)
    {
        if (civilizations > civilizations_) {
            summary.lives.push_back(CivilizationLife{frame, 0, false});
            civilizations_ = civilizations;
        }
        if (vobs == 0 && alive_) {
            summary.extinctions += 1;
            if (summary.firstExtinction < 0)
                summary.firstExtinction = frame;
            if (!summary.lives.empty() && !summary.lives.back().ended) {
                summary.lives.back().lifetime = frame - summary.lives.back().born;
                summary.lives.back().ended = true;
            }
        }
        alive_ = vobs > 0;
    }
    void finish(int64_t lastFrame, RunSummary& summary)
    {
        if (!summary.lives.empty() && !summary.lives.back().ended)
            summary.lives.back().lifetime = lastFrame - summary.lives.back().born;
    }

private:
    int64_t civilizations_ = 0;
    // A world is alive until it has no Vob, so one built without any (no
    // initial Vobs, no room for them) has died out at frame 0.
    bool alive_ = true;
};

// The figures a row holds, for the stop condition.
WorldFigures rowFigures(const std::vector<int64_t>& cells)
{
    WorldFigures figures;
    figures.vobs = static_cast<int32_t>(cells[vobsColumn]);
    figures.history = static_cast<int32_t>(cells[2]);
    figures.peak = static_cast<int32_t>(cells[3]);
    figures.food = static_cast<int32_t>(cells[foodColumn]);
    figures.remains = static_cast<int32_t>(cells[5]);
    figures.whirls = static_cast<int32_t>(cells[6]);
    figures.strengthSum = cells[7];
    figures.xSum = cells[8];
    figures.ySum = cells[9];
    return figures;
}

// Every cell of a row as a number, the mean strength NaN where it is empty.
std::vector<double> rowCells(const std::vector<int64_t>& cells, const std::string& line)
{
    std::vector<double> row(cells.begin(), cells.end());
    const std::string last = line.substr(line.rfind(',') + 1);
    row.push_back(last.empty() ? std::numeric_limits<double>::quiet_NaN()
                               : std::strtod(last.c_str(), nullptr));
    return row;
}

}  // namespace

int64_t sampleStep(int64_t frames, int64_t points)
{
    return frames <= points ? 1 : (frames + points - 1) / points;
}

bool summarizeRunCsv(const std::string& path, const SummaryChoice& choice, RunSummary& summary,
                     std::string& error)
{
    const int64_t frames = choice.frames;
    std::ifstream csv(path);
    std::string line;
    if (!csv || !std::getline(csv, line) || line.compare(0, 10, "frame,vobs") != 0) {
        error = "the run left no CSV in \"" + path + "\"";
        return false;
    }
    summary = RunSummary{};
    summary.frames = frames;
    std::vector<FigureMeasure> measures(choice.measures.size());
    for (size_t m = 0; m < measures.size(); ++m) {
        if (!measures[m].parse(choice.measures[m], splitCommas(line), error))
            return false;
        measures[m].start();
    }
    LifeTracker lives;
    std::vector<int64_t> cells;
    int64_t populationTotal = 0;
    int64_t expected = 0;
    while (std::getline(csv, line)) {
        if (summary.untilFrame >= 0) {
            error = "\"" + path + "\" goes on after frame " + std::to_string(summary.untilFrame) +
                    ", where " + stopConditionText(choice.until) + " held";
            return false;
        }
        if (!splitRow(line, cells) || cells[frameColumn] != expected) {
            error = "\"" + path + "\": row for frame " + std::to_string(expected) +
                    " is malformed: " + line;
            return false;
        }
        const int64_t vobs = cells[vobsColumn];
        if (!measures.empty()) {
            const std::vector<double> row = rowCells(cells, line);
            for (FigureMeasure& measure : measures)
                measure.row(row);
        }
        lives.row(expected, vobs, cells[civilizationsColumn], summary);
        if (expected % choice.every == 0)
            summary.populationSamples.push_back(vobs);
        if (choice.sampleEvery > 0 && expected % choice.sampleEvery == 0)
            summary.sampledRows.push_back(line);
        if (expected >= choice.fromFrame) {
            populationTotal += vobs;
            summary.lowestPopulation =
                expected == choice.fromFrame ? vobs : std::min(summary.lowestPopulation, vobs);
            summary.highestPopulation = std::max(summary.highestPopulation, vobs);
        }
        summary.civilizations = cells[civilizationsColumn];
        summary.foodAtEnd = cells[foodColumn];
        if (stopConditionMet(choice.until, expected, rowFigures(cells)))
            summary.untilFrame = expected;
        expected += 1;
    }
    const int64_t last = summary.untilFrame >= 0 ? summary.untilFrame : frames;
    if (expected != last + 1) {
        error = "\"" + path + "\" ends at frame " + std::to_string(expected - 1) + ", not " +
                std::to_string(frames);
        return false;
    }
    summary.frames = last;
    lives.finish(last, summary);
    for (const FigureMeasure& measure : measures)
        summary.measures.push_back(measure.value());
    summary.populationTotal = populationTotal;
    // A run stopped before --from-frame has no population figures.
    const int64_t counted = last - choice.fromFrame + 1;
    summary.meanPopulation = counted > 0 ? static_cast<double>(populationTotal) / counted : 0.0;
    return true;
}

namespace {

// Version 2 adds the frame where --until held; version 1 files, which have
// no such frame, are still read.
constexpr char summaryTag[] = "tovrine-run-summary 2";
constexpr char firstSummaryTag[] = "tovrine-run-summary 1";

}  // namespace

bool storeRunSummary(const std::string& path, const RunSummary& summary, std::string& error)
{
    std::ostringstream out;
    out << summaryTag << "\n"
        << summary.frames << " " << summary.civilizations << " " << summary.extinctions << " "
        << summary.firstExtinction << " " << summary.populationTotal << " "
        << summary.lowestPopulation << " " << summary.highestPopulation << " " << summary.foodAtEnd
        << " " << summary.lives.size() << " " << summary.populationSamples.size() << " "
        << summary.sampledRows.size() << " " << summary.untilFrame << "\n";
    // The mean is kept as its own digits: dividing again could differ.
    char mean[64];
    std::snprintf(mean, sizeof mean, "%a", summary.meanPopulation);
    out << mean << "\n";
    for (const CivilizationLife& life : summary.lives)
        out << life.born << " " << life.lifetime << " " << (life.ended ? 1 : 0) << "\n";
    for (int64_t sample : summary.populationSamples)
        out << sample << "\n";
    for (const std::string& row : summary.sampledRows)
        out << row << "\n";
    // The measures, when the sweep has any, as their exact digits.
    if (!summary.measures.empty()) {
        out << "measures " << summary.measures.size();
        for (double value : summary.measures) {
            std::snprintf(mean, sizeof mean, "%a", value);
            out << " " << (std::isnan(value) ? "nan" : mean);
        }
        out << "\n";
    }
    out << "end\n";
    return writeFileWhole(path, out.str(), error);
}

bool loadRunSummary(const std::string& path, RunSummary& summary, std::string& error)
{
    std::ifstream in(path);
    std::string line;
    size_t lives = 0, samples = 0, rows = 0;
    summary = RunSummary{};
    bool ok = std::getline(in, line) && (line == summaryTag || line == firstSummaryTag);
    const bool withUntil = ok && line == summaryTag;
    ok = ok && static_cast<bool>(
                   in >> summary.frames >> summary.civilizations >> summary.extinctions >>
                   summary.firstExtinction >> summary.populationTotal >> summary.lowestPopulation >>
                   summary.highestPopulation >> summary.foodAtEnd >> lives >> samples >> rows);
    if (ok && withUntil)
        ok = static_cast<bool>(in >> summary.untilFrame);
    std::string mean;
    ok = ok && static_cast<bool>(in >> mean);
    if (ok)
        summary.meanPopulation = std::strtod(mean.c_str(), nullptr);
    for (size_t i = 0; ok && i < lives; ++i) {
        CivilizationLife life;
        int ended = 0;
        ok = static_cast<bool>(in >> life.born >> life.lifetime >> ended);
        life.ended = ended != 0;
        summary.lives.push_back(life);
    }
    for (size_t i = 0; ok && i < samples; ++i) {
        int64_t sample = 0;
        ok = static_cast<bool>(in >> sample);
        summary.populationSamples.push_back(sample);
    }
    ok = ok && std::getline(in, line);  // the rest of the last number's line
    for (size_t i = 0; ok && i < rows; ++i) {
        ok = static_cast<bool>(std::getline(in, line));
        summary.sampledRows.push_back(line);
    }
    ok = ok && std::getline(in, line);
    if (ok && line.rfind("measures ", 0) == 0) {
        std::istringstream values(line.substr(9));
        size_t count = 0;
        ok = static_cast<bool>(values >> count);
        for (size_t i = 0; ok && i < count; ++i) {
            std::string value;
            ok = static_cast<bool>(values >> value);
            summary.measures.push_back(value == "nan" ? std::numeric_limits<double>::quiet_NaN()
                                                      : std::strtod(value.c_str(), nullptr));
        }
        ok = ok && std::getline(in, line);
    }
    ok = ok && line == "end";
    if (!ok)
        error = "\"" + path + "\" is not a whole run summary";
    return ok;
}

Quartiles quartilesOf(std::vector<double> values)
{
    Quartiles q;
    if (values.empty())
        return q;
    std::sort(values.begin(), values.end());
    auto at = [&](double p) {
        const double position = p * static_cast<double>(values.size() - 1);
        const size_t below = static_cast<size_t>(position);
        const double fraction = position - static_cast<double>(below);
        if (below + 1 >= values.size())
            return values.back();
        return values[below] + fraction * (values[below + 1] - values[below]);
    };
    q.q1 = at(0.25);
    q.median = at(0.5);
    q.q3 = at(0.75);
    return q;
}
