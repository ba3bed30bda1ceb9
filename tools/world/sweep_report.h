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
    std::vector<int64_t> values;  // of the varied fields, in their order
    std::vector<uint32_t> seeds;
    std::vector<RunSummary> runs;  // one per seed, in seed order
};

struct ReportLayout {
    std::vector<std::string> fields;  // the varied fields: a column each
    int64_t frames = 0;
    int64_t every = 1;        // population band step
    int64_t sampleEvery = 0;  // 0: no samples.csv
};

// The report's files: runs.csv, records.csv, design.csv, survival.csv,
// population.csv, lifetimes.csv and, when sampled, samples.csv.
std::vector<std::string> reportFileNames();

// Writes them into `directory`, each under a temporary name renamed when
// all are complete. False with `error` set when one cannot be written.
bool writeSweepReport(const std::string& directory, const std::vector<SweepRecord>& records,
                      const ReportLayout& layout, std::string& error);

// The two-sided 95 % quantile of Student's t with `df` degrees of freedom.
double studentT975(int64_t df);
