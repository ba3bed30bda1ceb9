// tovrine-sweep: many runs of tovrine-world, one process each, spread over
// the cores; the figures of every run and of every design point across its
// seeds, the same whatever the number of processes, shards or restarts.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/whole_number.h"
#include "settings/options_record.h"
#include "tools/world/process_pool.h"
#include "tools/world/run_summary.h"
#include "tools/world/runner_options.h"
#include "tools/world/sweep_options.h"
#include "tools/world/sweep_report.h"
#include "tovrine_version.h"

namespace fs = std::filesystem;

namespace {

// tovrine-world's convention: 1 for a failure, 2 for a bad command line.
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
// Population samples per run for the band plot.
constexpr int64_t populationPoints = 500;
constexpr char manifestName[] = "manifest.txt";
constexpr char manifestTag[] = "tovrine-sweep manifest 1";

int fail(const std::string& message)
{
    std::fprintf(stderr, "tovrine-sweep: %s\n", message.c_str());
    return exitFailure;
}

std::string runnerBesideThisProgram()
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string("tovrine-world") : (self.parent_path() / "tovrine-world").string();
}

std::string joined(const std::vector<std::string>& words, const std::string& between)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : between) + word;
    return text;
}

std::string shellQuoted(const std::string& word)
{
    if (!word.empty() &&
        word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                               "0123456789-_=+/.,:@") == std::string::npos)
        return word;
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Names every algorithm; refuses what the saver would refuse to load.
bool nameRecords(const SweepOptions& options, std::vector<OptionsRecord>& bases,
                 std::vector<SweepRecord>& records, std::string& error)
{
    for (const SweepSubject& subject : options.subjects) {
        SweepRecord record;
        OptionsRecord stored;
        if (subject.preset >= 0) {
            stored = presetAlgorithms[subject.preset];
            record.source = "preset " + std::to_string(subject.preset);
        } else {
            if (!loadStoredRecord(subject.recordPath, stored, error))
                return false;
            record.source = subject.recordPath;
        }
        applyFieldSettings(stored, options.sets);
        record.name = algorithmNameText(stored);
        if (record.name.empty())
            record.name = fs::path(record.source).filename().string();
        records.push_back(record);
        bases.push_back(stored);
    }
    // A file that shares its name with another algorithm (often a copy of a
    // preset under its name) is told apart by its file; presets keep theirs.
    std::vector<std::string> names;
    for (const SweepRecord& record : records)
        names.push_back(record.name);
    for (size_t i = 0; i < records.size(); ++i) {
        const bool shared = std::count(names.begin(), names.end(), names[i]) > 1;
        if (shared && options.subjects[i].preset < 0)
            records[i].name += " (" + options.subjects[i].recordPath + ")";
    }
    return true;
}

std::vector<FieldSetting> pointSettings(const SweepOptions& options, const DesignPoint& point)
{
    std::vector<FieldSetting> settings;
    for (size_t f = 0; f < options.varied.size(); ++f)
        settings.push_back(FieldSetting{options.varied[f].name, point.values[f], ""});
    return settings;
}

// Every design point, refused before any run when the pages would refuse it.
bool expandGrid(const SweepOptions& options, std::vector<SweepRecord>& points, std::string& error)
{
    std::vector<OptionsRecord> bases;
    std::vector<SweepRecord> subjects;
    if (!nameRecords(options, bases, subjects, error))
        return false;
    for (const DesignPoint& point : designPoints(options)) {
        OptionsRecord record = bases[point.subject];
        const std::vector<FieldSetting> settings = pointSettings(options, point);
        applyFieldSettings(record, settings);
        if ((!options.sets.empty() || !settings.empty()) && !checkStrengthRules(record, error)) {
            std::vector<std::string> words;
            for (const FieldSetting& setting : settings)
                words.push_back(settingText(setting));
            error = subjects[point.subject].name + (words.empty() ? "" : " with ") +
                    joined(words, ", ") + ": " + error;
            return false;
        }
        if (!checkDisplayMode(record, error))
            return false;
        SweepRecord cell = subjects[point.subject];
        cell.values = point.values;
        points.push_back(cell);
    }
    return true;
}

