// Runs commands as child processes, a few at a time, and tells the caller
// as each one ends: the sweep's runs when each is a process of its own.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct PoolCommand {
    std::vector<std::string> argv;  // argv[0] is the program's path
    std::string errorPath;          // the child's stderr, when memory cannot hold it
};

// Called in the parent as each command ends, in the order they end, with
// its wait status and the last few kilobytes of its standard error (kept in
// memory, so that a full disk does not lose them); the result is false to
// stop the pool (the running commands are ended).
using PoolFinished = std::function<bool(size_t index, int status, const std::string& said)>;

struct PoolResult {
    bool complete = false;  // every command ran and `finished` accepted each
    int stopSignal = 0;     // SIGTERM, SIGHUP or SIGINT that stopped the pool
};

// At most `width` commands at once, started in index order. A SIGTERM,
// SIGHUP or SIGINT to this process ends the running commands and returns;
// each command also dies with this process, even one killed by SIGKILL.
// Shows progress with an estimate of the time left on stderr.
PoolResult runProcessPool(const std::vector<PoolCommand>& commands, int width,
                          const PoolFinished& finished);

// "exited with code 3", "was killed by signal 9 (Killed)".
std::string describeExit(int status);
