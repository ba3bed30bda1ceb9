#include "tools/world/runner_options.h"

#include <cstdlib>
#include <cstring>

#include "host/record_file.h"
#include "host/whole_number.h"
#include "tools/world/argument_loop.h"

namespace {

constexpr int32_t largestDisplaySide = 8192;

bool takeNumber(const char* name, const char* text, int64_t low, int64_t high, int64_t& value,
                std::string& error)
{
    if (parseWholeNumber(text, low, high, value))
        return true;
    error = std::string(name) + " wants a whole number from " + std::to_string(low) + " to " +
            std::to_string(high) + ", not \"" + text + "\"";
    return false;
}

bool takeOption(const std::string& name, const char* value, RunnerOptions& options,
                std::string& error)
{
    int64_t number = 0;
    if (name == "--preset") {
        if (!takeNumber("--preset", value, 0, presetCount - 1, number, error))
            return false;
        options.preset = static_cast<int32_t>(number);
    } else if (name == "--record") {
        if (*value == '\0') {
            error = "--record wants a file name";
            return false;
        }
        options.recordPath = value;
    } else if (name == "--seed") {
        if (!takeNumber("--seed", value, 0, UINT32_MAX, number, error))
            return false;
        options.seed = static_cast<uint32_t>(number);
    } else if (name == "--frames") {
        if (!takeNumber("--frames", value, 0, INT32_MAX, number, error))
            return false;
        options.frames = number;
    } else if (name == "--png") {
        if (*value == '\0') {
            error = "--png wants a directory";
            return false;
        }
        options.pngDirectory = value;
    } else if (name == "--csv") {
        if (*value == '\0') {
            error = "--csv wants a file name";
            return false;
        }
        options.csvPath = value;
    } else if (name == "--set") {
        FieldSetting setting;
        if (!parseFieldSetting(value, setting, error) ||
            !addFieldSetting(options.sets, setting, error))
            return false;
    } else if (name == "--until") {
        if (!parseStopCondition(value, options.until, error))
            return false;
    } else if (name == "--every") {
        if (!takeNumber("--every", value, 1, INT32_MAX, number, error))
            return false;
        options.every = number;
        options.everyGiven = true;
    }
    return true;
}

bool takesValue(const std::string& name)
{
    return name == "--preset" || name == "--record" || name == "--seed" || name == "--frames" ||
           name == "--png" || name == "--every" || name == "--csv" || name == "--set" ||
           name == "--until";
}

}  // namespace

std::string runnerUsage()
{
    return "usage: tovrine-world [--preset N | --record FILE] [--seed S] [--frames N] [--stats]\n"
           "                     [--png DIR] [--every K] [--bench] [--walk-food]\n"
           "                     [--csv FILE] [--no-draw] [--set FIELD=VALUE]...\n"
           "                     [--until CONDITION]\n"
           "  --preset N     built-in algorithm 0 to 6 (default 0)\n"
           "  --record FILE  a stored 128-byte settings record (tovrine-record makes one)\n"
           "  --seed S       random seed, 0 to 4294967295 (default 1)\n"
           "  --frames N     frames to run (default 1000)\n"
           "  --stats        one line after set-up and after every frame:\n"
           "                 frame vobs history peak food remains whirls strengthSum xSum ySum\n"
           "  --png DIR      save every K-th frame as DIR/frame-NNNNNN.png\n"
           "  --every K      the K of --png (default 100)\n"
           "  --bench        milliseconds per frame (mean, min, max): whole, simulation,\n"
           "                 drawing and processor time; memory; the last figures\n"
           "  --walk-food    Vobs find food by walking the food list (the reference the\n"
           "                 index is checked against); the figures stay the same\n"
           "  --csv FILE     one row per frame with a header: the figures of --stats, then\n"
           "                 civilizations so far, births and deaths in the frame and the\n"
           "                 mean strength; '-' writes it to standard output\n"
           "  --no-draw      advance the world without a display: no pixels are made and\n"
           "                 no bitmap is needed (a sweep of the presets runs about ten\n"
           "                 times faster); the figures stay the same\n"
           "  --set F=V      field F of the record becomes V (tovrine-record fields lists\n"
           "                 them and their ranges); may be given for several fields\n"
           "  --until C      end the run at the first frame (0 included) where C holds,\n"
           "                 or at --frames: extinction (no Vob left), population>=N,\n"
           "                 population<=N or frame=N; says on standard error where\n";
}

