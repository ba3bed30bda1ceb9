#include "tools/world/sweep_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include <algorithm>

#include "host/whole_number.h"
#include "settings/options_record.h"
#include "settings/record_fields.h"
#include "run/world_figures.h"
#include "tools/world/argument_loop.h"
#include "tools/world/figure_measure.h"

namespace {

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
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
            addSubject(options, SweepSubject{i, "", ""});
        return true;
    }
    for (const std::string& word : splitCommas(value)) {
        int32_t preset = presetByWord(word);
        if (preset < 0) {
            error = "unknown preset \"" + word +
                    "\"; the presets are 'all' or, by number or name:" + presetList();
            return false;
        }
        addSubject(options, SweepSubject{preset, "", ""});
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

// FIELD=FIRST:LAST:STEP or FIELD=A,B,C.
bool takeVaried(const std::string& text, SweepOptions& options, std::string& error)
{
    const size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    if (equals == std::string::npos || name.empty()) {
        error = "--vary wants FIELD=FIRST:LAST:STEP or FIELD=A,B,C, not \"" + text + "\"";
        return false;
    }
    const std::string values = text.substr(equals + 1);
    VariedField varied{name, {}};
    auto value = [&](const std::string& word, int64_t& number) {
        FieldSetting setting;
        if (!parseFieldSetting(name + "=" + word, setting, error))
            return false;
        if (name == nameFieldName) {
            error = "--vary takes whole-number fields, not " + name;
            return false;
        }
        number = setting.number;
        return true;
    };
    if (values.find(':') != std::string::npos) {
        std::vector<std::string> parts;
        size_t start = 0;
        for (size_t colon; (colon = values.find(':', start)) != std::string::npos;
             start = colon + 1)
            parts.push_back(values.substr(start, colon - start));
        parts.push_back(values.substr(start));
        int64_t first = 0, last = 0, step = 0;
        if (parts.size() != 3 || !value(parts[0], first) || !value(parts[1], last) ||
            !parseWholeNumber(parts[2].c_str(), 1, INT32_MAX, step)) {
            if (error.empty() || parts.size() == 3)
                error = "--vary " + text +
                        ": FIRST:LAST:STEP wants two values of the field and a step of 1 or more" +
                        (error.empty() ? "" : " (" + error + ")");
            return false;
        }
        if (last < first) {
            error = "--vary " + text + " is reversed: it holds no value";
            return false;
        }
        for (int64_t v = first; v <= last; v += step) {
            if (varied.values.size() >= static_cast<size_t>(largestSweep)) {
                error = "--vary " + text + " holds more values than a sweep takes";
                return false;
            }
            varied.values.push_back(v);
        }
    } else {
        for (const std::string& word : splitCommas(values)) {
            int64_t number = 0;
            if (!value(word, number))
                return false;
            for (int64_t known : varied.values)
                if (known == number) {
                    error = "--vary " + text + " names " + word + " twice";
                    return false;
                }
            varied.values.push_back(number);
        }
    }
    for (const VariedField& known : options.varied)
        if (known.name == name) {
            error = name + " is varied twice";
            return false;
        }
    options.varied.push_back(varied);
    return true;
}

// The columns of the tables a measure may not take as its name.
bool takenColumn(const std::string& name)
{
    for (const char* known :
         {"name", "source", "point", "seed", "frames", "until_frame", "civilizations",
          "extinctions", "first_extinction", "mean_population", "lowest_population",
          "highest_population", "food_at_end", "link", "runs", "runs_died_out"})
        if (name == known)
            return true;
    return false;
}

// NAME=EXPRESSION: a name of lower-case letters, digits and _, and a
// measure over the CSV's columns.
bool takeMeasure(const std::string& text, SweepOptions& options, std::string& error)
{
    const size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    bool wellNamed = !name.empty() && std::islower(static_cast<unsigned char>(name[0]));
    for (char c : name)
        wellNamed = wellNamed && (std::islower(static_cast<unsigned char>(c)) ||
                                  std::isdigit(static_cast<unsigned char>(c)) || c == '_');
    for (char c : text)
        wellNamed = wellNamed && static_cast<unsigned char>(c) >= 0x20;
    if (equals == std::string::npos || !wellNamed) {
        error = "--measure wants NAME=EXPRESSION, NAME of lower-case letters, digits and _, "
                "not \"" +
                text + "\"";
        return false;
    }
    if (takenColumn(name)) {
        error = "--measure " + name + ": the tables have a column of that name already";
        return false;
    }
    for (const NamedMeasure& known : options.measures)
        if (known.name == name) {
            error = "--measure " + name + " is given twice";
            return false;
        }
    FigureMeasure measure;
    if (!measure.parse(text.substr(equals + 1), splitCommas(csvHeader()), error)) {
        error = "--measure " + name + ": " + error;
        return false;
    }
    options.measures.push_back(
        NamedMeasure{name, text.substr(equals + 1), measure.isTimeToEvent()});
    return true;
}

// K/N: this process runs share K of N.
bool takeShard(const std::string& value, SweepOptions& options, std::string& error)
{
    const size_t slash = value.find('/');
    int64_t k = 0, n = 0;
    if (slash == std::string::npos ||
        !parseWholeNumber(value.substr(slash + 1).c_str(), 1, 100000, n) ||
        !parseWholeNumber(value.substr(0, slash).c_str(), 1, n, k)) {
        error = "--shard wants K/N with 1 <= K <= N <= 100000, not \"" + value + "\"";
        return false;
    }
    options.shard = static_cast<int32_t>(k);
    options.shards = static_cast<int32_t>(n);
    return true;
}

// A percentage above 0 and below 100 with at most two decimals: "95", "99.5".
bool takeLevel(const std::string& value, SweepOptions& options, std::string& error)
{
    const size_t dot = value.find('.');
    const std::string whole = value.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : value.substr(dot + 1);
    int64_t number = 0, part = 0;
    if (!parseWholeNumber(whole.c_str(), 1, 99, number) || fraction.size() > 2 ||
        (dot != std::string::npos && !parseWholeNumber(fraction.c_str(), 0, 99, part))) {
        error = "--ci wants a level in percent from 1 to 99.99, such as 95 or 99.5, not \"" +
                value + "\"";
        return false;
    }
    options.ciText = value;
    return true;
}

bool takeValue(const std::string& name, const std::string& value, SweepOptions& options,
               std::string& error)
{
    int64_t number = 0;
    if (name == "--ci")
        return takeLevel(value, options, error);
    if (name == "--preset")
        return takePresets(value, options, error);
    if (name == "--seeds")
        return takeSeeds(value, options, error);
    if (name == "--vary")
        return takeVaried(value, options, error);
    if (name == "--shard")
        return takeShard(value, options, error);
    if (name == "--until")
        return parseStopCondition(value, options.until, error);
    if (name == "--measure")
        return takeMeasure(value, options, error);
    if (name == "--set") {
        FieldSetting setting;
        return parseFieldSetting(value, setting, error) &&
               addFieldSetting(options.sets, setting, error);
    }
    if (name == "--frames" || name == "--jobs" || name == "--from-frame" || name == "--sample" ||
        name == "--slurm-shards" || name == "--slurm-cpus") {
        const int64_t low = name == "--from-frame" ? 0 : 1;
        const int64_t high = name == "--jobs" || name == "--slurm-cpus" ? 1024
                             : name == "--slurm-shards"                 ? 100000
                                                                        : INT32_MAX;
        if (!parseWholeNumber(value.c_str(), low, high, number)) {
            error = name + " wants a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high) + ", not \"" + value + "\"";
            return false;
        }
        if (name == "--frames")
            options.frames = number;
        else if (name == "--jobs")
            options.jobs = static_cast<int32_t>(number);
        else if (name == "--from-frame")
            options.fromFrame = number;
        else if (name == "--slurm-shards")
            options.slurmShards = static_cast<int32_t>(number);
        else if (name == "--slurm-cpus")
            options.slurmCpus = static_cast<int32_t>(number);
        else
            options.sampleEvery = number;
        return true;
    }
    if (value.empty()) {
        error = name + " wants a path";
        return false;
    }
    // The manifest keeps each argument on its line, between tabs.
    for (char c : value)
        if (static_cast<unsigned char>(c) < 0x20) {
            error = name + " takes no path with tabs, line breaks or other control characters";
            return false;
        }
    if (name == "--record")
        addSubject(options, SweepSubject{-1, value, ""});
    else if (name == "--out")
        options.outDirectory = value;
    else if (name == "--merge")
        options.mergeFrom.push_back(value);
    else if (name == "--merge-all")
        options.mergeAll = value;
    else if (name == "--design")
        options.designPath = value;
    else if (name == "--slurm")
        options.slurmPath = value;
    else if (name == "--slurm-option") {
        if (value[0] != '-') {
            error = "--slurm-option wants an option of sbatch, such as --partition=short, not \"" +
                    value + "\"";
            return false;
        }
        options.slurmOptions.push_back(value);
    } else
        options.runnerPath = value;
    return true;
}

bool takesValue(const std::string& name)
{
    for (const char* known :
         {"--preset", "--record", "--seeds",        "--frames",     "--jobs",
          "--out",    "--runner", "--set",          "--vary",       "--from-frame",
          "--sample", "--shard",  "--merge",        "--merge-all",  "--design",
          "--ci",     "--slurm",  "--slurm-shards", "--slurm-cpus", "--slurm-option",
          "--until",  "--measure"})
        if (name == known)
            return true;
    return false;
}

// Options that make lists; any other given twice is refused.
bool repeatable(const std::string& name)
{
    return name == "--preset" || name == "--record" || name == "--set" || name == "--vary" ||
           name == "--merge" || name == "--slurm-option" || name == "--measure";
}

}  // namespace

