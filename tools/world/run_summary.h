// What a sweep keeps of one run: a few figures, the civilizations' lives and
// the population at evenly spaced frames, read from the run's CSV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/stop_condition.h"

struct CivilizationLife {
    int64_t born = 0;      // frame of its birth (0: built with the world)
    int64_t lifetime = 0;  // frames until it died out, or until the run ended
    bool ended = false;    // false when it was still alive at the end
};

struct RunSummary {
    int64_t frames = 0;       // the last frame run
    int64_t untilFrame = -1;  // where the sweep's --until held; -1 when it never did
    int64_t civilizations = 0;
    int64_t extinctions = 0;
    int64_t firstExtinction = -1;  // frame; -1 when the run never died out
    double meanPopulation = 0;     // over frames fromFrame to the last
    int64_t populationTotal = 0;   // its sum, kept so that a stored summary is exact
    int64_t lowestPopulation = 0;
    int64_t highestPopulation = 0;
    int64_t foodAtEnd = 0;
    std::vector<CivilizationLife> lives;
    std::vector<int64_t> populationSamples;  // at frames 0, every, 2 every, ...
    std::vector<std::string> sampledRows;    // the CSV's rows every sampleEvery frames
    std::vector<double> measures;            // of the sweep's --measure, NaN where none
};

// What a summary keeps besides the run's own figures.
struct SummaryChoice {
    int64_t frames = 0;  // the CSV runs from frame 0 to this one, or to where `until` held
    StopCondition until;
    std::vector<std::string> measures;  // --measure expressions
    int64_t every = 1;                  // population band step
    int64_t fromFrame = 1;              // population figures from this frame on
    int64_t sampleEvery = 0;            // 0: no rows kept
};

// Reads a CSV of tovrine-world --csv, which must run from frame 0 to
// choice.frames, or to the first frame that meets choice.until. False with
// `error` set for a file that is missing, short, longer or malformed.
bool summarizeRunCsv(const std::string& path, const SummaryChoice& choice, RunSummary& summary,
                     std::string& error);

// A summary as a small text file (written under a temporary name and
// renamed), so that a resumed or sharded sweep reads back exactly what a
// run gave. False with `error` set.
bool storeRunSummary(const std::string& path, const RunSummary& summary, std::string& error);
bool loadRunSummary(const std::string& path, RunSummary& summary, std::string& error);

// The sampling step that keeps a run to at most `points` + 1 samples.
int64_t sampleStep(int64_t frames, int64_t points);

// Quartiles by linear interpolation between the sorted values (the usual
// "type 7"): q1, median, q3. All zero for no values.
struct Quartiles {
    double q1 = 0;
    double median = 0;
    double q3 = 0;
};
Quartiles quartilesOf(std::vector<double> values);
