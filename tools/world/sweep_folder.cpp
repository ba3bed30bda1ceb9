#include "tools/world/sweep_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/world/folder_lock.h"
#include "tools/world/output_file.h"
#include "tools/world/sha256.h"
#include "tools/world/sweep_report.h"
#include "tovrine_version.h"
#include "tovrine_commit.h"

namespace fs = std::filesystem;

namespace {

constexpr char manifestTag[] = "tovrine-sweep manifest 1";

std::string joined(const std::vector<std::string>& words, const std::string& between)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : between) + word;
    return text;
}

std::string spaced(std::string text)
{
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

std::string programPath(const char* name)
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(name)
                 : (name[0] == '\0' ? self : self.parent_path() / name).string();
}

std::string recordCopyName(size_t number) { return "record-" + std::to_string(number) + ".rec"; }

// Room on the disk kept beyond the manifest's end, for a last state that is
// longer than the one before (a failed run's last words) on a disk that has
// filled up meanwhile. Where the file system cannot keep it, the manifest
// is still written; only that last state may then be lost to a full disk.
void keepRoom(const std::string& path)
{
    constexpr off_t room = 8192;
    const int fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status {};
    if (fd < 0)
        return;
    if (fstat(fd, &status) == 0 && fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, status.st_size + room)) {
        // Best effort, as said above.
    }
    close(fd);
}

// One line for the manifest's state: a run's last words span several.
std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

bool readManifest(const std::string& path, Manifest& manifest)
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
        else if (key == "commit")
            manifest.commit = value;
        else if (key == "sha256")
            manifest.digests.push_back(value);
        else if (key == "command")
            manifest.command = value;
        else if (key == "host")
            manifest.host = value;
        else if (key == "started")
            manifest.started = value;
        else if (key == "ended")
            manifest.ended = value;
        else if (key == "earlier")
            manifest.earlier.push_back(value);
    }
    return !manifest.design.empty();
}

void addEarlierProcess(const Manifest& manifest, const std::string& role,
                       std::vector<std::string>& earlier)
{
    earlier.insert(earlier.end(), manifest.earlier.begin(), manifest.earlier.end());
    earlier.push_back(role + ": started " + manifest.started + ", " +
                      (manifest.ended.empty() ? "never ended" : "ended " + manifest.ended) + " (" +
                      manifest.state + "), host " + manifest.host +
                      (manifest.commit.empty() ? "" : ", commit " + manifest.commit) +
                      ", command " + manifest.command);
}

std::string hostName()
{
    char host[256] = {};
    return gethostname(host, sizeof host - 1) == 0 ? host : "unknown";
}

std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

bool collectProvenance(const SweepOptions& options, const std::string& command,
                       const std::string& runner, Provenance& provenance, std::string& error)
{
    provenance.command = command;
    provenance.started = utcNow();
    provenance.commit = TOVRINE_COMMIT;
    provenance.host = hostName();
    std::string digest;
    if (!sha256OfFile(programPath(""), digest, error))
        return false;
    provenance.digests.push_back("tovrine-sweep " + digest);
    if (!sha256OfFile(runner, digest, error))
        return false;
    provenance.digests.push_back("tovrine-world " + digest);
    size_t number = 0;
    for (const SweepSubject& subject : options.subjects) {
        if (subject.preset >= 0)
            continue;
        if (!sha256OfFile(subject.copyPath, digest, error))
            return false;
        provenance.digests.push_back(std::string(inputsName) + "/" + recordCopyName(++number) +
                                     " " + digest + " " + subject.recordPath);
    }
    if (!options.designPath.empty())
        provenance.digests.push_back(std::string(inputsName) + "/design.csv " +
                                     sha256Hex(options.designBytes) + " " + options.designPath);
    return true;
}

ManifestWriter::ManifestWriter(const std::string& directory, const SweepOptions& options,
                               const Provenance& provenance)
    : path_((fs::path(directory) / manifestName).string()), options_(options),
      provenance_(provenance)
{
}

bool ManifestWriter::write(const std::vector<Job>& jobs, const std::string& state, bool now,
                           std::string& error)
{
    const auto time = std::chrono::steady_clock::now();
    if (!now && time - last_ < std::chrono::seconds(1))
        return true;
    last_ = time;
    const bool ended = state != "unfinished";
    size_t done = 0;
    for (const Job& job : jobs)
        done += std::string(job.state) == "done" ? 1 : 0;
    std::ostringstream out;
    out << manifestTag << "\n"
        << "version " << TOVRINE_VERSION_TEXT << "\n";
    if (!provenance_.commit.empty())
        out << "commit " << provenance_.commit << "\n";
    out << "command " << provenance_.command << "\n"
        << "host " << provenance_.host << "\n"
        << "started " << provenance_.started << "\n";
    if (ended)
        out << "ended " << utcNow() << "\n";
    for (const std::string& line : provenance_.earlier)
        out << "earlier " << oneLine(line) << "\n";
    for (const std::string& digest : provenance_.digests)
        out << "sha256 " << digest << "\n";
    out << "design " << joined(designArguments(options_), "\t") << "\n"
        << "seeds " << options_.firstSeed << "-" << options_.lastSeed << "\n";
    if (options_.until.kind != StopKind::never)
        out << "until " << stopConditionText(options_.until) << "\n";
    for (const VariedField& varied : options_.varied) {
        std::vector<std::string> values;
        for (int64_t value : varied.values)
            values.push_back(std::to_string(value));
        out << "vary " << varied.name << "=" << joined(values, ",") << "\n";
    }
    out << "shard " << options_.shard << "/" << options_.shards << "\n"
        << "state " << oneLine(state) << "\n"
        << "runs " << done << " of " << jobs.size() << " done\n";
    for (const Job& job : jobs)
        out << "run " << job.index << " " << job.stem << " " << job.state << "\n";
    if (writeFileWhole(path_, out.str(), error)) {
        keepRoom(path_);
        return true;
    }
    // A full disk: the manifest must still say how the sweep ended.
    std::string ignored;
    return ended && fs::exists(path_) && overwriteFile(path_, out.str(), ignored);
}