std::vector<std::string> splitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(text.substr(start, comma - start));
    parts.push_back(text.substr(start));
    return parts;
}

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
           "                     [--keep-csv] [--processes] [--runner PATH] [--set F=V]...\n"
           "                     [--vary F=...]...\n"
           "                     [--from-frame F] [--sample N] [--shard K/N]\n"
           "                     [--design FILE.csv] [--ci LEVEL] [--until CONDITION]\n"
           "                     [--measure NAME=EXPRESSION]...\n"
           "                     [--resume | --force]\n"
           "                     [--slurm FILE [--slurm-shards N] [--slurm-cpus N]\n"
           "                      [--slurm-option O]...]\n"
           "       tovrine-sweep (--merge DIR --merge DIR... | --merge-all DIR) --out DIR "
           "[--force]\n"
           "  --preset LIST  built-in algorithms: 'all', or numbers 0 to 6 or names,\n"
           "                 separated by commas (\"2,The Tovrine\")\n"
           "  --record FILE  a stored 128-byte settings record (an exported slot)\n"
           "  --seeds A-B    every seed from A to B (default 1-8)\n"
           "  --frames N     frames per run (default 2000)\n"
           "  --until C      end each run where C first holds, or at --frames:\n"
           "                 extinction, population>=N, population<=N or frame=N; runs.csv\n"
           "                 says where (until_frame), and a run ended so is complete\n"
           "  --measure NAME=EXPRESSION  (repeated) a figure of each run of one's own,\n"
           "                 a column NAME of runs.csv and design.csv: mean, min, max, sum,\n"
           "                 last, count or first over the CSV's figures, optionally over\n"
           "                 frames FROM to TO: 'mean(vobs, 1000, 5000)', 'first(food > 500)'\n"
           "                 (a time to an event, censored where it never held),\n"
           "                 'max(vobs) - min(vobs)', 'count(births > 0 and deaths > 0)'\n"
           "  --jobs N       runs at once (default: one per core)\n"
           "  --out DIR      a new or empty folder: manifest.txt, then runs.csv, records.csv,\n"
           "                 design.csv, survival.csv, population.csv and lifetimes.csv\n"
           "  --draw         draw every frame as the saver would (slower; same figures)\n"
           "  --keep-csv     keep every run's per-frame CSV in DIR/runs/\n"
           "  --processes    each run a tovrine-world process of its own, so that a run\n"
           "                 that crashes is named and said to have failed (slower);\n"
           "                 without it the runs are worlds of this process, same figures\n"
           "  --runner PATH  runs processes of this tovrine-world (another build, say)\n"
           "  --set F=V      field F of every record becomes V (tovrine-record fields)\n"
           "  --vary F=A:B:S field F from A to B in steps of S; or F=A,B,C; several\n"
           "                 --vary make a full grid, crossed with the algorithms and seeds\n"
           "  --from-frame F population figures (mean, lowest, highest) from frame F on,\n"
           "                 leaving out the start (default 1)\n"
           "  --sample N     DIR/samples.csv: every run's figures every N frames\n"
           "  --shard K/N    run only share K of N: the runs numbered i (from 0, seed by\n"
           "                 seed, every design point in turn) with i mod N = K-1\n"
           "  --design FILE  one design point per row: a header of field names (as --set\n"
           "                 takes them), then their values; instead of --vary\n"
           "  --ci LEVEL     the level of the confidence intervals in percent (default 95)\n"
           "  --merge DIR    (repeated) join the finished shards' folders into --out\n"
           "  --merge-all DIR  join every shard folder directly under DIR into --out; a\n"
           "                 missing or doubled shard is refused\n"
           "  --slurm FILE   write the sweep as a Slurm job array instead of running it\n"
           "                 ('-' prints it): 'sh FILE' submits one task per shard and a\n"
           "                 merge job into --out that runs once they have ended; shards,\n"
           "                 logs and the copies of the inputs go to OUT.shards/. When a\n"
           "                 task failed, the merge's log says which, and 'sh FILE' again\n"
           "                 runs the shards that did not finish and the merge\n"
           "  --slurm-shards N  tasks of the array (default: one per run, at most 32)\n"
           "  --slurm-cpus N    processors per task, its runs at once (default 1)\n"
           "  --slurm-option O  (repeated) an option of sbatch for both jobs, such as\n"
           "                 --partition=short or --time=2:00:00\n"
           "  --resume       finish the sweep in --out: run only what is missing\n"
           "  --force        clear the sweep in --out first\n";
}

