#include "tools/world/sweep_report.h"

#include <cstdio>
#include <functional>

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

class CsvFile {
public:
    CsvFile(const std::string& directory, const char* name)
        : path_(directory + "/" + name), file_(std::fopen(path_.c_str(), "w"))
    {
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
        bool ok = file_ != nullptr && std::ferror(file_) == 0;
        if (file_ != nullptr && std::fclose(file_) != 0)
            ok = false;
        file_ = nullptr;
        if (!ok)
            error = "cannot write \"" + path_ + "\"";
        return ok;
    }

private:
    std::string path_;
    std::FILE* file_;
};

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

void writeRuns(CsvFile& csv, const std::vector<SweepRecord>& records)
{
    csv.line("name,source,seed,frames,civilizations,extinctions,first_extinction,"
             "mean_population,lowest_population,highest_population,food_at_end");
    for (const SweepRecord& record : records)
        for (size_t i = 0; i < record.runs.size(); ++i) {
            const RunSummary& r = record.runs[i];
            csv.line(quoted(record.name) + "," + quoted(record.source) + "," +
                     std::to_string(record.seeds[i]) + "," + std::to_string(r.frames) + "," +
                     std::to_string(r.civilizations) + "," + std::to_string(r.extinctions) + "," +
                     (r.firstExtinction < 0 ? "" : std::to_string(r.firstExtinction)) + "," +
                     decimal(r.meanPopulation) + "," + std::to_string(r.lowestPopulation) + "," +
                     std::to_string(r.highestPopulation) + "," + std::to_string(r.foodAtEnd));
        }
}

void writeRecords(CsvFile& csv, const std::vector<SweepRecord>& records)
{
    std::string header = "name,source,runs,runs_died_out";
    for (const Measure& m : measures())
        header += std::string(",") + m.column + "_q1," + m.column + "_median," + m.column + "_q3";
    csv.line(header);
    for (const SweepRecord& record : records) {
        int64_t diedOut = 0;
        for (const RunSummary& r : record.runs)
            diedOut += r.firstExtinction >= 0 ? 1 : 0;
        std::string line = quoted(record.name) + "," + quoted(record.source) + "," +
                           std::to_string(record.runs.size()) + "," + std::to_string(diedOut);
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

void writePopulation(CsvFile& csv, const std::vector<SweepRecord>& records, int64_t frames,
                     int64_t every)
{
    csv.line("name,frame,q1,median,q3");
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
            csv.line(quoted(record.name) + "," + std::to_string(frame) + "," + decimal(q.q1) + "," +
                     decimal(q.median) + "," + decimal(q.q3));
        }
    }
}

void writeLifetimes(CsvFile& csv, const std::vector<SweepRecord>& records)
{
    csv.line("name,seed,civilization,born,lifetime,died_out");
    for (const SweepRecord& record : records)
        for (size_t i = 0; i < record.runs.size(); ++i) {
            const std::vector<CivilizationLife>& lives = record.runs[i].lives;
            for (size_t c = 0; c < lives.size(); ++c)
                csv.line(quoted(record.name) + "," + std::to_string(record.seeds[i]) + "," +
                         std::to_string(c + 1) + "," + std::to_string(lives[c].born) + "," +
                         std::to_string(lives[c].lifetime) + "," + (lives[c].ended ? "1" : "0"));
        }
}

}  // namespace

bool writeSweepReport(const std::string& directory, const std::vector<SweepRecord>& records,
                      int64_t frames, int64_t sampleEvery, std::string& error)
{
    CsvFile runs(directory, "runs.csv");
    writeRuns(runs, records);
    CsvFile summary(directory, "records.csv");
    writeRecords(summary, records);
    CsvFile population(directory, "population.csv");
    writePopulation(population, records, frames, sampleEvery);
    CsvFile lifetimes(directory, "lifetimes.csv");
    writeLifetimes(lifetimes, records);
    return runs.close(error) && summary.close(error) && population.close(error) &&
           lifetimes.close(error);
}
