// tovrine-sweep: many runs of tovrine-world, one process each, spread over
// the cores; the figures of every run and of every design point across its
// seeds, the same whatever the number of processes, shards or restarts.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/whole_number.h"
#include "settings/options_record.h"
#include "tools/world/folder_lock.h"
#include "tools/world/output_file.h"
#include "tools/world/process_pool.h"
#include "tools/world/run_summary.h"
#include "tools/world/slurm_script.h"
#include "tools/world/runner_options.h"
#include "tools/world/sweep_folder.h"
#include "tools/world/design_file.h"
#include "tools/world/sweep_options.h"
#include "tools/world/sweep_report.h"

namespace fs = std::filesystem;

namespace {

// tovrine-world's convention: 1 for a failure, 2 for a bad command line.
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
// Population samples per run for the band plot.
constexpr int64_t populationPoints = 500;

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
            const std::string& path =
                subject.copyPath.empty() ? subject.recordPath : subject.copyPath;
            if (!loadStoredRecord(path, stored, error))
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

// The record as the web page's share link carries it.
std::string base64Url(const OptionsRecord& record)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    unsigned char bytes[optionsRecordSize];
    std::memcpy(bytes, &record, optionsRecordSize);
    std::string text;
    for (size_t i = 0; i < optionsRecordSize; i += 3) {
        const size_t left = optionsRecordSize - i;
        const uint32_t group = uint32_t{bytes[i]} << 16 |
                               (left > 1 ? uint32_t{bytes[i + 1]} << 8 : 0) |
                               (left > 2 ? bytes[i + 2] : 0);
        for (size_t d = 0; d < std::min<size_t>(4, left + 1); ++d)
            text += digits[(group >> (18 - 6 * d)) & 63];
    }
    return text;
}

std::vector<FieldSetting> pointSettings(const SweepOptions& options, const DesignPoint& point)
{
    std::vector<FieldSetting> settings;
    const std::vector<std::string> names = pointFieldNames(options);
    for (size_t f = 0; f < names.size(); ++f)
        settings.push_back(FieldSetting{names[f], point.values[f], ""});
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
        if (!options.designPath.empty())
            cell.number = static_cast<int64_t>(points.size() % options.designRows.size()) + 1;
        cell.pageRecord = base64Url(record);
        points.push_back(cell);
    }
    return true;
}

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

PoolCommand commandFor(const SweepOptions& options, const DesignPoint& point, const Job& job,
                       const std::string& runsDirectory, const std::string& runner)
{
    const SweepSubject& subject = options.subjects[point.subject];
    PoolCommand command;
    command.argv = {runner};
    if (subject.preset >= 0)
        command.argv.insert(command.argv.end(), {"--preset", std::to_string(subject.preset)});
    else
        command.argv.insert(command.argv.end(), {"--record", subject.copyPath});
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
    layout.fields = pointFieldNames(options);
    layout.numbered = !options.designPath.empty();
    layout.ciText = options.ciText;
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

// Ends a sweep that cannot go on: its manifest says that it failed and why.
int failSweep(ManifestWriter& manifest, const std::vector<Job>& jobs, const std::string& error)
{
    std::string ignored;
    manifest.write(jobs, "failed: " + error + "; --resume runs what is missing", true, ignored);
    return fail(error);
}

// The folder locked, prepared and given its copies of the inputs; the grid
// checked again on the copies, which are what the runs read.
bool takeFolder(FolderLock& lock, SweepOptions& options, const std::string& command,
                const std::string& inputsFrom, bool& resumed, std::vector<SweepRecord>& points,
                std::string& error)
{
    points.clear();
    if (!lock.take(options.outDirectory, command, error))
        return false;
    if (!prepareFolder(options, resumed, error)) {
        lock.abandon();
        return false;
    }
    return placeInputs(options, resumed, inputsFrom, error) && expandGrid(options, points, error);
}

// What the ended runs left behind is not a result.
void clearLeftovers(const std::string& runsDirectory)
{
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(runsDirectory, ignored)) {
        const std::string name = entry.path().filename().string();
        const bool partial = name.size() > 8 && name.compare(name.size() - 8, 8, ".partial") == 0;
        const bool errors = name.size() > 4 && name.compare(name.size() - 4, 4, ".err") == 0;
        if (partial || errors)
            fs::remove(entry.path(), ignored);
    }
}

