#include "tools/world/sweep_report.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "run/world_figures.h"

namespace {

// Fixed notation: the same numbers give the same bytes everywhere.
std::string decimal(double value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Names and paths may hold commas or quotes.
std::string quoted(const std::string& text)
{
    if (text.find_first_of(",\"\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// Written as NAME.partial; renamed by the report once every file is whole.
class CsvFile {
public:
    CsvFile(const std::string& directory, const char* name)
        : path_(directory + "/" + name + ".partial"), file_(std::fopen(path_.c_str(), "w"))
    {
        if (file_ == nullptr)
            failure_ = errno;
    }
    ~CsvFile()
    {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    void line(const std::string& text)
    {
        if (file_ != nullptr)
            std::fprintf(file_, "%s\n", text.c_str());
    }
    bool close(std::string& error)
    {
        if (file_ != nullptr && std::fflush(file_) != 0 && failure_ == 0)
            failure_ = errno;
        if (file_ != nullptr && std::ferror(file_) != 0 && failure_ == 0)
            failure_ = EIO;
        if (file_ != nullptr && std::fclose(file_) != 0 && failure_ == 0)
            failure_ = errno;
        file_ = nullptr;
        if (failure_ == 0)
            return true;
        error = "cannot write \"" + path_ + "\": " + std::strerror(failure_);
        std::remove(path_.c_str());
        return false;
    }

private:
    std::string path_;
    std::FILE* file_;
    int failure_ = 0;
};

// "name,source" and the varied fields' columns.
std::string pointHeader(const ReportLayout& layout)
{
    std::string header = "name,source";
    for (const std::string& field : layout.fields)
        header += "," + field;
    return header;
}

std::string pointColumns(const SweepRecord& record)
{
    std::string columns = quoted(record.name) + "," + quoted(record.source);
    for (int64_t value : record.values)
        columns += "," + std::to_string(value);
    return columns;
}

// Mean, standard deviation and the 95 % confidence interval of the mean;
// the last three are empty for fewer than two runs.
std::string spread(const std::vector<double>& values)
{
    const double n = static_cast<double>(values.size());
    double mean = 0;
    for (double v : values)
        mean += v;
    mean = values.empty() ? 0 : mean / n;
    if (values.size() < 2)
        return decimal(mean) + ",,,";
    double squares = 0;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    const double sd = std::sqrt(squares / (n - 1));
    const double half = studentT975(static_cast<int64_t>(values.size()) - 1) * sd / std::sqrt(n);
    return decimal(mean) + "," + decimal(sd) + "," + decimal(mean - half) + "," +
           decimal(mean + half);
}

// Kaplan-Meier estimate of the time to a run's first extinction; runs that
// never died out are censored at their last frame.
struct SurvivalStep {
    int64_t frame;
    int64_t atRisk;
    int64_t died;
    double survival;
};

std::vector<SurvivalStep> survivalOf(const SweepRecord& record, int64_t frames)
{
    std::vector<int64_t> times;
    for (const RunSummary& r : record.runs)
        if (r.firstExtinction >= 0)
            times.push_back(r.firstExtinction);
    std::sort(times.begin(), times.end());
    std::vector<SurvivalStep> steps;
    double survival = 1.0;
    int64_t atRisk = static_cast<int64_t>(record.runs.size());
    size_t i = 0;
    auto step = [&](int64_t frame) {
        int64_t died = 0;
        while (i < times.size() && times[i] == frame) {
            ++died;
            ++i;
        }
        if (atRisk > 0)
            survival *= 1.0 - static_cast<double>(died) / static_cast<double>(atRisk);
        steps.push_back(SurvivalStep{frame, atRisk, died, survival});
        atRisk -= died;
    };
    step(0);
    while (i < times.size())
        step(times[i]);
    if (steps.back().frame < frames)
        step(frames);
    return steps;
}

struct Measure {
    const char* column;
    std::function<double(const RunSummary&)> value;
};

// A run that never died out counts its whole length as the frames until
// its first extinction: at least that long.
const std::vector<Measure>& measures()
{
    static const std::vector<Measure> all = {
        {"civilizations", [](const RunSummary& r) { return double(r.civilizations); }},
        {"first_extinction",
         [](const RunSummary& r) {
             return double(r.firstExtinction < 0 ? r.frames : r.firstExtinction);
         }},
        {"mean_population", [](const RunSummary& r) { return r.meanPopulation; }},
        {"lowest_population", [](const RunSummary& r) { return double(r.lowestPopulation); }},
        {"highest_population", [](const RunSummary& r) { return double(r.highestPopulation); }},
        {"food_at_end", [](const RunSummary& r) { return double(r.foodAtEnd); }},
    };
    return all;
}

void writeRuns(CsvFile& csv, const std::vector<SweepRecord>& records, const ReportLayout& layout)
{
    csv.line(pointHeader(layout) +
             ",seed,frames,civilizations,extinctions,first_extinction,"
             "mean_population,lowest_population,highest_population,food_at_end");
    for (const SweepRecord& record : records)
        for (size_t i = 0; i < record.runs.size(); ++i) {
            const RunSummary& r = record.runs[i];
            csv.line(pointColumns(record) + "," + std::to_string(record.seeds[i]) + "," +
                     std::to_string(r.frames) + "," + std::to_string(r.civilizations) + "," +
                     std::to_string(r.extinctions) + "," +
                     (r.firstExtinction < 0 ? "" : std::to_string(r.firstExtinction)) + "," +
                     decimal(r.meanPopulation) + "," + std::to_string(r.lowestPopulation) + "," +
                     std::to_string(r.highestPopulation) + "," + std::to_string(r.foodAtEnd));
        }
}

void writeRecords(CsvFile& csv, const std::vector<SweepRecord>& records, const ReportLayout& layout)
{
    std::string header = pointHeader(layout) + ",runs,runs_died_out";
    for (const Measure& m : measures())
        header += std::string(",") + m.column + "_q1," + m.column + "_median," + m.column + "_q3";
    csv.line(header);
    for (const SweepRecord& record : records) {
        int64_t diedOut = 0;
        for (const RunSummary& r : record.runs)
            diedOut += r.firstExtinction >= 0 ? 1 : 0;
        std::string line = pointColumns(record) + "," + std::to_string(record.runs.size()) + "," +
                           std::to_string(diedOut);
        for (const Measure& m : measures()) {
            std::vector<double> values;
            for (const RunSummary& r : record.runs)
                values.push_back(m.value(r));
            const Quartiles q = quartilesOf(values);
            line += "," + decimal(q.q1) + "," + decimal(q.median) + "," + decimal(q.q3);
        }
        csv.line(line);
    }
}

// Per design point across its seeds: mean, sd and 95 % interval of each
// measure, and the survival of the first extinction.
void writeDesign(CsvFile& csv, const std::vector<SweepRecord>& records, const ReportLayout& layout)
{
    struct Figure {
        const char* column;
        std::function<double(const RunSummary&)> value;
    };
    static const std::vector<Figure> figures = {
        {"mean_population", [](const RunSummary& r) { return r.meanPopulation; }},
        {"lowest_population", [](const RunSummary& r) { return double(r.lowestPopulation); }},
        {"highest_population", [](const RunSummary& r) { return double(r.highestPopulation); }},
        {"civilizations", [](const RunSummary& r) { return double(r.civilizations); }},
        {"extinctions", [](const RunSummary& r) { return double(r.extinctions); }},
        {"food_at_end", [](const RunSummary& r) { return double(r.foodAtEnd); }},
    };
    std::string header =
        pointHeader(layout) + ",runs,runs_died_out,first_extinction_median,survival_at_end";
    for (const Figure& f : figures)
        header += std::string(",") + f.column + "_mean," + f.column + "_sd," + f.column +
                  "_ci95_low," + f.column + "_ci95_high";
    csv.line(header);
    for (const SweepRecord& record : records) {
        int64_t diedOut = 0;
        for (const RunSummary& r : record.runs)
            diedOut += r.firstExtinction >= 0 ? 1 : 0;
        const std::vector<SurvivalStep> steps = survivalOf(record, layout.frames);
        // The median time to the first extinction: empty while over half live on.
        std::string median;
        for (const SurvivalStep& s : steps)
            if (s.survival <= 0.5 && s.died > 0) {
                median = std::to_string(s.frame);
                break;
            }
        std::string line = pointColumns(record) + "," + std::to_string(record.runs.size()) + "," +
                           std::to_string(diedOut) + "," + median + "," +
                           decimal(steps.back().survival);
        for (const Figure& f : figures) {
            std::vector<double> values;
            for (const RunSummary& r : record.runs)
                values.push_back(f.value(r));
            line += "," + spread(values);
        }
        csv.line(line);
    }
}

void writeSurvival(CsvFile& csv, const std::vector<SweepRecord>& records,
                   const ReportLayout& layout)
{
    csv.line(pointHeader(layout) + ",frame,at_risk,died_out,survival");
    for (const SweepRecord& record : records)
        for (const SurvivalStep& s : survivalOf(record, layout.frames))
            csv.line(pointColumns(record) + "," + std::to_string(s.frame) + "," +
                     std::to_string(s.atRisk) + "," + std::to_string(s.died) + "," +
                     decimal(s.survival));
}

void writeSamples(CsvFile& csv, const std::vector<SweepRecord>& records, const ReportLayout& layout)
{
    csv.line(pointHeader(layout) + ",seed," + csvHeader());
    for (const SweepRecord& record : records)
        for (size_t i = 0; i < record.runs.size(); ++i) {
            const std::string columns =
                pointColumns(record) + "," + std::to_string(record.seeds[i]);
            for (const std::string& row : record.runs[i].sampledRows)
                csv.line(columns + "," + row);
        }
}

void writePopulation(CsvFile& csv, const std::vector<SweepRecord>& records,
                     const ReportLayout& layout)
{
    const int64_t frames = layout.frames;
    const int64_t every = layout.every;
    std::string header = "name";
    for (const std::string& field : layout.fields)
        header += "," + field;
    csv.line(header + ",frame,q1,median,q3");
    for (const SweepRecord& record : records) {
        const size_t samples = record.runs.empty() ? 0 : record.runs[0].populationSamples.size();
        for (size_t s = 0; s < samples; ++s) {
            std::vector<double> values;
            for (const RunSummary& r : record.runs)
                values.push_back(double(r.populationSamples[s]));
            const Quartiles q = quartilesOf(values);
            const int64_t frame = static_cast<int64_t>(s) * every;
            if (frame > frames)
                break;
            std::string columns = quoted(record.name);
            for (int64_t value : record.values)
                columns += "," + std::to_string(value);
            csv.line(columns + "," + std::to_string(frame) + "," + decimal(q.q1) + "," +
                     decimal(q.median) + "," + decimal(q.q3));
        }
    }
}

void writeLifetimes(CsvFile& csv, const std::vector<SweepRecord>& records,
                    const ReportLayout& layout)
{
    std::string header = "name";
    for (const std::string& field : layout.fields)
        header += "," + field;
    csv.line(header + ",seed,civilization,born,lifetime,died_out");
    for (const SweepRecord& record : records)
        for (size_t i = 0; i < record.runs.size(); ++i) {
            const std::vector<CivilizationLife>& lives = record.runs[i].lives;
            std::string columns = quoted(record.name);
            for (int64_t value : record.values)
                columns += "," + std::to_string(value);
            for (size_t c = 0; c < lives.size(); ++c)
                csv.line(columns + "," + std::to_string(record.seeds[i]) + "," +
                         std::to_string(c + 1) + "," + std::to_string(lives[c].born) + "," +
                         std::to_string(lives[c].lifetime) + "," + (lives[c].ended ? "1" : "0"));
        }
}

}  // namespace

double studentT975(int64_t df)
{
    static const double table[] = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306,
                                   2.262,  2.228, 2.201, 2.179, 2.160, 2.145, 2.131, 2.120,
                                   2.110,  2.101, 2.093, 2.086, 2.080, 2.074, 2.069, 2.064,
                                   2.060,  2.056, 2.052, 2.048, 2.045, 2.042};
    if (df < 1)
        return 0;
    if (df <= 30)
        return table[df - 1];
    // Cornish-Fisher expansion about the normal quantile: within 0.001 past 30.
    const double z = 1.959964;
    const double n = static_cast<double>(df);
    return z + (z * z * z + z) / (4 * n) +
           (5 * std::pow(z, 5) + 16 * z * z * z + 3 * z) / (96 * n * n);
}

std::vector<std::string> reportFileNames()
{
    return {"runs.csv",       "records.csv",   "design.csv", "survival.csv",
            "population.csv", "lifetimes.csv", "samples.csv"};
}

bool writeSweepReport(const std::string& directory, const std::vector<SweepRecord>& records,
                      const ReportLayout& layout, std::string& error)
{
    std::vector<std::string> names;
    bool ok = true;
    auto write = [&](const char* name, const std::function<void(CsvFile&)>& body) {
        CsvFile csv(directory, name);
        body(csv);
        ok = csv.close(error) && ok;
        names.push_back(name);
    };
    write("runs.csv", [&](CsvFile& csv) { writeRuns(csv, records, layout); });
    write("records.csv", [&](CsvFile& csv) { writeRecords(csv, records, layout); });
    write("design.csv", [&](CsvFile& csv) { writeDesign(csv, records, layout); });
    write("survival.csv", [&](CsvFile& csv) { writeSurvival(csv, records, layout); });
    write("population.csv", [&](CsvFile& csv) { writePopulation(csv, records, layout); });
    write("lifetimes.csv", [&](CsvFile& csv) { writeLifetimes(csv, records, layout); });
    if (layout.sampleEvery > 0)
        write("samples.csv", [&](CsvFile& csv) { writeSamples(csv, records, layout); });
    for (const std::string& name : names) {
        const std::string path = directory + "/" + name;
        if (!ok)
            std::remove((path + ".partial").c_str());
        else if (std::rename((path + ".partial").c_str(), path.c_str()) != 0) {
            error = "cannot rename \"" + path + ".partial\": " + std::strerror(errno);
            ok = false;
        }
    }
    return ok;
}
