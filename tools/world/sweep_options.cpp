#include "tools/world/sweep_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "host/whole_number.h"
#include "settings/options_record.h"

namespace {

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> splitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(text.substr(start, comma - start));
    parts.push_back(text.substr(start));
    return parts;
}

void addSubject(SweepOptions& options, const SweepSubject& subject)
{
    for (const SweepSubject& known : options.subjects)
        if (known.preset == subject.preset && known.recordPath == subject.recordPath)
            return;
    options.subjects.push_back(subject);
}

std::string presetList()
{
    std::string list;
    for (int32_t i = 0; i < presetCount; ++i)
        list += "\n  " + std::to_string(i) + "  " + algorithmNameText(presetAlgorithms[i]);
    return list;
}

bool takePresets(const std::string& value, SweepOptions& options, std::string& error)
{
    if (lowered(value) == "all") {
        for (int32_t i = 0; i < presetCount; ++i)
            addSubject(options, SweepSubject{i, ""});
        return true;
    }
    for (const std::string& word : splitCommas(value)) {
        int32_t preset = presetByWord(word);
        if (preset < 0) {
            error = "unknown preset \"" + word +
                    "\"; the presets are 'all' or, by number or name:" + presetList();
            return false;
        }
        addSubject(options, SweepSubject{preset, ""});
    }
    return true;
}

// FIRST-LAST, both included, or one seed alone.
bool takeSeeds(const std::string& value, SweepOptions& options, std::string& error)
{
    const std::string form = "--seeds wants FIRST-LAST or one seed, whole numbers from 0 to "
                             "4294967295";
    if (value.empty()) {
        error = "--seeds is empty: " + form;
        return false;
    }
    size_t dash = value.find('-');
    std::string first = value.substr(0, dash);
    std::string last = dash == std::string::npos ? first : value.substr(dash + 1);
    int64_t low = 0, high = 0;
    if (!parseWholeNumber(first.c_str(), 0, UINT32_MAX, low) ||
        !parseWholeNumber(last.c_str(), 0, UINT32_MAX, high)) {
        error = form + ", not \"" + value + "\"";
        return false;
    }
    if (high < low) {
        error = "--seeds " + value + " is reversed: it holds no seed (write " + last + "-" + first +
                ")";
        return false;
    }
    options.firstSeed = static_cast<uint32_t>(low);
    options.lastSeed = static_cast<uint32_t>(high);
    return true;
}

bool takeValue(const std::string& name, const std::string& value, SweepOptions& options,
               std::string& error)
{
    int64_t number = 0;
    if (name == "--preset")
        return takePresets(value, options, error);
    if (name == "--seeds")
        return takeSeeds(value, options, error);
    if (name == "--frames" || name == "--jobs") {
        const int64_t high = name == "--frames" ? INT32_MAX : 1024;
        if (!parseWholeNumber(value.c_str(), 1, high, number)) {
            error = name + " wants a whole number from 1 to " + std::to_string(high) + ", not \"" +
                    value + "\"";
            return false;
        }
        if (name == "--frames")
            options.frames = number;
        else
            options.jobs = static_cast<int32_t>(number);
        return true;
    }
    if (value.empty()) {
        error = name + " wants a path";
        return false;
    }
    if (name == "--record")
        addSubject(options, SweepSubject{-1, value});
    else if (name == "--out")
        options.outDirectory = value;
    else
        options.runnerPath = value;
    return true;
}

bool takesValue(const std::string& name)
{
    for (const char* known :
         {"--preset", "--record", "--seeds", "--frames", "--jobs", "--out", "--runner"})
        if (name == known)
            return true;
    return false;
}

}  // namespace

int32_t presetByWord(const std::string& word)
{
    int64_t number = 0;
    if (parseWholeNumber(word.c_str(), 0, presetCount - 1, number))
        return static_cast<int32_t>(number);
    for (int32_t i = 0; i < presetCount; ++i)
        if (!word.empty() && lowered(word) == lowered(algorithmNameText(presetAlgorithms[i])))
            return i;
    return -1;
}

std::string sweepUsage()
{
    return "usage: tovrine-sweep (--preset LIST | --record FILE)... --out DIR\n"
           "                     [--seeds FIRST-LAST] [--frames N] [--jobs N] [--draw]\n"
           "                     [--keep-csv] [--runner PATH]\n"
           "  --preset LIST  built-in algorithms: 'all', or numbers 0 to 6 or names,\n"
           "                 separated by commas (\"2,The Tovrine\")\n"
           "  --record FILE  a stored 128-byte settings record (an exported slot)\n"
           "  --seeds A-B    every seed from A to B (default 1-8)\n"
           "  --frames N     frames per run (default 2000)\n"
           "  --jobs N       runs at once, each its own process (default: one per core)\n"
           "  --out DIR      runs.csv, records.csv, population.csv and lifetimes.csv go here\n"
           "  --draw         draw every frame as the saver would (slower; same figures)\n"
           "  --keep-csv     keep every run's per-frame CSV in DIR/runs/\n"
           "  --runner PATH  the tovrine-world to run (default: the one beside this program)\n";
}

bool parseSweepArguments(int argc, const char* const* argv, SweepOptions& options,
                         std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--draw") {
            options.draw = true;
        } else if (name == "--keep-csv") {
            options.keepCsv = true;
        } else if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (takesValue(name)) {
            if (i + 1 >= argc) {
                error = name + " wants a value";
                return false;
            }
            if (!takeValue(name, argv[++i], options, error))
                return false;
        } else {
            error = "unknown argument \"" + name + "\"";
            return false;
        }
    }
    if (options.help)
        return true;
    if (options.subjects.empty()) {
        error = "nothing to sweep: give --preset or --record";
        return false;
    }
    if (options.outDirectory.empty()) {
        error = "--out DIR is needed for the summary";
        return false;
    }
    const int64_t runs = (int64_t{options.lastSeed} - options.firstSeed + 1) *
                         static_cast<int64_t>(options.subjects.size());
    if (runs > largestSweep) {
        error = "a sweep of " + std::to_string(runs) + " runs is more than the " +
                std::to_string(largestSweep) + " one sweep takes";
        return false;
    }
    return true;
}
