#include "tools/world/sweep_grid.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tools/world/folder_lock.h"
#include "tools/world/runner_options.h"

namespace fs = std::filesystem;

int sweepFailed(const std::string& message)
{
    std::fprintf(stderr, "tovrine-sweep: %s\n", message.c_str());
    return 1;
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

namespace {

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

}  // namespace

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

ReportLayout layoutOf(const SweepOptions& options)
{
    ReportLayout layout;
    layout.fields = pointFieldNames(options);
    layout.numbered = !options.designPath.empty();
    layout.ciText = options.ciText;
    layout.frames = options.frames;
    layout.every = sampleStep(options.frames, populationPoints);
    layout.sampleEvery = options.sampleEvery;
    layout.until = stopConditionText(options.until);
    for (const NamedMeasure& measure : options.measures)
        layout.measures.emplace_back(measure.name, measure.timeToEvent);
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

int failSweep(ManifestWriter& manifest, const std::vector<Job>& jobs, const std::string& error)
{
    std::string ignored;
    manifest.write(jobs, "failed: " + error + "; --resume runs what is missing", true, ignored);
    return sweepFailed(error);
}

bool takeFolder(FolderLock& lock, SweepOptions& options, const std::string& command,
                const std::string& inputsFrom, bool& resumed, std::vector<SweepRecord>& points,
                std::string& error)
{
    points.clear();
    if (!lock.take(options.outDirectory, error))
        return false;
    if (!prepareFolder(options, resumed, error)) {
        lock.abandon();
        return false;
    }
    lock.name(command);
    return placeInputs(options, resumed, inputsFrom, error) && expandGrid(options, points, error);
}