bool parseSweepArguments(int argc, const char* const* argv, SweepOptions& options,
                         std::string& error)
{
    ArgumentRules rules;
    rules.mayRepeat = repeatable;
    rules.switches = {{"--draw", &options.draw},
                      {"--keep-csv", &options.keepCsv},
                      {"--processes", &options.processes},
                      {"--resume", &options.resume},
                      {"--force", &options.force},
                      {"--help", &options.help},
                      {"-h", &options.help}};
    rules.hasValue = takesValue;
    rules.readValue = [&options](const std::string& name, const char* value, std::string& fault) {
        return takeValue(name, value, options, fault);
    };
    if (!readArguments(argc, argv, rules, error))
        return false;
    if (options.help)
        return true;
    if (options.outDirectory.empty()) {
        error = "--out DIR is needed for the summary";
        return false;
    }
    if (!options.mergeFrom.empty() || !options.mergeAll.empty()) {
        // What to merge comes from the shards' manifests.
        if (!options.subjects.empty() || options.shards > 1 || options.resume ||
            (!options.mergeFrom.empty() && !options.mergeAll.empty())) {
            error = "--merge and --merge-all take only the shards' folders, --out and --force";
            return false;
        }
        return true;
    }
    if (options.slurmPath.empty() &&
        (options.slurmShards > 0 || options.slurmCpus != 1 || !options.slurmOptions.empty())) {
        error = "--slurm-shards, --slurm-cpus and --slurm-option shape the job array of --slurm "
                "FILE";
        return false;
    }
    if (!options.slurmPath.empty() &&
        (options.shards > 1 || options.resume || options.force || options.jobs > 0)) {
        error = "--slurm makes the shards (--slurm-shards), their processes (--slurm-cpus) "
                "and their resumption itself: no --shard, --jobs, --resume or --force beside it";
        return false;
    }
    if (!options.designPath.empty() && !options.varied.empty()) {
        error = "--design gives the design points: no --vary beside it";
        return false;
    }
    for (const VariedField& varied : options.varied)
        for (const FieldSetting& set : options.sets)
            if (set.name == varied.name) {
                error = varied.name + " is both set and varied";
                return false;
            }
    if (options.resume && options.force) {
        error = "--resume keeps what --force would clear: give one";
        return false;
    }
    if (options.fromFrame > options.frames) {
        error = "--from-frame " + std::to_string(options.fromFrame) + " is past the last frame, " +
                std::to_string(options.frames);
        return false;
    }
    if (options.subjects.empty()) {
        error = "nothing to sweep: give --preset or --record";
        return false;
    }
    const int64_t runs = sweepRunCount(options);
    if (runs < 0 || runs > largestSweep) {
        error = "a sweep of " + (runs < 0 ? std::string("so many") : std::to_string(runs)) +
                " runs is more than the " + std::to_string(largestSweep) + " one sweep takes";
        return false;
    }
    return true;
}

