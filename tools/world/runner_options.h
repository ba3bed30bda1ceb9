// The command line of tovrine-world and the settings it runs with.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "run/stop_condition.h"
#include "settings/options_record.h"
#include "tools/world/record_edit.h"

struct RunnerOptions {
    int32_t preset = 0;
    std::string recordPath;  // empty: run the preset
    uint32_t seed = 1;
    int64_t frames = 1000;
    bool stats = false;
    std::string pngDirectory;  // empty: no pictures
    int64_t every = 100;
    bool everyGiven = false;
    bool bench = false;
    bool walkFood = false;  // the reference food search instead of the index
    std::string csvPath;    // empty: no CSV; "-": standard output
    bool noDraw = false;    // the same world without a display, pixels or bitmaps
    bool help = false;
    std::vector<FieldSetting> sets;  // --set, applied over the preset or record
    StopCondition until;             // --until: the run ends there, or at --frames
};

// The usage text printed with --help and after every argument error.
std::string runnerUsage();

// Parses argv[1..]. False with `error` set when an argument is unknown,
// lacks its value, or its value is malformed or out of range. Touches
// nothing but its arguments: no files, no output, no exit.
bool parseRunnerArguments(int argc, const char* const* argv, RunnerOptions& options,
                          std::string& error);

// The record the run uses: the preset, or a whole stored record file (as the
// sweep takes it), with the --set fields over it. False with `error` set.
bool loadRunnerRecord(const RunnerOptions& options, OptionsRecord& record, std::string& error);

// A record file as the saver takes one from the registry: exactly 128 bytes
// (what the store writes; the saver keeps its defaults for anything else and
// the Load page calls such a slot damaged) and of the current format version
// (the configuration replaces any other as foreign). False with `error` set.
bool loadStoredRecord(const std::string& path, OptionsRecord& record, std::string& error);

// False with `error` set when the record's display mode cannot be opened.
bool checkDisplayMode(const OptionsRecord& record, std::string& error);