struct Job {
    size_t index;  // in the whole sweep
    size_t point;
    uint32_t seed;
    std::string stem;  // runs/run-P-seed-S
    const char* state = "pending";
};

// Seed by seed, every design point in turn: slow and fast algorithms mix
// from the start, which keeps the estimate of the time left honest. Shard
// K of N takes the runs whose index leaves K-1 divided by N.
std::vector<Job> jobsOf(const SweepOptions& options, size_t points)
{
    std::vector<Job> jobs;
    size_t index = 0;
    for (int64_t seed = options.firstSeed; seed <= options.lastSeed; ++seed)
        for (size_t p = 0; p < points; ++p, ++index) {
            if (static_cast<int64_t>(index % options.shards) != options.shard - 1)
                continue;
            Job job{index, p, static_cast<uint32_t>(seed), ""};
            job.stem = "run-" + std::to_string(p) + "-seed-" + std::to_string(seed);
            jobs.push_back(job);
        }
    return jobs;
}

struct Manifest {
    std::string design;
    std::string shard = "1/1";
    std::string state;
};

bool readManifest(const fs::path& path, Manifest& manifest)
{
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line != manifestTag)
        return false;
    while (std::getline(in, line)) {
        const size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "design")
            manifest.design = value;
        else if (key == "shard")
            manifest.shard = value;
        else if (key == "state")
            manifest.state = value;
    }
    return !manifest.design.empty();
}

class ManifestWriter {
public:
    ManifestWriter(const std::string& directory, const SweepOptions& options,
                   const std::string& command)
        : path_((fs::path(directory) / manifestName).string()), options_(options), command_(command)
    {
    }

    // Throttled while runs end, so that a long sweep does not spend its
    // time rewriting it; `now` writes at once.
    bool write(const std::vector<Job>& jobs, const std::string& state, bool now, std::string& error)
    {
        const auto time = std::chrono::steady_clock::now();
        if (!now && time - last_ < std::chrono::seconds(1))
            return true;
        last_ = time;
        size_t done = 0;
        for (const Job& job : jobs)
            done += std::string(job.state) == "done" ? 1 : 0;
        const std::string partial = path_ + ".partial";
        std::ofstream out(partial, std::ios::trunc);
        out << manifestTag << "\n"
            << "version " << TOVRINE_VERSION_TEXT << "\n"
            << "command " << command_ << "\n"
            << "design " << joined(designArguments(options_), "\t") << "\n"
            << "seeds " << options_.firstSeed << "-" << options_.lastSeed << "\n";
        for (const VariedField& varied : options_.varied) {
            std::vector<std::string> values;
            for (int64_t value : varied.values)
                values.push_back(std::to_string(value));
            out << "vary " << varied.name << "=" << joined(values, ",") << "\n";
        }
        out << "shard " << options_.shard << "/" << options_.shards << "\n"
            << "state " << state << "\n"
            << "runs " << done << " of " << jobs.size() << " done\n";
        for (const Job& job : jobs)
            out << "run " << job.index << " " << job.stem << " " << job.state << "\n";
        out.close();
        if (!out || std::rename(partial.c_str(), path_.c_str()) != 0) {
            error = "cannot write \"" + path_ + "\"";
            return false;
        }
        return true;
    }

private:
    std::string path_;
    const SweepOptions& options_;
    std::string command_;
    std::chrono::steady_clock::time_point last_{};
};

