// The command line of tovrine-sweep: which algorithms, which fields over
// which values, which seeds, how long.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/stop_condition.h"
#include "tools/world/record_edit.h"

// One algorithm of a sweep: a built-in preset, or a stored record file.
struct SweepSubject {
    int32_t preset = -1;     // 0..6, or -1 for a record file
    std::string recordPath;  // set when preset is -1: the file as named, the runs' label
    std::string copyPath;    // the sweep folder's copy, which the runs read; empty before
};

// A measure of one's own (--measure): a column of runs.csv and design.csv.
struct NamedMeasure {
    std::string name;
    std::string text;
    bool timeToEvent = false;  // first(...): empty where censored
};

// A field swept over values (--vary).
struct VariedField {
    std::string name;
    std::vector<int64_t> values;
};

struct SweepOptions {
    std::vector<SweepSubject> subjects;            // in the order given, repeats dropped
    std::vector<FieldSetting> sets;                // over every subject
    std::vector<VariedField> varied;               // the grid, in the order given
    std::string designPath;                        // --design: one design point per row instead
    std::vector<std::string> designFields;         // its header, once loaded
    std::vector<std::vector<int64_t>> designRows;  // its rows, in its order
    std::string designBytes;                       // the file as read, which the folder keeps
    std::string ciText = "95";                     // --ci: the level of the intervals, in percent
    uint32_t firstSeed = 1;
    uint32_t lastSeed = 8;
    int64_t frames = 2000;
    StopCondition until;                 // --until: each run ends there, or at --frames
    std::vector<NamedMeasure> measures;  // --measure NAME=EXPRESSION, in the order given
    int64_t fromFrame = 1;               // population figures from this frame on
    int64_t sampleEvery = 0;             // 0: no samples.csv
    int32_t jobs = 0;                    // runs at once; 0 means one per core
    int32_t shard = 1;                   // this process runs share `shard` of `shards`
    int32_t shards = 1;
    std::string outDirectory;
    std::vector<std::string> mergeFrom;     // --merge: shard folders to join
    std::string mergeAll;                   // --merge-all: the folder that holds them
    std::string runnerPath;                 // empty: tovrine-world beside tovrine-sweep
    bool processes = false;                 // each run a tovrine-world process (--runner too)
    std::string slurmPath;                  // --slurm: the job array's script ("-": print it)
    int32_t slurmShards = 0;                // its tasks; 0: one per run up to 32
    int32_t slurmCpus = 1;                  // processors per task
    std::vector<std::string> slurmOptions;  // sbatch options of both jobs (--partition=...)
    bool draw = false;                      // runs draw their frames (for timing the drawing)
    bool keepCsv = false;                   // keep each run's CSV under OUT/runs/
    bool resume = false;
    bool force = false;
    bool help = false;
};

// The most runs one sweep takes: seeds times design points.
constexpr int64_t largestSweep = 1000000;

std::string sweepUsage();

// Parses argv[1..]. False with `error` set for an unknown argument or
// preset, a missing, repeated or malformed value, an empty or reversed seed
// range, a field set twice or out of its range, or a sweep without
// algorithms or output folder. Reads no file and exits nothing.
bool parseSweepArguments(int argc, const char* const* argv, SweepOptions& options,
                         std::string& error);

// "a,b,,c" as its four parts: the lists of the command line and the
// cells of a design file's line.
std::vector<std::string> splitCommas(const std::string& text);

// The preset a --preset word names: its number, or its name ignoring case.
// -1 when it names none.
int32_t presetByWord(const std::string& word);

// One cell of the grid: a subject and one value of each varied field.
struct DesignPoint {
    size_t subject = 0;
    std::vector<int64_t> values;  // in the order of options.varied
};

// Every subject crossed with every combination of the varied values; the
// last varied field changes fastest.
std::vector<DesignPoint> designPoints(const SweepOptions& options);

// The arguments that fix what a sweep computes (not how: no --jobs,
// --runner, --shard, --out), in one canonical order; parsing them gives the
// same grid. Compared by --resume and --merge.
std::vector<std::string> designArguments(const SweepOptions& options);

int64_t sweepRunCount(const SweepOptions& options);

// The fields each design point sets: the varied ones, or the design's columns.
std::vector<std::string> pointFieldNames(const SweepOptions& options);
