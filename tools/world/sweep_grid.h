// The steps tovrine-sweep shares between a sweep and a merge: the design
// points, each an algorithm with its fields set and checked as the pages
// would check it; the runs numbered seed by seed; the folder taken; the
// report's layout; a failure said and written into the manifest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/world/folder_lock.h"
#include "tools/world/run_summary.h"
#include "tools/world/sweep_folder.h"
#include "tools/world/sweep_options.h"
#include "tools/world/sweep_report.h"

// Population samples per run for the band plot.
constexpr int64_t populationPoints = 500;

// "tovrine-sweep: MESSAGE" on standard error; 1, the exit code of a failure.
int sweepFailed(const std::string& message);

// The tovrine-world beside this program.
std::string runnerBesideThisProgram();

std::string joined(const std::vector<std::string>& words, const std::string& between);

// The --set settings of one design point's fields.
std::vector<FieldSetting> pointSettings(const SweepOptions& options, const DesignPoint& point);

// Every design point, named; refused before any run when the pages would
// refuse it. Records are read from their copies once the folder has them.
bool expandGrid(const SweepOptions& options, std::vector<SweepRecord>& points, std::string& error);

// Seed by seed, every design point in turn: slow and fast algorithms mix
// from the start, which keeps the estimate of the time left honest. Shard
// K of N takes the runs whose index leaves K-1 divided by N.
std::vector<Job> jobsOf(const SweepOptions& options, size_t points);

ReportLayout layoutOf(const SweepOptions& options);

// Each job's summary into its design point, in seed order.
void placeSummaries(const SweepOptions& options, const std::vector<Job>& jobs,
                    const std::vector<RunSummary>& summaries, std::vector<SweepRecord>& points);

// Ends a sweep that cannot go on: its manifest says that it failed and why.
int failSweep(ManifestWriter& manifest, const std::vector<Job>& jobs, const std::string& error);

// The folder locked, prepared and given its copies of the inputs (from
// `inputsFrom`'s when given); the grid checked again on the copies, which
// are what the runs read.
bool takeFolder(FolderLock& lock, SweepOptions& options, const std::string& command,
                const std::string& inputsFrom, bool& resumed, std::vector<SweepRecord>& points,
                std::string& error);
