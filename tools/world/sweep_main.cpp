// tovrine-sweep: many runs of the world, as worlds of this process or as
// tovrine-world processes, spread over the cores; the figures of every run
// and of every design point across its seeds, the same however they ran and
// whatever the number of runs at once, shards or restarts.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tools/world/design_file.h"
#include "tools/world/folder_lock.h"
#include "tools/world/in_process_run.h"
#include "tools/world/output_file.h"
#include "tools/world/process_pool.h"
#include "tools/world/run_summary.h"
#include "tools/world/slurm_script.h"
#include "tools/world/sweep_folder.h"
#include "tools/world/sweep_grid.h"
#include "tools/world/sweep_merge.h"
#include "tools/world/sweep_options.h"
#include "tools/world/sweep_report.h"
#include "tools/world/thread_pool.h"

namespace fs = std::filesystem;

namespace {

// tovrine-world's convention: 2 for a bad command line.
constexpr int exitUsage = 2;

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
    if (options.until.kind != StopKind::never)
        command.argv.insert(command.argv.end(), {"--until", stopConditionText(options.until)});
    if (!options.draw)
        command.argv.push_back("--no-draw");
    command.errorPath = csv + ".err";
    return command;
}

// The runs are worlds of this process unless each should be a process of
// its own: asked for, or another build's runner.
bool inProcess(const SweepOptions& options)
{
    return !options.processes && options.runnerPath.empty();
}

// The last few lines a failed run wrote, which say why.
std::string lastLines(const std::string& text, size_t count)
{
    std::istringstream in(text);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty())
            lines.push_back(line);
    if (lines.size() > count)
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(count));
    return joined(lines, "\n");
}

// Ended by a signal: the runs are over (the pool ended them), the folder
// says it is unfinished, and this process ends as the signal would have it.
[[noreturn]] void endBySignal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    _exit(128 + signal);
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
        return sweepFailed(error);
    const std::string runner =
        options.runnerPath.empty() ? runnerBesideThisProgram() : options.runnerPath;
    if (!inProcess(options) && access(runner.c_str(), X_OK) != 0)
        return sweepFailed("cannot run \"" + runner + "\" (give --runner PATH)");
    FolderLock lock;
    bool resumed = false;
    Provenance provenance;
    if (!takeFolder(lock, options, command, "", resumed, points, error) ||
        !collectProvenance(options, command, runner, provenance, error))
        return sweepFailed(error);
    // A resumed folder keeps the provenance of the processes that began it.
    Manifest before;
    if (resumed && readManifest((fs::path(options.outDirectory) / manifestName).string(), before))
        addEarlierProcess(before, "resumed", provenance.earlier);

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
    // Runs ended with their sweep may have left parts behind.
    if (resumed)
        clearLeftovers(runsDirectory);
    ManifestWriter manifest(options.outDirectory, options, provenance);
    if (!manifest.write(jobs, "unfinished", true, error))
        return sweepFailed(error);
    if (resumed)
        std::fprintf(stderr, "tovrine-sweep: resuming: %zu of %zu runs done already\n",
                     jobs.size() - commands.size(), jobs.size());

    SummaryChoice choice;
    choice.frames = options.frames;
    choice.every = sampleStep(options.frames, populationPoints);
    choice.fromFrame = options.fromFrame;
    choice.sampleEvery = options.sampleEvery;
    choice.until = options.until;
    for (const NamedMeasure& measure : options.measures)
        choice.measures.push_back(measure.text);
    int width = options.jobs > 0 ? options.jobs : static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
    // A run that ended well is summarised; one that failed stops the sweep.
    auto succeeded = [&](size_t index) {
        Job& job = jobs[jobOfCommand[index]];
        const std::string csv = runsDirectory + "/" + job.stem + ".csv";
        std::error_code ignored;
        RunSummary& summary = summaries[jobOfCommand[index]];
        if (!summarizeRunCsv(csv, choice, summary, error) ||
            !storeRunSummary(runsDirectory + "/" + job.stem + ".summary", summary, error))
            return false;
        if (!options.keepCsv)
            fs::remove(csv, ignored);
        job.state = "done";
        return manifest.write(jobs, "unfinished", false, error);
    };
    auto failed = [&](size_t index, const std::string& how) {
        Job& job = jobs[jobOfCommand[index]];
        job.state = "failed";
        error = "the run of " + points[job.point].name + " (" + job.stem + ") " + how;
        return false;
    };
    PoolResult result;
    if (inProcess(options)) {
        result = runThreadPool(
            commands.size(), width,
            [&](size_t index, const std::atomic<bool>& stop, std::string& said) {
                const std::vector<std::string>& argv = commands[index].argv;
                return runInProcess({argv.begin() + 1, argv.end()}, stop, said);
            },
            [&](size_t index, bool ok, const std::string& said) {
                return ok ? succeeded(index) : failed(index, "failed: " + said);
            });
    } else {
        result = runProcessPool(commands, width < 1 ? 1 : width,
                                [&](size_t index, int status, const std::string& words) {
                                    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                                        return succeeded(index);
                                    const std::string said = lastLines(words, 5);
                                    return failed(
                                        index, describeExit(status) + " and " +
                                                   (said.empty() ? "wrote nothing to standard error"
                                                                 : "its last words on standard "
                                                                   "error were:\n" +
                                                                       said));
                                });
    }
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

