#include "tools/world/sweep_merge.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "host/whole_number.h"
#include "tools/world/design_file.h"
#include "tools/world/folder_lock.h"
#include "tools/world/output_file.h"
#include "tools/world/sweep_grid.h"

namespace fs = std::filesystem;

namespace {

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

}  // namespace

int mergeShards(const SweepOptions& mergeOptions, const std::vector<std::string>& folders,
                const std::string& command)
{
    for (const std::string& folder : folders)
        if (sameFolder(folder, mergeOptions.outDirectory))
            return sweepFailed("--out \"" + mergeOptions.outDirectory +
                               "\" is one of the shards (\"" + folder +
                               "\"): the merge goes into another folder; nothing was changed");
    std::vector<Manifest> manifests(folders.size());
    // Every shard that did not finish is named at once (a job array's failed
    // or cancelled tasks), not only the first.
    std::vector<std::string> unfinished;
    for (size_t i = 0; i < manifests.size(); ++i) {
        const fs::path path = fs::path(folders[i]) / manifestName;
        if (!readManifest(path.string(), manifests[i]))
            return sweepFailed("\"" + folders[i] + "\" holds no sweep's manifest");
        if (manifests[i].state.rfind("finished", 0) != 0)
            unfinished.push_back("shard " + manifests[i].shard + " in \"" + folders[i] +
                                 "\" is unfinished (" + manifests[i].state + ")");
        if (manifests[i].design != manifests[0].design)
            return sweepFailed("\"" + folders[i] + "\" and \"" + folders[0] +
                               "\" are shards of different sweeps");
        if (manifests[i].digests != manifests[0].digests ||
            inputFiles(folders[i]) != inputFiles(folders[0]))
            return sweepFailed(
                "\"" + folders[i] + "\" and \"" + folders[0] +
                "\" ran other programs or inputs (their manifests' sha256 lines differ)");
    }
    SweepOptions options;
    std::string error;
    if (!shardsSweep(manifests[0], mergeOptions, options, error))
        return sweepFailed(error);
    int64_t shards = 0;
    std::vector<std::string> folderOfShard;
    for (size_t i = 0; i < manifests.size(); ++i) {
        const std::string& shard = manifests[i].shard;
        const size_t slash = shard.find('/');
        int64_t k = 0, n = 0;
        if (slash == std::string::npos ||
            !parseWholeNumber(shard.substr(0, slash).c_str(), 1, 100000, k) ||
            !parseWholeNumber(shard.substr(slash + 1).c_str(), 1, 100000, n))
            return sweepFailed("\"" + folders[i] + "\" names no shard K/N");
        if (shards == 0) {
            shards = n;
            folderOfShard.assign(static_cast<size_t>(n), "");
        }
        if (n != shards || k < 1 || k > n || !folderOfShard[k - 1].empty())
            return sweepFailed(
                "shard " + shard + " of \"" + folders[i] + "\" does not fit the others" +
                (n == shards && !folderOfShard[k - 1].empty()
                     ? " (\"" + folderOfShard[k - 1] + "\" is shard " + shard + " too)"
                     : ""));
        folderOfShard[k - 1] = folders[i];
    }
    for (size_t k = 0; k < folderOfShard.size(); ++k)
        if (folderOfShard[k].empty())
            unfinished.push_back("shard " + std::to_string(k + 1) + "/" + std::to_string(shards) +
                                 " is missing");
    if (!unfinished.empty())
        return sweepFailed(joined(unfinished, "; ") + "; nothing was merged");
    if (!options.designPath.empty() &&
        (!readWholeFile(designCopyPath(folders[0]), options.designBytes, error) ||
         !parseDesign(options.designBytes, options, error)))
        return sweepFailed(error);

    std::vector<SweepRecord> points;
    bool resumed = false;
    FolderLock lock;
    if (!takeFolder(lock, options, command, folders[0], resumed, points, error))
        return sweepFailed(error);
    Provenance provenance;
    provenance.command = command;
    provenance.started = utcNow();
    provenance.host = hostName();
    // What made the runs: the shards' programs and inputs.
    provenance.commit = manifests[0].commit;
    provenance.digests = manifests[0].digests;
    for (size_t k = 0; k < folderOfShard.size(); ++k)
        for (size_t i = 0; i < manifests.size(); ++i)
            if (folders[i] == folderOfShard[k])
                addEarlierProcess(manifests[i], "shard " + manifests[i].shard, provenance.earlier);
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
