// A sweep as a Slurm job array: one task per shard, each resumable after a
// requeue, and a merge job that waits for them all.
#pragma once

#include <string>
#include <vector>

struct SlurmJob {
    std::string sweepProgram;             // absolute
    std::vector<std::string> sweepWords;  // the sweep's own arguments, paths made absolute
    std::string outDirectory;             // absolute: the merged folder
    std::string shardsDirectory;          // absolute: shard-K folders and the tasks' logs
    std::string scriptPath;               // absolute: the script itself, for the merge's advice
    int shards = 1;
    int cpusPerTask = 1;
    std::vector<std::string> options;  // of sbatch, for the array and the merge
};

// The script. Run by sh, it submits the array and the merge job depending
// on it; run by Slurm as a task of the array, it runs that task's shard.
// False, with `error` saying why, for a folder or option the script's
// #SBATCH lines cannot carry (a line end, a backslash in the logs' folder).
bool slurmScript(const SlurmJob& job, std::string& text, std::string& error);

// The word as the shell reads it back: quoted only when it must be.
std::string shellQuoted(const std::string& word);
