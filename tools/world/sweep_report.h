// The files a sweep leaves: every run, every algorithm across its seeds, the
// population band over time and the civilizations' lives. Written only from
// the finished runs in their fixed order, so the number of processes never
// shows in them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/world/run_summary.h"

// One design point: an algorithm with one value of each varied field.
struct SweepRecord {
    std::string name;             // the algorithm's name, made unique within the sweep
    std::string source;           // "preset N" or the record file
    int64_t number = 0;           // the design file's row, from 1; 0 for a grid
    std::string pageRecord;       // the record as the web page's link carries it
    std::vector<int64_t> values;  // of the varied fields, in their order
    std::vector<uint32_t> seeds;
    std::vector<RunSummary> runs;  // one per seed, in seed order
};

struct ReportLayout {
    std::vector<std::string> fields;  // the varied fields: a column each
    bool numbered = false;            // a "point" column: the design file's row
    std::string ciText = "95";        // the intervals' level in percent
    int64_t frames = 0;
    int64_t every = 1;        // population band step
    int64_t sampleEvery = 0;  // 0: no samples.csv
    std::string until;        // the sweep's --until; empty when runs went to --frames
    // The sweep's --measure names, each true for a time to an event.
    std::vector<std::pair<std::string, bool>> measures;
};

// The report's files: runs.csv, records.csv, design.csv, survival.csv,
// population.csv, lifetimes.csv and, when sampled, samples.csv.
std::vector<std::string> reportFileNames();

// Writes them into `directory`, each under a temporary name renamed when
// all are complete. False with `error` set when one cannot be written.
bool writeSweepReport(const std::string& directory, const std::vector<SweepRecord>& records,
                      const ReportLayout& layout, std::string& error);

// The quantile of Student's t with `df` degrees of freedom that leaves
// (1 - level) / 2 above it: the half-width factor of a two-sided interval at
// `level` (0.95 for 95 %).
double studentTQuantile(double level, int64_t df);

// The Kaplan-Meier curve of a time to an event: at frame 0, at each frame
// where runs had the event or were censored (runs that ended without it,
// still at risk at that frame) and at the last frame, how many were at risk,
// had it and were censored. Survival is kept as an exact fraction while the
// whole numbers hold it, so a curve that reaches one half is exactly one half.
struct SurvivalStep {
    int64_t frame;
    int64_t atRisk;
    int64_t died;
    int64_t censored;
    int64_t numerator;  // survival = numerator / denominator, when exact
    int64_t denominator;
    bool exact;
    double survival;
    double greenwood;  // sum of died / (atRisk (atRisk - died)) so far
};
std::vector<SurvivalStep> kaplanMeier(std::vector<int64_t> eventFrames,
                                      std::vector<int64_t> censoredFrames, int64_t lastFrame);
// Every run without the event censored at the last frame.
std::vector<SurvivalStep> kaplanMeier(std::vector<int64_t> eventFrames, int64_t runs,
                                      int64_t lastFrame);

// The median time: the first frame where survival is at or below one half;
// -1 while more than half still live.
int64_t medianTime(const std::vector<SurvivalStep>& steps);

// The restricted mean time to the event up to `horizon`: the area under the
// curve from frame 0 to the horizon, which every run's time, censored or
// not, bounds.
double restrictedMean(const std::vector<SurvivalStep>& steps, int64_t horizon);