bool isSweepFileName(const std::string& name, bool directory)
{
    std::string bare = name;
    if (bare.size() > 8 && bare.compare(bare.size() - 8, 8, ".partial") == 0)
        bare.resize(bare.size() - 8);
    if (directory)
        return name == "runs" || name == inputsName;
    const std::vector<std::string> names = reportFileNames();
    return bare == manifestName || bare == folderLockName ||
           std::find(names.begin(), names.end(), bare) != names.end();
}

namespace {

bool isRunFile(const std::string& name)
{
    return name.rfind("run-", 0) == 0 || name == ".writable";
}

bool isInputFile(const std::string& name)
{
    return name.rfind("record-", 0) == 0 || name.rfind("design.csv", 0) == 0;
}

bool endsWith(const std::string& name, const std::string& end)
{
    return name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

// What the plot script and tovrine-design write beside a sweep's tables: its
// pictures, and the sensitivity tables, whose rows name a field each.
bool isDrawnFromSweep(const fs::path& path)
{
    const std::string name = path.filename().string();
    if (endsWith(name, ".png") || endsWith(name, ".svg"))
        return true;
    std::ifstream in(path);
    std::string header;
    return endsWith(name, ".csv") && std::getline(in, header) &&
           header.rfind("name,source,field,", 0) == 0;
}

// What a sweep leaves and --force may clear: nothing else is ever removed.
bool isSweepFile(const fs::directory_entry& entry)
{
    const std::string name = entry.path().filename().string();
    if (!entry.is_directory())
        return isSweepFileName(name, false) ||
               (entry.is_regular_file() && isDrawnFromSweep(entry.path()));
    if (!isSweepFileName(name, true))
        return false;
    std::error_code code;
    for (const fs::directory_entry& inside : fs::directory_iterator(entry.path(), code)) {
        const std::string file = inside.path().filename().string();
        if (name == "runs" ? !isRunFile(file) : !isInputFile(file))
            return false;
    }
    return !code;
}

}  // namespace

bool prepareFolder(const SweepOptions& options, bool& resumed, std::string& error)
{
    const fs::path directory = options.outDirectory;
    resumed = false;
    std::error_code code;
    std::vector<fs::directory_entry> entries;
    if (fs::is_directory(directory, code))
        for (const fs::directory_entry& entry : fs::directory_iterator(directory, code))
            if (entry.path().filename() != folderLockName)
                entries.push_back(entry);
    if (!entries.empty()) {
        Manifest manifest;
        const bool ours = readManifest((directory / manifestName).string(), manifest);
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
        } else if (options.force || (options.resume && !fs::exists(directory / manifestName) &&
                                     std::all_of(entries.begin(), entries.end(), isSweepFile))) {
            // Without --force: a sweep that had no room for its first
            // manifest, so none of its runs began; it begins again.
            for (const fs::directory_entry& entry : entries)
                if (!isSweepFile(entry)) {
                    error = "\"" + directory.string() + "\" holds " +
                            entry.path().filename().string() +
                            ", which no sweep writes: --force clears only a sweep's files and "
                            "what was drawn from them";
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
    std::FILE* file = code ? nullptr : createFile(probe);
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

std::string designCopyPath(const std::string& directory)
{
    return (fs::path(directory) / inputsName / "design.csv").string();
}

namespace {

// The copy in the folder, made now or checked against the file given.
bool placeOne(const std::string& given, const std::string& bytes, const std::string& copy,
              bool resumed, std::string& error)
{
    if (!resumed)
        return writeFileWhole(copy, bytes, error);
    std::string kept;
    if (!readWholeFile(copy, kept, error)) {
        error = "the sweep's copy of \"" + given + "\" is missing (" + error +
                "): --force begins the sweep again";
        return false;
    }
    if (kept != bytes) {
        error = "\"" + given + "\" has changed since the sweep began (its copy is \"" + copy +
                "\"): --resume goes on only with the inputs it began with";
        return false;
    }
    return true;
}

}  // namespace

bool placeInputs(SweepOptions& options, bool resumed, const std::string& from, std::string& error)
{
    const fs::path inputs = fs::path(options.outDirectory) / inputsName;
    const bool needed = !options.designPath.empty() ||
                        std::any_of(options.subjects.begin(), options.subjects.end(),
                                    [](const SweepSubject& s) { return s.preset < 0; });
    std::error_code code;
    if (needed)
        fs::create_directories(inputs, code);
    if (code) {
        error = "cannot create \"" + inputs.string() + "\": " + code.message();
        return false;
    }
    size_t number = 0;
    for (SweepSubject& subject : options.subjects) {
        if (subject.preset >= 0)
            continue;
        const std::string name = recordCopyName(++number);
        const std::string source =
            from.empty() ? subject.recordPath : (fs::path(from) / inputsName / name).string();
        std::string bytes;
        if (!readWholeFile(source, bytes, error) ||
            !placeOne(source, bytes, (inputs / name).string(), resumed, error))
            return false;
        subject.copyPath = (inputs / name).string();
    }
    if (!options.designPath.empty() &&
        !placeOne(options.designPath, options.designBytes, designCopyPath(options.outDirectory),
                  resumed, error))
        return false;
    return true;
}