std::string spaced(std::string text)
{
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

bool isRunFile(const std::string& name)
{
    return name.rfind("run-", 0) == 0 || name == ".writable";
}

// What a sweep leaves and --force may clear: nothing else is ever removed.
bool isSweepFile(const fs::directory_entry& entry)
{
    const std::string name = entry.path().filename().string();
    std::string bare = name;
    if (bare.size() > 8 && bare.compare(bare.size() - 8, 8, ".partial") == 0)
        bare.resize(bare.size() - 8);
    if (entry.is_directory()) {
        if (name != "runs")
            return false;
        std::error_code code;
        for (const fs::directory_entry& inside : fs::directory_iterator(entry.path(), code))
            if (!isRunFile(inside.path().filename().string()))
                return false;
        return !code;
    }
    const std::vector<std::string> names = reportFileNames();
    return bare == manifestName || std::find(names.begin(), names.end(), bare) != names.end();
}

// A new or empty folder, a sweep to finish (--resume) or to clear
// (--force); anything else is refused, so that no file of another sweep
// stays beside this one's.
bool prepareFolder(const SweepOptions& options, bool& resumed, std::string& error)
{
    const fs::path directory = options.outDirectory;
    resumed = false;
    std::error_code code;
    std::vector<fs::directory_entry> entries;
    if (fs::is_directory(directory, code))
        for (const fs::directory_entry& entry : fs::directory_iterator(directory, code))
            entries.push_back(entry);
    if (!entries.empty()) {
        Manifest manifest;
        const bool ours = readManifest(directory / manifestName, manifest);
        const std::string design = joined(designArguments(options), "\t");
        const std::string shard =
            std::to_string(options.shard) + "/" + std::to_string(options.shards);
        if (ours && options.resume) {
            if (manifest.design != design || manifest.shard != shard) {
                error = "\"" + directory.string() + "\" holds another sweep (" +
                        (manifest.shard != shard ? "shard " + manifest.shard
                                                 : "arguments: " + spaced(manifest.design)) +
                        "); --resume goes on only with the same grid, seeds and frames";
                return false;
            }
            resumed = true;
        } else if (options.force) {
            for (const fs::directory_entry& entry : entries)
                if (!isSweepFile(entry)) {
                    error = "\"" + directory.string() + "\" holds " +
                            entry.path().filename().string() +
                            ", which no sweep writes: --force clears only a sweep's files";
                    return false;
                }
            for (const fs::directory_entry& entry : entries)
                fs::remove_all(entry.path(), code);
        } else if (ours) {
            error = "\"" + directory.string() + "\" holds another sweep (" + manifest.state +
                    "); --resume finishes it, --force clears it, or choose another folder";
            return false;
        } else {
            error = "\"" + directory.string() +
                    "\" is not empty and holds no sweep's manifest: choose a new or empty folder" +
                    (std::all_of(entries.begin(), entries.end(), isSweepFile)
                         ? " (or --force to clear an older sweep's files)"
                         : "");
            return false;
        }
    }
    fs::create_directories(directory / "runs", code);
    const std::string probe = (directory / "runs" / ".writable").string();
    std::FILE* file = code ? nullptr : std::fopen(probe.c_str(), "w");
    if (file == nullptr) {
        error = "cannot write into \"" + directory.string() + "\"" +
                (code ? ": " + code.message() : "");
        return false;
    }
    std::fclose(file);
    fs::remove(probe, code);
    // A report of before is no longer this folder's until the sweep ends.
    for (const std::string& name : reportFileNames())
        fs::remove(directory / name, code);
    return true;
}

PoolCommand commandFor(const SweepOptions& options, const DesignPoint& point, const Job& job,
                       const std::string& runsDirectory, const std::string& runner)
{
    const SweepSubject& subject = options.subjects[point.subject];
    PoolCommand command;
    command.argv = {runner};
    if (subject.preset >= 0)
        command.argv.insert(command.argv.end(), {"--preset", std::to_string(subject.preset)});
    else
        command.argv.insert(command.argv.end(), {"--record", subject.recordPath});
    for (const FieldSetting& setting : options.sets)
        command.argv.insert(command.argv.end(), {"--set", settingText(setting)});
    for (const FieldSetting& setting : pointSettings(options, point))
        command.argv.insert(command.argv.end(), {"--set", settingText(setting)});
    const std::string csv = runsDirectory + "/" + job.stem + ".csv";
    command.argv.insert(command.argv.end(), {"--seed", std::to_string(job.seed), "--frames",
                                             std::to_string(options.frames), "--csv", csv});
    if (!options.draw)
        command.argv.push_back("--no-draw");
    command.errorPath = csv + ".err";
    return command;
}

// The last few lines a failed run wrote, which say why.
std::string lastLines(const std::string& path, size_t count)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty())
            lines.push_back(line);
    if (lines.size() > count)
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(count));
    return joined(lines, "\n");
}

