// The command line of tovrine-sweep: which algorithms, which seeds, how long.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One algorithm of a sweep: a built-in preset, or a stored record file.
struct SweepSubject {
    int32_t preset = -1;     // 0..6, or -1 for a record file
    std::string recordPath;  // set when preset is -1
};

struct SweepOptions {
    std::vector<SweepSubject> subjects;  // in the order given, repeats dropped
    uint32_t firstSeed = 1;
    uint32_t lastSeed = 8;
    int64_t frames = 2000;
    int32_t jobs = 0;  // processes at once; 0 means one per core
    std::string outDirectory;
    std::string runnerPath;  // empty: tovrine-world beside tovrine-sweep
    bool draw = false;       // runs draw their frames (for timing the drawing)
    bool keepCsv = false;    // keep each run's CSV under OUT/runs/
    bool help = false;
};

// The most runs one sweep takes: seeds times algorithms.
constexpr int64_t largestSweep = 1000000;

std::string sweepUsage();

// Parses argv[1..]. False with `error` set for an unknown argument or
// preset, a missing or malformed value, an empty or reversed seed range, or
// a sweep without algorithms or output folder. Reads no file and exits
// nothing: the caller reports.
bool parseSweepArguments(int argc, const char* const* argv, SweepOptions& options,
                         std::string& error);

// The preset a --preset word names: its number, or its name ignoring case.
// -1 when it names none.
int32_t presetByWord(const std::string& word);
