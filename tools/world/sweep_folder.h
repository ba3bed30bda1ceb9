// A sweep's folder: its manifest, what --resume and --force may do with what
// is there, and the copies of the inputs that every run reads.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tools/world/sweep_options.h"

constexpr char manifestName[] = "manifest.txt";
constexpr char inputsName[] = "inputs";

// One run of the sweep and where it stands.
struct Job {
    size_t index;  // in the whole sweep
    size_t point;
    uint32_t seed;
    std::string stem;  // runs/run-P-seed-S
    const char* state = "pending";
};

struct Manifest {
    std::string design;
    std::string shard = "1/1";
    std::string state;
    std::string commit;
    std::vector<std::string> digests;  // its sha256 lines
    std::string command;
    std::string host;
    std::string started;
    std::string ended;
    std::vector<std::string> earlier;  // its earlier lines
};

bool readManifest(const std::string& path, Manifest& manifest);

// What made the folder: written into its manifest. The command, host and
// times are this process's; the rest is the same wherever the sweep runs.
struct Provenance {
    std::string command;
    std::string host;
    std::string started;               // UTC, ISO 8601
    std::string commit;                // empty when not built from git
    std::vector<std::string> digests;  // "NAME SHA256" lines: programs, then inputs
    // The processes whose runs the folder holds besides this one's: the
    // sweeps it resumes, the shards it merges (and theirs), one line each.
    std::vector<std::string> earlier;
};

// A manifest's own process as one line of a later manifest's history, after
// the lines of its own: "resumed: started ..., ended ..., host ..., command ...".
void addEarlierProcess(const Manifest& manifest, const std::string& role,
                       std::vector<std::string>& earlier);

// The programs' and inputs' digests, the host and the start time.
bool collectProvenance(const SweepOptions& options, const std::string& command,
                       const std::string& runner, Provenance& provenance, std::string& error);

std::string hostName();

// Now, in UTC: "2026-12-08T12:00:00Z".
std::string utcNow();

class ManifestWriter {
public:
    ManifestWriter(const std::string& directory, const SweepOptions& options,
                   const Provenance& provenance);

    // Throttled while runs end, so that a long sweep does not spend its time
    // rewriting it; `now` writes at once. A state that ends the sweep is
    // written in place when there is no room for a second copy.
    bool write(const std::vector<Job>& jobs, const std::string& state, bool now,
               std::string& error);

private:
    std::string path_;
    const SweepOptions& options_;
    const Provenance& provenance_;
    std::chrono::steady_clock::time_point last_{};
};

// A new or empty folder, a sweep to finish (--resume) or to clear (--force);
// anything else is refused, so that no file of another sweep stays beside
// this one's. Called with the folder's lock held.
bool prepareFolder(const SweepOptions& options, bool& resumed, std::string& error);

// Copies the record files and the design into DIR/inputs/ (or, resumed,
// checks that they are still what the sweep began with) and points the
// subjects at the copies. `from`, when given, is a folder whose copies are
// taken instead of the files named (a shard's, for --merge).
bool placeInputs(SweepOptions& options, bool resumed, const std::string& from, std::string& error);

// The copy of the design in a folder.
std::string designCopyPath(const std::string& directory);

// Every file and folder name a sweep may leave (for --force).
bool isSweepFileName(const std::string& name, bool directory);