std::string absolute(const std::string& path)
{
    std::error_code code;
    const fs::path whole = fs::absolute(path, code);
    return code ? path : whole.lexically_normal().string();
}

// The record files and the design copied into SHARDS/inputs/, the sweep's
// subjects and design pointed at the copies. A copy already there (a script
// written again) must hold the same bytes: tasks may be reading it.
bool copySlurmInputs(SweepOptions& options, const std::string& shards, std::string& error)
{
    const fs::path inputs = fs::path(shards) / inputsName;
    std::error_code code;
    auto place = [&](const std::string& bytes, const std::string& name, std::string& path) {
        fs::create_directories(inputs, code);
        if (code) {
            error = "cannot create \"" + inputs.string() + "\": " + code.message();
            return false;
        }
        const std::string copy = (inputs / name).string();
        std::string kept;
        if (fs::exists(copy, code) && (!readWholeFile(copy, kept, error) || kept != bytes)) {
            error = "\"" + copy +
                    "\" holds another sweep's input: the tasks of a script "
                    "written before may still read it; choose another --out";
            return false;
        }
        if (kept.empty() && !writeFileWhole(copy, bytes, error))
            return false;
        path = copy;
        return true;
    };
    size_t number = 0;
    for (SweepSubject& subject : options.subjects) {
        std::string bytes;
        if (subject.preset >= 0)
            continue;
        if (!readWholeFile(subject.recordPath, bytes, error) ||
            !place(bytes, "record-" + std::to_string(++number) + ".rec", subject.recordPath))
            return false;
    }
    return options.designPath.empty() ||
           place(options.designBytes, "design.csv", options.designPath);
}

// Writes (or prints, for "-") the job array of the sweep as given.
int writeSlurmScript(SweepOptions options)
{
    std::string error;
    std::vector<SweepRecord> points;
    if (!expandGrid(options, points, error))
        return sweepFailed(error);
    SlurmJob job;
    job.sweepProgram = absolute(runnerBesideThisProgram());
    job.sweepProgram = (fs::path(job.sweepProgram).parent_path() / "tovrine-sweep").string();
    job.outDirectory = absolute(options.outDirectory);
    job.shardsDirectory = job.outDirectory + ".shards";
    job.scriptPath = options.slurmPath == "-" ? "THIS_FILE" : absolute(options.slurmPath);
    // The merge job clears what a merge of before left: nothing else may be there.
    std::error_code code;
    if (fs::exists(job.outDirectory, code) && !fs::is_empty(job.outDirectory, code))
        return sweepFailed(
            "\"" + options.outDirectory +
            "\" is not empty: the job array's merge goes into a new or empty folder");
    const int64_t runs = sweepRunCount(options);
    job.shards = static_cast<int>(
        std::min<int64_t>(runs, options.slurmShards > 0 ? options.slurmShards : 32));
    job.cpusPerTask = options.slurmCpus;
    job.options = options.slurmOptions;
    // Checked before anything is written: a folder the script cannot name
    // leaves no copies behind.
    std::string script;
    if (!slurmScript(job, script, error))
        return sweepFailed(error);
    // Every task reads copies made now, so a record or design edited while
    // the array waits or runs changes none of the shards.
    if (!copySlurmInputs(options, job.shardsDirectory, error))
        return sweepFailed(error);
    job.sweepWords = designArguments(options);
    if (!options.runnerPath.empty())
        job.sweepWords.insert(job.sweepWords.end(), {"--runner", absolute(options.runnerPath)});
    if (options.processes)
        job.sweepWords.push_back("--processes");
    if (!slurmScript(job, script, error))
        return sweepFailed(error);
    if (options.slurmPath == "-") {
        std::fputs(script.c_str(), stdout);
        return finishStandardOutput(error) ? 0 : sweepFailed(error);
    }
    // sbatch FILE alone needs the logs' folder.
    fs::create_directories(job.shardsDirectory, code);
    if (code)
        return sweepFailed("cannot create \"" + job.shardsDirectory + "\": " + code.message());
    if (!writeFileWhole(options.slurmPath, script, error))
        return sweepFailed(error);
    fs::permissions(options.slurmPath, fs::perms::owner_exec | fs::perms::group_exec,
                    fs::perm_options::add, code);
    std::fprintf(stderr,
                 "tovrine-sweep: %s: %d shards of %lld runs, %d processor%s each; "
                 "sh %s submits them and their merge\n",
                 options.slurmPath.c_str(), job.shards, static_cast<long long>(runs),
                 job.cpusPerTask, job.cpusPerTask == 1 ? "" : "s", options.slurmPath.c_str());
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
    if (options.help)
        return printWhole(sweepUsage(), error) ? 0 : sweepFailed(error);
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i)
        words.push_back(shellQuoted(argv[i]));
    const std::string command = joined(words, " ");
    if (!options.mergeAll.empty()) {
        std::vector<std::string> folders;
        if (!shardFoldersUnder(options.mergeAll, options.outDirectory, folders, error))
            return sweepFailed(error);
        return mergeShards(options, folders, command);
    }
    if (!options.mergeFrom.empty())
        return mergeShards(options, options.mergeFrom, command);
    if (!options.designPath.empty() &&
        (!readWholeFile(options.designPath, options.designBytes, error) ||
         !parseDesign(options.designBytes, options, error)))
        return sweepFailed(error);
    return options.slurmPath.empty() ? sweep(options, command) : writeSlurmScript(options);
}