int64_t sweepRunCount(const SweepOptions& options)
{
    if (!options.designPath.empty())
        return (int64_t{options.lastSeed} - options.firstSeed + 1) *
               static_cast<int64_t>(options.subjects.size()) *
               static_cast<int64_t>(std::max<size_t>(options.designRows.size(), 1));
    // -1 once past the bound, so that no product overflows.
    int64_t runs = (int64_t{options.lastSeed} - options.firstSeed + 1) *
                   static_cast<int64_t>(options.subjects.size());
    for (const VariedField& varied : options.varied) {
        if (runs > largestSweep)
            return -1;
        runs *= static_cast<int64_t>(varied.values.size());
    }
    return runs;
}

std::vector<DesignPoint> designPoints(const SweepOptions& options)
{
    std::vector<DesignPoint> points;
    if (!options.designPath.empty()) {
        for (size_t subject = 0; subject < options.subjects.size(); ++subject)
            for (const std::vector<int64_t>& row : options.designRows)
                points.push_back(DesignPoint{subject, row});
        return points;
    }
    for (size_t subject = 0; subject < options.subjects.size(); ++subject) {
        std::vector<size_t> at(options.varied.size(), 0);
        while (true) {
            DesignPoint point{subject, {}};
            for (size_t f = 0; f < at.size(); ++f)
                point.values.push_back(options.varied[f].values[at[f]]);
            points.push_back(point);
            size_t f = at.size();
            while (f > 0 && ++at[f - 1] == options.varied[f - 1].values.size())
                at[--f] = 0;
            if (f == 0)
                break;
        }
    }
    return points;
}