ReportLayout layoutOf(const SweepOptions& options)
{
    ReportLayout layout;
    for (const VariedField& varied : options.varied)
        layout.fields.push_back(varied.name);
    layout.frames = options.frames;
    layout.every = sampleStep(options.frames, populationPoints);
    layout.sampleEvery = options.sampleEvery;
    return layout;
}

void placeSummaries(const SweepOptions& options, const std::vector<Job>& jobs,
                    const std::vector<RunSummary>& summaries, std::vector<SweepRecord>& points)
{
    for (SweepRecord& point : points)
        for (int64_t seed = options.firstSeed; seed <= options.lastSeed; ++seed) {
            point.seeds.push_back(static_cast<uint32_t>(seed));
            point.runs.emplace_back();
        }
    for (size_t j = 0; j < jobs.size(); ++j)
        points[jobs[j].point].runs[jobs[j].seed - options.firstSeed] = summaries[j];
}

// Ended by a signal: the runs are over (the pool ended them), the folder
// says it is unfinished, and this process ends as the signal would have it.
[[noreturn]] void endBySignal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    _exit(128 + signal);
}

int sweep(const SweepOptions& options, const std::string& command)
{
    std::string error;
    std::vector<SweepRecord> points;
    if (!expandGrid(options, points, error))
        return fail(error);
    bool resumed = false;
    if (!prepareFolder(options, resumed, error))
        return fail(error);
    const std::string runner =
        options.runnerPath.empty() ? runnerBesideThisProgram() : options.runnerPath;
    if (access(runner.c_str(), X_OK) != 0)
        return fail("cannot run \"" + runner + "\" (give --runner PATH)");

    const std::string runsDirectory = (fs::path(options.outDirectory) / "runs").string();
    const std::vector<DesignPoint> grid = designPoints(options);
    std::vector<Job> jobs = jobsOf(options, grid.size());
    std::vector<RunSummary> summaries(jobs.size());
    std::vector<PoolCommand> commands;
    std::vector<size_t> jobOfCommand;
    for (size_t j = 0; j < jobs.size(); ++j) {
        std::string ignored;
        if (resumed && loadRunSummary(runsDirectory + "/" + jobs[j].stem + ".summary", summaries[j],
                                      ignored)) {
            jobs[j].state = "done";
            continue;
        }
        commands.push_back(
            commandFor(options, grid[jobs[j].point], jobs[j], runsDirectory, runner));
        jobOfCommand.push_back(j);
    }
    ManifestWriter manifest(options.outDirectory, options, command);
    if (!manifest.write(jobs, "unfinished", true, error))
        return fail(error);
    if (resumed)
        std::fprintf(stderr, "tovrine-sweep: resuming: %zu of %zu runs done already\n",
                     jobs.size() - commands.size(), jobs.size());

    SummaryChoice choice;
    choice.frames = options.frames;
    choice.every = sampleStep(options.frames, populationPoints);
    choice.fromFrame = options.fromFrame;
    choice.sampleEvery = options.sampleEvery;
    int width = options.jobs > 0 ? options.jobs : static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
    auto finished = [&](size_t index, int status) {
        Job& job = jobs[jobOfCommand[index]];
        const std::string csv = runsDirectory + "/" + job.stem + ".csv";
        const std::string& errorPath = commands[index].errorPath;
        std::error_code ignored;
        const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!succeeded) {
            const std::string said = lastLines(errorPath, 5);
            job.state = "failed";
            error = "the run of " + points[job.point].name + " (" + job.stem + ") " +
                    describeExit(status) + " and " +
                    (said.empty() ? "wrote nothing to standard error"
                                  : "its last words on standard error were:\n" + said);
            return false;
        }
        fs::remove(errorPath, ignored);
        RunSummary& summary = summaries[jobOfCommand[index]];
        if (!summarizeRunCsv(csv, choice, summary, error) ||
            !storeRunSummary(runsDirectory + "/" + job.stem + ".summary", summary, error))
            return false;
        if (!options.keepCsv)
            fs::remove(csv, ignored);
        job.state = "done";
        return manifest.write(jobs, "unfinished", false, error);
    };
    const PoolResult result = runProcessPool(commands, width < 1 ? 1 : width, finished);
    if (!result.complete) {
        // What the ended runs left behind is not a result.
        std::error_code ignored;
        for (const fs::directory_entry& entry : fs::directory_iterator(runsDirectory, ignored)) {
            const std::string name = entry.path().filename().string();
            const bool partial =
                name.size() > 8 && name.compare(name.size() - 8, 8, ".partial") == 0;
            const bool errors = name.size() > 4 && name.compare(name.size() - 4, 4, ".err") == 0;
            if (partial || errors)
                fs::remove(entry.path(), ignored);
        }
        std::string state = result.stopSignal != 0
                                ? "stopped by signal " + std::to_string(result.stopSignal) +
                                      "; --resume finishes it"
                                : "failed; --resume runs what is missing";
        std::string ignoredError;
        manifest.write(jobs, state, true, ignoredError);
        if (result.stopSignal != 0) {
            std::fprintf(stderr, "\ntovrine-sweep: stopped; %s says what is missing\n",
                         (fs::path(options.outDirectory) / manifestName).c_str());
            endBySignal(result.stopSignal);
        }
        return fail(error.empty() ? "the sweep was stopped" : error);
    }
    if (options.shards > 1) {
        if (!manifest.write(jobs,
                            "finished shard " + std::to_string(options.shard) + " of " +
                                std::to_string(options.shards) +
                                "; tovrine-sweep --merge joins the shards",
                            true, error))
            return fail(error);
        std::fprintf(stderr, "tovrine-sweep: shard %d/%d: %zu runs in %s\n", options.shard,
                     options.shards, jobs.size(), options.outDirectory.c_str());
        return 0;
    }
    placeSummaries(options, jobs, summaries, points);
    if (!writeSweepReport(options.outDirectory, points, layoutOf(options), error) ||
        !manifest.write(jobs, "finished", true, error))
        return fail(error);
    std::fprintf(stderr, "tovrine-sweep: %zu runs; the summary is in %s/records.csv\n", jobs.size(),
                 options.outDirectory.c_str());
    return 0;
}

