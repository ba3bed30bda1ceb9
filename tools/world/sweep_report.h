// The files a sweep leaves: every run, every algorithm across its seeds, the
// population band over time and the civilizations' lives. Written only from
// the finished runs in their fixed order, so the number of processes never
// shows in them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/world/run_summary.h"

struct SweepRecord {
    std::string name;    // the algorithm's name, made unique within the sweep
    std::string source;  // "preset N" or the record file
    std::vector<uint32_t> seeds;
    std::vector<RunSummary> runs;  // one per seed, in seed order
};

// Writes runs.csv, records.csv, population.csv and lifetimes.csv into
// `directory`. False with `error` set when one cannot be written.
bool writeSweepReport(const std::string& directory, const std::vector<SweepRecord>& records,
                      int64_t frames, int64_t sampleEvery, std::string& error);
