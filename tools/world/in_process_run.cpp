#include "tools/world/in_process_run.h"

#include "run/stop_condition.h"
#include "run/world_figures.h"
#include "tools/world/output_file.h"
#include "tools/world/runner_options.h"
#include "tools/world/world_run.h"

namespace {

bool readArguments(const std::vector<std::string>& arguments, RunnerOptions& options,
                   std::string& error)
{
    std::vector<const char*> argv{"tovrine-world"};
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    if (!parseRunnerArguments(static_cast<int>(argv.size()), argv.data(), options, error))
        return false;
    // What only a process of its own can give: its standard output, pictures, timings.
    if (options.stats || options.bench || !options.pngDirectory.empty() ||
        options.csvPath.empty() || options.csvPath == "-") {
        error = "a run in the sweep's process writes its figures to a CSV file and nothing else";
        return false;
    }
    return true;
}

void addRow(std::string& csv, const WorldRun& run)
{
    csv += formatCsvRow(run.frame(), run.figures(), run.changes(), run.civilizations());
    csv += '\n';
}

}  // namespace

bool runInProcess(const std::vector<std::string>& arguments, const std::atomic<bool>& stop,
                  std::string& error)
{
    RunnerOptions options;
    OptionsRecord record;
    if (!readArguments(arguments, options, error) || !loadRunnerRecord(options, record, error) ||
        !checkDisplayMode(record, error))
        return false;
    WorldRunSettings settings;
    settings.seed = options.seed;
    settings.draw = !options.noDraw;
    settings.waitForDepth = true;
    settings.search = options.walkFood ? FoodSearch::walk : FoodSearch::indexed;
    WorldRun run;
    if (!run.start(record, settings, error))
        return false;
    std::string csv = csvHeader() + "\n";
    addRow(csv, run);
    while (run.frame() < options.frames &&
           !stopConditionMet(options.until, run.frame(), run.figures())) {
        if (stop) {
            error = "stopped at frame " + std::to_string(run.frame());
            return false;
        }
        if (!run.advance(error))
            return false;
        addRow(csv, run);
    }
    run.end();
    return writeFileWhole(options.csvPath, csv, error);
}