bool copyFile(const fs::path& from, const fs::path& to, std::string& error)
{
    std::error_code code;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, code);
    if (code)
        error = "cannot copy \"" + from.string() + "\": " + code.message();
    return !code;
}

// The finished shards' folders joined into what one unsharded sweep writes.
int merge(const SweepOptions& mergeOptions, const std::string& command)
{
    std::vector<Manifest> manifests(mergeOptions.mergeFrom.size());
    for (size_t i = 0; i < manifests.size(); ++i) {
        const fs::path path = fs::path(mergeOptions.mergeFrom[i]) / manifestName;
        if (!readManifest(path, manifests[i]))
            return fail("\"" + mergeOptions.mergeFrom[i] + "\" holds no sweep's manifest");
        if (manifests[i].state.rfind("finished", 0) != 0)
            return fail("\"" + mergeOptions.mergeFrom[i] + "\" is unfinished (" +
                        manifests[i].state + ")");
        if (manifests[i].design != manifests[0].design)
            return fail("\"" + mergeOptions.mergeFrom[i] + "\" and \"" + mergeOptions.mergeFrom[0] +
                        "\" are shards of different sweeps");
    }
    // The sweep the shards share, as its arguments give it.
    std::vector<std::string> words = {"tovrine-sweep"};
    for (size_t start = 0, tab;; start = tab + 1) {
        tab = manifests[0].design.find('\t', start);
        words.push_back(manifests[0].design.substr(start, tab - start));
        if (tab == std::string::npos)
            break;
    }
    words.insert(words.end(), {"--out", mergeOptions.outDirectory});
    if (mergeOptions.force)
        words.push_back("--force");
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    SweepOptions options;
    std::string error;
    if (!parseSweepArguments(static_cast<int>(argv.size()), argv.data(), options, error))
        return fail("the shards' arguments do not parse: " + error);
    int64_t shards = 0;
    std::vector<std::string> folderOfShard;
    for (size_t i = 0; i < manifests.size(); ++i) {
        const std::string& shard = manifests[i].shard;
        const size_t slash = shard.find('/');
        int64_t k = 0, n = 0;
        if (slash == std::string::npos ||
            !parseWholeNumber(shard.substr(0, slash).c_str(), 1, 100000, k) ||
            !parseWholeNumber(shard.substr(slash + 1).c_str(), 1, 100000, n))
            return fail("\"" + mergeOptions.mergeFrom[i] + "\" names no shard K/N");
        if (shards == 0) {
            shards = n;
            folderOfShard.assign(static_cast<size_t>(n), "");
        }
        if (n != shards || k < 1 || k > n || !folderOfShard[k - 1].empty())
            return fail("shard " + shard + " of \"" + mergeOptions.mergeFrom[i] +
                        "\" does not fit the others");
        folderOfShard[k - 1] = mergeOptions.mergeFrom[i];
    }
    for (size_t k = 0; k < folderOfShard.size(); ++k)
        if (folderOfShard[k].empty())
            return fail("shard " + std::to_string(k + 1) + "/" + std::to_string(shards) +
                        " is missing");

    std::vector<SweepRecord> points;
    bool resumed = false;
    if (!expandGrid(options, points, error) || !prepareFolder(options, resumed, error))
        return fail(error);
    const fs::path runs = fs::path(options.outDirectory) / "runs";
    std::vector<Job> jobs = jobsOf(options, designPoints(options).size());
    std::vector<RunSummary> summaries(jobs.size());
    for (size_t j = 0; j < jobs.size(); ++j) {
        const fs::path from = fs::path(folderOfShard[jobs[j].index % shards]) / "runs";
        const std::string summary = jobs[j].stem + ".summary";
        if (!loadRunSummary((from / summary).string(), summaries[j], error) ||
            !copyFile(from / summary, runs / summary, error))
            return fail(error);
        if (options.keepCsv &&
            !copyFile(from / (jobs[j].stem + ".csv"), runs / (jobs[j].stem + ".csv"), error))
            return fail(error);
        jobs[j].state = "done";
    }
    ManifestWriter manifest(options.outDirectory, options, command);
    placeSummaries(options, jobs, summaries, points);
    if (!writeSweepReport(options.outDirectory, points, layoutOf(options), error) ||
        !manifest.write(jobs, "finished", true, error))
        return fail(error);
    std::fprintf(stderr, "tovrine-sweep: %zu shards, %zu runs merged into %s\n",
                 folderOfShard.size(), jobs.size(), options.outDirectory.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    SweepOptions options;
    std::string error;
    if (!parseSweepArguments(argc, argv, options, error)) {
        std::fprintf(stderr, "tovrine-sweep: %s\n%s", error.c_str(), sweepUsage().c_str());
        return exitUsage;
    }
    if (options.help) {
        std::fputs(sweepUsage().c_str(), stdout);
        return 0;
    }
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i)
        words.push_back(shellQuoted(argv[i]));
    const std::string command = joined(words, " ");
    return options.mergeFrom.empty() ? sweep(options, command) : merge(options, command);
}