std::vector<std::string> designArguments(const SweepOptions& options)
{
    std::vector<std::string> args;
    for (const SweepSubject& subject : options.subjects) {
        if (subject.preset >= 0)
            args.insert(args.end(), {"--preset", std::to_string(subject.preset)});
        else
            args.insert(args.end(), {"--record", subject.recordPath});
    }
    for (const FieldSetting& set : options.sets)
        args.insert(args.end(), {"--set", settingText(set)});
    for (const VariedField& varied : options.varied) {
        std::string list;
        for (int64_t value : varied.values)
            list += (list.empty() ? "" : ",") + std::to_string(value);
        args.insert(args.end(), {"--vary", varied.name + "=" + list});
    }
    if (!options.designPath.empty())
        args.insert(args.end(), {"--design", options.designPath});
    args.insert(args.end(),
                {"--seeds",
                 std::to_string(options.firstSeed) + "-" + std::to_string(options.lastSeed),
                 "--frames", std::to_string(options.frames), "--from-frame",
                 std::to_string(options.fromFrame)});
    if (options.until.kind != StopKind::never)
        args.insert(args.end(), {"--until", stopConditionText(options.until)});
    for (const NamedMeasure& measure : options.measures)
        args.insert(args.end(), {"--measure", measure.name + "=" + measure.text});
    if (options.sampleEvery > 0)
        args.insert(args.end(), {"--sample", std::to_string(options.sampleEvery)});
    if (options.ciText != "95")
        args.insert(args.end(), {"--ci", options.ciText});
    if (options.draw)
        args.push_back("--draw");
    if (options.keepCsv)
        args.push_back("--keep-csv");
    return args;
}

std::vector<std::string> pointFieldNames(const SweepOptions& options)
{
    if (!options.designPath.empty())
        return options.designFields;
    std::vector<std::string> names;
    for (const VariedField& varied : options.varied)
        names.push_back(varied.name);
    return names;
}