int sweep(SweepOptions options, const std::string& command)
{
    std::string error;
    std::vector<SweepRecord> points;
    if (!expandGrid(options, points, error))
        return fail(error);
    const std::string runner =
        options.runnerPath.empty() ? runnerBesideThisProgram() : options.runnerPath;
    if (access(runner.c_str(), X_OK) != 0)
        return fail("cannot run \"" + runner + "\" (give --runner PATH)");
    FolderLock lock;
    bool resumed = false;
    Provenance provenance;
    if (!takeFolder(lock, options, command, "", resumed, points, error) ||
        !collectProvenance(options, command, runner, provenance, error))
        return fail(error);

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
    ManifestWriter manifest(options.outDirectory, options, provenance);
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
        clearLeftovers(runsDirectory);
        if (result.stopSignal == 0)
            return failSweep(manifest, jobs, error.empty() ? "the sweep was stopped" : error);
        std::string ignoredError;
        manifest.write(jobs,
                       "stopped by signal " + std::to_string(result.stopSignal) +
                           "; --resume finishes it",
                       true, ignoredError);
        std::fprintf(stderr, "\ntovrine-sweep: stopped; %s says what is missing\n",
                     (fs::path(options.outDirectory) / manifestName).c_str());
        endBySignal(result.stopSignal);
    }
    if (options.shards > 1) {
        if (!manifest.write(jobs,
                            "finished shard " + std::to_string(options.shard) + " of " +
                                std::to_string(options.shards) +
                                "; tovrine-sweep --merge joins the shards",
                            true, error))
            return failSweep(manifest, jobs, error);
        std::fprintf(stderr, "tovrine-sweep: shard %d/%d: %zu runs in %s\n", options.shard,
                     options.shards, jobs.size(), options.outDirectory.c_str());
        return 0;
    }
    placeSummaries(options, jobs, summaries, points);
    if (!writeSweepReport(options.outDirectory, points, layoutOf(options), error) ||
        !manifest.write(jobs, "finished", true, error))
        return failSweep(manifest, jobs, error);
    std::fprintf(stderr, "tovrine-sweep: %zu runs; the summary is in %s/records.csv\n", jobs.size(),
                 options.outDirectory.c_str());
    return 0;
}

bool copyFile(const fs::path& from, const fs::path& to, std::string& error)
{
    std::string bytes;
    return readWholeFile(from.string(), bytes, error) && writeFileWhole(to.string(), bytes, error);
}

bool sameFolder(const std::string& a, const std::string& b)
{
    std::error_code code;
    return fs::equivalent(a, b, code) && !code;
}

