// Runs commands as child processes, a few at a time, and tells the caller
// as each one ends. One world per process: the world is process-wide state.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct PoolCommand {
    std::vector<std::string> argv;  // argv[0] is the program's path
    std::string errorPath;          // the child's stderr goes here
};

// Called in the parent as each command ends, in the order they end; the
// result is false to stop the pool (the running commands are ended).
using PoolFinished = std::function<bool(size_t index, bool succeeded)>;

// At most `width` commands at once, started in index order. True when every
// command ran and `finished` accepted each. Shows progress with an estimate
// of the time left on stderr.
bool runProcessPool(const std::vector<PoolCommand>& commands, int width,
                    const PoolFinished& finished);