bool parseRunnerArguments(int argc, const char* const* argv, RunnerOptions& options,
                          std::string& error)
{
    bool presetGiven = false;
    ArgumentRules rules;
    // Only --set may come again (for other fields).
    rules.mayRepeat = [](const std::string& name) { return name == "--set"; };
    rules.switches = {{"--stats", &options.stats},        {"--bench", &options.bench},
                      {"--walk-food", &options.walkFood}, {"--no-draw", &options.noDraw},
                      {"--help", &options.help},          {"-h", &options.help}};
    rules.hasValue = takesValue;
    rules.readValue = [&](const std::string& name, const char* value, std::string& fault) {
        presetGiven = presetGiven || name == "--preset";
        return takeOption(name, value, options, fault);
    };
    if (!readArguments(argc, argv, rules, error))
        return false;
    if (presetGiven && !options.recordPath.empty()) {
        error = "--preset and --record exclude each other";
        return false;
    }
    if (options.noDraw && !options.pngDirectory.empty()) {
        error = "--no-draw leaves nothing for --png to save";
        return false;
    }
    if (options.csvPath == "-" && options.stats) {
        error = "--csv - and --stats both write to standard output";
        return false;
    }
    if (options.everyGiven && options.pngDirectory.empty()) {
        error = "--every needs --png";
        return false;
    }
    return true;
}

bool loadRunnerRecord(const RunnerOptions& options, OptionsRecord& record, std::string& error)
{
    if (options.recordPath.empty())
        record = presetAlgorithms[options.preset];
    else if (!loadStoredRecord(options.recordPath, record, error))
        return false;
    applyFieldSettings(record, options.sets);
    return options.sets.empty() || checkStrengthRules(record, error);
}

bool loadStoredRecord(const std::string& path, OptionsRecord& record, std::string& error)
{
    std::string bytes;
    if (!readRecordFileStart(path, bytes, error))
        return false;
    if (bytes.size() != optionsRecordSize) {
        error = "record file \"" + path + "\" is " +
                (bytes.size() > optionsRecordSize ? "longer than"
                                                  : std::to_string(bytes.size()) + " bytes, not") +
                " " + std::to_string(optionsRecordSize) +
                " bytes: not a whole settings record, which the saver would not load";
        return false;
    }
    OptionsRecord stored;
    std::memcpy(&stored, bytes.data(), optionsRecordSize);
    if (!hasCurrentFormatVersion(stored)) {
        error = "record file \"" + path +
                "\" does not end in the format tag of this saver's records (the double 1.2), "
                "so the configuration would replace it as foreign";
        return false;
    }
    record = stored;
    return true;
}

bool checkDisplayMode(const OptionsRecord& record, std::string& error)
{
    std::string mode = std::to_string(record.screenWidth) + " x " +
                       std::to_string(record.screenHeight) + " x " +
                       std::to_string(record.screenDepth);
    if (record.screenWidth < 1 || record.screenWidth > largestDisplaySide ||
        record.screenHeight < 1 || record.screenHeight > largestDisplaySide) {
        error = "display " + mode + ": width and height must be 1 to " +
                std::to_string(largestDisplaySide);
        return false;
    }
    if (record.screenDepth != 16 && record.screenDepth != 32) {
        error = "display " + mode + ": only 16 and 32 bits per pixel can be drawn here";
        return false;
    }
    return true;
}