// Every file of a shard's inputs folder, by name.
std::vector<std::pair<std::string, std::string>> inputFiles(const std::string& folder)
{
    std::vector<std::pair<std::string, std::string>> files;
    std::error_code code;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(folder) / inputsName, code)) {
        std::string bytes, ignored;
        readWholeFile(entry.path().string(), bytes, ignored);
        files.emplace_back(entry.path().filename().string(), bytes);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The shards' sweep, as the arguments in their manifest give it.
bool shardsSweep(const Manifest& manifest, const SweepOptions& mergeOptions, SweepOptions& options,
                 std::string& error)
{
    std::vector<std::string> words = {"tovrine-sweep"};
    for (size_t start = 0, tab;; start = tab + 1) {
        tab = manifest.design.find('\t', start);
        words.push_back(manifest.design.substr(start, tab - start));
        if (tab == std::string::npos)
            break;
    }
    words.insert(words.end(), {"--out", mergeOptions.outDirectory});
    if (mergeOptions.force)
        words.push_back("--force");
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    if (!parseSweepArguments(static_cast<int>(argv.size()), argv.data(), options, error)) {
        error = "the shards' arguments do not parse: " + error;
        return false;
    }
    return true;
}

// The finished shards' folders joined into what one unsharded sweep writes.
int merge(const SweepOptions& mergeOptions, const std::vector<std::string>& folders,
          const std::string& command)
{
    for (const std::string& folder : folders)
        if (sameFolder(folder, mergeOptions.outDirectory))
            return fail("--out \"" + mergeOptions.outDirectory + "\" is one of the shards (\"" +
                        folder + "\"): the merge goes into another folder; nothing was changed");
    std::vector<Manifest> manifests(folders.size());
    for (size_t i = 0; i < manifests.size(); ++i) {
        const fs::path path = fs::path(folders[i]) / manifestName;
        if (!readManifest(path.string(), manifests[i]))
            return fail("\"" + folders[i] + "\" holds no sweep's manifest");
        if (manifests[i].state.rfind("finished", 0) != 0)
            return fail("\"" + folders[i] + "\" is unfinished (" + manifests[i].state + ")");
        if (manifests[i].design != manifests[0].design)
            return fail("\"" + folders[i] + "\" and \"" + folders[0] +
                        "\" are shards of different sweeps");
        if (manifests[i].digests != manifests[0].digests ||
            inputFiles(folders[i]) != inputFiles(folders[0]))
            return fail("\"" + folders[i] + "\" and \"" + folders[0] +
                        "\" ran other programs or inputs (their manifests' sha256 lines differ)");
    }
    SweepOptions options;
    std::string error;
    if (!shardsSweep(manifests[0], mergeOptions, options, error))
        return fail(error);
    int64_t shards = 0;
    std::vector<std::string> folderOfShard;
    for (size_t i = 0; i < manifests.size(); ++i) {
        const std::string& shard = manifests[i].shard;
        const size_t slash = shard.find('/');
        int64_t k = 0, n = 0;
        if (slash == std::string::npos ||
            !parseWholeNumber(shard.substr(0, slash).c_str(), 1, 100000, k) ||
            !parseWholeNumber(shard.substr(slash + 1).c_str(), 1, 100000, n))
            return fail("\"" + folders[i] + "\" names no shard K/N");
        if (shards == 0) {
            shards = n;
            folderOfShard.assign(static_cast<size_t>(n), "");
        }
        if (n != shards || k < 1 || k > n || !folderOfShard[k - 1].empty())
            return fail("shard " + shard + " of \"" + folders[i] + "\" does not fit the others" +
                        (n == shards && !folderOfShard[k - 1].empty()
                             ? " (\"" + folderOfShard[k - 1] + "\" is shard " + shard + " too)"
                             : ""));
        folderOfShard[k - 1] = folders[i];
    }
    for (size_t k = 0; k < folderOfShard.size(); ++k)
        if (folderOfShard[k].empty())
            return fail("shard " + std::to_string(k + 1) + "/" + std::to_string(shards) +
                        " is missing");
    if (!options.designPath.empty() &&
        (!readWholeFile(designCopyPath(folders[0]), options.designBytes, error) ||
         !parseDesign(options.designBytes, options, error)))
        return fail(error);

    std::vector<SweepRecord> points;
    bool resumed = false;
    FolderLock lock;
    if (!takeFolder(lock, options, command, folders[0], resumed, points, error))
        return fail(error);
    Provenance provenance;
    provenance.command = command;
    provenance.started = utcNow();
    provenance.host = hostName();
    // What made the runs: the shards' programs and inputs.
    provenance.commit = manifests[0].commit;
    provenance.digests = manifests[0].digests;
    const fs::path runs = fs::path(options.outDirectory) / "runs";
    std::vector<Job> jobs = jobsOf(options, designPoints(options).size());
    std::vector<RunSummary> summaries(jobs.size());
    ManifestWriter manifest(options.outDirectory, options, provenance);
    for (size_t j = 0; j < jobs.size(); ++j) {
        const fs::path from = fs::path(folderOfShard[jobs[j].index % shards]) / "runs";
        const std::string summary = jobs[j].stem + ".summary";
        if (!loadRunSummary((from / summary).string(), summaries[j], error) ||
            !copyFile(from / summary, runs / summary, error))
            return failSweep(manifest, jobs, error);
        if (options.keepCsv &&
            !copyFile(from / (jobs[j].stem + ".csv"), runs / (jobs[j].stem + ".csv"), error))
            return failSweep(manifest, jobs, error);
        jobs[j].state = "done";
    }
    placeSummaries(options, jobs, summaries, points);
    if (!writeSweepReport(options.outDirectory, points, layoutOf(options), error) ||
        !manifest.write(jobs, "finished", true, error))
        return failSweep(manifest, jobs, error);
    std::fprintf(stderr, "tovrine-sweep: %zu shards, %zu runs merged into %s\n",
                 folderOfShard.size(), jobs.size(), options.outDirectory.c_str());
    return 0;
}

// The shards' folders directly under `directory` (those whose manifest names
// a shard K/N with N above 1), in name order.
bool shardFoldersUnder(const std::string& directory, const std::string& out,
                       std::vector<std::string>& folders, std::string& error)
{
    std::error_code code;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory, code)) {
        Manifest manifest;
        if (!entry.is_directory() || sameFolder(entry.path().string(), out) ||
            !readManifest((entry.path() / manifestName).string(), manifest) ||
            (manifest.shard.size() > 1 &&
             manifest.shard.compare(manifest.shard.size() - 2, 2, "/1") == 0))
            continue;
        folders.push_back(entry.path().string());
    }
    if (code) {
        error = "cannot read \"" + directory + "\": " + code.message();
        return false;
    }
    if (folders.empty()) {
        error = "\"" + directory + "\" holds no shard's folder";
        return false;
    }
    std::sort(folders.begin(), folders.end());
    return true;
}

