#include "tools/world/run_summary.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

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

}  // namespace

int64_t sampleStep(int64_t frames, int64_t points)
{
    return frames <= points ? 1 : (frames + points - 1) / points;
}

bool summarizeRunCsv(const std::string& path, int64_t frames, int64_t every, RunSummary& summary,
                     std::string& error)
{
    std::ifstream csv(path);
    std::string line;
    if (!csv || !std::getline(csv, line) || line.compare(0, 10, "frame,vobs") != 0) {
        error = "the run left no CSV in \"" + path + "\"";
        return false;
    }
    summary = RunSummary{};
    summary.frames = frames;
    LifeTracker lives;
    std::vector<int64_t> cells;
    int64_t populationTotal = 0;
    int64_t expected = 0;
    while (std::getline(csv, line)) {
        if (!splitRow(line, cells) || cells[frameColumn] != expected) {
            error = "\"" + path + "\": row for frame " + std::to_string(expected) +
                    " is malformed: " + line;
            return false;
        }
        const int64_t vobs = cells[vobsColumn];
        lives.row(expected, vobs, cells[civilizationsColumn], summary);
        if (expected % every == 0)
            summary.populationSamples.push_back(vobs);
        if (expected > 0) {
            populationTotal += vobs;
            summary.lowestPopulation =
                expected == 1 ? vobs : std::min(summary.lowestPopulation, vobs);
            summary.highestPopulation = std::max(summary.highestPopulation, vobs);
        }
        summary.civilizations = cells[civilizationsColumn];
        summary.foodAtEnd = cells[foodColumn];
        expected += 1;
    }
    if (expected != frames + 1) {
        error = "\"" + path + "\" ends at frame " + std::to_string(expected - 1) + ", not " +
                std::to_string(frames);
        return false;
    }
    lives.finish(frames, summary);
    summary.meanPopulation = frames > 0 ? static_cast<double>(populationTotal) / frames : 0.0;
    return true;
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
