// tovrine-sweep: many runs of tovrine-world, one process each, spread over
// the cores; the figures of every run and of every algorithm across its
// seeds, the same whatever the number of processes.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/options_record.h"
#include "tools/world/process_pool.h"
#include "tools/world/run_summary.h"
#include "tools/world/runner_options.h"
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

// Names every algorithm; refuses what the saver would refuse to load.
bool nameRecords(const SweepOptions& options, std::vector<SweepRecord>& records, std::string& error)
{
    for (const SweepSubject& subject : options.subjects) {
        SweepRecord record;
        OptionsRecord stored;
        if (subject.preset >= 0) {
            stored = presetAlgorithms[subject.preset];
            record.source = "preset " + std::to_string(subject.preset);
        } else {
            if (!loadStoredRecord(subject.recordPath, stored, error) ||
                !checkDisplayMode(stored, error))
                return false;
            record.source = subject.recordPath;
        }
        record.name = algorithmNameText(stored);
        if (record.name.empty())
            record.name = fs::path(record.source).filename().string();
        records.push_back(record);
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

// Fails now rather than after the runs when the summary cannot be written.
bool prepareOutput(const std::string& directory, std::string& error)
{
    std::error_code code;
    fs::create_directories(fs::path(directory) / "runs", code);
    const std::string probe = (fs::path(directory) / "runs" / ".writable").string();
    std::FILE* file = code ? nullptr : std::fopen(probe.c_str(), "w");
    if (file == nullptr) {
        error = "cannot write into \"" + directory + "\"" + (code ? ": " + code.message() : "");
        return false;
    }
    std::fclose(file);
    fs::remove(probe, code);
    return true;
}

struct Job {
    size_t record;
    uint32_t seed;
    std::string csvPath;
};

PoolCommand commandFor(const SweepOptions& options, const SweepSubject& subject, const Job& job,
                       const std::string& runner)
{
    PoolCommand command;
    command.argv = {runner};
    if (subject.preset >= 0)
        command.argv.insert(command.argv.end(), {"--preset", std::to_string(subject.preset)});
    else
        command.argv.insert(command.argv.end(), {"--record", subject.recordPath});
    command.argv.insert(command.argv.end(), {"--seed", std::to_string(job.seed), "--frames",
                                             std::to_string(options.frames), "--csv", job.csvPath});
    if (!options.draw)
        command.argv.push_back("--no-draw");
    command.errorPath = job.csvPath + ".err";
    return command;
}

std::string fileText(const std::string& path)
{
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "r")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

int sweep(const SweepOptions& options)
{
    std::string error;
    std::vector<SweepRecord> records;
    if (!nameRecords(options, records, error) || !prepareOutput(options.outDirectory, error))
        return fail(error);
    const std::string runner =
        options.runnerPath.empty() ? runnerBesideThisProgram() : options.runnerPath;
    if (access(runner.c_str(), X_OK) != 0)
        return fail("cannot run \"" + runner + "\" (give --runner PATH)");

    std::vector<Job> jobs;
    std::vector<PoolCommand> commands;
    for (SweepRecord& record : records)
        for (int64_t seed = options.firstSeed; seed <= options.lastSeed; ++seed) {
            record.seeds.push_back(static_cast<uint32_t>(seed));
            record.runs.emplace_back();
        }
    // Seed by seed, every algorithm in turn: slow and fast algorithms mix
    // from the start, which keeps the estimate of the time left honest.
    for (int64_t seed = options.firstSeed; seed <= options.lastSeed; ++seed)
        for (size_t r = 0; r < records.size(); ++r) {
            Job job{r, static_cast<uint32_t>(seed), ""};
            job.csvPath = (fs::path(options.outDirectory) / "runs" /
                           ("run-" + std::to_string(r) + "-seed-" + std::to_string(seed) + ".csv"))
                              .string();
            commands.push_back(commandFor(options, options.subjects[r], job, runner));
            jobs.push_back(job);
        }

    const int64_t every = sampleStep(options.frames, populationPoints);
    int width = options.jobs > 0 ? options.jobs : static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
    auto finished = [&](size_t index, bool succeeded) {
        const Job& job = jobs[index];
        const std::string errors = fileText(commands[index].errorPath);
        std::error_code ignored;
        fs::remove(commands[index].errorPath, ignored);
        if (!succeeded) {
            error = "the run of " + records[job.record].name + " with seed " +
                    std::to_string(job.seed) + " failed:\n" + errors;
            return false;
        }
        const size_t slot = job.seed - options.firstSeed;
        if (!summarizeRunCsv(job.csvPath, options.frames, every, records[job.record].runs[slot],
                             error))
            return false;
        if (!options.keepCsv)
            fs::remove(job.csvPath, ignored);
        return true;
    };
    if (!runProcessPool(commands, width < 1 ? 1 : width, finished))
        return fail(error.empty() ? "the sweep was stopped" : error);
    if (!writeSweepReport(options.outDirectory, records, options.frames, every, error))
        return fail(error);
    std::fprintf(stderr, "tovrine-sweep: %zu runs; the summary is in %s/records.csv\n",
                 commands.size(), options.outDirectory.c_str());
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
    return sweep(options);
}