std::string absolute(const std::string& path)
{
    std::error_code code;
    const fs::path whole = fs::absolute(path, code);
    return code ? path : whole.lexically_normal().string();
}

// Writes (or prints, for "-") the job array of the sweep as given.
int writeSlurmScript(SweepOptions options)
{
    std::string error;
    std::vector<SweepRecord> points;
    if (!expandGrid(options, points, error))
        return fail(error);
    SlurmJob job;
    job.sweepProgram = absolute(runnerBesideThisProgram());
    job.sweepProgram = (fs::path(job.sweepProgram).parent_path() / "tovrine-sweep").string();
    for (SweepSubject& subject : options.subjects)
        if (subject.preset < 0)
            subject.recordPath = absolute(subject.recordPath);
    if (!options.designPath.empty())
        options.designPath = absolute(options.designPath);
    job.sweepWords = designArguments(options);
    if (!options.runnerPath.empty())
        job.sweepWords.insert(job.sweepWords.end(), {"--runner", absolute(options.runnerPath)});
    job.outDirectory = absolute(options.outDirectory);
    job.shardsDirectory = job.outDirectory + ".shards";
    // The merge job clears what a merge of before left: nothing else may be there.
    std::error_code code;
    if (fs::exists(job.outDirectory, code) && !fs::is_empty(job.outDirectory, code))
        return fail("\"" + options.outDirectory +
                    "\" is not empty: the job array's merge goes into a new or empty folder");
    const int64_t runs = sweepRunCount(options);
    job.shards = static_cast<int>(
        std::min<int64_t>(runs, options.slurmShards > 0 ? options.slurmShards : 32));
    job.cpusPerTask = options.slurmCpus;
    const std::string script = slurmScript(job);
    if (options.slurmPath == "-") {
        std::fputs(script.c_str(), stdout);
        return finishStandardOutput(error) ? 0 : fail(error);
    }
    fs::create_directories(job.shardsDirectory, code);
    if (code)
        return fail("cannot create \"" + job.shardsDirectory + "\": " + code.message());
    if (!writeFileWhole(options.slurmPath, script, error))
        return fail(error);
    fs::permissions(options.slurmPath, fs::perms::owner_exec | fs::perms::group_exec,
                    fs::perm_options::add, code);
    std::fprintf(stderr,
                 "tovrine-sweep: %s: %d shards of %lld runs, %d processors each; "
                 "sh %s submits them and their merge\n",
                 options.slurmPath.c_str(), job.shards, static_cast<long long>(runs),
                 job.cpusPerTask, options.slurmPath.c_str());
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
        return finishStandardOutput(error) ? 0 : fail(error);
    }
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i)
        words.push_back(shellQuoted(argv[i]));
    const std::string command = joined(words, " ");
    if (!options.mergeAll.empty()) {
        std::vector<std::string> folders;
        if (!shardFoldersUnder(options.mergeAll, options.outDirectory, folders, error))
            return fail(error);
        return merge(options, folders, command);
    }
    if (!options.mergeFrom.empty())
        return merge(options, options.mergeFrom, command);
    if (!options.designPath.empty() &&
        (!readWholeFile(options.designPath, options.designBytes, error) ||
         !parseDesign(options.designBytes, options, error)))
        return fail(error);
    return options.slurmPath.empty() ? sweep(options, command) : writeSlurmScript(options);
}
