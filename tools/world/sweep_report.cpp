#include "tools/world/sweep_report.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <numeric>

#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>

#include "run/world_figures.h"
#include "tools/world/output_file.h"

namespace {

double normalQuantile(double level)
{
    return boost::math::quantile(boost::math::normal(), 0.5 + level / 2);
}

// Fixed notation: the same numbers give the same bytes everywhere.
std::string decimal(double value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Names and paths may hold commas or quotes. One that begins as a formula
// would (=, +, - or @) is written as text with a leading ', as spreadsheets
// have it, so that opening the file never runs it.
std::string quoted(const std::string& given)
{
    const std::string text =
        !given.empty() && std::strchr("=+-@", given[0]) != nullptr ? "'" + given : given;
    if (text.find_first_of(",\"\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// Written as NAME.partial; renamed by the report once every file is whole.
using CsvFile = PartialFile;

// "name,source", the design file's row and the varied fields' columns: the
// same first columns in every table, so that any two join on them.
std::string pointHeader(const ReportLayout& layout)
{
    std::string header = layout.numbered ? "name,source,point" : "name,source";
    for (const std::string& field : layout.fields)
        header += "," + field;
    return header;
}

std::string pointColumns(const SweepRecord& record)
{
    std::string columns = quoted(record.name) + "," + quoted(record.source);
    if (record.number > 0)
        columns += "," + std::to_string(record.number);
    for (int64_t value : record.values)
        columns += "," + std::to_string(value);
    return columns;
}

// "ci95", "ci99_5": a column name without a dot.
std::string levelName(const ReportLayout& layout)
{
    std::string name = "ci" + layout.ciText;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

double levelOf(const ReportLayout& layout)
{
    return std::strtod(layout.ciText.c_str(), nullptr) / 100.0;
}

// Mean, standard deviation and the confidence interval of the mean; the last
// three are empty for fewer than two runs.
std::string spread(const std::vector<double>& values, double level)
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
    const double half =
        studentTQuantile(level, static_cast<int64_t>(values.size()) - 1) * sd / std::sqrt(n);
    return decimal(mean) + "," + decimal(sd) + "," + decimal(mean - half) + "," +
           decimal(mean + half);
}

// A time to an event of a run: the frame it happened, or -1 when the run
// ended without it.
using EventFrame = std::function<int64_t(const RunSummary&)>;

int64_t firstExtinctionOf(const RunSummary& r) { return r.firstExtinction; }
int64_t untilFrameOf(const RunSummary& r) { return r.untilFrame; }

// Kaplan-Meier curve of a time to an event; runs that ended without it are
// censored at their last frame (the end, or where --until stopped them).
std::vector<SurvivalStep> survivalOf(const SweepRecord& record, int64_t frames,
                                     const EventFrame& event = firstExtinctionOf)
{
    std::vector<int64_t> times, censored;
    for (const RunSummary& r : record.runs) {
        if (event(r) >= 0)
            times.push_back(event(r));
        else
            censored.push_back(r.frames);
    }
    return kaplanMeier(times, censored, frames);
}

// A measure's cell: empty where it has no value, whole numbers as such.
std::string measureCell(double value)
{
    if (std::isnan(value))
        return "";
    char text[48];
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// The runs' columns of the sweep's own measures.
std::string measureHeader(const ReportLayout& layout)
{
    std::string header;
    for (const auto& measure : layout.measures)
        header += "," + measure.first;
    return header;
}

std::string measureCells(const RunSummary& r)
{
    std::string cells;
    for (double value : r.measures)
        cells += measureCell(value) + ",";
    return cells;
}

// A time to an event of one's own: where its first() held.
EventFrame measureEvent(size_t m)
{
    return [m](const RunSummary& r) {
        return m < r.measures.size() && !std::isnan(r.measures[m])
                   ? static_cast<int64_t>(r.measures[m])
                   : int64_t{-1};
    };
}

// The share of runs censored for the first extinction: "0.620".
std::string censoredShare(const SweepRecord& record)
{
    int64_t censored = 0;
    for (const RunSummary& r : record.runs)
        censored += r.firstExtinction < 0 ? 1 : 0;
    return decimal(record.runs.empty() ? 0.0 : static_cast<double>(censored) / record.runs.size());
}

double survivalValue(const SurvivalStep& step)
{
    if (!step.exact)
        return step.survival;
    return step.denominator > 0 ? static_cast<double>(step.numerator) / step.denominator : 0.0;
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
        {"first_extinction_or_end",
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

// Opens the run in the web page: its record and seed, as the page's share
// links carry them (relative to the folder the page is in).
constexpr char pageLink[] = "tovrine.html#record=";

void writeRuns(CsvFile& csv, const std::vector<SweepRecord>& records, const ReportLayout& layout)
{
    // With --until, the frame where it held: empty for a run that reached
    // --frames without it.
    const bool until = !layout.until.empty();
    csv.line(pointHeader(layout) + ",seed,frames," + (until ? "until_frame," : "") +
             "civilizations,extinctions,first_extinction,"
             "mean_population,lowest_population,highest_population,food_at_end" +
             measureHeader(layout) + ",link");
    for (const SweepRecord& record : records)
        for (size_t i = 0; i < record.runs.size(); ++i) {
            const RunSummary& r = record.runs[i];
            const std::string untilCell =
                !until ? "" : (r.untilFrame < 0 ? "" : std::to_string(r.untilFrame)) + ",";
            csv.line(pointColumns(record) + "," + std::to_string(record.seeds[i]) + "," +
                     std::to_string(r.frames) + "," + untilCell + std::to_string(r.civilizations) +
                     "," + std::to_string(r.extinctions) + "," +
                     (r.firstExtinction < 0 ? "" : std::to_string(r.firstExtinction)) + "," +
                     decimal(r.meanPopulation) + "," + std::to_string(r.lowestPopulation) + "," +
                     std::to_string(r.highestPopulation) + "," + std::to_string(r.foodAtEnd) + "," +
                     measureCells(r) + pageLink + record.pageRecord +
                     "&seed=" + std::to_string(record.seeds[i]));
        }
}

void writeRecords(CsvFile& csv, const std::vector<SweepRecord>& records, const ReportLayout& layout)
{
    std::string header =
        pointHeader(layout) + ",runs,runs_died_out,first_extinction_censored_share";
    for (const Measure& m : measures())
        header += std::string(",") + m.column + "_q1," + m.column + "_median," + m.column + "_q3";
    csv.line(header);
    for (const SweepRecord& record : records) {
        int64_t diedOut = 0;
        for (const RunSummary& r : record.runs)
            diedOut += r.firstExtinction >= 0 ? 1 : 0;
        std::string line = pointColumns(record) + "," + std::to_string(record.runs.size()) + "," +
                           std::to_string(diedOut) + "," + censoredShare(record);
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

// design.csv's cells of a measure of one's own.
std::string measureSummary(const SweepRecord& record, size_t m, const ReportLayout& layout)
{
    if (layout.measures[m].second) {
        const std::vector<SurvivalStep> steps = survivalOf(record, layout.frames, measureEvent(m));
        int64_t censored = 0;
        for (const RunSummary& r : record.runs)
            censored += measureEvent(m)(r) < 0 ? 1 : 0;
        const int64_t median = medianTime(steps);
        return decimal(record.runs.empty() ? 0.0
                                           : static_cast<double>(censored) / record.runs.size()) +
               "," + (median < 0 ? std::string() : std::to_string(median)) + "," +
               decimal(restrictedMean(steps, layout.frames));
    }
    std::vector<double> values;
    for (const RunSummary& r : record.runs)
        if (m < r.measures.size() && !std::isnan(r.measures[m]))
            values.push_back(r.measures[m]);
    return std::to_string(values.size()) + "," + spread(values, levelOf(layout));
}

// Per design point across its seeds: mean, sd and 95 % interval of each
// measure, and the survival of the first extinction.
void writeDesign(CsvFile& csv, const std::vector<SweepRecord>& records, const ReportLayout& layout)
{
    const std::string level = levelName(layout);
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
    // The time to the first extinction as survival analysis gives it: the
    // share of runs censored, the median and the restricted mean up to
    // --frames (the area under the Kaplan-Meier curve); the same of the
    // frame where --until held, with a sweep that has one.
    const bool until = !layout.until.empty();
    std::string header = pointHeader(layout) +
                         ",runs,runs_died_out,first_extinction_censored_share,"
                         "first_extinction_median,first_extinction_restricted_mean,"
                         "survival_at_end";
    if (until)
        header += ",runs_until_met,until_frame_median,until_frame_restricted_mean";
    // The sweep's own measures: a time to an event as the first extinction
    // is; any other as the figures below, over the runs that have a value.
    for (const auto& [name, timed] : layout.measures)
        header +=
            timed ? "," + name + "_censored_share," + name + "_median," + name + "_restricted_mean"
                  : "," + name + "_runs," + name + "_mean," + name + "_sd," + name + "_" + level +
                        "_low," + name + "_" + level + "_high";
    for (const Figure& f : figures)
        header += std::string(",") + f.column + "_mean," + f.column + "_sd," + f.column + "_" +
                  level + "_low," + f.column + "_" + level + "_high";
    csv.line(header);
    for (const SweepRecord& record : records) {
        int64_t diedOut = 0;
        for (const RunSummary& r : record.runs)
            diedOut += r.firstExtinction >= 0 ? 1 : 0;
        const std::vector<SurvivalStep> steps = survivalOf(record, layout.frames);
        // The median time to the first extinction: empty while over half live on.
        const int64_t median = medianTime(steps);
        std::string line = pointColumns(record) + "," + std::to_string(record.runs.size()) + "," +
                           std::to_string(diedOut) + "," + censoredShare(record) + "," +
                           (median < 0 ? std::string() : std::to_string(median)) + "," +
                           decimal(restrictedMean(steps, layout.frames)) + "," +
                           decimal(survivalValue(steps.back()));
        if (until) {
            const std::vector<SurvivalStep> met = survivalOf(record, layout.frames, untilFrameOf);
            int64_t metRuns = 0;
            for (const RunSummary& r : record.runs)
                metRuns += r.untilFrame >= 0 ? 1 : 0;
            const int64_t metMedian = medianTime(met);
            line += "," + std::to_string(metRuns) + "," +
                    (metMedian < 0 ? std::string() : std::to_string(metMedian)) + "," +
                    decimal(restrictedMean(met, layout.frames));
        }
        for (size_t m = 0; m < layout.measures.size(); ++m)
            line += "," + measureSummary(record, m, layout);
        for (const Figure& f : figures) {
            std::vector<double> values;
            for (const RunSummary& r : record.runs)
                values.push_back(f.value(r));
            line += "," + spread(values, levelOf(layout));
        }
        csv.line(line);
    }
}

void writeSurvival(CsvFile& csv, const std::vector<SweepRecord>& records,
                   const ReportLayout& layout)
{
    const std::string level = levelName(layout);
    const double z = normalQuantile(levelOf(layout));
    csv.line(pointHeader(layout) + ",frame,at_risk,died_out,censored,survival," + level + "_low," +
             level + "_high");
    for (const SweepRecord& record : records)
        for (const SurvivalStep& s : survivalOf(record, layout.frames)) {
            // Greenwood's variance, the band cut to what a share can be.
            const double survival = survivalValue(s);
            const double half = z * survival * std::sqrt(s.greenwood);
            csv.line(pointColumns(record) + "," + std::to_string(s.frame) + "," +
                     std::to_string(s.atRisk) + "," + std::to_string(s.died) + "," +
                     std::to_string(s.censored) + "," + decimal(survival) + "," +
                     decimal(std::max(0.0, survival - half)) + "," +
                     decimal(std::min(1.0, survival + half)));
        }
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
    // Runs that --until ended have no figures after: the quartiles of a
    // frame are those of the runs still going, and a column counts them.
    const bool until = !layout.until.empty();
    csv.line(pointHeader(layout) + ",frame,q1,median,q3" + (until ? ",runs" : ""));
    for (const SweepRecord& record : records) {
        size_t samples = 0;
        for (const RunSummary& r : record.runs)
            samples = std::max(samples, r.populationSamples.size());
        for (size_t s = 0; s < samples; ++s) {
            std::vector<double> values;
            for (const RunSummary& r : record.runs)
                if (s < r.populationSamples.size())
                    values.push_back(double(r.populationSamples[s]));
            const Quartiles q = quartilesOf(values);
            const int64_t frame = static_cast<int64_t>(s) * every;
            if (frame > frames)
                break;
            csv.line(pointColumns(record) + "," + std::to_string(frame) + "," + decimal(q.q1) +
                     "," + decimal(q.median) + "," + decimal(q.q3) +
                     (until ? "," + std::to_string(values.size()) : ""));
        }
    }
}

void writeLifetimes(CsvFile& csv, const std::vector<SweepRecord>& records,
                    const ReportLayout& layout)
{
    csv.line(pointHeader(layout) + ",seed,civilization,born,lifetime,died_out");
    for (const SweepRecord& record : records)
        for (size_t i = 0; i < record.runs.size(); ++i) {
            const std::vector<CivilizationLife>& lives = record.runs[i].lives;
            const std::string columns = pointColumns(record);
            for (size_t c = 0; c < lives.size(); ++c)
                csv.line(columns + "," + std::to_string(record.seeds[i]) + "," +
                         std::to_string(c + 1) + "," + std::to_string(lives[c].born) + "," +
                         std::to_string(lives[c].lifetime) + "," + (lives[c].ended ? "1" : "0"));
        }
}

}  // namespace

double studentTQuantile(double level, int64_t df)
{
    if (df < 1)
        return 0;
    const boost::math::students_t distribution(static_cast<double>(df));
    return boost::math::quantile(distribution, 0.5 + level / 2);
}

std::vector<SurvivalStep> kaplanMeier(std::vector<int64_t> eventFrames,
                                      std::vector<int64_t> censoredFrames, int64_t lastFrame)
{
    std::sort(eventFrames.begin(), eventFrames.end());
    std::sort(censoredFrames.begin(), censoredFrames.end());
    std::vector<SurvivalStep> steps;
    const int64_t runs = static_cast<int64_t>(eventFrames.size() + censoredFrames.size());
    SurvivalStep now{0, runs, 0, 0, 1, 1, true, 1.0, 0.0};
    size_t e = 0, c = 0;
    auto count = [](const std::vector<int64_t>& frames, size_t& i, int64_t frame) {
        int64_t n = 0;
        for (; i < frames.size() && frames[i] == frame; ++i)
            ++n;
        return n;
    };
    auto step = [&](int64_t frame) {
        now.frame = frame;
        now.died = count(eventFrames, e, frame);
        now.censored = count(censoredFrames, c, frame);
        if (now.atRisk > 0 && now.died > 0) {
            now.survival *= static_cast<double>(now.atRisk - now.died) / now.atRisk;
            // S *= (n - d) / n in whole numbers, reduced each step, while they hold it.
            int64_t numerator = 0, denominator = 0;
            now.exact = now.exact &&
                        !__builtin_mul_overflow(now.numerator, now.atRisk - now.died, &numerator) &&
                        !__builtin_mul_overflow(now.denominator, now.atRisk, &denominator);
            if (now.exact) {
                const int64_t common = std::gcd(numerator, denominator);
                now.numerator = numerator / (common == 0 ? 1 : common);
                now.denominator = denominator / (common == 0 ? 1 : common);
            }
            if (now.atRisk > now.died)
                now.greenwood += static_cast<double>(now.died) /
                                 (static_cast<double>(now.atRisk) * (now.atRisk - now.died));
        }
        steps.push_back(now);
        now.atRisk -= now.died + now.censored;
    };
    step(0);
    while (e < eventFrames.size() || c < censoredFrames.size()) {
        const int64_t next = std::min(e < eventFrames.size() ? eventFrames[e] : INT64_MAX,
                                      c < censoredFrames.size() ? censoredFrames[c] : INT64_MAX);
        step(next);
    }
    if (steps.back().frame < lastFrame)
        step(lastFrame);
    return steps;
}

std::vector<SurvivalStep> kaplanMeier(std::vector<int64_t> eventFrames, int64_t runs,
                                      int64_t lastFrame)
{
    const size_t censored = static_cast<size_t>(runs) - eventFrames.size();
    return kaplanMeier(std::move(eventFrames), std::vector<int64_t>(censored, lastFrame),
                       lastFrame);
}

int64_t medianTime(const std::vector<SurvivalStep>& steps)
{
    for (const SurvivalStep& s : steps)
        if (s.died > 0 && (s.exact ? 2 * s.numerator <= s.denominator : s.survival <= 0.5))
            return s.frame;
    return -1;
}

double restrictedMean(const std::vector<SurvivalStep>& steps, int64_t horizon)
{
    double area = 0;
    for (size_t i = 0; i < steps.size() && steps[i].frame < horizon; ++i) {
        const int64_t end = i + 1 < steps.size() ? std::min(steps[i + 1].frame, horizon) : horizon;
        area += survivalValue(steps[i]) * static_cast<double>(end - steps[i].frame);
    }
    return area;
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
        CsvFile csv(directory + "/" + name);
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
